// The unloading remarks on an IE043 of 999 goods items (5 packages, 3 documents, 2 containers
// each): a new IE044 opened from it against a bare libxml2 parse of the same IE043; with 500
// items remarked, adding one more difference, the wizard's list and GetXML.
#include "arrival/unloading_remarks.h"
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
#include "host/xml/xml_document.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

QString IE043(int towary) {
  QString t = S("<?xml version=\"1.0\" encoding=\"UTF-8\"?><IE043 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE043/2013/10/\">"
                "<Naglowek NrWlasny=\"N\" DataUtworzenia=\"2024-03-05T10:00:00\" MRN=\"24PL322010NS0001A7\"/>"
                "<Rozladunek UCPrzeznaczenia=\"PL322020\"/><Tranzyt Deklaracja=\"T1\" LiczbaPozycji=\"%1\" LiczbaOpakowan=\"%2\" "
                "MasaBrutto=\"%3\"/><UpowaznionyOdbiorca Nazwa=\"Magazyn\" TIN=\"PL1\"/><Transport Znaki=\"GD1\" Kraj=\"PL\"/>")
                  .arg(towary)
                  .arg(towary * 50)
                  .arg(towary * 100);
  for (int i = 1; i <= towary; ++i) {
    t += S("<Towar PozId=\"%1\" KodTowarowy=\"84713000\" OpisTowaru=\"Komputery %1\" MasaBrutto=\"100.000\" MasaNetto=\"90.000\">").arg(i);
    for (int k = 1; k <= 5; ++k) t += S("<Opakowanie PozId=\"%1\" Rodzaj=\"CT\" Znaki=\"Z/%2\" LiczbaOpakowan=\"10\"/>").arg(k).arg(i);
    for (int k = 1; k <= 2; ++k) t += S("<Kontener PozId=\"%1\" Numer=\"MSKU%2%1\"/>").arg(k).arg(i);
    for (int k = 1; k <= 3; ++k) t += S("<DokumentWymagany PozId=\"%1\" Kod=\"N380\" Nr=\"FV/%2/%1\"/>").arg(k).arg(i);
    t += S("</Towar>");
  }
  return t + S("</IE043>");
}

struct World : bench::BenchHost {
  QString ie043;
  const QVariantMap wiersz{{S("TRANZYTY_ID"), 5}, {S("STATUS"), 0}};

  World() {
    ie043 = IE043(999);
    db->Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (5, 1, 'IE043', 11)"));
    const QString ie007 = S("<IE007 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE007/2013/10/\"><Naglowek NrWlasny=\"N\"/></IE007>");
    for (const auto& [lp, typ, xml] : {std::tuple{1, "IE007", ie007}, std::tuple{2, "IE043", ie043}})
      db->Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, XML) values (:ID, 5, :LP, :T, 11, :X)"),
               {{S("ID"), lp}, {S("LP"), lp}, {S("T"), S(typ)}, {S("X"), xml}});
  }
  // An IE044 with the first 500 items reported as differences.
  std::unique_ptr<arrival::UwagiRozladunkoweIE044> Zmienione() {
    auto u = std::make_unique<arrival::UwagiRozladunkoweIE044>(*ctx);
    u->SetXML(wiersz, QString());
    u->ZmienZgodnosc(true);
    for (int i = 1; i <= 500; ++i) u->DodajTowar(arrival::kRozbieznosc, i, 999, {});
    return u;
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_Baseline_ParseIE043(benchmark::State& state) {
  bench::BareLibxml2Parse(state, Wd().ie043.toUtf8());
}
BENCHMARK(BM_Baseline_ParseIE043)->Unit(benchmark::kMillisecond);

void BM_OpenNewIE044(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    arrival::UwagiRozladunkoweIE044 u(*w.ctx);
    if (!u.SetXML(w.wiersz, QString())) return state.SkipWithError("the permission did not load");
    benchmark::DoNotOptimize(arrival::WynikKontroliIE044(u.IE043(), u.IE044()).Wiersze().size());
  }
}
BENCHMARK(BM_OpenNewIE044)->Unit(benchmark::kMillisecond);

void BM_AddDifferenceAt500(benchmark::State& state) {
  auto u = Wd().Zmienione();
  for (auto _ : state) {
    const auto d = u->DodajTowar(arrival::kRozbieznosc, 777, 999, {});
    state.PauseTiming();
    u->Cofnij(d);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddDifferenceAt500)->Unit(benchmark::kMillisecond);

void BM_WizardListAt500(benchmark::State& state) {
  auto u = Wd().Zmienione();
  for (auto _ : state) benchmark::DoNotOptimize(arrival::WynikKontroliIE044(u->IE043(), u->IE044()).Wiersze().size());
}
BENCHMARK(BM_WizardListAt500)->Unit(benchmark::kMillisecond);

void BM_GetXMLAt500(benchmark::State& state) {
  auto u = Wd().Zmienione();
  for (auto _ : state) benchmark::DoNotOptimize(u->GetXML());
}
BENCHMARK(BM_GetXMLAt500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Wd();
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double parse = r.Ms("BM_Baseline_ParseIE043"), open = r.Ms("BM_OpenNewIE044");
  std::cout << "\nTargets:\n";
  if (parse > 0 && open > 0)
    std::cout << "  a new IE044 from an IE043 of 999 items, with the wizard's list: " << open << " ms (target < 100 ms); " << open / parse
              << "x a bare parse of the IE043 (target <= 3)\n";
  std::cout << "  with 500 items remarked: adding a difference " << r.Ms("BM_AddDifferenceAt500") << " ms (target < 5 ms), the wizard's list "
            << r.Ms("BM_WizardListAt500") << " ms (target < 20 ms), GetXML " << r.Ms("BM_GetXMLAt500") << " ms (target < 50 ms)\n";
  benchmark::Shutdown();
  return 0;
}
