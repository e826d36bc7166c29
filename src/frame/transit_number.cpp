#include "transit_number.h"

#include "host/base/clock.h"
#include "host/db/db.h"

namespace velmora::frame {

NumerTranzytu NadajNumerTranzytu(host::Db& db, const host::Clock& clock, int rodzaj, int rejestr_id) {
  const QDate today = clock.Today();
  NumerTranzytu n;
  n.rok = today.year();
  n.miesiac = today.month();
  const QVariant max = db.GetMaxFieldVal(QStringLiteral("TRANZYTY"), QStringLiteral("NR"),
                                         QStringLiteral("ROK = :ROK and RODZAJ = :RODZAJ and REJESTRY_ID = :REJ"),
                                         {{QStringLiteral("ROK"), n.rok},
                                          {QStringLiteral("RODZAJ"), rodzaj},
                                          {QStringLiteral("REJ"), rejestr_id}});
  n.nr = max.toInt() + 1;
  n.numer = QStringLiteral("%1/%2").arg(n.nr).arg(n.rok);
  return n;
}

}  // namespace velmora::frame
