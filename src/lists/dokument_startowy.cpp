#include "dokument_startowy.h"

#include "departure/declaration_editor.h"

#include "frame/codes.h"
#include "frame/text_formats.h"
#include "host/clock.h"
#include "host/db.h"
#include "host/host_context.h"
#include "host/xml/messages.h"

namespace velmora::lists {

DokumentStartowy NowyDokumentStartowy(host::HostContext& ctx, int rodzaj, int rejestr_id) {
  DokumentStartowy d;
  const auto r = ctx.db.QueryOne(QStringLiteral("select * from REJESTRY where ID_REJESTRY = :ID"), {{QStringLiteral("ID"), rejestr_id}});
  if (rodzaj == frame::kRodzajWywoz) {
    // The declaration editor's own defaults, without its window.
    departure::DeklaracjaIE015 deklaracja(ctx);
    deklaracja.UstawRejestr(rejestr_id);
    deklaracja.SetXML(QString());
    d.xml = deklaracja.GetXML();
    if (r) d.kolumny_tranzytu = {{QStringLiteral("NADAWCA_ID"), r->Value(QStringLiteral("IE015_NADAWCA_ID"))},
                                 {QStringLiteral("NADAWCA_NAZWA"), r->Value(QStringLiteral("IE015_NADAWCA"))}};
    return d;
  }
  xml::Message m = xml::NewIE007();
  xml::Naglowek h = m.EnsureNaglowek();
  h.SetNrWlasny(frame::kAuto);
  h.SetDataUtworzenia(frame::GetDateTimeAsString(ctx.clock.Now()));
  xml::Group root = m.Root();
  xml::Group przybycie = root.Add(xml::kIE007_Przybycie);
  xml::Group lokalizacja = root.Add(xml::kIE007_Lokalizacja);
  xml::Group odbiorca = root.Add(xml::kIE007_Odbiorca);
  if (r) {
    auto str = [&r](const char* column) { return r->Str(QString::fromLatin1(column)).trimmed(); };
    przybycie.Set(QStringLiteral("UCPrzedstawienia"), str("IE007_UC_PRZEDSTAW"));
    static const char* const kMiejsca[] = {"MiejsceUznane", "Opis", "MiejsceOdpraw", "MiejsceWskazane"};
    const int typ = r->Int(QStringLiteral("IE007_MIEJSCE_TYP"));
    if (typ >= 1 && typ <= 4) lokalizacja.Set(QString::fromLatin1(kMiejsca[typ - 1]), str("IE007_MIEJSCE_OPIS"));
    if (!str("IE007_PRZEDSTAWICIEL").isEmpty()) odbiorca.Add(xml::kPrzedstawiciel).Set(QStringLiteral("TIN"), str("IE007_PRZEDSTAWICIEL"));
    d.kolumny_tranzytu = {{QStringLiteral("ODBIORCA_ID"), r->Value(QStringLiteral("IE007_ODBIORCA_ID"))},
                          {QStringLiteral("ODBIORCA_NAZWA"), r->Value(QStringLiteral("IE007_ODBIORCA"))}};
  }
  d.xml = m.Xml();
  while (d.xml.endsWith(QLatin1Char('\n'))) d.xml.chop(1);
  return d;
}

}  // namespace velmora::lists
