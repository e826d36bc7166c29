#include "host/db/named_lock.h"
#include "support/test_host.h"

#include <QProcess>

#include <algorithm>

namespace velmora::testing {
namespace {

// Starts the second-workstation program on the test's database.
std::unique_ptr<QProcess> StartWorker(const QStringList& args) {
  auto p = std::make_unique<QProcess>();
  p->setProcessChannelMode(QProcess::SeparateChannels);
  p->start(QStringLiteral(VELMORA_LEDGER_WORKER), args);
  return p;
}

class NamedLocks : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    database_ = std::make_unique<TestDatabase>(GetParam());
  }
  std::unique_ptr<TestDatabase> database_;
};

TEST_P(NamedLocks, ANameIsHeldOnceAcrossConnectionsAndWithinOne) {
  auto other = database_->OpenAnother();
  host::NamedLock mine(database_->Db());
  host::NamedLock theirs(*other);
  const QString name = QStringLiteral("LockZatwWpis.$$$");
  ASSERT_TRUE(mine.TryLock(name));
  EXPECT_TRUE(mine.IsLockedHere(name));
  EXPECT_FALSE(mine.TryLock(name));
  EXPECT_FALSE(theirs.TryLock(name));
  EXPECT_TRUE(theirs.TryLock(QStringLiteral("Gwar1.$$$")));  // other names are free

  mine.Unlock(name);
  {
    host::NamedLockGuard guard(*other, name);
    EXPECT_TRUE(guard.Locked());
    EXPECT_FALSE(mine.TryLock(name));
  }
  EXPECT_TRUE(mine.TryLock(name));
  mine.Unlock(name);
  theirs.Unlock(QStringLiteral("Gwar1.$$$"));
}

TEST_P(NamedLocks, AnotherProcessHoldsTheNameUntilItDies) {
  const QString name = QStringLiteral("LockPUDok_000012.$$$");
  auto worker = StartWorker({QStringLiteral("hold"), database_->Url(), name});
  ASSERT_TRUE(worker->waitForReadyRead(30000)) << worker->readAllStandardError().toStdString();
  EXPECT_EQ(worker->readLine().trimmed(), QByteArray("locked"));
  host::NamedLock lock(database_->Db());
  EXPECT_FALSE(lock.TryLock(name));
  worker->kill();  // no release: the lock of a dead process must not stay
  worker->waitForFinished(30000);
  EXPECT_TRUE(lock.Lock(name, 25, std::chrono::milliseconds(200)));
  lock.Unlock(name);
}

TEST(NamedLocksInMemory, AreLocksOfThisProcess) {
  auto db = host::Db::Open(QStringLiteral("sqlite::memory:"));
  host::NamedLock a(*db);
  host::NamedLock b(*db);
  EXPECT_TRUE(a.TryLock(QStringLiteral("Gwar5.$$$")));
  EXPECT_FALSE(b.TryLock(QStringLiteral("Gwar5.$$$")));
  a.Unlock(QStringLiteral("Gwar5.$$$"));
  EXPECT_TRUE(b.TryLock(QStringLiteral("Gwar5.$$$")));
  b.Unlock(QStringLiteral("Gwar5.$$$"));
}

VELMORA_ON_BOTH_ENGINES(NamedLocks);

class TwoWorkstations : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
  }
  std::unique_ptr<TestHost> host_;
};

// Each workstation debits the same guarantee of both registers 50 times; every movement must
// have seen all earlier ones.
TEST_P(TwoWorkstations, DebitingOneGuaranteeKeepsTheBalanceExact) {
  constexpr int kCount = 50;
  host::Db& db = host_->db();
  db.Exec(QStringLiteral("insert into Gwar (ID_Gwar, Numer, Kwota, Saldo) values (1, 'PL-GW-1', 1000, 1000)"));
  db.Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, KWOTA, SALDO) values (2, 'G-2', 500, 500)"));
  const QString url = host_->database().Url();
  const QString n = QString::number(kCount);
  auto a = StartWorker({QStringLiteral("debit"), url, QStringLiteral("1"), n, QStringLiteral("1.25")});
  auto b = StartWorker({QStringLiteral("debit"), url, QStringLiteral("1"), n, QStringLiteral("1.25")});
  auto c = StartWorker({QStringLiteral("ledger"), url, QStringLiteral("2"), n, QStringLiteral("2.5")});
  auto d = StartWorker({QStringLiteral("ledger"), url, QStringLiteral("2"), n, QStringLiteral("2.5")});
  for (QProcess* p : {a.get(), b.get(), c.get(), d.get()}) {
    ASSERT_TRUE(p->waitForFinished(180000)) << "worker still running";
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
  }

  EXPECT_DOUBLE_EQ(db.QueryValue(QStringLiteral("select Saldo from Gwar where ID_Gwar = 1")).toDouble(), 1000 - 2 * kCount * 1.25);
  std::vector<double> przed;
  for (const host::Row& r : db.QueryAll(QStringLiteral("select SaldoPrzed from GwarPoz order by ID_GwarPoz")))
    przed.push_back(r.Float(QStringLiteral("SaldoPrzed")));
  ASSERT_EQ(przed.size(), 2u * kCount);
  std::sort(przed.begin(), przed.end(), std::greater<>());
  for (int i = 0; i < 2 * kCount; ++i) EXPECT_DOUBLE_EQ(przed[i], 1000 - i * 1.25);

  EXPECT_DOUBLE_EQ(db.QueryValue(QStringLiteral("select SALDO from GWARANCJE where ID_GWARANCJE = 2")).toDouble(),
                   500 - 2 * kCount * 2.5);
  const auto lp = db.QueryOne(QStringLiteral("select count(distinct LP) as N, min(LP) as LO, max(LP) as HI, min(SALDO_PRZED) "
                                             "as S from GWARANCJE_POZYCJE where GWARANCJE_ID = 2"));
  EXPECT_EQ(lp->Int(QStringLiteral("N")), 2 * kCount);
  EXPECT_EQ(lp->Int(QStringLiteral("LO")), 1);
  EXPECT_EQ(lp->Int(QStringLiteral("HI")), 2 * kCount);
  EXPECT_DOUBLE_EQ(lp->Float(QStringLiteral("S")), 500 - (2 * kCount - 1) * 2.5);
}

VELMORA_ON_BOTH_ENGINES(TwoWorkstations);

}  // namespace
}  // namespace velmora::testing
