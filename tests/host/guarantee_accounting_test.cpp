#include "host/db/guarantee_accounting.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

class GuaranteeAccounting : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    // The stored balance is wrong on purpose: it must be recomputed from the movements.
    db().Exec(QStringLiteral("insert into Gwar (ID_Gwar, Numer, Kwota, Saldo) values (1, 'PL-GW-1', 1000.004, 5)"));
  }
  int Rows() { return db().QueryValue(QStringLiteral("select count(*) from GwarPoz")).toInt(); }
  double Saldo() { return db().QueryValue(QStringLiteral("select Saldo from Gwar where ID_Gwar = 1")).toDouble(); }

  qint64 Debit(double kwota, QString& msg, bool saldo = true, int id = 1, host::Db* dataset = nullptr) {
    return host::Gwar_Obciazenie(*ctx_, kwota, id, msg, QStringLiteral("PU"), true, 7, 8, QStringLiteral("[3/15/2024]"),
                                      QDateTime(QDate(2024, 3, 1), QTime(0, 0)), dataset, QString(), QDateTime(), saldo);
  }
  qint64 Release(double kwota, QString& msg, const QDateTime& data = {}) {
    return host::Gwar_Zwolnienie(*ctx_, kwota, 1, msg, QStringLiteral("PU"), false, 7, 8, QStringLiteral("[3/15/2024]"),
                                      QDateTime(QDate(2024, 3, 1), QTime(0, 0)), nullptr, QStringLiteral("SRC-1"),
                                      QDateTime(QDate(2024, 2, 1), QTime(0, 0)), true, data);
  }
};

TEST_P(GuaranteeAccounting, MovementsAreWrittenAndBalanceComesFromAllOfThem) {
  QString msg = QStringLiteral("stale");
  const qint64 obc = Debit(100.005, msg);
  EXPECT_TRUE(msg.isEmpty());
  ASSERT_GT(obc, 0);
  auto row = *db().QueryOne(QStringLiteral("select * from GwarPoz where ID_GwarPoz = :ID"), {{QStringLiteral("ID"), obc}});
  EXPECT_EQ(row.Int(QStringLiteral("Operacja")), 0);
  EXPECT_EQ(row.Int(QStringLiteral("ExIm")), 0);
  EXPECT_DOUBLE_EQ(row.Float(QStringLiteral("Kwota_obc")), 100.01);
  EXPECT_DOUBLE_EQ(row.Float(QStringLiteral("Kwota_operacji")), -100.01);
  EXPECT_DOUBLE_EQ(row.Float(QStringLiteral("SaldoPrzed")), 1000.0);
  EXPECT_EQ(row.Str(QStringLiteral("NrSAD_src")), QStringLiteral("[3/15/2024]"));
  EXPECT_EQ(row.Value(QStringLiteral("DataSAD_src")).toDate(), QDate(2024, 3, 1));
  EXPECT_EQ(row.Value(QStringLiteral("Data")).toDate(), QDate(2024, 3, 5));
  EXPECT_EQ(row.Int(QStringLiteral("CREATE_USER_ID")), host_->user.UserInfo().GetID());
  EXPECT_DOUBLE_EQ(Saldo(), 899.99);

  // A release takes the stored balance as its balance before, and is dated as asked.
  const qint64 zw = Release(50, msg, QDateTime(QDate(2024, 3, 2), QTime(10, 0)));
  ASSERT_GT(zw, 0);
  row = *db().QueryOne(QStringLiteral("select * from GwarPoz where ID_GwarPoz = :ID"), {{QStringLiteral("ID"), zw}});
  EXPECT_EQ(row.Int(QStringLiteral("ExIm")), 1);
  EXPECT_DOUBLE_EQ(row.Float(QStringLiteral("Kwota_operacji")), 50.0);
  EXPECT_DOUBLE_EQ(row.Float(QStringLiteral("SaldoPrzed")), 899.99);
  EXPECT_EQ(row.Str(QStringLiteral("NrSAD_src")), QStringLiteral("SRC-1"));
  EXPECT_EQ(row.Value(QStringLiteral("Data")).toDate(), QDate(2024, 3, 2));
  EXPECT_DOUBLE_EQ(Saldo(), 949.99);

  EXPECT_GT(Release(0, msg), 0);  // a release of nothing is accepted, dated today
  EXPECT_EQ(db().QueryValue(QStringLiteral("select max(Data) from GwarPoz")).toDate(), QDate(2024, 3, 5));
  // Above the balance is refused only when the balance is checked.
  EXPECT_GT(Debit(5000, msg, false), 0);
  EXPECT_DOUBLE_EQ(Saldo(), -4050.01);
}

