#include "support/test_host.h"

#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/db/record_store.h"
#include "host/reports/saldo_gwarancji_rpt.h"
#include "host/reports/terminowosc_rpt.h"

namespace velmora::testing {
namespace {

using host::TerminowoscParametry;

QString S(const char* s) { return QString::fromUtf8(s); }
QDateTime At(int day, int h, int m = 0) { return QDateTime(QDate(2024, 3, day), QTime(h, m)); }

class HostReports : public HostTest {
 protected:
  void Transit(int id, int rodzaj, int rejestr, int nr, const QString& mrn, const QDate& utworzony = QDate(2024, 3, 1)) {
    db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, REJESTRY_ID, RODZAJ, ROK, NR, NUMER, MRN, CREATE_DATE) "
                "values (:ID, :REJ, :RODZAJ, 2024, :NR, :NUMER, :MRN, :D)"),
              {{S("ID"), id}, {S("REJ"), rejestr}, {S("RODZAJ"), rodzaj}, {S("NR"), nr},
               {S("NUMER"), QStringLiteral("%1/2024").arg(nr)}, {S("MRN"), mrn}, {S("D"), utworzony}});
  }
  // An outgoing message: `wyslano` is its sending date, invalid while unsent.
  void Sent(int transit, const char* typ, const QDateTime& wyslano) {
    Message(transit, typ, 2, wyslano.isValid() ? QVariant(wyslano) : QVariant(), At(1, 7).date(), S("07:00:00"));
  }
  // A received message: its header's date, and when it was stored.
  void Received(int transit, const char* typ, const QDateTime& odebrano) {
    Message(transit, typ, 11, QDateTime(odebrano.date(), QTime(0, 0)), odebrano.date(),
            odebrano.time().toString(S("HH:mm:ss")));
  }
  void Message(int transit, const char* typ, int status, const QVariant& wyslano, const QVariant& data, const QVariant& czas) {
    const qint64 id = ++message_id_;
    db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, DATA_WYSLANIA, CREATE_DATE, "
                "CREATE_TIME) values (:ID, :T, :LP, :TYP, :S, :W, :D, :C)"),
              {{S("ID"), id}, {S("T"), transit}, {S("LP"), id}, {S("TYP"), S(typ)}, {S("S"), status}, {S("W"), wyslano},
               {S("D"), data}, {S("C"), czas}});
  }

  qint64 message_id_ = 0;
};

