// The transit lists over 1,000,000 transits (half departures, half arrivals, one message
// each): opening them and changing the filter tab, on SQLite and (when VELMORA_TEST_PG_URL
// names a server) on PostgreSQL, against the bare read of the list's first page.
#include "frame/codes.h"
#include "module/registrations.h"
#include "frame/shared_state.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "lists/lista_tranzytow_win.h"

#include "bench_support.h"

#include <QApplication>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>

using namespace velmora;

namespace {

constexpr int kTransits = 1000000;

struct World : bench::BenchHost {
  explicit World(const QString& url) : BenchHost(url) {
    if (db->GetCountFieldVal(QStringLiteral("TRANZYTY")) >= kTransits) return;
    const bool pg = db->GetEngine() == host::Engine::Postgres;
    host::Transaction tx(*db);
    // Generated in the engine, one statement a table.
    const QString series = pg ? QStringLiteral("select g as i from generate_series(1, %1) g").arg(kTransits)
                              : QStringLiteral("with recursive s(i) as (select 1 union all select i + 1 from s where i < %1) select i from s").arg(kTransits);
    const QString tir = pg ? QStringLiteral("case when (i / 2) % 5 = 0 then 1 else 0 end") : QStringLiteral("(i / 2) % 5 = 0");
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, TIR, ROK, NR, NUMER, MRN, OPIS, WAGA_BRUTTO, "
                            "NADAWCA_NAZWA, ODBIORCA_NAZWA, CREATE_ID_USER, CREATE_DATE) select i, i % 2, 1, 'IE028', 11, %1, 2024, i, "
                            "'N' || i, 'MRN' || i, 'Nadanie numeru MRN', 1000 + i, 'Nadawca ' || i, 'Odbiorca ' || i, 1, '2024-03-05' "
                            "from (%2) s").arg(tir, series));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, OPIS, XML) "
                            "select i, i, 1, case when i % 2 = 0 then 'IE015' else 'IE025' end, 11, 'NR' || i, 'komunikat', '<IE015/>' from (%1) s")
                 .arg(series));
    tx.Commit();
    if (pg) db->Exec(QStringLiteral("analyze"));
  }
};

std::unique_ptr<World>& Sqlite() {
  static QTemporaryDir dir;
  static std::unique_ptr<World> w = std::make_unique<World>(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("lists.db")));
  return w;
}

std::unique_ptr<World>& Postgres() {
  static std::unique_ptr<World> w = qEnvironmentVariableIsSet("VELMORA_TEST_PG_URL")
                                        ? std::make_unique<World>(qEnvironmentVariable("VELMORA_TEST_PG_URL"))
                                        : nullptr;
  return w;
}

void OpenAndChangeTab(benchmark::State& state, World* w, int rodzaj, bool change_tab) {
  if (!w) {
    state.SkipWithError("no PostgreSQL (VELMORA_TEST_PG_URL)");
    return;
  }
  for (auto _ : state) {
    // The tab case times the change alone, on a list already open.
    if (change_tab) state.PauseTiming();
    lists::TTranzytyListaWin win(*w->ctx, rodzaj);
    win.Init();
    if (change_tab) {
      state.ResumeTiming();
      win.UstawZakladke(2);
    }
    benchmark::DoNotOptimize(win.Model()->rowCount());
    if (win.Model()->rowCount() == 0) state.SkipWithError("empty list");
  }
}

// Baseline: the departure list's first page read straight from the engine, no window.
void BarePage(benchmark::State& state, World* w) {
  if (!w) {
    state.SkipWithError("no PostgreSQL (VELMORA_TEST_PG_URL)");
    return;
  }
  lists::ListaTranzytow lista(*w->ctx, frame::kRodzajWywoz);
  const QString sql = lista.Select() + QStringLiteral(" where ") + lista.Warunki({}) + QStringLiteral(" order by ") +
                      lists::ListaTranzytow::Order() + QStringLiteral(" limit 256");
  for (auto _ : state) {
    QSqlQuery q(w->db->QtDatabase());
    q.exec(sql);
    int rows = 0;
    while (q.next()) rows += q.value(0).isValid();
    if (rows == 0) state.SkipWithError("empty page");
  }
}

void BM_DepartureListOpen_Sqlite(benchmark::State& s) { OpenAndChangeTab(s, Sqlite().get(), frame::kRodzajWywoz, false); }
void BM_DepartureListTab_Sqlite(benchmark::State& s) { OpenAndChangeTab(s, Sqlite().get(), frame::kRodzajWywoz, true); }
void BM_ArrivalListOpen_Sqlite(benchmark::State& s) { OpenAndChangeTab(s, Sqlite().get(), frame::kRodzajPrzywoz, false); }
void BM_BarePage_Sqlite(benchmark::State& s) { BarePage(s, Sqlite().get()); }
void BM_DepartureListOpen_Postgres(benchmark::State& s) { OpenAndChangeTab(s, Postgres().get(), frame::kRodzajWywoz, false); }
void BM_DepartureListTab_Postgres(benchmark::State& s) { OpenAndChangeTab(s, Postgres().get(), frame::kRodzajWywoz, true); }
void BM_ArrivalListOpen_Postgres(benchmark::State& s) { OpenAndChangeTab(s, Postgres().get(), frame::kRodzajPrzywoz, false); }
void BM_BarePage_Postgres(benchmark::State& s) { BarePage(s, Postgres().get()); }
BENCHMARK(BM_DepartureListOpen_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DepartureListTab_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ArrivalListOpen_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BarePage_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DepartureListOpen_Postgres)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DepartureListTab_Postgres)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ArrivalListOpen_Postgres)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BarePage_Postgres)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  std::cout << "\nTarget: the transit lists over 1,000,000 transits open, and change their tab once open, each under 50 ms on each engine.\n";
  for (const char* engine : {"Sqlite", "Postgres"}) {
    const double page = r.Ms(std::string("BM_BarePage_") + engine);
    if (page <= 0) continue;
    for (const char* what : {"DepartureListOpen_", "DepartureListTab_", "ArrivalListOpen_"}) {
      const double ms = r.Ms(std::string("BM_") + what + engine);
      std::cout << "  " << what << engine << ": " << ms << " ms, " << ms / page << "x the bare first page (" << page << " ms)"
                << (ms < 50 ? "" : "  OVER TARGET") << "\n";
    }
  }
  benchmark::Shutdown();
  return 0;
}
