#include "departure/cal_entry.h"
#include "host/ui/taric.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

using host::TZabezpieczenieCALBox;

TEST(CalText, BothDirectionsAgreeAndTheChargeReadsOnlyZloty) {
  const QString pln = TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(QStringLiteral("24PL322010000001A1"), QStringLiteral("PLN"), 1605.004);
  EXPECT_EQ(pln, QStringLiteral("1605.00; 24PL322010000001A1"));
  const auto back = TZabezpieczenieCALBox::StringNaZabezpieczenieInfo(pln);
  ASSERT_TRUE(back);
  EXPECT_EQ(std::tuple(back->grn, back->waluta, back->kwota), std::tuple(QStringLiteral("24PL322010000001A1"), QStringLiteral("PLN"), 1605.0));
  // The charge at sending reads the same amount and GRN from it.
  const auto cal = departure::CalZTekstu(pln);
  ASSERT_TRUE(cal);
  EXPECT_EQ(std::pair(cal->grn, cal->kwota), std::pair(QStringLiteral("24PL322010000001A1"), 1605.0));

  const QString eur = TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(QStringLiteral("GRN1"), QStringLiteral("eur"), 12.5);
  EXPECT_EQ(TZabezpieczenieCALBox::StringNaZabezpieczenieInfo(eur)->waluta, QStringLiteral("EUR"));
  EXPECT_NE(departure::CalZTekstu(eur)->grn, QStringLiteral("GRN1"));  // no guarantee found: never booked as złoty
  EXPECT_FALSE(TZabezpieczenieCALBox::StringNaZabezpieczenieInfo(QStringLiteral("bez kwoty")));
}

TEST(Taric, ImportReplacesCodesAndRefusesABadFileWhole) {
  TestHost host(TestEngine::Sqlite);
  EXPECT_EQ(host::ImportujTaric(host.db(), QStringLiteral("KOD;OPIS;CLO;VAT\n84713000;Laptopy;0;23\n847130;Laptopy (6);2,5;23\n")).wczytano, 2);
  EXPECT_EQ(host::ImportujTaric(host.db(), QStringLiteral("84713000;Laptopy;1,5;8\n")).wczytano, 1);
  const auto stawki = host::TStawkiBox::MaxCloVat(host.db(), QStringLiteral("847130"));
  ASSERT_TRUE(stawki);
  EXPECT_DOUBLE_EQ(stawki->clo, 2.5);
  EXPECT_DOUBLE_EQ(stawki->vat, 23);
  EXPECT_FALSE(host::TStawkiBox::MaxCloVat(host.db(), QStringLiteral("9999")));
  const host::WynikImportuTaric zly = host::ImportujTaric(host.db(), QStringLiteral("0101;Konie;11;8\n01X1;Zły;1;1\n"));
  EXPECT_EQ(zly.blad.left(9), QStringLiteral("Wiersz 2:"));
  EXPECT_FALSE(host::TStawkiBox::MaxCloVat(host.db(), QStringLiteral("0101")));  // nothing of the bad file stored
  // Rates that are no numbers, and text that is not UTF-8, are refused with their line.
  for (const QByteArray& bad : {QByteArray("0101;Konie;nan;8\n"), QByteArray("0101;Konie;11;inf\n"), QByteArray("0101;Konie;-inf;8\n"),
                                QByteArray("0101;Konie;11;8\n0102;Os\xb3y;1;1\n")}) {
    const host::WynikImportuTaric w = host::ImportujTaric(host.db(), bad);
    EXPECT_EQ(w.blad.left(9), bad.contains("0102") ? QStringLiteral("Wiersz 2:") : QStringLiteral("Wiersz 1:")) << bad.toStdString();
    EXPECT_EQ(w.wczytano, 0);
  }
  EXPECT_EQ(host::ImportujTaric(host.db(), QByteArray("\xef\xbb\xbf" "0102;Os\xc5\x82y;1;1\n")).wczytano, 1);
  EXPECT_FALSE(host::TStawkiBox::MaxCloVat(host.db(), QStringLiteral("0101")));
  for (const auto& [kod, dobry] : {std::pair{"", true}, std::pair{"8471", true}, std::pair{"847130", true}, std::pair{"84713000", true},
                                   std::pair{"84713", false}, std::pair{"8471300A", false}})
    EXPECT_EQ(host::SprawdzKodTowarowy(QString::fromLatin1(kod)).isEmpty(), dobry) << kod;
}

}  // namespace
}  // namespace velmora::testing
