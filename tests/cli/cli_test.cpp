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

struct Result {
  int status;
  QString out;
  QString err;
};

class Cli : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    database_ = std::make_unique<TestDatabase>(GetParam());
  }
  Result Run(QStringList args) {
    args = QStringList{QStringLiteral("--db"), database_->Url(), QStringLiteral("--root"), root_.path()} + args;
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = cli::Run(args, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
  }
  QTemporaryDir root_;
  std::unique_ptr<TestDatabase> database_;
};

TEST_P(Cli, InitCreatesOnceThenReportsAnUpToDateDatabase) {
  const Result first = Run({QStringLiteral("init")});
  EXPECT_EQ(first.status, 0) << first.err.toStdString();
  EXPECT_TRUE(first.out.contains(QStringLiteral("Utworzono tabelę TRANZYTY\n")));
  // The shipped customs office list comes in with the database, once.
  EXPECT_TRUE(first.out.contains(QStringLiteral("Wykaz urzędów celnych: dodano 3874, zmieniono 0, wycofano 0\n"))) << first.out.toStdString();
  const Result second = Run({QStringLiteral("init")});
  EXPECT_EQ(second.status, 0);
  EXPECT_TRUE(second.out.startsWith(QStringLiteral("Baza danych jest aktualna\n")));
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("UZYTKOWNIK"), QStringLiteral("LOGIN = 'SYSTEM' and SERWIS = 1")), 1);
}

TEST_P(Cli, OptionsAndUsersFromTheCommandLine) {
  EXPECT_EQ(Run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("anowak"), QStringLiteral("Anna Nowak"),
                 QStringLiteral("--admin"), QStringLiteral("--location"), QStringLiteral("Gdynia")}).status, 0);
  EXPECT_EQ(Run({QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("anowak"), QStringLiteral("Inna")}).status, 1);
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("K")}).status, 0);
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QStringLiteral("Gdynia"),
                 QStringLiteral("--scope"), QStringLiteral("user"), QStringLiteral("--user"), QStringLiteral("anowak")}).status, 0);
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("NCTS"), QStringLiteral("PREFIKS")}).out, QStringLiteral("K\n"));
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QStringLiteral("--scope"),
                 QStringLiteral("user"), QStringLiteral("--user"), QStringLiteral("anowak")}).out, QStringLiteral("Gdynia\n"));
  // The service account has no such option of its own.
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QStringLiteral("--scope"),
                 QStringLiteral("user")}).out, QStringLiteral("\n"));
  const Result unknown = Run({QStringLiteral("--user"), QStringLiteral("nikt"), QStringLiteral("init")});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, QStringLiteral("Nie znaleziono użytkownika nikt\n"));
}

// A password is typed on standard input, never shown back, and the files that hold it are the
// owner's alone: a fresh root, its database and the computer's key.
TEST_P(Cli, PasswordsComeFromStandardInputAndAreNeverShownBack) {
  QTemporaryDir config;
  const QByteArray saved_config = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  struct Restore {
    QByteArray value;
    ~Restore() {
      if (value.isNull())
        qunsetenv("XDG_CONFIG_HOME");
      else
        qputenv("XDG_CONFIG_HOME", value);
    }
  } restore{saved_config};
  auto mode = [](const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  };

  QString typed = QStringLiteral("Tajne hasło 1\n");
  QTextStream in(&typed);
  QString out, err;
  QTextStream o(&out), e(&err);
  EXPECT_EQ(cli::Run({QStringLiteral("--db"), database_->Url(), QStringLiteral("--root"), root_.path(), QStringLiteral("option"),
                      QStringLiteral("PODPIS"), QStringLiteral("HASLO"), QStringLiteral("-"), QStringLiteral("--scope"), QStringLiteral("app")},
                     o, e, &in),
            0);
  o.flush();
  e.flush();
  EXPECT_EQ(out + err, QString());
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("PODPIS"), QStringLiteral("HASLO"), QStringLiteral("--scope"), QStringLiteral("app")}).out,
            QStringLiteral("********\n"));
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("PROXY"), QStringLiteral("PASS"), QStringLiteral("--scope"), QStringLiteral("app")}).out,
            QStringLiteral("\n"));
  host::CurrentUser user;
  host::TOptionsDB options(database_->Db(), user);
  EXPECT_EQ(options.ReadOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), {}, host::OptionScope::Application), QStringLiteral("Tajne hasło 1"));
  EXPECT_EQ(mode(config.filePath(QStringLiteral("velmora/klucz"))), 0600);

  const QString fresh = root_.filePath(QStringLiteral("nowy"));
  EXPECT_EQ(cli::Run({QStringLiteral("--root"), fresh, QStringLiteral("init")}, o, e), 0);
  EXPECT_EQ(mode(fresh), 0700);
  EXPECT_EQ(mode(fresh + QStringLiteral("/velmora.db")), 0600);
}

