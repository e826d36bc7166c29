#pragma once

#include "db.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace velmora::host {

enum class FieldType { String, Integer, SmallInt, Float, Date, Time, DateTime, Memo, Blob };

// The schema tool: a schema routine declares tables, columns and indexes; the tool creates
// what is missing and leaves what exists. Declarations are queued and applied by CommitQ.
class TToolsDB {
 public:
  explicit TToolsDB(Db& db);
  ~TToolsDB();

  Db& GetDb() { return db_; }

  // Table with the integer key ID_<table>, numbered by the generator GID_<table>.
  void CreateTable(const QString& table);
  void AddField(const QString& table, const QString& column, FieldType type, int width = 0,
                const QString& default_text = {}, bool required = false, const QString& description = {});
  void AddIndex(const QString& table, const QString& index, const QStringList& columns, bool unique = false);
  void CommitQ();
  // Creates tables still waiting for their first columns; called after every routine.
  void Finish();

  // What the tool created, one line each ("Utworzono tabelę TRANZYTY" ...).
  const QStringList& Changes() const { return changes_; }

  static QString TypeSql(Engine engine, FieldType type, int width);

 private:
  struct PendingTable {
    QString name;
    QStringList column_defs;
    QStringList column_names;
  };
  struct Description {
    QString table, column, text;
  };

  QString ColumnDef(const QString& column, FieldType type, int width, const QString& default_text, bool required,
                    bool for_alter) const;
  QSet<QString>& ColumnsOf(const QString& table);
  void CreatePending(PendingTable& t);

  Db& db_;
  QSet<QString> tables_;
  QSet<QString> indexes_;
  QSet<QString> generators_;
  QHash<QString, QSet<QString>> columns_;
  std::map<QString, PendingTable> pending_tables_;
  QStringList pending_sql_;
  QStringList pending_changes_;
  std::vector<Description> pending_descriptions_;
  QStringList changes_;
};

using SchemaRoutine = std::function<void(TToolsDB&)>;

// A module registers its schema routine once, tagged by a string of its own.
void RegisterCheckChangeDB(QString& tag, SchemaRoutine routine);
void UnregisterCheckChangeDB(QString& tag);
int RegisteredSchemaRoutines();

// Runs the host's own schema, then every registered routine; answers what was created.
QStringList CheckChangeDB(Db& db);

}  // namespace velmora::host

namespace velmora::host {

// The eight CREATE_/MODIFY_ columns every table of the system carries, with their descriptions.
void AddAuditFields(TToolsDB& tools, const QString& table);

// A column of a table declared as data.
struct ColumnDecl {
  const char* name;
  FieldType type;
  int width;
  const char* default_text;
};

// A table with its key, its columns in order and, unless told otherwise, the audit columns.
void DeclareColumns(TToolsDB& tools, const QString& table, const ColumnDecl* columns, size_t count, bool audit = true);
template <size_t N>
void DeclareColumns(TToolsDB& tools, const QString& table, const ColumnDecl (&columns)[N], bool audit = true) {
  DeclareColumns(tools, table, columns, N, audit);
}

}  // namespace velmora::host
