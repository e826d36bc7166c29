// Entry points of the module library the host loads at start-up.
#include "frame/shared_state.h"
#include "host/base/host_context.h"
#include "lists/demo_transits.h"
#include "registrations.h"

#if defined(_WIN32)
#define VELMORA_EXPORT extern "C" __declspec(dllexport)
#else
#define VELMORA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VELMORA_EXPORT void Initialize() { velmora::module::Initialize(); }

VELMORA_EXPORT void Finalize() { velmora::module::Finalize(); }

// The module's site switches from the host's options, at each start.
VELMORA_EXPORT void CzytajPrzelaczniki(velmora::host::HostContext* ctx) { velmora::frame::CzytajPrzelaczniki(ctx->options); }

// The demo data's transits, for a database seeded on its first start.
VELMORA_EXPORT void SeedDemo(velmora::host::HostContext* ctx) { velmora::lists::UtworzTranzytyDemo(*ctx); }

// Units of the package in their initialisation order.
VELMORA_EXPORT const char* const* GetPackageInfoTable() {
  static const char* const kUnits[] = {"Ucommon_Velmora", "Uncts2_menucreator", nullptr};
  return kUnits;
}
