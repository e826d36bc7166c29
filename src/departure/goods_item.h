#pragma once

#include "departure/declaration.h"
#include "departure/security_amount.h"
#include "host/xml/group.h"
#include "host/xml/messages.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmora::host {
struct HostContext;
}

namespace velmora::departure {

// The lists of a goods item, in the order of their tabs.
enum class ListaTowaru { Opakowania, DokumentyWymagane, DokumentyPoprzednie, InformacjeDodatkowe, TowaryWrazliwe };

// The parties a goods item carries: its own consignor and consignee, and those of its
// security data.
enum class StronaTowaru { Nadawca, Odbiorca, NadawcaB, OdbiorcaB };

// The item's fields as the editor shows them.
struct PolaTowaru {
  QString p1c;  // the item's own declaration type
  QString kraj_wysylki, kraj_przeznaczenia;
  QString nadawca, odbiorca;  // names shown
  QString opis, cn8, masa_brutto, masa_netto;
  QString kwota, waluta, gwarancja;
  QString wartosc, wartosc_waluta;
  QString clo, clo_dodatkowe, vat;
  bool oblicz = true;
  QString nr_linii_zam;  // hidden, kept as loaded
  QString forma_platnosci, nr_ref_przesylki, kod_un;
  QString nadawca_b, odbiorca_b;
  QString kontenery;  // one container number per line
};

// The information texts of the sensitive-goods and container tabs; lines separated by "\r".
extern const QString kInfoTowaryWrazliwe;
extern const QString kInfoKontenery;
extern const QString kLimitDokumentowPoprzednich;  // "Zgodnie ze specyfikacją PUESC ..."

// What the goods item editor does, without its widgets: one goods item of a declaration,
// loaded into fields and tables that live apart from the document, so that nothing reaches
// the item until Save (a cancelled editor, or a Save declined at its question, leaves it
// as it was).
class TowarIE015 {
 public:
  // Set by the caller before an editor is created: the declaration type is "TIR", is not "T-".
  static inline bool FTowarXBox_Tir = false;
  static inline bool F1cBlokuj = true;
  // Remembered by every editor for the application's run (30 characters each).
  static QString ZapamietanaWaluta();
  static QString ZapamietanyGRN();
  static void ZapomnijZapamietane();

  TowarIE015(host::HostContext& ctx, xml::Message& deklaracja, int poz_id);

  // The security-amount fields are locked on a TIR declaration for all but administrators.
  bool ZabezpieczenieZablokowane() const;
  bool P1cDostepny() const { return !F1cBlokuj; }

  void Load();
  // False when the user declined the question; `fokus` then names the missing field.
  bool Save(QString* fokus = nullptr);

  PolaTowaru pola;

  // The rows of a list (their PozId in order); a row is an element of the list's kind.
  std::vector<xml::Group> Wiersze(ListaTowaru l) const;
  // A new row numbered after the last, to be edited; null when refused (the previous
  // documents' limit, told to the user).
  xml::Group Dodaj(ListaTowaru l);
  // The box opened by Dodaj was cancelled: the new row goes.
  void Cofnij(ListaTowaru l, const xml::Group& wiersz);
  // Deletes row `indeks` (0-based) after the list's question; true when deleted.
  bool Usun(ListaTowaru l, int indeks);
  // "Kopiuj na pozycje": row `indeks` appended to every other goods item without an equal
  // entry, after the question. Answers the number of items it was copied to; none when not
  // asked (a list that cannot be copied, no such row) or declined.
  std::optional<int> Kopiuj(ListaTowaru l, int indeks);

  // A party chosen from contractors; empty when the header already names that party (the
  // refusal is answered through `odmowa`).
  QString OdmowaStrony(StronaTowaru s) const;
  QString WybierzStrone(StronaTowaru s, const host::Row& kontrahent);
  void WyczyscStrone(StronaTowaru s);
  void DodajAEO(const QString& kod, const QString& numer);
  void UsunAEO(const QString& kod);

  // A code chosen in the CN lookup, or the field left: the first 8 characters, and the code's
  // highest duty and VAT rates when the host knows them.
  void UstawCN(const QString& kod);
  // Entering the amount with "oblicz" on: the computation, and the label's text.
  WynikZabezpieczenia Oblicz();
  // Leaving the amount's currency: today's rate written; false when the host has none.
  bool WalutaKwotyOpuszczona();
  QString Obliczenia() const;

  // Every refused field, in the form's order.
  std::vector<BladPola> Sprawdz() const;

  // The guarantee data of the "CAL" entry found at Load, empty when none.
  const QString& WczytanyCAL() const { return wczytany_cal_; }
  xml::Group Robocza() const { return robocza_; }

 private:
  static QString NazwaLubTin(const xml::Group& strona);
  xml::Group Pozycja() const;
  xml::Group Naglowek(const xml::GroupDesc& desc) const;
  xml::Group GrupaStrony(StronaTowaru s, bool utworz);

  host::HostContext& ctx_;
  xml::Message& deklaracja_;
  int poz_id_;
  xml::Group robocza_;  // a working copy of the item: its lists, parties and computation
  QString wczytany_cal_;
};

// The item checks of a declaration from another system: each goods item's description,
// package rules and previous-document limit. Each refusal names the item's number.
std::vector<BladPola> SprawdzTowary(const xml::Message& deklaracja);

// Writes each computed total as the item's amount in PLN with its "CAL" entry on `grn`
// (each item's own GRN when empty), as the editor's Save would. Answers the number of items
// written; items without a computed total are left alone.
int ZastosujZabezpieczenie(host::HostContext& ctx, xml::Message& deklaracja, const QString& grn);

}  // namespace velmora::departure
