#pragma once

#include "host/base/dziesietna.h"
#include "host/db/exchange_rates.h"
#include "host/xml/group.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace velmora::host {
struct HostContext;
}

namespace velmora::departure {

// The texts the computation label shows instead of a computation. Lines of label texts are
// separated by "\r"; a widget turns them into its own line breaks.
extern const QString kZabezpieczenieTIR;  // "Dla karnetów TIR nie obliczamy ..."
QString BrakKursuWaluty(const QString& waluta);  // "BRAK kursu waluty " + currency + " !"

// Decimals of the host, as the computation takes them.
using host::CalaZIlorazu;
using host::Dziesietna;

// What the goods item editor hands over: the inputs as typed and the editor's state.
struct WejscieZabezpieczenia {
  QString stawka_cla, stawka_cla_dodatkowego, stawka_vat;
  QString wartosc, waluta_wartosci;
  bool tir = false;           // the declaration type is "TIR"
  bool automatycznie = true;  // "oblicz i wpisz kwotę zabezp. automatycznie"
  QString grn;                // the remembered guarantee reference

  // The rates, value and currency as a goods item's stored security element holds them.
  static WejscieZabezpieczenia ZElementu(const xml::Group& zabezpieczenie);
};

// Whole złoty, as the computation leaves them.
struct WynikZabezpieczenia {
  bool policzone = false;  // false: TIR or no rate; `etykieta` says which
  QString etykieta;        // the computation label's text
  qint64 wartosc_pln = 0, a00 = 0, a30 = 0, podstawa_vat = 0, b00 = 0, razem = 0;
  bool kwota_wpisana = false;  // Kwota, Waluta and GRN were filled (the editor shows them)
};

// The rate of a currency for today; none when the host has no rate.
using KursyWalut = std::function<std::optional<host::Kurs>(const QString& waluta)>;
// From the host's exchange rates, today's date from ctx.clock.
KursyWalut KursyNaDzis(host::HostContext& ctx);
// The same, each currency read once.
KursyWalut KursyNaDzisZPamiecia(host::HostContext& ctx);

// The goods item's calculation element (DaneKrajowe/Zabezpieczenie), created on demand.
xml::Group ElementZabezpieczenia(xml::Group towar);

// ObliczZabezp: writes the inputs and, unless refused, the rate, W, A00, A30, VAT base, B00
// and total into `zabezpieczenie`; with `automatycznie` and a total above 0 also the amount
// (in PLN, its rate 1 per 1) and the GRN. A refusal leaves the amount as it was.
WynikZabezpieczenia ObliczZabezp(host::HostContext& ctx, xml::Group zabezpieczenie, const WejscieZabezpieczenia& we);
WynikZabezpieczenia ObliczZabezp(const KursyWalut& kursy, xml::Group zabezpieczenie, const WejscieZabezpieczenia& we);

// PokazObliczenia: the label's text from the stored element; lines separated by "\r",
// columns by tabs. Empty when no total has been computed.
QString PokazObliczenia(const xml::Group& zabezpieczenie, bool tir);

// Leaving the amount's currency field: KursWalutyKwoty (4 decimals) and JednostkiWalutyKwoty
// of today; "1" and "1" for PLN. False (rate "0.0000") when the host has no rate.
bool UstawKursWalutyKwoty(host::HostContext& ctx, xml::Group zabezpieczenie, const QString& waluta);

// One goods item of a stored declaration, computed from its stored inputs.
struct LiniaZabezpieczenia {
  int poz_id = 0;
  QString odmowa;  // the refusal (no rate, TIR); empty when computed
  qint64 wartosc_pln = 0, a00 = 0, a30 = 0, b00 = 0, razem = 0;
};

// Every goods item of a stored IE015 (or IE013) text, in document order; each currency's rate
// is read once. Nothing is stored. Throws xml::XmlParseError or xml::BindingError when the
// text is not such a declaration.
std::vector<LiniaZabezpieczenia> ZabezpieczenieDeklaracji(host::HostContext& ctx, const QString& stored_ie015_xml);

// "PozId\tWartośćPLN\tA00\tA30\tB00\tRazem" per item (or "PozId\t" + the refusal on one line),
// then "Razem\t" + the sum of the computed totals; amounts with 2 decimals.
QStringList FormatujZabezpieczenie(const std::vector<LiniaZabezpieczenia>& linie);

}  // namespace velmora::departure
