#pragma once

#include <QString>

namespace velmora::host {

// A routine exported by a library already loaded in this process, looked up by name;
// null when no loaded library exports it. Nothing is loaded here.
void* FindLoadedRoutine(const QString& name);

}  // namespace velmora::host
