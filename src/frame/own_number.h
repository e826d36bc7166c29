#pragma once

#include <QString>

namespace velmora::host {
class Clock;
class Db;
class Options;
}  // namespace velmora::host

namespace velmora::frame {

// The own number (local reference) of a message: two-digit year, type code, six base-36
// digits of the counter, the first character of the NCTS/PREFIKS option ("0" by default).
QString NadajNrWlasny(host::Options& options, int year, const QString& typ, qint64 counter);
// The same for the current year.
QString NadajNrWlasny(host::Options& options, const host::Clock& clock, const QString& typ, qint64 counter);
// The own number of the stored message `id`: kept when it has one, otherwise assigned and
// written both into the document's header and into the row, in one transaction.
QString NadajNrWlasny(host::Db& db, host::Options& options, const host::Clock& clock, qint64 id);

// Six base-36 digits, most significant first; higher digits are dropped.
QString Base36Six(qint64 value);

}  // namespace velmora::frame
