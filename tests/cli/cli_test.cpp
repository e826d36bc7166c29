#include "cli/cli.h"

#include "host/mail/email_accounts.h"
#include "exchange/cc_tables.h"
#include "host/xml/xml_document.h"
#include "host/db/options.h"
#include "host/db/users.h"
#include "support/test_host.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>

#include <sys/stat.h>

namespace velmora::testing {
namespace {

using namespace Qt::Literals::StringLiterals;

struct Result {
  int status;
  QString out;
  QString err;
};

Result RunBare(const QStringList& args, QTextStream* in = nullptr) {
  QString out, err;
  QTextStream o(&out), e(&err);
  const int status = cli::Run(args, o, e, in);
  o.flush();
  e.flush();
  return {status, out, err};
}

class Cli : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    database_ = std::make_unique<TestDatabase>(GetParam());
  }
  Result Run(const QStringList& args, QTextStream* in = nullptr) {
    return RunBare(QStringList{"--db", database_->Url(), "--root", root_.path()} + args, in);
  }
  // A file of the test's root with these bytes; its path.
  QString Write(const QString& name, const QByteArray& bytes) {
    QFile f(root_.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    f.write(bytes);
    return f.fileName();
  }
  int Count(const QString& table, const QString& where = {}) { return database_->Db().GetCountFieldVal(table, where); }
  QTemporaryDir root_;
  std::unique_ptr<TestDatabase> database_;
};

TEST_P(Cli, InitCreatesOnceThenReportsAnUpToDateDatabase) {
  const Result first = Run({"init"});
  EXPECT_EQ(first.status, 0) << first.err.toStdString();
  EXPECT_TRUE(first.out.contains(u"Utworzono tabelę TRANZYTY\n"_s));
  // The shipped customs office list comes in with the database, once.
  EXPECT_TRUE(first.out.contains(u"Wykaz urzędów celnych: dodano 3874, zmieniono 0, wycofano 0\n"_s)) << first.out.toStdString();
  const Result second = Run({"init"});
  EXPECT_EQ(second.status, 0);
  EXPECT_TRUE(second.out.startsWith(u"Baza danych jest aktualna\n"_s));
  EXPECT_EQ(Count(u"UZYTKOWNIK"_s, u"LOGIN = 'SYSTEM' and SERWIS = 1"_s), 1);
}

TEST_P(Cli, OptionsAndUsersFromTheCommandLine) {
  EXPECT_EQ(Run({"user", "add", "anowak", "Anna Nowak", "--admin", "--location", "Gdynia"}).status, 0);
  EXPECT_EQ(Run({"user", "add", "anowak", "Inna"}).status, 1);
  EXPECT_EQ(Run({"option", "NCTS", "PREFIKS", "K"}).status, 0);
  EXPECT_EQ(Run({"option", "USER", "MIEJSCE", "Gdynia", "--scope", "user", "--user", "anowak"}).status, 0);
  EXPECT_EQ(Run({"option", "NCTS", "PREFIKS"}).out, u"K\n"_s);
  EXPECT_EQ(Run({"option", "USER", "MIEJSCE", "--scope", "user", "--user", "anowak"}).out, u"Gdynia\n"_s);
  // The service account has no such option of its own.
  EXPECT_EQ(Run({"option", "USER", "MIEJSCE", "--scope", "user"}).out, u"\n"_s);
  const Result unknown = Run({"--user", "nikt", "init"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, u"Nie znaleziono użytkownika nikt\n"_s);
}

// A password is typed on standard input, never shown back, and the files that hold it are the
// owner's alone: a fresh root, its database and the computer's key.
TEST_P(Cli, PasswordsComeFromStandardInputAndAreNeverShownBack) {
  QTemporaryDir config;
  struct Restore {
    QByteArray value;
    ~Restore() { value.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", value); }
  } restore{qgetenv("XDG_CONFIG_HOME")};
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  auto mode = [](const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  };

  QString typed = u"Tajne hasło 1\n"_s;
  QTextStream in(&typed);
  const Result set = Run({"option", "PODPIS", "HASLO", "-", "--scope", "app"}, &in);
  EXPECT_EQ(set.status, 0);
  EXPECT_EQ(set.out + set.err, QString());
  EXPECT_EQ(Run({"option", "PODPIS", "HASLO", "--scope", "app"}).out, u"********\n"_s);
  EXPECT_EQ(Run({"option", "PROXY", "PASS", "--scope", "app"}).out, u"\n"_s);
  host::CurrentUser user;
  host::TOptionsDB options(database_->Db(), user);
  EXPECT_EQ(options.ReadOption(u"PODPIS"_s, u"HASLO"_s, {}, host::OptionScope::Application), u"Tajne hasło 1"_s);
  EXPECT_EQ(mode(config.filePath(u"velmora/klucz"_s)), 0600);

  const QString fresh = root_.filePath(u"nowy"_s);
  EXPECT_EQ(RunBare({"--root", fresh, "init"}).status, 0);
  EXPECT_EQ(mode(fresh), 0700);
  EXPECT_EQ(mode(fresh + u"/velmora.db"_s), 0600);
}

TEST_P(Cli, NumberAssignsTheOwnNumberOfAStoredMessage) {
  ASSERT_EQ(Run({"init"}).status, 0);
  database_->Db().Exec(u"insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP, NR_WLASNY, XML) values (36, 'IE015', '<AUTO>', '<IE015/>')"_s);
  const Result r = Run({"number", "36"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains(QRegularExpression(u"^\\d\\dIE0150000100\\n$"_s))) << r.out.toStdString();
  const Result missing = Run({"number", "999"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, u"Nie znaleziono komunikatu o identyfikatorze 999\n"_s);
}

TEST_P(Cli, LoadPrintsOneLineAFileAndFailsWhenAnyFails) {
  ASSERT_EQ(Run({"init"}).status, 0);
  database_->Db().Exec(u"insert into TRANZYTY (ID_TRANZYTY, RODZAJ) values (1, 0)"_s);
  database_->Db().Exec(u"insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, NR_WLASNY) "
                       "values (1, 1, 1, 'IE015', '24IE0150000010')"_s);
  database_->Db().DBGetNewID(u"GID_TRANZYTY_POZYCJE"_s);  // the row above took id 1
  const QString data = QStringLiteral(VELMORA_TEST_DATA "/incoming/");
  const Result ok = Run({"load", data + "IE928.xml", data + "IE028.xml"});
  EXPECT_EQ(ok.status, 0) << ok.out.toStdString();
  EXPECT_EQ(ok.out, u"Wczytano kouminikat IE928 o numerze 24IE928UC0000928\n"
                    "Wczytano kouminikat IE028 o numerze 24IE028UC0000028\n"_s);
  const QString broken = Write(u"broken.xml"_s, "<IE028><Naglowek></IE028>");
  const Result bad = Run({"load", data + "IE028.xml", broken});
  EXPECT_EQ(bad.status, 1);
  const QStringList lines = bad.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(u"został już wczytany"_s));
  EXPECT_TRUE(lines[1].startsWith(u"Błąd - "_s + broken + u": "_s)) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith(u" (wiersz 1)"_s)) << lines[1].toStdString();
  EXPECT_EQ(Count(u"TRANZYTY_POZYCJE"_s), 3);
  // Loaded again, an answer is no failure of the run.
  EXPECT_EQ(Run({"load", data + "IE028.xml"}).status, 0);

  // The declared encoding is honoured; bytes that are not in it are refused and store nothing.
  QFile sample(data + "IE029.xml");
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  QString ie029 = QString::fromUtf8(sample.readAll());
  ie029.replace(u"encoding=\"UTF-8\""_s, u"encoding=\"windows-1250\""_s);
  QStringEncoder cp1250("windows-1250");
  ASSERT_TRUE(cp1250.isValid());
  const QByteArray cp1250_bytes = cp1250(ie029);
  ASSERT_FALSE(cp1250_bytes.contains("\xc5\x82"));  // "ł" is one byte in the code page
  const QString cp1250_file = Write(u"IE029_cp1250.xml"_s, cp1250_bytes);
  const QString mislabelled = Write(u"IE029_utf8.xml"_s, QByteArray(cp1250_bytes).replace("windows-1250", "UTF-8"));
  // A short answer many megabytes long is refused before it is read.
  const QString huge = Write(u"IE028_duzy.xml"_s, "<?xml version=\"1.0\"?>\n<IE028><!--" + QByteArray(5 << 20, 'x') + "--></IE028>");
  EXPECT_EQ(Run({"load", huge}).out, u"Błąd - "_s + huge + u": Dokument IE028 jest za duży: 6 MB, dopuszczalne 4 MB\n"_s);
  const Result refused = Run({"load", mislabelled});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.out.startsWith(u"Błąd - "_s + mislabelled + u": "_s)) << refused.out.toStdString();
  EXPECT_EQ(Count(u"TRANZYTY_POZYCJE"_s), 3);
  // The site's switches are read at each start: with KAEM on, the order system gets its answer.
  database_->Db().Exec(u"alter table TRANZYTY add column NR_ZAM_ISCALA varchar(30)"_s);
  database_->Db().Exec(u"update TRANZYTY set NR_ZAM_ISCALA = 'ZS-7' where ID_TRANZYTY = 1"_s);
  ASSERT_EQ(Run({"option", "PRZELACZNIKI", "KAEM", "1", "--scope", "app"}).status, 0);
  const Result decoded = Run({"load", cp1250_file});
  EXPECT_EQ(decoded.status, 0) << decoded.out.toStdString();
  EXPECT_TRUE(QFile::exists(root_.filePath(u"SAP_ZAPIS/ZS-7.xml"_s)));
  const QString stored = database_->Db().QueryValue(u"select XML from TRANZYTY_POZYCJE where TYP = 'IE029'"_s).toString();
  EXPECT_TRUE(stored.contains(u"Nazwa=\"Bałtycka Spedycja Sp. z o.o.\""_s)) << stored.toStdString();
}

// Scheduled receives beside a clerk's: every loader takes every file, in its own order, while
// this process writes as the desktop program does. Each answer is stored exactly once.
TEST_P(Cli, ConcurrentLoadersApplyEveryMessageOnce) {
  ASSERT_EQ(Run({"init"}).status, 0);
  host::Db& db = database_->Db();
  const int transits = 30;
  QStringList files;
  for (int t = 1; t <= transits; ++t) {
    const QString nr = u"24IE015%1"_s.arg(t, 7, 10, QLatin1Char('0'));
    db.Exec(u"insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (:T, 0, 'IE015', 2)"_s, {{u"T"_s, t}});
    db.Exec(u"insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY) values (:T, :T, 1, 'IE015', 2, :NR)"_s,
            {{u"T"_s, t}, {u"NR"_s, nr}});
    db.DBGetNewID(u"GID_TRANZYTY_POZYCJE"_s);
    for (const QString& typ : {u"IE928"_s, u"IE028"_s, u"IE029"_s}) {
      QFile sample(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + typ + ".xml");
      ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
      QString text = QString::fromUtf8(sample.readAll());
      text.replace(u"24IE0150000010"_s, nr)
          .replace(QRegularExpression(u"NrWlasny=\"24IE\\d\\d\\dUC\\d+\""_s), u"NrWlasny=\"24%1UC%2\""_s.arg(typ).arg(t, 7, 10, QLatin1Char('0')));
      files << Write(u"%1_%2.xml"_s.arg(typ).arg(t), text.toUtf8());
    }
  }
  int total_own_writes = 0;
  for (const int loaders : {2, 4}) {
    db.Exec(u"delete from TRANZYTY_POZYCJE where TYP <> 'IE015'"_s);
    db.Exec(u"update TRANZYTY set TYP = 'IE015', MRN = null where RODZAJ = 0"_s);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int k = 0; k < loaders; ++k) {
      QStringList mine = files;
      std::rotate(mine.begin(), mine.begin() + k * files.size() / loaders, mine.end());
      auto p = std::make_unique<QProcess>();
      p->start(QStringLiteral(VELMORA_CLI), QStringList{"--db", database_->Url(), "--root", root_.path(), "load"} + mine);
      processes.push_back(std::move(p));
    }
    // The desktop program's own writes go on meanwhile: a read, then a write, in one transaction.
    int own_writes = 0;
    auto running = [&processes] {
      return std::any_of(processes.begin(), processes.end(), [](const auto& p) { return p->state() != QProcess::NotRunning; });
    };
    for (int id = 1000 * loaders; running(); ++id) {
      host::Transaction tx(db);
      const int nr = db.QueryValue(u"select coalesce(max(NR), 0) from TRANZYTY"_s).toInt();
      db.Exec(u"insert into TRANZYTY (ID_TRANZYTY, RODZAJ, NR) values (:ID, 1, :NR)"_s, {{u"ID"_s, id}, {u"NR"_s, nr + 1}});
      tx.Commit();
      ++own_writes;
      // QProcess learns of an end only while waiting on it.
      for (auto& p : processes)
        if (p->state() != QProcess::NotRunning) p->waitForFinished(5);
    }
    int applied = 0;
    for (auto& p : processes) {
      if (p->state() != QProcess::NotRunning) ASSERT_TRUE(p->waitForFinished(240000));
      EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
      const QString err = QString::fromUtf8(p->readAllStandardError());
      const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
      EXPECT_EQ(p->exitCode(), 0) << err.toStdString();
      EXPECT_EQ(err, QString());
      ASSERT_EQ(lines.size(), files.size());
      for (const QString& line : lines) {
        if (line.startsWith(u"Wczytano kouminikat "_s)) ++applied;
        else EXPECT_TRUE(line.endsWith(u" został już wczytany"_s)) << line.toStdString();
      }
    }
    EXPECT_EQ(applied, files.size()) << loaders << " loaders";
    EXPECT_EQ(Count(u"TRANZYTY_POZYCJE"_s, u"TYP <> 'IE015'"_s), files.size());
    EXPECT_EQ(db.QueryValue(u"select count(*) from (select TRANZYTY_ID, LP from TRANZYTY_POZYCJE "
                            "group by TRANZYTY_ID, LP having count(*) > 1) d"_s).toInt(), 0);
    EXPECT_EQ(Count(u"TRANZYTY"_s, u"RODZAJ = 0 and TYP = 'IE029'"_s), transits);
    EXPECT_GT(own_writes, 0);
    total_own_writes += own_writes;
    EXPECT_EQ(Count(u"TRANZYTY"_s, u"RODZAJ = 1"_s), total_own_writes);
  }
}

TEST_P(Cli, UsageErrorsExitWithTwo) {
  for (const QStringList& args : {QStringList{}, QStringList{"frobnicate"}, QStringList{"number"}, QStringList{"option", "A"},
                                  QStringList{"option", "A", "B", "--scope", "world"},
                                  // Unknown options are neither values nor file names.
                                  QStringList{"option", "NCTS", "PREFIKS", "--verbose"},
                                  QStringList{"load", "--verbose", VELMORA_TEST_DATA "/incoming/IE028.xml"},
                                  QStringList{"write", "1", "x.xml", "--force"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(u"Użycie: velmora-cli"_s));
  }
  for (const char* help : {"--help", "-h"}) {
    const Result r = Run({help});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(u"Użycie: velmora-cli"_s)) << r.out.toStdString();
  }
  EXPECT_EQ(Run({"option", "NCTS", "PREFIKS"}).out, u"\n"_s);
  EXPECT_EQ(Run({"load", "--verbose"}).err.section(QLatin1Char('\n'), 0, 0), u"Nieznana opcja: --verbose"_s);

  // A mailbox that is not there, or that cannot be reached, fails the run and says why.
  const Result no_account = Run({"receive", "--mail", "nikt@example.pl"});
  EXPECT_EQ(no_account.status, 1);
  EXPECT_EQ(no_account.out, u"Nie zdefiniowano poprawnego konta email do odbioru\n"_s);
  host::MailServer closed;
  closed.email = u"biuro@example.pl"_s;
  closed.smtp_host = closed.in_host = u"127.0.0.1"_s;
  closed.smtp_port = closed.in_port = 1;  // nobody listens there
  closed.user = u"biuro"_s;
  closed.smtp_tls = closed.in_tls = host::MailTls::None;
  QString error;
  ASSERT_GT(host::AddMailServer(database_->Db(), closed, &error), 0) << error.toStdString();
  const Result unreachable = Run({"receive", "--mail", "biuro@example.pl"});
  EXPECT_EQ(unreachable.status, 1);
  const QStringList lines = unreachable.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3) << unreachable.out.toStdString();
  EXPECT_EQ(lines[1], u"Nie można się połączyć ze wskazanym kontem email"_s);
  EXPECT_EQ(lines[2], u"Nie można połączyć się z serwerem IMAP 127.0.0.1:1. Sprawdź adres i port serwera oraz połączenie z siecią."_s);
}

