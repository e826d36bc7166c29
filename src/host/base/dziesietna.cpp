#include "host/base/dziesietna.h"

#include "host/base/rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora::host {

qint64 CalaZ(__int128 n, __int128 d) {
  __int128 q = n / d;
  const __int128 r = n % d;
  if ((r < 0 ? -r : r) * 2 >= d) q += (n < 0 ? -1 : 1);
  return static_cast<qint64>(q);
}

qint64 CalaDoParzystej(__int128 n, __int128 d) {
  __int128 q = n / d;
  const __int128 r = n % d;
  const __int128 dwa_r = (r < 0 ? -r : r) * 2;
  if (dwa_r > d || (dwa_r == d && q % 2 != 0)) q += (n < 0 ? -1 : 1);
  return static_cast<qint64>(q);
}

Dziesietna Dziesietna::Z(const QString& text, bool* ok) {
  if (ok) *ok = false;
  QString t = text.trimmed();
  t.remove(QLatin1Char(' '));
  t.remove(QChar(0x00A0));
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ujemna = false;
  int i = 0;
  if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) ujemna = t[i++] == QLatin1Char('-');
  qint64 cale = 0;
  int cyfry = 0;
  for (; i < t.size() && t[i].isDigit(); ++i, ++cyfry) {
    if (cyfry >= 14) return {};
    cale = cale * 10 + t[i].digitValue();
  }
  qint64 ulamek = 0;
  int miejsca = 0;
  bool wiecej = false;  // the fifth decimal decides the rounding; the rest only whether it is exact
  int piata = 0;
  if (i < t.size() && t[i] == QLatin1Char('.')) {
    for (++i; i < t.size() && t[i].isDigit(); ++i, ++cyfry) {
      if (miejsca < 4) {
        ulamek = ulamek * 10 + t[i].digitValue();
        ++miejsca;
      } else if (!wiecej) {
        piata = t[i].digitValue();
        wiecej = true;
      }
    }
  }
  if (i != t.size() || cyfry == 0) return {};
  for (; miejsca < 4; ++miejsca) ulamek *= 10;
  qint64 v = cale * kSkala + ulamek + (piata >= 5 ? 1 : 0);
  if (ok) *ok = true;
  return ZSurowej(ujemna ? -v : v);
}

Dziesietna Dziesietna::ZKursu(double kurs) { return ZSurowej(std::llround(RoundTo(kurs, 4) * kSkala)); }

QString Dziesietna::Tekst(int miejsca) const {
  miejsca = std::clamp(miejsca, 0, 4);
  qint64 dzielnik = 1;
  for (int i = miejsca; i < 4; ++i) dzielnik *= 10;
  const qint64 v = CalaZ(v_, dzielnik);  // in 10^-miejsca units
  const qint64 a = v < 0 ? -v : v;
  qint64 skala = 1;
  for (int i = 0; i < miejsca; ++i) skala *= 10;
  QString out = (v < 0 ? QStringLiteral("-") : QString()) + QString::number(a / skala);
  if (miejsca > 0) out += QLatin1Char('.') + QString::number(a % skala).rightJustified(miejsca, QLatin1Char('0'));
  return out;
}

qint64 CalaZIlorazu(Dziesietna a, Dziesietna b, qint64 c) {
  return CalaZ(static_cast<__int128>(a.Surowa()) * b.Surowa(), static_cast<__int128>(c) * Dziesietna::kSkala * Dziesietna::kSkala);
}

}  // namespace velmora::host