TEST_P(GuaranteeAccounting, RefusalsWriteNothing) {
  struct Case {
    bool release;
    double kwota;
    int id;
    const char* text;
  };
  const Case cases[] = {
      {false, 0, 1, "Kwota obciążenia gwarancji <= 0 !"},
      {false, -3, 1, "Kwota obciążenia gwarancji <= 0 !"},
      {true, -0.01, 1, "Kwota zwolnienia gwarancji < 0 !"},
      {false, 10, 99, "Brak gwarancji (ID = 99) !"},
      {false, 1000.01, 1, "Kwota obciążenia gwarancji (ID = 1) przekracza jej saldo !"},
      {false, 10, 0, ""},  // no guarantee: nothing to do
  };
  for (const Case& c : cases) {
    QString msg;
    const qint64 id = c.release ? host::Gwar_Zwolnienie(*ctx_, c.kwota, c.id, msg, QStringLiteral("PU"), true, 0, 0,
                                                             QString(), QDateTime(), nullptr, QString(), QDateTime(), true,
                                                             QDateTime())
                                : Debit(c.kwota, msg, true, c.id);
    EXPECT_EQ(id, 0) << c.text;
    EXPECT_EQ(msg, QString::fromUtf8(c.text));
  }
  EXPECT_EQ(Rows(), 0);
  EXPECT_DOUBLE_EQ(Saldo(), 5.0);
  EXPECT_FALSE(host::NamedLock(db()).IsLockedHere(QStringLiteral("Gwar1.$$$")));
}

TEST_P(GuaranteeAccounting, AnotherHolderOfTheLockMakesItGiveUpAfterTenAttempts) {
  auto other = host_->database().OpenAnother();
  host::NamedLock lock(*other);
  ASSERT_TRUE(lock.TryLock(QStringLiteral("Gwar1.$$$")));
  QString msg;
  const QString busy = QStringLiteral(" gwarancji (ID = 1),\n\rponieważ podobną operację wykonuje inny użytkownik !");
  EXPECT_EQ(Debit(10, msg), 0);
  EXPECT_EQ(msg, QStringLiteral("Nie można wykonać obciążenia") + busy);
  EXPECT_EQ(Release(10, msg), 0);
  EXPECT_EQ(msg, QStringLiteral("Nie można wykonać zwolnienia") + busy);
  EXPECT_EQ(Rows(), 0);
  lock.Unlock(QStringLiteral("Gwar1.$$$"));
  EXPECT_GT(Debit(10, msg), 0);
}

VELMORA_ON_BOTH_ENGINES(GuaranteeAccounting);

class GuaranteeLedger : public GuaranteeAccounting {
 protected:
  void SetUp() override {
    GuaranteeAccounting::SetUp();
    if (Stopped()) return;
    db().Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, GRN, TYP, KWOTA, SALDO) values "
                             "(4, 'G-4', '24PL0000000000004', 'KCS', 500, 0)"));
  }
  host::TWpisGwarancja Wpis(int operacja, double kwota, double naleznosci = 0, int gwarancja = 4) {
    host::TWpisGwarancja w;
    w.operacja = operacja;
    w.data = QDate(2024, 3, 5);
    w.czas = QTime(8, 4, 9);
    w.uzytkownik_id = 3;
    w.uzytkownik_nazwa = QStringLiteral("Anna Nowak");
    w.kwota = kwota;
    w.kwota_naleznosci = naleznosci;
    w.obj_nr = QStringLiteral("24PL322010NS0000K7");
    w.obj_rodzaj = QStringLiteral("NCTS");
    w.obj_id = 12;
    w.gwarancja_id = gwarancja;
    return w;
  }
  double LedgerSaldo() {
    return db().QueryValue(QStringLiteral("select SALDO from GWARANCJE where ID_GWARANCJE = 4")).toDouble();
  }
  int LedgerRows() { return db().QueryValue(QStringLiteral("select count(*) from GWARANCJE_POZYCJE")).toInt(); }
};

