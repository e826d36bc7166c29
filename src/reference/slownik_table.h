#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace velmora::reference {

// One entry of a dictionary.
struct SlownikRow {
  QString kod;
  QString opis;
};

// A dictionary's entry table: rows in file order, with an index on `Kod` so that both steps
// of the code search take O(log n).
class SlownikTable {
 public:
  // Column sizes of the entry table; longer texts are cut.
  static constexpr qsizetype kKodSize = 255;
  static constexpr qsizetype kOpisSize = 1000;

  void Append(const QString& kod, const QString& opis);
  // Builds the index; call once every row is in.
  void BuildIndex();

  qsizetype Count() const { return static_cast<qsizetype>(rows_.size()); }
  const SlownikRow& Row(qsizetype row) const { return rows_[static_cast<size_t>(row)]; }

  // The two-step search, case-sensitive: the first row (in file order) whose `Kod` equals
  // `code`, else the first row whose `Kod` begins with it; -1 when neither exists.
  qsizetype Locate(const QString& code) const;

 private:
  // Smallest row number among order_[from, to).
  int32_t FirstRowIn(size_t from, size_t to) const;

  std::vector<SlownikRow> rows_;
  // Row numbers sorted by `Kod`, equal codes by row number.
  std::vector<int32_t> order_;
  // first_row_[k][i]: smallest row number among order_[i, i + 2^k).
  std::vector<std::vector<int32_t>> first_row_;
};

}  // namespace velmora::reference
