#pragma once

#include <QString>

namespace velmora::host {
struct HostContext;
}

namespace velmora::departure {

// The stored declaration rebuilt as a fresh IE015, with the place, date and person of filling;
// empty (after telling the user) when no place of filling is known.
QString KopiujIE015toIE015(host::HostContext& ctx, const QString& stored);

// The stored IE015-shaped amendment rebuilt as an IE013. Its header names the declaration by
// the LRN for an amendment of kind 2 (notice of presentation), by the MRN otherwise.
QString KopiujIE015toIE013(host::HostContext& ctx, const QString& stored, const QString& mrn, const QString& lrn, int rodzaj);

}  // namespace velmora::departure
