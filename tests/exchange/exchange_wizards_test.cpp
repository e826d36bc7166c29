#include "exchange/receive_wizard.h"
#include "exchange/send.h"
#include "exchange/send_wizard.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/srodowisko.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace velmora::testing {
namespace {

class ExchangeWizards : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_ = std::make_unique<host::HostContext>(host_.Context(root_.path()));
    host_.db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, 0, 'IE015', 1)"));
    host_.db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                                   "values (36, 1, 1, 'IE015', 1, '<AUTO>', :X), (37, 1, 2, 'IE016', 11, 'UC16', '<IE016/>')"),
                    {{QStringLiteral("X"), PrzykladowaDeklaracja(1).Xml()}});
  }
  void Option(const char* section, const char* key, const QString& value) {
    host_.options->WriteOption(QString::fromLatin1(section), QString::fromLatin1(key), value, host::OptionScope::Application);
  }

  TestHost host_{TestEngine::Sqlite};
  QTemporaryDir root_;
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_F(ExchangeWizards, SendWizardRefusesWhatCannotLeaveAndOffersTheLastRoad) {
  EXPECT_FALSE(exchange::TWyslijKomunikatWiz::Wyslij(*ctx_, 36));
  EXPECT_EQ(host_.dialogs.Texts().last(),
            QStringLiteral("W opcjach programu nie zdefiniowano żadnego kanału zwrotnego na jaki mają być wysyłane odpowiedzi z UC"));
  Option("KANAL_ZWROTNY", "EMAIL", QStringLiteral("biuro@example.pl"));
  EXPECT_FALSE(exchange::TWyslijKomunikatWiz::Wyslij(*ctx_, 37));
  EXPECT_EQ(host_.dialogs.Texts().last(), QStringLiteral("Wybrany komunikat nie podlega wysyłce"));

  // The last road was the mail of the program: without a sending account it is not offered.
  host_.options->WriteOption(QStringLiteral("WYSLIJ_KOMUNIKAT"), QStringLiteral("WYSLIJ"), QStringLiteral("2"));
  {
    exchange::TWyslijKomunikatWiz wiz(*ctx_, 36);
    wiz.Start();
    EXPECT_FALSE(wiz.Kanal(exchange::kKanalEmailNcts)->isEnabled());
    EXPECT_EQ(wiz.WybranyKanal(), 0);
    EXPECT_FALSE(wiz.Next());  // nothing chosen, nowhere to go
  }
  host_.options->WriteOption(QStringLiteral("WYSLIJ_KOMUNIKAT"), QStringLiteral("WYSLIJ"), QStringLiteral("4"));
  {
    exchange::TWyslijKomunikatWiz wiz(*ctx_, 36);
    wiz.Start();
    EXPECT_TRUE(wiz.Kanal(exchange::kKanalPuesc)->isChecked());
    // The platform needs a chosen environment, and production is asked about once more.
    EXPECT_FALSE(wiz.Next());
    EXPECT_TRUE(host_.dialogs.Texts().last().startsWith(QStringLiteral("Nie wybrano środowiska platformy PUESC")));
    Option("KANAL_WYSYLKI", "SRODOWISKO", QStringLiteral("PRODUKCYJNE"));
    host::NowaSesjaWysylki();
    host_.dialogs.Answer(host::kIdNo);
    EXPECT_FALSE(wiz.Next());
    EXPECT_TRUE(host_.dialogs.Texts().last().contains(QStringLiteral("PRODUKCYJNEJ platformy PUESC")));
    EXPECT_EQ(wiz.CurrentPage(), 0);
    EXPECT_TRUE(wiz.Sciezka()->isHidden());  // the platform's road takes no path
    wiz.Kanal(exchange::kKanalPlik)->setChecked(true);
    EXPECT_TRUE(wiz.Sciezka()->text().endsWith(QStringLiteral("XML2/IE015_24IE0150000100.xml"))) << wiz.Sciezka()->text().toStdString();
    EXPECT_FALSE(wiz.Sciezka()->isHidden());
  }
}

TEST_F(ExchangeWizards, ANotificationWithoutItsPlaceIsNeitherWrittenNorReportedWritten) {
  host_.db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set TYP = 'IE007', XML = :X where ID_TRANZYTY_POZYCJE = 36"),
                  {{QStringLiteral("X"), PrzykladowePrzybycie(QString()).Xml()}});
  host_.user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QString(), false, false, false));  // no place either
  QStringList log;
  const QString plik = root_.filePath(QStringLiteral("IE007.xml"));
  EXPECT_FALSE(exchange::WysylkaKomunikatu(*ctx_, 36).Wyslij(exchange::kKanalPlik, plik, [&log](const QString& l) { log << l; }));
  EXPECT_FALSE(QFile::exists(plik));
  EXPECT_EQ(log.filter(QStringLiteral("Komunikat zapisano")), QStringList()) << log.join('\n').toStdString();
  EXPECT_EQ(log.last(), QStringLiteral(" - Nie zapisano komunikatu do pliku - brak dokumentu do wysłania"));
  EXPECT_TRUE(host_.dialogs.Texts().last().startsWith(QStringLiteral("Nie podano miejsca wypełnienia dokumentu")));
}

TEST_F(ExchangeWizards, ReceiveWizardWalksToTheRoadChosenAndLoadsTheFile) {
  exchange::TKomunikatOdbierzWiz wiz(*ctx_);
  wiz.Start();
  EXPECT_TRUE(wiz.rbPlik()->isChecked());  // the default road
  wiz.rbPuesc()->click();
  EXPECT_EQ(host_.options->ReadOption(QStringLiteral("TKomunikatOdbierzWiz"), QStringLiteral("rb_Plik"), QString()), QStringLiteral("2"));
  wiz.rbPlik()->click();
  ASSERT_TRUE(wiz.Next());
  EXPECT_EQ(wiz.CurrentPage(), exchange::TKomunikatOdbierzWiz::kDane);
  wiz.Sciezka()->setText(root_.filePath(QStringLiteral("brak.xml")));
  EXPECT_FALSE(wiz.Next());  // no such file
  wiz.Sciezka()->setText(QStringLiteral(VELMORA_TEST_DATA "/incoming/IE016.xml"));
  ASSERT_TRUE(wiz.Next());
  EXPECT_EQ(wiz.CurrentPage(), exchange::TKomunikatOdbierzWiz::kZapiszDoBazyDanych);
  ASSERT_FALSE(wiz.LogLines().isEmpty());
  EXPECT_TRUE(wiz.LogLines().first().startsWith(QStringLiteral("Błąd"))) << wiz.LogLines().first().toStdString();  // no such transit
  EXPECT_FALSE(wiz.BackButton()->isEnabled());
}

}  // namespace
}  // namespace velmora::testing
