// Writing and signing one IE015 for sending (export copy, pruning, schema check, XAdES
// signature through the loaded library, the store) with 100 and 999 goods items. The baseline
// measured in the same run reads the stored document and writes it to a file unchanged.
#include "exchange/outgoing_file.h"
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
#include "host/xml/xml_document.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

bool RunProcess(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct World : bench::BenchHost {
  bool ok = false;

  World() {
    user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QStringLiteral("Gdynia"), false, false, false));
    const QString d = dir.path();
    ok = RunProcess("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Bench", "-keyout",
                                d + "/key.pem", "-out", d + "/cert.pem"}) &&
         RunProcess("openssl", {"pkcs12", "-export", "-inkey", d + "/key.pem", "-in", d + "/cert.pem", "-out", d + "/store.p12",
                                "-passout", "pass:bench"}) &&
         QDir().mkpath(dir.filePath(QStringLiteral("bin"))) && QFile::copy(QStringLiteral(VELMORA_SIGNER_PATH), host::SignerPath(d));
    options->WriteOption(QStringLiteral("PODPIS"), QStringLiteral("CERTYFIKAT"), d + "/store.p12", host::OptionScope::Application);
    options->WriteOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), QStringLiteral("bench"), host::OptionScope::Application);
    options->WriteOption(QStringLiteral("KANAL_ZWROTNY"), QStringLiteral("EMAIL"), QStringLiteral("biuro@example.pl"),
                         host::OptionScope::Application);
    host::SetProcessOptions(options.get());
    for (int towary : {100, 999}) {
      db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (:I, 0, 'IE015', 1)"), {{QStringLiteral("I"), towary}});
      db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                              "values (:I, :I, 1, 'IE015', 1, '<AUTO>', :X)"),
               {{QStringLiteral("I"), towary}, {QStringLiteral("X"), testing::PrzykladowaDeklaracja(towary).Xml()}});
    }
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_ZapiszKomunikatDoPliku(benchmark::State& state) {
  World& w = Wd();
  if (!w.ok) return state.SkipWithError("no test certificate or signer");
  const qint64 id = state.range(0);
  const QString file = w.dir.filePath(QStringLiteral("XML2/IE015_%1.xml").arg(id));
  for (auto _ : state) {
    w.dialogs.Answer(host::kIdYes);  // every write after the first asks
    const QString result = exchange::ZapiszKomunikatDoPliku(*w.ctx, id, file);
    if (!result.isEmpty()) return state.SkipWithError(result.toStdString().c_str());
  }
}
BENCHMARK(BM_ZapiszKomunikatDoPliku)->Arg(100)->Arg(999)->Unit(benchmark::kMillisecond);

// The least any writer does: the stored document read and written out as it is.
void BM_Baseline_ReadAndWrite(benchmark::State& state) {
  World& w = Wd();
  const qint64 id = state.range(0);
  const QString file = w.dir.filePath(QStringLiteral("plain_%1.xml").arg(id));
  for (auto _ : state) {
    const QString stored = w.db->QueryMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"), QStringLiteral("ID_TRANZYTY_POZYCJE = :ID"),
                                                {{QStringLiteral("ID"), id}});
    xml::LoadXMLData(stored)->Save(file);
  }
}
BENCHMARK(BM_Baseline_ReadAndWrite)->Arg(100)->Arg(999)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  std::cout << "\nTargets:\n";
  for (const auto& [n, target] : {std::pair{100, 30.0}, std::pair{999, 300.0}}) {
    const double write = r.Ms("BM_ZapiszKomunikatDoPliku/" + std::to_string(n));
    const double base = r.Ms("BM_Baseline_ReadAndWrite/" + std::to_string(n));
    if (write > 0 && base > 0)
      std::cout << "  writing and signing one IE015 with " << n << " goods items: " << write << " ms (target < " << target << " ms); "
                << write / base << "x reading and writing it unchanged\n";
  }
  host::SetProcessOptions(nullptr);
  benchmark::Shutdown();
  return 0;
}
