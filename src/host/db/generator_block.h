#pragma once

#include "host/db/db.h"

#include <vector>

namespace velmora::host {

// `count` values of the generator GID_<table> in one round trip, for a bulk insert.
std::vector<qint64> DBGetNewIDs(Db& db, const QString& generator, int count);

}  // namespace velmora::host
