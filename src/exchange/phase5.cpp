#include "phase5.h"

#include "cc_tables.h"

#include "frame/codes.h"
#include "frame/text_formats.h"
#include "frame/transit_store.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/xml/bodies.h"
#include "host/xml/cc_binding.h"
#include "host/xml/messages.h"

#include <QRegularExpression>

namespace velmora::exchange {

namespace {

const QString kSekcja = QStringLiteral("NCTS5");

// The national element names of the rejection the CC056C stands for, by the rejected message.
struct Odrzucenie {
  const char* rodzaj;
  const char* typ;
  const char* element;
};
const Odrzucenie kOdrzucenia[] = {
    {"015", "IE016", "OdrzucenieZgloszenia"}, {"013", "IE005", "OdrzucenieZmian"}, {"014", "IE906", "OdrzucenieWniosku"},
    {"007", "IE008", "OdrzucenieZawiadomienia"}, {"044", "IE058", "OdrzucenieUwag"},
};

// The message an answer relates to when it does not name it: the type the answer follows
// (none for the answers found by the MRN alone).
QString TypPowiazany(const QString& ie) {
  for (const QString& t : {frame::typ::IE025, frame::typ::IE043, frame::typ::IE045, frame::typ::IE055, frame::typ::IE060, frame::typ::IE140})
    if (ie == t) return {};
  if (ie == frame::typ::IE004 || ie == frame::typ::IE005) return frame::typ::IE013;
  if (ie == frame::typ::IE009 || ie == frame::typ::IE906) return frame::typ::IE014;
  if (ie == frame::typ::IE008) return frame::typ::IE007;
  if (ie == frame::typ::IE058) return frame::typ::IE044;
  return frame::typ::IE015;
}

// The own number of the newest message of `typ` in the transit the LRN or the MRN names.
QString NrPowiazany(host::Db& db, const QString& typ, const QString& lrn, const QString& mrn) {
  using K = frame::TransitStore::KluczTranzytu;
  frame::TransitStore store(db);
  QString nr = store.NrWlasnyNajnowszego(typ, K::NrDeklaracji, lrn);
  if (nr.isEmpty()) nr = store.NrWlasnyNajnowszego(typ, K::Lrn, lrn);
  if (nr.isEmpty()) nr = store.NrWlasnyNajnowszego(typ, K::Mrn, mrn);
  return nr;
}

const QRegularExpression& CcRoot() {
  static const QRegularExpression kCc(QStringLiteral("^CC[0-9]{3}C$"));
  return kCc;
}

// The phase whose schema the document meets, or the phase-5 faults when it meets none.
int Faza(const xml::XmlDocumentPtr& doc, std::vector<xml::SchemaFault>* faults) {
  auto p5 = xml::ValidateCc(doc, 5);
  if (p5.empty()) return 5;
  if (xml::ValidateCc(doc, 6).empty()) return 6;
  if (faults) *faults = std::move(p5);
  return 0;
}

}  // namespace

int FazaTranzytu(host::Db& db, qint64 tranzyt) {
  const QVariant v = db.QueryValue(QStringLiteral("select FAZA from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt}});
  return v.isNull() || v.toInt() < 4 ? 4 : v.toInt();
}

int FazaRejestru(host::Db& db, qint64 rejestr) {
  const QVariant v = db.QueryValue(QStringLiteral("select FAZA from REJESTRY where ID_REJESTRY = :R"), {{QStringLiteral("R"), rejestr}});
  return v.isNull() || v.toInt() < 4 ? 4 : v.toInt();
}

KomunikatCC NaFaze(host::HostContext& ctx, int faza, const xml::XmlDocumentPtr& ie) {
  const QString typ = ie->DocumentElement().LocalName();
  const xml::CcTable* table = FindCcTable(faza, typ);
  if (!table) return {nullptr, QStringLiteral("Komunikat %1 nie ma odpowiednika w fazie %2").arg(typ).arg(faza)};
  auto option = [&](const char* key, const QString& fallback) {
    const QString v = ctx.options.ReadOption(kSekcja, QString::fromLatin1(key), QString(), host::OptionScope::Application).trimmed();
    return v.isEmpty() ? fallback : v;
  };
  const xml::XmlNode gz = ie->DocumentElement().ChildByLocalName(QStringLiteral("GlownyZobowiazany"));
  const QString tin = gz ? gz.Attribute(QStringLiteral("TIN")).trimmed() : QString();
  const xml::CcVariables vars{{QStringLiteral("sender"), option("NADAWCA", tin.isEmpty() ? QStringLiteral("VELMORA") : tin)},
                              {QStringLiteral("recipient"), option("ODBIORCA", QStringLiteral("NTA.PL"))}};
  KomunikatCC out{xml::WriteCc(*table, ie, vars), {}};
  const auto faults = xml::ValidateCc(out.doc, faza);
  if (!faults.empty()) return {nullptr, xml::CcRefusal(table->cc, faults.front())};
  // A national envelope around the EU's message, when the platform wants one: its root's name
  // with %1 for the message's number ("IE%1PL" gives IE015PL).
  if (const QString koperta = option("KOPERTA", QString()); !koperta.isEmpty()) {
    xml::XmlDocumentPtr envelope = xml::XmlDocument::Create(koperta.arg(table->cc.mid(2, 3)));
    envelope->DocumentElement().AppendCopy(out.doc->DocumentElement());
    out.doc = envelope;
  }
  return out;
}

OdczytCC OdczytajCC(host::Db& db, const QString& xml) {
  OdczytCC out;
  xml::XmlDocumentPtr doc;
  try {
    // The root and a receipt's documents tell whether this reader is concerned: the whole tree
    // is built only for a CC message, not for every answer of many goods items.
    doc = xml::LoadXMLHead(frame::NaprawXML(xml), {QStringLiteral("Dokument")});
  } catch (const std::exception&) {
    return out;  // not for this reader: the load reports what it is
  }
  const QString root = doc->DocumentElement().LocalName();
  const auto cala = [&doc, &xml] { doc = xml::LoadXMLData(frame::NaprawXML(xml)); };
  if (root == QLatin1String("UPO")) {
    bool cc = false;
    for (xml::XmlNode d = doc->DocumentElement().FirstChild(); d; d = d.NextSibling())
      cc = cc || (d.LocalName() == QLatin1String("Dokument") && CcRoot().match(d.Attribute(QStringLiteral("Typ"))).hasMatch());
    if (!cc) return out;
    cala();
    // The platform's receipt names the CC message it took: the stored message is its counterpart.
    for (xml::XmlNode d = doc->DocumentElement().FirstChild(); d; d = d.NextSibling()) {
      const xml::CcTable* sent = d.LocalName() == QLatin1String("Dokument") ? FindCcTable(5, d.Attribute(QStringLiteral("Typ"))) : nullptr;
      if (!sent || !CcRoot().match(sent->cc).hasMatch() || sent->cc != d.Attribute(QStringLiteral("Typ"))) continue;
      d.SetAttribute(QStringLiteral("Typ"), sent->ie);
      out.cc = true;
      out.ie_xml = doc->ToXml();
    }
    return out;
  }
  if (!CcRoot().match(root).hasMatch()) return out;
  cala();
  out.cc = true;
  const xml::CcTable* table = FindCcTable(5, root);
  if (!table) {
    out.odmowa = QStringLiteral("- Dokument ") + root + QStringLiteral(" nie jest obsługiwany przez system NCTS2 ");
    return out;
  }
  // Phase 6 answers are read by the same table: only their schema differs.
  std::vector<xml::SchemaFault> faults;
  if (Faza(doc, &faults) == 0) {
    out.odmowa = xml::CcRefusal(root, faults.front());
    return out;
  }
  xml::XmlDocumentPtr ie = xml::ReadCc(*table, doc);
  xml::XmlNode ie_root = ie->DocumentElement();
  QString typ = table->ie;
  xml::XmlNode naglowek = ie_root.ChildByLocalName(QStringLiteral("Naglowek"));
  if (!naglowek) naglowek = ie_root.AppendChild(QStringLiteral("Naglowek"));
  QString text;
  if (root == QLatin1String("CC056C") || root == QLatin1String("CC057C")) {
    const xml::XmlNode o = ie_root.ChildByLocalName(QStringLiteral("OdrzucenieZgloszenia"));
    const QString rodzaj = o ? o.Attribute(QStringLiteral("Rodzaj")) : QString();
    for (const Odrzucenie& r : kOdrzucenia)
      if (rodzaj == QLatin1String(r.rodzaj)) typ = QString::fromLatin1(r.typ);
  }
  if (naglowek.Attribute(QStringLiteral("NrWlasnyKomunikatuPowiazanego")).isEmpty() && !TypPowiazany(typ).isEmpty()) {
    const QString nr = NrPowiazany(db, TypPowiazany(typ), naglowek.Attribute(QStringLiteral("LRN")), naglowek.Attribute(QStringLiteral("MRN")));
    if (!nr.isEmpty()) naglowek.SetAttribute(QStringLiteral("NrWlasnyKomunikatuPowiazanego"), nr);
  }
  text = ie->ToXml();
  for (const Odrzucenie& r : kOdrzucenia)
    if (typ == QLatin1String(r.typ)) text.replace(QStringLiteral("OdrzucenieZgloszenia"), QString::fromLatin1(r.element));
  if (typ != table->ie) {
    text.replace(QLatin1Char('<') + table->ie, QLatin1Char('<') + typ);
    text.replace(QStringLiteral("</") + table->ie, QStringLiteral("</") + typ);
    text.replace(QLatin1Char('/') + table->ie + QLatin1Char('/'), QLatin1Char('/') + typ + QLatin1Char('/'));
  }
  out.ie_xml = text;
  return out;
}

ImportCC ImportujCC015C(const QString& text) {
  ImportCC out;
  // The root tells whether it is a CC message: only then is the whole tree built here.
  xml::XmlDocumentPtr doc = xml::LoadXMLHead(text, {});
  const QString root = doc->DocumentElement().LocalName();
  if (!CcRoot().match(root).hasMatch()) return out;
  doc = xml::LoadXMLData(text);
  out.cc = true;
  if (root != QLatin1String("CC015C")) {
    out.odmowa = QStringLiteral("Dokument %1 nie jest zgłoszeniem tranzytowym CC015C").arg(root);
    return out;
  }
  std::vector<xml::SchemaFault> faults;
  out.faza = Faza(doc, &faults);
  if (out.faza == 0) {
    out.odmowa = xml::CcRefusal(root, faults.front());
    return out;
  }
  // Read, then laid out in the declaration's own order.
  const xml::XmlDocumentPtr read = xml::ReadCc(*FindCcTable(out.faza, root), doc);
  xml::Message ie015 = xml::NewIE015();
  xml::Group to = ie015.Root();
  xml::CopyGroup(xml::Group(read, read->DocumentElement(), &xml::kIE015), to);
  out.ie_xml = ie015.Xml();
  return out;
}

std::optional<std::vector<departure::UstalenieKomunikatu>> SprawdzKomunikatCC(const QByteArray& bytes) {
  const xml::XmlDocumentPtr doc = xml::XmlDocument::ParseBytes(bytes);
  const QString root = doc->DocumentElement().LocalName();
  if (!CcRoot().match(root).hasMatch()) return std::nullopt;
  std::vector<departure::UstalenieKomunikatu> out;
  std::vector<xml::SchemaFault> faults;
  const int faza = Faza(doc, &faults);
  for (const xml::SchemaFault& f : faults)
    out.push_back({QStringLiteral("XSD"), f.path, f.message + (f.line > 0 ? QStringLiteral(" (wiersz %1)").arg(f.line) : QString())});
  const xml::CcTable* table = FindCcTable(faza == 0 ? 5 : faza, root);
  if (!table) {
    out.push_back({QString(), QString(), QStringLiteral("Brak schematu dla komunikatu ") + root});
    return out;
  }
  if (faza != 0)
    for (departure::UstalenieKomunikatu& u : departure::RegulyKomunikatu(xml::GetMessage(xml::ReadCc(*table, doc), table->ie)))
      out.push_back(std::move(u));
  return out;
}

}  // namespace velmora::exchange
