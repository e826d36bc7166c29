#pragma once

class QProcess;

namespace velmora::host {

// Makes a child started through `process` end with this process, however this one ends (closed,
// killed, crashed): on Linux the kernel sends the child SIGTERM when its parent dies. Call it
// before start().
void EndWithParent(QProcess& process);

}  // namespace velmora::host
