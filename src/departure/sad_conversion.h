#pragma once

#include "host/host_context.h"
#include "host/sad_print.h"
#include "host/xml/messages.h"

#include <QString>

namespace velmora::departure {

// The SAD form of a declaration (IE015) or its amendment (IE013); `mrn` is the transit's,
// empty before the customs office has allocated one.
host::SadDocument NCTS2_SAD(const xml::Message& deklaracja, const QString& mrn);

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
