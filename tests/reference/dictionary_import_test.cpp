#include "cli/cli.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/db/record_store.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/urzedy_celne.h"
#include "reference/dictionary_import.h"
#include "reference/slownik_ncts.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
static void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QLatin1Char('|')).toStdString() << ']'; }
QT_END_NAMESPACE

namespace velmora::reference {
namespace {

void Write(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

QByteArray Dictionary(const char* code, const char* entry_code, const char* opis) {
  return QStringLiteral("<S code=\"%1\" name=\"Test\"><P Kod=\"%2\"><d LanCod347=\"PL\" Des110=\"%3\"/></P></S>")
      .arg(QLatin1String(code), QLatin1String(entry_code), QString::fromUtf8(opis))
      .toUtf8();
}

TEST(DictionaryImport, CopiesReadableDictionariesAndReportsTheRest) {
  QTemporaryDir source;
  QTemporaryDir root;
  Write(source.filePath(QStringLiteral("1008.xml")), Dictionary("1008", "ZZ", "Kraj testowy"));
  Write(source.filePath(QStringLiteral("rd77.XML")), Dictionary("77", "A", "Pierwszy"));
  Write(source.filePath(QStringLiteral("1031.xml")), "<S code=\"1031\"><P></S>");
  Write(source.filePath(QStringLiteral("notatki.txt")), "x");
  Write(source.filePath(QStringLiteral("kopia1008.xml")), Dictionary("1008", "Q", "q"));

  EXPECT_EQ(DictionaryImport::DictionaryFiles(source.path()),
            (QStringList{QStringLiteral("1008.xml"), QStringLiteral("1031.xml"), QStringLiteral("rd77.XML")}));
  const ImportResult result = DictionaryImport(root.path()).Import(source.path());
  EXPECT_EQ(result.imported, (QStringList{QStringLiteral("1008.xml"), QStringLiteral("RD77.xml")}));
  ASSERT_EQ(result.skipped.size(), 1);
  EXPECT_TRUE(result.skipped[0].startsWith(QStringLiteral("1031.xml - ")));

  // The root's directory now exists: the shipped lists seeded it, the update replaced 1008.
  const QDir target(root.filePath(QStringLiteral("Slowniki")));
  EXPECT_TRUE(target.exists(QStringLiteral("1101.xml")));
  EXPECT_TRUE(target.exists(QStringLiteral("1031.xml")));  // the shipped one, not the broken one
  EXPECT_FALSE(target.exists(QStringLiteral("kopia1008.xml")));
  EXPECT_EQ(SlownikiDir(root.path()), target.path());

  ReleaseSlownikCache();
  host::ScriptedDialogs dialogs;
  SlownikNCTS slownik(dialogs, root.path());
  EXPECT_EQ(slownik.GetOpis(1008, QStringLiteral("ZZ")), QStringLiteral("Kraj testowy"));
  EXPECT_EQ(slownik.GetOpis(77, QStringLiteral("A")), QStringLiteral("Pierwszy"));
  EXPECT_TRUE(slownik.JestKod(1031, QStringLiteral("T1")));
  EXPECT_TRUE(dialogs.Texts().isEmpty());
  ReleaseSlownikCache();

  const QString summary = DictionaryImport::Summary(result);
  EXPECT_TRUE(summary.startsWith(QStringLiteral("Zaktualizowano słowniki: 2 (1008.xml, RD77.xml)\nPominięto:\n1031.xml - ")));
  EXPECT_TRUE(summary.endsWith(QStringLiteral("\nZmiany będą widoczne po ponownym uruchomieniu programu.")));
}

TEST(DictionaryImport, AnExistingDirectoryIsUpdatedNotSeeded) {
  QTemporaryDir source;
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Slowniki")));
  Write(root.filePath(QStringLiteral("Slowniki/500.xml")), Dictionary("500", "OLD", "stary"));
  Write(source.filePath(QStringLiteral("500.xml")), Dictionary("500", "NEW", "nowy"));
  EXPECT_EQ(DictionaryImport(root.path()).Import(source.path()).imported, QStringList{QStringLiteral("500.xml")});
  QFile f(root.filePath(QStringLiteral("Slowniki/500.xml")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), Dictionary("500", "NEW", "nowy"));
  EXPECT_EQ(QDir(root.filePath(QStringLiteral("Slowniki"))).entryList(QDir::Files), QStringList{QStringLiteral("500.xml")});

  // Stopped by the clerk after the first file: the rest is left as it was, and the summary says so.
  Write(source.filePath(QStringLiteral("600.xml")), Dictionary("600", "A", "a"));
  Write(source.filePath(QStringLiteral("700.xml")), Dictionary("700", "B", "b"));
  QList<int> told;
  const ImportResult stopped = DictionaryImport(root.path()).Import(source.path(), [&told](int done, int total) {
    told << done << total;
    return done < 1;
  });
  EXPECT_EQ(told, (QList<int>{0, 3, 1, 3}));
  EXPECT_EQ(stopped.imported, QStringList{QStringLiteral("500.xml")});
  EXPECT_TRUE(stopped.przerwano);
  EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("Slowniki/600.xml"))));
  EXPECT_TRUE(DictionaryImport::Summary(stopped).contains(QStringLiteral("\nAktualizację przerwano: pozostałe słowniki są bez zmian.")));
}