TEST_P(Cli, ValidateNamesWhatTheSchemaRefuses) {
  auto write = [this](const QString& flag) {
    return Write(u"IE054.xml"_s,
                 u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE054 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE054/2013/10/\">"
                 "<Naglowek NrWlasny=\"24IE0540000001\" DataUtworzenia=\"2024-03-05T08:04:09\" MRN=\"24PL322010NS0001A7\"/>"
                 "<Wniosek BrakSprzeciwu=\"%1\" Data=\"2024-03-05\"/><UCZgloszenia Kod=\"PL322010\"/></IE054>\n"_s.arg(flag).toUtf8());
  };
  const QString file = write(u"1"_s);
  const Result good = Run({"validate", file});
  EXPECT_EQ(good.status, 0) << good.err.toStdString();
  EXPECT_EQ(good.out, QString());
  write(u"tak"_s);
  const Result bad = Run({"validate", file});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.startsWith(file + u": XSD /IE054/Wniosek: "_s)) << bad.out.toStdString();
  EXPECT_TRUE(bad.out.contains(u"BrakSprzeciwu"_s));
  EXPECT_TRUE(bad.out.endsWith(u" (wiersz 2)\n"_s));
  // An answer from the customs office has no schema of ours.
  Write(u"IE054.xml"_s, "<IE028><Naglowek/></IE028>");
  EXPECT_EQ(Run({"validate", file}).out, file + u": Brak schematu dla komunikatu IE028\n"_s);

  // A batch: every file is checked; a malformed one is a line of its own.
  const QString broken = Write(u"zly.xml"_s, "<IE015><Naglowek>");
  const QString rules = QStringLiteral(VELMORA_TEST_DATA "/rules/");
  const Result batch = Run({"validate", rules + "ok.xml", broken, rules + "R909.xml"});
  EXPECT_EQ(batch.status, 1);
  const QStringList lines = batch.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2) << batch.out.toStdString();
  EXPECT_TRUE(lines[0].startsWith(broken + u": "_s)) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].endsWith(u")"_s));
  EXPECT_EQ(lines[1], rules + u"R909.xml: R909: Jeżeli kod kraju urzędu przeznaczenia = \"SM\" to typ deklaracji musi być \"T2\" lub \"T2F\""_s);
  EXPECT_EQ(Run({"validate"}).status, 2);
}

