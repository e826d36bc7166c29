// The arrival notification editor: loading a stored IE007 (9 events, each with 99 containers
// and 99 seals; 50 costs) in a database of 100,000 arrival transits, on SQLite and (when
// VELMORA_BENCH_PG_URL names a server) on PostgreSQL; GetXML of it; the rate lookup over ten
// years of daily tables (2,600 × 35 currencies) against a bare primary-key select.
#include "arrival/arrival_event.h"
#include "arrival/arrival_notification.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "host/xml/bodies.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

constexpr int kTransits = 100000;
constexpr qint64 kOffset = 2000000;  // clear of other benchmarks' rows in a shared server
constexpr qint64 kTransit = kOffset - 1;

QString Series(host::Db& db, int n) {
  return db.GetEngine() == host::Engine::Postgres
             ? S("select g as i from generate_series(1, %1) g").arg(n)
             : S("with recursive s(i) as (select 1 union all select i + 1 from s where i < %1) select i from s").arg(n);
}

struct World : bench::BenchHost {
  explicit World(const QString& url) : BenchHost(url) {
    if (db->QueryOne(S("select 1 from TRANZYTY where ID_TRANZYTY = :ID"), {{S("ID"), kTransit}})) return;
    host::Transaction tx(*db);
    db->Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, NUMER, MRN, CREATE_DATE) "
               "select i + %1, 1, 1, 'IE007', 2, 'P' || i, '24PL3220100' || i, '2024-03-05' from (%2) s")
                 .arg(kOffset)
                 .arg(Series(*db, kTransits)));
    db->Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, MRN, WALUTA, KURS, WARTOSC_WAL, DATA) "
               "values (:ID, 1, 1, 'IE007', 1, '24PL322010NS0001A7', 'EUR', 4.2512, 1000, '2024-03-05')"),
             {{S("ID"), kTransit}});
    db->Exec(S("insert into TRANZYTY_KOSZTY (ID_TRANZYTY_KOSZTY, TRANZYTY_ID, LP, KOD, WARTOSC_WAL, WALUTA, KURS, WARTOSC_PLN) "
               "select i + %1, %2, i, '1', 10, 'EUR', 4.2512, 42.51 from (%3) s")
                 .arg(kOffset)
                 .arg(kTransit)
                 .arg(Series(*db, 50)));
    // The stored notification.
    xml::Message m = xml::NewIE007();
    m.EnsureNaglowek().SetNrWlasny(S("24IE0070000100"));
    for (int e = 1; e <= 9; ++e) {
      xml::Group z = m.Root().Add(xml::kIE007_Zdarzenie);
      arrival::ZdarzenieIE007 zd;
      zd.SetXML(z);
      zd.pola.miejsce = S("Miejsce %1").arg(e);
      zd.pola.kraj = S("DE");
      zd.pola.przeladunek = true;
      QStringList kontenery, zamkniecia;
      for (int i = 0; i < 99; ++i) {
        kontenery << S("MSKU%1").arg(1000000 + i);
        zamkniecia << S("PL%1").arg(i);
      }
      zd.pola.kontenery = kontenery.join(QLatin1Char('\n'));
      zd.pola.zamkniecia = zamkniecia.join(QLatin1Char('\n'));
      zd.GetXML();
    }
    db->Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
               "values (:ID, :T, 1, 'IE007', 1, '24IE0070000100', :X)"),
             {{S("ID"), kTransit}, {S("T"), kTransit}, {S("X"), m.Xml()}});
    // Ten years of daily tables, 35 currencies each.
    db->Exec(S("insert into TABELA_KURSY (ID_TABELA_KURSY, NUMER, DATA_PUBLIKACJI, ZRODLO, TYP, DATA, NAZWA) "
               "select i + %1, 'T' || i, %2, 'NBP-A', 0, %2, 'Tabela nr T' || i from (%3) s")
                 .arg(kOffset)
                 .arg(db->GetEngine() == host::Engine::Postgres ? S("date '2014-01-01' + i") : S("date('2014-01-01', '+' || i || ' days')"))
                 .arg(Series(*db, 2600)));
    for (int w = 0; w < 35; ++w)
      db->Exec(S("insert into KURSY (ID_KURSY, TABELA_ID, WALUTA, PRZELICZNIK, KURS) select i * 100 + %1 + %2, i + %2, '%3', 1, 4 + i / 10000.0 "
                 "from (%4) s")
                   .arg(w)
                   .arg(kOffset)
                   .arg(w == 0 ? S("EUR") : S("W%1").arg(w, 2, 10, QLatin1Char('0')))
                   .arg(Series(*db, 2600)));
    tx.Commit();
  }

  QVariantMap Wiersz() const { return {{S("ID_TRANZYTY"), kTransit}, {S("STATUS"), 1}, {S("REJESTRY_ID"), 1}}; }
};