// ---- velmora-cli dict ----

struct CliRun {
  int status;
  QString out;
  QString err;
};

CliRun Cli(const QStringList& args) {
  ReleaseSlownikCache();
  QString out_text;
  QString err_text;
  QTextStream out(&out_text);
  QTextStream err(&err_text);
  const int status = cli::Run(args, out, err);
  out.flush();
  err.flush();
  return {status, out_text, err_text};
}

TEST(DictCommand, PrintsTheCodeAndItsDescription) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Slowniki")));
  Write(root.filePath(QStringLiteral("Slowniki/1116.xml")), Dictionary("1116", "PLN", "Złoty"));
  struct Case {
    const char* key;
    QString code;
    int status;
    const char* out;  // on standard output when the status is 0, else on standard error
  };
  const Case cases[] = {
      {"1116", QStringLiteral("PLN"), 0, "Kod PLN jest w słowniku 1116\nZłoty\n"},
      {"1116", QStringLiteral("PL"), 0, "Kod PL jest w słowniku 1116 jako PLN\nZłoty\n"},
      {"1116", QStringLiteral("EUR"), 1, "Kodu EUR nie ma w słowniku 1116\n"},
      {"1116", QString(), 1, "Kodu  nie ma w słowniku 1116\n"},  // an empty code is no prefix of every code
      {"1008", QStringLiteral("PL"), 1, "Plik ze słownikiem 1008 nie istnieje\n"},
      {"X", QStringLiteral("PL"), 2, nullptr},
  };
  for (const Case& c : cases) {
    const CliRun run = Cli({QStringLiteral("--root"), root.path(), QStringLiteral("dict"), QLatin1String(c.key), c.code});
    EXPECT_EQ(run.status, c.status) << c.key << " " << c.code.toStdString();
    if (c.out) EXPECT_EQ(c.status == 0 ? run.out : run.err, QString::fromUtf8(c.out));
  }
  // Nothing but the dictionary is touched: no database appears in the root.
  EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("velmora.db"))));
}

// ---- the customs office list: shipped, refreshed by velmora-cli dict update ----

QByteArray Office(const char* kod, const char* nazwa, const char* role) {
  QStringList r;
  for (const QString& rola : QString::fromLatin1(role).split(QLatin1Char(','))) r << QLatin1Char('"') + rola + QLatin1Char('"');
  return QStringLiteral(R"({"phoneNumber": null, "name": "%1", "id": "%2", "countryId": "%3", "roles": [%4]})")
      .arg(QString::fromUtf8(nazwa), QLatin1String(kod), QLatin1String(kod).left(2), r.join(QStringLiteral(", ")))
      .toUtf8();
}

