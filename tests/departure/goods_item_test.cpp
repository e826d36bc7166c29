#include "departure/cal_entry.h"
#include "departure/contractor_party.h"
#include "departure/goods_item.h"
#include "support/test_host.h"

#include <algorithm>

namespace velmora::testing {
namespace {

using departure::ListaTowaru;
using departure::StronaTowaru;
using departure::TowarIE015;
using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

host::Row Kontrahent(std::initializer_list<std::pair<const char*, const char*>> kolumny) {
  QStringList names;
  QVariantList values;
  for (const auto& [k, v] : kolumny) {
    names << S(k);
    values << S(v);
  }
  return host::Row(names, values);
}

// The element with its attributes in name order: the editor writes them in schema order.
QString Kanon(const xml::XmlNode& n) {
  auto atrybuty = n.Attributes();
  std::sort(atrybuty.begin(), atrybuty.end());
  QString out = n.LocalName() + S("[");
  for (const auto& [k, v] : atrybuty) out += k + S("=") + v + S(";");
  for (const xml::XmlNode& c : n.Children()) out += Kanon(c);
  return out + S("]");
}

class GoodsItemEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    TowarIE015::ZapomnijZapamietane();
    TowarIE015::FTowarXBox_Tir = false;
    for (int i = 1; i <= 3; ++i) Towar(i);
  }
  Group Towar(int poz) {
    const auto towary = m_.Root().List(xml::kIE015_Towar);
    if (poz <= static_cast<int>(towary.size())) return towary[poz - 1];
    Group t = m_.Root().Add(xml::kIE015_Towar);
    t.Set(S("PozId"), QString::number(poz));
    t.Set(S("OpisTowaru"), S("Towar %1").arg(poz));
    return t;
  }
  using Pola = std::initializer_list<std::pair<const char*, const char*>>;
  static Group Ustaw(Group g, Pola v) {
    for (const auto& [k, w] : v) g.Set(S(k), S(w));
    return g;
  }
  // A new entry of the item's list `d`, numbered next.
  static Group Wpis(Group towar, const xml::GroupDesc& d, Pola v) {
    Group g = towar.Add(d);
    g.Set(S("PozId"), QString::number(towar.Count(d)));
    return Ustaw(g, v);
  }
  static QStringList Teksty(const Group& towar, const xml::GroupDesc& d, const char* pole) {
    QStringList out;
    for (const Group& g : towar.List(d)) out << g.Get(S("PozId")) + S(":") + g.Get(S(pole));
    return out;
  }
  TowarIE015 Edytor(int poz) {
    TowarIE015 e(ctx_, m_, poz);
    e.Load();
    return e;
  }

  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
  xml::Message m_ = xml::NewIE015();
};

