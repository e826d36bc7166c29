#pragma once

#include <QString>

#include <vector>

namespace velmora::host {
class Db;
}

namespace velmora::reference {

// A simplified-procedure register entry waiting for its approval.
struct WpisDoZatwierdzenia {
  int id_im = 0;
  double masa_brutto = 0.0;
};

// The register entries not approved yet (no entry date, or one not after 1900-01-01) whose
// SAD names `mrn` as a previous document of code 820, 821 or 822, in the order of their ids.
std::vector<WpisDoZatwierdzenia> WpisyDlaMRN(host::Db& db, const QString& mrn);

}  // namespace velmora::reference