TEST_P(Cli, NumberAssignsTheOwnNumberOfAStoredMessage) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  database_->Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP, NR_WLASNY, XML) values (36, 'IE015', '<AUTO>', '<IE015/>')"));
  const Result r = Run({QStringLiteral("number"), QStringLiteral("36")});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains(QRegularExpression(QStringLiteral("^\\d\\dIE0150000100\\n$")))) << r.out.toStdString();
  const Result missing = Run({QStringLiteral("number"), QStringLiteral("999")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, QStringLiteral("Nie znaleziono komunikatu o identyfikatorze 999\n"));
}

TEST_P(Cli, LoadPrintsOneLineAFileAndFailsWhenAnyFails) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  database_->Db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ) values (1, 0)"));
  database_->Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, NR_WLASNY) "
                                      "values (1, 1, 1, 'IE015', '24IE0150000010')"));
  database_->Db().DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));  // the row above took id 1
  const QString data = QStringLiteral(VELMORA_TEST_DATA "/incoming/");
  const Result ok = Run({QStringLiteral("load"), data + QStringLiteral("IE928.xml"), data + QStringLiteral("IE028.xml")});
  EXPECT_EQ(ok.status, 0) << ok.out.toStdString();
  EXPECT_EQ(ok.out, QStringLiteral("Wczytano kouminikat IE928 o numerze 24IE928UC0000928\n"
                                   "Wczytano kouminikat IE028 o numerze 24IE028UC0000028\n"));
  QFile broken(root_.filePath(QStringLiteral("broken.xml")));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("<IE028><Naglowek></IE028>");
  broken.close();
  const Result bad = Run({QStringLiteral("load"), data + QStringLiteral("IE028.xml"), broken.fileName()});
  EXPECT_EQ(bad.status, 1);
  const QStringList lines = bad.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("został już wczytany")));
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Błąd - ") + broken.fileName() + QStringLiteral(": "))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" (wiersz 1)"))) << lines[1].toStdString();
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE")), 3);
  // Loaded again, an answer is no failure of the run.
  EXPECT_EQ(Run({QStringLiteral("load"), data + QStringLiteral("IE028.xml")}).status, 0);

  // The declared encoding is honoured; bytes that are not in it are refused and store nothing.
  QFile sample(data + QStringLiteral("IE029.xml"));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  QString ie029 = QString::fromUtf8(sample.readAll());
  ie029.replace(QStringLiteral("encoding=\"UTF-8\""), QStringLiteral("encoding=\"windows-1250\""));
  QStringEncoder cp1250("windows-1250");
  ASSERT_TRUE(cp1250.isValid());
  const QByteArray cp1250_bytes = cp1250(ie029);
  ASSERT_FALSE(cp1250_bytes.contains("\xc5\x82"));  // "ł" is one byte in the code page
  const QString cp1250_file = root_.filePath(QStringLiteral("IE029_cp1250.xml"));
  const QString mislabelled = root_.filePath(QStringLiteral("IE029_utf8.xml"));
  for (const auto& [name, bytes] : {std::pair{cp1250_file, cp1250_bytes}, std::pair{mislabelled, QByteArray(cp1250_bytes).replace("windows-1250", "UTF-8")}}) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  // A short answer many megabytes long is refused before it is read.
  const QString huge = root_.filePath(QStringLiteral("IE028_duzy.xml"));
  {
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\"?>\n<IE028><!--" + QByteArray(5 << 20, 'x') + "--></IE028>");
  }
  EXPECT_EQ(Run({QStringLiteral("load"), huge}).out, QStringLiteral("Błąd - ") + huge + QStringLiteral(": Dokument IE028 jest za duży: 6 MB, dopuszczalne 4 MB\n"));
  const Result refused = Run({QStringLiteral("load"), mislabelled});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.out.startsWith(QStringLiteral("Błąd - ") + mislabelled + QStringLiteral(": "))) << refused.out.toStdString();
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE")), 3);
  // The site's switches are read at each start: with KAEM on, the order system gets its answer.
  database_->Db().Exec(QStringLiteral("alter table TRANZYTY add column NR_ZAM_ISCALA varchar(30)"));
  database_->Db().Exec(QStringLiteral("update TRANZYTY set NR_ZAM_ISCALA = 'ZS-7' where ID_TRANZYTY = 1"));
  ASSERT_EQ(Run({QStringLiteral("option"), QStringLiteral("PRZELACZNIKI"), QStringLiteral("KAEM"), QStringLiteral("1"), QStringLiteral("--scope"),
                 QStringLiteral("app")}).status, 0);
  const Result decoded = Run({QStringLiteral("load"), cp1250_file});
  EXPECT_EQ(decoded.status, 0) << decoded.out.toStdString();
  EXPECT_TRUE(QFile::exists(root_.filePath(QStringLiteral("SAP_ZAPIS/ZS-7.xml"))));
  const QString stored = database_->Db().QueryValue(QStringLiteral("select XML from TRANZYTY_POZYCJE where TYP = 'IE029'")).toString();
  EXPECT_TRUE(stored.contains(QStringLiteral("Nazwa=\"Bałtycka Spedycja Sp. z o.o.\""))) << stored.toStdString();
}