TEST_F(GoodsItemEditor, AFullItemComesBackUnchangedThroughLoadAndSave) {
  Group t = Ustaw(Towar(1), {{"Deklaracja", "T1"}, {"KrajWysylki", "PL"}, {"KrajPrzeznaczenia", "DE"}, {"KodTowarowy", "84713000"},
                             {"OpisTowaru", "Laptopy\nw kartonach"}, {"MasaBrutto", "12.500"}, {"MasaNetto", "10.000"}, {"NrLiniiZam", "L-7"}});
  Wpis(t, xml::kKontener, {{"Numer", "MSKU1234567"}});
  Wpis(t, xml::kOpakowanie, {{"Rodzaj", "CT"}, {"Znaki", "BS/1"}, {"LiczbaOpakowan", "0"}});
  Wpis(t, xml::kOpakowanie, {{"Rodzaj", "NE"}, {"IloscSztuk", "4"}});
  Wpis(t, xml::kTowarWrazliwy, {{"Kod", "01"}, {"Ilosc", "1.5"}});
  Wpis(t, xml::kDokumentWymagany, {{"Kod", "N380"}, {"Nr", "FV/1"}, {"Uwagi", "kopia"}});
  Wpis(t, xml::kIE015_DokumentPoprzedni, {{"Kod", "T1"}, {"Nr", "24PL322010NS0001"}});
  Wpis(t, xml::kIE015_InformacjaDodatkowa, {{"Kod", "DG0"}, {"Tekst", "wywóz"}, {"WywozZUE", "1"}, {"KrajWywozu", "DE"}});
  Wpis(t, xml::kIE015_InformacjaDodatkowa, {{"Kod", "CAL"}, {"Tekst", "1605.00; 24PL322010000001A1"}});
  Ustaw(t.Ensure(xml::kIE015_TowarBezpieczenstwo), {{"FormaPlatnosci", "A"}, {"NrReferencyjnyPrzesylki", "REF-1"}, {"KodUN", "3480"}})
      .Ensure(xml::kIE015_Nadawca).Set(S("TIN"), S("PL5860000017"));
  Ustaw(departure::ElementZabezpieczenia(t), {{"GRN", "24PL322010000001A1"}, {"StawkaCla", "2.5"}, {"StawkaClaDodatkowego", "0"},
                                              {"StawkaVAT", "23"}, {"WalutaWartosci", "EUR"}, {"Wartosc", "1000"}});
  const QString przed = Kanon(t.Node());

  TowarIE015 e = Edytor(1);
  EXPECT_EQ((QStringList{e.pola.kwota, e.pola.waluta, e.pola.gwarancja, e.pola.nr_linii_zam, e.pola.nadawca_b}),
            (QStringList{"1605.00", "PLN", "24PL322010000001A1", "L-7", "PL5860000017"}));
  EXPECT_EQ(e.Wiersze(ListaTowaru::Opakowania).size(), 2u);
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(Kanon(t.Node()), przed);
  EXPECT_TRUE(host_.dialogs.Texts().isEmpty());
}

TEST_F(GoodsItemEditor, HeaderCountriesHideTheItemsAndUnreadableCountsLoadEmpty) {
  m_.Root().Ensure(xml::kIE015_Zgloszenie).Set(S("KrajWysylki"), S("PL"));
  Group t = Ustaw(Towar(1), {{"KrajWysylki", "CZ"}, {"KrajPrzeznaczenia", "DE"}});
  Wpis(t, xml::kOpakowanie, {{"Rodzaj", "CT"}, {"LiczbaOpakowan", "dużo"}, {"IloscSztuk", "-2"}});
  TowarIE015 e = Edytor(1);
  EXPECT_EQ((QStringList{e.pola.kraj_wysylki, e.pola.kraj_przeznaczenia}), (QStringList{QString(), "DE"}));
  EXPECT_FALSE(e.Wiersze(ListaTowaru::Opakowania)[0].Has(S("LiczbaOpakowan")));
  e.pola.kontenery = S("MSKU 123456-7\nabcdefghijklmnopqrstuv\n---\n\nTGHU7654321");
  e.pola.masa_brutto = S("12,3456");
  e.pola.opis = S("opis");
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(Teksty(t, xml::kKontener, "Numer"), (QStringList{S("1:MSKU1234567"), S("2:ABCDEFGHIJKLMNOPQ"), S("3:TGHU7654321")}));
  EXPECT_EQ(t.Get(S("MasaBrutto")), S("12.346"));
  EXPECT_FALSE(t.Has(S("KrajWysylki")));  // the header carries it
  // Negative pieces are not kept.
  EXPECT_FALSE(t.Get(xml::kOpakowanie).Has(S("IloscSztuk")));
}