TEST_P(HostReports, TimelinessMeasuresEachStepFromTheFirstMessageOfItsKind) {
  Transit(1, 0, 1, 2, S("24PL322010NS0000A1"));
  Sent(1, "IE015", At(1, 9));
  Received(1, "UPO", At(1, 9, 5));
  Received(1, "IE028", At(1, 11, 30));
  Received(1, "IE028", At(1, 15));  // a repeated answer does not move the step
  Received(1, "IE029", At(2, 9));
  Transit(2, 0, 1, 1, S("24PL322010NS0000B2"));  // still waiting for its release
  Sent(2, "IE015", At(4, 8));
  Received(2, "IE028", At(4, 14));
  Transit(3, 0, 1, 3, QString());
  Sent(3, "IE015", QDateTime());  // written, never sent
  Transit(4, 1, 1, 1, S("24PL322010NS0000C3"));
  Sent(4, "IE007", At(2, 10));
  Received(4, "IE043", At(2, 12));
  Sent(4, "IE044", At(3, 0));  // the sending date alone: counted from midnight
  // A release without the time it was stored falls back to its header's date.
  Message(4, "IE025", 11, At(4, 0), QVariant(), QVariant());

  const auto sekcje = host::ObliczTerminowosc(db(), {QDate(2024, 3, 1), QDate(2024, 3, 31), TerminowoscParametry::kWszystkie, 0});
  ASSERT_EQ(sekcje.size(), 2u);
  const host::SekcjaTerminowosci& wywozy = sekcje[0];
  EXPECT_EQ(wywozy.rodzaj, TerminowoscParametry::kWywozy);
  ASSERT_EQ(wywozy.wiersze.size(), 3u);
  // In register order, not in the order they were entered.
  EXPECT_EQ(wywozy.wiersze[0].numer, S("1/2024"));
  const host::WierszTerminowosci& pelny = wywozy.wiersze[1];
  EXPECT_EQ(pelny.mrn, S("24PL322010NS0000A1"));
  EXPECT_EQ(pelny.chwile, (std::vector<QDateTime>{At(1, 9), At(1, 11, 30), At(2, 9)}));
  ASSERT_EQ(pelny.godziny.size(), 3u);
  EXPECT_DOUBLE_EQ(*pelny.godziny[0], 2.5);
  EXPECT_DOUBLE_EQ(*pelny.godziny[1], 21.5);
  EXPECT_DOUBLE_EQ(*pelny.godziny[2], 24.0);
  const host::WierszTerminowosci& czeka = wywozy.wiersze[0];
  EXPECT_FALSE(czeka.chwile[2].isValid());
  EXPECT_DOUBLE_EQ(*czeka.godziny[0], 6.0);
  EXPECT_FALSE(czeka.godziny[1].has_value());
  EXPECT_FALSE(czeka.godziny[2].has_value());
  EXPECT_FALSE(wywozy.wiersze[2].chwile[0].isValid());

  EXPECT_EQ(wywozy.osiagniete, (std::vector<int>{2, 2, 1}));
  ASSERT_EQ(wywozy.podsumowanie.size(), 3u);
  EXPECT_EQ(wywozy.podsumowanie[0].liczba, 2);
  EXPECT_DOUBLE_EQ(wywozy.podsumowanie[0].srednio, 4.25);
  EXPECT_DOUBLE_EQ(wywozy.podsumowanie[0].najdluzej, 6.0);
  EXPECT_EQ(wywozy.podsumowanie[2].liczba, 1);
  EXPECT_DOUBLE_EQ(wywozy.podsumowanie[2].srednio, 24.0);

  const host::SekcjaTerminowosci& przywozy = sekcje[1];
  ASSERT_EQ(przywozy.wiersze.size(), 1u);
  EXPECT_EQ(przywozy.wiersze[0].chwile, (std::vector<QDateTime>{At(2, 10), At(2, 12), At(3, 0), At(4, 0)}));
  EXPECT_EQ(przywozy.wiersze[0].godziny,
            (std::vector<std::optional<double>>{2.0, 12.0, 24.0, 38.0}));
}

TEST_P(HostReports, TimelinessTakesThePeriodKindAndRegisterAsked) {
  Transit(1, 0, 1, 1, S("24PL322010NS0000A1"));
  Transit(2, 0, 2, 1, S("24PL322010NS0000B2"));
  Transit(3, 1, 2, 1, S("24PL322010NS0000C3"));
  Transit(4, 0, 2, 2, S("24PL322010NS0000D4"), QDate(2024, 2, 29));
  Transit(5, 0, 2, 3, S("24PL322010NS0000E5"), QDate(2024, 3, 31));

  auto mrns = [this](int rodzaj, int rejestr) {
    QStringList out;
    for (const auto& s : host::ObliczTerminowosc(db(), {QDate(2024, 3, 1), QDate(2024, 3, 31), rodzaj, rejestr}))
      for (const auto& w : s.wiersze) out << w.mrn.right(2);
    return out;
  };
  EXPECT_EQ(mrns(TerminowoscParametry::kWszystkie, 0), (QStringList{"A1", "B2", "E5", "C3"}));
  EXPECT_EQ(mrns(TerminowoscParametry::kWywozy, 2), (QStringList{"B2", "E5"}));
  EXPECT_EQ(mrns(TerminowoscParametry::kPrzywozy, 0), (QStringList{"C3"}));
  EXPECT_TRUE(mrns(TerminowoscParametry::kPrzywozy, 1).isEmpty());
}