class OfficeList : public testing::DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<testing::TestHost>(GetParam());
    ctx_ = std::make_unique<host::HostContext>(host_->Context(root_.path()));
  }
  CliRun Update(const QString& dir) {
    return Cli({QStringLiteral("--db"), host_->database().Url(), QStringLiteral("--root"), root_.path(), QStringLiteral("dict"),
                QStringLiteral("update"), dir});
  }
  std::optional<host::Row> Urzad(const char* kod) {
    return host_->db().QueryOne(QStringLiteral("select * from UC where Kod = :K"), {{QStringLiteral("K"), QLatin1String(kod)}});
  }
  QTemporaryDir root_;
  std::unique_ptr<testing::TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_P(OfficeList, RefreshAddsChangesAndRetiresButLeavesTheAgencysOwnOffices) {
  host::UrzedyCelne urzedy(*ctx_);
  const QByteArray pierwszy = "{\"date\": \"2024-01-10\", \"offices\": [" + Office("PL000001", "Gdynia", "DEP,DES") + ", " +
                              Office("DE000002", "Hamburg", "DES") + ", " + Office("CZ000003", "Praha", "TRA") + ", " +
                              Office("PL000004", "Poznań", "DEP") + "]}";
  const host::ZmianyUC wypelnienie = urzedy.Aktualizuj(host::ParseWykazUC(pierwszy));
  EXPECT_EQ(wypelnienie.dodane.size(), 4);
  // The agency corrects one office by hand: from now on it is the agency's.
  host::RecordStore store(*ctx_, host::UCSpec());
  QVariantMap poznan = store.Load(Urzad("PL000004")->Int64(QStringLiteral("ID_UC")));
  poznan.insert(QStringLiteral("NazwaKrotka"), QStringLiteral("Poznań (nasz)"));
  store.Store(poznan);

  // The published shape: a bare array, roles repeated.
  QTemporaryDir folder;
  Write(folder.filePath(QStringLiteral("customs-offices.json")),
        "[" + Office("PL000001", "Gdynia Port", "DEP,DES,DEP") + ", " + Office("DE000002", "Hamburg", "DES") + ", " +
            Office("PL000004", "Poznań", "DES") + ", " + Office("FR000005", "Le Havre", "DES,EXT") + "]");
  CliRun run = Update(folder.path());
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QStringLiteral("Wykaz urzędów celnych: dodano 1, zmieniono 1, wycofano 1\nDodano urząd celny FR000005\n"
                                    "Zmieniono urząd celny PL000001\nWycofano urząd celny CZ000003\n"));
  EXPECT_EQ(Urzad("PL000001")->Str(QStringLiteral("NazwaPelna")), QStringLiteral("Gdynia Port"));
  EXPECT_EQ(Urzad("PL000001")->Str(QStringLiteral("Rola")), QStringLiteral("DEP,DES"));
  EXPECT_EQ(Urzad("FR000005")->Int(QStringLiteral("EXT")), 1);
  EXPECT_EQ(Urzad("PL000004")->Str(QStringLiteral("NazwaKrotka")), QStringLiteral("Poznań (nasz)"));
  EXPECT_EQ(Urzad("PL000004")->Int(QStringLiteral("DEP")), 1);
  EXPECT_EQ(Urzad("PL000004")->Int(QStringLiteral("DES")), 0);
  // A retired office stays for the transits that name it.
  ASSERT_TRUE(Urzad("CZ000003"));
  EXPECT_FALSE(Urzad("CZ000003")->IsNull(QStringLiteral("DataWycofania")));

  struct Case {
    const char* kod;
    host::RolaUC rola;
    const char* ostrzezenie;
  };
  const Case cases[] = {
      {"PL000001", host::RolaUC::Wyjscia, ""},
      {" FR000005 ", host::RolaUC::Wyprowadzenia, ""},
      {"", host::RolaUC::Wyjscia, ""},
      {"DE000002", host::RolaUC::Wyjscia, "Urząd celny DE000002 (Hamburg) nie jest urzędem wyjścia (DEP)."},
      {"FR000005", host::RolaUC::Tranzytowy, "Urząd celny FR000005 (Le Havre) nie jest urzędem tranzytowym (TRA)."},
      {"CZ000003", host::RolaUC::Tranzytowy, "Urząd celny CZ000003 (Praha) został wycofany z wykazu urzędów celnych."},
      {"PL999999", host::RolaUC::Dowolna, "Urzędu celnego PL999999 nie ma w wykazie urzędów celnych."},
  };
  for (const Case& c : cases)
    EXPECT_EQ(urzedy.Ostrzezenie(QString::fromLatin1(c.kod), c.rola), QString::fromUtf8(c.ostrzezenie)) << c.kod;
  // The clerk may store an office the list does not confirm; declining names the field to go back to.
  host_->dialogs.Answer(host::kIdYes);
  host_->dialogs.Answer(host::kIdNo);
  EXPECT_EQ(host::PotwierdzUrzedy(*ctx_, {{QStringLiteral("beUCZglosz"), QStringLiteral("PL000001"), host::RolaUC::Wyjscia},
                                          {QStringLiteral("beUCPrzezn"), QStringLiteral("CZ000003"), host::RolaUC::Przeznaczenia},
                                          {QStringLiteral("beUCtranzyt"), QStringLiteral("PL999999"), host::RolaUC::Tranzytowy}}),
            QStringLiteral("beUCtranzyt"));
  EXPECT_EQ(host_->dialogs.Texts(),
            (QStringList{QStringLiteral("Urząd celny CZ000003 (Praha) został wycofany z wykazu urzędów celnych.\nZapisać mimo to ?"),
                         QStringLiteral("Urzędu celnego PL999999 nie ma w wykazie urzędów celnych.\nZapisać mimo to ?")}));

  // The refresh was dated today, so a shipped list of an earlier day does not undo it.
  QTemporaryDir shipped;
  Write(shipped.filePath(QStringLiteral("customs-offices.json")), pierwszy);
  EXPECT_FALSE(urzedy.WczytajDostarczony(shipped.path()));
  EXPECT_EQ(Urzad("PL000001")->Str(QStringLiteral("NazwaPelna")), QStringLiteral("Gdynia Port"));
}

