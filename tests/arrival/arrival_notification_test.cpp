#include "arrival/arrival_event.h"
#include "arrival/arrival_notification.h"
#include "host/db/exchange_rates.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/xml/bodies.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

using arrival::ZawiadomienieIE007;
using arrival::ZdarzenieIE007;

QString S(const char* s) { return QString::fromUtf8(s); }

const QString kKursy = S(R"(<?xml version="1.0" encoding="UTF-8"?>
<tabela_kursow typ="A"><numer_tabeli>044/A/NBP/2024</numer_tabeli><data_notowania>2024-03-04</data_notowania>
<data_publikacji>2024-03-04</data_publikacji>
<pozycja><nazwa_waluty>euro</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>EUR</kod_waluty><kurs_sredni>4,2512</kurs_sredni></pozycja>
<pozycja><nazwa_waluty>forint</nazwa_waluty><przelicznik>100</przelicznik><kod_waluty>HUF</kod_waluty><kurs_sredni>1,0954</kurs_sredni></pozycja>
</tabela_kursow>)");

class ArrivalNotification : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    host::ExchangeRates(db(), host_->user, host_->clock).ImportTabelaAXml(kKursy);
    db().Exec(S("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Kod, Miejscowosc, Kraj, NIP, EORI) values "
                "(7, 'Magazyn Celny Gdańsk', 'Portowa 2', '80-001', 'Gdańsk', 'PL', ' 5840000011 ', ''), "
                "(8, 'Spedycja Nord', 'Hafenstr. 1', '20095', 'Hamburg', 'DE', '', 'DE123456789')"));
    db().Exec(S("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, PU_NUMER, PU_MIEJSCE, IE007_UC_PRZEDSTAW, IE007_MIEJSCE_TYP, "
                "IE007_MIEJSCE_OPIS, IE007_PRZEDSTAWICIEL, IE007_ODBIORCA_ID) values "
                "(1, 'Przyjęcia', 1, 'PL/UP/9', 'MW-1', 'PL322010', 0, '', 'PL584', 7), "
                "(2, 'Zwykły', 0, '', '', 'PL322020', 1, 'Plac 4', '', 0)"));
    db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN, REJESTRY_ID) values (5, 1, 'IE007', 1, '24PL322010NS0001A7', 1)"));
    host_->options->WriteOption(S("USER"), S("MIEJSCE"), S("Gdańsk, nabrzeże"));
  }
  // A new message of transit `tranzyt` (0: a new transit) on register `rejestr`.
  std::unique_ptr<ZawiadomienieIE007> Nowe(int rejestr, qint64 tranzyt = 0) {
    auto z = std::make_unique<ZawiadomienieIE007>(*ctx_);
    z->BeforeActivate({{S("ID_TRANZYTY"), tranzyt}, {S("REJESTRY_ID"), rejestr}, {S("STATUS"), 0}});
    z->SetXML(QString());
    return z;
  }
  void Kompletne(ZawiadomienieIE007& z) {
    z.pola.mrn = S("24PL322010NS0002B8");
    z.pola.data = QDate(2024, 3, 5);
  }
  QString PierwszyBlad(ZawiadomienieIE007& z) {
    const host::FieldErrors b = z.Sprawdz();
    return b.empty() ? QString() : b.front().first + S(": ") + b.front().second;
  }
};

TEST_P(ArrivalNotification, NewDocumentTakesTheRegistersUsersAndContractorsDefaults) {
  auto z = Nowe(1);
  EXPECT_TRUE(z->pola.uproszczona);
  EXPECT_EQ(z->pola.nr_pozwolenia, S("PL/UP/9"));
  EXPECT_EQ(z->pola.lokalizacja, 4);
  EXPECT_EQ(z->pola.opis_lokalizacji, S("MW-1"));
  EXPECT_EQ(z->pola.uc_przedstawienia, S("PL322010"));
  EXPECT_EQ(z->pola.przedstawiciel_tin, S("PL584000000000000"));  // padded to 17
  EXPECT_EQ(z->pola.miejsce, S("Gdańsk, nabrzeże"));
  EXPECT_EQ(z->pola.odbiorca.nazwa, S("Magazyn Celny Gdańsk"));
  EXPECT_EQ(z->pola.odbiorca.tin, S("584000001100000"));  // trimmed NIP and five zeros
  EXPECT_EQ(z->pola.nr_wlasny, S("<AUTO>"));
  EXPECT_EQ(z->pola.ryczalt, S("6,5"));

  auto zwykly = Nowe(2);
  EXPECT_EQ(zwykly->pola.lokalizacja, 1);  // the register's own location wins over the authorised place
  EXPECT_EQ(zwykly->pola.opis_lokalizacji, S("Plac 4"));
  EXPECT_TRUE(zwykly->pola.przedstawiciel_tin.isEmpty());
  EXPECT_TRUE(zwykly->pola.odbiorca.nazwa.isEmpty());
}

