#pragma once

#include "host/base/clock.h"
#include "host/base/host_context.h"
#include "host/db/db.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/users.h"

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
  // The services as a window or routine of the module gets them, with this application root.
  host::HostContext Context(const QString& root = QString()) { return {db(), *options, user, clock, dialogs, root, nullptr}; }

  host::ScriptedDialogs dialogs;
  host::FixedClock clock;
  host::CurrentUser user;
  std::unique_ptr<host::TOptionsDB> options;

 private:
  TestDatabase database_;
};

// Whether the run must have every peer: ./test.sh installs and starts them all and says so
// with VELMORA_REQUIRE_PEERS=1.
bool PeersRequired();

// A peer the test needs (PostgreSQL, the mail servers, poppler) is missing: a skip when the
// tests are run by hand, a failure under ./test.sh.
#define VELMORA_MISSING_PEER(what)                                   \
  do {                                                               \
    if (::velmora::testing::PeersRequired()) GTEST_FAIL() << (what); \
    else GTEST_SKIP() << (what);                                     \
  } while (0)

// Parameter of the tests that run on both engines. A fixture's own SetUp goes on only when
// this one neither skipped nor failed (`Stopped`).
class DbTest : public ::testing::TestWithParam<TestEngine> {
 protected:
  void SetUp() override {
    if (!TestDatabase::Available(GetParam())) VELMORA_MISSING_PEER("VELMORA_TEST_PG_URL not set");
  }
  bool Stopped() const { return IsSkipped() || HasFatalFailure(); }
};

// A test host and its context over an application root of its own, on each engine. A fixture's
// own SetUp goes on after this one unless `Stopped`.
class HostTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    ctx_ = std::make_unique<host::HostContext>(host_->Context(root_.path()));
  }
  host::Db& db() { return host_->db(); }

  QTemporaryDir root_;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
};

// A program the test runs to its end (openssl, xmlsec1, xmllint, pdftotext): its exit code, or -1
// when it did not end within a minute; OUTPUT gets what it printed on both channels.
int RunTool(const QString& program, const QStringList& args, QString* output = nullptr);

// The agency's signing certificate (self-signed, made now, passphrase "tajne") in ROOT/keys and
// SIGNER copied below ROOT, set in OPTIONS as the clerk sets them. Empty, or what failed.
QString InstallSigner(host::Options& options, const QString& root, const QString& signer);

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
