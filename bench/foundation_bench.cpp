// Foundation benchmarks; each target is printed as a ratio against a baseline measured in
// the same run, or as an absolute figure where the target is one.
#include "frame/own_number.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/options.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "host/xml/messages.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <iostream>
#include <map>

using namespace velmora;

namespace {

struct Fixture : bench::BenchHost {
  Fixture() {
    xml::Message m = xml::NewIE015();
    m.EnsureNaglowek().SetNrWlasny(QStringLiteral("<AUTO>"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP, NR_WLASNY, XML) values (1, 'IE015', '<AUTO>', :X)"),
             {{QStringLiteral("X"), m.Xml()}});
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// About 1 MB of a declaration-like document with prefixes, attributes and Polish text.
const QString& BigDocument() {
  static const QString doc = [] {
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ns2:IE015 xmlns:ns2=\"http://example/ie015\" "
                               "xmlns:typy=\"http://example/typy\"><ns2:Naglowek NrWlasny=\"24IE0150000010\"/>");
    int i = 0;
    while (s.size() < 1'000'000) {
      s += QStringLiteral("<ns2:Towar Lp=\"%1\"><ns2:Opis>Części zamienne łożyska %1</ns2:Opis><ns2:MasaBrutto>12.500</ns2:MasaBrutto>"
                          "<typy:Opakowanie Rodzaj=\"CT\" Liczba=\"%1\"/></ns2:Towar>").arg(++i);
    }
    return s + QStringLiteral("</ns2:IE015>\n");
  }();
  return doc;
}

void BM_SchemaCheckUpToDate(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(host::CheckChangeDB(*F().db));
}
BENCHMARK(BM_SchemaCheckUpToDate)->Unit(benchmark::kMillisecond);

// Baseline: one bare update of the same row through the same connection.
void BM_RawUpdateRow(benchmark::State& state) {
  for (auto _ : state)
    F().db->Exec(QStringLiteral("update TRANZYTY_POZYCJE set NR_WLASNY = :NR where ID_TRANZYTY_POZYCJE = :ID"),
                 {{QStringLiteral("NR"), QStringLiteral("<AUTO>")}, {QStringLiteral("ID"), 1}});
}
BENCHMARK(BM_RawUpdateRow)->Unit(benchmark::kMicrosecond);

void BM_NadajNrWlasny(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    F().db->Exec(QStringLiteral("update TRANZYTY_POZYCJE set NR_WLASNY = '<AUTO>' where ID_TRANZYTY_POZYCJE = 1"));
    state.ResumeTiming();
    benchmark::DoNotOptimize(frame::NadajNrWlasny(*F().db, *F().options, F().clock, 1));
  }
}
BENCHMARK(BM_NadajNrWlasny)->Unit(benchmark::kMicrosecond);

// Baseline: bare libxml2 parse and serialise of the same bytes.
void BM_Libxml2ParseSerialise(benchmark::State& state) {
  const QByteArray bytes = BigDocument().toUtf8();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), bytes.size(), nullptr, "UTF-8", XML_PARSE_NONET);
    xmlChar* out = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &out, &size);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(out), size);
    benchmark::DoNotOptimize(text);
    xmlFree(out);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_Libxml2ParseSerialise)->Unit(benchmark::kMillisecond);

void BM_WrapperParseSerialise(benchmark::State& state) {
  for (auto _ : state) {
    const QString text = xml::LoadXMLData(BigDocument())->ToXml();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(state.iterations() * BigDocument().toUtf8().size());
}
BENCHMARK(BM_WrapperParseSerialise)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  std::cout << "\nTargets:\n";
  if (r.Seconds("BM_SchemaCheckUpToDate") > 0)
    std::cout << "  schema check on an up-to-date SQLite database: " << r.Ms("BM_SchemaCheckUpToDate") << " ms (target < 50 ms)\n";
  if (r.Seconds("BM_RawUpdateRow") > 0 && r.Seconds("BM_NadajNrWlasny") > 0)
    std::cout << "  NadajNrWlasny on a stored message: " << r.Seconds("BM_NadajNrWlasny") * 1e6 << " us, "
              << r.Seconds("BM_NadajNrWlasny") / r.Seconds("BM_RawUpdateRow") << "x a bare row update\n";
  if (r.Seconds("BM_Libxml2ParseSerialise") > 0 && r.Seconds("BM_WrapperParseSerialise") > 0)
    std::cout << "  XML parse+serialise of 1 MB: " << r.Seconds("BM_WrapperParseSerialise") / r.Seconds("BM_Libxml2ParseSerialise")
              << "x bare libxml2 (target < 1.3x)\n";
  benchmark::Shutdown();
  return 0;
}
