#include "cli.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
  QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  QTextStream out(stdout);
  QTextStream err(stderr);
  const int status = velmora::cli::Run(args, out, err);
  out.flush();
  err.flush();
  return status;
}
