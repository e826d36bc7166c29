#include "support/test_host.h"

#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/plugin_paths.h"
#include "host/db/tools_db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include <atomic>

namespace velmora::testing {

namespace {

std::atomic<int> g_schema_counter{0};

QString PgUrl() { return qEnvironmentVariable("VELMORA_TEST_PG_URL"); }

}  // namespace

int RunTool(const QString& program, const QStringList& args, QString* output) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(60000)) return -1;
  if (output) *output = QString::fromUtf8(p.readAll());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString InstallSigner(host::Options& options, const QString& root, const QString& signer) {
  const QString keys = root + QStringLiteral("/keys");
  QString out;
  if (!QDir().mkpath(keys) || !QDir().mkpath(root + QStringLiteral("/bin"))) return QStringLiteral("no folders below ") + root;
  if (RunTool(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Agencja", "-keyout",
                                          keys + "/key.pem", "-out", keys + "/cert.pem"}, &out) != 0 ||
      RunTool(QStringLiteral("openssl"), {"pkcs12", "-export", "-inkey", keys + "/key.pem", "-in", keys + "/cert.pem", "-out",
                                          keys + "/store.p12", "-passout", "pass:tajne"}, &out) != 0)
    return QStringLiteral("openssl: ") + out;
  if (!QFile::copy(signer, host::SignerPath(root))) return QStringLiteral("the signer could not be copied from ") + signer;
  options.WriteOption(QStringLiteral("PODPIS"), QStringLiteral("CERTYFIKAT"), keys + "/store.p12", host::OptionScope::Application);
  options.WriteOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), QStringLiteral("tajne"), host::OptionScope::Application);
  return {};
}

bool PeersRequired() { return qEnvironmentVariable("VELMORA_REQUIRE_PEERS") == QLatin1String("1"); }

bool TestDatabase::Available(TestEngine engine) { return engine == TestEngine::Sqlite || !PgUrl().isEmpty(); }

TestDatabase::TestDatabase(TestEngine engine) : engine_(engine) {
  if (engine == TestEngine::Sqlite) {
    url_ = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("test.db"));
  } else {
    schema_ = QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_schema_counter);
    url_ = PgUrl() + QStringLiteral("?schema=") + schema_;
  }
  db_ = host::Db::Open(url_);
}

TestDatabase::~TestDatabase() {
  if (engine_ == TestEngine::Postgres && db_) {
    try {
      db_->Exec(QStringLiteral("DROP SCHEMA ") + schema_ + QStringLiteral(" CASCADE"));
    } catch (...) {
    }
  }
  db_.reset();
}

TestHost::TestHost(TestEngine engine)
    : clock(QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9, 750))), database_(engine) {
  module::Initialize();
  host::CheckChangeDB(db());
  host::Users users(db(), clock);
  host::NewUser nu;
  nu.login = QStringLiteral("jkowalski");
  nu.name = QStringLiteral("Jan Kowalski");
  nu.location = QStringLiteral("Oddział Gdynia");
  user.Set(users.Add(nu));
  options = std::make_unique<host::TOptionsDB>(db(), user);
}

std::string EngineName(const ::testing::TestParamInfo<TestEngine>& info) {
  return info.param == TestEngine::Sqlite ? "Sqlite" : "Postgres";
}

}  // namespace velmora::testing
