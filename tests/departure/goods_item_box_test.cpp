#include "departure/goods_item_box.h"
#include "departure/goods_subrecord_boxes.h"
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
    box_ = std::make_unique<departure::TIE015_TowarBox>(ctx_, m_, 1);
    box_->BeforeActivate();
  }
  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
  xml::Message m_ = xml::NewIE015();
  std::unique_ptr<departure::TIE015_TowarBox> box_;
};

TEST_F(GoodsItemBox, CtrlArrowsChangeTabsEvenFromALineEdit) {
  QLineEdit* cn = box_->Pole(S("beCN8"));
  QTest::keyClick(cn, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(cn, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(box_->Zakladki()->currentIndex(), 2);
  QTest::keyClick(box_->Opis(), Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(box_->Zakladki()->tabText(box_->Zakladki()->currentIndex()), S("Dok. wymagane"));
  QTest::keyClick(cn, Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(cn, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(box_->Zakladki()->tabText(box_->Zakladki()->currentIndex()), S("Kontyngenty (31,39)"));
}

TEST_F(GoodsItemBox, InsertInAGridOpensTheEntryBoxWhichEnterConfirms) {
  QTableWidget* grid = box_->Siatka(departure::ListaTowaru::Opakowania);
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

  ASSERT_TRUE(box_->actOkExecute());
  EXPECT_EQ(m_.Root().Get(xml::kIE015_Towar).Get(xml::kOpakowanie).Get(S("LiczbaOpakowan")), S("4"));
}

TEST_F(GoodsItemBox, EnteringTheAmountComputesItAndTheLabelShowsHow) {
  for (const auto& [pole, tekst] : {std::pair{"beWartosc", "1000"}, {"beWartoscWal", "PLN"}, {"beClo", "10"}, {"beVAT", "23"}})
    box_->Pole(S(pole))->setText(S(tekst));
  QFocusEvent wejscie(QEvent::FocusIn);
  QApplication::sendEvent(box_->Pole(S("beKwota")), &wejscie);
  EXPECT_EQ(box_->Pole(S("beKwota"))->text().toDouble(), 353.0);  // 100 duty + 23% of 1100
  EXPECT_EQ(box_->Pole(S("beWaluta"))->text(), S("PLN"));
  EXPECT_TRUE(box_->EtykietaObliczen()->text().contains(S("Razem:")));
  ASSERT_TRUE(box_->actOkExecute());
  EXPECT_EQ(m_.Root().Get(xml::kIE015_Towar).Get(xml::kIE015_DaneKrajowe).Get(xml::kIE015_Zabezpieczenie).Get(S("Razem")).toDouble(), 353.0);
}

}  // namespace
}  // namespace velmora::testing
