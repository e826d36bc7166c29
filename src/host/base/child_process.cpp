#include "host/base/child_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace velmora::host {

void EndWithParent(QProcess& process) {
#ifdef Q_OS_LINUX
  const pid_t parent = getpid();
  process.setChildProcessModifier([parent] {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have died between fork and prctl: no signal would come then.
    if (getppid() != parent) _exit(1);
  });
#else
  Q_UNUSED(process);
#endif
}

namespace {

#ifdef Q_OS_LINUX
// Socket inodes in the listening state on `port`, from the kernel's tables (IPv4 and IPv6).
QStringList ListeningInodes(int port) {
  QStringList inodes;
  constexpr char kListen[] = "0A";
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    QFile f(QString::fromLatin1(table));
    if (!f.open(QIODevice::ReadOnly)) continue;
    f.readLine();  // the header
    while (!f.atEnd()) {
      const QList<QByteArray> cols = f.readLine().simplified().split(' ');
      // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode
      if (cols.size() < 10 || cols[3] != kListen) continue;
      bool ok = false;
      if (cols[1].split(':').value(1).toInt(&ok, 16) == port && ok) inodes << QString::fromLatin1(cols[9]);
    }
  }
  return inodes;
}

QStringList CommandLine(const QString& pid) {
  QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return {};
  QStringList out;
  for (const QByteArray& a : f.readAll().split('\0'))
    if (!a.isEmpty()) out << QString::fromLocal8Bit(a);
  return out;
}
#endif

}  // namespace

std::optional<PortHolder> ListeningOn(int port) {
#ifdef Q_OS_LINUX
  const QStringList inodes = ListeningInodes(port);
  if (inodes.isEmpty()) return std::nullopt;
  QStringList sockets;
  for (const QString& inode : inodes) sockets << QStringLiteral("socket:[%1]").arg(inode);
  const QDir proc(QStringLiteral("/proc"));
  for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool numeric = false;
    pid.toLongLong(&numeric);
    if (!numeric) continue;
    const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
    for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot))
      if (sockets.contains(QFile::symLinkTarget(fds.filePath(fd)).section(QLatin1Char('/'), -1)))
        return PortHolder{pid.toLongLong(), CommandLine(pid)};
  }
  return PortHolder{};
#else
  Q_UNUSED(port);
  return std::nullopt;
#endif
}

bool EndHolder(qint64 pid, int port, int wait_ms) {
#ifdef Q_OS_LINUX
  // kill() of 0 or -1 would end this program's whole process group or every process it may signal.
  if (pid <= 0) return false;
  const auto held = [pid, port] {
    const auto holder = ListeningOn(port);
    return holder && (holder->pid == pid || holder->pid == 0);
  };
  ::kill(static_cast<pid_t>(pid), SIGTERM);
  QElapsedTimer t;
  t.start();
  while (held() && t.elapsed() < wait_ms) QThread::msleep(20);
  if (held()) {
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    t.restart();
    while (held() && t.elapsed() < wait_ms) QThread::msleep(20);
  }
  return !ListeningOn(port);
#else
  Q_UNUSED(pid);
  Q_UNUSED(port);
  Q_UNUSED(wait_ms);
  return false;
#endif
}

}  // namespace velmora::host
