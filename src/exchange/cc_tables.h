#pragma once

#include "host/xml/cc_binding.h"

#include <QString>

namespace velmora::exchange {

// The table of a CC message of phase 5 or 6, by its code or by the phase-4 type it stands for
// (the first table that writes it); null when the phase has none.
const xml::CcTable* FindCcTable(int faza, const QString& cc_or_ie);

}  // namespace velmora::exchange