TEST_F(GoodsItemEditor, ContractorRowsBecomeTheItemsAddressWithItsVariant) {
  // Street, postcode, place and TIN as written.
  const std::pair<host::Row, const char*> przypadki[] = {
      {Kontrahent({{"Nazwa", "A"}, {"Ulica", "Długa"}, {"Nr_Dom", "5"}, {"Nr_Lok", "12"}, {"Kod", "00950"}, {"Kraj", "PL"},
                   {"Poczta", "Warszawa"}, {"Miejscowosc", "Ursus"}, {"EORI", "PL1"}, {"NIP", "521"}}),
       "Długa 5/12|00-950|Warszawa, Ursus|PL1"},
      {Kontrahent({{"Nazwa", "B"}, {"Ulica", "Długa"}, {"Nr_Lok", "12"}, {"Kod", "10115"}, {"Kraj", "DE"}, {"Poczta", "Berlin"},
                   {"Miejscowosc", "Berlin"}, {"TIRholder", "PL/123"}, {"EORI", "DE1"}, {"NIP", "DE999"}}),
       "Długa 12|10115|Berlin|DE999"},
      {Kontrahent({{"Nazwa", "C"}, {"Ulica", "Polna"}, {"Nr_Dom", "3"}, {"Kod", "81-350"}, {"Kraj", "PL"}, {"Miejscowosc", "Gdynia"},
                   {"TIRholder", "0"}, {"EORI", "PL2"}}),
       "Polna 3|81-350|Gdynia|PL2"},
  };
  auto adres = [](const Group& g) {
    return QStringList{g.Get(S("UlicaNumer")), g.Get(S("KodPocztowy")), g.Get(S("Miejscowosc")), g.Get(S("TIN"))}.join(u'|');
  };
  for (const auto& [k, oczekiwany] : przypadki) {
    Group g = m_.Root().Ensure(xml::kIE015_Nadawca);
    departure::WypelnijPodmiot(g, k, departure::AdresStrony::Towar, departure::TinStrony::Handlowa);
    EXPECT_EQ(adres(g), S(oczekiwany));
  }
  // The header keeps its own rule: street and house number only, the code as kept.
  Group g = m_.Root().Ensure(xml::kIE015_Odbiorca);
  departure::WypelnijPodmiot(g, przypadki[0].first, departure::AdresStrony::Naglowek, departure::TinStrony::Handlowa);
  EXPECT_TRUE(adres(g).startsWith(S("Długa 5|00950|"))) << adres(g).toStdString();
}

TEST_F(GoodsItemEditor, ItemPartiesAreRefusedWhenTheHeaderHasThemAndCarryTheirAEO) {
  const host::Row k = Kontrahent({{"Nazwa", "Spedycja"}, {"Kraj", "CZ"}, {"EORI", "CZ1"}, {"NrAEO", "CZAEOF1"}});
  m_.Root().Ensure(xml::kIE015_Odbiorca).Set(S("Nazwa"), S("Odbiorca całości"));
  TowarIE015 e = Edytor(1);
  EXPECT_EQ(e.OdmowaStrony(StronaTowaru::Odbiorca),
            S("RW74:\rNa pozycji towarowej nie podaje się \"Odbiorcy\"\rjeśli jest on już podany dla całego zgłoszenia."));
  EXPECT_EQ(e.OdmowaStrony(StronaTowaru::Nadawca), QString());

  EXPECT_EQ(e.WybierzStrone(StronaTowaru::Nadawca, k), S("Spedycja"));
  e.WybierzStrone(StronaTowaru::Nadawca, k);  // twice: one AEO entry
  EXPECT_EQ(e.pola.kraj_wysylki, S("CZ"));
  EXPECT_EQ(Teksty(e.Robocza(), xml::kDokumentWymagany, "Kod"), QStringList{S("1:Y022")});
  EXPECT_EQ(e.WybierzStrone(StronaTowaru::NadawcaB, k), S("CZ1"));  // known by its TIN: no name
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(Towar(1).Get(xml::kIE015_Nadawca).Get(S("TIN")), S("CZ1"));
  EXPECT_EQ(Towar(1).Get(xml::kIE015_TowarBezpieczenstwo).Get(xml::kIE015_Nadawca).Get(S("Nazwa")), QString());

  TowarIE015 again = Edytor(1);
  again.WyczyscStrone(StronaTowaru::Nadawca);
  EXPECT_TRUE(again.pola.kraj_wysylki.isEmpty());
  ASSERT_TRUE(again.Save());
  EXPECT_TRUE(Towar(1).Get(xml::kIE015_Nadawca).IsNull());
  EXPECT_EQ(Towar(1).Count(xml::kDokumentWymagany), 0);
}