TEST_P(OfficeList, AFileThatIsNotAnOfficeListChangesNothing) {
  host::UrzedyCelne(*ctx_).Aktualizuj(host::ParseWykazUC("[" + Office("PL000001", "Gdynia", "DEP") + "]"));
  struct Case {
    const char* name;
    QByteArray text;
    const char* reason;
  };
  const Case cases[] = {
      {"not JSON", "{\"offices\": [", "Plik nie jest wykazem urzędów celnych: "},
      {"empty", "[]", "Wykaz urzędów celnych jest pusty"},
      {"bad code", "[" + Office("PL1", "X", "DEP") + "]", "Wykaz urzędów celnych, pozycja 1: niepoprawny kod urzędu \"PL1\""},
      {"repeated", "[" + Office("PL000002", "A", "DEP") + ", " + Office("PL000002", "B", "DES") + "]",
       "Wykaz urzędów celnych, pozycja 2: powtórzony kod urzędu PL000002"},
      {"no roles", R"([{"id": "PL000002", "name": "A", "countryId": "PL"}])", "Wykaz urzędów celnych, pozycja 1: brak ról urzędu PL000002"},
  };
  for (const Case& c : cases) {
    QTemporaryDir folder;
    Write(folder.filePath(QStringLiteral("customs-offices.json")), c.text);
    const CliRun run = Update(folder.path());
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("Pominięto ") + QDir::toNativeSeparators(folder.filePath(QStringLiteral("customs-offices.json"))) +
                                   QStringLiteral(" - ") + QString::fromUtf8(c.reason)))
        << c.name << ": " << run.err.toStdString();
    EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("UC")), 1) << c.name;
    EXPECT_TRUE(Urzad("PL000001")->IsNull(QStringLiteral("DataWycofania"))) << c.name;
  }
}

VELMORA_ON_BOTH_ENGINES(OfficeList);

}  // namespace
}  // namespace velmora::reference
