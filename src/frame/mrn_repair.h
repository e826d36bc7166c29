#pragma once

#include <QString>

namespace velmora::host {
class Db;
}

namespace velmora::frame {

// Restores the transit's MRN from the header of its latest message of type `typ`;
// changes nothing when there is no such message or it carries no MRN.
void NaprawMRN(host::Db& db, qint64 tranzyt_id, const QString& typ);

}  // namespace velmora::frame
