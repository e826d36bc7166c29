#include "slownik_ncts.h"

#include "host/base/dialogs.h"
#include "host/xml/xml_document.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <exception>

namespace velmora::reference {

namespace {

const QString kSlownikiDir = QStringLiteral("Slowniki");

// Where an entry's code may stand, in the order tried; each dictionary uses one of them.
const std::array<QString, 17> kCodeAttributes = {
    QStringLiteral("DecTyp140"),
    QStringLiteral("CouCod83"),
    QStringLiteral("PacCod269"),
    QStringLiteral("TraMod401"),
    QStringLiteral("SpeCirIndSPECIRIND543"),
    QStringLiteral("TraChaMetOfPay569"),
    QStringLiteral("ConResCod70"),
    QStringLiteral("Cur126"),
    QStringLiteral("DocTyp179"),
    QStringLiteral("PreDocTyp180"),
    QStringLiteral("code"),
    QStringLiteral("UNdangoocodUNDANGOOCOD594"),
    QStringLiteral("ConInd424"),
    QStringLiteral("AmeRejMotCod31"),
    QStringLiteral("GuaTypCod217"),
    QStringLiteral("ComCod308"),
    QStringLiteral("Kod")};

// Dictionaries whose entries carry their texts as attributes rather than language children.
const std::array<QString, 9> kDescriptionAttributeCodes = {
    QStringLiteral("039"),  QStringLiteral("1009"), QStringLiteral("1010"), QStringLiteral("1046"), QStringLiteral("1063"),
    QStringLiteral("1142"), QStringLiteral("1168"),
    // The host's own lists: correction codes and currencies.
    QStringLiteral("087a"), QStringLiteral("026a")};

QString EntryCode(const std::vector<std::pair<QString, QString>>& attributes) {
  for (const QString& name : kCodeAttributes) {
    for (const auto& [attr, value] : attributes) {
      if (attr != name) continue;
      const QString code = value.trimmed();
      if (!code.isEmpty()) return code;
    }
  }
  return {};
}

QString AttributeValue(const std::vector<std::pair<QString, QString>>& attributes, QLatin1StringView name) {
  for (const auto& [attr, value] : attributes)
    if (attr == name) return value;
  return {};
}

// Polish text when there is one, else English.
QString Description(const QString& pl, const QString& en) { return pl.isEmpty() ? en : pl; }

QString LanguageChildrenDescription(const xml::XmlNode& entry) {
  QString pl;
  QString en;
  for (xml::XmlNode child = entry.FirstChild(); child; child = child.NextSibling()) {
    const auto attributes = child.Attributes();
    const QString language = AttributeValue(attributes, QLatin1StringView("LanCod347"));
    if (language == QLatin1String("PL")) {
      pl = AttributeValue(attributes, QLatin1StringView("Des110"));
      break;
    }
    if (language == QLatin1String("EN")) en = AttributeValue(attributes, QLatin1StringView("Des110"));
  }
  return Description(pl, en);
}

QString KeyText(const QVariant& key) { return key.toString(); }

}  // namespace

SlownikCache& SlownikCache::Instance() {
  static SlownikCache cache;
  return cache;
}

const LoadedSlownik* SlownikCache::Find(const QString& key_text) const {
  auto it = entries_.constFind(key_text.toCaseFolded());
  return it == entries_.cend() ? nullptr : &it.value();
}

void SlownikCache::Add(const QString& key_text, LoadedSlownik loaded) {
  entries_.insert(key_text.toCaseFolded(), std::move(loaded));
}

void ReleaseSlownikCache() { SlownikCache::Instance().Clear(); }

QString SlownikiDir(const QString& root) {
  const QString own = QDir(root).filePath(kSlownikiDir);
  if (QFileInfo(own).isDir()) return own;
  const QString shipped = ShippedSlownikiDir();
  return shipped.isEmpty() ? own : shipped;
}

QStringList SlownikFileNames(const QString& dir, const QString& key) {
  const QDir d(dir);
  return {d.filePath(key + QLatin1String(".xml")), d.filePath(QLatin1String("RD") + key + QLatin1String(".xml")),
          d.filePath(QLatin1String("0") + key + QLatin1String(".xml")),
          d.filePath(QLatin1String("RD0") + key + QLatin1String(".xml"))};
}

LoadedSlownik ReadSlownikFile(const QString& file_name, const QString& key) {
  const xml::XmlDocumentPtr doc = xml::LoadXMLDocument(file_name);
  const xml::XmlNode root = doc->DocumentElement();
  const QString code = root.Attribute(QStringLiteral("code"));
  const bool description_attributes =
      std::find(kDescriptionAttributeCodes.begin(), kDescriptionAttributeCodes.end(), code) != kDescriptionAttributeCodes.end();

  auto table = std::make_shared<SlownikTable>();
  for (xml::XmlNode entry = root.FirstChild(); entry; entry = entry.NextSibling()) {
    const auto attributes = entry.Attributes();
    const QString opis =
        description_attributes
            ? Description(AttributeValue(attributes, QLatin1StringView("description")).trimmed(),
                          AttributeValue(attributes, QLatin1StringView("descriptionEng")).trimmed())
            : LanguageChildrenDescription(entry);
    table->Append(EntryCode(attributes), opis);
  }
  table->BuildIndex();
  return {QLatin1Char('(') + key.trimmed() + QLatin1String(") - ") + root.Attribute(QStringLiteral("name")),
          std::move(table)};
}

SlownikNCTS::SlownikNCTS(host::Dialogs& dialogs, QString root) : dialogs_(dialogs), root_(std::move(root)) {}

bool SlownikNCTS::IsLoaded(const QVariant& key) { return SlownikCache::Instance().Find(KeyText(key)) != nullptr; }

bool SlownikNCTS::LoadSlownik(const QVariant& key) {
  const QString key_text = KeyText(key);
  SlownikCache& cache = SlownikCache::Instance();
  if (const LoadedSlownik* loaded = cache.Find(key_text)) {
    table_ = loaded->table;
    title_ = loaded->title;
    return true;
  }

  const QString trimmed = key_text.trimmed();
  QString file_name;
  for (const QString& candidate : SlownikFileNames(SlownikiDir(root_), trimmed)) {
    if (QFileInfo(candidate).isFile()) {
      file_name = candidate;
      break;
    }
  }
  if (file_name.isEmpty()) {
    dialogs_.Blad(QStringLiteral("Plik ze słownikiem ") + trimmed + QStringLiteral(" nie istnieje"));
    return false;
  }

  // The table is complete before it is cached, so a file that fails leaves nothing behind.
  if (busy_) busy_(true);
  bool failed = false;
  QString error;
  try {
    LoadedSlownik loaded = ReadSlownikFile(file_name, key_text);
    table_ = loaded.table;
    title_ = loaded.title;
    cache.Add(key_text, std::move(loaded));
  } catch (const xml::XmlParseError& e) {
    failed = true;
    error = e.Message();
  } catch (const std::exception& e) {
    failed = true;
    error = QString::fromUtf8(e.what());
  }
  if (busy_) busy_(false);
  if (failed) {
    dialogs_.Blad(QStringLiteral("Wystąpił błąd podczas wczytywania słownika ") + QLatin1Char('\n') + error);
    return false;
  }
  return true;
}

bool SlownikNCTS::JestKod(const QVariant& key, const QString& code) {
  return LoadSlownik(key) && table_->Locate(code) >= 0;
}

QString SlownikNCTS::GetOpis(const QVariant& key, const QString& code) {
  if (!LoadSlownik(key)) return {};
  const qsizetype row = table_->Locate(code);
  return row < 0 ? QString() : table_->Row(row).opis;
}

}  // namespace velmora::reference
