#pragma once

#include "host/reports/raport_okresu.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace velmora::host {

class Db;

// Which transits the timeliness report takes.
struct TerminowoscParametry {
  static constexpr int kWywozy = 0;  // TRANZYTY.RODZAJ
  static constexpr int kPrzywozy = 1;
  static constexpr int kWszystkie = -1;
  QDate od;  // by the transit's creation date
  QDate do_;
  int rodzaj = kWszystkie;
  int rejestr_id = 0;  // 0: every register
};

// One step of a transit: a message we sent (its sending date) or one received (when it came).
struct EtapTerminowosci {
  QString typ;
  bool wysylany = false;
  QString naglowek;
};

// The hours from one step to another.
struct OdcinekTerminowosci {
  int od = 0;
  int do_ = 0;
  QString naglowek;
};

// The steps followed for one kind of transit.
struct UkladTerminowosci {
  int rodzaj = 0;
  QString tytul;
  std::vector<EtapTerminowosci> etapy;
  std::vector<OdcinekTerminowosci> odcinki;
};
const UkladTerminowosci& UkladTerminowosciDla(int rodzaj);

struct WierszTerminowosci {
  qint64 id = 0;
  QString numer;
  QString mrn;
  std::vector<QDateTime> chwile;               // per step; invalid when the transit has not got there
  std::vector<std::optional<double>> godziny;  // per interval; empty when either end is missing
};

struct PodsumowanieOdcinka {
  int liczba = 0;
  double srednio = 0.0;
  double najdluzej = 0.0;
};

struct SekcjaTerminowosci {
  int rodzaj = 0;
  std::vector<WierszTerminowosci> wiersze;
  std::vector<int> osiagniete;                   // per step: how many transits got there
  std::vector<PodsumowanieOdcinka> podsumowanie;  // per interval
};

// The transits of the period by kind (departures first), each with the moments of its steps.
std::vector<SekcjaTerminowosci> ObliczTerminowosc(Db& db, const TerminowoscParametry& p);

// "Terminowość": how long the customs office took at each step of the period's transits.
class TTerminowoscRpt : public TRaportOkresuRpt {
 public:
  explicit TTerminowoscRpt(HostContext& ctx);
  void SetRodzaj(int rodzaj) { rodzaj_ = rodzaj; }
  void SetRejestr(int id, const QString& nazwa = {}) {
    rejestr_id_ = id;
    rejestr_nazwa_ = nazwa;
  }
  int Rodzaj() const { return rodzaj_; }

  void Prepare() override;
  QString RenderHtml() override;
  const std::vector<SekcjaTerminowosci>& Sekcje() const { return sekcje_; }

 private:
  int rodzaj_ = TerminowoscParametry::kWszystkie;
  int rejestr_id_ = 0;
  QString rejestr_nazwa_;
  std::vector<SekcjaTerminowosci> sekcje_;
};

}  // namespace velmora::host
