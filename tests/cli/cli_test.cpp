#include "cli/cli.h"

#include "support/test_host.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

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
    if (IsSkipped()) return;
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

TEST_P(Cli, NumberAssignsTheOwnNumberOfAStoredMessage) {
  ASSERT_EQ(Run({QStringLiteral("init")}).status, 0);
  database_->Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP, NR_WLASNY, XML) values (36, 'IE015', '<AUTO>', '<IE015/>')"));
  const Result r = Run({QStringLiteral("number"), QStringLiteral("36")});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains(QRegularExpression(QStringLiteral("^\\d\\dIE0150000100\\n$")))) << r.out.toStdString();
  EXPECT_EQ(Run({QStringLiteral("number"), QStringLiteral("999")}).status, 1);
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
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Błąd - ")));
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE")), 3);
}

TEST_P(Cli, UsageErrorsExitWithTwo) {
  for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("frobnicate")},
                                  QStringList{QStringLiteral("number")}, QStringList{QStringLiteral("option"), QStringLiteral("A")},
                                  QStringList{QStringLiteral("option"), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("--scope"), QStringLiteral("world")}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Użycie: velmora-cli")));
  }
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

  write(QStringLiteral("120.5"), QStringLiteral("PLN"));
  EXPECT_EQ(Run(import + QStringList{QStringLiteral("--check")}).out, QStringLiteral("Zgłoszenie poprawne\n"));
  EXPECT_EQ(database_->Db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 0);
  const Result stored = Run(import);
  ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
  EXPECT_TRUE(stored.out.startsWith(QStringLiteral("Utworzono nowe zgłoszenie 1/"))) << stored.out.toStdString();
  const QString id = stored.out.section(QLatin1Char('\n'), 1, 1);
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

VELMORA_ON_BOTH_ENGINES(Cli);

}  // namespace
}  // namespace velmora::testing
