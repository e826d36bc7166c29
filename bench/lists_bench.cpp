// The departure list over 100,000 transits with 5 messages each: opening it and changing the
// filter tab, on SQLite and (when VELMORA_BENCH_PG_URL names a server) on PostgreSQL.
#include "frame/codes.h"
#include "frame/package.h"
#include "frame/shared_state.h"
#include "host/clock.h"
#include "host/db.h"
#include "host/host_context.h"
#include "host/options.h"
#include "host/scripted_dialogs.h"
#include "host/tools_db.h"
#include "host/users.h"
#include "lists/tranzyty_lista_win.h"

#include <QApplication>
#include <QSqlQueryModel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>

using namespace velmora;

namespace {

constexpr int kTransits = 100000;

struct World {
  std::unique_ptr<host::Db> db;
  host::FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(8, 0))};
  host::CurrentUser user;
  host::ScriptedDialogs dialogs;
  std::unique_ptr<host::TOptionsDB> options;
  std::unique_ptr<host::HostContext> ctx;

  explicit World(const QString& url) {
    frame::Initialize();
    db = host::Db::Open(url);
    host::CheckChangeDB(*db);
    options = std::make_unique<host::TOptionsDB>(*db, user);
    ctx.reset(new host::HostContext{*db, *options, user, clock, dialogs, QString(), nullptr});
    if (db->GetCountFieldVal(QStringLiteral("TRANZYTY")) >= kTransits) return;
    host::Transaction tx(*db);
    // Generated in the engine: a hundred thousand transits, five messages each.
    const QString series = db->GetEngine() == host::Engine::Postgres
                               ? QStringLiteral("select g as i from generate_series(1, %1) g").arg(kTransits)
                               : QStringLiteral("with recursive s(i) as (select 1 union all select i + 1 from s where i < %1) select i from s").arg(kTransits);
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, TIR, ROK, NR, NUMER, MRN, OPIS, WAGA_BRUTTO, "
                            "NADAWCA_NAZWA, ODBIORCA_NAZWA, CREATE_ID_USER, CREATE_DATE) select i, i % 2, 1, 'IE028', 11, (i / 2) % 5 = 0, 2024, i, "
                            "'N' || i, 'MRN' || i, 'Nadanie numeru MRN', 1000 + i, 'Nadawca ' || i, 'Odbiorca ' || i, 1, '2024-03-05' "
                            "from (%1) s").arg(series).replace(QStringLiteral("(i / 2) % 5 = 0"),
                                                                db->GetEngine() == host::Engine::Postgres ? QStringLiteral("case when (i / 2) % 5 = 0 then 1 else 0 end")
                                                                                                          : QStringLiteral("(i / 2) % 5 = 0")));
    for (int k = 1; k <= 5; ++k)
      db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, OPIS, XML) "
                              "select i * 10 + %1, i, %1, 'IE015', 11, 'NR' || i || '_%1', 'komunikat', '<IE015/>' from (%2) s").arg(k).arg(series));
    tx.Commit();
  }
};

std::unique_ptr<World>& Sqlite() {
  static QTemporaryDir dir;
  static std::unique_ptr<World> w = std::make_unique<World>(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("lists.db")));
  return w;
}

std::unique_ptr<World>& Postgres() {
  static std::unique_ptr<World> w = qEnvironmentVariableIsSet("VELMORA_BENCH_PG_URL")
                                        ? std::make_unique<World>(qEnvironmentVariable("VELMORA_BENCH_PG_URL"))
                                        : nullptr;
  return w;
}

void OpenAndChangeTab(benchmark::State& state, World* w, bool change_tab) {
  if (!w) {
    state.SkipWithError("no PostgreSQL (VELMORA_BENCH_PG_URL)");
    return;
  }
  for (auto _ : state) {
    lists::TTranzytyListaWin win(*w->ctx, frame::kRodzajWywoz);
    win.Init();
    if (change_tab) win.UstawZakladke(2);
    benchmark::DoNotOptimize(win.Model()->rowCount());
    if (win.Model()->rowCount() == 0) state.SkipWithError("empty list");
  }
}

void BM_DepartureListOpen_Sqlite(benchmark::State& s) { OpenAndChangeTab(s, Sqlite().get(), false); }
void BM_DepartureListTab_Sqlite(benchmark::State& s) { OpenAndChangeTab(s, Sqlite().get(), true); }
void BM_DepartureListOpen_Postgres(benchmark::State& s) { OpenAndChangeTab(s, Postgres().get(), false); }
void BM_DepartureListTab_Postgres(benchmark::State& s) { OpenAndChangeTab(s, Postgres().get(), true); }
BENCHMARK(BM_DepartureListOpen_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DepartureListTab_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DepartureListOpen_Postgres)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DepartureListTab_Postgres)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::cout << "\nTarget: the departure list over 100,000 transits opens, and changes its tab, under 300 ms on each engine.\n";
  benchmark::Shutdown();
  return 0;
}
