#include "host/db/record_store.h"

#include "host/base/host_context.h"
#include "host/db/secret_store.h"
#include "host/db/users.h"

namespace velmora::host {

const FieldSpec* TableSpec::Find(const QString& column) const {
  for (const FieldSpec& f : fields)
    if (f.column.compare(column, Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

QVariantMap RecordStore::Load(qint64 id) {
  QVariantMap out;
  const auto row = ctx_.db.QueryOne(QStringLiteral("select * from %1 where %2 = :ID").arg(spec_.table, spec_.Key()),
                                    {{QStringLiteral("ID"), id}});
  if (!row) return out;
  out.insert(spec_.Key(), row->Value(spec_.Key()));
  for (const FieldSpec& f : spec_.fields)
    out.insert(f.column, f.secret ? QVariant(OpenSecret(row->Str(f.column))) : row->Value(f.column));
  return out;
}

QVariantMap RecordStore::Empty() const {
  QVariantMap out;
  for (const FieldSpec& f : spec_.fields) out.insert(f.column, f.initial);
  return out;
}

FieldSpec Field(const char* column, const char* caption, FieldType type, int width, bool in_grid, bool required) {
  FieldSpec f;
  f.column = QString::fromUtf8(column);
  f.caption = QString::fromUtf8(caption);
  f.type = type;
  f.width = width;
  f.in_grid = in_grid;
  f.required = required;
  return f;
}

FieldErrors RecordStore::Validate(const QVariantMap& record) const {
  FieldErrors errors;
  for (const FieldSpec& f : spec_.fields)
    if (f.required && record.value(f.column).toString().trimmed().isEmpty())
      errors.emplace_back(f.column, QStringLiteral("Pole \"%1\" musi być wypełnione").arg(f.caption));
  if (errors.empty() && spec_.check && !spec_.fields.empty())
    if (const QString refusal = spec_.check(record); !refusal.isEmpty()) errors.emplace_back(spec_.fields.front().column, refusal);
  return errors;
}

qint64 RecordStore::Store(QVariantMap& record) {
  const QString key = spec_.Key();
  for (auto it = spec_.stamp.cbegin(); it != spec_.stamp.cend(); ++it) record.insert(it.key(), it.value());
  Params p;
  for (const FieldSpec& f : spec_.fields)
    p.insert(f.column.toUpper(), f.secret ? QVariant(SealSecret(record.value(f.column).toString())) : record.value(f.column));
  Transaction tx(ctx_.db);
  qint64 id = record.value(key).toLongLong();
  QStringList columns, values;
  for (const FieldSpec& f : spec_.fields) {
    columns << f.column;
    values << QLatin1Char(':') + f.column.toUpper();
  }
  if (id <= 0) {
    id = ctx_.db.DBGetNewID(QStringLiteral("GID_") + spec_.table.toUpper());
    p.insert(QStringLiteral("KEY__"), id);
    SetCreateAudit(p, ctx_.user.UserInfo(), ctx_.clock);
    for (const char* c : {"CREATE_ID_USER", "CREATE_USER_NAME", "CREATE_DATE", "CREATE_TIME"}) {
      columns << QString::fromLatin1(c);
      values << QLatin1Char(':') + QString::fromLatin1(c);
    }
    ctx_.db.Exec(QStringLiteral("insert into %1 (%2, %3) values (:KEY__, %4)")
                     .arg(spec_.table, key, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))),
                 p);
  } else {
    p.insert(QStringLiteral("KEY__"), id);
    SetModifyAudit(p, ctx_.user.UserInfo(), ctx_.clock);
    QStringList sets;
    for (int i = 0; i < columns.size(); ++i) sets << columns[i] + QStringLiteral(" = ") + values[i];
    for (const char* c : {"MODIFY_ID_USER", "MODIFY_USER_NAME", "MODIFY_DATE", "MODIFY_TIME"})
      sets << QString::fromLatin1(c) + QStringLiteral(" = :") + QString::fromLatin1(c);
    ctx_.db.Exec(QStringLiteral("update %1 set %2 where %3 = :KEY__").arg(spec_.table, sets.join(QStringLiteral(", ")), key), p);
  }
  tx.Commit();
  record.insert(key, id);
  return id;
}

void RecordStore::Delete(qint64 id) {
  Transaction tx(ctx_.db);
  ctx_.db.Exec(QStringLiteral("delete from %1 where %2 = :ID").arg(spec_.table, spec_.Key()), {{QStringLiteral("ID"), id}});
  tx.Commit();
}

TableDecl Tabela(const TableSpec& table_spec, std::vector<IndexDecl> indexes) {
  TableDecl t{table_spec.table, {}, std::move(indexes)};
  for (const FieldSpec& f : table_spec.fields) t.columns.push_back({f.column, f.type, f.width});
  return t;
}

}  // namespace velmora::host
