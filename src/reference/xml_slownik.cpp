#include "xml_slownik.h"

#include "slownik_ncts.h"
#include "slownik_ncts_box.h"

#include "host/base/host_context.h"
#include "host/xml/xml_document.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

namespace velmora::reference {

namespace {

QString Nazwa(int numer) { return QString::number(numer).rightJustified(3, QLatin1Char('0')) + QLatin1Char('a'); }

// The signs of the correction codes, read once per root.
const QHash<QString, QString>& Znaki(host::HostContext& ctx) {
  static QHash<QString, QHash<QString, QString>> cache;
  auto it = cache.find(ctx.root);
  if (it != cache.end()) return *it;
  QHash<QString, QString> znaki;
  for (const QString& file : SlownikFileNames(SlownikiDir(ctx.root), Nazwa(87))) {
    if (!QFile::exists(file)) continue;
    try {
      const xml::XmlDocumentPtr doc = xml::LoadXMLDocument(file);
      for (xml::XmlNode p = doc->DocumentElement().FirstChild(); p; p = p.NextSibling())
        znaki.insert(p.Attribute(QStringLiteral("code")).trimmed(), p.Attribute(QStringLiteral("znak")).trimmed());
    } catch (const xml::XmlParseError&) {
      // An unreadable list leaves every sign free; the pick list reports the file itself.
    }
    break;
  }
  return *cache.insert(ctx.root, znaki);
}

}  // namespace

int TXmlSlownik_BOX::Listuj(host::HostContext& ctx, const QString& nazwa, QString& kod, QWidget* anchor) {
  return TSlownikNCTS_BOX::Listuj(ctx, nazwa, kod, anchor);
}

QString TXmlSlownik_BOX::SLO(host::HostContext& ctx, int numer, const QString& kod) {
  // The pick list's search also finds a code by its beginning; here only the whole code does.
  const QString szukany = kod.trimmed();
  SlownikNCTS s(ctx.dialogs, ctx.root);
  if (s.LoadSlownik(Nazwa(numer))) {
    const qsizetype row = s.Table().Locate(szukany);
    if (row >= 0 && s.Table().Row(row).kod == szukany) return {};
  }
  return QStringLiteral("Nie znaleziono kodu \"%1\" w słowniku %2").arg(szukany).arg(numer);
}

std::optional<bool> CzyKorektaOdejmowana(host::HostContext& ctx, const QString& kod) {
  const QString znak = Znaki(ctx).value(kod.trimmed());
  if (znak == QLatin1String("-")) return true;
  if (znak == QLatin1String("+")) return false;
  return std::nullopt;
}

bool TestujZnakKorekty(host::HostContext& ctx, const QString& kod, const QString& wartosc) {
  return !(wartosc.trimmed().startsWith(QLatin1Char('-')) && CzyKorektaOdejmowana(ctx, kod) == false);
}

QString Test09Msg(const QString& tekst, int cyfry, int miejsca) {
  const QString t = tekst.trimmed();
  static const QRegularExpression kLiczba(QStringLiteral("^[0-9]+([.,][0-9]*)?$"));
  const auto m = kLiczba.match(t);
  const bool ok = m.hasMatch() && t.size() <= cyfry && (m.captured(1).isEmpty() || m.captured(1).size() - 1 <= miejsca);
  return ok ? QString() : QStringLiteral("Wartość musi być liczbą (%1,%2)").arg(cyfry).arg(miejsca);
}

}  // namespace velmora::reference