// Scheduled receives beside a clerk's: every loader takes every file, in its own order, while
// this process writes as the desktop program does. Each answer is stored exactly once.
TEST_P(Cli, ConcurrentLoadersApplyEveryMessageOnce) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  host::Db& db = database_->Db();
  const int transits = 30;
  QStringList files;
  for (int t = 1; t <= transits; ++t) {
    const QString nr = QStringLiteral("24IE015%1").arg(t, 7, 10, QLatin1Char('0'));
    db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (:T, 0, 'IE015', 2)"), {{QStringLiteral("T"), t}});
    db.Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY) values (:T, :T, 1, 'IE015', 2, :NR)"),
            {{QStringLiteral("T"), t}, {QStringLiteral("NR"), nr}});
    db.DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    for (const QString typ : {QStringLiteral("IE928"), QStringLiteral("IE028"), QStringLiteral("IE029")}) {
      QFile sample(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + typ + QStringLiteral(".xml"));
      ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
      QString text = QString::fromUtf8(sample.readAll());
      text.replace(QStringLiteral("24IE0150000010"), nr)
          .replace(QRegularExpression(QStringLiteral("NrWlasny=\"24IE\\d\\d\\dUC\\d+\"")),
                   QStringLiteral("NrWlasny=\"24%1UC%2\"").arg(typ).arg(t, 7, 10, QLatin1Char('0')));
      QFile f(root_.filePath(QStringLiteral("%1_%2.xml").arg(typ).arg(t)));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(text.toUtf8());
      files << f.fileName();
    }
  }
  int total_own_writes = 0;
  for (const int loaders : {2, 4}) {
    db.Exec(QStringLiteral("delete from TRANZYTY_POZYCJE where TYP <> 'IE015'"));
    db.Exec(QStringLiteral("update TRANZYTY set TYP = 'IE015', MRN = null where RODZAJ = 0"));
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int k = 0; k < loaders; ++k) {
      QStringList mine = files;
      std::rotate(mine.begin(), mine.begin() + k * files.size() / loaders, mine.end());
      auto p = std::make_unique<QProcess>();
      p->start(QStringLiteral(VELMORA_CLI), QStringList{QStringLiteral("--db"), database_->Url(), QStringLiteral("--root"), root_.path(),
                                                        QStringLiteral("load")} + mine);
      processes.push_back(std::move(p));
    }
    // The desktop program's own writes go on meanwhile: a read, then a write, in one transaction.
    int own_writes = 0;
    auto running = [&processes] {
      return std::any_of(processes.begin(), processes.end(), [](const auto& p) { return p->state() != QProcess::NotRunning; });
    };
    for (int id = 1000 * loaders; running(); ++id) {
      host::Transaction tx(db);
      const int nr = db.QueryValue(QStringLiteral("select coalesce(max(NR), 0) from TRANZYTY")).toInt();
      db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, NR) values (:ID, 1, :NR)"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("NR"), nr + 1}});
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
        if (line.startsWith(QStringLiteral("Wczytano kouminikat "))) ++applied;
        else EXPECT_TRUE(line.endsWith(QStringLiteral(" został już wczytany"))) << line.toStdString();
      }
    }
    EXPECT_EQ(applied, files.size()) << loaders << " loaders";
    EXPECT_EQ(db.GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("TYP <> 'IE015'")), files.size());
    EXPECT_EQ(db.QueryValue(QStringLiteral("select count(*) from (select TRANZYTY_ID, LP from TRANZYTY_POZYCJE "
                                           "group by TRANZYTY_ID, LP having count(*) > 1) d")).toInt(), 0);
    EXPECT_EQ(db.GetCountFieldVal(QStringLiteral("TRANZYTY"), QStringLiteral("RODZAJ = 0 and TYP = 'IE029'")), transits);
    EXPECT_GT(own_writes, 0);
    total_own_writes += own_writes;
    EXPECT_EQ(db.GetCountFieldVal(QStringLiteral("TRANZYTY"), QStringLiteral("RODZAJ = 1")), total_own_writes);
  }
}

