// The declaration editor on a declaration of 999 goods items (3 packages, 3 documents and 2
// additional entries each): opened into the goods grid model, against a bare libxml2 parse
// of the same text measured in the same run; GetXML; deleting item 1.
#include "departure/declaration.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "host/xml/xml_document.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <optional>

using namespace velmora;

namespace {

struct World : bench::BenchHost {
  QString text;

  World() {
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, 0, 'IE015', 1)"));
    xml::Message m = testing::PrzykladowaDeklaracja(999);
    for (xml::Group t : m.Root().List(xml::kIE015_Towar)) {
      for (int i = 2; i <= 3; ++i) {
        xml::Group o = t.Add(xml::kOpakowanie);
        o.Set(QStringLiteral("PozId"), QString::number(i));
        o.Set(QStringLiteral("Rodzaj"), QStringLiteral("PK"));
        o.Set(QStringLiteral("LiczbaOpakowan"), QStringLiteral("2"));
      }
      for (int i = 1; i <= 3; ++i) {
        xml::Group d = t.Add(xml::kDokumentWymagany);
        d.Set(QStringLiteral("PozId"), QString::number(i));
        d.Set(QStringLiteral("Kod"), QStringLiteral("N380"));
        d.Set(QStringLiteral("Nr"), QStringLiteral("FV/%1").arg(i));
      }
      xml::Group info = t.Add(xml::kIE015_InformacjaDodatkowa);
      info.Set(QStringLiteral("PozId"), QStringLiteral("2"));
      info.Set(QStringLiteral("Kod"), QStringLiteral("DG0"));
    }
    text = m.Xml();
  }
  departure::DeklaracjaIE015 Opened() {
    departure::DeklaracjaIE015 d(*ctx);
    d.UstawTranzyt(1);
    d.SetXML(text);
    return d;
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_Baseline_Libxml2Parse(benchmark::State& state) {
  const QByteArray bytes = Wd().text.toUtf8();
  bench::BareLibxml2Parse(state, bytes);
}
BENCHMARK(BM_Baseline_Libxml2Parse)->Unit(benchmark::kMillisecond);

void BM_OpenIntoGrid(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    departure::DeklaracjaIE015 d = w.Opened();
    if (d.Towary().size() != 999) return state.SkipWithError("not every goods item came");
  }
}
BENCHMARK(BM_OpenIntoGrid)->Unit(benchmark::kMillisecond);

void BM_GetXML(benchmark::State& state) {
  World& w = Wd();
  departure::DeklaracjaIE015 d = w.Opened();
  for (auto _ : state) benchmark::DoNotOptimize(d.GetXML());
}
BENCHMARK(BM_GetXML)->Unit(benchmark::kMillisecond);

void BM_DeleteFirstOf999(benchmark::State& state) {
  World& w = Wd();
  std::optional<departure::DeklaracjaIE015> d;
  for (auto _ : state) {
    // Opening and freeing the declaration stay outside the timing.
    state.PauseTiming();
    d.reset();
    d.emplace(w.Opened());
    state.ResumeTiming();
    d->UsunTowar(1);
  }
}
BENCHMARK(BM_DeleteFirstOf999)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double parse = r.Ms("BM_Baseline_Libxml2Parse"), open = r.Ms("BM_OpenIntoGrid");
  std::cout << "\nTargets:\n";
  if (open > 0 && parse > 0)
    std::cout << "  opening 999 goods items into the grid: " << open << " ms (target < 100 ms); " << open / parse
              << "x a bare libxml2 parse (target <= 3)\n";
  std::cout << "  GetXML: " << r.Ms("BM_GetXML") << " ms (target < 50 ms)\n";
  std::cout << "  deleting item 1 of 999: " << r.Ms("BM_DeleteFirstOf999") << " ms (target < 10 ms)\n";
  benchmark::Shutdown();
  return 0;
}
