#include "arrival/unloading_remarks.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QFile>

namespace velmora::testing {
namespace {

using arrival::UwagiRozladunkoweIE044;
using arrival::WynikKontroliIE044;
using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

QString Plik(const char* name) {
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + S(name));
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A goods item carrying control results with these indicators, in this order.
Group TowarZWynikami(xml::Message& m, QStringList kody) {
  Group t = m.Root().Add(xml::kIE044_Towar);
  t.Set(S("PozId"), S("1"));
  for (const QString& k : kody) t.Add(xml::kIE044_WynikiKontroli).Set(S("Kod"), k);
  return t;
}

class UnloadingRemarks : public ::testing::Test {
 protected:
  void SetUp() override {
    db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, GWARANCJA_NUMER, GWARANCJA_KWOTA) values (5, 1, 'IE043', 11, 'G1', 263.4)"));
    xml::Message ie007 = PrzykladowePrzybycie(S("Gdańsk"));
    ie007.Root().Ensure(xml::kIE007_Odbiorca).Ensure(xml::kPrzedstawiciel).Set(S("TIN"), S("PL5840000011"));
    Store(1, "IE007", ie007.Xml());
    Store(2, "IE043", Plik("IE043.xml"));
  }
  host::Db& db() { return host_.db(); }
  void Store(int lp, const char* typ, const QString& xml) {
    db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, XML) values (:ID, 5, :LP, :T, 11, :X)"),
              {{S("ID"), 100 + lp}, {S("LP"), lp}, {S("T"), S(typ)}, {S("X"), xml}});
  }
  std::unique_ptr<UwagiRozladunkoweIE044> Otworz(const QString& text = {}) {
    auto u = std::make_unique<UwagiRozladunkoweIE044>(ctx_);
    EXPECT_TRUE(u->SetXML({{S("TRANZYTY_ID"), 5}, {S("STATUS"), 0}}, text));
    return u;
  }
  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST(UnloadingKinds, ResultsMakeTheKindAndTIRFieldsTheirRules) {
  const std::pair<QStringList, int> przypadki[] = {
      {{}, 2},           {{S("DI")}, 1},          {{S("NE")}, 3},          {{S("OT")}, 6},          {{S("DI"), S("OT")}, 5},
      {{S("OT"), S("DI")}, 5}, {{S("NE"), S("OT")}, 7}, {{S("DI"), S("NE")}, 7}, {{S("NE"), S("DI")}, 5}, {{S("OR")}, 0},
  };
  for (const auto& [kody, typ] : przypadki) {
    xml::Message m = xml::NewIE044();
    EXPECT_EQ(arrival::AnalizujTypTowaru(TowarZWynikami(m, kody)), typ) << kody.join(QLatin1Char(',')).toStdString();
  }
  EXPECT_EQ(arrival::OpisTypu(5), S("rozbieżność + uwagi"));
  EXPECT_EQ(arrival::OpisTypu(4), S("stan nieokreślony"));
}

TEST_F(UnloadingRemarks, ANewRemarkStartsFromThePermissionAndTheNotification) {
  auto u = Otworz();
  EXPECT_EQ(u->pola.nr_wlasny, S("<AUTO>"));
  EXPECT_EQ(u->pola.mrn, S("24PL322010NS0001A7"));
  EXPECT_EQ(u->pola.liczba_opakowan_43, S("25"));
  EXPECT_EQ(u->pola.masa_brutto, S("1250.500"));
  EXPECT_EQ(u->pola.odbiorca.nazwa, S("Magazyn Celny Gdańsk"));
  EXPECT_EQ(u->pola.przedstawiciel, S("PL5840000011"));
  EXPECT_EQ(u->pola.zamkniecia, S("PL0001\nPL0002"));  // read through the shared types' prefix
  EXPECT_EQ(u->pola.gwarancja.kwota, S("263"));
  EXPECT_FALSE(u->pola.sa_uwagi);
  EXPECT_TRUE(u->Towary().empty());
}