TEST_P(HostReports, GuaranteeBalanceSplitsTheLedgerAtThePeriodsEnds) {
  db().Exec(S("insert into GWARANCJE (ID_GWARANCJE, SYMBOL, NUMER, GRN, RODZAJ, WALUTA, KWOTA, SALDO) values "
              "(7, 'GW-B', 'G/7', '24PL322010000777G', '1', 'PLN', 10000, 10000), "
              "(8, 'GW-A', 'G/8', '24PL322010000888G', '2', 'PLN', 2000.5, 2000.5)"));
  auto book = [this](int operacja, const QDate& d, double kwota, const char* mrn) {
    host::TWpisGwarancja w = host::NoweObciazenie(host_->user, host_->clock);
    w.operacja = operacja;
    w.data = d;
    w.kwota = kwota;
    w.obj_nr = S(mrn);
    w.obj_rodzaj = S("NCTS");
    w.gwarancja_id = 7;
    QString msg;
    ASSERT_GT(host::TGwarancjePozycjeBox::DodajWpis(db(), w, msg), 0) << msg.toStdString();
  };
  const int obc = host::TWpisGwarancja::kObciazenie;
  const int zwol = host::TWpisGwarancja::kZwolnienie;
  book(obc, QDate(2024, 2, 20), 1000, "24PL322010NS0000A1");
  book(obc, QDate(2024, 3, 1), 2500.25, "24PL322010NS0000B2");  // the period's first day
  book(zwol, QDate(2024, 3, 31), 1000, "24PL322010NS0000A1");    // and its last
  book(obc, QDate(2024, 4, 1), 500, "24PL322010NS0000C3");

  auto salda = host::ObliczSaldaGwarancji(db(), {QDate(2024, 3, 1), QDate(2024, 3, 31), 0, true});
  ASSERT_EQ(salda.size(), 2u);
  EXPECT_EQ(salda[0].symbol, S("GW-A"));  // by symbol
  EXPECT_DOUBLE_EQ(salda[0].saldo_poczatkowe, 2000.5);
  EXPECT_DOUBLE_EQ(salda[0].saldo_koncowe, 2000.5);
  EXPECT_TRUE(salda[0].pozycje.empty());
  const host::StanGwarancji& g = salda[1];
  EXPECT_EQ(g.grn, S("24PL322010000777G"));
  EXPECT_DOUBLE_EQ(g.saldo_poczatkowe, 9000);
  EXPECT_DOUBLE_EQ(g.obciazenia, 2500.25);
  EXPECT_DOUBLE_EQ(g.zwolnienia, 1000);
  EXPECT_DOUBLE_EQ(g.saldo_koncowe, 7499.75);
  ASSERT_EQ(g.pozycje.size(), 2u);
  EXPECT_EQ(g.pozycje[0].obj_nr, S("24PL322010NS0000B2"));
  EXPECT_DOUBLE_EQ(g.pozycje[0].kwota, -2500.25);
  EXPECT_DOUBLE_EQ(g.pozycje[0].saldo_po, 6499.75);
  EXPECT_EQ(g.pozycje[1].operacja, zwol);
  EXPECT_DOUBLE_EQ(g.pozycje[1].saldo_po, 7499.75);

  // Over the whole ledger the report ends where the ledger stands.
  salda = host::ObliczSaldaGwarancji(db(), {QDate(2024, 1, 1), QDate(2024, 12, 31), 7, false});
  ASSERT_EQ(salda.size(), 1u);
  EXPECT_DOUBLE_EQ(salda[0].saldo_poczatkowe, 10000);
  EXPECT_DOUBLE_EQ(salda[0].saldo_koncowe, host::SaldoGwarancji(db(), 7));
  EXPECT_TRUE(salda[0].pozycje.empty());
}

TEST_P(HostReports, RussianDescriptionsKeepTheirCyrillic) {
  host::RecordStore store(*ctx_, host::OpisyRosjaSpec());
  QVariantMap r = store.Empty();
  r[S("KOD_CN")] = S("84295199");
  r[S("OPIS_PL")] = S("Ładowarki czołowe, używane");
  r[S("OPIS_RU")] = S("Фронтальные погрузчики, бывшие в употреблении (ёЁ)");
  const qint64 id = store.Store(r);
  ASSERT_GT(id, 0);

  const QVariantMap back = store.Load(id);
  EXPECT_EQ(back.value(S("OPIS_RU")).toString(), S("Фронтальные погрузчики, бывшие в употреблении (ёЁ)"));
  EXPECT_EQ(back.value(S("OPIS_PL")).toString(), S("Ładowarki czołowe, używane"));
  // Found by its Russian text, as a search in the list would.
  EXPECT_EQ(db().QueryValue(S("select KOD_CN from OPISY_ROSJA where OPIS_RU like :R"), {{S("R"), S("Фронтальные%")}}).toString(),
            S("84295199"));
}

VELMORA_ON_BOTH_ENGINES(HostReports);

}  // namespace
}  // namespace velmora::testing