TEST_P(ArrivalNotification, FieldRulesInTheirOrder) {
  struct Przypadek {
    const char* opis;
    std::function<void(ZawiadomienieIE007&)> zmien;
    const char* blad;
  };
  const Przypadek przypadki[] = {
      {"complete", [](ZawiadomienieIE007&) {}, ""},
      {"short MRN", [](ZawiadomienieIE007& z) { z.pola.mrn = S("24PL322010NS0002"); },
       "beNrMRN: Numer MRN musi się składać z 18 znaków 0-9,A-Z"},
      {"letters then digits: 3-4 first", [](ZawiadomienieIE007& z) { z.pola.mrn = S("PL24322010NS0002B8"); },
       "beNrMRN: 3 i 4 znak numeru MRN musi być literą z zakresu A-Z"},
      {"letter first", [](ZawiadomienieIE007& z) { z.pola.mrn = S("2XPL322010NS0002B8"); }, "beNrMRN: 1 i 2 znak numeru MRN musi być cyfrą"},
      {"no authorisation", [](ZawiadomienieIE007& z) { z.pola.nr_pozwolenia = S("  "); },
       "beNrPozwolenia: Proszę wprowadzić numer pozwolenia"},
      {"agreed place with simplified procedure", [](ZawiadomienieIE007& z) { z.pola.lokalizacja = 1; },
       "peLokalizacja: Dla procedury uproszczonej Miejsce uznane nie może zostać użyte"},
      {"authorised place without it",
       [](ZawiadomienieIE007& z) {
         z.pola.uproszczona = false;
         z.pola.lokalizacja = 4;
       },
       "peLokalizacja: Dla procedury uproszczonej Miejsce wskazane w pozwoleniu nie może zostać użyte"},
      {"guarantee without a statistical value", [](ZawiadomienieIE007& z) { z.pola.gwarancja.numer = S("24PL322010000001A1"); },
       "ceWartoscStatystyczna: Proszę wprowadzić wartość statystyczną"},
      {"an amount without a guarantee", [](ZawiadomienieIE007& z) { z.pola.gwarancja.kwota = S("12"); }, "beGwarancja: Pole jest wymagane"},
      {"a value without its currency", [](ZawiadomienieIE007& z) { z.pola.wartosc_towaru = S("10"); }, "beWaluta: Pole jest wymagane"},
      {"a mass with four decimals", [](ZawiadomienieIE007& z) { z.pola.masa_brutto = S("1,2345"); },
       "ceMasaBrutto: Wartość musi być liczbą (16,3)"},
  };
  for (const Przypadek& p : przypadki) {
    auto z = Nowe(1);
    Kompletne(*z);
    p.zmien(*z);
    EXPECT_EQ(PierwszyBlad(*z), S(p.blad)) << p.opis;
  }
}

