#include "host/db/warehouse_tables.h"

#include "host/db/tools_db.h"

namespace velmora::host {

namespace {

using T = FieldType;

const ColumnDecl kExSad[] = {{"ID_IM", T::Integer, 0, ""}, {"NCTS", T::SmallInt, 0, ""}, {"IdNCTS", T::Integer, 0, ""},
                         {"PU_ID_IM", T::Integer, 0, ""}, {"ID_ZGLOSZ", T::Integer, 0, ""}};
const ColumnDecl kExZglosz[] = {{"PROCEDURA", T::String, 10, ""}};
const ColumnDecl kCzZam[] = {{"ID_ZGLOSZ", T::Integer, 0, ""}, {"TYPZGLOSZ", T::SmallInt, 0, ""}, {"PROCEDURA", T::String, 10, ""}};
const ColumnDecl kCzRozPoz[] = {{"ID_ZAM", T::Integer, 0, ""}, {"ID_EW", T::Integer, 0, ""}, {"P47", T::Float, 0, ""}};
const ColumnDecl kCzEw[] = {{"ID_GWAR", T::Integer, 0, ""}, {"NRSAD", T::String, 50, ""}, {"DATASAD", T::Date, 0, ""},
                        {"GWAR_NOWA_POZ", T::Integer, 0, ""}};

}  // namespace

void WarehouseSchema(TToolsDB& tools) {
  const TableDecl tables[] = {
      {"EX_SAD", Columns(kExSad), {{"EX_SAD_IDX1", {"IdNCTS"}}}},
      {"EX_ZGLOSZ", Columns(kExZglosz)},
      {"CZZAM", Columns(kCzZam)},
      {"CZRozPoz", Columns(kCzRozPoz)},
      {"CZEW", Columns(kCzEw)},
  };
  for (const TableDecl& t : tables) DeclareTable(tools, t);
}

}  // namespace velmora::host
