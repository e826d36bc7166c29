// NCTS dictionary benchmarks: loading a list against a bare libxml2 parse of the same file,
// and code lookups on a small and a large list (they should grow with log n, not n).
#include "host/xml/xml_document.h"
#include "reference/slownik_ncts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <random>

using namespace velmora;

namespace {

struct ListFile {
  QString path;
  QString key;
  QByteArray bytes;
  qsizetype entries = 0;
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The largest shipped list, by size on disk.
ListFile& Largest() {
  static ListFile file = [] {
    ListFile out;
    const QDir dir(reference::ShippedSlownikiDir());
    for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Size)) {
      out.path = fi.filePath();
      out.key = fi.baseName();
      break;
    }
    out.bytes = ReadAll(out.path);
    return out;
  }();
  return file;
}

// A list as large as the whole UN dangerous-goods list, in the shipped lists' layout.
const ListFile& FullSizeUn() {
  static QTemporaryDir dir;
  static const ListFile file = [] {
    ListFile out;
    out.path = dir.filePath(QStringLiteral("1101.xml"));
    out.key = QStringLiteral("1101");
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Slownik code=\"1101\" name=\"UN\">\n");
    for (int i = 1; i <= 3000; ++i)
      xml += QStringLiteral("  <Pozycja UNdangoocodUNDANGOOCOD594=\"%1\">\n"
                            "    <Opis LanCod347=\"PL\" Des110=\"Materiał niebezpieczny numer %1, ciecz zapalna, I.N.O.\"/>\n"
                            "    <Opis LanCod347=\"EN\" Des110=\"Dangerous substance number %1, flammable liquid, n.o.s.\"/>\n"
                            "  </Pozycja>\n")
                 .arg(i, 4, 10, QLatin1Char('0'));
    xml += QStringLiteral("</Slownik>\n");
    out.bytes = xml.toUtf8();
    QFile f(out.path);
    if (f.open(QIODevice::WriteOnly)) f.write(out.bytes);
    out.entries = 3000;
    return out;
  }();
  return file;
}

void BareParse(benchmark::State& state, const ListFile& file) { bench::BareLibxml2Parse(state, file.bytes); }

void Load(benchmark::State& state, const ListFile& file) {
  for (auto _ : state) benchmark::DoNotOptimize(reference::ReadSlownikFile(file.path, file.key));
  state.SetBytesProcessed(state.iterations() * file.bytes.size());
  state.counters["entries"] = static_cast<double>(file.entries);
}

// The file through the XML model only, without reading the entries.
void ModelParse(benchmark::State& state, const ListFile& file) {
  for (auto _ : state) benchmark::DoNotOptimize(xml::LoadXMLDocument(file.path));
  state.SetBytesProcessed(state.iterations() * file.bytes.size());
}

void BM_Libxml2Parse_Largest(benchmark::State& state) { BareParse(state, Largest()); }
void BM_LoadSlownik_Largest(benchmark::State& state) { Load(state, Largest()); }
void BM_Libxml2Parse_FullUn(benchmark::State& state) { BareParse(state, FullSizeUn()); }
void BM_LoadSlownik_FullUn(benchmark::State& state) { Load(state, FullSizeUn()); }
BENCHMARK(BM_Libxml2Parse_Largest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSlownik_Largest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Parse_FullUn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSlownik_FullUn)->Unit(benchmark::kMillisecond);
void BM_ModelParse_FullUn(benchmark::State& state) { ModelParse(state, FullSizeUn()); }
BENCHMARK(BM_ModelParse_FullUn)->Unit(benchmark::kMillisecond);

// A table of `size` distinct codes in shuffled file order, and codes to look up: half exact,
// half prefixes that only the second step finds.
struct Lookups {
  reference::SlownikTable table;
  std::vector<QString> queries;
};

