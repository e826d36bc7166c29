#include "host/db/tools_db.h"


namespace velmora::host {

namespace {

const QString kDescriptions = QStringLiteral("OPISY_POL");

bool IsTextType(FieldType type) {
  return type == FieldType::String || type == FieldType::Memo || type == FieldType::Date ||
         type == FieldType::Time || type == FieldType::DateTime;
}

QString Quote(const QString& text) {
  QString q = text;
  q.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + q + QLatin1Char('\'');
}

}  // namespace

TToolsDB::TToolsDB(Db& db) : db_(db) {
  for (const QString& t : db_.Tables()) tables_.insert(t);
  for (const QString& i : db_.Indexes()) indexes_.insert(i);
  for (const QString& g : db_.Generators()) generators_.insert(g);
  if (!tables_.contains(kDescriptions)) {
    db_.Exec(QStringLiteral("CREATE TABLE %1 (TABELA VARCHAR(100) NOT NULL, KOLUMNA VARCHAR(100) NOT NULL, "
                            "OPIS VARCHAR(255), PRIMARY KEY (TABELA, KOLUMNA))")
                 .arg(kDescriptions));
    tables_.insert(kDescriptions);
  }
}

TToolsDB::~TToolsDB() = default;

QString TToolsDB::TypeSql(Engine engine, FieldType type, int width) {
  switch (type) {
    case FieldType::String:
      return QStringLiteral("VARCHAR(%1)").arg(width > 0 ? width : 255);
    case FieldType::Integer:
      return QStringLiteral("INTEGER");
    case FieldType::SmallInt:
      return QStringLiteral("SMALLINT");
    case FieldType::Float:
      return QStringLiteral("DOUBLE PRECISION");
    case FieldType::Date:
      return QStringLiteral("DATE");
    case FieldType::Time:
      return QStringLiteral("TIME");
    case FieldType::DateTime:
      return QStringLiteral("TIMESTAMP");
    case FieldType::Memo:
      return QStringLiteral("TEXT");
    case FieldType::Blob:
      return engine == Engine::Postgres ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
  }
  return {};
}

QString TToolsDB::ColumnDef(const QString& column, FieldType type, int width, const QString& default_text,
                            bool required, bool for_alter) const {
  QString def = column.toUpper() + QLatin1Char(' ') + TypeSql(db_.GetEngine(), type, width);
  QString dflt = default_text;
  // An existing table may hold rows: a required column without a default of its own gets
  // the type's empty value, so the upgrade never fails.
  if (for_alter && required && dflt.isEmpty()) dflt = IsTextType(type) ? QString() : QStringLiteral("0");
  if (!dflt.isEmpty() || (for_alter && required))
    def += QStringLiteral(" DEFAULT ") + (IsTextType(type) ? Quote(dflt) : dflt);
  if (required) def += QStringLiteral(" NOT NULL");
  return def;
}

QSet<QString>& TToolsDB::ColumnsOf(const QString& table) {
  auto it = columns_.find(table);
  if (it == columns_.end()) {
    QSet<QString> cols;
    if (tables_.contains(table))
      for (const ColumnInfo& c : db_.Columns(table)) cols.insert(c.name);
    it = columns_.insert(table, cols);
  }
  return it.value();
}

void TToolsDB::CreateTable(const QString& table_name) {
  const QString table = table_name.toUpper();
  const QString key = QStringLiteral("ID_") + table;
  const QString generator = QStringLiteral("GID_") + table;
  if (!tables_.contains(table) && !pending_tables_.count(table)) {
    PendingTable t;
    t.name = table;
    t.column_defs << key + QStringLiteral(" INTEGER NOT NULL PRIMARY KEY");
    t.column_names << key;
    pending_tables_[table] = t;
    columns_[table] = QSet<QString>{key};
  }
  if (!generators_.contains(generator)) {
    qint64 start_after = 0;
    if (tables_.contains(table)) start_after = db_.GetMaxFieldVal(table, key).toLongLong();
    db_.CreateGenerator(generator, start_after);
    generators_.insert(generator);
    changes_ << QStringLiteral("Utworzono generator ") + generator;
  }
}

void TToolsDB::AddField(const QString& table_name, const QString& column_name, FieldType type, int width,
                        const QString& default_text, bool required, const QString& description) {
  const QString table = table_name.toUpper();
  const QString column = column_name.toUpper();
  auto pending = pending_tables_.find(table);
  if (pending != pending_tables_.end()) {
    if (pending->second.column_names.contains(column)) return;
    pending->second.column_defs << ColumnDef(column, type, width, default_text, required, false);
    pending->second.column_names << column;
    columns_[table].insert(column);
  } else {
    QSet<QString>& cols = ColumnsOf(table);
    if (cols.contains(column)) return;
    pending_sql_ << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                        .arg(table, ColumnDef(column, type, width, default_text, required, true));
    pending_changes_ << QStringLiteral("Dodano pole %1.%2").arg(table, column);
    cols.insert(column);
  }
  if (!description.isEmpty()) pending_descriptions_.push_back({table, column, description});
}

void TToolsDB::AddIndex(const QString& table_name, const QString& index_name, const QStringList& columns,
                        bool unique) {
  const QString table = table_name.toUpper();
  const QString index = index_name.toUpper();
  if (indexes_.contains(index)) return;
  auto pending = pending_tables_.find(table);
  if (pending != pending_tables_.end()) CreatePending(pending->second);
  pending_sql_ << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                      .arg(unique ? QStringLiteral("UNIQUE ") : QString(), index, table,
                           columns.join(QStringLiteral(", ")).toUpper());
  pending_changes_ << QStringLiteral("Utworzono indeks ") + index;
  indexes_.insert(index);
}

void TToolsDB::CreatePending(PendingTable& t) {
  pending_sql_.prepend(QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, t.column_defs.join(QStringLiteral(", "))));
  pending_changes_.prepend(QStringLiteral("Utworzono tabelę ") + t.name);
  tables_.insert(t.name);
  pending_tables_.erase(t.name);
}