TEST_P(GuaranteeLedger, EntriesAreNumberedPerGuaranteeAndMoveTheBalance) {
  QString msg;
  const qint64 first = host::TGwarancjePozycjeBox::DodajWpis(db(), Wpis(0, 100.004, 20), msg);
  ASSERT_GT(first, 0) << msg.toStdString();
  EXPECT_DOUBLE_EQ(LedgerSaldo(), 380.0);
  EXPECT_GT(host::TGwarancjePozycjeBox::DodajWpis(db(), Wpis(1, 0, 30.5), msg), 0);
  EXPECT_DOUBLE_EQ(LedgerSaldo(), 410.5);
  // Settling a position names its guarantee and ordinal instead of the guarantee.
  host::TWpisGwarancja w = Wpis(0, 0, 10, 0);
  w.pow_gwarancja_id = 4;
  w.pow_lp = 1;
  EXPECT_GT(host::TGwarancjePozycjeBox::DodajWpis(db(), w, msg), 0);
  EXPECT_DOUBLE_EQ(host::SaldoGwarancji(db(), 4), 400.5);

  const auto rows = db().QueryAll(QStringLiteral("select * from GWARANCJE_POZYCJE order by LP"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Int64(QStringLiteral("ID_GWARANCJE_POZYCJE")), first);
  EXPECT_EQ(rows[2].Int(QStringLiteral("LP")), 3);
  EXPECT_EQ(rows[2].Int(QStringLiteral("GWARANCJE_ID")), 4);
  EXPECT_EQ(rows[2].Int(QStringLiteral("POW_LP")), 1);
  EXPECT_DOUBLE_EQ(rows[0].Float(QStringLiteral("KWOTA")), 100.0);
  EXPECT_DOUBLE_EQ(rows[0].Float(QStringLiteral("KWOTA_OPERACJI")), -120.0);
  EXPECT_DOUBLE_EQ(rows[1].Float(QStringLiteral("KWOTA_OPERACJI")), 30.5);
  EXPECT_DOUBLE_EQ(rows[1].Float(QStringLiteral("SALDO_PRZED")), 380.0);
  EXPECT_EQ(rows[0].Value(QStringLiteral("DATA")).toDate(), QDate(2024, 3, 5));
}

TEST_P(GuaranteeLedger, RefusedEntriesWriteNothing) {
  host::TWpisGwarancja nieznana_pozycja = Wpis(0, 1, 0, 0);
  nieznana_pozycja.pow_gwarancja_id = 4;
  nieznana_pozycja.pow_lp = 9;
  const std::pair<host::TWpisGwarancja, const char*> cases[] = {
      {Wpis(2, 10), "Nieznany rodzaj operacji na gwarancji (2) !"},
      {Wpis(0, 0.004), "Kwota obciążenia gwarancji <= 0 !"},
      {Wpis(1, 20, -5), "Kwota zwolnienia gwarancji <= 0 !"},
      {Wpis(0, 10, 0, 0), "Nie wskazano gwarancji !"},
      {Wpis(0, 10, 0, 77), "Brak gwarancji (ID = 77) !"},
      {nieznana_pozycja, "Brak pozycji nr 9 gwarancji (ID = 4) !"},
      {Wpis(0, 400, 100.01), "Kwota obciążenia gwarancji nr G-4 (500.01) przekracza jej saldo (500.00) !"},
  };
  for (const auto& [wpis, text] : cases) {
    QString msg;
    EXPECT_EQ(host::TGwarancjePozycjeBox::DodajWpis(db(), wpis, msg), 0);
    EXPECT_EQ(msg, QString::fromUtf8(text));
  }
  EXPECT_EQ(LedgerRows(), 0);
  EXPECT_DOUBLE_EQ(LedgerSaldo(), 0.0);
}

VELMORA_ON_BOTH_ENGINES(GuaranteeLedger);

}  // namespace
}  // namespace velmora::testing
