#pragma once

#include <QString>

#include <vector>

class QPainter;
class QRectF;

namespace velmora::host {

// A Code 128 symbol in code set B (ASCII 32 to 126: the MRN's digits and capitals).
struct Code128 {
  // Symbol values in print order: start B (104), one per character, the check symbol.
  std::vector<int> symbols;
  // Module widths from the first bar on, bars and spaces alternating, stop pattern included.
  std::vector<int> widths;

  bool IsNull() const { return widths.empty(); }
  int Modules() const;
};

inline constexpr int kCode128StartB = 104;
inline constexpr int kCode128QuietModules = 10;  // the light margin each side that readers need

// Empty when the text is empty or has a character outside code set B.
Code128 Code128B(const QString& text);

// Paints the bars black across `rect`, the quiet zones included, the modules stretched to its width.
void PaintCode128(QPainter& painter, const QRectF& rect, const Code128& code);

}  // namespace velmora::host
