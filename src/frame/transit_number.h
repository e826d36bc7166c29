#pragma once

#include <QString>

namespace velmora::host {
class Clock;
class Db;
}  // namespace velmora::host

namespace velmora::frame {

struct NumerTranzytu {
  int rok = 0;
  int miesiac = 0;
  int nr = 0;
  QString numer;  // "15/2024"
};

// The next register number of a transit of kind `rodzaj` in register `rejestr_id` (0 for a
// transit made under "<wszystkie>", which is stored with register 0): numbers restart each year.
NumerTranzytu NadajNumerTranzytu(host::Db& db, const host::Clock& clock, int rodzaj, int rejestr_id);

}  // namespace velmora::frame
