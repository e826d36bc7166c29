#pragma once

#include "host/db/db.h"
#include "host/xml/messages.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace velmora::host {
struct HostContext;
}

namespace velmora::departure {

// One row of the guarantees grid: a reference of a group, or a group that has none (lp 0).
struct WierszGwarancji {
  QString rodzaj;
  int lp = 0;  // the reference's position inside its group
  QString numer_grn;
  QString kod_dostepu;
  QString niewazne;
  xml::Group grupa;
  xml::Group gwarancja;  // null for a group without references
};

// What the reference editor shows and hands back.
struct DaneGwarancji {
  QString rodzaj, numer, grn, kod_dostepu;
  bool niewazna_na_ue = false;
  QString niewazne_na_kraj;  // countries joined by ","
};

// A refused confirmation of the reference editor: the control and the text shown at it.
struct BladGwarancji {
  QString pole;
  QString tekst;
};

// The guarantee groups of an IE015 (or of an amendment, which carries the same body): the
// grid of the guarantees box, its add, change and delete, choosing a reference.
class GwarancjeDeklaracji {
 public:
  GwarancjeDeklaracji(xml::Message& msg, host::HostContext& ctx);

  std::vector<xml::Group> Grupy() const;
  // The last group of the type; null when none.
  xml::Group FindGwar(const QString& rodzaj) const;
  // A new group kept in type order; the groups after it are renumbered.
  xml::Group CreateGwar(const QString& rodzaj);
  void ReloadMD();
  const std::vector<WierszGwarancji>& Wiersze() const { return wiersze_; }
  int Biezacy() const { return biezacy_; }
  void UstawBiezacy(int row);
  // Removes the current row's reference after the question; answers whether it did.
  bool DeleteGwar();
  void DeleteAllGwar();
  // The countries of a reference from the text the user typed.
  static void UpdateNiewazneNaKraj(xml::Group& gwarancja, const QString& tekst);

  // The current row as the reference editor opens it; a GWARANCJE row for "Dodaj z listy".
  DaneGwarancji DaneBiezacego() const;
  static DaneGwarancji ZRejestru(const host::Row& gwarancja);
  // The reference editor's confirmation: the texts trimmed (and cleared where the type needs
  // nothing), or the refusal.
  static std::optional<BladGwarancji> Sprawdz(DaneGwarancji& dane);
  // Opens the reference editor on `dane`; false when cancelled.
  using Edytor = std::function<bool(DaneGwarancji& dane)>;
  // Adds (or with `zmiana` changes the current row) through the editor; a new one starts
  // from `z_rejestru` when given. Answers whether the list changed.
  bool SelectGwar(bool zmiana, const Edytor& edytor, const std::optional<host::Row>& z_rejestru = std::nullopt);

  // Choosing mode: the GRN of the current row's reference; none on an empty list.
  std::optional<QString> Wybierz() const;
  // The first guarantee as the declaration's field shows it; empty when there is none.
  QString Podsumowanie() const;

  // The access codes stored for a GRN in the host's guarantee register.
  static QStringList KodyDostepu(host::Db& db, const QString& grn);
  static QStringList ParsujKody(const QString& lista);

  // The boxes work on a copy of the groups and write it back when confirmed.
  static xml::Message Kopia(const xml::Message& msg);
  // Renumbers the groups and puts them in place of `cel`'s.
  void ZapiszDo(xml::Message& cel);

  // The guarantees box in choosing mode: the chosen GRN, none when cancelled.
  static std::optional<QString> WybierzGRN(host::HostContext& ctx, xml::Message& msg, QWidget* parent);
  // The guarantees box to edit the list; true when confirmed.
  static bool Edytuj(host::HostContext& ctx, xml::Message& msg, QWidget* parent);

 private:
  void Renumeruj();
  void Zapisz(xml::Group& gwarancja, const DaneGwarancji& dane);
  void Ustaw(const QString& rodzaj, int lp);
  void UsunGwarancje(const WierszGwarancji& w);

  xml::Message& msg_;
  host::HostContext& ctx_;
  std::vector<WierszGwarancji> wiersze_;
  int biezacy_ = -1;
};

}  // namespace velmora::departure
