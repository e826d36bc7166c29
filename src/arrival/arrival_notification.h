#pragma once

#include "arrival/arrival_cost.h"
#include "host/db/db.h"
#include "host/base/dziesietna.h"
#include "host/db/record_store.h"
#include "host/xml/messages.h"

#include <QDate>
#include <QString>
#include <QVariantMap>

#include <vector>

namespace velmora::host {
struct HostContext;
}

namespace velmora::arrival {

// The guarantee an arrival charges and its amount: picked from the host's register among the
// kinds an arrival may use, or cleared. The unloading remarks use the same fields.
struct PolaGwarancji {
  qint64 id = 0;
  QString numer;  // the GRN shown
  QString kwota;  // whole złoty
  static const QStringList& Rodzaje();  // 'MCS', 'KCS', 'KCS-MCS'
  void Wybierz(const host::Row& gwarancja);
  void Wyczysc();
};

// A trader's six fields.
struct PolaPodmiotu {
  QString nazwa, kod_pocztowy, miejscowosc, ulica, kraj, tin;
};

// Where the TIN of a contractor comes from when it has no EORI.
enum class TinKontrahenta {
  NipZZerami,          // the NIP (17) followed by "00000": the consignor, the representative
  NipZZeramiPelny,     // the trimmed NIP followed by "00000": the default trader at destination
  Nip,                 // the NIP (17): the trader chosen in the editor
};
PolaPodmiotu PodmiotZKontrahenta(const host::Row& k, TinKontrahenta tin);
// The six fields of a trader's group.
PolaPodmiotu CzytajPodmiot(const xml::Group& g);
// The six fields written into a trader's group; an empty one removed unless `puste`.
void ZapiszPodmiot(xml::Group g, const PolaPodmiotu& p, bool puste = false);
QString TinZKontrahenta(const host::Row& k, TinKontrahenta tin);
// The consignee's six fields written into its group (an empty one removed), with its
// representative's TIN (the representative removed when empty).
void ZapiszOdbiorce(xml::Group o, const PolaPodmiotu& odbiorca, const QString& przedstawiciel_tin);

// The arrival notification editor's fields.
struct PolaPrzybycia {
  QString nr_wlasny, data_utworzenia, mrn, miejsce, rejestr;
  bool uproszczona = false;
  QString nr_pozwolenia, uc_przedstawienia;
  int lokalizacja = 0;  // 0 none, 1..4
  QString opis_lokalizacji;
  PolaPodmiotu odbiorca;
  QString przedstawiciel_tin;
  PolaPodmiotu nadawca;
  bool tir = false;
  QString karnet_tir, st, st_rodz, st_kraj, masa_brutto, liczba_opakowan;
  QString wartosc_towaru, waluta, kurs, tabela_nbp, wartosc_stat, ryczalt;
  QDate data;
  PolaGwarancji gwarancja;
};

struct WierszZdarzenia {
  int poz_id = 0;
  QString miejsce, kraj;
  bool w_systemie = false;
};

// What the editor hands the list's store.
struct WynikPrzybycia {
  QString xml;
  QVariantMap kolumny_tranzytu;
  std::vector<QVariantMap> koszty;
};

extern const QStringList kLokalizacje;  // "", "Miejsce uznane", ... as the pick list shows them

// What the arrival notification editor does, without its widgets.
class ZawiadomienieIE007 {
 public:
  explicit ZawiadomienieIE007(host::HostContext& ctx);

  // The list row the editor is opened on (ID_TRANZYTY or TRANZYTY_ID, STATUS, REJESTRY_ID,
  // RYCZALT): the transit's columns, its costs, and its newest IE007 through SetXML.
  void BeforeActivate(const QVariantMap& wiersz);
  bool TylkoDoOdczytu() const { return tylko_do_odczytu_; }
  // The XML of the transit's newest IE007; empty when it has none.
  QString NajnowszyTekst() const;
  qint64 Tranzyt() const { return tranzyt_id_; }

  // A text that does not parse (none for a new message) starts a new document with the
  // register's, the user's and the contractor's defaults.
  void SetXML(const QString& text);
  QString GetXML();
  xml::Message& Dokument() { return doc_; }

  PolaPrzybycia pola;
  int rejestr_id = 0;
  qint64 nadawca_id = 0, odbiorca_id = 0;

  // Pickers' rows applied.
  void UstawRejestr(const host::Row& rejestr);
  void UstawOdbiorce(const host::Row& kontrahent);
  void UstawNadawce(const host::Row& kontrahent);
  void UstawPrzedstawiciela(const host::Row& kontrahent);

  // The calculations, each answering what it set.
  host::Dziesietna PrzeliczKurs();
  qint64 PrzeliczWartoscStatystyczna();
  qint64 PrzeliczKwote();

  // Events: a new one in the document (none and a warning when there are 9), kept or taken
  // back after its box; one by its row; deleted after the question.
  const std::vector<WierszZdarzenia>& Zdarzenia() const { return zdarzenia_; }
  xml::Group DodajZdarzenie();
  void CofnijZdarzenie(const xml::Group& zdarzenie);
  xml::Group Zdarzenie(int indeks) const;
  void OdswiezZdarzenia();
  bool UsunZdarzenie(int indeks);

  // Costs: the working copy of TRANZYTY_KOSZTY.
  const std::vector<QVariantMap>& Koszty() const { return koszty_; }
  KosztIE007 NowyKoszt() const;
  KosztIE007 KosztDoPoprawy(int indeks) const;
  void DodajKoszt(const KosztIE007& koszt);
  void PoprawKoszt(int indeks, const KosztIE007& koszt);
  bool UsunKoszt(int indeks);

  // Every refused field in the form's order, then (once they pass) the MRN held by another
  // arrival transit.
  host::FieldErrors Sprawdz() const;
  QString MRNWInnymTranzycie() const;

  WynikPrzybycia Wynik();

 private:
  void NowyDokument();
  void CzytajDokument();
  std::optional<host::Row> Kontrahent(qint64 id) const;

  host::HostContext& ctx_;
  xml::Message doc_;
  std::vector<WierszZdarzenia> zdarzenia_;
  std::vector<QVariantMap> koszty_;
  qint64 tranzyt_id_ = 0;
  bool tylko_do_odczytu_ = false;
};

}  // namespace velmora::arrival
