#include "bodies.h"

// Everything here lives in this one file on purpose: a description names its sub-groups
// when it is built, so they must be built first, which only one translation unit guarantees.
namespace velmora::xml {

namespace {

GroupDesc G(const char* name, std::vector<FieldDesc> fields) { return {QString::fromUtf8(name), std::move(fields)}; }

// Name, street, postcode, town, country and TIN: the block every trader carries.
std::vector<FieldDesc> PodmiotFields(bool tin_required = false, std::vector<FieldDesc> more = {}) {
  std::vector<FieldDesc> f{Attr("Nazwa").Len(35),      Attr("UlicaNumer").Len(35), Attr("KodPocztowy").Len(9),
                           Attr("Miejscowosc").Len(35), Attr("Kraj").Len(2),       tin_required ? Attr("TIN").Len(17).Req() : Attr("TIN").Len(17)};
  for (FieldDesc& m : more) f.push_back(std::move(m));
  return f;
}

FieldDesc Poz() { return Attr("PozId").Int(3); }

GroupDesc Naglowek(const char* extra = nullptr, bool mrn_required = false) {
  std::vector<FieldDesc> f{Attr("NrWlasny").Len(22).Req(), Attr("DataUtworzenia").DateTime().Req()};
  if (extra) f.push_back(mrn_required ? Attr(extra).Len(18).Req() : Attr(extra).Len(18));
  f.push_back(Sub(kKanalZwrotny).Typy());
  return G("Naglowek", std::move(f));
}

}  // namespace

// The return channel: exactly one of its four kinds, each in the shared types' namespace.
const GroupDesc kKanalEmail = G("Email", {Attr("Email")});
const GroupDesc kKanalWebService = G("WebService", {Attr("Url")});
const GroupDesc kKanalSeap = G("Seap", {Attr("SeapId")});
const GroupDesc kKanalEpuap = G("Epuap", {Attr("PodmiotId"), Attr("SkrytkaId")});
const GroupDesc kKanalZwrotny = G("KanalZwrotny", {Sub(kKanalEmail).Typy(), Sub(kKanalWebService).Typy(), Sub(kKanalSeap).Typy(),
                                                  Sub(kKanalEpuap).Typy()});
const GroupDesc kNaglowek = G("Naglowek", {Attr("NrWlasny"), Attr("DataUtworzenia"), Attr("MRN"), Attr("NrWlasnyKomunikatuPowiazanego"),
                                           Attr("LRN"), Sub(kKanalZwrotny).Typy()});
const GroupDesc kPrzedstawiciel = G("Przedstawiciel", {Attr("TIN").Len(17).Req()});
const GroupDesc kGlownyZobowiazany = G("GlownyZobowiazany", PodmiotFields(false, {Attr("TIR").Flag(), Sub(kPrzedstawiciel).Typy()}));
const GroupDesc kZamkniecie = G("Zamkniecie", {Attr("Znak").Len(20).Req()});
const GroupDesc kKontener = G("Kontener", {Poz(), Attr("Numer").Len(17).Req()});
const GroupDesc kOpakowanie = G("Opakowanie", {Poz(), Attr("Rodzaj").Len(3).Req(), Attr("Znaki").Len(42), Attr("LiczbaOpakowan").Int(5),
                                               Attr("IloscSztuk").Int(5)});
const GroupDesc kTowarWrazliwy = G("TowarWrazliwy", {Poz(), Attr("Kod").Len(2), Attr("Ilosc").Dec(11, 3)});
const GroupDesc kDokumentWymagany = G("DokumentWymagany", {Poz(), Attr("Kod").Len(4), Attr("Nr").Len(35), Attr("Uwagi").Len(26)});

// IE015 --------------------------------------------------------------------------------------

const GroupDesc kIE015_Naglowek = G("Naglowek", {Attr("NrWlasny").Len(22).Req(), Attr("DataUtworzenia").DateTime().Req(),
                                                 Sub(kKanalZwrotny).Typy()});
const GroupDesc kIE013_Naglowek = G("Naglowek", {Attr("NrWlasny").Len(22).Req(), Attr("DataUtworzenia").DateTime().Req(),
                                                 Attr("MRN").Len(18), Attr("LRN").Len(22), Sub(kKanalZwrotny).Typy()});
const GroupDesc kIE015_Zgloszenie =
    G("Zgloszenie", {Attr("KrajWysylki").Len(2), Attr("KrajPrzeznaczenia").Len(2), Attr("MiejsceZaladunku").Len(17).Ascii(),
                     Attr("KodMiejscaUznanego").Len(17), Attr("MiejsceUznane").Len(35), Attr("MiejsceOdprawy").Len(17),
                     Attr("KodMiejscaWskazanegoWPozwoleniu").Len(17), Attr("Kontener").Flag(), Attr("LiczbaPozycji").Int(3).Req(),
                     Attr("LiczbaOpakowan").Int(7), Attr("MasaBrutto").Masa().Req(), Attr("DataPrzedstawienia").DateTime()});
const GroupDesc kIE015_Rodzaj = G("Rodzaj", {Attr("Deklaracja").Len(5).Req(), Attr("ProceduraUproszczona").Flag(),
                                             Attr("Bezpieczenstwo").Flag(), Attr("KarnetTIR").Len(17)});
const GroupDesc kIE015_Nadawca = G("Nadawca", PodmiotFields());
const GroupDesc kIE015_Odbiorca = G("Odbiorca", PodmiotFields());
const GroupDesc kIE015_NadawcaTypy = G("NadawcaTypy", PodmiotFields());
const GroupDesc kIE015_OdbiorcaTypy = G("OdbiorcaTypy", PodmiotFields());
const GroupDesc kIE015_Przewoznik = G("Przewoznik", PodmiotFields());
const GroupDesc kIE015_TransportWyjazd = G("TransportWyjazd", {Attr("Znaki").Len(27), Attr("Rodzaj").Len(2), Attr("Kraj").Len(2)});
const GroupDesc kIE015_TransportGranica = G("TransportGranica", {Attr("Znaki").Len(27), Attr("Rodzaj").Len(2), Attr("Kraj").Len(2)});
// The offices of transit on the way, numbered (the editor writes one).
const GroupDesc kIE015_UCTranzytowy = G("Tranzytowy", {Poz(), Attr("Kod").Len(8).Req()});
const GroupDesc kIE015_UC =
    G("UC", {Attr("Wyjscia").Len(8).Req(), Attr("Przeznaczenia").Len(8).Req(), Sub(kIE015_UCTranzytowy, true).Max(9)});
const GroupDesc kIE015_UpowaznionyOdbiorca = G("UpowaznionyOdbiorca", {Attr("TIN").Len(17).Req()});
const GroupDesc kIE015_WynikKontroli = G("WynikKontroli", {Attr("Kod").Len(2).Req(), Attr("TerminDostarczenia").Date()});
const GroupDesc kIE015_ZamknieciaCelne =
    G("ZamknieciaCelne", {Attr("Liczba").Int(4), Attr("Nakladajacy").Len(35), Sub(kZamkniecie, true).Max(9999).Typy()});
const GroupDesc kIE015_NiewaznaNaKraj = G("NiewaznaNaKraj", {Poz(), Attr("Kraj").Len(2).Req()});
const GroupDesc kIE015_Gwarancja = G("Gwarancja", {Attr("Numer").Len(35), Attr("GRN").Len(24), Attr("KodDostepu").Len(4),
                                                   Attr("NiewaznaNaUE").Flag(), Sub(kIE015_NiewaznaNaKraj, true).Max(99)});
const GroupDesc kIE015_Gwarancje = G("Gwarancje", {Poz(), Attr("Rodzaj").Len(1).Req(), Sub(kIE015_Gwarancja, true).Max(99).Typy()});
const GroupDesc kIE015_KrajTrasy = G("KrajTrasy", {Poz(), Attr("Kraj").Len(2).Req()});
const GroupDesc kIE015_Bezpieczenstwo =
    G("Bezpieczenstwo", {Attr("SpecyficzneOkolicznosci").Len(1), Attr("FormaPlatnosci").Len(1), Attr("NrReferencyjnyPrzesylki").Len(70),
                         Attr("NrReferencyjnyPrzewozu").Len(35), Attr("MiejsceRozladunku").Len(35), Sub(kIE015_KrajTrasy, true).Max(99),
                         Sub(kIE015_NadawcaTypy), Sub(kIE015_OdbiorcaTypy), Sub(kIE015_Przewoznik)});
const GroupDesc kIE015_MiejsceData = G("MiejsceData", {Attr("Miejsce").Len(35).Req(), Attr("Data").Date().Req(), Attr("Osoba").Len(35).Req()});
const GroupDesc kIE015_DokumentPoprzedni =
    G("DokumentPoprzedni", {Poz(), Attr("Kod").Len(6).Req(), Attr("Nr").Len(35).Req(), Attr("Uwagi").Len(26)});
const GroupDesc kIE015_InformacjaDodatkowa = G("InformacjaDodatkowa", {Poz(), Attr("Kod").Len(3), Attr("Tekst").Len(70),
                                                                       Attr("WywozZUE").Flag(), Attr("KrajWywozu").Len(2)});
// The security parties of a goods item are written in the shared types' namespace.
const GroupDesc kIE015_TowarBezpieczenstwo =
    G("Bezpieczenstwo", {Attr("FormaPlatnosci").Len(1), Attr("NrReferencyjnyPrzesylki").Len(70), Attr("KodUN").Len(4),
                         Sub(kIE015_Nadawca).Typy(), Sub(kIE015_Odbiorca).Typy()});
// The security computation of a goods item: the agency's own, kept in the stored declaration.
const GroupDesc kIE015_Zabezpieczenie =
    G("Zabezpieczenie", {Attr("Kwota"), Attr("Waluta"), Attr("KursWalutyKwoty"), Attr("JednostkiWalutyKwoty"), Attr("GRN"),
                         Attr("Kurs"), Attr("Jednostki"), Attr("A00"), Attr("A30"), Attr("B00"), Attr("Razem"), Attr("PodstawaVAT"),
                         Attr("StawkaCla"), Attr("StawkaClaDodatkowego"), Attr("StawkaVAT"), Attr("WalutaWartosci"), Attr("Wartosc"),
                         Attr("WartoscPLN")});
const GroupDesc kIE015_DaneKrajowe = G("DaneKrajowe", {Sub(kIE015_Zabezpieczenie)});
const GroupDesc kIE015_Towar =
    G("Towar", {Attr("PozId").Int(3).Req(), Attr("Deklaracja").Len(5), Attr("KrajWysylki").Len(2), Attr("KrajPrzeznaczenia").Len(2),
                Attr("KodTowarowy").Len(8), Attr("OpisTowaru").Len(280).Req(), Attr("MasaBrutto").Masa(), Attr("MasaNetto").Masa(),
                Attr("NrLiniiZam").Len(10), Sub(kIE015_Nadawca), Sub(kIE015_Odbiorca), Sub(kKontener, true).Max(99),
                Sub(kOpakowanie, true).Max(99), Sub(kTowarWrazliwy, true).Max(9), Sub(kDokumentWymagany, true).Max(99),
                Sub(kIE015_DokumentPoprzedni, true).Max(9), Sub(kIE015_InformacjaDodatkowa, true).Max(99), Sub(kIE015_TowarBezpieczenstwo),
                Sub(kIE015_DaneKrajowe).Lokalne()});

namespace {
std::vector<FieldDesc> DeklaracjaBody() {
  return {Sub(kIE015_Zgloszenie).Req(),   Sub(kIE015_Rodzaj).Req(),       Sub(kIE015_Nadawca),           Sub(kIE015_Odbiorca),
          Sub(kGlownyZobowiazany).Req(),
          Sub(kIE015_TransportWyjazd),    Sub(kIE015_TransportGranica),   Sub(kIE015_UC).Req(),          Sub(kIE015_UpowaznionyOdbiorca),
          Sub(kIE015_WynikKontroli),      Sub(kIE015_ZamknieciaCelne),    Sub(kIE015_Gwarancje, true).Max(9),
          Sub(kIE015_Bezpieczenstwo),     Sub(kIE015_MiejsceData).Req(),  Sub(kIE015_Towar, true).Max(999).Req()};
}
std::vector<FieldDesc> With(const GroupDesc& naglowek, std::vector<FieldDesc> body) {
  body.insert(body.begin(), Sub(naglowek).Req());
  return body;
}
}  // namespace

const GroupDesc kIE015 = G("IE015", With(kIE015_Naglowek, DeklaracjaBody()));
const GroupDesc kIE013 = G("IE013", With(kIE013_Naglowek, DeklaracjaBody()));

// IE007 --------------------------------------------------------------------------------------

const GroupDesc kIE007_Naglowek = Naglowek("MRN", true);
const GroupDesc kIE007_Przybycie =
    G("Przybycie", {Attr("Miejsce").Len(35).Req().Ascii(), Attr("Data").Date().Req(), Attr("ProceduraUproszczona").Flag(),
                    Attr("NrPozwolenia").Len(35), Attr("UCPrzedstawienia").Len(8).Req().Upper()});
const GroupDesc kIE007_Lokalizacja = G("Lokalizacja", {Attr("MiejsceUznane").Len(17), Attr("Opis").Len(35), Attr("MiejsceOdpraw").Len(17),
                                                       Attr("MiejsceWskazane").Len(17)});
const GroupDesc kIE007_Odbiorca = G("Odbiorca", PodmiotFields(false, {Sub(kPrzedstawiciel).Typy()}));
namespace {
// An endorsement of an en-route event: when, by whom, where; before the event's own lists.
std::vector<FieldDesc> Adnotacja(std::vector<FieldDesc> f, std::vector<FieldDesc> listy = {}) {
  for (FieldDesc a : {Attr("DataAdnotacji").Date(), Attr("WladzeAdnotacji").Len(35), Attr("MiejsceAdnotacji").Len(35),
                      Attr("KrajAdnotacji").Len(2).Upper()})
    f.push_back(a);
  for (FieldDesc& l : listy) f.push_back(std::move(l));
  return f;
}
}  // namespace
const GroupDesc kIE007_Incydent = G("Incydent", Adnotacja({Attr("Wystapil").Flag(), Attr("Opis").Len(350)}));
const GroupDesc kIE007_Przeladunek =
    G("Przeladunek", Adnotacja({Attr("Znaki").Len(27), Attr("Kraj").Len(2).Upper()}, {Sub(kKontener, true).Max(99)}));
const GroupDesc kIE007_ZamknieciaCelne = G("ZamknieciaCelne", {Attr("Liczba").Int(4), Sub(kZamkniecie, true).Max(9999).Typy()});
const GroupDesc kIE007_Zdarzenie =
    G("Zdarzenie", {Poz(), Attr("Miejsce").Len(35).Req(), Attr("Kraj").Len(2).Req().Upper(), Attr("WSystemie").Flag(),
                    Sub(kIE007_Incydent), Sub(kIE007_Przeladunek), Sub(kIE007_ZamknieciaCelne)});
const GroupDesc kIE007 = G("IE007", {Sub(kIE007_Naglowek).Req(), Sub(kIE007_Przybycie).Req(), Sub(kIE007_Lokalizacja),
                                     Sub(kIE007_Odbiorca).Req(), Sub(kIE007_Zdarzenie, true).Max(9)});

// IE044 --------------------------------------------------------------------------------------

const GroupDesc kIE044_Naglowek = Naglowek("MRN", true);
const GroupDesc kIE044_UCPrzedstawienia = G("UCPrzedstawienia", {Attr("Kod").Len(8).Req().Upper()});
const GroupDesc kIE044_UwagiDoRozladunku =
    G("UwagiDoRozladunku", {Attr("LiczbaPozycji").Int(5), Attr("LiczbaOpakowan").Int(7), Attr("MasaBrutto").Masa()});
const GroupDesc kIE044_ZamknieciaCelne = G("ZamknieciaCelne", {Attr("Liczba").Int(4), Sub(kZamkniecie, true).Max(9999)});
const GroupDesc kIE044_UwagiRozladunkowe =
    G("UwagiRozladunkowe", {Attr("Zakonczony").Flag(), Attr("Data").Date().Req(), Attr("StronaTIR").Len(2), Attr("RozladunekTIR").Len(2),
                            Attr("StanZamkniec").Flag(), Attr("Uwagi").Len(350), Attr("Zgodnosc").Flag(), Sub(kIE044_ZamknieciaCelne)});
const GroupDesc kIE044_Odbiorca = G("Odbiorca", PodmiotFields(false, {Sub(kPrzedstawiciel).Typy()}));
const GroupDesc kIE044_Transport = G("Transport", {Attr("Znaki").Len(27), Attr("Kraj").Len(2).Upper()});
// A control result: its indicator ("OR", "DI", "NE", "OT", "NP"), the attribute it points at
// ("5", "35", "18#1", "44#2"...) and the value found.
const GroupDesc kIE044_WynikiKontroli =
    G("WynikiKontroli", {Poz(), Attr("Kod").Len(2).Req(), Attr("Wskaznik").Len(11), Attr("Wartosc").Len(140)});
const GroupDesc kIE044_Towar =
    G("Towar", {Attr("PozId").Int(3).Req(), Attr("KodTowarowy").Len(8), Attr("OpisTowaru").Len(280), Attr("MasaBrutto").Masa(),
                Attr("MasaNetto").Masa(), Sub(kIE044_WynikiKontroli, true).Max(99), Sub(kKontener, true).Max(99),
                Sub(kOpakowanie, true).Max(99), Sub(kDokumentWymagany, true).Max(99), Sub(kTowarWrazliwy, true).Max(9)});
const GroupDesc kIE044 = G("IE044", {Sub(kIE044_Naglowek).Req(), Sub(kIE044_UCPrzedstawienia).Req(), Sub(kIE044_UwagiDoRozladunku),
                                     Sub(kIE044_UwagiRozladunkowe).Req(), Sub(kIE044_Odbiorca), Sub(kIE044_Transport),
                                     Sub(kIE044_WynikiKontroli, true).Max(99), Sub(kIE044_Towar, true).Max(999)});

// IE014, IE054, IE141 ------------------------------------------------------------------------

const GroupDesc kIE014_Naglowek = Naglowek("MRN", true);
const GroupDesc kIE014_Wniosek = G("Wniosek", {Attr("Data").Date().Req(), Attr("Powod").Len(350).Req()});
const GroupDesc kUCZgloszenia = G("UCZgloszenia", {Attr("Kod").Len(8).Req()});
const GroupDesc kIE014 = G("IE014", {Sub(kIE014_Naglowek).Req(), Sub(kIE014_Wniosek).Req(), Sub(kUCZgloszenia).Req(), Sub(kGlownyZobowiazany)});

const GroupDesc kIE054_Naglowek = Naglowek("MRN", true);
const GroupDesc kIE054_Wniosek = G("Wniosek", {Attr("BrakSprzeciwu").Flag().Req(), Attr("Data").Date().Req()});
const GroupDesc kIE054 = G("IE054", {Sub(kIE054_Naglowek).Req(), Sub(kIE054_Wniosek).Req(), Sub(kUCZgloszenia).Req(), Sub(kGlownyZobowiazany)});

const GroupDesc kIE141_Naglowek = Naglowek("MRN", true);
const GroupDesc kIE141_Poszukiwanie = G("Poszukiwanie", {Attr("DostarczonoTC11").Flag(), Attr("DataDostarczeniaTC11").Date(),
                                                         Attr("FormaPapierowa").Flag(), Attr("Informacja").Len(140)});
const GroupDesc kIE141_UC = G("UC", {Attr("Okazania").Len(8).Upper(), Attr("Poszukiwania").Len(8).Upper()});
const GroupDesc kIE141_Odbiorca = G("Odbiorca", PodmiotFields());
const GroupDesc kIE141 = G("IE141", {Sub(kIE141_Naglowek).Req(), Sub(kIE141_Poszukiwanie).Req(), Sub(kIE141_UC), Sub(kGlownyZobowiazany),
                                     Sub(kIE141_Odbiorca)});

// IE043, the unloading permission: the parts the unloading remarks take from it -------------

const GroupDesc kIE043_Naglowek = G("Naglowek", {Attr("NrWlasny"), Attr("DataUtworzenia"), Attr("MRN")});
const GroupDesc kIE043_Rozladunek = G("Rozladunek", {Attr("DataZezwolenia"), Attr("UCPrzeznaczenia")});
const GroupDesc kIE043_Tranzyt = G("Tranzyt", {Attr("Deklaracja"), Attr("LiczbaPozycji"), Attr("LiczbaOpakowan"), Attr("MasaBrutto")});
const GroupDesc kIE043_UpowaznionyOdbiorca = G("UpowaznionyOdbiorca", PodmiotFields());
const GroupDesc kIE043_Transport = G("Transport", {Attr("Znaki"), Attr("Kraj")});
const GroupDesc kIE043_ZamknieciaCelne = G("ZamknieciaCelne", {Attr("Liczba"), Sub(kZamkniecie, true)});
const GroupDesc kIE043_Towar =
    G("Towar", {Attr("PozId"), Attr("KodTowarowy"), Attr("OpisTowaru"), Attr("MasaBrutto"), Attr("MasaNetto"), Sub(kTowarWrazliwy, true),
                Sub(kOpakowanie, true), Sub(kKontener, true), Sub(kDokumentWymagany, true)});
const GroupDesc kIE043 = G("IE043", {Sub(kIE043_Naglowek), Sub(kIE043_Rozladunek), Sub(kIE043_Tranzyt), Sub(kIE043_UpowaznionyOdbiorca),
                                     Sub(kIE043_Transport), Sub(kIE043_ZamknieciaCelne), Sub(kIE043_Towar, true)});

// Incoming messages and platform documents ---------------------------------------------------

const GroupDesc kIncomingRoot = G("IE", {Sub(kNaglowek)});
const GroupDesc kUpoRoot = G("UPO", {Attr("NumerIdentyfikacyjny"), Attr("DataWytworzenia")});
const GroupDesc kPlatformRoot = G("Dokument", {});

}  // namespace velmora::xml
