#include "dictionary_import.h"

#include "host/xml/xml_document.h"
#include "slownik_ncts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <exception>

namespace velmora::reference {

namespace {

const QRegularExpression& DictionaryName() {
  static const QRegularExpression kName(QStringLiteral("^(RD)?([0-9]+)\\.xml$"), QRegularExpression::CaseInsensitiveOption);
  return kName;
}

// Replaces the file whole, so a lookup never reads half a dictionary.
QString WriteFile(const QString& source, const QString& target) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) return in.errorString();
  QSaveFile out(target);
  if (!out.open(QIODevice::WriteOnly)) return out.errorString();
  if (out.write(in.readAll()) < 0 || !out.commit()) return out.errorString();
  return {};
}

}  // namespace

DictionaryImport::DictionaryImport(QString root) : root_(std::move(root)) {}

QStringList DictionaryImport::DictionaryFiles(const QString& source_dir) {
  QStringList names;
  for (const QString& name : QDir(source_dir).entryList(QDir::Files | QDir::Readable, QDir::Name))
    if (DictionaryName().match(name).hasMatch()) names << name;
  return names;
}

QStringList DictionaryImport::UpdateFiles(const QString& source_dir) {
  QStringList names = DictionaryFiles(source_dir);
  if (QFileInfo(QDir(source_dir).filePath(QString::fromLatin1(host::kPlikWykazuUC))).isFile())
    names << QString::fromLatin1(host::kPlikWykazuUC);
  return names;
}

QString DictionaryImport::StoredName(const QString& file_name) {
  const QRegularExpressionMatch m = DictionaryName().match(file_name);
  if (!m.hasMatch()) return file_name;
  return (m.capturedLength(1) > 0 ? QStringLiteral("RD") : QString()) + m.captured(2) + QStringLiteral(".xml");
}

ImportResult DictionaryImport::Import(const QString& source_dir, const PostepImportu& postep, host::HostContext* ctx) {
  ImportResult result;
  const QString urzedy = QString::fromLatin1(host::kPlikWykazuUC);
  if (ctx && UpdateFiles(source_dir).contains(urzedy)) {
    try {
      result.urzedy = host::UrzedyCelne(*ctx).Aktualizuj(host::CzytajWykazUC(QDir(source_dir).filePath(urzedy)));
      result.imported << urzedy;
    } catch (const host::WykazUCError& e) {
      // The file's name is in the text already.
      result.skipped << e.Text();
    }
  }
  const QDir source(source_dir);
  const QString target_dir = QDir(root_).filePath(QStringLiteral("Slowniki"));
  if (!QFileInfo(target_dir).isDir()) {
    if (!QDir().mkpath(target_dir)) {
      result.skipped << target_dir + QStringLiteral(" - nie można utworzyć katalogu");
      return result;
    }
    const QString shipped = ShippedSlownikiDir();
    if (!shipped.isEmpty() && QDir(shipped) != QDir(target_dir)) {
      for (const QString& name : DictionaryFiles(shipped))
        WriteFile(QDir(shipped).filePath(name), QDir(target_dir).filePath(name));
    }
  }

  const QStringList files = DictionaryFiles(source_dir);
  for (int i = 0; i < files.size(); ++i) {
    if (postep && !postep(i, static_cast<int>(files.size()))) {
      result.przerwano = true;
      break;
    }
    const QString& name = files[i];
    const QString path = source.filePath(name);
    try {
      ReadSlownikFile(path, DictionaryName().match(name).captured(2));
    } catch (const xml::XmlParseError& e) {
      result.skipped << name + QStringLiteral(" - ") + e.Message();
      continue;
    } catch (const std::exception& e) {
      result.skipped << name + QStringLiteral(" - ") + QString::fromUtf8(e.what());
      continue;
    }
    const QString stored = StoredName(name);
    const QString error = WriteFile(path, QDir(target_dir).filePath(stored));
    if (error.isEmpty())
      result.imported << stored;
    else
      result.skipped << name + QStringLiteral(" - ") + error;
  }
  return result;
}

QString DictionaryImport::Summary(const ImportResult& result) {
  QString text = QStringLiteral("Zaktualizowano słowniki: %1").arg(result.imported.size());
  if (!result.imported.isEmpty()) text += QStringLiteral(" (") + result.imported.join(QStringLiteral(", ")) + QLatin1Char(')');
  if (result.urzedy) text += QLatin1Char('\n') + result.urzedy->Log(false).join(QLatin1Char('\n'));
  if (!result.skipped.isEmpty()) text += QStringLiteral("\nPominięto:\n") + result.skipped.join(QLatin1Char('\n'));
  if (result.przerwano) text += QStringLiteral("\nAktualizację przerwano: pozostałe słowniki są bez zmian.");
  // The offices change at once; a dictionary already loaded stays until the next start.
  if (result.imported.size() > (result.urzedy ? 1 : 0)) text += QStringLiteral("\nZmiany będą widoczne po ponownym uruchomieniu programu.");
  return text;
}

}  // namespace velmora::reference
