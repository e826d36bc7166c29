#include "host/reports/code128.h"

#include <QPainter>
#include <QRectF>

#include <array>

namespace velmora::host {

namespace {

// Bar, space, bar, space, bar, space widths of the values 0 to 105; the stop pattern follows.
constexpr std::array<const char*, 106> kPatterns{
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char* kStop = "2331112";

void Append(std::vector<int>& widths, const char* pattern) {
  for (const char* p = pattern; *p; ++p) widths.push_back(*p - '0');
}

}  // namespace

int Code128::Modules() const {
  int n = 0;
  for (const int w : widths) n += w;
  return n;
}

Code128 Code128B(const QString& text) {
  Code128 code;
  if (text.isEmpty()) return code;
  code.symbols.push_back(kCode128StartB);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 32 || u > 126) return {};
    code.symbols.push_back(u - 32);
  }
  // The start counts once, every character by its position.
  int sum = kCode128StartB;
  for (size_t i = 1; i < code.symbols.size(); ++i) sum += code.symbols[i] * static_cast<int>(i);
  code.symbols.push_back(sum % 103);
  for (const int v : code.symbols) Append(code.widths, kPatterns[v]);
  Append(code.widths, kStop);
  return code;
}

void PaintCode128(QPainter& painter, const QRectF& rect, const Code128& code) {
  if (code.IsNull() || rect.isEmpty()) return;
  const qreal module = rect.width() / (code.Modules() + 2 * kCode128QuietModules);
  qreal x = rect.left() + kCode128QuietModules * module;
  bool bar = true;
  for (const int w : code.widths) {
    if (bar) painter.fillRect(QRectF(x, rect.top(), w * module, rect.height()), Qt::black);
    x += w * module;
    bar = !bar;
  }
}

}  // namespace velmora::host
