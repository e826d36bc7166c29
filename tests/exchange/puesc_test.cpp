// The web-service road end to end: the built client library against the platform simulator
// on loopback, the built signer, a real database.
#include "exchange/receive.h"
#include "exchange/send.h"
#include "frame/codes.h"
#include "host/base/host_context.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

namespace velmora::testing {
namespace {

class Puesc : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    Scenario({});
    sim_.setProgram(QStringLiteral("python3"));
    sim_.setArguments({QStringLiteral(VELMORA_SOURCE_DIR "/tools/puesc-sim/puesc_sim.py"), QStringLiteral("--port"), QStringLiteral("0"),
                       QStringLiteral("--config"), root_.filePath(QStringLiteral("scenariusz.json"))});
    sim_.start();
    ASSERT_TRUE(sim_.waitForReadyRead(15000)) << "the simulator did not start";
    const auto port = QRegularExpression(QStringLiteral("PORT (\\d+)")).match(QString::fromUtf8(sim_.readLine())).captured(1);
    ASSERT_FALSE(port.isEmpty());
    Db().Exec(QStringLiteral("update SLOWNIK_CELNY set WARTOSC = :W where SLOWNIK = 'WEBSERVICE_URL' and KOD = 'PROD'"),
              {{QStringLiteral("W"), QStringLiteral("http://127.0.0.1:%1/seap_wsChannel/DocumentHandlingPort").arg(port)}});

    // Signer with a certificate of our own, the client library, the account.
    ASSERT_EQ(InstallSigner(*host_->options, root_.path(), QStringLiteral(VELMORA_SIGNER_PATH)), QString());
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PUESC_CLIENT_PATH), host::PuescClientPath(root_.path())));
    Option("KANAL_ZWROTNY", "URL", QStringLiteral("https://127.0.0.1/odpowiedzi"));
    Option("KANAL_WYSYLKI", "ECIP_SEAP_ID", QStringLiteral("agencja"));
    Option("KANAL_WYSYLKI", "ECIP_SEAP_HASLO", QStringLiteral("haslo"));
    Option("KANAL_WYSYLKI", "CZEKAJ_SEKUNDY", QStringLiteral("10"));
    Option("KANAL_WYSYLKI", "SRODOWISKO", QStringLiteral("PRODUKCYJNE"));
    host::SetProcessOptions(host_->options.get());
    host_->user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QStringLiteral("Gdynia"), false, false, false));

    Db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, :R, 'IE015', 1)"),
              {{QStringLiteral("R"), frame::kRodzajWywoz}});
    Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                             "values (36, 1, 1, 'IE015', 1, '<AUTO>', :X)"),
              {{QStringLiteral("X"), PrzykladowaDeklaracja(2).Xml()}});
  }
  void TearDown() override {
    host::SetProcessOptions(nullptr);
    if (sim_.state() != QProcess::NotRunning) {
      sim_.kill();
      sim_.waitForFinished(5000);
    }
    qunsetenv("VELMORA_PUESC_TIMEOUT");
  }
  host::Db& Db() { return host_->db(); }
  void Option(const char* section, const char* key, const QString& value) {
    host_->options->WriteOption(QString::fromLatin1(section), QString::fromLatin1(key), value, host::OptionScope::Application);
  }
  void Scenario(const QJsonObject& s) {
    QFile f(root_.filePath(QStringLiteral("scenariusz.json")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(s).toJson());
  }
  // Sends message 36 again from the start: unsent.
  QStringList Send() {
    Db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 1 where ID_TRANZYTY_POZYCJE = 36"));
    QStringList log;
    exchange::WysylkaKomunikatu w(*ctx_, 36);
    w.Wyslij(exchange::kKanalPuesc, QString(), [&log](const QString& l) { log << l; });
    return log;
  }
  int Received() { return Db().QueryValue(QStringLiteral("select count(*) from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE <> 36")).toInt(); }

  QProcess sim_;
};

