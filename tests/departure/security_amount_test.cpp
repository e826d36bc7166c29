#include "departure/security_amount.h"
#include "host/db/exchange_rates.h"
#include "host/xml/messages.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

using departure::Dziesietna;
using departure::WejscieZabezpieczenia;
using departure::WynikZabezpieczenia;

QString S(const char* t) { return QString::fromUtf8(t); }

// The table in force on the clock's 2024-03-05 is the day before's; USD 4.35 makes a product
// whose double lies just below a half (50 × 4.35 = 217.49999...).
const QString kKursy = S(R"(<?xml version="1.0" encoding="UTF-8"?>
<tabela_kursow typ="A"><numer_tabeli>044/A/NBP/2024</numer_tabeli><data_notowania>2024-03-04</data_notowania>
<data_publikacji>2024-03-04</data_publikacji>
<pozycja><nazwa_waluty>euro</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>EUR</kod_waluty><kurs_sredni>4,2512</kurs_sredni></pozycja>
<pozycja><nazwa_waluty>dolar</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>USD</kod_waluty><kurs_sredni>4,35</kurs_sredni></pozycja>
<pozycja><nazwa_waluty>forint</nazwa_waluty><przelicznik>100</przelicznik><kod_waluty>HUF</kod_waluty><kurs_sredni>1,0954</kurs_sredni></pozycja>
</tabela_kursow>)");

class SecurityAmount : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ExchangeRates(host_.db(), host_.user, host_.clock).ImportTabelaAXml(kKursy);
    xml::Group towar = doc_.Root().Add(xml::kIE015_Towar);
    z_ = departure::ElementZabezpieczenia(towar);
    z_.Set(S("Kwota"), S("77.00"));
    z_.Set(S("Waluta"), S("EUR"));
  }
  WynikZabezpieczenia Oblicz(const QString& wartosc, const QString& waluta, const QString& clo, const QString& clo2,
                             const QString& vat, bool automatycznie = true, bool tir = false) {
    WejscieZabezpieczenia we{clo, clo2, vat, wartosc, waluta, tir, automatycznie, S("24PL322010000001A1")};
    return departure::ObliczZabezp(ctx_, z_, we);
  }

  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
  xml::Message doc_ = xml::NewIE015();
  xml::Group z_;
};

TEST_F(SecurityAmount, ComputesWholeZlotyFromValueRatesAndExchangeRate) {
  const struct {
    const char *nazwa, *wartosc, *waluta, *clo, *clo2, *vat;
    qint64 w, a00, a30, podstawa, b00, razem;
  } przypadki[] = {
      {"EUR at 4.2512", "1000", "EUR", "12", "", "23", 4251, 510, 0, 4761, 1095, 1605},
      {"PLN", "2500", "PLN", "5", "", "23", 2500, 125, 0, 2625, 604, 729},
      {"half of a double below .5", "50", "USD", "0", "", "0", 218, 0, 0, 218, 0, 0},
      {"half of the duty", "1005", "PLN", "10", "", "0", 1005, 101, 0, 1106, 0, 101},
      {"a 100-unit rate kept per unit, at 4 decimals", "250000", "HUF", "12", "2", "23", 2750, 330, 55, 3135, 721, 1106},
      {"negative half", "-0,5", "PLN", "0", "", "0", -1, 0, 0, -1, 0, 0},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    const WynikZabezpieczenia r = Oblicz(S(p.wartosc), S(p.waluta), S(p.clo), S(p.clo2), S(p.vat));
    ASSERT_TRUE(r.policzone) << r.etykieta.toStdString();
    EXPECT_EQ((std::vector<qint64>{r.wartosc_pln, r.a00, r.a30, r.podstawa_vat, r.b00, r.razem}),
              (std::vector<qint64>{p.w, p.a00, p.a30, p.podstawa, p.b00, p.razem}));
    EXPECT_EQ(z_.Get(S("WartoscPLN")), Dziesietna::Cala(p.w).Tekst(2));
    EXPECT_EQ(z_.Get(S("Razem")), Dziesietna::Cala(p.razem).Tekst(2));
  }
}

TEST_F(SecurityAmount, WritesInputsRateAndAmountWithTwoDecimals) {
  const WynikZabezpieczenia r = Oblicz(S("1000,00"), S(" EUR "), S("12,0"), S(""), S("23"));
  const QStringList pola{S("StawkaCla"), S("Wartosc"), S("WalutaWartosci"), S("Kurs"), S("Jednostki"), S("A00"), S("A30"),
                         S("PodstawaVAT"), S("B00"), S("Kwota"), S("Waluta"), S("KursWalutyKwoty"), S("GRN")};
  QStringList wartosci;
  for (const QString& p : pola) wartosci << z_.Get(p);
  EXPECT_EQ(wartosci, (QStringList{S("12.0"), S("1000.00"), S("EUR"), S("4.2512"), S("1"), S("510.00"), S("0.00"), S("4761.00"),
                                   S("1095.00"), S("1605.00"), S("PLN"), S("1"), S("24PL322010000001A1")}));
  EXPECT_TRUE(r.kwota_wpisana);
  EXPECT_EQ(r.etykieta, S("EUR\t4.2512\t4251.00\rA00\t4251.00\t12.0%\t510.00\rB00\t4761.00\t23%\t1095.00\rRazem:\t1605.00"));

  Oblicz(S("250000"), S("HUF"), S("12"), S("2"), S("23"));
  EXPECT_EQ(departure::PokazObliczenia(z_, false),
            S("HUF\t0.0110\t2750.00\rA00\t2750.00\t12%\t330.00\rA30\t2750.00\t2%\t55.00\rB00\t3135.00\t23%\t721.00\r"
              "Razem:\t1106.00"));
}

