#include "support/test_host.h"

#include "host/db/db.h"

#include <QFileInfo>

namespace velmora::testing {
namespace {

using host::Db;
using host::DbError;
using host::Params;
using host::Transaction;

class DbAccess : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    database_ = std::make_unique<TestDatabase>(GetParam());
    db().Exec(QStringLiteral("create table T (ID integer not null primary key, NAZWA varchar(50), OPIS text, KWOTA double precision)"));
  }
  Db& db() { return database_->Db(); }
  int Count() { return db().GetCountFieldVal(QStringLiteral("T")); }
  std::unique_ptr<TestDatabase> database_;
};

TEST_P(DbAccess, NamedParametersAndColumnsReadWithoutRegardToCase) {
  db().Exec(QStringLiteral("insert into T (ID, NAZWA, KWOTA) values (:ID, :NAZWA, :KWOTA)"),
            {{QStringLiteral("ID"), 1}, {QStringLiteral("NAZWA"), QStringLiteral("Łódź 'x'")}, {QStringLiteral("KWOTA"), 12.5}});
  db().Exec(QStringLiteral("insert into T (ID, NAZWA) values (:ID, :NAZWA)"),
            {{QStringLiteral("ID"), 2}, {QStringLiteral("NAZWA"), QStringLiteral("b")}, {QStringLiteral("UNUSED"), 7}});
  const auto row = db().QueryOne(QStringLiteral("select ID, NAZWA, KWOTA from T where NAZWA = :N"),
                                 {{QStringLiteral("N"), QStringLiteral("Łódź 'x'")}});
  ASSERT_TRUE(row);
  EXPECT_EQ(row->Int(QStringLiteral("id")), 1);
  EXPECT_EQ(row->Str(QStringLiteral("Nazwa")), QStringLiteral("Łódź 'x'"));
  EXPECT_DOUBLE_EQ(row->Float(QStringLiteral("KWOTA")), 12.5);
  EXPECT_FALSE(db().QueryOne(QStringLiteral("select ID from T where ID = :ID"), {{QStringLiteral("ID"), 99}}));
  EXPECT_EQ(db().QueryAll(QStringLiteral("select ID from T order by ID")).size(), 2u);
  EXPECT_EQ(db().GetMaxFieldVal(QStringLiteral("T"), QStringLiteral("ID")).toInt(), 2);
  EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("T"), QStringLiteral("NAZWA = :N"), {{QStringLiteral("N"), QStringLiteral("b")}}), 1);
}

TEST_P(DbAccess, MemoFieldKeepsLongTextWhole) {
  db().Exec(QStringLiteral("insert into T (ID) values (1)"));
  QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<IE015>zażółć gęślą jaźń</IE015>");
  text += QString(200000, QLatin1Char('x'));
  db().UpdateMemoField(QStringLiteral("T"), QStringLiteral("OPIS"), QStringLiteral("ID = :ID"), text, {{QStringLiteral("ID"), 1}});
  EXPECT_EQ(db().QueryMemoField(QStringLiteral("T"), QStringLiteral("OPIS"), QStringLiteral("ID = :ID"), {{QStringLiteral("ID"), 1}}), text);
}

TEST_P(DbAccess, TransactionsCommitWholeOrNothing) {
  {
    Transaction tx(db());
    db().Exec(QStringLiteral("insert into T (ID) values (1)"));
  }  // not committed
  EXPECT_EQ(Count(), 0);

  {
    Transaction tx(db());
    db().Exec(QStringLiteral("insert into T (ID) values (1)"));
    {
      Transaction inner(db());
      db().Exec(QStringLiteral("insert into T (ID) values (2)"));
      inner.Commit();
    }
    tx.Commit();
  }
  EXPECT_EQ(Count(), 2);

  // A failure inside an inner guard takes the outer work with it.
  EXPECT_THROW(
      {
        Transaction tx(db());
        db().Exec(QStringLiteral("insert into T (ID) values (3)"));
        {
          Transaction inner(db());
          db().Exec(QStringLiteral("insert into T (ID) values (4)"));
        }  // rolled back
        tx.Commit();
      },
      DbError);
  EXPECT_EQ(Count(), 2);
  EXPECT_FALSE(db().InTransaction());
}