TEST_F(UnloadingRemarks, FourKindsOfAddingAndTheirUndoing) {
  auto u = Otworz();
  u->ZmienZgodnosc(true);
  auto roznica = u->DodajTowar(arrival::kRozbieznosc, 2, 3, {});
  ASSERT_TRUE(roznica.do_edycji);
  EXPECT_EQ(roznica.dodane.size(), 2u);  // the permitted copy and the one that is edited
  EXPECT_EQ(roznica.do_edycji.Get(S("OpisTowaru")), S("Meble biurowe"));
  EXPECT_FALSE(roznica.do_edycji.Get(xml::kOpakowanie).Has(S("IloscSztuk")));  // "x" does not read
  ASSERT_EQ(u->Towary().size(), 1u);
  EXPECT_EQ(u->Towary()[0].typ, 1);

  auto nowa = u->DodajTowar(arrival::kNowaPozycja, 0, 3, {});
  EXPECT_EQ(nowa.do_edycji.Get(S("PozId")), S("4"));
  u->Cofnij(nowa);
  EXPECT_EQ(u->Towary().size(), 1u);
  auto brak = u->DodajTowar(arrival::kBrakPozycji, 3, 3, {});
  EXPECT_FALSE(brak.do_edycji);
  auto uwagi = u->DodajTowar(arrival::kUwagiRozladunkowe, 1, 3, S("Uszkodzone opakowania"));
  EXPECT_FALSE(uwagi.do_edycji);
  ASSERT_EQ(u->Towary().size(), 3u);
  EXPECT_EQ(u->Towary()[1].typ, 1);  // a missing item carries a "DI"
  EXPECT_EQ(u->Towary()[2].typ, 6);
  EXPECT_EQ(u->DodajTowar(arrival::kNowaPozycja, 0, 3, {}).do_edycji.Get(S("PozId")), S("4"));

  // Deleting takes the permitted copy with it.
  host_.dialogs.Answer(host::kIdYes);
  ASSERT_TRUE(u->UsunTowar(0));
  int z_numerem_2 = 0;
  for (const Group& t : u->IE044().Root().List(xml::kIE044_Towar)) z_numerem_2 += t.Get(S("PozId")) == QLatin1String("2");
  EXPECT_EQ(z_numerem_2, 0);

  // A stored item without results is a missing item, which "Popraw" refuses.
  Group bez = u->IE044().Root().Add(xml::kIE044_Towar);
  bez.Set(S("PozId"), S("9"));
  u->WczytajTowary();
  EXPECT_FALSE(u->EdytujTowar(static_cast<int>(u->Towary().size()) - 1));
  EXPECT_EQ(host_.dialogs.Texts().last(), S("Tej pozycji nie można edytować"));
}

TEST_F(UnloadingRemarks, HeaderDifferencesAreWrittenInOrderAndClearingResets) {
  auto u = Otworz();
  u->ZmienZgodnosc(true);
  u->pola.uwagi = S("Różnice w ilości");
  u->pola.stan_zamkniec = 1;
  u->pola.liczba_opakowan = S("24");
  u->pola.masa_brutto = S("1250,5");  // the same mass written otherwise
  u->pola.st_kraj = S("de");
  u->DodajTowar(arrival::kBrakPozycji, 3, 3, {});
  const QString text = u->GetXML();
  const xml::Message m = xml::GetIE044(xml::LoadXMLData(text));
  QStringList wyniki;
  for (const Group& w : m.Root().List(xml::kIE044_WynikiKontroli))
    wyniki << w.Get(S("PozId")) + S(":") + w.Get(S("Kod")) + S(":") + w.Get(S("Wskaznik")) + S("=") + w.Get(S("Wartosc"));
  EXPECT_EQ(wyniki, (QStringList{S("1:DI:6=24"), S("2:DI:18#2=DE")}));
  EXPECT_EQ(m.Root().Get(xml::kIE044_UwagiRozladunkowe).Get(S("Zgodnosc")), S("0"));

  // Reopened, the actual totals come from the differences.
  auto again = Otworz(text);
  EXPECT_EQ(again->pola.liczba_opakowan, S("24"));
  EXPECT_TRUE(again->pola.sa_uwagi);
  EXPECT_EQ(again->Towary().size(), 1u);
  EXPECT_EQ(again->GetXML(), text);

  again->ZmienZgodnosc(false);
  EXPECT_EQ(again->pola.liczba_opakowan, S("25"));
  EXPECT_EQ(again->pola.st_kraj, S("PL"));
  EXPECT_TRUE(again->Towary().empty());
  EXPECT_EQ(xml::GetIE044(xml::LoadXMLData(again->GetXML())).Root().Count(xml::kIE044_Towar), 0);

  // TIR fields: only for a TIR transit, and only with the allowed values.
  const std::tuple<const char*, const char*, const char*> tir[] = {
      {"2", "D1", ""},
      {"21", "D1", "Pole \"TIR strona\" powinno mieć jedną z wartości: 02, 04, 06, 08, 10, 12, 14, 16, 18, 20"},
      {"", "D1", "Pole \"TIR strona\" powinno być wypełnione"},
      {"04", "D4", "Pole \"TIR Rozładunek\" powinno mieć jedną z wartości: D1, D2, D3"}};
  db().Exec(S("update TRANZYTY_POZYCJE set XML = replace(XML, 'Deklaracja=\"T1\"', 'Deklaracja=\"TIR\"') where TYP = 'IE043'"));
  auto t = Otworz(text);
  ASSERT_TRUE(t->Tir());
  for (const auto& [strona, rozladunek, blad] : tir) {
    t->pola.tir_strona = S(strona);
    t->pola.tir_rozladunek = S(rozladunek);
    const host::FieldErrors b = t->Sprawdz();
    EXPECT_EQ(b.empty() ? QString() : b.front().second, S(blad)) << strona;
  }
  again->pola.tir_strona = S("02");
  ASSERT_FALSE(again->Sprawdz().empty());
  EXPECT_EQ(again->Sprawdz().front().second, S("Pole \"TIR strona\" powinno być puste"));
}

