#pragma once

namespace velmora::host {

class TToolsDB;

// The export and warehouse modules' tables the release accounting of a departure reads:
// EX_SAD, EX_ZGLOSZ, CZZAM, CZRozPoz, CZEW (only the columns read here).
void WarehouseSchema(TToolsDB& tools);

}  // namespace velmora::host
