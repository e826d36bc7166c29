#include "support/test_host.h"

#include "host/host_schema.h"
#include "module/registrations.h"
#include "host/db/tools_db.h"

namespace velmora::testing {
namespace {

using host::CheckChangeDB;
using host::ColumnInfo;
using host::FieldType;
using host::TToolsDB;

class SchemaTool : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    module::Initialize();
    database_ = std::make_unique<TestDatabase>(GetParam());
  }
  host::Db& db() { return database_->Db(); }
  QStringList ColumnNames(const QString& table) {
    QStringList out;
    for (const ColumnInfo& c : db().Columns(table)) out << c.name;
    return out;
  }
  std::unique_ptr<TestDatabase> database_;
};

TEST_P(SchemaTool, SecondRunChangesNothing) {
  const QStringList first = CheckChangeDB(db());
  EXPECT_TRUE(first.contains(QStringLiteral("Utworzono tabelę TRANZYTY_POZYCJE")));
  EXPECT_TRUE(first.contains(QStringLiteral("Utworzono indeks I5_TRANZYTY_POZYCJE")));
  const QStringList tables = db().Tables();
  const QStringList indexes = db().Indexes();
  const QStringList columns = ColumnNames(QStringLiteral("TRANZYTY"));
  EXPECT_EQ(CheckChangeDB(db()), QStringList());
  EXPECT_EQ(db().Tables(), tables);
  EXPECT_EQ(db().Indexes(), indexes);
  EXPECT_EQ(ColumnNames(QStringLiteral("TRANZYTY")), columns);
}

TEST_P(SchemaTool, TablesHaveTheirColumnsInOrderAndTheirIndexes) {
  CheckChangeDB(db());
  const QStringList pozycje = ColumnNames(QStringLiteral("TRANZYTY_POZYCJE"));
  const QStringList expected = {"ID_TRANZYTY_POZYCJE", "TRANZYTY_ID", "BLAD", "LP", "TYP", "STATUS", "NR_WLASNY",
                                "NR_POWIAZANY", "TYP_POWIAZANY", "OPIS", "DATA_WYSLANIA", "IE013_RODZAJ",
                                "CREATE_ID_USER", "CREATE_USER_NAME", "CREATE_DATE", "CREATE_TIME", "MODIFY_ID_USER",
                                "MODIFY_USER_NAME", "MODIFY_DATE", "MODIFY_TIME", "XML", "PLIK", "ID_EMAIL_ATTACH_PDF"};
  EXPECT_EQ(pozycje, expected);
  for (const char* index : {"I1_TRANZYTY", "I8_TRANZYTY", "I2_TRANZYTY_ODPRAWY", "I1_TRANZYTY_KOSZTY",
                            "I5_TRANZYTY_POZYCJE", "UC_IDX1", "UC_IDX2", "UC_DES", "UC_DEP", "METRYKI_EXT_IDX1"})
    EXPECT_TRUE(db().Indexes().contains(QString::fromLatin1(index))) << index;
  EXPECT_FALSE(ColumnNames(QStringLiteral("METRYKI_EXT")).contains(QStringLiteral("CREATE_DATE")));
  EXPECT_EQ(ColumnNames(QStringLiteral("UC")).size(), 1 + 33 + 1 + 8);  // and the retirement date
  const auto desc = db().QueryValue(QStringLiteral("select OPIS from OPISY_POL where TABELA = 'TRANZYTY' and KOLUMNA = 'MODIFY_ID_USER'"));
  EXPECT_EQ(desc.toString(), QStringLiteral("Relacja do użytkownika który ostatni modyfikował rekord - tab: UZYTKOWNIK"));
}

TEST_P(SchemaTool, DefaultsApplyToRowsThatDoNotNameTheColumn) {
  CheckChangeDB(db());
  db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY) values (1)"));
  const auto row = db().QueryOne(QStringLiteral("select TYP, STATUS, WAGA_BRUTTO, MRN from TRANZYTY"));
  EXPECT_EQ(row->Str(QStringLiteral("TYP")), QStringLiteral("0"));
  EXPECT_EQ(row->Int(QStringLiteral("STATUS"), -1), 0);
  EXPECT_TRUE(row->IsNull(QStringLiteral("MRN")));
  // TYP of a message is required and has no default.
  EXPECT_THROW(db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE) values (1)")), host::DbError);
}

TEST_P(SchemaTool, UpgradeAddsAMissingColumnWithItsDefault) {
  CheckChangeDB(db());
  db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP) values (1, 'IE015')"));
  db().Exec(QStringLiteral("alter table TRANZYTY_POZYCJE drop column ID_EMAIL_ATTACH_PDF"));
  ASSERT_FALSE(ColumnNames(QStringLiteral("TRANZYTY_POZYCJE")).contains(QStringLiteral("ID_EMAIL_ATTACH_PDF")));

  EXPECT_EQ(CheckChangeDB(db()), QStringList{QStringLiteral("Dodano pole TRANZYTY_POZYCJE.ID_EMAIL_ATTACH_PDF")});
  db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP) values (2, 'IE015')"));
  for (const auto& r : db().QueryAll(QStringLiteral("select ID_EMAIL_ATTACH_PDF from TRANZYTY_POZYCJE")))
    EXPECT_EQ(r.Int(QStringLiteral("ID_EMAIL_ATTACH_PDF"), -1), 0);
}

TEST_P(SchemaTool, GeneratorOfAnExistingTableContinuesAfterItsRows) {
  db().Exec(QStringLiteral("create table STARA (ID_STARA integer not null primary key)"));
  db().Exec(QStringLiteral("insert into STARA values (7)"));
  TToolsDB tools(db());
  tools.CreateTable(QStringLiteral("STARA"));
  tools.AddField(QStringLiteral("STARA"), QStringLiteral("KOD"), FieldType::String, 10, {}, true);
  tools.Finish();
  EXPECT_TRUE(tools.Changes().contains(QStringLiteral("Dodano pole STARA.KOD")));
  EXPECT_EQ(db().DBGetNewID(QStringLiteral("GID_STARA")), 8);
}

TEST_P(SchemaTool, FailedUpgradeLeavesTheDatabaseAsItWas) {
  CheckChangeDB(db());
  const QStringList before = ColumnNames(QStringLiteral("REJESTRY"));
  TToolsDB tools(db());
  tools.AddField(QStringLiteral("REJESTRY"), QStringLiteral("NOWE_POLE"), FieldType::Integer);
  tools.AddIndex(QStringLiteral("REJESTRY"), QStringLiteral("I9_REJESTRY"), {QStringLiteral("NIE_MA_TAKIEGO")});
  EXPECT_THROW(tools.CommitQ(), host::DbError);
  EXPECT_EQ(ColumnNames(QStringLiteral("REJESTRY")), before);
}

VELMORA_ON_BOTH_ENGINES(SchemaTool);

TEST(SchemaRegistry, ARoutineRegistersOncePerTag) {
  const int before = host::RegisteredSchemaRoutines();
  QString tag = QStringLiteral("test");
  host::RegisterCheckChangeDB(tag, [](TToolsDB&) {});
  host::RegisterCheckChangeDB(tag, [](TToolsDB&) {});
  EXPECT_EQ(host::RegisteredSchemaRoutines(), before + 1);
  host::UnregisterCheckChangeDB(tag);
  EXPECT_EQ(host::RegisteredSchemaRoutines(), before);
}

}  // namespace
}  // namespace velmora::testing