TEST_P(Cli, UsageErrorsExitWithTwo) {
  for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("frobnicate")},
                                  QStringList{QStringLiteral("number")}, QStringList{QStringLiteral("option"), QStringLiteral("A")},
                                  QStringList{QStringLiteral("option"), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("--scope"), QStringLiteral("world")},
                                  // Unknown options are neither values nor file names.
                                  QStringList{QStringLiteral("option"), QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("--verbose")},
                                  QStringList{QStringLiteral("load"), QStringLiteral("--verbose"), QStringLiteral(VELMORA_TEST_DATA "/incoming/IE028.xml")},
                                  QStringList{QStringLiteral("write"), QStringLiteral("1"), QStringLiteral("x.xml"), QStringLiteral("--force")}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Użycie: velmora-cli")));
  }
  for (const char* help : {"--help", "-h"}) {
    const Result r = Run({QString::fromLatin1(help)});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Użycie: velmora-cli"))) << r.out.toStdString();
  }
  EXPECT_EQ(Run({QStringLiteral("option"), QStringLiteral("NCTS"), QStringLiteral("PREFIKS")}).out, QStringLiteral("\n"));
  EXPECT_EQ(Run({QStringLiteral("load"), QStringLiteral("--verbose")}).err.section(QLatin1Char('\n'), 0, 0), QStringLiteral("Nieznana opcja: --verbose"));

  // A mailbox that is not there, or that cannot be reached, fails the run and says why.
  const Result no_account = Run({QStringLiteral("receive"), QStringLiteral("--mail"), QStringLiteral("nikt@example.pl")});
  EXPECT_EQ(no_account.status, 1);
  EXPECT_EQ(no_account.out, QStringLiteral("Nie zdefiniowano poprawnego konta email do odbioru\n"));
  host::MailServer closed;
  closed.email = QStringLiteral("biuro@example.pl");
  closed.smtp_host = closed.in_host = QStringLiteral("127.0.0.1");
  closed.smtp_port = closed.in_port = 1;  // nobody listens there
  closed.user = QStringLiteral("biuro");
  closed.smtp_tls = closed.in_tls = host::MailTls::None;
  QString error;
  ASSERT_GT(host::AddMailServer(database_->Db(), closed, &error), 0) << error.toStdString();
  const Result unreachable = Run({QStringLiteral("receive"), QStringLiteral("--mail"), QStringLiteral("biuro@example.pl")});
  EXPECT_EQ(unreachable.status, 1);
  const QStringList lines = unreachable.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3) << unreachable.out.toStdString();
  EXPECT_EQ(lines[1], QStringLiteral("Nie można się połączyć ze wskazanym kontem email"));
  EXPECT_EQ(lines[2], QStringLiteral("Nie można połączyć się z serwerem IMAP 127.0.0.1:1. Sprawdź adres i port serwera oraz "
                                     "połączenie z siecią."));
}

