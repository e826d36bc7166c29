#pragma once

#include "host/db/db.h"

#include <QString>

#include <vector>

#include <stdexcept>

namespace velmora::host {
struct HostContext;
}

namespace velmora::frame {
struct NumerTranzytu;
}

namespace velmora::lists {

// The filter of a transit list: the active register, the tab (0 all, 1 WPT, 2 TIR) and the
// user whose transits are shown (-100 for everybody).
struct FiltrListy {
  int rejestr_id = 0;
  int zakladka = 0;
  int uzytkownik_id = -100;
  QString uzytkownik_nazwa;
};

inline constexpr int kWszyscyUzytkownicy = -100;

// What the departure list (kind 0) and the arrival list (kind 1) share.
class ListaTranzytow {
 public:
  ListaTranzytow(host::HostContext& ctx, int rodzaj);

  int Rodzaj() const { return rodzaj_; }
  // Section of the window's options: its class name.
  QString Sekcja() const;
  QString Select() const;
  // The conditions joined by " and ".
  QString Warunki(const FiltrListy& filtr) const;
  static QString Order() { return QStringLiteral("t.ID_TRANZYTY desc"); }

  // The user filter kept per user between runs.
  FiltrListy WczytajFiltr();
  void ZapiszFiltr(const FiltrListy& filtr);

  // Deleting: the refusal's text, empty when the transit may go with its messages.
  QString CzyMoznaUsunac(qint64 id);
  void Usun(qint64 id);
  // A copy of the transit as a new one with its latest declaration (or notification);
  // answers the new transit's id, 0 when there was nothing to copy.
  qint64 Kopiuj(qint64 id, QString* informacja);
  // A new transit numbered in the active register, with its first message (IE015 or IE007,
  // status 1) holding the editor's document; the editor's transit columns are set on it, and
  // the arrival editor's costs stored with it, all in one transaction.
  qint64 UtworzTranzyt(const QVariantMap& kolumny, const QString& nr_wlasny, const QString& xml,
                       const std::vector<QVariantMap>* koszty = nullptr);
  // Numbering in a register is one user's at a time: the name of that lock, and how long a
  // second user waits for it (attempts 100 ms apart).
  QString NazwaBlokadyNumeru(int rejestr_id) const;
  void UstawProbyBlokady(int attempts) { lock_attempts_ = attempts; }
  // "Przywróć numer MRN" when the transit has none.
  bool NaprawMRN(qint64 id);
  // Fills the shared record the message list reads its caption from.
  void UstawZakonczenieInfo(qint64 id);

 private:
  frame::NumerTranzytu Numeruj(int rejestr_id);
  qint64 WstawTranzyt(const frame::NumerTranzytu& n, const QVariantMap& kolumny);
  void WstawPierwszyKomunikat(qint64 tranzyt, int blad, int status, const QString& nr_wlasny, const QString& xml);
  host::HostContext& ctx_;
  int rodzaj_;
  int lock_attempts_ = 50;
};

// A transit could not be numbered because another user holds the numbering.
class NumeracjaZajeta : public std::runtime_error {
 public:
  NumeracjaZajeta() : std::runtime_error("numeracja zajęta") {}
  static QString Tekst() { return QStringLiteral("Numer tranzytu nadaje w tej chwili inny użytkownik. Spróbuj ponownie."); }
};

}  // namespace velmora::lists