void TToolsDB::CommitQ() {
  // A table declared but still without columns waits for them, so that required columns
  // are created with the table rather than added to it.
  for (auto it = pending_tables_.begin(); it != pending_tables_.end();) {
    auto next = std::next(it);
    if (it->second.column_names.size() > 1) CreatePending(it->second);
    it = next;
  }
  if (pending_sql_.isEmpty() && pending_descriptions_.empty()) return;
  Transaction tx(db_);
  for (const QString& sql : pending_sql_) db_.Exec(sql);
  for (const Description& d : pending_descriptions_) {
    const Params p{{QStringLiteral("T"), d.table}, {QStringLiteral("K"), d.column}, {QStringLiteral("O"), d.text}};
    db_.Exec(QStringLiteral("DELETE FROM %1 WHERE TABELA = :T AND KOLUMNA = :K").arg(kDescriptions), p);
    db_.Exec(QStringLiteral("INSERT INTO %1 (TABELA, KOLUMNA, OPIS) VALUES (:T, :K, :O)").arg(kDescriptions), p);
  }
  tx.Commit();
  changes_ << pending_changes_;
  pending_sql_.clear();
  pending_changes_.clear();
  pending_descriptions_.clear();
}

void TToolsDB::Finish() {
  while (!pending_tables_.empty()) CreatePending(pending_tables_.begin()->second);
  CommitQ();
}

namespace {

struct Registration {
  QString* tag;
  SchemaRoutine routine;
};

std::vector<Registration>& Registry() {
  static std::vector<Registration> registry;
  return registry;
}

}  // namespace

void RegisterCheckChangeDB(QString& tag, SchemaRoutine routine) {
  for (const Registration& r : Registry())
    if (r.tag == &tag) return;
  Registry().push_back({&tag, std::move(routine)});
}

void UnregisterCheckChangeDB(QString& tag) {
  auto& reg = Registry();
  std::erase_if(reg, [&](const Registration& r) { return r.tag == &tag; });
}

int RegisteredSchemaRoutines() { return static_cast<int>(Registry().size()); }

void RunSchemaRoutines(TToolsDB& tools) {
  for (const Registration& r : Registry()) {
    r.routine(tools);
    tools.Finish();
  }
}

}  // namespace velmora::host

namespace velmora::host {

void AddAuditFields(TToolsDB& tools, const QString& table) {
  using T = FieldType;
  tools.AddField(table, QStringLiteral("CREATE_ID_USER"), T::Integer, 0, {}, false,
                 QStringLiteral("Relacja do użytkownika tworzącego rekord - tab: UZYTKOWNIK"));
  tools.AddField(table, QStringLiteral("CREATE_USER_NAME"), T::String, 100, {}, false,
                 QStringLiteral("Nazwa użytkownika tworzącego rekord"));
  tools.AddField(table, QStringLiteral("CREATE_DATE"), T::Date, 0, {}, false, QStringLiteral("Data utworzenia"));
  tools.AddField(table, QStringLiteral("CREATE_TIME"), T::Time, 0, {}, false, QStringLiteral("Godzina utworzenia"));
  tools.AddField(table, QStringLiteral("MODIFY_ID_USER"), T::Integer, 0, {}, false,
                 QStringLiteral("Relacja do użytkownika który ostatni modyfikował rekord - tab: UZYTKOWNIK"));
  tools.AddField(table, QStringLiteral("MODIFY_USER_NAME"), T::String, 100, {}, false,
                 QStringLiteral("Nazwa użytkownika modyfikującego rekord"));
  tools.AddField(table, QStringLiteral("MODIFY_DATE"), T::Date, 0, {}, false, QStringLiteral("Data ostatniej modyfikacji"));
  tools.AddField(table, QStringLiteral("MODIFY_TIME"), T::Time, 0, {}, false,
                 QStringLiteral("Godzina ostatniej modyfikacji"));
}

}  // namespace velmora::host

namespace velmora::host {

void DeclareTable(TToolsDB& tools, const TableDecl& table) {
  tools.CreateTable(table.name);
  tools.CommitQ();
  bool audit_placed = false;
  for (const ColumnDecl& c : table.columns) {
    if (c.name.isEmpty()) {
      AddAuditFields(tools, table.name);
      audit_placed = true;
      continue;
    }
    tools.AddField(table.name, c.name, c.type, c.width, c.default_text, c.required, c.description);
  }
  if (table.audit && !audit_placed) AddAuditFields(tools, table.name);
  tools.CommitQ();
  for (const IndexDecl& i : table.indexes) tools.AddIndex(table.name, i.name, i.columns, i.unique);
  if (!table.indexes.empty()) tools.CommitQ();
}

}  // namespace velmora::host
