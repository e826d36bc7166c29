#include "departure/goods_subrecords.h"

#include <gtest/gtest.h>

namespace velmora::departure {
namespace {

QStringList Pola(const std::vector<BladPola>& bledy) {
  QStringList out;
  for (const BladPola& b : bledy) out << b.pole;
  return out;
}

TEST(GoodsSubrecords, PackageRulesFollowTheKindInAnyLetterCase) {
  struct Case {
    Opakowanie o;
    QStringList bledne;
  };
  const Case cases[] = {
      {{"VG", "", "3", ""}, {"dbbeLiczbaOpakowan"}},
      {{"NE", "", "", ""}, {"dbbeIloscSztuk"}},
      {{"NE", "", "", "2"}, {}},
      {{"ct", "BS/1", "5", ""}, {}},
      {{"CT", "", "", "4"}, {"dbbeZnaki", "dbbeLiczbaOpakowan", "dbbeIloscSztuk"}},
      {{" ", "x", "1", ""}, {"dbbeRodzaj"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pola(SprawdzOpakowanie(c.o)), c.bledne) << c.o.rodzaj.toStdString();
  Opakowanie o{"CT", "BS", "5", "2"};
  ZmienRodzajOpakowania(o, QStringLiteral("vg"));
  EXPECT_TRUE(o.liczba_opakowan.isEmpty() && o.ilosc_sztuk.isEmpty());
}

TEST(GoodsSubrecords, DocumentAndAdditionalInformationQuestions) {
  EXPECT_TRUE(PytanieDokumentuWymaganego("", " ", "").startsWith(QStringLiteral("Powinien byc podany")));
  EXPECT_TRUE(PytanieDokumentuWymaganego("952", "AB1234567X", "").startsWith(QStringLiteral("Numer karnetu TIR")));
  EXPECT_EQ(PytanieDokumentuWymaganego("952", "AB12345678", ""), QString());
  EXPECT_EQ(Pola(SprawdzDokumentPoprzedni("T1", "")), QStringList{"dbbeNr"});

  EXPECT_EQ(PytaniaInformacjiDodatkowej("DG1", "", "DE", true).size(), 1);
  EXPECT_TRUE(PytaniaInformacjiDodatkowej("DG1", "", "DE", true).first().contains(QStringLiteral("tylko jeden")));
  EXPECT_TRUE(PytaniaInformacjiDodatkowej("DG1", "", "", true).isEmpty());
  // Both questions, in order: nothing given, and an export flag on a code that may not have it.
  const QStringList oba = PytaniaInformacjiDodatkowej("", "", "", true);
  ASSERT_EQ(oba.size(), 2);
  EXPECT_TRUE(oba[0].startsWith(QStringLiteral("Powinien być podany")));
  EXPECT_TRUE(oba[1].contains(QStringLiteral("nie mogą wystąpić")));
}

}  // namespace
}  // namespace velmora::departure
