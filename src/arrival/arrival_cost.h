#pragma once

#include "host/base/dziesietna.h"
#include "host/db/record_store.h"

#include <QDate>
#include <QString>

namespace velmora::host {
struct HostContext;
}

namespace velmora::arrival {

// One cost of an arrival: a correction of the goods value in some currency, in złoty. What the
// cost box does, without its widgets.
class KosztIE007 {
 public:
  explicit KosztIE007(host::HostContext& ctx) : ctx_(ctx) {}

  QString kod, kwota_wal, waluta;
  QString kwota;  // złoty, 2 decimals with a point; worked out
  QDate data;     // of the rate
  host::Dziesietna kurs = host::Dziesietna::Cala(1);
  int jednostki = 1;

  // An existing cost: its stored texts and rate (the unit count is 1 until the currency is
  // looked up again).
  void Wczytaj(const QVariantMap& wiersz);
  // The rate of the currency at the date (1 per 1 when none, or no date), then Przelicz.
  void CheckKursy();
  // value × rate ÷ units, halves away from zero at 2 decimals, signed by the code.
  void Przelicz();
  // "(kurs = 4.2512)"
  QString EtykietaKursu() const;
  // False when the value's sign does not fit the code.
  bool ZnakPoprawny() const;
  host::FieldErrors Sprawdz() const;

 private:
  host::HostContext& ctx_;
};

}  // namespace velmora::arrival
