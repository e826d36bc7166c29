#pragma once

#include "host/base/host_context.h"
#include "host/reports/sad_print.h"
#include "host/xml/messages.h"

#include <QDate>
#include <QString>

#include <optional>

namespace velmora::departure {

// What the printout takes from the message row and its transit rather than from the document.
struct DaneWydrukuSAD {
  QString mrn;                   // the transit's; empty before the customs office allocates one
  QString lrn;                   // the transit's, box 7 of an amendment whose document names none
  bool sprostowanie = false;     // the row is an IE013, which is stored in the declaration's shape
  std::optional<int> rodzaj_sprostowania;  // IE013_RODZAJ
  bool wyslane = false;          // the row's status is sent (2) or later
  xml::Message wyslany;          // the file sent to the office, when the row keeps one
  QString miejsce;               // box 50's place when no sent file names one
  QDate dzisiaj;
};

// The SAD form of a declaration (IE015) or its amendment (IE013).
host::SadDocument NCTS2_SAD(const xml::Message& deklaracja, const DaneWydrukuSAD& dane = {});

struct WydrukSAD {
  QString pdf;   // the written file, absolute; empty when nothing was written
  QString blad;  // why not, in the words shown to the user
  bool Ok() const { return blad.isEmpty(); }
};

// Where the printout of a message goes by default: "TEMP/SAD_<id>.pdf" below the application
// root, or in the system's temporary folder when there is no root.
QString PlikSAD(const host::HostContext& ctx, qint64 id_pozycji);

// Prints the declaration stored in message row `id_pozycji` of TRANZYTY_POZYCJE, with its
// transit's MRN, to `pdf_file` (PlikSAD when empty). Shows nothing and opens nothing.
WydrukSAD DrukujSAD(host::HostContext& ctx, qint64 id_pozycji, const QString& pdf_file = {});

}  // namespace velmora::departure
