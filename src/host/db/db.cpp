#include "host/db/db.h"
#include "host/db/generator_block.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QRegularExpression>
#include <QThread>
#include <QUrlQuery>

#include <QFile>

#include <atomic>

#include <fcntl.h>
#include <unistd.h>

namespace velmora::host {

DbError::DbError(const QString& message, const QString& sql)
    : std::runtime_error((sql.isEmpty() ? message : message + QStringLiteral(" [") + sql + QStringLiteral("]")).toStdString()),
      message_(message),
      sql_(sql) {}

Row::Row(QStringList names, QVariantList values) : names_(std::move(names)), values_(std::move(values)) {}

int Row::IndexOf(const QString& column) const {
  // Compared without copying: rows are read column by column in every routine.
  for (int i = 0; i < names_.size(); ++i)
    if (names_[i].compare(column, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QVariant Row::Value(const QString& column) const {
  const int i = IndexOf(column);
  return i < 0 ? QVariant() : values_[i];
}

QString Row::Str(const QString& column) const { return Value(column).toString(); }

int Row::Int(const QString& column, int fallback) const {
  bool ok = false;
  const int v = Value(column).toInt(&ok);
  return ok ? v : fallback;
}

qint64 Row::Int64(const QString& column, qint64 fallback) const {
  bool ok = false;
  const qint64 v = Value(column).toLongLong(&ok);
  return ok ? v : fallback;
}

double Row::Float(const QString& column, double fallback) const {
  bool ok = false;
  const double v = Value(column).toDouble(&ok);
  return ok ? v : fallback;
}

bool Row::IsNull(const QString& column) const {
  const QVariant v = Value(column);
  return !v.isValid() || v.isNull();
}

struct Db::Statement {
  QSqlQuery query;
  QStringList placeholders;  // names without the colon, as written
};

Db::Statement& Db::Prepared(const QString& sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return *it->second;
  if (statements_.size() > 256) statements_.clear();
  auto st = std::make_unique<Statement>();
  st->query = QSqlQuery(QSqlDatabase::database(connection_, false));
  st->query.setForwardOnly(true);
  if (!st->query.prepare(sql)) throw DbError(st->query.lastError().text(), sql);
  static const QRegularExpression kPlaceholder(QStringLiteral("(?<!:):([A-Za-z_][A-Za-z0-9_]*)"));
  for (auto m = kPlaceholder.globalMatch(sql); m.hasNext();) {
    const QString name = m.next().captured(1);
    if (!st->placeholders.contains(name)) st->placeholders << name;
  }
  return *statements_.emplace(sql, std::move(st)).first->second;
}

// A statement run with its parameters bound; the result is read through Get() and released
// when the Query goes.
class Db::Query {
 public:
  Query(Db& db, const QString& sql, const Params& params) {
    // Without parameters the text goes to the engine as it is: PostgreSQL cannot prepare
    // every statement (SET, some DDL).
    if (params.isEmpty()) {
      // A schema change may outdate the plans of the statements kept.
      static const QRegularExpression kDdl(QStringLiteral("^\\s*(create|alter|drop)\\b"), QRegularExpression::CaseInsensitiveOption);
      if (kDdl.match(sql).hasMatch()) db.statements_.clear();
      own_ = QSqlQuery(QSqlDatabase::database(db.connection_, false));
      own_.setForwardOnly(true);
      q_ = &own_;
      if (!q_->exec(sql)) throw DbError(q_->lastError().text(), sql);
      return;
    }
    Statement& st = db.Prepared(sql);
    q_ = &st.query;
    // Every placeholder is bound again, so nothing is left over from an earlier run.
    for (const QString& name : st.placeholders) {
      auto it = params.constFind(name);
      q_->bindValue(QLatin1Char(':') + name, it == params.constEnd() ? QVariant() : it.value());
    }
    if (!q_->exec()) {
      const QString err = q_->lastError().text();
      q_->finish();
      throw DbError(err, sql);
    }
  }
  ~Query() { q_->finish(); }
  QSqlQuery& Get() { return *q_; }

  Row Current() {
    const QSqlRecord rec = q_->record();
    QStringList names;
    QVariantList values;
    names.reserve(rec.count());
    values.reserve(rec.count());
    for (int i = 0; i < rec.count(); ++i) {
      names << rec.fieldName(i);
      values << q_->value(i);
    }
    return Row(std::move(names), std::move(values));
  }

 private:
  QSqlQuery own_;
  QSqlQuery* q_ = nullptr;
};

namespace {

std::atomic<int> g_connection_counter{0};

QString SqlName(const QString& name) { return name.toUpper(); }

// A database file holds passwords and every declaration: made for its owner alone before SQLite
// opens it (SQLite gives its journal files the mode of the database file).
void CreateOwnerOnly(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd >= 0) ::close(fd);
}

// A deferred transaction that reads first cannot become a writer once another process has
// written meanwhile, and SQLite answers "database is locked" at once, without waiting: the
// write lock is taken at the start instead, waiting for it and trying again while it is busy.
void BeginImmediate(const QSqlDatabase& qdb) {
  constexpr int kAttempts = 6;
  for (int attempt = 1;; ++attempt) {
    QSqlQuery q(qdb);
    if (q.exec(QStringLiteral("BEGIN IMMEDIATE"))) return;
    const QSqlError e = q.lastError();
    const bool busy = e.nativeErrorCode() == QLatin1String("5") || e.nativeErrorCode() == QLatin1String("6");
    if (!busy || attempt == kAttempts) throw DbError(e.text(), QStringLiteral("BEGIN IMMEDIATE"));
    QThread::msleep(100 * attempt);
  }
}

}  // namespace

std::unique_ptr<Db> Db::Open(const QString& url) {
  const QString connection = QStringLiteral("velmora_%1").arg(++g_connection_counter);
  if (url.startsWith(QLatin1String("sqlite:"))) {
    QString path = url.mid(7);
    const bool memory = path == QLatin1String(":memory:");
    if (path.isEmpty()) throw DbError(QStringLiteral("Brak ścieżki bazy danych w adresie: ") + url);
    if (!memory) CreateOwnerOnly(path);
    {
      QSqlDatabase qdb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
      qdb.setDatabaseName(path);
      qdb.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
      if (!qdb.open()) {
        const QString err = qdb.lastError().text();
        qdb = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        throw DbError(err);
      }
    }
    std::unique_ptr<Db> db(new Db(Engine::Sqlite, url, connection, memory ? QString() : path));
    if (!memory) db->Exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    db->Exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    db->Exec(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS GENERATORY (NAZWA VARCHAR(100) NOT NULL PRIMARY KEY, WARTOSC INTEGER NOT NULL)"));
    return db;
  }
  if (url.startsWith(QLatin1String("postgresql://")) || url.startsWith(QLatin1String("postgres://"))) {
    const QUrl u(url);
    const QUrlQuery query(u);
    const QString schema = query.queryItemValue(QStringLiteral("schema"));
    {
      QSqlDatabase qdb = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
      qdb.setHostName(u.host().isEmpty() ? QStringLiteral("127.0.0.1") : u.host());
      qdb.setPort(u.port(5432));
      qdb.setUserName(u.userName());
      qdb.setPassword(u.password());
      qdb.setDatabaseName(u.path().mid(1));
      qdb.setConnectOptions(QStringLiteral("connect_timeout=10"));
      if (!qdb.open()) {
        const QString err = qdb.lastError().text();
        qdb = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        throw DbError(err);
      }
    }
    std::unique_ptr<Db> db(new Db(Engine::Postgres, url, connection, QString()));
    db->Exec(QStringLiteral("SET client_min_messages TO warning"));
    if (!schema.isEmpty()) {
      static const QRegularExpression kSafe(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
      if (!kSafe.match(schema).hasMatch()) throw DbError(QStringLiteral("Niepoprawna nazwa schematu: ") + schema);
      db->Exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS ") + schema);
      db->Exec(QStringLiteral("SET search_path TO ") + schema);
    }
    return db;
  }
  throw DbError(QStringLiteral("Nieznany rodzaj bazy danych: ") + url);
}

Db::Db(Engine engine, QString url, QString connection, QString file_path)
    : connection_(std::move(connection)), engine_(engine), url_(std::move(url)), file_path_(std::move(file_path)) {}

Db::~Db() {
  statements_.clear();
  {
    QSqlDatabase qdb = QSqlDatabase::database(connection_, false);
    if (qdb.isOpen()) {
      if (depth_ > 0) qdb.rollback();
      qdb.close();
    }
  }
  QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase Db::QtDatabase() const { return QSqlDatabase::database(connection_, false); }

std::optional<Row> Db::QueryOne(const QString& sql, const Params& params) {
  Query q(*this, sql, params);
  if (!q.Get().next()) return std::nullopt;
  return q.Current();
}

std::vector<Row> Db::QueryAll(const QString& sql, const Params& params) {
  Query q(*this, sql, params);
  std::vector<Row> rows;
  while (q.Get().next()) rows.push_back(q.Current());
  return rows;
}

QVariant Db::QueryValue(const QString& sql, const Params& params) {
  Query q(*this, sql, params);
  if (!q.Get().next()) return {};
  return q.Get().value(0);
}

int Db::Exec(const QString& sql, const Params& params) {
  Query q(*this, sql, params);
  return q.Get().numRowsAffected();
}

void Db::StartTransaction() {
  if (depth_ == 0) {
    QSqlDatabase qdb = QSqlDatabase::database(connection_, false);
    if (engine_ == Engine::Sqlite) {
      BeginImmediate(qdb);
    } else if (!qdb.transaction()) {
      throw DbError(qdb.lastError().text(), QStringLiteral("BEGIN"));
    }
    rollback_only_ = false;
  }
  ++depth_;
}

void Db::Commit() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  QSqlDatabase qdb = QSqlDatabase::database(connection_, false);
  if (rollback_only_) {
    qdb.rollback();
    rollback_only_ = false;
    throw DbError(QStringLiteral("Transakcja została wycofana"));
  }
  if (!qdb.commit()) {
    const QString err = qdb.lastError().text();
    qdb.rollback();
    throw DbError(err, QStringLiteral("COMMIT"));
  }
}

void Db::Rollback() {
  if (depth_ == 0) return;
  if (--depth_ > 0) {
    rollback_only_ = true;
    return;
  }
  rollback_only_ = false;
  QSqlDatabase qdb = QSqlDatabase::database(connection_, false);
  qdb.rollback();
}

qint64 Db::DBGetNewID(const QString& generator) {
  const QString name = SqlName(generator);
  QVariant v;
  if (engine_ == Engine::Postgres) {
    v = QueryValue(QStringLiteral("select nextval(:N)"), {{QStringLiteral("N"), name.toLower()}});
  } else {
    const Params p{{QStringLiteral("N"), name}};
    v = QueryValue(QStringLiteral("UPDATE GENERATORY SET WARTOSC = WARTOSC + 1 WHERE NAZWA = :N RETURNING WARTOSC"), p);
    if (!v.isValid())
      v = QueryValue(QStringLiteral("INSERT INTO GENERATORY (NAZWA, WARTOSC) VALUES (:N, 1) "
                                    "ON CONFLICT (NAZWA) DO UPDATE SET WARTOSC = WARTOSC + 1 RETURNING WARTOSC"),
                     p);
  }
  bool ok = false;
  const qint64 id = v.toLongLong(&ok);
  if (!ok) throw DbError(QStringLiteral("Generator nie zwrócił wartości: ") + name);
  return id;
}

std::vector<qint64> DBGetNewIDs(Db& db, const QString& generator, int count) {
  std::vector<qint64> ids;
  if (count <= 0) return ids;
  const QString name = SqlName(generator);
  if (db.GetEngine() == Engine::Postgres) {
    for (const Row& r : db.QueryAll(QStringLiteral("select nextval(:N) as ID from generate_series(1, :C)"),
                                 {{QStringLiteral("N"), name.toLower()}, {QStringLiteral("C"), count}}))
      ids.push_back(r.Int64(QStringLiteral("ID")));
  } else {
    // One statement moves the generator by the whole block.
    const Params p{{QStringLiteral("N"), name}, {QStringLiteral("C"), count}};
    QVariant last = db.QueryValue(QStringLiteral("UPDATE GENERATORY SET WARTOSC = WARTOSC + :C WHERE NAZWA = :N RETURNING WARTOSC"), p);
    if (!last.isValid())
      last = db.QueryValue(QStringLiteral("INSERT INTO GENERATORY (NAZWA, WARTOSC) VALUES (:N, :C) "
                                       "ON CONFLICT (NAZWA) DO UPDATE SET WARTOSC = WARTOSC + :C RETURNING WARTOSC"),
                        p);
    bool ok = false;
    const qint64 top = last.toLongLong(&ok);
    for (qint64 id = top - count + 1; ok && id <= top; ++id) ids.push_back(id);
  }
  if (static_cast<int>(ids.size()) != count) throw DbError(QStringLiteral("Generator nie zwrócił wartości: ") + name);
  return ids;
}

void Db::CreateGenerator(const QString& generator, qint64 start_after) {
  const QString name = SqlName(generator);
  if (engine_ == Engine::Postgres) {
    Exec(QStringLiteral("CREATE SEQUENCE IF NOT EXISTS %1 START WITH %2").arg(name).arg(start_after + 1));
  } else {
    Exec(QStringLiteral("INSERT OR IGNORE INTO GENERATORY (NAZWA, WARTOSC) VALUES (:N, :V)"),
         {{QStringLiteral("N"), name}, {QStringLiteral("V"), start_after}});
  }
}

bool Db::GeneratorExists(const QString& generator) {
  const QString name = SqlName(generator);
  if (engine_ == Engine::Postgres)
    return QueryOne(QStringLiteral("select 1 from information_schema.sequences where sequence_schema = current_schema() "
                                   "and sequence_name = :N"),
                    {{QStringLiteral("N"), name.toLower()}})
        .has_value();
  return QueryOne(QStringLiteral("select 1 from GENERATORY where NAZWA = :N"), {{QStringLiteral("N"), name}}).has_value();
}

QString Db::QueryMemoField(const QString& table, const QString& column, const QString& where, const Params& params) {
  return QueryValue(QStringLiteral("select %1 from %2 where %3").arg(column, table, where), params).toString();
}

void Db::UpdateMemoField(const QString& table, const QString& column, const QString& where, const QString& value,
                         const Params& params) {
  Params p = params;
  p.insert(QStringLiteral("MEMO_VALUE__"), value);
  Exec(QStringLiteral("update %1 set %2 = :MEMO_VALUE__ where %3").arg(table, column, where), p);
}

QVariant Db::GetMaxFieldVal(const QString& table, const QString& column, const QString& where, const Params& params) {
  QString sql = QStringLiteral("select max(%1) from %2").arg(column, table);
  if (!where.isEmpty()) sql += QStringLiteral(" where ") + where;
  return QueryValue(sql, params);
}

int Db::GetCountFieldVal(const QString& table, const QString& where, const Params& params) {
  QString sql = QStringLiteral("select count(*) from %1").arg(table);
  if (!where.isEmpty()) sql += QStringLiteral(" where ") + where;
  return QueryValue(sql, params).toInt();
}

QStringList Db::Tables() {
  const QString sql = engine_ == Engine::Postgres
                          ? QStringLiteral("select upper(table_name) from information_schema.tables "
                                           "where table_schema = current_schema()")
                          : QStringLiteral("select upper(name) from sqlite_master where type = 'table'");
  QStringList out;
  for (const Row& r : QueryAll(sql)) out << r.Values().value(0).toString();
  return out;
}

std::vector<ColumnInfo> Db::Columns(const QString& table) {
  std::vector<ColumnInfo> out;
  if (engine_ == Engine::Postgres) {
    for (const Row& r : QueryAll(QStringLiteral("select upper(column_name) as N, upper(data_type) as T, is_nullable, column_default "
                                                "from information_schema.columns where table_schema = current_schema() "
                                                "and table_name = :T order by ordinal_position"),
                                 {{QStringLiteral("T"), table.toLower()}}))
      out.push_back({r.Str("N"), r.Str("T"), r.Str("is_nullable") == QLatin1String("NO"), r.Str("column_default")});
  } else {
    for (const Row& r : QueryAll(QStringLiteral("select upper(name) as N, upper(type) as T, \"notnull\" as NN, dflt_value "
                                                "from pragma_table_info(:T)"),
                                 {{QStringLiteral("T"), table}}))
      out.push_back({r.Str("N"), r.Str("T"), r.Int("NN") != 0, r.Str("dflt_value")});
  }
  return out;
}

QStringList Db::Indexes() {
  const QString sql = engine_ == Engine::Postgres
                          ? QStringLiteral("select upper(indexname) from pg_indexes where schemaname = current_schema()")
                          : QStringLiteral("select upper(name) from sqlite_master where type = 'index'");
  QStringList out;
  for (const Row& r : QueryAll(sql)) out << r.Values().value(0).toString();
  return out;
}

QStringList Db::Generators() {
  const QString sql = engine_ == Engine::Postgres
                          ? QStringLiteral("select upper(sequence_name) from information_schema.sequences "
                                           "where sequence_schema = current_schema()")
                          : QStringLiteral("select upper(NAZWA) from GENERATORY");
  QStringList out;
  for (const Row& r : QueryAll(sql)) out << r.Values().value(0).toString();
  return out;
}

Savepoint::Savepoint(Db& db) : db_(db), depth_(db.depth_), rollback_only_(db.rollback_only_) {
  name_ = QStringLiteral("SP_%1").arg(++db_.savepoints_);
  db_.Exec(QStringLiteral("SAVEPOINT ") + name_);
}

Savepoint::~Savepoint() {
  if (done_) return;
  try {
    db_.Exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name_);
    db_.Exec(QStringLiteral("RELEASE SAVEPOINT ") + name_);
  } catch (...) {
  }
  // Guards left open inside are gone with the work they guarded.
  db_.depth_ = depth_;
  db_.rollback_only_ = rollback_only_;
  --db_.savepoints_;
}

void Savepoint::Release() {
  done_ = true;
  db_.Exec(QStringLiteral("RELEASE SAVEPOINT ") + name_);
  --db_.savepoints_;
}

Transaction::~Transaction() {
  if (!done_) {
    try {
      db_.Rollback();
    } catch (...) {
    }
  }
}

void Transaction::Commit() {
  done_ = true;
  db_.Commit();
}

}  // namespace velmora::host