TEST_F(UnloadingRemarks, GoodsEditorSavesItsListsAndResults) {
  auto u = Otworz();
  u->ZmienZgodnosc(true);
  Group t = u->DodajTowar(arrival::kRozbieznosc, 1, 3, {}).do_edycji;
  arrival::TowarIE044 e(t, 1);
  e.WczytajDoKontrolek();
  EXPECT_EQ(e.kontenery, S("MSKU1234567"));
  e.kontenery = S("msku 123-4567\nABCDEFGHIJ1234567890\n--- ---");
  e.uwagi = S("Brak dokumentu");
  e.PrzelaczBrak(0);
  e.masa_brutto = S("480,5");
  Group o = e.Dodaj(arrival::TowarIE044::kOpakowania);
  o.Set(S("Rodzaj"), S(" PK "));
  o.Set(S("LiczbaOpakowan"), S("0"));
  o.Set(S("IloscSztuk"), S("3"));
  ASSERT_TRUE(e.Sprawdz().empty());
  e.ZapiszZKontrolek();
  QStringList kontenery, wyniki;
  for (const Group& k : t.List(xml::kKontener)) kontenery << k.Get(S("Numer"));
  for (const Group& w : t.List(xml::kIE044_WynikiKontroli)) wyniki << w.Get(S("PozId")) + w.Get(S("Kod")) + w.Get(S("Wskaznik"));
  EXPECT_EQ(kontenery, (QStringList{S("MSKU1234567"), S("ABCDEFGHIJ1234567")}));
  EXPECT_EQ(wyniki, (QStringList{S("1DI"), S("2OT"), S("3NP44#1")}));
  EXPECT_EQ(t.Get(S("MasaBrutto")), S("480.500"));
  const auto paczki = t.List(xml::kOpakowanie);
  ASSERT_EQ(paczki.size(), 2u);
  EXPECT_EQ(paczki[1].Get(S("Rodzaj")), S("PK"));
  EXPECT_FALSE(paczki[1].Has(S("LiczbaOpakowan")));

  // Reopened, the missing flag is back; clearing the remarks removes only the "OT".
  arrival::TowarIE044 again(t, 1);
  again.WczytajDoKontrolek();
  ASSERT_EQ(again.brak.size(), 1u);
  EXPECT_TRUE(again.brak[0]);
  again.uwagi.clear();
  again.ZapiszZKontrolek();
  wyniki.clear();
  for (const Group& w : t.List(xml::kIE044_WynikiKontroli)) wyniki << w.Get(S("Kod"));
  EXPECT_EQ(wyniki, (QStringList{S("DI"), S("NP")}));
  e.masa_netto = S("12,3456");
  EXPECT_EQ(e.Sprawdz().front().second, S("Wartość musi być liczbą (11,3)"));
}

TEST_F(UnloadingRemarks, TheWizardOffersUnusedItemsAndWalksItsPages) {
  auto u = Otworz();
  u->ZmienZgodnosc(true);
  u->DodajTowar(arrival::kBrakPozycji, 2, 3, {});
  WynikKontroliIE044 w(u->IE043(), u->IE044());
  EXPECT_EQ(w.MaxPozycja(), 3);
  ASSERT_EQ(w.Wiersze().size(), 3u);
  EXPECT_TRUE(w.Wiersze()[1].uzyty);
  w.Przelacz(1);
  EXPECT_EQ(w.Wybrany(), 0);  // a used item cannot be chosen
  QString info;
  EXPECT_EQ(w.Dalej(0, &info), WynikKontroliIE044::kZostan);
  EXPECT_EQ(info, S("Proszę podać rodzaj niezgodności"));
  w.rodzaj = arrival::kNowaPozycja;
  EXPECT_EQ(w.Dalej(0, &info), WynikKontroliIE044::kKoniec);
  w.rodzaj = arrival::kUwagiRozladunkowe;
  EXPECT_EQ(w.Dalej(0, &info), 1);
  EXPECT_EQ(w.EtykietaPozycji(), S("Wskaż pozycję towarową której dotyczą uwagi"));
  EXPECT_EQ(w.Dalej(1, &info), WynikKontroliIE044::kZostan);
  w.Przelacz(2);
  EXPECT_EQ(w.Wybrany(), 3);
  EXPECT_EQ(w.Dalej(1, &info), 2);
  EXPECT_EQ(w.Dalej(2, &info), WynikKontroliIE044::kZostan);
  EXPECT_EQ(info, S("Proszę wpisać uwagi rozładunkowe"));
  w.uwagi = S("Uwagi");
  EXPECT_EQ(w.Dalej(2, &info), WynikKontroliIE044::kKoniec);
}

}  // namespace
}  // namespace velmora::testing