TEST_F(GoodsItemEditor, TheCALEntryIsWrittenOnceAskedForAndReadByTheChargeAtSending) {
  Wpis(Towar(1), xml::kIE015_InformacjaDodatkowa, {{"Kod", "DG0"}});
  TowarIE015 e = Edytor(1);
  e.pola.gwarancja = S("24PL322010000001A1");
  e.pola.kwota = S("0");
  e.pola.waluta = S("PLN");
  const QString przed = Towar(1).Node().Xml();
  QString fokus;
  EXPECT_FALSE(e.Save(&fokus));  // the question answered "no"
  EXPECT_EQ(host_.dialogs.Texts().last(), S("Nie podano kwoty lub waluty zabezpieczenia. \r\rCzy na pewno zapisać dane ?"));
  EXPECT_EQ(fokus, S("beKwota"));
  EXPECT_EQ(Towar(1).Node().Xml(), przed);

  e.pola.kwota = S("1605,5");
  ASSERT_TRUE(e.Save());
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(Teksty(Towar(1), xml::kIE015_InformacjaDodatkowa, "Tekst"), (QStringList{S("1:"), S("2:1605.50; 24PL322010000001A1")}));
  EXPECT_EQ(TowarIE015::ZapamietanyGRN(), S("24PL322010000001A1"));
  // An item without a GRN of its own takes no guarantee from the item edited before it.
  Edytor(2);
  EXPECT_EQ(TowarIE015::ZapamietanyGRN(), QString());

  // A foreign amount carries its currency: the charge finds no guarantee under that text.
  TowarIE015 eur = Edytor(1);
  eur.pola.waluta = S("EUR");
  ASSERT_TRUE(eur.Save());
  EXPECT_EQ(departure::CalZTekstu(Teksty(Towar(1), xml::kIE015_InformacjaDodatkowa, "Tekst").last().mid(2))->grn,
            S("24PL322010000001A1 EUR"));
  TowarIE015 wczytany = Edytor(1);
  EXPECT_EQ(wczytany.pola.waluta, S("EUR"));
  EXPECT_EQ(wczytany.pola.kwota, S("1605.50"));

  // Clearing the GRN removes the loaded entry only.
  wczytany.pola.gwarancja.clear();
  ASSERT_TRUE(wczytany.Save());
  EXPECT_EQ(Teksty(Towar(1), xml::kIE015_InformacjaDodatkowa, "Kod"), QStringList{S("1:DG0")});
}

TEST_F(GoodsItemEditor, ListsAddDeleteAndTheNinePreviousDocuments) {
  for (int i = 1; i <= 9; ++i) Wpis(Towar(1), xml::kIE015_DokumentPoprzedni, {{"Kod", "T1"}, {"Nr", "X"}});
  TowarIE015 e = Edytor(1);
  EXPECT_TRUE(e.Dodaj(ListaTowaru::DokumentyPoprzednie).IsNull());
  EXPECT_EQ(host_.dialogs.Texts().last(), departure::kLimitDokumentowPoprzednich);
  e.Wiersze(ListaTowaru::DokumentyPoprzednie)[8].Set(S("Nr"), S("zmieniony"));  // change stays possible

  Group nowy = e.Dodaj(ListaTowaru::Opakowania);
  EXPECT_EQ(nowy.Get(S("PozId")), S("1"));
  e.Cofnij(ListaTowaru::Opakowania, nowy);
  EXPECT_TRUE(e.Wiersze(ListaTowaru::Opakowania).empty());

  EXPECT_FALSE(e.Usun(ListaTowaru::DokumentyPoprzednie, 0));  // default answer "no"
  EXPECT_EQ(host_.dialogs.Texts().last(), S("Usunąć pozycję z listy dokumentów poprzednich ?"));
  host_.dialogs.Answer(host::kIdYes);
  EXPECT_TRUE(e.Usun(ListaTowaru::DokumentyPoprzednie, 0));
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(Teksty(Towar(1), xml::kIE015_DokumentPoprzedni, "Nr"),
            (QStringList{S("1:X"), S("2:X"), S("3:X"), S("4:X"), S("5:X"), S("6:X"), S("7:X"), S("8:zmieniony")}));
}

