// The goods item editor: the window on item 500 of a 999-item declaration, loaded and shown;
// Load plus Save of a large item; "Kopiuj na pozycje" of one document onto 999 items. Each
// against a baseline of the same run: a bare parse of the declaration, a plain copy of the
// item, a read of every item's documents.
#include "departure/goods_item_box.h"
#include "departure/goods_item.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"
#include "support/sample_messages.h"

#include <QApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

struct World : bench::BenchHost {
  QString deklaracja_999;
  QString duza_pozycja;

  World() {
    deklaracja_999 = testing::PrzykladowaDeklaracja(999).Xml();

    xml::Message m = testing::PrzykladowaDeklaracja(1);
    xml::Group t = m.Root().Get(xml::kIE015_Towar);
    auto add = [&t](const xml::GroupDesc& d, int n, std::initializer_list<std::pair<const char*, QString>> v) {
      for (int i = 0; i < n; ++i) {
        xml::Group g = t.Add(d);
        g.Set(S("PozId"), QString::number(t.Count(d)));
        for (const auto& [k, w] : v) g.Set(S(k), w.arg(i));
      }
    };
    add(xml::kOpakowanie, 98, {{"Rodzaj", S("PK")}, {"Znaki", S("ZN/%1")}, {"LiczbaOpakowan", S("2")}});
    add(xml::kDokumentWymagany, 99, {{"Kod", S("N380")}, {"Nr", S("FV/%1")}});
    add(xml::kIE015_DokumentPoprzedni, 8, {{"Kod", S("T1")}, {"Nr", S("24PL%1")}});
    add(xml::kIE015_InformacjaDodatkowa, 98, {{"Kod", S("DG0")}, {"Tekst", S("informacja %1")}});
    add(xml::kKontener, 100, {{"Numer", S("MSKU%1")}});
    duza_pozycja = m.Xml();
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_Baseline_ParseDeclaration999(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(xml::LoadXMLData(Wd().deklaracja_999));
}
BENCHMARK(BM_Baseline_ParseDeclaration999)->Unit(benchmark::kMillisecond);

void BM_EditorOnItem500Of999(benchmark::State& state) {
  World& w = Wd();
  xml::Message m = xml::GetIE015(xml::LoadXMLData(w.deklaracja_999));
  for (auto _ : state) {
    departure::TIE015_TowarBox box(*w.ctx, m, 500);
    box.BeforeActivate();
    box.show();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_EditorOnItem500Of999)->Unit(benchmark::kMillisecond);

void BM_Baseline_CopyItem(benchmark::State& state) {
  World& w = Wd();
  const xml::Message m = xml::GetIE015(xml::LoadXMLData(w.duza_pozycja));
  const xml::Group t = m.Root().Get(xml::kIE015_Towar);
  for (auto _ : state) {
    xml::XmlDocumentPtr doc = xml::XmlDocument::Create(S("Towar"));
    xml::Group kopia(doc, doc->DocumentElement(), &xml::kIE015_Towar);
    xml::CopyGroup(t, kopia);
    benchmark::DoNotOptimize(kopia);
  }
}
BENCHMARK(BM_Baseline_CopyItem)->Unit(benchmark::kMillisecond);

void BM_LoadSaveLargeItem(benchmark::State& state) {
  World& w = Wd();
  xml::Message m = xml::GetIE015(xml::LoadXMLData(w.duza_pozycja));
  for (auto _ : state) {
    departure::TowarIE015 e(*w.ctx, m, 1);
    e.Load();
    if (!e.Save()) return state.SkipWithError("Save refused");
  }
  if (m.Root().Get(xml::kIE015_Towar).Count(xml::kKontener) != 100) state.SkipWithError("containers lost");
}
BENCHMARK(BM_LoadSaveLargeItem)->Unit(benchmark::kMillisecond);

void BM_Baseline_ReadEveryItemsDocuments(benchmark::State& state) {
  World& w = Wd();
  const xml::Message m = xml::GetIE015(xml::LoadXMLData(w.deklaracja_999));
  for (auto _ : state) {
    int n = 0;
    for (const xml::Group& t : m.Root().List(xml::kIE015_Towar))
      for (const xml::Group& d : t.List(xml::kIE015_DokumentPoprzedni)) n += d.Get(S("Kod")).size() + d.Get(S("Nr")).size();
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_Baseline_ReadEveryItemsDocuments)->Unit(benchmark::kMillisecond);

void BM_CopyDocumentOnto999(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    state.PauseTiming();
    xml::Message m = xml::GetIE015(xml::LoadXMLData(w.deklaracja_999));
    departure::TowarIE015 e(*w.ctx, m, 1);
    e.Load();
    xml::Group d = e.Dodaj(departure::ListaTowaru::DokumentyPoprzednie);
    d.Set(S("Kod"), S("N821"));
    d.Set(S("Nr"), S("24PL322010NS0099"));
    w.dialogs.Answer(host::kIdYes);
    state.ResumeTiming();
    if (e.Kopiuj(departure::ListaTowaru::DokumentyPoprzednie, 1) != 998) return state.SkipWithError("not copied onto every item");
    state.PauseTiming();
    m = xml::Message();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CopyDocumentOnto999)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double parse = r.Ms("BM_Baseline_ParseDeclaration999"), okno = r.Ms("BM_EditorOnItem500Of999");
  const double kopia = r.Ms("BM_Baseline_CopyItem"), load_save = r.Ms("BM_LoadSaveLargeItem");
  const double odczyt = r.Ms("BM_Baseline_ReadEveryItemsDocuments"), kopiuj = r.Ms("BM_CopyDocumentOnto999");
  std::cout << "\nTargets:\n";
  if (parse > 0 && okno > 0)
    std::cout << "  the editor on item 500 of 999, loaded and shown: " << okno << " ms (target < 100 ms); " << okno / parse
              << "x a bare parse of the declaration\n";
  if (kopia > 0 && load_save > 0)
    std::cout << "  Load + Save of an item with 98+1 packages, 99 documents, 9 previous, 99 entries, 100 containers: " << load_save
              << " ms (target < 5 ms); " << load_save / kopia << "x a plain copy of the item\n";
  if (odczyt > 0 && kopiuj > 0)
    std::cout << "  \"Kopiuj na pozycje\" of one document onto 999 items: " << kopiuj << " ms (target < 50 ms); " << kopiuj / odczyt
              << "x reading every item's documents\n";
  benchmark::Shutdown();
  return 0;
}
