#pragma once

#include <QString>

#include <optional>

namespace velmora::departure {

// The security calculation a goods item records in its "CAL" additional-information entry.
struct CalEntry {
  double kwota = 0.0;  // the amount, rounded to 2 decimals
  QString grn;         // the guarantee reference number
};

// Reads the entry's text: the amount is the text up to two characters after its first full
// stop, the GRN the text from the fifth character after that full stop to its end.
std::optional<CalEntry> CalZTekstu(const QString& text);

}  // namespace velmora::departure
