#include "arrival_cost.h"

#include "host/db/exchange_rates.h"
#include "host/base/host_context.h"
#include "reference/xml_slownik.h"

namespace velmora::arrival {

namespace {
QString S(const char* s) { return QString::fromUtf8(s); }
}  // namespace

void KosztIE007::Wczytaj(const QVariantMap& w) {
  kod = w.value(S("KOD")).toString().trimmed();
  waluta = w.value(S("WALUTA")).toString().trimmed();
  kwota_wal = host::Dziesietna::Z(w.value(S("WARTOSC_WAL")).toString()).Tekst(2);
  kwota = host::Dziesietna::Z(w.value(S("WARTOSC_PLN")).toString()).Tekst(2);
  kurs = host::Dziesietna::ZKursu(w.value(S("KURS")).toDouble());
  jednostki = 1;
}

void KosztIE007::CheckKursy() {
  kurs = host::Dziesietna::Cala(1);
  jednostki = 1;
  const QString w = waluta.trimmed();
  if (data.isValid() && w.size() == 3) {
    host::ExchangeRates rates(ctx_.db, ctx_.user, ctx_.clock);
    if (const auto k = rates.GetKursy(w, data)) {
      kurs = host::Dziesietna::ZKursu(k->kurs);
      jednostki = std::max(1, k->przelicznik);
    }
  }
  Przelicz();
}

void KosztIE007::Przelicz() {
  jednostki = std::max(1, jednostki);
  const host::Dziesietna k = kurs.Surowa() > 0 ? kurs : host::Dziesietna();
  QString tekst = kwota_wal.trimmed();
  const host::Dziesietna wartosc = host::Dziesietna::Z(tekst);
  // value × rate in 1/10^8, to hundredths of a złoty
  qint64 grosze = host::CalaZ(static_cast<__int128>(wartosc.Surowa()) * k.Surowa(),
                              static_cast<__int128>(jednostki) * host::Dziesietna::kSkala * host::Dziesietna::kSkala / 100);
  const std::optional<bool> odejmowana = reference::CzyKorektaOdejmowana(ctx_, kod);
  if (odejmowana == true) grosze = -std::llabs(grosze);
  if (odejmowana == false) grosze = std::llabs(grosze);
  kwota = host::Dziesietna::ZSurowej(grosze * 100).Tekst(2);
}

QString KosztIE007::EtykietaKursu() const { return S("(kurs = %1)").arg(kurs.Tekst(4)); }

bool KosztIE007::ZnakPoprawny() const { return reference::TestujZnakKorekty(ctx_, kod, kwota_wal); }

host::FieldErrors KosztIE007::Sprawdz() const {
  host::FieldErrors out;
  if (kod.trimmed().isEmpty()) out.push_back({S("beKod"), S("Kod korekty jest wymagany")});
  else if (const QString b = reference::TXmlSlownik_BOX::SLO(ctx_, 87, kod); !b.isEmpty()) out.push_back({S("beKod"), b});
  QString wartosc = kwota_wal.trimmed();
  if (wartosc.startsWith(QLatin1Char('-'))) wartosc.remove(0, 1);
  if (const QString b = reference::Test09Msg(wartosc, 15, 2); !b.isEmpty()) out.push_back({S("beKwotaWal"), b});
  else if (!ZnakPoprawny()) out.push_back({S("beKwotaWal"), S("Niepoprawny znak wartości korekty !")});
  if (waluta.trimmed().isEmpty()) out.push_back({S("beWaluta"), S("Waluta jest wymagana")});
  else if (const QString b = reference::TXmlSlownik_BOX::SLO(ctx_, 26, waluta); !b.isEmpty()) out.push_back({S("beWaluta"), b});
  return out;
}

}  // namespace velmora::arrival