TEST_F(SecurityAmount, RefusalsAndManualAmountLeaveTheAmountAsItWas) {
  WynikZabezpieczenia r = Oblicz(S("1000"), S("GBP"), S("12"), S(""), S("23"));
  EXPECT_FALSE(r.policzone);
  EXPECT_EQ(r.etykieta, S("BRAK kursu waluty GBP !"));
  EXPECT_EQ((QStringList{z_.Get(S("Kwota")), z_.Get(S("Razem"))}), (QStringList{S("77.00"), QString()}));

  r = Oblicz(S("1000"), S("EUR"), S("12"), S(""), S("23"), /*automatycznie=*/false);
  EXPECT_TRUE(r.policzone && !r.kwota_wpisana);
  EXPECT_EQ((QStringList{z_.Get(S("Razem")), z_.Get(S("Kwota")), z_.Get(S("Waluta"))}), (QStringList{S("1605.00"), S("77.00"), S("EUR")}));

  // A total of 0 fills nothing even when asked to.
  r = Oblicz(S("1000"), S("EUR"), S("0"), S(""), S("0"));
  EXPECT_FALSE(r.kwota_wpisana);
  EXPECT_EQ(z_.Get(S("Kwota")), S("77.00"));

  r = Oblicz(S("5000"), S("EUR"), S("12"), S(""), S("23"), true, /*tir=*/true);
  EXPECT_FALSE(r.policzone);
  EXPECT_EQ(r.etykieta, S("Dla karnetów TIR nie obliczamy wartości zabezpieczenia.\rPola zostały zablokowane."));
  EXPECT_EQ(z_.Get(S("Wartosc")), S("1000"));  // nothing written
  EXPECT_EQ(departure::PokazObliczenia(z_, true), r.etykieta);

  // Leaving the amount's currency field.
  EXPECT_TRUE(departure::UstawKursWalutyKwoty(ctx_, z_, S("huf")));
  EXPECT_EQ((QStringList{z_.Get(S("KursWalutyKwoty")), z_.Get(S("JednostkiWalutyKwoty"))}), (QStringList{S("0.0110"), S("1")}));
  EXPECT_FALSE(departure::UstawKursWalutyKwoty(ctx_, z_, S("GBP")));
  EXPECT_EQ(z_.Get(S("KursWalutyKwoty")), S("0.0000"));
}

TEST(Dziesietna, ReadsTypedTextAtFourDecimals) {
  // Text, its value in ten-thousandths, whether it reads; what does not read is 0.
  const std::tuple<const char*, qint64, bool> przypadki[] = {
      {"12,5", 125000, true}, {" 1 000,5 ", 10005000, true}, {"0.00005", 1, true}, {"-0,00005", -1, true}, {"0.00004999", 0, true},
      {"+7", 70000, true},    {"", 0, false},                {"abc", 0, false},    {"1.2.3", 0, false},   {"-", 0, false},
      {"12%", 0, false}};
  for (const auto& [tekst, surowa, czyta] : przypadki) {
    bool ok = !czyta;
    EXPECT_EQ(Dziesietna::Z(S(tekst), &ok).Surowa(), surowa) << tekst;
    EXPECT_EQ(ok, czyta) << tekst;
  }
  EXPECT_EQ(Dziesietna::ZSurowej(12350).Tekst(2), S("1.24"));
  EXPECT_EQ(Dziesietna::ZSurowej(-12350).Tekst(2), S("-1.24"));
}

TEST_F(SecurityAmount, DeclarationLinesComputeEveryItemFromItsStoredInputs) {
  xml::Message m = xml::NewIE015();
  m.Root().Add(xml::kIE015_Rodzaj).Set(S("Deklaracja"), S("T1"));
  const char* wejscia[][3] = {{"1000", "EUR", "12"}, {"300", "GBP", "5"}, {"2500", "PLN", "5"}};
  int poz = 0;
  for (const auto& w : wejscia) {
    xml::Group t = m.Root().Add(xml::kIE015_Towar);
    t.Set(S("PozId"), QString::number(++poz));
    xml::Group z = departure::ElementZabezpieczenia(t);
    for (const auto& [pole, wartosc] : {std::pair{"Wartosc", w[0]}, {"WalutaWartosci", w[1]}, {"StawkaCla", w[2]}, {"StawkaVAT", "23"}})
      z.Set(S(pole), S(wartosc));
  }
  EXPECT_EQ(departure::FormatujZabezpieczenie(departure::ZabezpieczenieDeklaracji(ctx_, m.Xml())),
            (QStringList{S("1\t4251.00\t510.00\t0.00\t1095.00\t1605.00"), S("2\tBRAK kursu waluty GBP !"),
                         S("3\t2500.00\t125.00\t0.00\t604.00\t729.00"), S("Razem\t2334.00")}));

  m.Root().Get(xml::kIE015_Rodzaj).Set(S("Deklaracja"), S("TIR"));
  const auto tir = departure::ZabezpieczenieDeklaracji(ctx_, m.Xml());
  ASSERT_EQ(tir.size(), 3u);
  EXPECT_EQ(departure::FormatujZabezpieczenie(tir).first(),
            S("1\tDla karnetów TIR nie obliczamy wartości zabezpieczenia. Pola zostały zablokowane."));
  EXPECT_THROW(departure::ZabezpieczenieDeklaracji(ctx_, S("<IE007/>")), xml::BindingError);
}

}  // namespace
}  // namespace velmora::testing
