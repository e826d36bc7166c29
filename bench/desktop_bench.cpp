// Desktop benchmarks: start-up to a usable main window, and a list window over many rows.
#include "app/application.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/ui/frm_sql_win.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/main_form.h"
#include "host/base/plugin_paths.h"
#include "host/db/urzedy_celne.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"

#include <QApplication>
#include <QFile>
#include <QSqlQueryModel>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>

using namespace velmora;

namespace {

QTemporaryDir& Dir() {
  static QTemporaryDir dir;
  return dir;
}

// A seeded database the start-up benchmark opens again and again.
QString StartDb() {
  static const QString url = [] {
    const QString u = QStringLiteral("sqlite:") + Dir().filePath(QStringLiteral("start.db"));
    app::Application a({u, Dir().path(), QStringLiteral("admin"), {}});
    module::Initialize();
    a.OpenDatabase();
    a.SeedDemoIfEmpty();
    return u;
  }();
  return url;
}

// Start-up as the program runs it with --user: database, schema check, user, main window with menus.
void BM_ColdStartToMainWindow(benchmark::State& state) {
  const QString url = StartDb();
  for (auto _ : state) {
    app::Application a({url, Dir().path(), QStringLiteral("admin"), {}});
    module::Initialize();
    a.OpenDatabase();
    QString error;
    a.ChooseUser(nullptr, &error);
    host::TMainForm* form = a.CreateMainForm();
    form->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(form);
    module::Finalize();
  }
}
BENCHMARK(BM_ColdStartToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

struct ListFixture : bench::BenchHost {
  ListFixture() {
    host::Transaction tx(*db);
    for (int i = 1; i <= 100000; ++i)
      db->Exec(QStringLiteral("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Miejscowosc, Kraj, NIP) values (:I, :N, 'Gdynia', 'PL', :NIP)"),
               {{QStringLiteral("I"), i}, {QStringLiteral("N"), QStringLiteral("Kontrahent %1").arg(i, 6, 10, QLatin1Char('0'))},
                {QStringLiteral("NIP"), QString::number(5860000000LL + i)}});
    tx.Commit();
  }
};

ListFixture& List() {
  static ListFixture f;
  return f;
}

void BM_ListWindowOver100kRows(benchmark::State& state) {
  ListFixture& f = List();
  for (auto _ : state) {
    host::THostTableWin win(*f.ctx, host::KontrahenciSpec());
    win.Init();
    win.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(win.Model()->rowCount());
  }
}
BENCHMARK(BM_ListWindowOver100kRows)->Unit(benchmark::kMillisecond)->Iterations(10);

// Baseline: the same query with every row read, as a grid without lazy fetching would.
void BM_ReadAll100kRows(benchmark::State& state) {
  ListFixture& f = List();
  for (auto _ : state)
    benchmark::DoNotOptimize(f.db->QueryAll(QStringLiteral("select * from KONTRAHENCI order by Nazwa")).size());
}
BENCHMARK(BM_ReadAll100kRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first start's fill of the customs offices table from the shipped list (3,874 offices).
void BM_FirstStartOfficeFill(benchmark::State& state) {
  module::Initialize();
  for (auto _ : state) {
    state.PauseTiming();
    auto fresh = std::make_unique<bench::BenchHost>();
    state.ResumeTiming();
    const auto zmiany = host::UrzedyCelne(*fresh->ctx).WczytajDostarczony(host::ShippedSlownikiDir());
    if (!zmiany || zmiany->dodane.size() != 3874) state.SkipWithError("the shipped office list did not fill the table");
    state.PauseTiming();
    fresh.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstStartOfficeFill)->Unit(benchmark::kMillisecond)->Iterations(5);

// Baseline: as many bare inserts of a code and a name in one transaction.
void BM_RawOfficeInsert(benchmark::State& state) {
  module::Initialize();
  for (auto _ : state) {
    state.PauseTiming();
    auto fresh = std::make_unique<bench::BenchHost>();
    state.ResumeTiming();
    host::Transaction tx(*fresh->db);
    for (int i = 1; i <= 3874; ++i)
      fresh->db->Exec(QStringLiteral("insert into UC (ID_UC, Kod, NazwaPelna) values (:I, :K, :N)"),
                      {{QStringLiteral("I"), i}, {QStringLiteral("K"), QStringLiteral("PL%1").arg(i, 6, 10, QLatin1Char('0'))},
                       {QStringLiteral("N"), QStringLiteral("Urząd %1").arg(i)}});
    tx.Commit();
    state.PauseTiming();
    fresh.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RawOfficeInsert)->Unit(benchmark::kMillisecond)->Iterations(5);

bench::BenchHost& Offices() {
  // Its context points into it: built in place, never moved.
  static bench::BenchHost* f = [] {
    auto* e = new bench::BenchHost;
    host::UrzedyCelne(*e->ctx).WczytajDostarczony(host::ShippedSlownikiDir());
    return e;
  }();
  return *f;
}

// The office picker of a field: the Polish offices of departure, opened on the field's code.
void BM_OfficePickerOpens(benchmark::State& state) {
  bench::BenchHost& f = Offices();
  for (auto _ : state) {
    std::unique_ptr<host::THostTableWin> win(host::ListaUC(*f.ctx, QStringLiteral("PL"), host::RolaUC::Wyjscia));
    win->Locate(QStringLiteral("Kod"), QStringLiteral("PL322010"));
    win->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(win->Model()->rowCount());
  }
}
BENCHMARK(BM_OfficePickerOpens)->Unit(benchmark::kMillisecond)->Iterations(20);

// Baseline: the whole list, every country and role, in the same window.
void BM_OfficeListUnfiltered(benchmark::State& state) {
  bench::BenchHost& f = Offices();
  for (auto _ : state) {
    std::unique_ptr<host::THostTableWin> win(host::ListaUC(*f.ctx, QString(), host::RolaUC::Dowolna));
    win->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(win->Model()->rowCount());
  }
}
BENCHMARK(BM_OfficeListUnfiltered)->Unit(benchmark::kMillisecond)->Iterations(20);


}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  std::cout << "\nTargets:\n  cold start to the main window (--user): " << r.Ms("BM_ColdStartToMainWindow")
            << " ms (target < 1000 ms)\n  list window over 100,000 rows: " << r.Ms("BM_ListWindowOver100kRows")
            << " ms (target < 300 ms); reading every row instead: " << r.Ms("BM_ReadAll100kRows") << " ms\n";
  const double fill = r.Ms("BM_FirstStartOfficeFill");
  const double raw = r.Ms("BM_RawOfficeInsert");
  const double picker = r.Ms("BM_OfficePickerOpens");
  const double all = r.Ms("BM_OfficeListUnfiltered");
  std::cout << "  first start's fill of 3,874 customs offices: " << fill << " ms (target < 1000 ms), "
            << (raw > 0 ? fill / raw : 0) << "x the bare inserts (" << raw << " ms)\n"
            << "  office picker by role and country over 3,874 offices: " << picker << " ms (target < 20 ms), "
            << (all > 0 ? picker / all : 0) << "x the unfiltered list (" << all << " ms)\n";
  benchmark::Shutdown();
  return 0;
}