TEST_P(Cli, SendRefusesWhatCannotLeaveAndReceiveLoadsFiles) {
  ASSERT_EQ(Run({"init"}).status, 0);
  database_->Db().Exec(u"insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, 0, 'IE016', 11)"_s);
  database_->Db().Exec(u"insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS) values (7, 1, 1, 'IE016', 11)"_s);
  const Result no_channel = Run({"send", "7", "--channel", "file"});
  EXPECT_EQ(no_channel.status, 1);
  EXPECT_EQ(no_channel.err, u"W opcjach programu nie zdefiniowano żadnego kanału zwrotnego na jaki mają być wysyłane odpowiedzi z UC\n"_s);
  ASSERT_EQ(Run({"option", "KANAL_ZWROTNY", "EMAIL", "biuro@example.pl", "--scope", "app"}).status, 0);
  EXPECT_EQ(Run({"send", "7", "--channel", "file"}).err, u"Wybrany komunikat nie podlega wysyłce\n"_s);
  EXPECT_EQ(Run({"send", "7", "--channel", "fax"}).status, 2);

  // An answer for a transit this database does not have is an error line, the status 1.
  const Result loaded = Run({"receive", VELMORA_TEST_DATA "/incoming/IE028.xml"});
  EXPECT_EQ(loaded.status, 1);
  EXPECT_TRUE(loaded.out.startsWith(u"Błąd"_s)) << loaded.out.toStdString();
}

