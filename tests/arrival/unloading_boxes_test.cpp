#include "arrival/unloading_boxes.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "arrival/unloading_remarks_box.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

class UnloadingBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (5, 1, 'IE043', 11)"));
    QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/IE043.xml"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    Store(2, "IE043", QString::fromUtf8(f.readAll()));
  }
  void Store(int lp, const char* typ, const QString& xml) {
    host_.db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, XML) values (:ID, 5, :LP, :T, 11, :X)"),
                    {{S("ID"), 100 + lp}, {S("LP"), lp}, {S("T"), S(typ)}, {S("X"), xml}});
  }
  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST_F(UnloadingBoxes, WithoutTheNotificationTheEditorDoesNotOpen) {
  arrival::TIE044PL_Box box(ctx_, {{S("TRANZYTY_ID"), 5}, {S("STATUS"), 0}});
  box.SetXML(QString());
  EXPECT_EQ(box.ShowBox(), 0);
  EXPECT_FALSE(box.Wczytany());
  EXPECT_EQ(host_.dialogs.Texts().last(), S("Brak komunikatu IE007 dla wybranego tranzytu"));
}

TEST_F(UnloadingBoxes, RemarksOpenTheGoodsAndTheWizardAddsAMissingItem) {
  Store(1, "IE007", PrzykladowePrzybycie(S("Gdańsk")).Xml());
  arrival::TIE044PL_Box box(ctx_, {{S("TRANZYTY_ID"), 5}, {S("STATUS"), 0}});
  box.SetXML(QString());
  box.BeforeActivate();
  EXPECT_FALSE(box.Towary()->parentWidget()->isEnabled());
  box.Zgodnosc()->setChecked(true);
  EXPECT_TRUE(box.Towary()->parentWidget()->isEnabled());

  QTimer::singleShot(0, [] {
    auto* wiz = qobject_cast<arrival::TIE044PL_WynikKontroliWiz*>(QApplication::activeModalWidget());
    if (!wiz) return;
    wiz->Rodzaj(1)->setChecked(true);
    wiz->Next();
    EXPECT_EQ(wiz->Etykieta()->text(), S("Wskaż pozycję towarową której dotyczy brak pozycji"));
    wiz->Lista()->setCurrentCell(2, 0);
    QTest::keyClick(wiz->Lista(), Qt::Key_Space);
    wiz->Next();
    QTimer::singleShot(2000, wiz, [wiz] { wiz->reject(); });
  });
  QTest::keyClick(box.Towary(), Qt::Key_Insert);
  ASSERT_EQ(box.Towary()->rowCount(), 1);
  EXPECT_EQ(box.Towary()->item(0, 1)->text(), S("3"));
  EXPECT_EQ(box.Towary()->item(0, 2)->text(), S("rozbieżność"));
}

}  // namespace
}  // namespace velmora::testing