TEST_P(Cli, ValidateNamesWhatTheSchemaRefuses) {
  const QString file = root_.filePath(QStringLiteral("IE054.xml"));
  auto write = [&file](const QString& flag) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE054 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE054/2013/10/\">"
                           "<Naglowek NrWlasny=\"24IE0540000001\" DataUtworzenia=\"2024-03-05T08:04:09\" MRN=\"24PL322010NS0001A7\"/>"
                           "<Wniosek BrakSprzeciwu=\"%1\" Data=\"2024-03-05\"/><UCZgloszenia Kod=\"PL322010\"/></IE054>\n")
                .arg(flag)
                .toUtf8());
  };
  write(QStringLiteral("1"));
  const Result good = Run({QStringLiteral("validate"), file});
  EXPECT_EQ(good.status, 0) << good.err.toStdString();
  EXPECT_EQ(good.out, QString());
  write(QStringLiteral("tak"));
  const Result bad = Run({QStringLiteral("validate"), file});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.startsWith(file + QStringLiteral(": XSD /IE054/Wniosek: "))) << bad.out.toStdString();
  EXPECT_TRUE(bad.out.contains(QStringLiteral("BrakSprzeciwu")));
  EXPECT_TRUE(bad.out.endsWith(QStringLiteral(" (wiersz 2)\n")));
  // An answer from the customs office has no schema of ours.
  QFile::remove(file);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<IE028><Naglowek/></IE028>");
  f.close();
  EXPECT_EQ(Run({QStringLiteral("validate"), file}).out, file + QStringLiteral(": Brak schematu dla komunikatu IE028\n"));

  // A batch: every file is checked; a malformed one is a line of its own.
  const QString broken = root_.filePath(QStringLiteral("zly.xml"));
  QFile b(broken);
  ASSERT_TRUE(b.open(QIODevice::WriteOnly));
  b.write("<IE015><Naglowek>");
  b.close();
  const QString rules = QStringLiteral(VELMORA_TEST_DATA "/rules/");
  const Result batch = Run({QStringLiteral("validate"), rules + QStringLiteral("ok.xml"), broken, rules + QStringLiteral("R909.xml")});
  EXPECT_EQ(batch.status, 1);
  const QStringList lines = batch.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2) << batch.out.toStdString();
  EXPECT_TRUE(lines[0].startsWith(broken + QStringLiteral(": "))) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral(")")));
  EXPECT_EQ(lines[1], rules + QStringLiteral("R909.xml: R909: Jeżeli kod kraju urzędu przeznaczenia = \"SM\" to typ deklaracji musi być \"T2\" lub \"T2F\""));
  EXPECT_EQ(Run({QStringLiteral("validate")}).status, 2);
}

TEST_P(Cli, SendRefusesWhatCannotLeaveAndReceiveLoadsFiles) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  database_->Db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, 0, 'IE016', 11)"));
  database_->Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS) values (7, 1, 1, 'IE016', 11)"));
  const Result no_channel = Run({QStringLiteral("send"), QStringLiteral("7"), QStringLiteral("--channel"), QStringLiteral("file")});
  EXPECT_EQ(no_channel.status, 1);
  EXPECT_EQ(no_channel.err, QStringLiteral("W opcjach programu nie zdefiniowano żadnego kanału zwrotnego na jaki mają być wysyłane odpowiedzi z UC\n"));
  ASSERT_EQ(Run({QStringLiteral("option"), QStringLiteral("KANAL_ZWROTNY"), QStringLiteral("EMAIL"), QStringLiteral("biuro@example.pl"),
                 QStringLiteral("--scope"), QStringLiteral("app")}).status, 0);
  EXPECT_EQ(Run({QStringLiteral("send"), QStringLiteral("7"), QStringLiteral("--channel"), QStringLiteral("file")}).err,
            QStringLiteral("Wybrany komunikat nie podlega wysyłce\n"));
  EXPECT_EQ(Run({QStringLiteral("send"), QStringLiteral("7"), QStringLiteral("--channel"), QStringLiteral("fax")}).status, 2);

  // An answer for a transit this database does not have is an error line, the status 1.
  const Result loaded = Run({QStringLiteral("receive"), QStringLiteral(VELMORA_TEST_DATA "/incoming/IE028.xml")});
  EXPECT_EQ(loaded.status, 1);
  EXPECT_TRUE(loaded.out.startsWith(QStringLiteral("Błąd"))) << loaded.out.toStdString();
}