TEST_P(Cli, DeclarationFromAnotherSystemIsCheckedStoredAndItsSecurityComputed) {
  ASSERT_EQ(Run({"init"}).status, 0);
  database_->Db().Exec(u"insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'Główny', 0, 'T1')"_s);
  auto write = [this](const char* masa, const char* waluta, const char* opakowanie = "") {
    return Write(u"ie015.xml"_s,
                 u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE015 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/\">"
                 "<Naglowek NrWlasny=\"X\" DataUtworzenia=\"2024-03-04T12:00:00\"/><Zgloszenie LiczbaPozycji=\"1\" LiczbaOpakowan=\"5\" "
                 "MasaBrutto=\"%1\"/><Rodzaj Deklaracja=\"T1\"/><GlownyZobowiazany Nazwa=\"Bałtycka\" UlicaNumer=\"Portowa 1\" "
                 "KodPocztowy=\"81-350\" Miejscowosc=\"Gdynia\" Kraj=\"PL\" TIN=\"PL5860000017\"/><UC Wyjscia=\"PL322010\" "
                 "Przeznaczenia=\"DE004851\"/><Towar PozId=\"1\" OpisTowaru=\"Meble\"><DaneKrajowe><Zabezpieczenie StawkaCla=\"12\" "
                 "StawkaVAT=\"23\" Wartosc=\"1000\" WalutaWartosci=\"%2\"/></DaneKrajowe>%3</Towar></IE015>\n"_s
                     .arg(QString::fromUtf8(masa), QString::fromUtf8(waluta), QString::fromUtf8(opakowanie))
                     .toUtf8());
  };
  const QString file = write("0", "PLN");
  const QStringList import{"declaration", "import", file, "--register", "1"};
  const Result refused = Run(import);
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.startsWith(u"ceMasaBrutto: "_s)) << refused.err.toStdString();
  EXPECT_EQ(Count(u"TRANZYTY"_s), 0);
  EXPECT_EQ(Run({"declaration", "import", file, "--register", "9"}).err, u"Nie znaleziono rejestru 9\n"_s);

  // The goods item checks name the item.
  write("120.5", "PLN", "<Opakowanie PozId=\"1\" Rodzaj=\"CT\" LiczbaOpakowan=\"5\"/>");
  EXPECT_EQ(Run(import).err, u"Pozycja towarowa 1, opakowanie 1: dla wybranego rodzaju opakowań atrybut Znaki jest wymagany\n"_s);

  // A declaration of another schema is refused, though it reads alike by local names.
  write("120.5", "PLN");
  QFile own(file);
  ASSERT_TRUE(own.open(QIODevice::ReadOnly));
  Write(u"ie015.xml"_s, own.readAll().replace("http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/", "urn:obcy:IE015"));
  const Result foreign_refused = Run(import);
  EXPECT_EQ(foreign_refused.status, 1);
  EXPECT_EQ(foreign_refused.err, file + u": Komunikat IE015 ma obcą przestrzeń nazw urn:obcy:IE015\n"_s);
  EXPECT_EQ(Count(u"TRANZYTY"_s), 0);

  write("120.5", "PLN");
  EXPECT_EQ(Run(import + QStringList{"--check"}).out, u"Zgłoszenie poprawne\n"_s);
  EXPECT_EQ(Count(u"TRANZYTY"_s), 0);
  const Result stored = Run(import);
  ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
  EXPECT_TRUE(stored.out.startsWith(u"Utworzono nowe zgłoszenie 1/"_s)) << stored.out.toStdString();
  const QString id = stored.out.section(QLatin1Char('\n'), 1, 1);
  // The transit row shows what the declaration holds.
  const auto t = database_->Db().QueryOne(u"select * from TRANZYTY"_s);
  EXPECT_DOUBLE_EQ(t->Value(u"WAGA_BRUTTO"_s).toDouble(), 120.5);
  EXPECT_EQ(t->Int(u"LICZBA_OPAKOWAN"_s), 5);
  EXPECT_EQ(t->Int(u"REJESTRY_ID"_s), 1);
  const Result security = Run({"security", id});
  EXPECT_EQ(security.status, 0);
  EXPECT_EQ(security.out, u"1\t1000.00\t120.00\t0.00\t258.00\t378.00\nRazem\t378.00\n"_s);

  // Applied: the total becomes the item's amount with its CAL entry, the message is changed again.
  const Result applied = Run({"security", id, "--apply", "--grn", "24PL322010000001A1"});
  ASSERT_EQ(applied.status, 0) << applied.err.toStdString();
  const QString xml = database_->Db().QueryMemoField(u"TRANZYTY_POZYCJE"_s, u"XML"_s, u"ID_TRANZYTY_POZYCJE = :ID"_s, {{u"ID"_s, id.toLongLong()}});
  EXPECT_TRUE(xml.contains(u"Kod=\"CAL\" Tekst=\"378.00; 24PL322010000001A1\""_s)) << xml.toStdString();
  EXPECT_TRUE(xml.contains(u"Kwota=\"378.00\""_s)) << xml.toStdString();
  database_->Db().Exec(u"update TRANZYTY_POZYCJE set STATUS = 2"_s);
  const Result sent = Run({"security", id, "--apply"});
  EXPECT_NE(sent.status, 0);
  EXPECT_TRUE(sent.err.contains(u"już wysłany"_s)) << sent.err.toStdString();
  database_->Db().Exec(u"update TRANZYTY_POZYCJE set STATUS = 1"_s);

  // A currency without a rate today: the item's refusal and a non-zero exit.
  write("120.5", "EUR");
  const Result second = Run(import);
  ASSERT_EQ(second.status, 0);
  EXPECT_EQ(Run({"security", second.out.section(QLatin1Char('\n'), 1, 1)}).status, 1);
}