TEST_P(Puesc, DepartureIsUploadedAndItsAnswersLoadedThenTheReleaseFetchedWithItsPrintout) {
  Scenario({{"ie029_after", "okres"}});
  const QStringList log = Send();
  const QString text = log.join(QLatin1Char('\n'));
  EXPECT_TRUE(log.contains(QStringLiteral("- wysyłano"))) << text.toStdString();
  EXPECT_EQ(log.filter(QStringLiteral("Wczytano kouminikat")).size(), 4) << text.toStdString();  // UPP, UPO, IE928, IE028
  EXPECT_TRUE(text.contains(QStringLiteral("Wczytano kouminikat IE028")));
  const auto t = Db().QueryOne(QStringLiteral("select MRN, TYP from TRANZYTY where ID_TRANZYTY = 1"));
  EXPECT_EQ(t->Str(QStringLiteral("TYP")), QStringLiteral("IE028"));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\dPL322010NS\\d{4}A\\d$")).match(t->Str(QStringLiteral("MRN")).trimmed()).hasMatch())
      << t->Str(QStringLiteral("MRN")).toStdString();
  EXPECT_EQ(Db().QueryValue(QStringLiteral("select STATUS from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36")).toInt(), 2);

  // The release comes later; the period's download brings it with its printout.
  QStringList later;
  const QDateTime now = QDateTime::currentDateTime();
  EXPECT_TRUE(exchange::OdbiorKomunikatow(*ctx_).ReceiveWS(now.addDays(-1), now.addSecs(60), false,
                                                           [&later](const QString& l) { later << l; }));
  EXPECT_TRUE(later.join(QLatin1Char('\n')).contains(QStringLiteral("Wczytano kouminikat IE029"))) << later.join('\n').toStdString();
  const auto ie029 = Db().QueryOne(QStringLiteral("select ID_EMAIL_ATTACH_PDF from TRANZYTY_POZYCJE where TYP = 'IE029'"));
  ASSERT_TRUE(ie029);
  const QByteArray pdf =
      Db().QueryValue(QStringLiteral("select BODY from EMAIL_ATTACH where ID_EMAIL_ATTACH = :A"), {{QStringLiteral("A"), ie029->Value(QStringLiteral("ID_EMAIL_ATTACH_PDF"))}})
          .toByteArray();
  EXPECT_TRUE(pdf.startsWith("%PDF"));

  // A road the clerk stops: told before each file, it ends where it was stopped and says so.
  exchange::OdbiorKomunikatow odbior(*ctx_);
  QList<int> told;
  odbior.UstawPostep([&told](int done, int total) {
    told << done << total;
    return done < 1;
  });
  QStringList stopped;
  EXPECT_FALSE(odbior.WczytajPliki({root_.filePath(QStringLiteral("brak1.xml")), root_.filePath(QStringLiteral("brak2.xml"))},
                                   [&stopped](const QString& l) { stopped << l; }));
  EXPECT_EQ(told, (QList<int>{0, 2, 1, 2}));
  ASSERT_EQ(stopped.size(), 2) << stopped.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(stopped[0].startsWith(QStringLiteral("Błąd - ")));
  EXPECT_EQ(stopped[1], exchange::kOdbiorPrzerwany);
}

