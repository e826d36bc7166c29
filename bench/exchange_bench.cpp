// The web-service road against the platform simulator on loopback:
// - a whole upload with waiting (write, sign, upload, fetch and load the answers), counted in
//   this process's own CPU time, so the pauses and the simulator's work stay out;
// - receiving 1,000 waiting documents by period, against loading the same files from disk
//   measured in the same run.
#include "exchange/receive.h"
#include "exchange/send.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <iostream>

using namespace velmora;

namespace {

constexpr int kWaiting = 1000;
// The transits the waiting documents answer: kFirstTransit + 0 .. kWaiting - 1.
constexpr qint64 kFirstTransit = 500000;
using host::Params;

int Applied(const QStringList& log) { return static_cast<int>(log.filter(QRegularExpression(QStringLiteral("^Wczytano"))).size()); }

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool RunProcess(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct World : bench::BenchHost {
  QProcess sim;
  bool ok = false;
  qint64 next_id = 1000000;

  World() {
    user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QStringLiteral("Gdynia"), false, false, false));
    // The simulator's documents are dated today.
    clock.Set(QDateTime(QDate::currentDate(), QTime(8, 0)));
    const QString d = dir.path();
    Scenario(QJsonObject{{"backlog", kWaiting}, {"printouts", false}});
    sim.setProgram(QStringLiteral("python3"));
    sim.setArguments({QStringLiteral(VELMORA_SOURCE_DIR "/tools/puesc-sim/puesc_sim.py"), QStringLiteral("--port"), QStringLiteral("0"),
                      QStringLiteral("--config"), dir.filePath(QStringLiteral("scenariusz.json"))});
    sim.start();
    if (!sim.waitForReadyRead(15000)) return;
    const QString port = QRegularExpression(QStringLiteral("PORT (\\d+)")).match(QString::fromUtf8(sim.readLine())).captured(1);
    db->Exec(QStringLiteral("update SLOWNIK_CELNY set WARTOSC = :W where SLOWNIK = 'WEBSERVICE_URL' and KOD = 'PROD'"),
             {{QStringLiteral("W"), QStringLiteral("http://127.0.0.1:%1/ws").arg(port)}});
    ok = RunProcess("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Bench", "-keyout",
                                d + "/key.pem", "-out", d + "/cert.pem"}) &&
         RunProcess("openssl", {"pkcs12", "-export", "-inkey", d + "/key.pem", "-in", d + "/cert.pem", "-out", d + "/store.p12",
                                "-passout", "pass:bench"}) &&
         QDir().mkpath(dir.filePath(QStringLiteral("bin"))) && QFile::copy(QStringLiteral(VELMORA_SIGNER_PATH), host::SignerPath(d)) &&
         QFile::copy(QStringLiteral(VELMORA_PUESC_CLIENT_PATH), host::PuescClientPath(d));
    auto set = [this](const char* s, const char* k, const QString& v) {
      options->WriteOption(QString::fromLatin1(s), QString::fromLatin1(k), v, host::OptionScope::Application);
    };
    set("PODPIS", "CERTYFIKAT", d + "/store.p12");
    set("PODPIS", "HASLO", QStringLiteral("bench"));
    set("KANAL_ZWROTNY", "URL", QStringLiteral("https://127.0.0.1/odpowiedzi"));
    set("KANAL_WYSYLKI", "ECIP_SEAP_ID", QStringLiteral("agencja"));
    set("KANAL_WYSYLKI", "SRODOWISKO", QStringLiteral("PRODUKCYJNE"));
    set("KANAL_WYSYLKI", "ECIP_SEAP_HASLO", QStringLiteral("haslo"));
    host::SetProcessOptions(options.get());
    // The transits the waiting documents answer.
    host::Transaction tx(*db);
    for (int i = 0; i < kWaiting; ++i) {
      const qint64 id = kFirstTransit + i;
      db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (:I, 0, 'IE015', 2)"), {{QStringLiteral("I"), id}});
      db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY) values (:I, :I, 1, 'IE015', 2, :N)"),
               {{QStringLiteral("I"), id}, {QStringLiteral("N"), QStringLiteral("24IE015%1").arg(9000000 + i, 7, 10, QLatin1Char('0'))}});
    }
    tx.Commit();
  }
  ~World() {
    host::SetProcessOptions(nullptr);
    sim.kill();
    sim.waitForFinished(5000);
  }
  // Takes the loaded answers back, so that the next load applies every document again
  // instead of refusing it as already loaded.
  void ForgetAnswers() {
    const Params range{{QStringLiteral("A"), kFirstTransit}, {QStringLiteral("B"), kFirstTransit + kWaiting - 1}};
    db->Exec(QStringLiteral("delete from TRANZYTY_POZYCJE where TRANZYTY_ID between :A and :B and LP > 1"), range);
    db->Exec(QStringLiteral("update TRANZYTY set TYP = 'IE015', STATUS = 2 where ID_TRANZYTY between :A and :B"), range);
  }
  void Scenario(const QJsonObject& s) {
    QFile f(dir.filePath(QStringLiteral("scenariusz.json")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(QJsonDocument(s).toJson());
  }
  // A new declaration to send.
  qint64 NewDeclaration() {
    const qint64 id = ++next_id;
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (:I, 0, 'IE015', 1)"), {{QStringLiteral("I"), id}});
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                            "values (:I, :I, 1, 'IE015', 1, '<AUTO>', :X)"),
             {{QStringLiteral("I"), id}, {QStringLiteral("X"), testing::PrzykladowaDeklaracja(10).Xml()}});
    return id;
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_WholeUploadOwnCpu(benchmark::State& state) {
  World& w = Wd();
  if (!w.ok) return state.SkipWithError("no simulator, certificate or libraries");
  int loaded = 0;
  for (auto _ : state) {
    const qint64 id = w.NewDeclaration();
    const double before = CpuSeconds();
    QStringList log;
    exchange::WysylkaKomunikatu(*w.ctx, id).Wyslij(exchange::kKanalPuesc, QString(), [&log](const QString& l) { log << l; });
    state.SetIterationTime(CpuSeconds() - before);
    loaded = static_cast<int>(log.filter(QStringLiteral("Wczytano")).size());
    if (loaded < 3) return state.SkipWithError("the answers were not loaded");
  }
  state.counters["answers"] = loaded;
}
BENCHMARK(BM_WholeUploadOwnCpu)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_Receive1000ByPeriod(benchmark::State& state) {
  World& w = Wd();
  if (!w.ok) return state.SkipWithError("no simulator, certificate or libraries");
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.ForgetAnswers();
    state.ResumeTiming();
    // Each round asks for another period, so the simulator has a fresh thousand waiting.
    const QDateTime od(QDate::currentDate().addDays(-1 - ++round), QTime(0, 0));
    QStringList log;
    exchange::OdbiorKomunikatow(*w.ctx).ReceiveWS(od, QDateTime(QDate::currentDate(), QTime(23, 0)), false,
                                                  [&log](const QString& l) { log << l; });
    if (Applied(log) != kWaiting) return state.SkipWithError("not every document was loaded");
  }
}
BENCHMARK(BM_Receive1000ByPeriod)->Iterations(2)->Unit(benchmark::kMillisecond);

