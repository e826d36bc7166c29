// Entry points of the module library the host loads at start-up.
#include "package.h"

#if defined(_WIN32)
#define VELMORA_EXPORT extern "C" __declspec(dllexport)
#else
#define VELMORA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VELMORA_EXPORT void Initialize() { velmora::frame::Initialize(); }
VELMORA_EXPORT void Finalize() { velmora::frame::Finalize(); }

// Units of the package in their initialisation order.
VELMORA_EXPORT const char* const* GetPackageInfoTable() {
  static const char* const kUnits[] = {"Ucommon_Velmora", "Uncts2_menucreator", nullptr};
  return kUnits;
}
