#include "cal_entry.h"

#include <cmath>

namespace velmora::departure {

std::optional<CalEntry> CalZTekstu(const QString& text) {
  const qsizetype dot = text.indexOf(QLatin1Char('.'));
  if (dot < 0) return std::nullopt;
  bool ok = false;
  const double amount = text.left(dot + 3).trimmed().toDouble(&ok);
  if (!ok) return std::nullopt;
  return CalEntry{std::round(amount * 100.0) / 100.0, text.mid(dot + 5).trimmed()};
}

}  // namespace velmora::departure
