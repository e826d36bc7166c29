#include "own_number.h"

#include "codes.h"
#include "text_formats.h"
#include "transit_store.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/options.h"
#include "host/xml/messages.h"

namespace velmora::frame {

QString Base36Six(qint64 value) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  quint64 v = static_cast<quint64>(value);
  QString out(6, QLatin1Char('0'));
  for (int i = 5; i >= 0; --i) {
    out[i] = QLatin1Char(kDigits[v % 36]);
    v /= 36;
  }
  return out;
}

QString NadajNrWlasny(host::Options& options, int year, const QString& typ, qint64 counter) {
  QString prefix = options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("0"));
  if (prefix.isEmpty()) prefix = QStringLiteral("0");
  return QStringLiteral("%1").arg(year % 100, 2, 10, QLatin1Char('0')) + typ + Base36Six(counter) + prefix.left(1);
}

QString NadajNrWlasny(host::Options& options, const host::Clock& clock, const QString& typ, qint64 counter) {
  return NadajNrWlasny(options, clock.Today().year(), typ, counter);
}

QString NadajNrWlasny(host::Db& db, host::Options& options, const host::Clock& clock, qint64 id) {
  TransitStore store(db);
  const auto row = store.Komunikat(id);
  if (!row) throw host::DbError(QStringLiteral("Nie znaleziono komunikatu o identyfikatorze %1").arg(id));
  const QString current = row->Str(QStringLiteral("NR_WLASNY"));
  if (!current.isEmpty() && current != kAuto && current.size() > 7) return current;

  const QString typ = row->Str(QStringLiteral("TYP"));
  const QString number = NadajNrWlasny(options, clock, typ, id);

  host::Transaction tx(db);
  const QString text = NaprawXML(store.Xml(id));
  // An amendment is stored in the declaration's own shape until it is written.
  xml::Message message = xml::GetAnyMessage(xml::LoadXMLData(text));
  xml::Naglowek header = message.EnsureNaglowek();
  header.SetNrWlasny(number);
  header.SetDataUtworzenia(GetDateTimeAsString(clock.Now()));
  QString stored = message.Xml();
  while (stored.endsWith(QLatin1Char('\n')) || stored.endsWith(QLatin1Char('\r'))) stored.chop(1);
  store.ZapiszXml(id, stored);
  store.UstawNrWlasny(id, number);
  tx.Commit();
  return number;
}

}  // namespace velmora::frame
