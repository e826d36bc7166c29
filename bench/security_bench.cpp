// The security of every goods item of one declaration with 999 items (each currency's rate
// read from SQLite once), and, for comparison, the editor's way: one rate query per item. The
// baseline measured in the same run parses the stored text and reads the items' inputs.
#include "departure/security_amount.h"
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/exchange_rates.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "host/xml/messages.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

const QString kKursy = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<tabela_kursow typ="A"><numer_tabeli>044/A/NBP/2024</numer_tabeli><data_notowania>2024-03-04</data_notowania>
<data_publikacji>2024-03-04</data_publikacji>
<pozycja><nazwa_waluty>euro</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>EUR</kod_waluty><kurs_sredni>4,2512</kurs_sredni></pozycja>
<pozycja><nazwa_waluty>dolar</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>USD</kod_waluty><kurs_sredni>3,9712</kurs_sredni></pozycja>
<pozycja><nazwa_waluty>forint</nazwa_waluty><przelicznik>100</przelicznik><kod_waluty>HUF</kod_waluty><kurs_sredni>1,0954</kurs_sredni></pozycja>
</tabela_kursow>)");

const QString kInputs[] = {QStringLiteral("StawkaCla"), QStringLiteral("StawkaClaDodatkowego"), QStringLiteral("StawkaVAT"),
                           QStringLiteral("Wartosc"), QStringLiteral("WalutaWartosci")};

struct World : bench::BenchHost {
  QString xml;

  World() {
    user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QStringLiteral("Gdynia"), false, false, false));
    host::ExchangeRates(*db, user, clock).ImportTabelaAXml(kKursy);
    const xml::Message m = testing::PrzykladowaDeklaracja(999);
    const char* waluty[] = {"EUR", "USD", "HUF", "PLN"};
    int i = 0;
    for (xml::Group t : m.Root().List(xml::kIE015_Towar)) {
      xml::Group z = departure::ElementZabezpieczenia(t);
      z.Set(kInputs[0], QString::number(i % 13));
      z.Set(kInputs[1], i % 5 == 0 ? QStringLiteral("2,5") : QStringLiteral("0"));
      z.Set(kInputs[2], QStringLiteral("23"));
      z.Set(kInputs[3], QStringLiteral("%1,%2").arg(1000 + 37 * i).arg(i % 100, 2, 10, QLatin1Char('0')));
      z.Set(kInputs[4], QString::fromLatin1(waluty[i % 4]));
      ++i;
    }
    xml = m.Xml();
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_ZabezpieczenieDeklaracji(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    const QStringList lines = departure::FormatujZabezpieczenie(departure::ZabezpieczenieDeklaracji(*w.ctx, w.xml));
    if (lines.size() != 1000) return state.SkipWithError("not every goods item was computed");
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_ZabezpieczenieDeklaracji)->Unit(benchmark::kMillisecond);

// As the goods item editor computes: a rate query for every item.
void BM_KazdaPozycjaKursZBazy(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    const xml::Message m = xml::GetIE015(xml::LoadXMLData(w.xml));
    qint64 suma = 0;
    for (xml::Group t : m.Root().List(xml::kIE015_Towar)) {
      const xml::Group z = departure::ElementZabezpieczenia(t);
      departure::WejscieZabezpieczenia we{z.Get(kInputs[0]), z.Get(kInputs[1]), z.Get(kInputs[2]), z.Get(kInputs[3]),
                                          z.Get(kInputs[4]), false, true, QStringLiteral("24PL322010000001A1")};
      suma += departure::ObliczZabezp(*w.ctx, z, we).razem;
    }
    benchmark::DoNotOptimize(suma);
  }
}
BENCHMARK(BM_KazdaPozycjaKursZBazy)->Unit(benchmark::kMillisecond);

// The least any computation does: the stored text parsed and every item's inputs read.
void BM_Baseline_ReadInputs(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    const xml::Message m = xml::GetIE015(xml::LoadXMLData(w.xml));
    qsizetype chars = 0;
    for (const xml::Group& t : m.Root().List(xml::kIE015_Towar)) {
      const xml::Group z = t.Get(xml::kIE015_DaneKrajowe).Get(xml::kIE015_Zabezpieczenie);
      for (const QString& f : kInputs) chars += z.Get(f).size();
    }
    benchmark::DoNotOptimize(chars);
  }
}
BENCHMARK(BM_Baseline_ReadInputs)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double all = r.Ms("BM_ZabezpieczenieDeklaracji");
  const double each = r.Ms("BM_KazdaPozycjaKursZBazy");
  const double base = r.Ms("BM_Baseline_ReadInputs");
  std::cout << "\nTargets:\n";
  if (all > 0 && base > 0)
    std::cout << "  security of the 999 goods items of one declaration: " << all << " ms (target < 50 ms); " << all / base
              << "x parsing it and reading the items' inputs\n";
  if (each > 0 && base > 0)
    std::cout << "  the same with a rate query per item (the editor's way): " << each << " ms; " << each / base << "x the baseline\n";
  benchmark::Shutdown();
  return 0;
}
