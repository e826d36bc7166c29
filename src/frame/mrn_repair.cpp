#include "mrn_repair.h"

#include "text_formats.h"
#include "host/db/db.h"
#include "host/xml/messages.h"
#include "transit_store.h"

namespace velmora::frame {

void NaprawMRN(host::Db& db, qint64 tranzyt_id, const QString& typ) {
  TransitStore store(db);
  const QString stored = store.NajnowszyXmlWgId(tranzyt_id, typ).value_or(QString());
  if (stored.isEmpty()) return;
  const xml::Message message = xml::GetMessage(xml::LoadXMLData(NaprawXML(stored)), typ);
  const QString mrn = message.GetNaglowek().MRN().trimmed();
  if (mrn.isEmpty()) return;
  host::Transaction tx(db);
  store.UstawMrn(tranzyt_id, mrn);
  tx.Commit();
}

}  // namespace velmora::frame