TEST_F(GoodsItemEditor, CopyToItemsSkipsEqualEntriesAndFullItems) {
  Towar(4);
  Wpis(Towar(3), xml::kOpakowanie, {{"Rodzaj", "CT"}, {"Znaki", "BS"}, {"LiczbaOpakowan", "7"}});
  for (int i = 1; i <= 9; ++i) Wpis(Towar(4), xml::kIE015_DokumentPoprzedni, {{"Kod", "T1"}, {"Nr", QByteArray::number(i).constData()}});
  TowarIE015 e = Edytor(1);
  Ustaw(e.Dodaj(ListaTowaru::Opakowania), {{"Rodzaj", "CT"}, {"Znaki", "BS"}, {"LiczbaOpakowan", "2"}, {"IloscSztuk", "0"}});
  EXPECT_EQ(e.Kopiuj(ListaTowaru::Opakowania, 0), std::nullopt);  // declined
  host_.dialogs.Answer(host::kIdYes);
  EXPECT_EQ(e.Kopiuj(ListaTowaru::Opakowania, 0), 2);
  EXPECT_EQ(Teksty(Towar(2), xml::kOpakowanie, "LiczbaOpakowan"), QStringList{S("1:2")});
  EXPECT_FALSE(Towar(2).Get(xml::kOpakowanie).Has(S("IloscSztuk")));
  EXPECT_EQ(Teksty(Towar(3), xml::kOpakowanie, "LiczbaOpakowan"), QStringList{S("1:7")});  // equal kind and marks
  EXPECT_EQ(Towar(1).Count(xml::kOpakowanie), 0);  // its own table waits for Save

  // Additional information is equal only with the same export flag and country.
  Wpis(Towar(2), xml::kIE015_InformacjaDodatkowa, {{"Kod", "DG0"}, {"WywozZUE", "0"}});
  Ustaw(e.Dodaj(ListaTowaru::InformacjeDodatkowe), {{"Kod", "DG0"}, {"WywozZUE", "1"}});
  host_.dialogs.Answer(host::kIdYes);
  EXPECT_EQ(e.Kopiuj(ListaTowaru::InformacjeDodatkowe, 0), 3);

  Ustaw(e.Dodaj(ListaTowaru::DokumentyPoprzednie), {{"Kod", "T1"}, {"Nr", "NOWY"}});
  host_.dialogs.Answer(host::kIdYes);
  EXPECT_EQ(e.Kopiuj(ListaTowaru::DokumentyPoprzednie, 0), 2);
  EXPECT_EQ(host_.dialogs.Texts().last(),
            departure::kLimitDokumentowPoprzednich + S("\r\nNie można skopiować dokumentu na pozycje towarową numer 4"));
  EXPECT_EQ(Towar(4).Count(xml::kIE015_DokumentPoprzedni), 9);
}

TEST_F(GoodsItemEditor, TIRLockCNCodeRatesAndRememberedValues) {
  TowarIE015::FTowarXBox_Tir = true;
  EXPECT_TRUE(Edytor(1).ZabezpieczenieZablokowane());
  host_.user.Set(host::TUser(1, S("admin"), S("Admin"), QString(), true, false, false));
  EXPECT_FALSE(Edytor(1).ZabezpieczenieZablokowane());
  TowarIE015::FTowarXBox_Tir = false;

  host_.db().Exec(S("insert into TARIC (KOD, OPIS, MAX_CLO, MAX_VAT) values ('8471300000', 'Laptopy', 0, 23), "
                    "('8471300090', 'Inne', 2.5, 8), ('8471410000', 'Obce', 9, 9)"));
  TowarIE015 e = Edytor(1);
  e.UstawCN(S("8471300000"));
  EXPECT_EQ((QStringList{e.pola.cn8, e.pola.clo, e.pola.vat}), (QStringList{"84713000", "2.5", "23"}));
  for (const auto& [cn8, masa, pole] : {std::tuple{"84713", "", "beCN8"}, {"84713000", "-1", "ceMasaNetto"}}) {
    e.pola.cn8 = S(cn8);
    e.pola.masa_netto = S(masa);
    ASSERT_EQ(e.Sprawdz().size(), 1u) << pole;
    EXPECT_EQ(e.Sprawdz()[0].pole, S(pole));
  }

  e.pola.masa_netto.clear();
  e.pola.wartosc_waluta = S("eur");
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(Edytor(2).pola.wartosc_waluta, S("EUR"));  // a new item starts with it
}

}  // namespace
}  // namespace velmora::testing
