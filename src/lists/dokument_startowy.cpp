#include "dokument_startowy.h"

#include "frame/codes.h"
#include "frame/text_formats.h"
#include "host/clock.h"
#include "host/db.h"
#include "host/host_context.h"
#include "host/xml/messages.h"

namespace velmora::lists {

namespace {

// The register's defaults as the first document carries them.
const xml::GroupDesc kDeklaracja{QStringLiteral("Deklaracja"),
                                 {xml::Attr("Typ"), xml::Attr("UCWyjscia"), xml::Attr("MiejsceRodzaj"), xml::Attr("MiejsceOpis"),
                                  xml::Attr("MiejsceZaladunku")}};
const xml::GroupDesc kPrzybycie{QStringLiteral("Przybycie"),
                                {xml::Attr("UCPrzedstawienia"), xml::Attr("MiejsceRodzaj"), xml::Attr("MiejsceOpis"),
                                 xml::Attr("Przedstawiciel")}};

}  // namespace

DokumentStartowy NowyDokumentStartowy(host::HostContext& ctx, int rodzaj, int rejestr_id) {
  const bool wywoz = rodzaj == frame::kRodzajWywoz;
  xml::Message m = wywoz ? xml::NewIE015() : xml::NewIE007();
  xml::Naglowek h = m.EnsureNaglowek();
  h.SetNrWlasny(frame::kAuto);
  h.SetDataUtworzenia(frame::GetDateTimeAsString(ctx.clock.Now()));
  DokumentStartowy d;
  const auto r = ctx.db.QueryOne(QStringLiteral("select * from REJESTRY where ID_REJESTRY = :ID"), {{QStringLiteral("ID"), rejestr_id}});
  xml::Group root = m.Root();
  if (wywoz) {
    xml::Group g(m.Document(), root.Node().AppendChild(kDeklaracja.name), &kDeklaracja);
    if (r) {
      g.Set(QStringLiteral("Typ"), r->Str(QStringLiteral("IE015_TYP")));
      g.Set(QStringLiteral("UCWyjscia"), r->Str(QStringLiteral("IE015_UC_ZGLOSZENIA")));
      g.Set(QStringLiteral("MiejsceRodzaj"), r->Str(QStringLiteral("IE015_MIEJSCE_TYP")));
      g.Set(QStringLiteral("MiejsceOpis"), r->Str(QStringLiteral("IE015_MIEJSCE_OPIS")));
      g.Set(QStringLiteral("MiejsceZaladunku"), r->Str(QStringLiteral("IE015_MIEJSCE_ZAL")));
      d.kolumny_tranzytu = {{QStringLiteral("NADAWCA_ID"), r->Value(QStringLiteral("IE015_NADAWCA_ID"))},
                            {QStringLiteral("NADAWCA_NAZWA"), r->Value(QStringLiteral("IE015_NADAWCA"))}};
    }
  } else {
    xml::Group g(m.Document(), root.Node().AppendChild(kPrzybycie.name), &kPrzybycie);
    if (r) {
      g.Set(QStringLiteral("UCPrzedstawienia"), r->Str(QStringLiteral("IE007_UC_PRZEDSTAW")));
      g.Set(QStringLiteral("MiejsceRodzaj"), r->Str(QStringLiteral("IE007_MIEJSCE_TYP")));
      g.Set(QStringLiteral("MiejsceOpis"), r->Str(QStringLiteral("IE007_MIEJSCE_OPIS")));
      g.Set(QStringLiteral("Przedstawiciel"), r->Str(QStringLiteral("IE007_PRZEDSTAWICIEL")));
      d.kolumny_tranzytu = {{QStringLiteral("ODBIORCA_ID"), r->Value(QStringLiteral("IE007_ODBIORCA_ID"))},
                            {QStringLiteral("ODBIORCA_NAZWA"), r->Value(QStringLiteral("IE007_ODBIORCA"))}};
    }
  }
  d.xml = m.Xml();
  while (d.xml.endsWith(QLatin1Char('\n'))) d.xml.chop(1);
  return d;
}

}  // namespace velmora::lists
