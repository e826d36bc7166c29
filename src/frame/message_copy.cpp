#include "message_copy.h"

#include "codes.h"
#include "text_formats.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/db/users.h"
#include "host/xml/xml_document.h"

namespace velmora::frame {

namespace {
// Where the program is at home: the place of filling of an administrator without one.
const QString kMiejsceDomyslne = QStringLiteral("Gdynia");
}  // namespace

const QString kBrakMiejscaWypelnienia = QStringLiteral(
    "Nie podano miejsca wypełnienia dokumentu. Informacją tą można wypełnić w oknie opcji użytkownika zakładka NCTS, lub na "
    "lokalizacji użytkownika");

QString BezPolskichLiter(const QString& text) {
  static const QString kPolskie = QStringLiteral("ĄąĆćĘęŁłŃńÓóŚśŹźŻż");
  static const QString kLacinskie = QStringLiteral("AaCcEeLlNnOoSsZzZz");
  QString out = text;
  for (QChar& c : out) {
    if (c.unicode() < 0x80) continue;
    const qsizetype i = kPolskie.indexOf(c);
    if (i >= 0) c = kLacinskie.at(i);
  }
  return out;
}

QString MiejsceWypelnienia(host::HostContext& ctx, const QString& zrodlo, bool domyslne_dla_admina) {
  QString miejsce = zrodlo.trimmed();
  if (miejsce.isEmpty())
    miejsce = ctx.options.ReadOption(QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QString(), host::OptionScope::User).trimmed();
  const host::TUser& user = ctx.user.UserInfo();
  if (miejsce.isEmpty()) miejsce = user.GetLOKALIZACJA().trimmed();
  if (miejsce.isEmpty() && domyslne_dla_admina && user.isSysAdmin()) miejsce = kMiejsceDomyslne;
  return BezPolskichLiter(miejsce);
}

QString FiltrujWartosc(const xml::FieldDesc& field, const QString& value) {
  QString v = value;
  if (field.copy & xml::kCopyMasa) {
    QString number = v.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double masa = number.toDouble(&ok);
    v = ok ? GetMasa(masa) : v;
  }
  if (field.copy & xml::kCopyAscii) v = BezPolskichLiter(v);
  if (field.copy & xml::kCopyUpper) v = v.toUpper();
  return v;
}

void KopiujGrupy(const xml::Message& from, xml::Message& to, const QStringList& pomin) {
  const xml::Group source = from.Root();
  xml::Group target = to.Root();
  for (const xml::FieldDesc& f : source.Desc()->fields) {
    if (f.kind != xml::FieldKind::Group || pomin.contains(f.name)) continue;
    for (const xml::Group& item : source.List(*f.group)) {
      xml::Group copy = target.Add(*f.group);
      xml::CopyGroup(item, copy, FiltrujWartosc, true);
      if (!f.repeated) break;
    }
  }
}

xml::Naglowek NaglowekNowego(xml::Message& doc) {
  xml::Naglowek h = doc.EnsureNaglowek();
  h.SetNrWlasny(kAuto);
  h.SetDataUtworzenia(kAuto);
  return h;
}

QString TekstBezKonca(const xml::Message& m) {
  QString text = m.Xml();
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
  return text;
}

xml::Message CzytajKomunikat(const QString& stored, const QString& code) {
  return xml::GetMessage(xml::LoadXMLData(NaprawXML(stored)), code);
}

}  // namespace velmora::frame
