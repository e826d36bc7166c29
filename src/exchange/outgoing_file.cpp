#include "outgoing_file.h"

#include "phase5.h"

#include "arrival/arrival_copies.h"
#include "departure/declaration_copies.h"
#include "departure/guarantee_charges.h"
#include "frame/own_number.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/base/plugin_paths.h"
#include "host/xml/messages.h"
#include "host/xml/sad.h"
#include "host/xml/schema.h"
#include "host/xml/xml_document.h"
#include "reference/register_check.h"
#include "frame/transit_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <cmath>
#include <filesystem>
#include <memory>

namespace velmora::exchange {

namespace {

QHash<QString, Konwersja>& Konwersje() {
  static QHash<QString, Konwersja> k{
      {QStringLiteral("IE007"), [](host::HostContext& ctx, const QString& x, const QString&, const QString&, int) { return arrival::KopiujIE007toIE007(ctx, x); }},
      {QStringLiteral("IE013"), [](host::HostContext& ctx, const QString& x, const QString& mrn, const QString& lrn, int rodzaj) {
         return departure::KopiujIE015toIE013(ctx, x, mrn, lrn, rodzaj);
       }},
      {QStringLiteral("IE015"), [](host::HostContext& ctx, const QString& x, const QString&, const QString&, int) { return departure::KopiujIE015toIE015(ctx, x); }},
      {QStringLiteral("IE044"), [](host::HostContext& ctx, const QString& x, const QString&, const QString&, int) { return arrival::KopiujIE044toIE044(ctx, x); }},
      {QStringLiteral("IE141"), [](host::HostContext& ctx, const QString& x, const QString&, const QString&, int) { return arrival::KopiujIE141toIE141(ctx, x); }},
  };
  return k;
}

struct Kanal {
  QString email, url, seap, epuap_podmiot, epuap_skrytka;
};

Kanal CzytajKanal(host::Options& o) {
  auto read = [&](const char* key) {
    return o.ReadOption(QStringLiteral("KANAL_ZWROTNY"), QString::fromLatin1(key), QString(), host::OptionScope::Application).trimmed();
  };
  return {read("EMAIL"), read("URL"), read("ECIP_SEAP"), read("EPUAP_PODMIOT"), read("EPUAP_SKRYTKA")};
}

// Removes what holds nothing, depth first; answers whether `node` itself is empty.
bool Przytnij(xml::XmlNode node, const QString& keep) {
  if (node.IsNull()) return true;
  std::vector<xml::XmlNode> children = node.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (Przytnij(*it, keep) && !keep.contains(it->NodeName())) xml::XML_RemoveNode(*it);
  // Text is content too.
  bool counted = node.Children().empty() && !node.Text().trimmed().isEmpty();
  if (!node.Children().empty()) counted = true;
  const auto attributes = node.Attributes();
  for (auto it = attributes.rbegin(); it != attributes.rend(); ++it) {
    const QString name = it->first.toUpper();
    if (name == QLatin1String("POZID")) continue;
    if (name.startsWith(QLatin1String("XMLNS"))) {
      counted = true;
      continue;
    }
    if (it->second.trimmed().isEmpty()) node.RemoveAttribute(it->first);
    else counted = true;
  }
  return !counted;
}

QString SprawdzRejestr(host::HostContext& ctx, const QString& xml, const QString& mrn) {
  const auto wpisy = reference::WpisyDlaMRN(ctx.db, mrn);
  if (wpisy.empty()) {
    const QString text = QStringLiteral("Wysłanie komunikatu IE044 nie jest możliwe ponieważ nie znaleziono przygotowanego\r\n"
                                        " zgłoszenia do wpisu do rejestru, który ma odpowiadający numer MRN ") + mrn;
    ctx.dialogs.Blad(text);
    return text;
  }
  double suma = 0;
  for (const auto& w : wpisy) suma += w.masa_brutto;
  double masa = 0;
  const auto doc = xml::LoadXMLData(frame::NaprawXML(xml));
  for (xml::XmlNode n = doc->DocumentElement().FirstChild(); n; n = n.NextSibling()) {
    const QString m = n.Attribute(QStringLiteral("MasaBrutto"));
    if (!m.isEmpty()) {
      masa = xml::SadLiczba(m);  // a clerk's decimal comma too
      break;
    }
  }
  if (std::abs(suma - masa) <= 0.001) return {};
  const QString text = QStringLiteral("Wysłanie komunikatu IE044 nie jest możliwe ponieważ suma wagi\r\n na %1 wpisu do rejestru, różni się "
                                      "od wagi podanej w komunikacie IE044\r\n Waga we wpisie wynosi %2 natomiast waga podana w IE044 %3")
                           .arg(wpisy.size() == 1 ? QStringLiteral("zgłoszeniu") : QStringLiteral("zgłoszeniach"))
                           .arg(QString::number(suma, 'g', 15), QString::number(masa, 'g', 15));
  ctx.dialogs.Blad(text);
  return text;
}

// The signer library is loaded for each write and freed after it. The crypto libraries under it
// stay loaded for the life of the process, so a write does not load and relocate them anew.
void KeepSignerLibrariesLoaded() {
  static QLibrary* const resident = [] {
    auto* l = new QLibrary(QStringLiteral("xmlsec1-openssl"), 1);
    l->load();  // where it is not found, each write loads it with the signer
    return l;
  }();
  Q_UNUSED(resident);
}

}  // namespace

void RegisterKonwersja(const QString& typ, Konwersja konwersja) { Konwersje().insert(typ, std::move(konwersja)); }
void UnregisterKonwersja(const QString& typ) { Konwersje().remove(typ); }

bool TestKanalZwrotny(host::HostContext& ctx) {
  const Kanal k = CzytajKanal(ctx.options);
  return !k.email.isEmpty() || !k.url.isEmpty() || !k.seap.isEmpty() || (!k.epuap_podmiot.isEmpty() && !k.epuap_skrytka.isEmpty());
}

namespace {

// Writing a message into its file, stage by stage; each stage answers a refusal in the system's
// words, or empty to go on. Everything from the own number to the sent status is one
// transaction: a write refused on the way leaves the message, its number, its header and the
// file at the path as they were.
class ZapisPliku {
 public:
  ZapisPliku(host::HostContext& ctx, qint64 id, const QString& file_name)
      : ctx_(ctx), db_(ctx.db), store_(ctx.db), id_(id), file_name_(file_name), dir_(QFileInfo(file_name).absolutePath()) {}

