#pragma once

#include "host/reports/raport_okresu.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <vector>

namespace velmora::host {

class Db;

struct SaldoGwarancjiParametry {
  QDate od;
  QDate do_;
  int gwarancja_id = 0;  // 0: every guarantee
  bool pozycje = false;  // with the ledger lines of the period
};

// One ledger line of the period, with the balance it left.
struct PozycjaSaldaGwarancji {
  int lp = 0;
  QDate data;
  QTime czas;
  int operacja = 0;  // TWpisGwarancja::kObciazenie / kZwolnienie
  QString obj_nr;
  double kwota = 0.0;  // as booked: a charge below 0
  double saldo_po = 0.0;
};

struct StanGwarancji {
  int id = 0;
  QString symbol, numer, grn, rodzaj, waluta;
  double kwota = 0.0;
  double saldo_poczatkowe = 0.0;  // before the period's first day
  double obciazenia = 0.0;        // charged in the period, as a positive amount
  double zwolnienia = 0.0;
  double saldo_koncowe = 0.0;     // after the period's last day
  std::vector<PozycjaSaldaGwarancji> pozycje;
};

// The guarantees (by symbol) with their balance at the start and end of the period and what moved it.
std::vector<StanGwarancji> ObliczSaldaGwarancji(Db& db, const SaldoGwarancjiParametry& p);

// "Saldo gwarancji": the guarantee register's balances and movements in a period.
class TWPTRpt : public TRaportOkresuRpt {
 public:
  explicit TWPTRpt(HostContext& ctx);
  void SetGwarancja(int id) { gwarancja_id_ = id; }
  void SetPozycje(bool pozycje) { pozycje_ = pozycje; }

  void Prepare() override;
  QString RenderHtml() override;
  const std::vector<StanGwarancji>& Salda() const { return salda_; }

 private:
  int gwarancja_id_ = 0;
  bool pozycje_ = false;
  std::vector<StanGwarancji> salda_;
};

}  // namespace velmora::host