TEST_P(Cli, DeclarationFromAnotherSystemIsCheckedStoredAndItsSecurityComputed) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  database_->Db().Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'Główny', 0, 'T1')"));
  const QString file = root_.filePath(QStringLiteral("ie015.xml"));
  auto write = [&file](const QString& masa, const QString& waluta, const QString& opakowanie = QString()) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE015 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/\">"
                "<Naglowek NrWlasny=\"X\" DataUtworzenia=\"2024-03-04T12:00:00\"/><Zgloszenie LiczbaPozycji=\"1\" LiczbaOpakowan=\"5\" "
                "MasaBrutto=\"%1\"/><Rodzaj Deklaracja=\"T1\"/><GlownyZobowiazany Nazwa=\"Bałtycka\" UlicaNumer=\"Portowa 1\" "
                "KodPocztowy=\"81-350\" Miejscowosc=\"Gdynia\" Kraj=\"PL\" TIN=\"PL5860000017\"/><UC Wyjscia=\"PL322010\" "
                "Przeznaczenia=\"DE004851\"/><Towar PozId=\"1\" OpisTowaru=\"Meble\"><DaneKrajowe><Zabezpieczenie StawkaCla=\"12\" "
                "StawkaVAT=\"23\" Wartosc=\"1000\" WalutaWartosci=\"%2\"/></DaneKrajowe>%3</Towar></IE015>\n")
                .arg(masa, waluta, opakowanie)
                .toUtf8());
  };
  const QStringList import{QStringLiteral("declaration"), QStringLiteral("import"), file, QStringLiteral("--register"), QStringLiteral("1")};
  write(QStringLiteral("0"), QStringLiteral("PLN"));
  const Result refused = Run(import);
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.startsWith(QStringLiteral("ceMasaBrutto: "))) << refused.err.toStdString();
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 0);
  EXPECT_EQ(Run({QStringLiteral("declaration"), QStringLiteral("import"), file, QStringLiteral("--register"), QStringLiteral("9")}).err,
            QStringLiteral("Nie znaleziono rejestru 9\n"));

  // The goods item checks name the item.
  write(QStringLiteral("120.5"), QStringLiteral("PLN"), QStringLiteral("<Opakowanie PozId=\"1\" Rodzaj=\"CT\" LiczbaOpakowan=\"5\"/>"));
  EXPECT_EQ(Run(import).err, QStringLiteral("Pozycja towarowa 1, opakowanie 1: dla wybranego rodzaju opakowań atrybut Znaki jest wymagany\n"));

  // A declaration of another schema is refused, though it reads alike by local names.
  write(QStringLiteral("120.5"), QStringLiteral("PLN"));
  QFile foreign(file);
  ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
  const QByteArray own = foreign.readAll();
  foreign.close();
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly | QIODevice::Truncate));
  foreign.write(QByteArray(own).replace("http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/", "urn:obcy:IE015"));
  foreign.close();
  const Result foreign_refused = Run(import);
  EXPECT_EQ(foreign_refused.status, 1);
  EXPECT_EQ(foreign_refused.err, file + QStringLiteral(": Komunikat IE015 ma obcą przestrzeń nazw urn:obcy:IE015\n"));
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 0);

  write(QStringLiteral("120.5"), QStringLiteral("PLN"));
  EXPECT_EQ(Run(import + QStringList{QStringLiteral("--check")}).out, QStringLiteral("Zgłoszenie poprawne\n"));
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 0);
  const Result stored = Run(import);
  ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
  EXPECT_TRUE(stored.out.startsWith(QStringLiteral("Utworzono nowe zgłoszenie 1/"))) << stored.out.toStdString();
  const QString id = stored.out.section(QLatin1Char('\n'), 1, 1);
  // The transit row shows what the declaration holds.
  const auto t = database_->Db().QueryOne(QStringLiteral("select * from TRANZYTY"));
  EXPECT_DOUBLE_EQ(t->Value(QStringLiteral("WAGA_BRUTTO")).toDouble(), 120.5);
  EXPECT_EQ(t->Int(QStringLiteral("LICZBA_OPAKOWAN")), 5);
  EXPECT_EQ(t->Int(QStringLiteral("REJESTRY_ID")), 1);
  const Result security = Run({QStringLiteral("security"), id});
  EXPECT_EQ(security.status, 0);
  EXPECT_EQ(security.out, QStringLiteral("1\t1000.00\t120.00\t0.00\t258.00\t378.00\nRazem\t378.00\n"));

  // Applied: the total becomes the item's amount with its CAL entry, the message is changed again.
  const Result applied = Run({QStringLiteral("security"), id, QStringLiteral("--apply"), QStringLiteral("--grn"), QStringLiteral("24PL322010000001A1")});
  ASSERT_EQ(applied.status, 0) << applied.err.toStdString();
  const QString xml = database_->Db().QueryMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"),
                                                     QStringLiteral("ID_TRANZYTY_POZYCJE = :ID"), {{QStringLiteral("ID"), id.toLongLong()}});
  EXPECT_TRUE(xml.contains(QStringLiteral("Kod=\"CAL\" Tekst=\"378.00; 24PL322010000001A1\""))) << xml.toStdString();
  EXPECT_TRUE(xml.contains(QStringLiteral("Kwota=\"378.00\""))) << xml.toStdString();
  database_->Db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 2"));
  const Result sent = Run({QStringLiteral("security"), id, QStringLiteral("--apply")});
  EXPECT_NE(sent.status, 0);
  EXPECT_TRUE(sent.err.contains(QStringLiteral("już wysłany"))) << sent.err.toStdString();
  database_->Db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 1"));

  // A currency without a rate today: the item's refusal and a non-zero exit.
  write(QStringLiteral("120.5"), QStringLiteral("EUR"));
  const Result second = Run(import);
  ASSERT_EQ(second.status, 0);
  EXPECT_EQ(Run({QStringLiteral("security"), second.out.section(QLatin1Char('\n'), 1, 1)}).status, 1);
}

