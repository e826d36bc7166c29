// A parent for the child-process test: starts a long sleep the way the program starts its
// training platform, prints the child's pid and waits to be killed.
#include "host/base/child_process.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QProcess child;
  if (app.arguments().value(1) == QLatin1String("bound")) velmora::host::EndWithParent(child);
  child.start(QStringLiteral("sleep"), {QStringLiteral("300")});
  if (!child.waitForStarted(10000)) return 1;
  std::printf("%lld\n", static_cast<long long>(child.processId()));
  std::fflush(stdout);
  child.waitForFinished(-1);
  return 0;
}
