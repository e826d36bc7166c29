#include "departure/goods_subrecord_boxes.h"
#include "host/xml/messages.h"
#include "support/test_host.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

namespace velmora::testing {
namespace {

using Box = departure::TIE015_PozycjaListyBox;

TEST(GoodsSubrecordBoxes, PackagesAndAdditionalInformationAskAndWriteTheirEntry) {
  TestHost host(TestEngine::Sqlite);
  host::HostContext ctx = host.Context();
  xml::Message m = xml::NewIE015();
  xml::Group towar = m.Root().Add(xml::kIE015_Towar);

  xml::Group opakowanie = towar.Add(xml::kOpakowanie);
  Box paczka(ctx, Box::Rodzaj::Opakowanie, opakowanie);
  paczka.BeforeActivate();
  QTest::keyClicks(paczka.Pole(QStringLiteral("dbbeRodzaj")), QStringLiteral("CT"));
  paczka.Pole(QStringLiteral("dbbeLiczbaOpakowan"))->setText(QStringLiteral("3"));
  EXPECT_FALSE(paczka.actOkExecute());  // packed goods need marks
  EXPECT_EQ(host.dialogs.Texts().last(), QStringLiteral("dla wybranego rodzaju opakowań atrybut Znaki jest wymagany"));
  paczka.Pole(QStringLiteral("dbbeRodzaj"))->clear();
  QTest::keyClicks(paczka.Pole(QStringLiteral("dbbeRodzaj")), QStringLiteral("VG"));
  EXPECT_TRUE(paczka.Pole(QStringLiteral("dbbeLiczbaOpakowan"))->text().isEmpty());  // bulk: the count goes
  EXPECT_TRUE(paczka.actOkExecute());
  EXPECT_EQ(opakowanie.Get(QStringLiteral("Rodzaj")), QStringLiteral("VG"));

  xml::Group info = towar.Add(xml::kIE015_InformacjaDodatkowa);
  Box dodatkowa(ctx, Box::Rodzaj::InformacjaDodatkowa, info);
  dodatkowa.BeforeActivate();
  dodatkowa.Pole(QStringLiteral("dbbeKod"))->setText(QStringLiteral("DG1"));
  dodatkowa.Pole(QStringLiteral("dbbeKrajWywozu"))->setText(QStringLiteral("DE"));
  dodatkowa.WywozZUE()->setChecked(true);
  EXPECT_FALSE(dodatkowa.actOkExecute());  // "no" keeps the box open, nothing written
  EXPECT_TRUE(host.dialogs.Texts().last().contains(QStringLiteral("tylko jeden")));
  EXPECT_FALSE(info.Has(QStringLiteral("Kod")));
  host.dialogs.Answer(host::kIdYes);
  EXPECT_TRUE(dodatkowa.actOkExecute());
  EXPECT_EQ((QStringList{info.Get(QStringLiteral("WywozZUE")), info.Get(QStringLiteral("KrajWywozu"))}), (QStringList{"1", "DE"}));
}

}  // namespace
}  // namespace velmora::testing
