#pragma once

#include <QStringList>

namespace velmora::host {

class Db;
class TToolsDB;

// The host's own tables: users, options, the simplified-procedure registers.
void HostSchema(TToolsDB& tools);

// Runs the host's own schema, then every registered routine; answers what was created.
QStringList CheckChangeDB(Db& db);

}  // namespace velmora::host