World* Sqlite() {
  static QTemporaryDir dir;
  static std::unique_ptr<World> w = std::make_unique<World>(S("sqlite:") + dir.filePath(S("arrival.db")));
  return w.get();
}

World* Postgres() {
  static std::unique_ptr<World> w =
      qEnvironmentVariableIsSet("VELMORA_BENCH_PG_URL") ? std::make_unique<World>(qEnvironmentVariable("VELMORA_BENCH_PG_URL")) : nullptr;
  return w.get();
}

void Load(benchmark::State& state, World* w) {
  if (!w) return state.SkipWithError("no PostgreSQL (VELMORA_BENCH_PG_URL)");
  for (auto _ : state) {
    arrival::ZawiadomienieIE007 z(*w->ctx);
    z.BeforeActivate(w->Wiersz());
    z.SetXML(z.NajnowszyTekst());
    if (z.Zdarzenia().size() != 9 || z.Koszty().size() != 50) return state.SkipWithError("the stored notification did not load");
  }
}
void BM_LoadStoredIE007_Sqlite(benchmark::State& state) { Load(state, Sqlite()); }
BENCHMARK(BM_LoadStoredIE007_Sqlite)->Unit(benchmark::kMillisecond);
void BM_LoadStoredIE007_Postgres(benchmark::State& state) { Load(state, Postgres()); }
BENCHMARK(BM_LoadStoredIE007_Postgres)->Unit(benchmark::kMillisecond);

void BM_GetXML(benchmark::State& state) {
  World* w = Sqlite();
  arrival::ZawiadomienieIE007 z(*w->ctx);
  z.BeforeActivate(w->Wiersz());
  z.SetXML(z.NajnowszyTekst());
  for (auto _ : state) benchmark::DoNotOptimize(z.GetXML());
}
BENCHMARK(BM_GetXML)->Unit(benchmark::kMillisecond);

void BM_Baseline_PrimaryKeySelect(benchmark::State& state) {
  World* w = Sqlite();
  for (auto _ : state)
    benchmark::DoNotOptimize(w->db->QueryOne(S("select KURS from KURSY where ID_KURSY = :ID"), {{S("ID"), kOffset + 1300 * 100}}));
}
BENCHMARK(BM_Baseline_PrimaryKeySelect)->Unit(benchmark::kMicrosecond);

void BM_PrzeliczKurs(benchmark::State& state) {
  World* w = Sqlite();
  arrival::ZawiadomienieIE007 z(*w->ctx);
  z.BeforeActivate(w->Wiersz());
  z.pola.waluta = S("EUR");
  z.pola.data = QDate(2019, 6, 15);
  for (auto _ : state)
    if (z.PrzeliczKurs().Surowa() == 0) return state.SkipWithError("no rate found");
}
BENCHMARK(BM_PrzeliczKurs)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Sqlite();
  Postgres();  // the data are made before anything is timed
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  std::cout << "\nTargets:\n";
  std::cout << "  loading the stored IE007 among 100,000 arrivals: SQLite " << r.Ms("BM_LoadStoredIE007_Sqlite") << " ms, PostgreSQL "
            << r.Ms("BM_LoadStoredIE007_Postgres") << " ms (target < 20 ms each; 0 = not run)\n";
  std::cout << "  GetXML of it: " << r.Ms("BM_GetXML") << " ms (target < 5 ms)\n";
  const double pk = r.Ms("BM_Baseline_PrimaryKeySelect"), kurs = r.Ms("BM_PrzeliczKurs");
  if (pk > 0 && kurs > 0)
    std::cout << "  PrzeliczKurs over 2,600 tables x 35 currencies: " << kurs << " ms (target < 1 ms); " << kurs / pk
              << "x a bare primary-key select (target <= 3)\n";
  benchmark::Shutdown();
  return 0;
}
