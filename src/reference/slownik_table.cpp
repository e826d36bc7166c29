#include "slownik_table.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace velmora::reference {

void SlownikTable::Append(const QString& kod, const QString& opis) {
  rows_.push_back({kod.left(kKodSize), opis.left(kOpisSize)});
}

void SlownikTable::BuildIndex() {
  order_.resize(rows_.size());
  std::iota(order_.begin(), order_.end(), 0);
  std::stable_sort(order_.begin(), order_.end(),
                   [this](int32_t a, int32_t b) { return rows_[static_cast<size_t>(a)].kod < rows_[static_cast<size_t>(b)].kod; });
  // A prefix matches a contiguous run of order_, but the run is sorted by code, not by row:
  // a sparse table answers "first row in the run" in constant time.
  first_row_.assign(1, order_);
  for (size_t width = 2; width <= order_.size(); width *= 2) {
    const std::vector<int32_t>& prev = first_row_.back();
    std::vector<int32_t> level(order_.size() - width + 1);
    for (size_t i = 0; i < level.size(); ++i) level[i] = std::min(prev[i], prev[i + width / 2]);
    first_row_.push_back(std::move(level));
  }
}

int32_t SlownikTable::FirstRowIn(size_t from, size_t to) const {
  const size_t k = static_cast<size_t>(std::bit_width(to - from)) - 1;
  return std::min(first_row_[k][from], first_row_[k][to - (size_t{1} << k)]);
}

qsizetype SlownikTable::Locate(const QString& code) const {
  const auto kod_of = [this](int32_t row) -> const QString& { return rows_[static_cast<size_t>(row)].kod; };
  const auto from = std::lower_bound(order_.begin(), order_.end(), code,
                                     [&](int32_t row, const QString& c) { return kod_of(row) < c; });
  if (from == order_.end()) return -1;
  if (kod_of(*from) == code) return *from;  // equal codes are ordered by row: this is the first
  const auto to = std::partition_point(from, order_.end(), [&](int32_t row) { return kod_of(row).startsWith(code); });
  if (to == from) return -1;
  return FirstRowIn(static_cast<size_t>(from - order_.begin()), static_cast<size_t>(to - order_.begin()));
}

}  // namespace velmora::reference