TEST_P(Puesc, PlatformFaultsEndTheRoadWithTheFileKeptAndNothingHalfStored) {
  qputenv("VELMORA_PUESC_TIMEOUT", "2");
  const QString file = root_.filePath(QStringLiteral("XML2/WS_OUT/IE015_24IE0150000100.xml"));
  // An environment not chosen, or mistyped, is no production: nothing is written or fetched.
  for (const char* srodowisko : {"", "PRODUKCJA"}) {
    Option("KANAL_WYSYLKI", "SRODOWISKO", QString::fromLatin1(srodowisko));
    const QStringList log = Send();
    ASSERT_EQ(log.size(), 1) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log[0].contains(QStringLiteral("środowiska platformy PUESC")) || log[0].contains(QStringLiteral("„PRODUKCJA”")))
        << log[0].toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select STATUS from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36")).toInt(), 1);
    QStringList pobrane;
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_FALSE(exchange::OdbiorKomunikatow(*ctx_).ReceiveWS(now.addDays(-1), now, false, [&](const QString& l) { pobrane << l; }));
    EXPECT_EQ(pobrane.value(0), log[0]);
    EXPECT_EQ(Received(), 0);
  }
  Option("KANAL_WYSYLKI", "SRODOWISKO", QStringLiteral("PRODUKCYJNE"));
  for (const char* fault : {"slow", "drop", "garbage", "error"}) {
    Scenario({{"fault", QString::fromLatin1(fault)}, {"slow_seconds", 5}});
    const QStringList log = Send();
    EXPECT_FALSE(log.contains(QStringLiteral("- wysyłano"))) << fault;
    EXPECT_TRUE(log.last().startsWith(QLatin1Char('-'))) << fault << ": " << log.last().toStdString();
    EXPECT_TRUE(QFile::exists(file)) << fault;
    EXPECT_EQ(Received(), 0) << fault;
  }
  // A refused login is the platform's own error text.
  Scenario({{"users", QJsonObject{{"agencja", "inne"}}}});
  EXPECT_TRUE(Send().last().contains(QStringLiteral("A security error was encountered")));
  // The password goes to no address outside this computer in plain text.
  Scenario({});
  Db().Exec(QStringLiteral("update SLOWNIK_CELNY set WARTOSC = 'http://platforma.example.pl/ws' where SLOWNIK = 'WEBSERVICE_URL' and KOD = 'PROD'"));
  EXPECT_EQ(Send().last(),
            QStringLiteral("Adres platformy http://platforma.example.pl/ws nie jest szyfrowany (http): hasło nie zostanie wysłane. Podaj adres https."));
}

TEST_P(Puesc, WithoutWaitingOrWhenStoppedTheUploadLoadsNoMoreAnswers) {
  Option("KANAL_WYSYLKI", "CZEKAJ", QStringLiteral("0"));
  const QStringList log = Send();
  EXPECT_EQ(log.last(), QStringLiteral("- wysyłano"));
  EXPECT_EQ(Received(), 0);
  // Waiting, stopped by the clerk after the first answer: the others stay unread, the log says so.
  Option("KANAL_WYSYLKI", "CZEKAJ", QStringLiteral("1"));
  Db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 1 where ID_TRANZYTY_POZYCJE = 36"));
  exchange::WysylkaKomunikatu w(*ctx_, 36);
  QList<int> told;
  w.UstawPostep([&told](int done, int total) {
    told << done << total;
    return done < 1;
  });
  QStringList stopped;
  w.Wyslij(exchange::kKanalPuesc, QString(), [&stopped](const QString& l) { stopped << l; });
  EXPECT_EQ(stopped.last(), exchange::kOdbiorPrzerwany) << stopped.join(QLatin1Char('\n')).toStdString();
  ASSERT_EQ(told.size(), 4);
  EXPECT_GT(told[1], 1);  // more answers than the one loaded
  EXPECT_EQ(Received(), 1);
}

TEST_P(Puesc, DownloadPeriodIsAtMostTenDays) {
  const QDateTime od(QDate(2024, 3, 1), QTime(8, 0));
  QStringList log;
  auto receive = [&](const QDateTime& do_) {
    log.clear();
    return exchange::OdbiorKomunikatow(*ctx_).ReceiveWS(od, do_, false, [&log](const QString& l) { log << l; });
  };
  EXPECT_TRUE(receive(od.addDays(10)));
  EXPECT_FALSE(receive(od.addDays(10).addSecs(60)));
  EXPECT_EQ(log.last(), QStringLiteral("Zakres dat nie może przekraczać 10 dni"));
  EXPECT_FALSE(receive(od.addSecs(-60)));
  EXPECT_EQ(log.last(), QStringLiteral("Data początkowa nie może być późniejsza niż końcowa"));
}

VELMORA_ON_BOTH_ENGINES(Puesc);

}  // namespace
}  // namespace velmora::testing
