#include "arrival/arrival_boxes.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "arrival/arrival_notification_box.h"
#include "support/test_host.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

class ArrivalBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.db().Exec(S("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE007_UC_PRZEDSTAW) values (1, 'Przyjęcia', 0, 'PL322010')"));
    host_.db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, REJESTRY_ID) values (5, 1, 'IE007', 2, 1)"));
    host_.db().Exec(S("insert into TRANZYTY_KOSZTY (ID_TRANZYTY_KOSZTY, TRANZYTY_ID, LP, KOD, WARTOSC_WAL, WALUTA, KURS, WARTOSC_PLN) "
                      "values (1, 5, 1, '1', 10, 'PLN', 1, 10)"));
  }
  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST_F(ArrivalBoxes, EnterInTheLastFieldOfATabMovesToTheNextTab) {
  xml::Message m = xml::NewIE007();
  arrival::TIE007PL_ZdarzeniaBox box(ctx_, m.Root().Add(xml::kIE007_Zdarzenie));
  box.BeforeActivate();
  box.Przeladunek()->setChecked(true);
  QTest::keyClick(box.Pole(S("beTransport_Kraj")), Qt::Key_Return);
  EXPECT_EQ(box.Zakladki()->currentIndex(), 1);
  box.Zakladki()->setCurrentIndex(2);
  QTest::keyClick(box.Pole(S("ceIlosc")), Qt::Key_Return);
  EXPECT_EQ(box.Zakladki()->currentIndex(), 0);  // after the last, the first
}

TEST_F(ArrivalBoxes, EventsGridKeysAndAViewOnlyMessage) {
  arrival::TIE007PL_Box box(ctx_, {{S("ID_TRANZYTY"), 0}, {S("REJESTRY_ID"), 1}, {S("STATUS"), 0}});
  box.SetXML(QString());
  box.BeforeActivate();
  bool opened = false;
  QTimer::singleShot(0, [&opened] {
    auto* e = qobject_cast<arrival::TIE007PL_ZdarzeniaBox*>(QApplication::activeModalWidget());
    ASSERT_NE(e, nullptr) << "the event editor did not open";
    opened = true;
    QTest::keyClicks(e->Pole(S("beMiejsce")), S("Slubice"));
    QTest::keyClicks(e->Pole(S("beKraj")), S("pl"));
    e->Tekst(S("meZamkniecia"))->setPlainText(S("PL1\nPL2"));
    QTest::keyClick(e->Pole(S("beMiejsce")), Qt::Key_Return);
    QTimer::singleShot(2000, e, [e] { e->reject(); });
  });
  QTest::keyClick(box.Zdarzenia(), Qt::Key_Insert);
  ASSERT_TRUE(opened);
  ASSERT_EQ(box.Zdarzenia()->rowCount(), 1);
  EXPECT_EQ(box.Zdarzenia()->item(0, 2)->text(), S("PL"));
  EXPECT_TRUE(box.GetXML().contains(S("Liczba=\"2\"")));

  QTest::keyClick(box.Zdarzenia(), Qt::Key_Delete);  // the question's default is "no"
  EXPECT_EQ(box.Zdarzenia()->rowCount(), 1);
  host_.dialogs.Answer(host::kIdYes);
  QTest::keyClick(box.Zdarzenia(), Qt::Key_Delete);
  EXPECT_EQ(box.Zdarzenia()->rowCount(), 0);

  // Enter moves along the form rather than confirming it.
  box.Pole(S("beNrMRN"))->setFocus();
  QTest::keyClick(box.Pole(S("beNrMRN")), Qt::Key_Return);
  EXPECT_EQ(box.result(), 0);

  // A date field has its calendar: the day picked is written as the documents write it.
  QLineEdit* data = box.Pole(S("deData"));
  QAction* kalendarz = data->findChild<QAction*>(S("deData_Kalendarz"));
  ASSERT_NE(kalendarz, nullptr);
  kalendarz->trigger();
  auto* dni = data->findChild<QCalendarWidget*>();
  ASSERT_NE(dni, nullptr);
  emit dni->clicked(QDate(2024, 3, 5));
  EXPECT_EQ(data->text(), S("2024-03-05"));

  // A sent message is shown, not edited; its costs stay as stored.
  arrival::TIE007PL_Box sent(ctx_, {{S("ID_TRANZYTY"), 5}, {S("REJESTRY_ID"), 1}, {S("STATUS"), 2}});
  sent.SetXML(QString());
  sent.BeforeActivate();
  EXPECT_TRUE(sent.ViewMode());
  EXPECT_TRUE(sent.Pole(S("beNrMRN"))->isReadOnly());
  EXPECT_EQ(sent.KosztyGrid()->rowCount(), 1);
  QTest::keyClick(sent.KosztyGrid(), Qt::Key_Delete);
  EXPECT_EQ(sent.KosztyGrid()->rowCount(), 1);
  EXPECT_EQ(host_.db().QueryValue(S("select count(*) from TRANZYTY_KOSZTY")).toInt(), 1);
}

}  // namespace
}  // namespace velmora::testing
