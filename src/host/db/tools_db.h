#pragma once

#include "host/db/db.h"

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

// Runs every registered routine, each finished before the next.
void RunSchemaRoutines(TToolsDB& tools);

}  // namespace velmora::host

namespace velmora::host {

// The eight CREATE_/MODIFY_ columns every table of the system carries, with their descriptions.
void AddAuditFields(TToolsDB& tools, const QString& table);

// Every table of the system is declared as data: its columns in order, where the audit columns
// go, its indexes.
struct ColumnDecl {
  QString name;  // empty: the eight audit columns stand here
  FieldType type = FieldType::Integer;
  int width = 0;
  QString default_text;
  bool required = false;
  QString description;
};

struct IndexDecl {
  QString name;
  QStringList columns;
  bool unique = false;
};

struct TableDecl {
  QString name;
  std::vector<ColumnDecl> columns;
  std::vector<IndexDecl> indexes;
  bool audit = true;  // the audit columns last, unless a column marks their place
};

// Where a table's audit columns stand among its declared columns.
inline const ColumnDecl kAuditColumns{};

// The columns of an array declared beside its table.
template <size_t N>
std::vector<ColumnDecl> Columns(const ColumnDecl (&columns)[N]) {
  return {columns, columns + N};
}

// Creates the table and adds what it lacks: columns, then indexes.
void DeclareTable(TToolsDB& tools, const TableDecl& table);

}  // namespace velmora::host
