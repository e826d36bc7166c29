// The declaration rules: every rule on a bound IE015 of 999 goods items (3 packages each,
// every party filled) against the same on 100 items, per item; the IE015 file run against a
// bare libxml2 parse of the file; velmora-cli validate over 1,000 files of 20 goods items.
#include "cli/cli.h"
#include "departure/walidator.h"
#include "module/registrations.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <stdexcept>

using namespace velmora;

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

void Podmiot(xml::Group p) {
  for (const auto& [k, v] : {std::pair{"Nazwa", "Bałtycka Spedycja"}, {"UlicaNumer", "Portowa 1"}, {"KodPocztowy", "81-350"},
                             {"Miejscowosc", "Gdynia"}, {"Kraj", "PL"}})
    p.Set(S(k), S(v));
}

// The sample declaration with every party filled and three packages per item.
QString Deklaracja(int towary) {
  xml::Message m = testing::PrzykladowaDeklaracja(towary);
  xml::Group root = m.Root();
  Podmiot(root.Ensure(xml::kIE015_Nadawca));
  Podmiot(root.Ensure(xml::kIE015_Odbiorca));
  xml::Group b = root.Ensure(xml::kIE015_Bezpieczenstwo);
  Podmiot(b.Ensure(xml::kIE015_NadawcaTypy));
  Podmiot(b.Ensure(xml::kIE015_OdbiorcaTypy));
  for (xml::Group t : root.List(xml::kIE015_Towar)) {
    for (int i = 2; i <= 3; ++i) {
      xml::Group o = t.Add(xml::kOpakowanie);
      o.Set(S("PozId"), QString::number(i));
      o.Set(S("Rodzaj"), S("PK"));
      o.Set(S("Znaki"), S("ZN"));
      o.Set(S("LiczbaOpakowan"), S("2"));
    }
    Podmiot(t.Ensure(xml::kIE015_Odbiorca));
    Podmiot(t.Ensure(xml::kIE015_TowarBezpieczenstwo).Ensure(xml::kIE015_Nadawca));
  }
  return m.Xml();
}

struct World {
  QTemporaryDir dir;
  QString text_999, text_100, plik_999;
  QStringList pliki_20;

  World() {
    module::Initialize();
    text_999 = Deklaracja(999);
    text_100 = Deklaracja(100);
    plik_999 = dir.filePath(S("deklaracja_999.xml"));
    xml::LoadXMLData(text_999)->Save(plik_999);
  }
  const QStringList& Pliki20() {
    if (pliki_20.isEmpty()) {
      const QByteArray bytes = xml::LoadXMLData(Deklaracja(20))->ToBytes();
      for (int i = 0; i < 1000; ++i) {
        QFile f(dir.filePath(S("IE015_20_%1.xml").arg(i)));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) throw std::runtime_error("cannot write the files");
        pliki_20 << f.fileName();
      }
    }
    return pliki_20;
  }
};

World& Wd() {
  static World w;
  return w;
}

void RulesOn(benchmark::State& state, const QString& text, int towary) {
  const xml::Message m = xml::GetIE015(xml::LoadXMLData(text));
  for (auto _ : state) benchmark::DoNotOptimize(departure::RegulyKomunikatu(m));
  state.counters["per_item_us"] = benchmark::Counter(towary, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
void BM_RulesOn100Items(benchmark::State& state) { RulesOn(state, Wd().text_100, 100); }
BENCHMARK(BM_RulesOn100Items)->Unit(benchmark::kMillisecond);
void BM_RulesOn999Items(benchmark::State& state) { RulesOn(state, Wd().text_999, 999); }
BENCHMARK(BM_RulesOn999Items)->Unit(benchmark::kMillisecond);

void BM_Baseline_Libxml2ParseFile(benchmark::State& state) {
  QFile f(Wd().plik_999);
  if (!f.open(QIODevice::ReadOnly)) return state.SkipWithError("no file");
  bench::BareLibxml2Parse(state, f.readAll());
}
BENCHMARK(BM_Baseline_Libxml2ParseFile)->Unit(benchmark::kMillisecond);

void BM_IE015FileRun(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(departure::TWalidator::IE015(Wd().plik_999));
}
BENCHMARK(BM_IE015FileRun)->Unit(benchmark::kMillisecond);

void BM_CliValidate1000Files(benchmark::State& state) {
  const QStringList& pliki = Wd().Pliki20();
  for (auto _ : state) {
    QString out_text, err_text;
    QTextStream out(&out_text), err(&err_text);
    if (cli::Run(QStringList{S("validate")} + pliki, out, err) == 2) return state.SkipWithError("usage error");
  }
}
BENCHMARK(BM_CliValidate1000Files)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Wd().Pliki20();  // the files are written before anything is timed
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double r100 = r.Ms("BM_RulesOn100Items"), r999 = r.Ms("BM_RulesOn999Items");
  const double parse = r.Ms("BM_Baseline_Libxml2ParseFile"), run = r.Ms("BM_IE015FileRun");
  std::cout << "\nTargets:\n";
  if (r100 > 0 && r999 > 0)
    std::cout << "  every rule on 999 goods items: " << r999 << " ms (target < 10 ms); per item "
              << (r999 / 999) / (r100 / 100) << "x the time per item at 100 (target <= 1.5)\n";
  if (parse > 0 && run > 0) std::cout << "  the IE015 file run: " << run / parse << "x a bare libxml2 parse of the file (target <= 1.5)\n";
  std::cout << "  velmora-cli validate over 1,000 files of 20 goods items: " << r.Ms("BM_CliValidate1000Files") / 1000.0
            << " s (target < 5 s)\n";
  benchmark::Shutdown();
  return 0;
}
