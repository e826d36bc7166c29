#pragma once

#include "host/db/db.h"
#include "host/xml/messages.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace velmora::host {
struct HostContext;
}

namespace velmora::departure {

// The declaration's fields as the editor shows them; GetXML writes them into the document.
struct PolaDeklaracji {
  QString nr_wlasny, data_utworzenia;
  QString deklaracja;
  bool uproszczona = false;
  QString termin_dostarczenia;  // YYYY-MM-DD, empty when not set
  QString wk_kod;
  int typ_modyfikacji = 0;      // amendment mode: IE013_RODZAJ
  QString data_przedstawienia;  // amendment mode, date-time text, empty when not set
  QString miejsce_zaladunku;
  int lokalizacja = 0;          // 0 none, 1..4 the location value used
  QString lokalizacja_opis;
  QString karnet_tir;
  QString st, st_rodz, st_kraj;     // means of transport at departure
  QString stg, stg_rodz, stg_kraj;  // ... at the border
  QString kraj_wysylki, kraj_przeznaczenia;
  QString uc_zgloszenia, uc_przeznaczenia, uc_tranzytowy;
  QString przedstawiciel, upowazniony_odbiorca;
  QString liczba_opakowan;
  QString masa_brutto;
  QString nr_ref_przesylki, nr_ref_przewozu, miejsce_rozladunku, spec_warunki, forma_platnosci, trasa;
};

// One row of the goods grid.
struct WierszTowaru {
  int poz_id = 0;
  QString kod_towarowy, kraj_wysylki, masa_netto, opis_towaru;
};

// The parties the editor fills from contractors.
enum class Strona { Nadawca, Odbiorca, GlownyZobowiazany, Przedstawiciel, UpowaznionyOdbiorca, NadawcaB, OdbiorcaB, Przewoznik };

// A refused field: the control's name and the text shown at it.
struct BladPola {
  QString pole;
  QString tekst;
};

// What the declaration editor does, without its widgets: an IE015 (or an IE015-shaped
// amendment) loaded into fields and a goods grid, the switches and operations that write
// into the document at once, the field checks, and GetXML.
class DeklaracjaIE015 {
 public:
  explicit DeklaracjaIE015(host::HostContext& ctx);

  // The record the editor is opened on: read-only from STATUS 2 on, and the text to load —
  // the row's XML, or for a new row the newest IE013/IE015 of its transit.
  void Otworz(const QVariantMap& rekord, bool sprostowanie);
  bool TylkoDoOdczytu() const { return tylko_do_odczytu_; }
  bool Sprostowanie() const { return sprostowanie_; }
  const QString& TekstDoWczytania() const { return tekst_; }

  // The register whose defaults a new document takes (and whose PU_NUMER the 2UP2 entry).
  void UstawRejestr(int rejestr_id) { rejestr_id_ = rejestr_id; }
  int Rejestr() const { return rejestr_id_; }
  QString NazwaRejestru() const;
  void UstawTranzyt(qint64 tranzyt_id) { tranzyt_id_ = tranzyt_id; }
  const QString& MRN() const { return mrn_; }

  // Loads a document; a text that does not parse starts a new one from the register's
  // defaults and answers the parse error (empty otherwise). Without a transit the editor
  // starts a new document too, unless `bez_tranzytu_wczytaj` (a declaration from another
  // system becoming a new transit).
  QString SetXML(const QString& text, bool bez_tranzytu_wczytaj = false);
  QString GetXML();

  PolaDeklaracji pola;
  const std::vector<WierszTowaru>& Towary() const { return towary_; }
  xml::Message& Dokument() { return doc_; }

  // The simplified procedure switched; answers the warning to show ("" when none).
  QString UstawProcedureUproszczona(bool wlaczona, bool ostrzegaj);
  // The declaration type entered / left.
  void ZmienTyp(const QString& typ);
  void OpuscTyp(const QString& typ_przy_wejsciu);
  // The TIR carnet left: its B guarantee and the 952 document of goods item 1.
  void OpuscKarnetTIR();
  // The office of transit is offered only for types other than TIR.
  bool UCTranzytoweDostepne() const { return pola.deklaracja.trimmed() != QLatin1String("TIR"); }
  // The kind of amendment; answers the information when it had to be set back.
  QString UstawTypModyfikacji(int indeks);

  // A contractor (a KONTRAHENCI row) chosen for a party; the text the field shows.
  QString WypelnijStrone(Strona s, const host::Row& kontrahent);
  void WyczyscStrone(Strona s);
  QString NazwaStrony(Strona s) const;
  // The transit row's columns the stored declaration fills: those read from the document
  // (GetXML first), the register and the contractors chosen for consignor and consignee.
  QVariantMap KolumnyTranzytu() const;
  void DodajAEO(const QString& kod, const QString& numer);
  void UsunAEO(const QString& kod);

  void PowtorzDane();
  void TransportNaGranice();
  void TransportZGranicy();

  // The guarantee summary the field shows, and a guarantee from the host register (a
  // GWARANCJE row) put into the list; `wymien` empties the list first.
  QString PodsumowanieGwarancji() const;
  // The register's SYMBOL of the declaration's first guarantee, where the register opens.
  QString SymbolGwarancji() const;
  void DodajGwarancje(const host::Row& gwarancja, bool wymien);
  // The warning after the guarantees changed, empty when none.
  QString OstrzezenieGwarancji() const;

  QStringList Zamkniecia() const;
  QString Nakladajacy() const;
  // False (nothing written) when there are more seals than the message carries.
  bool UstawZamkniecia(const QStringList& linie, const QString& nakladajacy);

  // Goods items: a new one (0 when there are 999 already), removal by number, a grid row
  // refreshed from its item.
  int DodajTowar();
  void UsunTowar(int poz_id);
  void OdswiezTowar(int poz_id);
  xml::Group Towar(int poz_id);
  // Before a goods item is edited: the header's countries written into the document, and
  // whether the item's own panel (type, countries, consignor, consignee) is shown.
  void ZapiszKrajeNaglowka();
  bool PanelPozycjiWidoczny() const;

  // Every field that is refused, in the form's order. `jest_kod` answers whether a code is in
  // an NCTS dictionary; `po_wyswietleniu` turns on the principal's check, which runs only
  // once the form was shown.
  using JestKodFn = std::function<bool(int slownik, const QString& kod)>;
  std::vector<BladPola> Sprawdz(const JestKodFn& jest_kod, bool po_wyswietleniu = true) const;

 private:
  void NowyDokument();
  void CzytajPola();
  void CzytajTowary();
  xml::Group Grupa(const xml::GroupDesc& desc);
  xml::Group GrupaStrony(Strona s, bool utworz);
  std::optional<host::Row> WierszRejestru() const;

  host::HostContext& ctx_;
  xml::Message doc_;
  std::vector<WierszTowaru> towary_;
  QString tekst_;
  QString mrn_;
  int rejestr_id_ = 0;
  qint64 tranzyt_id_ = 0;
  // The contractors behind the consignor and consignee (0 when none was picked).
  QVariant nadawca_id_, odbiorca_id_;
  bool tylko_do_odczytu_ = false;
  bool sprostowanie_ = false;
};

// The transit row's columns an IE015 document carries: PU, TIR, TIR_NUMER, the means of
// transport, gross mass, packages and the consignor's and consignee's names.
QVariantMap KolumnyTranzytuIE015(const xml::Message& doc);

// The checks of a text from another system before it is stored as a new declaration: it
// parses, it is an IE015, it has at most 999 goods items. Empty when it will do.
QString SprawdzImportowanyTekst(const QString& text);

}  // namespace velmora::departure