// A CC015C written by another system: checked against the EU's schema and our rules, stored as a
// phase-5 transit whatever its register's phase, and written back with the same data.
TEST_P(Cli, CCDeclarationIsValidatedImportedAndWrittenBackTheSame) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  database_->Db().Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'Główny', 0, 'T1')"));
  const QString file = QStringLiteral(VELMORA_TEST_DATA "/outgoing/CC015C.xml");
  const Result valid = Run({QStringLiteral("validate"), file});
  EXPECT_EQ(valid.status, 0);
  EXPECT_EQ(valid.out, QString());

  const Result stored = Run({QStringLiteral("declaration"), QStringLiteral("import"), file, QStringLiteral("--register"), QStringLiteral("1")});
  ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
  const auto t = database_->Db().QueryOne(QStringLiteral("select ID_TRANZYTY, FAZA from TRANZYTY"));
  EXPECT_EQ(t->Int(QStringLiteral("FAZA")), 5);
  const QString xml = database_->Db().QueryValue(QStringLiteral("select XML from TRANZYTY_POZYCJE")).toString();
  const xml::XmlDocumentPtr ie015 = xml::LoadXMLData(xml);
  const xml::XmlDocumentPtr original = xml::LoadXMLDocument(file);
  const xml::CcTable& table = *exchange::FindCcTable(5, QStringLiteral("CC015C"));
  const xml::XmlDocumentPtr back = xml::WriteCc(table, ie015, {{QStringLiteral("sender"), QStringLiteral("PL5860000017")}});
  for (const char* part : {"TransitOperation", "CustomsOfficeOfDeparture", "CustomsOfficeOfDestinationDeclared", "HolderOfTheTransitProcedure",
                           "Guarantee", "Consignment"}) {
    const QString name = QString::fromLatin1(part);
    EXPECT_EQ(back->DocumentElement().ChildByLocalName(name).Xml(), original->DocumentElement().ChildByLocalName(name).Xml()) << part;
  }

  // What the schema refuses is named with its path and stores nothing.
  const QString broken = root_.filePath(QStringLiteral("CC015C.xml"));
  QFile in(file), out(broken);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
  out.write(in.readAll().replace("<grossMass>1234.5</grossMass>", "<grossMass>dużo</grossMass>"));
  out.close();
  const Result bad = Run({QStringLiteral("validate"), broken});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.startsWith(broken + QStringLiteral(": XSD /CC015C/Consignment/grossMass: "))) << bad.out.toStdString();
  const Result refused = Run({QStringLiteral("declaration"), QStringLiteral("import"), broken, QStringLiteral("--register"), QStringLiteral("1")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.startsWith(broken + QStringLiteral(": Komunikat CC015C nie jest zgodny ze schematem: /CC015C/Consignment/grossMass: ")))
      << refused.err.toStdString();
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 1);
}

VELMORA_ON_BOTH_ENGINES(Cli);

}  // namespace
}  // namespace velmora::testing
