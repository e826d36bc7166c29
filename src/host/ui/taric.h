#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace velmora::host {

class Db;
struct HostContext;

// The host's commodity-code check: empty, or 4, 6 or 8 digits. Empty answer when it will do.
QString SprawdzKodTowarowy(const QString& kod);

class TTARIC_BOX {
 public:
  // The CN lookup; answers the chosen code (up to 10 digits).
  static std::optional<QString> SelectCN10(HostContext& ctx, const QString& initial, QWidget* parent = nullptr);
  // The same lookup for an eight-digit field: the chosen code's first 8 digits.
  static std::optional<QString> SelectCN8(HostContext& ctx, const QString& initial, QWidget* parent = nullptr);
};

struct StawkiMaksymalne {
  double clo = 0;
  double vat = 0;
};

class TStawkiBox {
 public:
  // The highest duty and VAT rates among the codes that begin with `kod`; none when no code does.
  static std::optional<StawkiMaksymalne> MaxCloVat(Db& db, const QString& kod);
};

// Loads CN codes from a semicolon-separated text (code;description;duty;VAT, a decimal comma or
// point; a first line naming the columns is skipped), replacing codes already there, in one
// transaction. Answers how many codes were loaded; a line that does not read refuses the whole
// file with its number, and nothing changes.
struct WynikImportuTaric {
  int wczytano = 0;
  QString blad;
};
WynikImportuTaric ImportujTaric(Db& db, const QString& text);
// The same from a file's bytes, which must be UTF-8 (a byte-order mark is skipped).
WynikImportuTaric ImportujTaric(Db& db, const QByteArray& bytes);

// The security data of a goods item's "CAL" entry as text and back: "1605.00; GRN", and after
// the GRN a blank and the currency when it is not złoty — the charge at sending then finds no
// guarantee for it, so a foreign amount is never booked as złoty.
struct ZabezpieczenieInfo {
  QString grn;
  QString waluta = QStringLiteral("PLN");
  double kwota = 0;
};
class TZabezpieczenieCALBox {
 public:
  static QString DaneOZabazpieczeniuNaString(const QString& grn, const QString& waluta, double kwota);
  static std::optional<ZabezpieczenieInfo> StringNaZabezpieczenieInfo(const QString& text);
};

}  // namespace velmora::host
