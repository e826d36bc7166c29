#include "mrn_repair.h"

#include "text_formats.h"
#include "host/db.h"
#include "host/xml/messages.h"

namespace velmora::frame {

void NaprawMRN(host::Db& db, qint64 tranzyt_id, const QString& typ) {
  const auto row = db.QueryOne(QStringLiteral("select XML from TRANZYTY_POZYCJE where TRANZYTY_ID = :ID and TYP = :TYP "
                                              "order by ID_TRANZYTY_POZYCJE desc"),
                               {{QStringLiteral("ID"), tranzyt_id}, {QStringLiteral("TYP"), typ}});
  if (!row) return;
  const xml::Message message = xml::GetMessage(xml::LoadXMLData(NaprawXML(row->Str(QStringLiteral("XML")))), typ);
  const QString mrn = message.GetNaglowek().MRN().trimmed();
  if (mrn.isEmpty()) return;
  host::Transaction tx(db);
  db.Exec(QStringLiteral("update TRANZYTY set MRN=:MRN where ID_TRANZYTY=") + QString::number(tranzyt_id),
          {{QStringLiteral("MRN"), mrn}});
  tx.Commit();
}

}  // namespace velmora::frame
