#include "guarantee_charges.h"

#include "cal_entry.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/db/users.h"
#include "host/xml/xml_document.h"

namespace velmora::departure {

namespace {

host::TWpisGwarancja Wpis(host::HostContext& ctx, qint64 tranzyt_id, const QString& mrn) {
  host::TWpisGwarancja w = host::NoweObciazenie(ctx.user, ctx.clock);
  w.obj_nr = mrn;
  w.obj_rodzaj = QStringLiteral("NCTS");
  w.obj_id = tranzyt_id;
  return w;
}

void Zapamietaj(host::HostContext& ctx, qint64 tranzyt_id, qint64 wpis) {
  ctx.db.Exec(QStringLiteral("update TRANZYTY set OBCIAZENIE_ID = :E where ID_TRANZYTY = :T"),
              {{QStringLiteral("E"), wpis}, {QStringLiteral("T"), tranzyt_id}});
}

}  // namespace

Obciazenie ObciazGwarancjeDeklaracji(host::HostContext& ctx, qint64 tranzyt_id, const QString& mrn, const QString& ie015_xml) {
  Obciazenie result;
  const xml::XmlDocumentPtr doc = xml::LoadXMLData(frame::NaprawXML(ie015_xml));
  for (const xml::XmlNode& towar : doc->DocumentElement().ChildrenByLocalName(QStringLiteral("Towar")))
    for (const xml::XmlNode& info : towar.ChildrenByLocalName(QStringLiteral("InformacjaDodatkowa"))) {
      if (info.Attribute(QStringLiteral("Kod")).trimmed() != QLatin1String("CAL")) continue;
      const auto cal = CalZTekstu(info.Attribute(QStringLiteral("Tekst")));
      if (!cal || cal->kwota <= 0) continue;
      const int gwarancja = ctx.db.QueryValue(QStringLiteral("select ID_GWARANCJE from GWARANCJE where GRN = :GRN"),
                                              {{QStringLiteral("GRN"), cal->grn}}).toInt();
      if (gwarancja <= 0) continue;
      host::TWpisGwarancja w = Wpis(ctx, tranzyt_id, mrn);
      w.kwota_naleznosci = cal->kwota;
      w.gwarancja_id = gwarancja;
      const qint64 entry = host::TGwarancjePozycjeBox::DodajWpis(ctx.db, w, result.blad);
      if (entry == 0) return result;
      result.wpis = entry;
      Zapamietaj(ctx, tranzyt_id, entry);
    }
  return result;
}

Obciazenie ObciazGwarancjePrzybycia(host::HostContext& ctx, qint64 tranzyt_id) {
  Obciazenie result;
  const auto t = ctx.db.QueryOne(QStringLiteral("select MRN, GWARANCJA_ID, GWARANCJA_KWOTA from TRANZYTY where ID_TRANZYTY = :T"),
                                 {{QStringLiteral("T"), tranzyt_id}});
  if (!t) return result;
  const QString mrn = t->Str(QStringLiteral("MRN")).trimmed();
  const int gwarancja = t->Int(QStringLiteral("GWARANCJA_ID"));
  if (const auto existing = ctx.db.QueryOne(QStringLiteral("select ID_GWARANCJE_POZYCJE from GWARANCJE_POZYCJE where GWARANCJE_ID = :G "
                                                           "and OPERACJA = 0 and OBJ_NR = :MRN"),
                                            {{QStringLiteral("G"), gwarancja}, {QStringLiteral("MRN"), mrn}})) {
    result.wpis = existing->Int64(QStringLiteral("ID_GWARANCJE_POZYCJE"));
    Zapamietaj(ctx, tranzyt_id, result.wpis);
    return result;
  }
  host::TWpisGwarancja w = Wpis(ctx, tranzyt_id, mrn);
  w.kwota = t->Float(QStringLiteral("GWARANCJA_KWOTA"));
  w.gwarancja_id = gwarancja;
  result.wpis = host::TGwarancjePozycjeBox::DodajWpis(ctx.db, w, result.blad);
  if (result.wpis > 0) Zapamietaj(ctx, tranzyt_id, result.wpis);
  return result;
}

}  // namespace velmora::departure