TEST_P(ArrivalNotification, RateStatisticalValueAndAmount) {
  auto z = Nowe(1);
  z->pola.wartosc_towaru = S("1000");
  z->pola.waluta = S("EUR");
  z->pola.data = QDate(2024, 3, 5);
  EXPECT_EQ(z->PrzeliczKurs().Tekst(4), S("4.2512"));
  EXPECT_EQ(z->pola.tabela_nbp, S("Tabela nr 044/A/NBP/2024 z dnia 2024-03-04"));
  // A cost as its box is filled in.
  const auto koszt = [&z](const char* kod, const char* kwota_wal, const char* waluta) {
    arrival::KosztIE007 k = z->NowyKoszt();
    k.kod = S(kod);
    k.kwota_wal = S(kwota_wal);
    k.waluta = S(waluta);
    k.CheckKursy();
    return k;
  };
  const arrival::KosztIE007 k = koszt("99", "-200", "PLN");
  EXPECT_EQ(k.kwota, S("-200.00"));
  z->DodajKoszt(k);
  EXPECT_EQ(z->pola.wartosc_stat, S("4051"));  // 4251.2 - 200, to whole złoty
  EXPECT_EQ(z->pola.gwarancja.kwota, S("263"));  // 6.5 % of 4051

  // Halves: the statistical value away from zero, the amount to even.
  z->pola.kurs = S("1");
  z->pola.wartosc_towaru = S("4300.5");
  EXPECT_EQ(z->PrzeliczWartoscStatystyczna(), 4101);  // 4100.5 → 4101
  z->pola.wartosc_stat = S("4100");
  EXPECT_EQ(z->PrzeliczKwote(), 266);  // 266.5
  z->pola.wartosc_stat = S("4300");
  EXPECT_EQ(z->PrzeliczKwote(), 280);  // 279.5

  // A 100-unit currency: the editor's rate and the cost box agree.
  z->pola.waluta = S("HUF");
  EXPECT_EQ(z->PrzeliczKurs().Tekst(4), S("0.0110"));
  const arrival::KosztIE007 huf = koszt("99", "1000", "HUF");
  EXPECT_EQ(huf.kwota, S("11.00"));
  EXPECT_EQ(huf.EtykietaKursu(), S("(kurs = 0.0110)"));

  // Signs by code: 8 is subtracted, 1 added, 99 either.
  arrival::KosztIE007 c = koszt("8", "100", "EUR");
  EXPECT_EQ(c.kwota, S("-425.12"));
  c.kod = S("1");
  c.kwota_wal = S("-100");
  c.Przelicz();
  EXPECT_EQ(c.kwota, S("425.12"));
  EXPECT_FALSE(c.ZnakPoprawny());
  ASSERT_FALSE(c.Sprawdz().empty());
  EXPECT_EQ(c.Sprawdz().front().second, S("Niepoprawny znak wartości korekty !"));
  c.kod = S("ZZ");
  c.kwota_wal = S("12,345");
  c.waluta = S("XYZ");
  const host::FieldErrors b = c.Sprawdz();
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0].second, S("Nie znaleziono kodu \"ZZ\" w słowniku 87"));
  EXPECT_EQ(b[1].second, S("Wartość musi być liczbą (15,2)"));
  EXPECT_EQ(b[2].second, S("Nie znaleziono kodu \"XYZ\" w słowniku 26"));

  // The newest table of average rates by its date, named by its name; a newer table of another
  // kind is not looked at, and a currency the newest table lacks has no rate.
  db().Exec(S("insert into TABELA_KURSY (ID_TABELA_KURSY, TYP, DATA, NAZWA) values "
              "(901, 0, '2024-03-05', ' Tabela A nr 045 '), (902, 1, '2024-03-05', 'Tabela C nr 045')"));
  db().Exec(S("insert into KURSY (ID_KURSY, TABELA_ID, WALUTA, KURS) values (901, 901, 'EUR', 4.3), (902, 902, 'EUR', 4.9)"));
  z->pola.waluta = S("EUR");
  EXPECT_EQ(z->PrzeliczKurs().Tekst(4), S("4.3000"));
  EXPECT_EQ(z->pola.tabela_nbp, S("Tabela A nr 045"));
  z->pola.waluta = S("HUF");
  EXPECT_EQ(z->PrzeliczKurs().Tekst(4), S("0.0000"));
  EXPECT_EQ(z->pola.kurs, S("0,0000"));
  EXPECT_TRUE(z->pola.tabela_nbp.isEmpty());
  z->pola.data = QDate(2024, 3, 4);
  EXPECT_EQ(z->PrzeliczKurs().Tekst(4), S("0.0110"));
}

