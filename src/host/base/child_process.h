#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QProcess;

namespace velmora::host {

// Makes a child started through `process` end with this process, however this one ends (closed,
// killed, crashed): on Linux the kernel sends the child SIGTERM when its parent dies. Call it
// before start().
void EndWithParent(QProcess& process);

// The process listening on a TCP port of this computer. A pid of 0: the port is held, but by a
// process this user cannot see (another user's).
struct PortHolder {
  qint64 pid = 0;
  QStringList arguments;  // its command line
};
// nullopt when nobody listens on `port` (or where the system does not tell).
std::optional<PortHolder> ListeningOn(int port);
// Asks the process to end, then kills it if it still runs or holds `port` after `wait_ms`;
// answers whether the port is free at the end.
bool EndHolder(qint64 pid, int port, int wait_ms);

}  // namespace velmora::host
