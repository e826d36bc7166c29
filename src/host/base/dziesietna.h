#pragma once

#include <QString>

// Money and rates without binary fractions.
namespace velmora::host {

// A decimal in 1/10000 units: rates and values are computed without binary fractions.
class Dziesietna {
 public:
  static constexpr qint64 kSkala = 10000;
  constexpr Dziesietna() = default;
  static constexpr Dziesietna ZSurowej(qint64 v) { Dziesietna d; d.v_ = v; return d; }
  static constexpr Dziesietna Cala(qint64 v) { return ZSurowej(v * kSkala); }
  // Text as typed: blanks trimmed, a decimal comma taken as a point, more than four decimals
  // rounded half away from zero. Empty or unreadable text is 0 (`ok` tells which).
  static Dziesietna Z(const QString& text, bool* ok = nullptr);
  // A rate of the host (a double) taken at four decimals, rounded as the host rounds.
  static Dziesietna ZKursu(double kurs);
  qint64 Surowa() const { return v_; }
  // With exactly `miejsca` decimals (0..4) and a point; rounded half away from zero.
  QString Tekst(int miejsca) const;
  friend constexpr bool operator==(Dziesietna a, Dziesietna b) { return a.v_ == b.v_; }

 private:
  qint64 v_ = 0;
};

// Whole(a × b ÷ c) exactly, halves away from zero (the host's rounding rule); c > 0.
qint64 CalaZIlorazu(Dziesietna a, Dziesietna b, qint64 c);

// n ÷ d rounded to a whole number, d > 0: halves away from zero, or halves to the even one.
qint64 CalaZ(__int128 n, __int128 d);
qint64 CalaDoParzystej(__int128 n, __int128 d);

}  // namespace velmora::host
