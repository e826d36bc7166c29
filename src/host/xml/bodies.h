#pragma once

#include "group.h"

// The elements of the outgoing messages, each described once in schema order. The same
// descriptions drive typed access, group-by-group copies and the schemas the written files
// are validated against.
namespace velmora::xml {

// Shared by every message.
extern const GroupDesc kKanalEmail;
extern const GroupDesc kKanalWebService;
extern const GroupDesc kKanalSeap;
extern const GroupDesc kKanalEpuap;
extern const GroupDesc kKanalZwrotny;
extern const GroupDesc kNaglowek;        // any header, for reading
extern const GroupDesc kPrzedstawiciel;  // a representative, by TIN
extern const GroupDesc kGlownyZobowiazany;
extern const GroupDesc kZamkniecie;
extern const GroupDesc kKontener;
extern const GroupDesc kOpakowanie;
extern const GroupDesc kTowarWrazliwy;
extern const GroupDesc kDokumentWymagany;

// IE015 declaration; the IE013 amendment carries the same body under its own header.
extern const GroupDesc kIE015_Naglowek;
extern const GroupDesc kIE013_Naglowek;
extern const GroupDesc kIE015_Zgloszenie;
extern const GroupDesc kIE015_Rodzaj;
extern const GroupDesc kIE015_Nadawca;
extern const GroupDesc kIE015_Odbiorca;
extern const GroupDesc kIE015_NadawcaTypy;  // the three optional parties, in the security data
extern const GroupDesc kIE015_OdbiorcaTypy;
extern const GroupDesc kIE015_Przewoznik;
extern const GroupDesc kIE015_TransportWyjazd;
extern const GroupDesc kIE015_TransportGranica;
extern const GroupDesc kIE015_UCTranzytowy;
extern const GroupDesc kIE015_UC;
extern const GroupDesc kIE015_UpowaznionyOdbiorca;
extern const GroupDesc kIE015_WynikKontroli;
extern const GroupDesc kIE015_ZamknieciaCelne;
extern const GroupDesc kIE015_NiewaznaNaKraj;
extern const GroupDesc kIE015_Gwarancja;
extern const GroupDesc kIE015_Gwarancje;
extern const GroupDesc kIE015_KrajTrasy;
extern const GroupDesc kIE015_Bezpieczenstwo;
extern const GroupDesc kIE015_MiejsceData;
extern const GroupDesc kIE015_DokumentPoprzedni;
extern const GroupDesc kIE015_InformacjaDodatkowa;
extern const GroupDesc kIE015_TowarBezpieczenstwo;
extern const GroupDesc kIE015_Zabezpieczenie;  // the goods item's security computation (not sent)
extern const GroupDesc kIE015_DaneKrajowe;
extern const GroupDesc kIE015_Towar;

// IE007 arrival notification.
extern const GroupDesc kIE007_Naglowek;
extern const GroupDesc kIE007_Przybycie;
extern const GroupDesc kIE007_Lokalizacja;
extern const GroupDesc kIE007_Odbiorca;
extern const GroupDesc kIE007_Incydent;
extern const GroupDesc kIE007_Przeladunek;
extern const GroupDesc kIE007_ZamknieciaCelne;
extern const GroupDesc kIE007_Zdarzenie;

// IE044 unloading remarks.
extern const GroupDesc kIE044_Naglowek;
extern const GroupDesc kIE044_UCPrzedstawienia;
extern const GroupDesc kIE044_UwagiDoRozladunku;
extern const GroupDesc kIE044_ZamknieciaCelne;
extern const GroupDesc kIE044_UwagiRozladunkowe;
extern const GroupDesc kIE044_Odbiorca;
extern const GroupDesc kIE044_Transport;
extern const GroupDesc kIE044_WynikiKontroli;
extern const GroupDesc kIE044_Towar;

// IE043 unloading permission (incoming), as the unloading remarks read it.
extern const GroupDesc kIE043_Naglowek;
extern const GroupDesc kIE043_Rozladunek;
extern const GroupDesc kIE043_Tranzyt;
extern const GroupDesc kIE043_UpowaznionyOdbiorca;
extern const GroupDesc kIE043_Transport;
extern const GroupDesc kIE043_ZamknieciaCelne;
extern const GroupDesc kIE043_Towar;
extern const GroupDesc kIE043;

// IE014 cancellation, IE054 release request, IE141 enquiry answer.
extern const GroupDesc kIE014_Naglowek;
extern const GroupDesc kIE014_Wniosek;
extern const GroupDesc kUCZgloszenia;
extern const GroupDesc kIE054_Naglowek;
extern const GroupDesc kIE054_Wniosek;
extern const GroupDesc kIE141_Naglowek;
extern const GroupDesc kIE141_Poszukiwanie;
extern const GroupDesc kIE141_UC;
extern const GroupDesc kIE141_Odbiorca;

// Message roots.
extern const GroupDesc kIE015;
extern const GroupDesc kIE013;
extern const GroupDesc kIE007;
extern const GroupDesc kIE044;
extern const GroupDesc kIE014;
extern const GroupDesc kIE054;
extern const GroupDesc kIE141;
extern const GroupDesc kIncomingRoot;  // incoming messages: read by name, header first
extern const GroupDesc kUpoRoot;
extern const GroupDesc kPlatformRoot;

}  // namespace velmora::xml
