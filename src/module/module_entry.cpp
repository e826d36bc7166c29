// Entry points of the module library the host loads at start-up.
#include "frame/package.h"
#include "frame/shared_state.h"
#include "lists/demo_transits.h"
#include "lists/message_editors.h"
#include "lists/tranzyty_lista_win.h"
#include "reference/reference_windows.h"
#include "reference/slownik_ncts.h"

#if defined(_WIN32)
#define VELMORA_EXPORT extern "C" __declspec(dllexport)
#else
#define VELMORA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The module's top: the windows of the folders above frame are registered here.
VELMORA_EXPORT void Initialize() {
  velmora::frame::Initialize();
  velmora::lists::RegisterListWindows();
  velmora::lists::RegisterExchange();
  velmora::reference::RegisterReferenceWindows();
}

VELMORA_EXPORT void Finalize() {
  velmora::lists::UnregisterExchange();
  velmora::lists::UnregisterListWindows();
  velmora::reference::UnregisterReferenceWindows();
  velmora::reference::ReleaseSlownikCache();
  velmora::frame::Finalize();
}

// The site switches the host sets after loading the module, by name; null for an unknown one.
VELMORA_EXPORT bool* Przelacznik(const char* name) {
  const QByteArray n(name);
  if (n == "FKAEM") return &velmora::frame::FKAEM;
  if (n == "FPRATT") return &velmora::frame::FPRATT;
  return nullptr;
}

// The demo data's transits, for a database seeded on its first start.
VELMORA_EXPORT void SeedDemo(velmora::host::HostContext* ctx) { velmora::lists::UtworzTranzytyDemo(*ctx); }

// Units of the package in their initialisation order.
VELMORA_EXPORT const char* const* GetPackageInfoTable() {
  static const char* const kUnits[] = {"Ucommon_Velmora", "Uncts2_menucreator", nullptr};
  return kUnits;
}
