#pragma once

#include "host/clock.h"
#include "host/db.h"
#include "host/options.h"
#include "host/scripted_dialogs.h"
#include "host/users.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace velmora::testing {

enum class TestEngine { Sqlite, Postgres };

// A database of its own for one test: a SQLite file in a temporary directory, or a schema
// of its own on the PostgreSQL server that ./test.sh starts (VELMORA_TEST_PG_URL).
class TestDatabase {
 public:
  explicit TestDatabase(TestEngine engine);
  ~TestDatabase();
  host::Db& Db() { return *db_; }
  const QString& Url() const { return url_; }
  // Another connection to the same database, as a second workstation would have.
  std::unique_ptr<host::Db> OpenAnother() const { return host::Db::Open(url_); }
  static bool Available(TestEngine engine);

 private:
  TestEngine engine_;
  QTemporaryDir dir_;
  QString url_;
  QString schema_;
  std::unique_ptr<host::Db> db_;
};

// The host services a plain class takes: a database with the whole schema, scripted
// dialogs, a fixed clock (2024-03-05 08:04:09), a current user and options.
class TestHost {
 public:
  explicit TestHost(TestEngine engine);
  host::Db& db() { return database_.Db(); }
  TestDatabase& database() { return database_; }

  host::ScriptedDialogs dialogs;
  host::FixedClock clock;
  host::CurrentUser user;
  std::unique_ptr<host::TOptionsDB> options;

 private:
  TestDatabase database_;
};

// Parameter of the tests that run on both engines.
class DbTest : public ::testing::TestWithParam<TestEngine> {
 protected:
  void SetUp() override {
    if (!TestDatabase::Available(GetParam())) GTEST_SKIP() << "VELMORA_TEST_PG_URL not set";
  }
};

std::string EngineName(const ::testing::TestParamInfo<TestEngine>& info);

#define VELMORA_ON_BOTH_ENGINES(Suite)                                                                  \
  INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                                              \
                           ::testing::Values(::velmora::testing::TestEngine::Sqlite,                   \
                                             ::velmora::testing::TestEngine::Postgres),                \
                           ::velmora::testing::EngineName)

}  // namespace velmora::testing

// Readable QString in assertion messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE
