#include "departure/goods_item_box.h"
#include "departure/goods_subrecord_boxes.h"
#include "host/base/host_context.h"
#include "support/test_host.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

class GoodsItemBox : public ::testing::Test {
 protected:
  void SetUp() override {
    departure::TowarIE015::ZapomnijZapamietane();
    departure::TowarIE015::FTowarXBox_Tir = false;
    xml::Group t = m_.Root().Add(xml::kIE015_Towar);
    t.Set(S("PozId"), S("1"));
    t.Set(S("OpisTowaru"), S("Laptopy"));
  }
  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
  xml::Message m_ = xml::NewIE015();
};

TEST_F(GoodsItemBox, CtrlArrowsChangeTabsEvenFromALineEdit) {
  departure::TIE015_TowarBox box(ctx_, m_, 1);
  box.BeforeActivate();
  QLineEdit* cn = box.Pole(S("beCN8"));
  QTest::keyClick(cn, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(cn, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(box.Zakladki()->currentIndex(), 2);
  QTest::keyClick(box.Opis(), Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(box.Zakladki()->tabText(box.Zakladki()->currentIndex()), S("Dok. wymagane"));
  QTest::keyClick(cn, Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(cn, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(box.Zakladki()->tabText(box.Zakladki()->currentIndex()), S("Kontyngenty (31,39)"));
}

TEST_F(GoodsItemBox, InsertInAGridOpensTheEntryBoxWhichEnterConfirms) {
  departure::TIE015_TowarBox box(ctx_, m_, 1);
  box.BeforeActivate();
  QTableWidget* grid = box.Siatka(departure::ListaTowaru::Opakowania);
  bool otwarty = false;
  QTimer::singleShot(0, [&otwarty] {
    auto* entry = qobject_cast<departure::TIE015_PozycjaListyBox*>(QApplication::activeModalWidget());
    if (!entry) return;
    otwarty = true;
    QTest::keyClicks(entry->Pole(S("dbbeRodzaj")), S("CT"));
    QTest::keyClicks(entry->Pole(S("dbbeZnaki")), S("BS/1"));
    QTest::keyClicks(entry->Pole(S("dbbeLiczbaOpakowan")), S("4"));
    QTest::keyClick(entry->Pole(S("dbbeLiczbaOpakowan")), Qt::Key_Return);
    QTimer::singleShot(2000, entry, [entry] { entry->reject(); });
  });
  QTest::keyClick(grid, Qt::Key_Insert);
  ASSERT_TRUE(otwarty);
  ASSERT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->item(0, 2)->text(), S("BS/1"));

  // Escape cancels a new entry: the row goes.
  QTimer::singleShot(0, [] {
    if (QWidget* entry = QApplication::activeModalWidget()) QTest::keyClick(entry, Qt::Key_Escape);
  });
  QTest::keyClick(grid, Qt::Key_Insert);
  EXPECT_EQ(grid->rowCount(), 1);

  ASSERT_TRUE(box.actOkExecute());
  EXPECT_EQ(m_.Root().Get(xml::kIE015_Towar).Get(xml::kOpakowanie).Get(S("LiczbaOpakowan")), S("4"));
}

TEST_F(GoodsItemBox, EnteringTheAmountComputesItAndTheLabelShowsHow) {
  departure::TIE015_TowarBox box(ctx_, m_, 1);
  box.BeforeActivate();
  box.Pole(S("beWartosc"))->setText(S("1000"));
  box.Pole(S("beWartoscWal"))->setText(S("PLN"));
  box.Pole(S("beClo"))->setText(S("10"));
  box.Pole(S("beVAT"))->setText(S("23"));
  QFocusEvent wejscie(QEvent::FocusIn);
  QApplication::sendEvent(box.Pole(S("beKwota")), &wejscie);
  EXPECT_EQ(box.Pole(S("beKwota"))->text().toDouble(), 353.0);  // 100 duty + 23% of 1100
  EXPECT_EQ(box.Pole(S("beWaluta"))->text(), S("PLN"));
  EXPECT_TRUE(box.EtykietaObliczen()->text().contains(S("Razem:")));
  ASSERT_TRUE(box.actOkExecute());
  EXPECT_EQ(m_.Root().Get(xml::kIE015_Towar).Get(xml::kIE015_DaneKrajowe).Get(xml::kIE015_Zabezpieczenie).Get(S("Razem")).toDouble(),
            353.0);
}

}  // namespace
}  // namespace velmora::testing
