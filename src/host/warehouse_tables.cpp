#include "warehouse_tables.h"

#include "tools_db.h"

namespace velmora::host {

namespace {

struct Column {
  const char* name;
  FieldType type;
  int width;
};

template <size_t N>
void Declare(TToolsDB& tools, const char* table, const Column (&columns)[N]) {
  const QString t = QString::fromLatin1(table);
  tools.CreateTable(t);
  tools.CommitQ();
  for (const Column& c : columns) tools.AddField(t, QString::fromLatin1(c.name), c.type, c.width);
  AddAuditFields(tools, t);
  tools.CommitQ();
}

using T = FieldType;

const Column kExSad[] = {{"ID_IM", T::Integer, 0}, {"NCTS", T::SmallInt, 0}, {"IdNCTS", T::Integer, 0},
                         {"PU_ID_IM", T::Integer, 0}, {"ID_ZGLOSZ", T::Integer, 0}};
const Column kExZglosz[] = {{"PROCEDURA", T::String, 10}};
const Column kCzZam[] = {{"ID_ZGLOSZ", T::Integer, 0}, {"TYPZGLOSZ", T::SmallInt, 0}, {"PROCEDURA", T::String, 10}};
const Column kCzRozPoz[] = {{"ID_ZAM", T::Integer, 0}, {"ID_EW", T::Integer, 0}, {"P47", T::Float, 0}};
const Column kCzEw[] = {{"ID_GWAR", T::Integer, 0}, {"NRSAD", T::String, 50}, {"DATASAD", T::Date, 0},
                        {"GWAR_NOWA_POZ", T::Integer, 0}};

}  // namespace

void WarehouseSchema(TToolsDB& tools) {
  Declare(tools, "EX_SAD", kExSad);
  Declare(tools, "EX_ZGLOSZ", kExZglosz);
  Declare(tools, "CZZAM", kCzZam);
  Declare(tools, "CZRozPoz", kCzRozPoz);
  Declare(tools, "CZEW", kCzEw);
}

}  // namespace velmora::host
