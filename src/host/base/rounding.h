#pragma once

#include <cfloat>
#include <cmath>

namespace velmora::host {

// The host's rounding: halves away from zero, after the error of the binary form is taken out
// (1.005 is a half, although its double lies just below it).
inline double RoundTo(double value, int decimals) {
  const double factor = std::pow(10.0, decimals);
  return std::round(value * factor * (1.0 + 4 * DBL_EPSILON)) / factor;
}

// Cents(x): x rounded to 0.01.
inline double Cents(double value) { return RoundTo(value, 2); }

}  // namespace velmora::host