TEST_P(ArrivalNotification, DocumentRoundTripEventsAndTheMRNOfAnotherTransit) {
  auto z = Nowe(1, 5);
  Kompletne(*z);
  for (int i = 1; i <= 9; ++i) {
    xml::Group e = z->DodajZdarzenie();
    ASSERT_TRUE(e);
    e.Set(S("Miejsce"), S("Miejsce %1").arg(i));
    e.Set(S("Kraj"), S("DE"));
  }
  EXPECT_FALSE(z->DodajZdarzenie());
  EXPECT_EQ(host_->dialogs.Texts().last(), S("Dopuszczalna liczba zdarzeń wynosi 9"));
  host_->dialogs.Answer(host::kIdYes);
  ASSERT_TRUE(z->UsunZdarzenie(1));
  EXPECT_EQ(z->Zdarzenia()[1].poz_id, 2);
  EXPECT_EQ(z->Zdarzenia()[1].miejsce, S("Miejsce 3"));
  z->pola.lokalizacja = 0;
  const QString text = z->GetXML();
  EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
  EXPECT_FALSE(text.contains(S("MiejsceWskazane")));  // no location written

  auto again = std::make_unique<ZawiadomienieIE007>(*ctx_);
  again->BeforeActivate({{S("ID_TRANZYTY"), 5}, {S("STATUS"), 1}});
  again->SetXML(text);
  EXPECT_EQ(again->Zdarzenia().size(), 8u);
  EXPECT_EQ(again->Zdarzenia().back().poz_id, 8);
  EXPECT_EQ(again->pola.przedstawiciel_tin, S("PL584000000000000"));
  EXPECT_EQ(again->GetXML(), text);

  // The same MRN on another arrival transit blocks; on its own it does not.
  again->pola.mrn = S("24PL322010NS0001A7");
  EXPECT_EQ(again->MRNWInnymTranzycie(), QString());
  auto inny = Nowe(1);
  inny->pola.mrn = S("24PL322010NS0001A7");
  EXPECT_EQ(inny->MRNWInnymTranzycie(), S("W systemie NCTS istnieje już tranzyt o wprowadzonym numerze MRN"));
}

VELMORA_ON_BOTH_ENGINES(ArrivalNotification);

TEST(ArrivalEvent, TranshipmentIncidentContainersAndSeals) {
  xml::Message m = xml::NewIE007();
  xml::Group z = m.Root().Add(xml::kIE007_Zdarzenie);
  xml::Group p = z.Ensure(xml::kIE007_Przeladunek);
  p.Add(xml::kKontener).Set(S("Numer"), S("MSKU1234567"));
  ZdarzenieIE007 e;
  e.SetXML(z);
  EXPECT_TRUE(e.pola.przeladunek);  // containers alone make a transhipment
  EXPECT_EQ(e.pola.kontenery, S("MSKU1234567"));
  QStringList linie;
  for (int i = 0; i < 120; ++i) linie << S("KONT%1").arg(i) << QString();
  e.pola.kontenery = linie.join(QLatin1Char('\n'));
  e.pola.zamkniecia = S("PL1\nPL2\n\nPL3");
  e.pola.ilosc = S("0");
  e.pola.inne = true;
  e.pola.opis = S("Uszkodzona plomba");
  e.pola.inne_data = S("2024-02-30");  // not a date: left out
  e.GetXML();
  EXPECT_EQ(z.Get(xml::kIE007_Przeladunek).Count(xml::kKontener), 99);
  EXPECT_EQ(z.Get(xml::kIE007_ZamknieciaCelne).Get(S("Liczba")), S("3"));
  EXPECT_EQ(z.Get(xml::kIE007_Incydent).Get(S("Wystapil")), S("1"));
  EXPECT_FALSE(z.Get(xml::kIE007_Incydent).Has(S("DataAdnotacji")));

  e.SetXML(z);
  e.pola.przeladunek = false;
  e.pola.zamkniecia.clear();
  e.pola.ilosc = S("2");
  e.GetXML();
  EXPECT_TRUE(z.Get(xml::kIE007_Przeladunek).IsNull());  // every detail goes, containers too
  EXPECT_EQ(z.Get(xml::kIE007_ZamknieciaCelne).Get(S("Liczba")), S("0"));

  // The box refuses what the document would drop: a date that is none, in either part.
  e.pola.przeladunek = true;
  e.pola.transport_kraj = S("XX");
  e.pola.data_adnotacji = S("05.03.2024");
  e.pola.inne = true;
  e.pola.inne_data = S("2024-02-30");
  e.pola.inne_kraj = S("PL");
  const auto jest_kod = [](int slownik, const QString& kod) { return kod != QLatin1String("XX") && slownik > 0; };
  const host::FieldErrors b = e.Sprawdz(jest_kod);
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0], (std::pair{S("beTransport_Kraj"), S("Nie można zidentyfikować podanego kraju")}));
  EXPECT_EQ(b[1], (std::pair{S("deData_Adnotacji"), S("Niepoprawna data")}));
  EXPECT_EQ(b[2], (std::pair{S("deInne_Data"), S("Niepoprawna data")}));
  e.pola.data_adnotacji = S("2024-03-05");
  e.pola.inne_data = S(" ");
  EXPECT_EQ(e.Sprawdz(jest_kod).size(), 1u);  // a real date, and none at all, pass
}

}  // namespace
}  // namespace velmora::testing