  QString Run() {
    if (QString r = CzytajKomunikat(); !r.isEmpty()) return r;
    host::Transaction tx(db_);
    for (QString (ZapisPliku::*etap)() : {&ZapisPliku::NadajNumer, &ZapisPliku::PostacDoWyslania, &ZapisPliku::Naglowek,
                                          &ZapisPliku::SprawdzSchemat, &ZapisPliku::TekstPliku, &ZapisPliku::ZapiszIPodpisz,
                                          &ZapisPliku::OznaczWyslany}) {
      if (QString r = (this->*etap)(); !r.isEmpty() || pusty_) return r;
    }
    tx.Commit();
    ObciazGwarancje();
    return {};
  }

 private:
  // The message and its transit; a message sent before is written again only when asked.
  QString CzytajKomunikat() {
    if (!QDir().mkpath(dir_)) return QStringLiteral("Katalog ") + dir_ + QStringLiteral(" nie istnieje. Brak uprawnień do jego utworzenia.");
    const auto message = store_.Komunikat(id_);
    if (!message) return QStringLiteral("Nie znaleziono komunikatu o identyfikatorze %1").arg(id_);
    if (message->Int(QStringLiteral("STATUS")) == 2 &&
        ctx_.dialogs.PytanieNieTak(QStringLiteral("Ten dokument został już wyeksportowany. Czy chcesz to zrobić ponownie ?")) != host::kIdYes)
      return QStringLiteral("Ten dokument został już wyeksportowany");
    tranzyt_ = message->Int64(QStringLiteral("TRANZYTY_ID"));
    typ_ = message->Str(QStringLiteral("TYP"));
    rodzaj_sprostowania_ = message->Int(QStringLiteral("IE013_RODZAJ"));
    const auto transit = db_.QueryOne(QStringLiteral("select MRN, LRN from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt_}});
    mrn_ = transit ? transit->Str(QStringLiteral("MRN")).trimmed() : QString();
    lrn_ = transit ? transit->Str(QStringLiteral("LRN")).trimmed() : QString();
    return {};
  }

  QString NadajNumer() {
    if (frame::NadajNrWlasny(db_, ctx_.options, ctx_.clock, id_).isEmpty()) return QStringLiteral("Wystąpił błąd podczas nadawania numeru własnego");
    stored_ = store_.Xml(id_);
    // The file at the path goes only when a signed one takes its place (a rename within the directory).
    if (QFileInfo::exists(file_name_) && (QFileInfo(file_name_).isDir() || !QFileInfo(dir_).isWritable())) return kNieMoznaUsunac;
    return {};
  }

  // The type's conversion (or the stored text repaired), booleans as 1 and 0. An empty form
  // (a conversion that answered nothing) ends the write without a word.
  QString PostacDoWyslania() {
    if (typ_ == QLatin1String("IE044") && ctx_.switches.FZADURODER) {
      if (QString refusal = SprawdzRejestr(ctx_, stored_, mrn_); !refusal.isEmpty()) return refusal;
    }
    const auto konwersja = Konwersje().find(typ_);
    text_ = konwersja == Konwersje().end() ? frame::NaprawXML(stored_) : konwersja.value()(ctx_, stored_, mrn_, lrn_, rodzaj_sprostowania_);
    if (text_.isEmpty()) {
      pusty_ = true;
      return {};
    }
    static const QRegularExpression kTrue(QStringLiteral("true"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kFalse(QStringLiteral("false"), QRegularExpression::CaseInsensitiveOption);
    text_.replace(kTrue, QStringLiteral("1"));
    text_.replace(kFalse, QStringLiteral("0"));
    return {};
  }

  // The return channel in the header, the goods items' security parties in the shared types,
  // empty content pruned.
  QString Naglowek() {
    const Kanal kanal = CzytajKanal(ctx_.options);
    doc_ = xml::LoadXMLData(text_);
    xml::XmlNode root = doc_->DocumentElement();
    root_name_ = root.NodeName();
    root.SetAttribute(QStringLiteral("xmlns:typy"), xml::kTypyNamespace);
    if (xml::XmlNode naglowek = xml::GetXMLNode(root, QStringLiteral("Naglowek"))) {
      xml::XmlNode k = naglowek.AppendChild(QStringLiteral("typy:KanalZwrotny"));
      if (!kanal.email.isEmpty()) {
        k.AppendChild(QStringLiteral("typy:Email")).SetAttribute(QStringLiteral("Email"), kanal.email);
      } else if (!kanal.url.isEmpty()) {
        k.AppendChild(QStringLiteral("typy:WebService")).SetAttribute(QStringLiteral("Url"), kanal.url);
      } else if (!kanal.seap.isEmpty()) {
        k.AppendChild(QStringLiteral("typy:Seap")).SetAttribute(QStringLiteral("SeapId"), kanal.seap);
      } else if (!kanal.epuap_podmiot.isEmpty() && !kanal.epuap_skrytka.isEmpty()) {
        xml::XmlNode e = k.AppendChild(QStringLiteral("typy:Epuap"));
        e.SetAttribute(QStringLiteral("PodmiotId"), kanal.epuap_podmiot);
        e.SetAttribute(QStringLiteral("SkrytkaId"), kanal.epuap_skrytka);
      }
    }
    if (root_name_ == QLatin1String("IE015")) {
      // The security parties of a goods item are the shared types' own.
      for (xml::XmlNode towar = xml::GetXMLNode(root, QStringLiteral("Towar")); towar; towar = xml::GetXMLNextNode(towar, QStringLiteral("Towar"))) {
        xml::XmlNode bezp = xml::GetXMLNode(towar, QStringLiteral("Bezpieczenstwo"));
        if (!bezp) continue;
        for (const char* party : {"Nadawca", "Odbiorca"}) {
          xml::XmlNode old = xml::GetXMLNode(bezp, QString::fromLatin1(party));
          if (!old) continue;
          xml::XmlNode renamed = bezp.AppendChild(QStringLiteral("typy:") + QString::fromLatin1(party));
          for (const auto& [name, value] : old.Attributes()) renamed.SetAttribute(name, value);
          xml::XML_RemoveNode(old);
        }
      }
    }
    const QString keep = root_name_ == QLatin1String("IE007") ? QStringLiteral("Lokalizacja")
                         : root_name_ == QLatin1String("IE015") ? QStringLiteral("Rodzaj,UC")
                                                               : QString();
    Przytnij(root, keep);  // the root itself stays, only its empty content and attributes go
    return {};
  }

  // What the customs office would reject is refused here, before anything is written.
  QString SprawdzSchemat() {
    faza_ = FazaTranzytu(db_, tranzyt_);
    if (const xml::MessageType* type = xml::FindMessageTypeByRoot(doc_->DocumentElement().LocalName());
        faza_ == 4 && type && type->direction == xml::Direction::Outgoing) {
      const auto faults = xml::ValidateMessage(doc_, *type);
      if (!faults.empty()) return xml::SchemaRefusal(*type, faults.front());
    }
    return {};
  }

  QString TekstPliku() {
    // A line break between adjacent tags. Parsed again, the CR LF between two tags would be read
    // as LF: LF is what the text gets. ("><" occurs only between tags: the document escapes
    // both characters in values.)
    text_ = doc_->ToXml();
    text_.replace(QStringLiteral("><"), QStringLiteral(">\n<"));
    accounting_text_ = text_;
    if (faza_ > 4) {
      const KomunikatCC cc = NaFaze(ctx_, faza_, doc_);
      if (!cc.odmowa.isEmpty()) return cc.odmowa;
      doc_ = cc.doc;
      text_ = doc_->ToXml();
      text_.replace(QStringLiteral("><"), QStringLiteral(">\n<"));
    }

    // Renamed into the shared types' namespace. Closing tags follow their opening ones, so an
    // element with content stays well formed.
    auto rename = [this](const QString& from, const QString& to) {
      if (faza_ > 4) return;
      text_.replace(QLatin1Char('<') + from, QLatin1Char('<') + to);
      text_.replace(QStringLiteral("</") + from, QStringLiteral("</") + to);
    };
    rename(QStringLiteral("Gwarancja"), QStringLiteral("typy:Gwarancja"));
    rename(QStringLiteral("Przedstawiciel"), QStringLiteral("typy:Przedstawiciel"));
    if (root_name_ == QLatin1String("IE015") || root_name_ == QLatin1String("IE007"))
      rename(QStringLiteral("Zamkniecie"), QStringLiteral("typy:Zamkniecie"));
    rename(QStringLiteral("NadawcaTypy"), QStringLiteral("Nadawca"));
    rename(QStringLiteral("OdbiorcaTypy"), QStringLiteral("Odbiorca"));

    // The header comment after the declaration, every line ended by CR LF; the comment's own
    // closing CR LF leaves an empty line after it.
    QStringList lines = text_.split(QRegularExpression(QStringLiteral("\r?\n")));
    const QString comment = QStringLiteral("<!--\r\n\tPlik utworzony %1 przez program: %2 %3\r\n\tVelmora — moduł tranzytowy NCTS2\r\n"
                                           "\tul. Portowa 1, 81-350 Gdynia\r\n-->\r\n")
                                .arg(frame::GetDateTimeAsString(ctx_.clock.Now()), QCoreApplication::applicationName(),
                                     QCoreApplication::applicationVersion());
    lines.insert(1, comment);
    text_.clear();
    for (const QString& line : lines) text_ += line + QStringLiteral("\r\n");
    return {};
  }

  // Written in the stored document's own encoding beside the target, under a name of its own,
  // and signed in place there.
  QString ZapiszIPodpisz() {
    encoding_ = doc_->Encoding().isEmpty() ? QStringLiteral("UTF-8") : doc_->Encoding();
    QByteArray bytes;
    if (encoding_.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0) {
      bytes = text_.toUtf8();
    } else {
      auto encoder = QStringEncoder(encoding_.toLatin1().constData());
      bytes = encoder.isValid() ? QByteArray(encoder(text_)) : text_.toUtf8();
    }
    temp_ = std::make_unique<QTemporaryFile>(QDir(dir_).filePath(QStringLiteral(".XXXXXX.") + QFileInfo(file_name_).fileName()));
    if (!temp_->open() || temp_->write(bytes) != bytes.size() || !temp_->flush())
      return QStringLiteral("Katalog ") + dir_ + QStringLiteral(" nie istnieje. Brak uprawnień do jego utworzenia.");
    temp_->close();
    xml::XmlDocumentPtr request = xml::LoadXMLData(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Files></Files>"));
    request->DocumentElement().AppendChild(QStringLiteral("file")).SetText(QDir::toNativeSeparators(temp_->fileName()));
    {
      KeepSignerLibrariesLoaded();
      QLibrary signer(host::SignerPath(ctx_.root));
      if (!signer.load()) return QStringLiteral("Nie załadowano pliku dll - Tessaro.Xades.dll");
      using SignFileFn = bool (*)(const char*, int);
      auto sign = reinterpret_cast<SignFileFn>(signer.resolve("SignFile"));
      QString refusal;
      if (!sign) refusal = QStringLiteral("Nie znaleziono procedury SignFile w bibliotece Tessaro.Xades.dll");
      else if (!sign(request->ToXml().toLocal8Bit().constData(), 2)) refusal = QStringLiteral("Nie podpisano dokumentu");
      signer.unload();
      if (!refusal.isEmpty()) return refusal;
    }
    QFile signed_file(temp_->fileName());
    if (!signed_file.open(QIODevice::ReadOnly)) return QStringLiteral("Nie podpisano dokumentu");
    const QByteArray signed_bytes = signed_file.readAll();
    signed_file.close();
    // The signer keeps the file's encoding.
    QStringDecoder decoder(encoding_.toLatin1().constData());
    signed_text_ = encoding_.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0 || !decoder.isValid()
                       ? QString::fromUtf8(signed_bytes)
                       : QString(decoder(signed_bytes));
    return {};
  }

  // Stored as sent; the signed file takes the path only now, and should that fail the
  // message stays unsent.
  QString OznaczWyslany() {
    store_.OznaczWyslany(id_, tranzyt_, QDateTime(ctx_.clock.Today(), QTime(0, 0)), signed_text_);
    std::error_code renamed;
    std::filesystem::rename(QFile::encodeName(temp_->fileName()).toStdString(), QFile::encodeName(file_name_).toStdString(), renamed);
    if (renamed) return kNieMoznaUsunac;
    temp_->setAutoRemove(false);
    return {};
  }

  // The guarantee charges booked when the message leaves.
  void ObciazGwarancje() {
    const QString automatyczne = ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("Automatyczne"), QStringLiteral("0"));
    const QString kcs_obciazenie = ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("KCS_OBCIAZENIE"), QStringLiteral("0"));
    const QString kcs_objecie = ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("KCS_OBJECIE"), QStringLiteral("0"));
    const qint64 obciazenie =
        db_.QueryValue(QStringLiteral("select OBCIAZENIE_ID from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt_}}).toLongLong();
    if (obciazenie != 0 || !automatyczne.contains(QLatin1Char('1'))) return;
    const bool arrival = (root_name_ == QLatin1String("IE007") && !kcs_obciazenie.contains(QLatin1String("IE044"))) ||
                         (root_name_ == QLatin1String("IE044") && kcs_obciazenie.contains(QLatin1String("IE044")));
    if (arrival) {
      host::Transaction tx(db_);
      const departure::Obciazenie o = departure::ObciazGwarancjePrzybycia(ctx_, tranzyt_);
      if (o.blad.isEmpty()) tx.Commit();
      else ctx_.dialogs.Informacja(o.blad);
    } else if (root_name_ == QLatin1String("IE015") && kcs_objecie.contains(QLatin1Char('1'))) {
      host::Transaction tx(db_);
      const departure::Obciazenie o = departure::ObciazGwarancjeDeklaracji(ctx_, tranzyt_, mrn_, accounting_text_);
      if (o.blad.isEmpty()) tx.Commit();
    }
  }

  const QString kNieMoznaUsunac = QStringLiteral("Plik o podanej nazwie już istnieje i nie można go usunąć");
  host::HostContext& ctx_;
  host::Db& db_;
  frame::TransitStore store_;
  const qint64 id_;
  const QString file_name_;
  const QString dir_;
  qint64 tranzyt_ = 0;
  QString typ_, mrn_, lrn_, stored_, text_, accounting_text_, root_name_, encoding_, signed_text_;
  int rodzaj_sprostowania_ = 0;
  int faza_ = 4;
  bool pusty_ = false;
  xml::XmlDocumentPtr doc_;
  std::unique_ptr<QTemporaryFile> temp_;
};

}  // namespace

QString ZapiszKomunikatDoPliku(host::HostContext& ctx, qint64 id, const QString& file_name) {
  return ZapisPliku(ctx, id, file_name).Run();
}

}  // namespace velmora::exchange
