#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace velmora::host {

struct HostContext;

// The NCTS role an office field needs.
enum class RolaUC { Dowolna, Wyjscia, Przeznaczenia, Tranzytowy, Wyprowadzenia };

// The column of `UC` that flags the role ("DEP", "DES", "TRA", "EXT"); empty for any role.
QString KolumnaRoli(RolaUC rola);

// One office of a customs office list file.
struct UrzadCelny {
  QString kod;
  QString nazwa;
  QString kraj;
  QString telefon;
  QStringList role;  // NCTS role codes, each once, sorted
};

// A customs office list file: the published array of offices, or the shipped form that wraps
// that array with its source and date.
struct WykazUC {
  QString zrodlo;
  QString data;  // yyyy-MM-dd of the list; empty when the file does not say
  std::vector<UrzadCelny> urzedy;
};

// A file that is not a customs office list; the text says why, in the system's words.
class WykazUCError : public std::runtime_error {
 public:
  explicit WykazUCError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

// The name of a customs office list file in the shipped lists and in an update folder.
inline constexpr const char* kPlikWykazuUC = "customs-offices.json";

WykazUC ParseWykazUC(const QByteArray& json);
WykazUC CzytajWykazUC(const QString& path);

// What bringing the table to a list did, by office code.
struct ZmianyUC {
  QStringList dodane;
  QStringList zmienione;
  QStringList wycofane;
  bool Puste() const { return dodane.isEmpty() && zmienione.isEmpty() && wycofane.isEmpty(); }
  // The log: a summary line, then a line per office when `szczegoly`.
  QStringList Log(bool szczegoly) const;
};

// The host's customs office list (`UC`) as the lists fill it and the office fields check it.
class UrzedyCelne {
 public:
  explicit UrzedyCelne(HostContext& ctx) : ctx_(ctx) {}

  // Brings the table to the list in one transaction: adds the new offices, updates those that
  // changed, retires those no longer listed (they stay, so old transits still show them).
  // An office entered or edited by hand is the agency's and is never touched.
  ZmianyUC Aktualizuj(const WykazUC& wykaz);
  // The list shipped in `dir`, applied when the table has none yet or the list is newer than
  // the one applied last; nothing when there is no such file or nothing to do.
  std::optional<ZmianyUC> WczytajDostarczony(const QString& dir);

  // Why a code typed by hand may be wrong for a field needing `rola`; empty when the list
  // confirms it, and when there is no list to check against.
  QString Ostrzezenie(const QString& kod, RolaUC rola);

 private:
  HostContext& ctx_;
};

// An office field of a form, for the check before it is stored.
struct PoleUC {
  QString pole;  // the control's name
  QString kod;
  RolaUC rola;
};

// Asks about each office the list does not confirm whether to store anyway; answers the
// field of the first one the clerk declined, empty when every one may be stored.
QString PotwierdzUrzedy(HostContext& ctx, const std::vector<PoleUC>& pola);

}  // namespace velmora::host
