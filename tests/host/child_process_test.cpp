#include "support/test_host.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>

namespace velmora::testing {
namespace {

// Running, not a zombie waiting for a parent that never reaps it.
bool Running(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = stat.readAll();
  const qsizetype end = text.lastIndexOf(')');
  return end > 0 && text.mid(end + 2, 1) != "Z";
}

// The child the worker started, after the worker was killed: still running after `wait`?
bool ChildOutlivesKilledParent(const QString& mode, int wait_ms) {
  QProcess worker;
  worker.start(QStringLiteral(VELMORA_ORPHAN_WORKER), {mode});
  EXPECT_TRUE(worker.waitForReadyRead(30000));
  const qint64 child = worker.readLine().trimmed().toLongLong();
  if (child <= 0) {  // never kill(0): it would end this whole process group
    ADD_FAILURE() << "the worker named no child";
    return false;
  }
  EXPECT_TRUE(Running(child));
  worker.kill();
  worker.waitForFinished(10000);
  QElapsedTimer t;
  t.start();
  while (Running(child) && t.elapsed() < wait_ms) QThread::msleep(20);
  const bool running = Running(child);
  ::kill(static_cast<pid_t>(child), SIGKILL);
  return running;
}

TEST(ChildProcess, TheTrainingPlatformEndsWithTheProgramKilled) {
  EXPECT_FALSE(ChildOutlivesKilledParent(QStringLiteral("bound"), 5000));
  // Without it the child stays and holds what it held.
  EXPECT_TRUE(ChildOutlivesKilledParent(QStringLiteral("free"), 500));
}

}  // namespace
}  // namespace velmora::testing
