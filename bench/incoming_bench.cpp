// Loading answers from the customs office into a database that holds many transits, as a
// ratio against bare inserts of the same rows with one commit each, measured in the same run.
#include "exchange/incoming.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>

using namespace velmora;

namespace {

// 10,000 unless VELMORA_BENCH_TRANSITS says otherwise (a profiler run takes fewer).
const int kTransits = qEnvironmentVariableIsSet("VELMORA_BENCH_TRANSITS") ? qEnvironmentVariableIntValue("VELMORA_BENCH_TRANSITS") : 10000;

struct World : bench::BenchHost {
  int round = 0;

  World() {
    host::Transaction tx(*db);
    for (int i = 1; i <= kTransits; ++i) {
      db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, NR, NUMER) values (:I, 0, 'IE015', :I, :N)"),
               {{QStringLiteral("I"), i}, {QStringLiteral("N"), QStringLiteral("%1/2024").arg(i)}});
      db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY) "
                              "values (:I, :I, 1, 'IE015', 2, :NR)"),
               {{QStringLiteral("I"), i}, {QStringLiteral("NR"), Own(i)}});
    }
    db->CreateGenerator(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    db->Exec(QStringLiteral("update GENERATORY set WARTOSC = :V where NAZWA = 'GID_TRANZYTY_POZYCJE'"),
             {{QStringLiteral("V"), kTransits * 100}});
    tx.Commit();
  }
  static QString Own(int i) { return QStringLiteral("24IE015%10").arg(i, 6, 10, QLatin1Char('0')); }
  // An IE928 answering declaration i, with an own number not used before.
  QString Answer(int i, int n) const {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><IE928><Naglowek NrWlasny=\"R%1N%2\" "
                          "DataUtworzenia=\"2024-03-05T10:15:00\" NrWlasnyKomunikatuPowiazanego=\"%3\" LRN=\"L%1\"/>"
                          "<ZlozenieZgloszenia DataZlozenia=\"2024-03-05\" UCZgloszenia=\"PL322010\"/></IE928>")
        .arg(round)
        .arg(n)
        .arg(Own(i));
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_WczytajKomunikat10k(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    state.PauseTiming();
    ++w.round;
    std::vector<QString> docs;
    docs.reserve(kTransits);
    for (int i = 1; i <= kTransits; ++i) docs.push_back(w.Answer(i, i));
    state.ResumeTiming();
    for (int i = 0; i < kTransits; ++i) {
      const QString line = exchange::WczytajKomunikat(*w.ctx, docs[i]);
      if (!line.startsWith(QLatin1String("Wczytano"))) state.SkipWithError(line.toStdString().c_str());
    }
  }
  state.SetItemsProcessed(state.iterations() * kTransits);
}
BENCHMARK(BM_WczytajKomunikat10k)->Unit(benchmark::kMillisecond)->Iterations(1);

// Baseline: the same message rows (every column the load writes) inserted bare, one commit each.
void BM_BareInserts10k(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    state.PauseTiming();
    ++w.round;
    qint64 id = 10'000'000LL * w.round;
    state.ResumeTiming();
    for (int i = 1; i <= kTransits; ++i) {
      host::Transaction tx(*w.db);
      const QString xml = w.Answer(i, i);
      w.db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, BLAD, LP, TYP, STATUS, NR_WLASNY, "
                                "NR_POWIAZANY, TYP_POWIAZANY, OPIS, DATA_WYSLANIA, CREATE_DATE, CREATE_TIME, CREATE_ID_USER, "
                                "CREATE_USER_NAME, XML, PLIK) values (:ID, :T, 0, 2, 'IE928', 11, :NR, :NRP, 'IE015', :OPIS, :DATA, "
                                ":CD, :CT, 0, '', :XML, :PLIK)"),
                 {{QStringLiteral("ID"), ++id}, {QStringLiteral("T"), i}, {QStringLiteral("NR"), QStringLiteral("B%1").arg(id)},
                  {QStringLiteral("NRP"), World::Own(i)},
                  {QStringLiteral("OPIS"), QStringLiteral("Poprawne zapisanie danych zgłoszenia o numerze własnym ") + World::Own(i)},
                  {QStringLiteral("DATA"), QDateTime(QDate(2024, 3, 5), QTime(0, 0))}, {QStringLiteral("CD"), QDate(2024, 3, 5)},
                  {QStringLiteral("CT"), QStringLiteral("08:00:00")}, {QStringLiteral("XML"), xml}, {QStringLiteral("PLIK"), xml}});
      tx.Commit();
    }
  }
  state.SetItemsProcessed(state.iterations() * kTransits);
}
BENCHMARK(BM_BareInserts10k)->Unit(benchmark::kMillisecond)->Iterations(1);


}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double load = r.Seconds("BM_WczytajKomunikat10k"), bare = r.Seconds("BM_BareInserts10k");
  if (load > 0 && bare > 0)
    std::cout << "\nTargets:\n  loading " << kTransits << " answers into " << kTransits << " transits: " << kTransits / load
              << " messages/s (target >= 1000); rate " << bare / load << "x bare inserts with one commit each (target >= 0.5)\n";
  benchmark::Shutdown();
  return 0;
}
