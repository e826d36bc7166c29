#pragma once

#include "arrival/arrival_notification.h"
#include "host/db/record_store.h"
#include "host/xml/messages.h"

#include <QDate>
#include <QString>
#include <QVariantMap>

#include <vector>

namespace velmora::host {
struct HostContext;
}

// The unloading remarks (IE044) against the unloading permission (IE043): the editor, its goods
// list, the control-result wizard and the goods item editor, without their widgets.
namespace velmora::arrival {

// Kinds of remark of a goods item.
QString OpisTypu(int typ);  // 1 "rozbieżność" ... other "stan nieokreślony"
// The kind an IE044 goods item's control results make.
int AnalizujTypTowaru(const xml::Group& towar);

// What the wizard asks: the kind, by the radio group's index.
enum RodzajNiezgodnosci { kRozbieznosc = 0, kBrakPozycji = 1, kNowaPozycja = 2, kUwagiRozladunkowe = 3 };

struct PolaUwag {
  QString nr_wlasny, data_utworzenia, mrn;
  QString liczba_pozycji, liczba_opakowan, masa_brutto;           // actual
  QString liczba_pozycji_43, liczba_opakowan_43, masa_brutto_43;  // from the permission
  QDate data_rozladunku;
  bool zakonczony = false;
  int stan_zamkniec = -1;  // 0 "nieprawidłowy", 1 "prawidłowy"
  QString ilosc, zamkniecia;
  QString tir_strona, tir_rozladunek;
  PolaPodmiotu odbiorca;
  QString przedstawiciel;
  bool sa_uwagi = false;  // "(są uwagi do rozładunku)": the conformity flag inverted
  QString uwagi;
  QString st, st_kraj;
  PolaGwarancji gwarancja;
};

struct WierszTowaruIE044 {
  int lp = 0, nr_poz = 0, typ = 0;
  QString kod_towaru, opis;
};

extern const QStringList kStronyTIR;       // "02" ... "20"
extern const QStringList kRozladunkiTIR;   // "D1" "D2" "D3"

class UwagiRozladunkoweIE044 {
 public:
  explicit UwagiRozladunkoweIE044(host::HostContext& ctx);

  // Loads the transit's guarantee, its latest IE043 and IE007 and the document (a text that does
  // not parse starts a new one from the IE043). False, after the error box, when the IE043 or
  // the IE007 is missing: the editor then does not open.
  bool SetXML(const QVariantMap& wiersz, const QString& text);
  bool TylkoDoOdczytu() const { return tylko_do_odczytu_; }
  QString GetXML();
  PolaUwag pola;
  bool Tir() const { return tir_; }

  // "(są uwagi do rozładunku)" switched; cleared, it resets totals, transport and goods.
  void ZmienZgodnosc(bool sa_uwagi);

  void WczytajTowary();
  const std::vector<WierszTowaruIE044>& Towary() const { return towary_; }

  // "Dodaj" after the wizard: what it added, and the item the goods editor is to open on (none
  // for a missing item or remarks). Cofnij takes it all back (the editor was cancelled).
  struct Dodane {
    int typ = 0;
    xml::Group do_edycji;
    std::vector<xml::Group> dodane;
  };
  Dodane DodajTowar(int rodzaj, int nr_ie043, int max_ie043, const QString& uwagi);
  void Cofnij(const Dodane& d);
  xml::Group KopiujTowar_IE043(int nr);
  xml::Group DuplikujTowar(const xml::Group& towar);
  xml::Group ZwrocTowar(int nr);
  // "Popraw": the item of row `wiersz`, none (after the information) for a missing item.
  xml::Group EdytujTowar(int wiersz);
  bool UsunTowar(int wiersz);

  host::FieldErrors Sprawdz() const;
  xml::Message& IE043() { return ie043_; }
  xml::Message& IE044() { return doc_; }

 private:
  void NowyDokument();
  xml::Group NowyTowar(int nr, const char* kod_wyniku, const QString& wartosc = {});

  host::HostContext& ctx_;
  xml::Message doc_, ie043_, ie007_;
  std::vector<WierszTowaruIE044> towary_;
  bool tir_ = false;
  bool tylko_do_odczytu_ = false;
};

// The control-result wizard: kind, then the IE043 item, then (for remarks) the text.
class WynikKontroliIE044 {
 public:
  struct Wiersz {
    bool zaznaczony = false, uzyty = false;
    int poz_id = 0;
    QString kod, opis;
  };
  WynikKontroliIE044(const xml::Message& ie043, const xml::Message& ie044);

  int rodzaj = -1;
  QString uwagi;
  const std::vector<Wiersz>& Wiersze() const { return wiersze_; }
  int Wybrany() const { return wybrany_; }
  int MaxPozycja() const { return max_; }
  // A double click: used rows cannot be chosen; choosing clears the previous choice.
  void Przelacz(int wiersz);
  // The item page's label for the chosen kind.
  QString EtykietaPozycji() const;
  // "Next" on `strona` (0 kind, 1 item, 2 remarks): the page to go to, kKoniec to finish, or
  // kZostan with the information in `informacja`.
  static constexpr int kKoniec = -1, kZostan = -2;
  int Dalej(int strona, QString* informacja) const;

 private:
  std::vector<Wiersz> wiersze_;
  int wybrany_ = 0, max_ = 0;
};

// The goods item editor of the unloading remarks: one IE044 item, edited on a working copy of
// its lists and written back by ZapiszZKontrolek.
class TowarIE044 {
 public:
  TowarIE044(xml::Group towar, int typ);
  void WczytajDoKontrolek();
  QString opis, cn8, masa_brutto, masa_netto, uwagi, kontenery;
  int Typ() const { return typ_; }
  enum Lista { kOpakowania, kTowaryWrazliwe, kDokumenty };
  std::vector<xml::Group> Wiersze(Lista l) const;
  std::vector<bool> brak;  // the produced documents' missing flags, by row
  xml::Group Dodaj(Lista l);
  void Cofnij(Lista l, const xml::Group& wiersz);
  void Usun(Lista l, int wiersz);
  void PrzelaczBrak(int wiersz);
  // Which actions a tab allows.
  bool MoznaDodac(Lista l) const { return l != kDokumenty || typ_ == 3; }
  host::FieldErrors Sprawdz() const;
  void ZapiszZKontrolek();

 private:
  xml::Group towar_, robocza_;
  int typ_;
};

}  // namespace velmora::arrival
