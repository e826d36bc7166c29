#include "host/base/loaded_routine.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <dlfcn.h>
#endif

namespace velmora::host {

void* FindLoadedRoutine(const QString& name) {
  const QByteArray symbol = name.toLatin1();
#ifdef _WIN32
  HMODULE modules[1024];
  DWORD needed = 0;
  if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &needed)) return nullptr;
  for (DWORD i = 0; i < needed / sizeof(HMODULE); ++i)
    if (FARPROC p = GetProcAddress(modules[i], symbol.constData())) return reinterpret_cast<void*>(p);
  return nullptr;
#else
  return dlsym(RTLD_DEFAULT, symbol.constData());
#endif
}

}  // namespace velmora::host
