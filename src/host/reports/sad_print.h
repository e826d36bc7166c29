#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace velmora::host {

// A trader as the form's party boxes print it.
struct SadPodmiot {
  QString nazwa;
  QString ulica_numer;
  QString kod_pocztowy;
  QString miejscowosc;
  QString kraj;
  QString tin;

  bool IsEmpty() const;
  // "Nr <TIN>", the name, the street, the postcode with the town and the country; empty parts left out.
  QStringList Linie() const;
  // The same on one line, for the narrow places.
  QString Wiersz() const;
};

// One goods item with the boxes of its block (31 to 44).
struct SadTowar {
  int pozycja = 0;                   // 32
  QString deklaracja;                // the item's own declaration type, when it carries one
  QString kraj_wysylki;              // the item's own 15 and 17, when given
  QString kraj_przeznaczenia;
  QString opis;                      // 31
  QStringList opakowania;            // 31: marks, number and kind of packages
  QStringList kontenery;             // 31: container numbers
  QString kod_towarowy;              // 33
  QString masa_brutto;               // 35
  QString masa_netto;                // 38
  QStringList dokumenty_poprzednie;  // 40
  QStringList informacje;            // 44: documents produced and additional information
  SadPodmiot nadawca;                // the item's own consignor and consignee
  SadPodmiot odbiorca;
  QStringList towary_wrazliwe;       // 31: sensitive goods, code and quantity
  // The item's security data (its "S" row).
  QString forma_platnosci;
  QString nr_ref_przesylki;
  QString kod_un;
  SadPodmiot nadawca_bezp;
  SadPodmiot odbiorca_bezp;
};

// The declaration's security data.
struct SadBezpieczenstwo {
  QString okolicznosci;
  QString forma_platnosci;
  QString nr_ref_przesylki;
  QString nr_ref_przewozu;
  QString miejsce_zaladunku;
  QString miejsce_rozladunku;
  QStringList kraje_trasy;
  SadPodmiot nadawca;
  SadPodmiot odbiorca;
  SadPodmiot przewoznik;
};

// The transit declaration as the single administrative document prints it.
struct SadDocument {
  QString mrn;                  // printed with its barcode at the top; empty before it is allocated
  QString tytul;                // the document's heading under the form's name
  QString rodzaj_sprostowania;  // an amendment's kind, beside the heading
  QString data_przedstawienia;
  QString deklaracja;           // 1
  QString numer_referencyjny;   // 7
  QString liczba_pozycji;       // 5; the number of goods items when empty
  QString liczba_opakowan;      // 6
  QString masa_brutto;          // the total gross mass
  SadPodmiot nadawca;           // 2
  SadPodmiot odbiorca;          // 8
  QString kraj_wysylki;         // 15
  QString kraj_przeznaczenia;   // 17
  QString transport_wyjazd;     // 18: identity and nationality
  bool kontener = false;        // 19
  QString transport_granica;    // 21
  QString rodzaj_transportu_granica;     // 25
  QString rodzaj_transportu_wewnetrzny;  // 26
  QString miejsce_zaladunku;    // 27
  QString lokalizacja;          // 30
  SadPodmiot glowny_zobowiazany;  // 50
  QString przedstawiciel_tin;   // 50: represented by
  QString miejsce;              // 50: place, date and the signing person
  QString data;
  QString osoba;
  QStringList uc_tranzytowe;    // 51
  QStringList gwarancje;        // 52
  QString uc_przeznaczenia;     // 53
  QString upowazniony_odbiorca;
  QString uc_wyjscia;           // C
  QString wynik_kontroli;       // D
  QString termin_dostarczenia;  // D: the time limit
  int liczba_zamkniec = 0;      // D: seals affixed
  QStringList zamkniecia;
  QString nakladajacy;
  SadBezpieczenstwo bezpieczenstwo;
  std::vector<SadTowar> towary;
};

// The first page carries goods item 1, each continuation page up to three more. The count is
// the form's own (box 3); the loading lists and the back page follow those sheets.
inline constexpr int kSadPozycjiNaKontynuacji = 3;
int SadLiczbaStron(const SadDocument& sad);

// Ends a box whose content goes on in the loading lists.
extern const QString kSadCiagDalszy;

class TSAD_WYDRUK {
 public:
  // Draws the form to `pdf_file` (A4, the file appears whole or not at all): the first sheet,
  // the continuation sheets, the loading lists with what did not fit in its box, and the
  // back page that is filled in by hand en route. False with `error` set when it could not
  // be written. Needs a QGuiApplication.
  static bool PrintSAD(const SadDocument& sad, const QString& pdf_file, QString* error = nullptr);
};

// Opens a printout in the desktop's viewer, as the reports do; nothing when they are told not to.
void PokazPDF(const QString& pdf_file);

}  // namespace velmora::host
