#pragma once

#include "host/db/db.h"
#include "host/db/tools_db.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <utility>
#include <vector>

namespace velmora::host {

struct HostContext;

// One column of a host table as its list and editor show it.
struct FieldSpec {
  QString column;
  QString caption;
  FieldType type = FieldType::String;
  int width = 0;
  bool required = false;
  bool in_grid = true;
  bool in_editor = true;
  QStringList items;  // a pick list: the column stores the item's index
  bool secret = false;  // a password: typed unseen, kept as typed, stored sealed
  bool may_be_empty = false;  // a date that can hold no date (stored null)
  QString grid_caption;       // the column's header when it differs from the editor's caption
  QVariant initial;     // what a new record holds
};

// A field as the tables declare it (caption in UTF-8).
FieldSpec Field(const char* column, const char* caption, FieldType type = FieldType::String, int width = 0, bool in_grid = true,
                bool required = false);

// A host table with its list window: declared once, used by the schema, the grid and the editor.
struct TableSpec {
  QString table;
  QString window_class;
  QString caption;
  std::vector<FieldSpec> fields;
  QString order;  // order by text
  // The checks of a whole record beyond the required fields: the refusal's text, empty when fine.
  std::function<QString(const QVariantMap&)> check;
  bool key_in_grid = false;  // the id column shown as "Id"
  // Values every store through the editor writes, whatever the buffer holds.
  QVariantMap stamp;
  QString Key() const { return QStringLiteral("ID_") + table.toUpper(); }
  const FieldSpec* Find(const QString& column) const;
};

// (field, message) pairs of a record that may not be stored.
using FieldErrors = std::vector<std::pair<QString, QString>>;

// Reads and writes one row of a table as a buffer of column values, with the audit columns.
class RecordStore {
 public:
  RecordStore(HostContext& ctx, const TableSpec& table_spec) : ctx_(ctx), spec_(table_spec) {}
  QVariantMap Load(qint64 id);
  QVariantMap Empty() const;
  FieldErrors Validate(const QVariantMap& record) const;
  // Inserts (taking the key from the generator) or updates by the buffer's key; answers the key.
  qint64 Store(QVariantMap& record);
  void Delete(qint64 id);

 private:
  HostContext& ctx_;
  const TableSpec& spec_;
};

// Declares the table of a table_spec in the schema tool (key, columns, audit columns).
// The table behind a list window, with the audit columns after its fields.
TableDecl Tabela(const TableSpec& table_spec, std::vector<IndexDecl> indexes = {});

}  // namespace velmora::host
