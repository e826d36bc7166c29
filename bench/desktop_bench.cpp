// Desktop benchmarks: start-up to a usable main window, and a list window over many rows.
#include "app/application.h"
#include "frame/package.h"
#include "host/clock.h"
#include "host/db.h"
#include "host/frm_sql_win.h"
#include "host/host_context.h"
#include "host/host_tables.h"
#include "host/main_form.h"
#include "host/options.h"
#include "host/scripted_dialogs.h"
#include "host/tools_db.h"
#include "host/users.h"

#include <QApplication>
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
    frame::Initialize();
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
    frame::Initialize();
    a.OpenDatabase();
    QString error;
    a.ChooseUser(nullptr, &error);
    host::TMainForm* form = a.CreateMainForm();
    form->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(form);
    frame::Finalize();
  }
}
BENCHMARK(BM_ColdStartToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

struct ListFixture {
  std::unique_ptr<host::Db> db;
  host::FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(8, 0))};
  host::CurrentUser user;
  host::ScriptedDialogs dialogs;
  std::unique_ptr<host::TOptionsDB> options;
  std::unique_ptr<host::HostContext> ctx;
  ListFixture() {
    frame::Initialize();
    db = host::Db::Open(QStringLiteral("sqlite:") + Dir().filePath(QStringLiteral("list.db")));
    host::CheckChangeDB(*db);
    options = std::make_unique<host::TOptionsDB>(*db, user);
    ctx.reset(new host::HostContext{*db, *options, user, clock, dialogs, Dir().path(), nullptr});
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
  benchmark::Shutdown();
  return 0;
}
