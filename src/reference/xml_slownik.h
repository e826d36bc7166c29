#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace velmora::host {
struct HostContext;
}

// The host's own XML dictionaries beside the NCTS ones: "087a" (number 87, the codes of value
// corrections, each with its sign) and "026a" (number 26, the ISO 4217 currencies). They are
// read and picked like the NCTS lists.
namespace velmora::reference {

class TXmlSlownik_BOX {
 public:
  // The pick list of dictionary `nazwa` ("087a", "026a") on `kod`; TSlownikNCTS_BOX's results.
  static int Listuj(host::HostContext& ctx, const QString& nazwa, QString& kod, QWidget* anchor = nullptr);
  // Whether `kod` is in dictionary `numer` (87, 26): empty when it is, else the host's message.
  static QString SLO(host::HostContext& ctx, int numer, const QString& kod);
};

// The sign a correction code gives its value: subtracted (true), added (false), either (none,
// also for a code the dictionary does not know).
std::optional<bool> CzyKorektaOdejmowana(host::HostContext& ctx, const QString& kod);
// Only a minus typed with a code that is added is a wrong sign.
bool TestujZnakKorekty(host::HostContext& ctx, const QString& kod, const QString& wartosc);
// A number of at most `cyfry` characters with at most `miejsca` decimals (comma or point):
// empty when it is one, else "Wartość musi być liczbą (N,D)" with N and D filled in.
QString Test09Msg(const QString& tekst, int cyfry, int miejsca);

}  // namespace velmora::reference
