// The follow-up requests: a new IE014, IE141 and IE054 built for a transit of 500 messages
// whose IE015 has 999 goods items, among 100,000 departure transits of 5 messages each, on
// SQLite and (when VELMORA_BENCH_PG_URL names a server) on PostgreSQL; GetXML of each; against
// a bare parse of that IE015.
#include "arrival/follow_up_requests.h"
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
#include <QFile>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

constexpr int kTransits = 100000;
constexpr int kMessages = 500;
constexpr qint64 kOffset = 3000000;  // clear of other benchmarks' rows in a shared server
constexpr qint64 kTransit = kOffset - 1;

QString Series(host::Db& db, int n) {
  return db.GetEngine() == host::Engine::Postgres
             ? S("select g as i from generate_series(1, %1) g").arg(n)
             : S("with recursive s(i) as (select 1 union all select i + 1 from s where i < %1) select i from s").arg(n);
}

// The received answers as the customs office sends them.
QString Odpowiedz(const char* typ, const char* body) {
  return S("<?xml version=\"1.0\" encoding=\"UTF-8\"?><%1 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/%1/2013/10/\">"
           "<Naglowek NrWlasny=\"24%1UC0000001\" DataUtworzenia=\"2024-03-05T10:15:00\" MRN=\"24PL322010NS0001A7\" "
           "NrWlasnyKomunikatuPowiazanego=\"24IE0150000010\"/>%2<GlownyZobowiazany Nazwa=\"Bałtycka Spedycja Sp. z o.o.\" "
           "UlicaNumer=\"Portowa 1\" KodPocztowy=\"81-350\" Miejscowosc=\"Gdynia\" Kraj=\"PL\" TIN=\"PL5860000017\" TIR=\"0\"/></%1>")
      .arg(S(typ), S(body));
}

struct World : bench::BenchHost {
  QString deklaracja;

  explicit World(const QString& url) : BenchHost(url) {
    deklaracja = testing::PrzykladowaDeklaracja(999).Xml();
    if (db->QueryOne(S("select 1 from TRANZYTY where ID_TRANZYTY = :ID"), {{S("ID"), kTransit}})) return;
    host::Transaction tx(*db);
    // The departure list's database: a hundred thousand transits, five messages each.
    db->Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, NUMER, MRN, CREATE_DATE) "
               "select i + %1, 0, 1, 'IE028', 11, 'N' || i, 'MRN' || i, '2024-03-05' from (%2) s")
                 .arg(kOffset)
                 .arg(Series(*db, kTransits)));
    for (int k = 1; k <= 5; ++k)
      db->Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, OPIS, XML) "
                 "select (i + %1) * 10 + %2, i + %1, %2, '%3', 11, 'NR' || i || '_%2', 'komunikat', '<%3/>' from (%4) s")
                   .arg(kOffset)
                   .arg(k)
                   .arg(k == 1 ? S("IE015") : S("IE028"))
                   .arg(Series(*db, kTransits)));
    // The transit of 500 messages: its declaration first, answers of every kind after it, the
    // newest IE028, IE140 and IE051 last.
    db->Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, MRN) values (:ID, 0, 1, 'IE051', 11, '24PL322010NS0001A7')"),
             {{S("ID"), kTransit}});
    const char* const typy[] = {"IE028", "IE140", "IE051", "IE906", "IE060", "IE055"};
    for (int lp = 1; lp <= kMessages; ++lp) {
      QString typ = lp == 1 ? S("IE015") : S(typy[lp % 6]);
      QString tekst = lp == 1 ? deklaracja : Odpowiedz(typy[lp % 6], "");
      if (lp > kMessages - 3) {
        typ = S(typy[kMessages - lp]);
        const char* body[] = {"<Przyjecie DataPrzyjecia=\"2024-03-05\" UCZgloszenia=\"PL322010\"/>",
                              "<Poszukiwanie CzasNaOdpowiedz=\"28\" UCZgloszenia=\"PL322010\" UCPoszukiwania=\"PL322010\"/>",
                              "<OdmowaZwolnienia DataOdmowy=\"2024-03-05\" Powod=\"Rozbieżności\"/>"};
        tekst = Odpowiedz(typ.toLatin1().constData(), body[kMessages - lp]);
      }
      db->Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                 "values (:ID, :T, :LP, :TYP, :S, :NR, :X)"),
               {{S("ID"), (kOffset + kTransits + 1) * 10 + lp},
                {S("T"), kTransit},
                {S("LP"), lp},
                {S("TYP"), typ},
                {S("S"), lp == 1 ? 2 : 11},
                {S("NR"), lp == 1 ? S("24IE0150000010") : S("24%1UC%2").arg(typ).arg(lp, 7, 10, QLatin1Char('0'))},
                {S("X"), tekst}});
    }
    tx.Commit();
  }

  QVariantMap Wiersz() const { return {{S("ID_TRANZYTY_POZYCJE"), 0}, {S("TRANZYTY_ID"), kTransit}}; }
};