const Lookups& TableOf(int size) {
  static std::map<int, Lookups> tables;
  auto [it, fresh] = tables.try_emplace(size);
  if (fresh) {
    std::vector<QString> codes;
    for (int i = 0; i < size; ++i) codes.push_back(QStringLiteral("K%1X").arg(i, 6, 10, QLatin1Char('0')));
    std::shuffle(codes.begin(), codes.end(), std::mt19937(1));
    for (const QString& c : codes) it->second.table.Append(c, QStringLiteral("opis"));
    it->second.table.BuildIndex();
    std::mt19937 rng(2);
    for (int i = 0; i < 1024; ++i) {
      const QString& c = codes[rng() % codes.size()];
      it->second.queries.push_back(i % 2 ? c : c.chopped(1));
    }
  }
  return it->second;
}

void BM_Lookup(benchmark::State& state) {
  const Lookups& l = TableOf(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(l.table.Locate(l.queries[i++ & 1023]));
}
BENCHMARK(BM_Lookup)->Arg(16)->Arg(4000)->Arg(100000)->Unit(benchmark::kNanosecond);

// The single loads measured before the loops, as the application meets them: once per process.
struct FirstLoads {
  double largest = 0;
  double full_un = 0;
  double bare_full_un = 0;
};

void PrintTargets(const bench::TimingReporter& r, const FirstLoads& first) {
  auto t = [&](const char* n) { return r.Seconds(n); };
  std::cout << "\nTargets:\n";
  if (t("BM_LoadSlownik_Largest") > 0)
    std::cout << "  load of the largest shipped list (" << QFileInfo(Largest().path).fileName().toStdString() << ", "
              << Largest().entries << " entries, " << Largest().bytes.size() / 1024 << " KiB): "
              << t("BM_LoadSlownik_Largest") * 1e3 << " ms (target < 20 ms), "
              << t("BM_LoadSlownik_Largest") / t("BM_Libxml2Parse_Largest") << "x a bare libxml2 parse\n";
  if (t("BM_LoadSlownik_FullUn") > 0)
    std::cout << "  load of a full-size UN list (3000 entries, " << FullSizeUn().bytes.size() / 1024
              << " KiB): " << t("BM_LoadSlownik_FullUn") * 1e3 << " ms (target < 20 ms), "
              << t("BM_LoadSlownik_FullUn") / t("BM_Libxml2Parse_FullUn") << "x a bare libxml2 parse\n";
  std::cout << "  first load in a fresh process (the heap still growing): " << first.largest * 1e3
            << " ms for the largest shipped list (target < 20 ms); for the full-size UN list a bare libxml2 parse "
            << "took " << first.bare_full_un * 1e3 << " ms first, the load right after it " << first.full_un * 1e3 << " ms\n";
  const double small = t("BM_Lookup/16");
  const double large = t("BM_Lookup/100000");
  if (small > 0 && large > 0)
    std::cout << "  lookup (exact, or prefix by the second step): " << small * 1e9 << " ns in 16 entries, "
              << t("BM_Lookup/4000") * 1e9 << " ns in 4000, " << large * 1e9 << " ns in 100000 entries: " << large / small
              << "x for 6250x the entries (O(log n): about " << std::log2(100000.0) / std::log2(16.0) << "x)\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (Largest().path.isEmpty()) {
    std::cerr << "No shipped code lists beside the program (build velmora_reference first)\n";
    return 1;
  }
  bench::TimingReporter reporter;
  FirstLoads first;
  QElapsedTimer timer;
  timer.start();
  Largest().entries = reference::ReadSlownikFile(Largest().path, Largest().key).table->Count();
  first.largest = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
  FullSizeUn();
  timer.restart();
  bench::BareLibxml2Parse(FullSizeUn().bytes);
  first.bare_full_un = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
  timer.restart();
  reference::ReadSlownikFile(FullSizeUn().path, FullSizeUn().key);
  first.full_un = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
#if defined(__GLIBC__)
  // Loops that free a whole document and table each time would otherwise hand the memory back
  // to the system and fault it in again, which a bare parse loop escapes; keep it for all alike.
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintTargets(reporter, first);
  benchmark::Shutdown();
  return 0;
}