// Baseline: the same thousand files, already on disk, loaded one by one.
void BM_Baseline_Load1000Files(benchmark::State& state) {
  World& w = Wd();
  if (!w.ok) return state.SkipWithError("no simulator, certificate or libraries");
  QStringList files;
  for (const QString& f : QDir(w.dir.filePath(QStringLiteral("XML2/WS_IN"))).entryList({QStringLiteral("*IE928_*.xml")}, QDir::Files))
    files << w.dir.filePath(QStringLiteral("XML2/WS_IN/") + f);
  files = files.mid(0, kWaiting);
  if (files.size() < kWaiting) return state.SkipWithError("run the download first");
  for (auto _ : state) {
    state.PauseTiming();
    w.ForgetAnswers();
    state.ResumeTiming();
    QStringList log;
    exchange::OdbiorKomunikatow(*w.ctx).WczytajPliki(files, [&log](const QString& l) { log << l; });
    if (Applied(log) != kWaiting) return state.SkipWithError("not every file was loaded");
  }
}
BENCHMARK(BM_Baseline_Load1000Files)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double upload = r.Ms("BM_WholeUploadOwnCpu"), receive = r.Ms("BM_Receive1000ByPeriod"), base = r.Ms("BM_Baseline_Load1000Files");
  std::cout << "\nTargets:\n";
  if (upload > 0) std::cout << "  a whole upload with waiting, own CPU time: " << upload << " ms (target < 3000 ms)\n";
  if (receive > 0)
    std::cout << "  receiving " << kWaiting << " waiting documents: " << receive << " ms (target < 10000 ms)"
              << (base > 0 ? "; " + std::to_string(receive / base) + "x loading the same files from disk" : std::string()) << "\n";
  benchmark::Shutdown();
  return 0;
}
