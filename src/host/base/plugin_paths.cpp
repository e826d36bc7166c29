#include "host/base/plugin_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora::host {

QString SignerPath(const QString& root) {
#ifdef _WIN32
  return QDir(root).filePath(QStringLiteral("bin/Tessaro.Xades.dll"));
#else
  return QDir(root).filePath(QStringLiteral("bin/libtessaro_xades.so"));
#endif
}

QString PuescClientPath(const QString& root) {
#ifdef _WIN32
  return QDir(root).filePath(QStringLiteral("bin/Dravonet.dll"));
#else
  return QDir(root).filePath(QStringLiteral("bin/libdravonet.so"));
#endif
}

QString ShippedSlownikiDir() {
  const QString slowniki = QStringLiteral("Slowniki");
  if (!QCoreApplication::instance()) return {};
  QDir dir(QCoreApplication::applicationDirPath());
  if (!dir.cdUp() || !dir.exists(slowniki)) return {};
  return dir.filePath(slowniki);
}

QString InstallBuiltLibrary(const QString& root, const QString& target) {
  Q_UNUSED(root);
  if (QFile::exists(target)) return {};
  const QString built = QDir(QCoreApplication::applicationDirPath()).filePath(QFileInfo(target).fileName());
  if (!QFile::exists(built) || !QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(built, target)) return {};
  return target;
}

}  // namespace velmora::host