// A CC015C written by another system: checked against the EU's schema and our rules, stored as a
// phase-5 transit whatever its register's phase, and written back with the same data.
TEST_P(Cli, CCDeclarationIsValidatedImportedAndWrittenBackTheSame) {
  ASSERT_EQ(Run({"init"}).status, 0);
  database_->Db().Exec(u"insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'Główny', 0, 'T1')"_s);
  const QString file = QStringLiteral(VELMORA_TEST_DATA "/outgoing/CC015C.xml");
  const Result valid = Run({"validate", file});
  EXPECT_EQ(valid.status, 0);
  EXPECT_EQ(valid.out, QString());

  const Result stored = Run({"declaration", "import", file, "--register", "1"});
  ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
  EXPECT_EQ(database_->Db().QueryValue(u"select FAZA from TRANZYTY"_s).toInt(), 5);
  const xml::XmlDocumentPtr ie015 = xml::LoadXMLData(database_->Db().QueryValue(u"select XML from TRANZYTY_POZYCJE"_s).toString());
  const xml::XmlDocumentPtr original = xml::LoadXMLDocument(file);
  const xml::CcTable& table = *exchange::FindCcTable(5, u"CC015C"_s);
  const xml::XmlDocumentPtr back = xml::WriteCc(table, ie015, {{u"sender"_s, u"PL5860000017"_s}});
  for (const char* part : {"TransitOperation", "CustomsOfficeOfDeparture", "CustomsOfficeOfDestinationDeclared", "HolderOfTheTransitProcedure",
                           "Guarantee", "Consignment"}) {
    const QString name = QString::fromLatin1(part);
    EXPECT_EQ(back->DocumentElement().ChildByLocalName(name).Xml(), original->DocumentElement().ChildByLocalName(name).Xml()) << part;
  }

  // What the schema refuses is named with its path and stores nothing.
  QFile in(file);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const QString broken = Write(u"CC015C.xml"_s, in.readAll().replace("<grossMass>1234.5</grossMass>", "<grossMass>dużo</grossMass>"));
  const Result bad = Run({"validate", broken});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.startsWith(broken + u": XSD /CC015C/Consignment/grossMass: "_s)) << bad.out.toStdString();
  const Result refused = Run({"declaration", "import", broken, "--register", "1"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.startsWith(broken + u": Komunikat CC015C nie jest zgodny ze schematem: /CC015C/Consignment/grossMass: "_s))
      << refused.err.toStdString();
  EXPECT_EQ(Count(u"TRANZYTY"_s), 1);
}

VELMORA_ON_BOTH_ENGINES(Cli);

}  // namespace
}  // namespace velmora::testing