TEST_P(DbAccess, EngineErrorsCarryTheEngineTextAndRollBack) {
  try {
    Transaction tx(db());
    db().Exec(QStringLiteral("insert into T (ID) values (1)"));
    db().Exec(QStringLiteral("insert into T (ID) values (1)"));
    tx.Commit();
    FAIL() << "duplicate key accepted";
  } catch (const DbError& e) {
    EXPECT_FALSE(e.Message().isEmpty());
    EXPECT_TRUE(e.Sql().contains(QStringLiteral("insert into T")));
  }
  EXPECT_EQ(Count(), 0);
  EXPECT_THROW(db().QueryAll(QStringLiteral("select NIE_MA from T")), DbError);
}

TEST_P(DbAccess, GeneratorsStepByOneAcrossConnections) {
  db().CreateGenerator(QStringLiteral("GID_T"), 0);
  auto other = database_->OpenAnother();
  EXPECT_EQ(db().DBGetNewID(QStringLiteral("GID_T")), 1);
  EXPECT_EQ(other->DBGetNewID(QStringLiteral("GID_T")), 2);
  EXPECT_EQ(db().DBGetNewID(QStringLiteral("gid_t")), 3);
  db().CreateGenerator(QStringLiteral("GID_T"), 100);  // exists: left as it is
  EXPECT_EQ(db().DBGetNewID(QStringLiteral("GID_T")), 4);
  db().CreateGenerator(QStringLiteral("GID_U"), 41);
  EXPECT_EQ(db().DBGetNewID(QStringLiteral("GID_U")), 42);
}

TEST_P(DbAccess, CatalogueListsTablesColumnsAndIndexes) {
  db().Exec(QStringLiteral("create index T_IDX1 on T (NAZWA)"));
  EXPECT_TRUE(db().Tables().contains(QStringLiteral("T")));
  EXPECT_TRUE(db().Indexes().contains(QStringLiteral("T_IDX1")));
  const auto cols = db().Columns(QStringLiteral("T"));
  ASSERT_EQ(cols.size(), 4u);
  EXPECT_EQ(cols[0].name, QStringLiteral("ID"));
  EXPECT_TRUE(cols[0].not_null);
  EXPECT_EQ(cols[3].name, QStringLiteral("KWOTA"));
}

TEST_P(DbAccess, SavepointUndoesAFailedPartAndTheTransactionGoesOn) {
  Db& db = this->db();
  host::Transaction tx(db);
  db.Exec(QStringLiteral("insert into T (ID) values (1)"));
  {
    host::Savepoint sp(db);
    db.Exec(QStringLiteral("insert into T (ID) values (2)"));
    host::Transaction inner(db);
    EXPECT_THROW(db.Exec(QStringLiteral("insert into T (ID) values (1)")), host::DbError);
  }  // not released: the insert of 2 goes, and so does the inner guard's mark
  {
    host::Savepoint sp(db);
    db.Exec(QStringLiteral("insert into T (ID) values (3)"));
    sp.Release();
  }
  tx.Commit();
  EXPECT_EQ(db.QueryAll(QStringLiteral("select ID from T order by ID")).size(), 2u);
  EXPECT_FALSE(db.QueryOne(QStringLiteral("select ID from T where ID = 2")));
}

VELMORA_ON_BOTH_ENGINES(DbAccess);

TEST(DbOpen, SqliteFileRunsInWalModeAndBadUrlsAreRefused) {
  TestDatabase database(TestEngine::Sqlite);
  EXPECT_EQ(database.Db().QueryValue(QStringLiteral("PRAGMA journal_mode")).toString().toLower(), QStringLiteral("wal"));
  EXPECT_TRUE(QFileInfo::exists(database.Db().FilePath()));
  EXPECT_THROW(Db::Open(QStringLiteral("oracle://x")), DbError);
  EXPECT_THROW(Db::Open(QStringLiteral("sqlite:")), DbError);
  auto memory = Db::Open(QStringLiteral("sqlite::memory:"));
  EXPECT_TRUE(memory->FilePath().isEmpty());
  EXPECT_EQ(memory->DBGetNewID(QStringLiteral("GID_X")), 1);
}

}  // namespace
}  // namespace velmora::testing