World* Sqlite() {
  static QTemporaryDir dir;
  static std::unique_ptr<World> w = std::make_unique<World>(S("sqlite:") + dir.filePath(S("follow_up.db")));
  return w.get();
}

World* Postgres() {
  static std::unique_ptr<World> w =
      qEnvironmentVariableIsSet("VELMORA_BENCH_PG_URL") ? std::make_unique<World>(qEnvironmentVariable("VELMORA_BENCH_PG_URL")) : nullptr;
  return w.get();
}

template <class Wniosek>
void Nowy(benchmark::State& state, World* w) {
  if (!w) return state.SkipWithError("no PostgreSQL (VELMORA_BENCH_PG_URL)");
  for (auto _ : state) {
    Wniosek r(*w->ctx);
    r.BeforeActivate(w->Wiersz());
    if (!r.BrakZrodla().isEmpty() || r.zobowiazany.przedstawiciel_tin.isEmpty()) return state.SkipWithError("the request was not built");
  }
}
void BM_NewIE014_Sqlite(benchmark::State& s) { Nowy<arrival::WniosekIE014>(s, Sqlite()); }
void BM_NewIE014_Postgres(benchmark::State& s) { Nowy<arrival::WniosekIE014>(s, Postgres()); }
void BM_NewIE141_Sqlite(benchmark::State& s) { Nowy<arrival::OdpowiedzIE141>(s, Sqlite()); }
void BM_NewIE141_Postgres(benchmark::State& s) { Nowy<arrival::OdpowiedzIE141>(s, Postgres()); }
void BM_NewIE054_Sqlite(benchmark::State& s) { Nowy<arrival::WniosekIE054>(s, Sqlite()); }
void BM_NewIE054_Postgres(benchmark::State& s) { Nowy<arrival::WniosekIE054>(s, Postgres()); }
BENCHMARK(BM_NewIE014_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewIE014_Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewIE141_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewIE141_Postgres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewIE054_Sqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewIE054_Postgres)->Unit(benchmark::kMillisecond);

template <class Wniosek>
void GetXML(benchmark::State& state) {
  World* w = Sqlite();
  Wniosek r(*w->ctx);
  r.BeforeActivate(w->Wiersz());
  for (auto _ : state) benchmark::DoNotOptimize(r.GetXML());
}
void BM_GetXML_IE014(benchmark::State& s) { GetXML<arrival::WniosekIE014>(s); }
void BM_GetXML_IE141(benchmark::State& s) { GetXML<arrival::OdpowiedzIE141>(s); }
void BM_GetXML_IE054(benchmark::State& s) { GetXML<arrival::WniosekIE054>(s); }
BENCHMARK(BM_GetXML_IE014)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetXML_IE141)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetXML_IE054)->Unit(benchmark::kMicrosecond);

// What a new request cannot do without: parsing its declaration once.
void BM_Baseline_ParseIE015(benchmark::State& state) {
  World* w = Sqlite();
  for (auto _ : state) benchmark::DoNotOptimize(xml::LoadXMLData(w->deklaracja));
}
BENCHMARK(BM_Baseline_ParseIE015)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Sqlite();
  Postgres();  // the data are made before anything is timed
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double parse = r.Ms("BM_Baseline_ParseIE015");
  std::cout << "\nTargets (a transit of 500 messages, its IE015 of 999 goods items; 0 = not run):\n";
  for (const char* typ : {"IE014", "IE141", "IE054"}) {
    const std::string t(typ);
    const double lite = r.Ms("BM_New" + t + "_Sqlite"), pg = r.Ms("BM_New" + t + "_Postgres");
    std::cout << "  new " << t << ": SQLite " << lite << " ms, PostgreSQL " << pg << " ms (target < 50 ms each)";
    if (parse > 0) std::cout << "; SQLite " << lite / parse << "x a bare parse of the IE015";
    std::cout << "\n  GetXML " << t << ": " << r.Ms("BM_GetXML_" + t) << " ms (target < 2 ms)\n";
  }
  benchmark::Shutdown();
  return 0;
}
