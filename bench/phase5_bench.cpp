// Phase 5 on a declaration of 999 goods items: the CC015C written from the stored declaration
// and validated against the EU's XSD, against a bare libxml2 parse of the same file measured
// in the same run; a CC029C release of 999 items loaded into its transit.
#include "exchange/cc_tables.h"
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
#include "host/xml/cc_binding.h"
#include "host/xml/xml_document.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <iostream>

using namespace velmora;

namespace {

const xml::CcVariables kVars{{QStringLiteral("sender"), QStringLiteral("PL5860000017")}, {QStringLiteral("recipient"), QStringLiteral("NTA.PL")}};

// A release of `items` goods items answering declaration 24IE0150000010, under its own number.
QString Release(int items, int number) {
  QString body;
  body.reserve(items * 700);
  for (int i = 1; i <= items; ++i)
    body += QStringLiteral("<ConsignmentItem><goodsItemNumber>%1</goodsItemNumber><declarationGoodsItemNumber>%1</declarationGoodsItemNumber>"
                           "<Commodity><descriptionOfGoods>Komputery przenośne, pozycja %1</descriptionOfGoods><CommodityCode>"
                           "<harmonizedSystemSubHeadingCode>847130</harmonizedSystemSubHeadingCode><combinedNomenclatureCode>00"
                           "</combinedNomenclatureCode></CommodityCode><GoodsMeasure><grossMass>12.5</grossMass><netMass>10</netMass>"
                           "</GoodsMeasure></Commodity><Packaging><sequenceNumber>1</sequenceNumber><typeOfPackages>CT</typeOfPackages>"
                           "<numberOfPackages>10</numberOfPackages><shippingMarks>BS/%1</shippingMarks></Packaging></ConsignmentItem>")
                .arg(i);
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ncts:CC029C xmlns:ncts=\"http://ncts.dgtaxud.ec\"><messageSender>NTA.PL</messageSender>"
             "<messageRecipient>PL5860000017</messageRecipient><preparationDateAndTime>2024-03-05T10:15:00</preparationDateAndTime>"
             "<messageIdentification>SIM029N%1</messageIdentification><messageType>CC029C</messageType>"
             "<correlationIdentifier>24IE0150000010</correlationIdentifier><TransitOperation><LRN>24IE0150000010</LRN>"
             "<MRN>24PL322010NS0001A7</MRN><declarationType>T1</declarationType><additionalDeclarationType>A</additionalDeclarationType>"
             "<declarationAcceptanceDate>2024-03-05</declarationAcceptanceDate><releaseDate>2024-03-05</releaseDate><security>0</security>"
             "<reducedDatasetIndicator>0</reducedDatasetIndicator><bindingItinerary>0</bindingItinerary></TransitOperation>"
             "<CustomsOfficeOfDeparture><referenceNumber>PL322010</referenceNumber></CustomsOfficeOfDeparture>"
             "<CustomsOfficeOfDestinationDeclared><referenceNumber>DE004057</referenceNumber></CustomsOfficeOfDestinationDeclared>"
             "<HolderOfTheTransitProcedure><identificationNumber>PL5860000017</identificationNumber></HolderOfTheTransitProcedure>"
             "<Guarantee><sequenceNumber>1</sequenceNumber><guaranteeType>1</guaranteeType><GuaranteeReference><sequenceNumber>1"
             "</sequenceNumber><GRN>24PL3220100000011</GRN><amountToBeCovered>1200.00</amountToBeCovered><currency>EUR</currency>"
             "</GuaranteeReference></Guarantee><Consignment><containerIndicator>0</containerIndicator><grossMass>12487.5</grossMass>"
             "<TransportEquipment><sequenceNumber>1</sequenceNumber><numberOfSeals>1</numberOfSeals><Seal><sequenceNumber>1"
             "</sequenceNumber><identifier>PL001</identifier></Seal></TransportEquipment><HouseConsignment><sequenceNumber>1"
             "</sequenceNumber><grossMass>12487.5</grossMass>%2</HouseConsignment></Consignment></ncts:CC029C>")
      .arg(number)
      .arg(body);
}

struct World : bench::BenchHost {
  xml::XmlDocumentPtr declaration;
  QString cc015c;
  int round = 0;

  World() {
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, FAZA) values (1, 0, 'IE015', 2, 5)"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY) "
                            "values (1000000, 1, 1, 'IE015', 2, '24IE0150000010')"));
    declaration = testing::PrzykladowaDeklaracjaCC(999).Document();
    cc015c = xml::WriteCc(*exchange::FindCcTable(5, QStringLiteral("CC015C")), declaration, kVars)->ToXml();
  }
};

World& Wd() {
  static World w;
  return w;
}

void BM_Baseline_Libxml2Parse(benchmark::State& state) {
  World& w = Wd();
  bench::BareLibxml2Parse(state, w.cc015c.toUtf8());
}
BENCHMARK(BM_Baseline_Libxml2Parse)->Unit(benchmark::kMillisecond);

void BM_WriteAndValidateCC015C(benchmark::State& state) {
  World& w = Wd();
  const xml::CcTable& table = *exchange::FindCcTable(5, QStringLiteral("CC015C"));
  for (auto _ : state) {
    const xml::XmlDocumentPtr cc = xml::WriteCc(table, w.declaration, kVars);
    if (!xml::ValidateCc(cc, 5).empty()) return state.SkipWithError("the written CC015C does not validate");
  }
}
BENCHMARK(BM_WriteAndValidateCC015C)->Unit(benchmark::kMillisecond);

void BM_LoadCC029C(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    state.PauseTiming();
    const QString text = Release(999, ++w.round);
    state.ResumeTiming();
    const QString line = exchange::WczytajKomunikat(*w.ctx, text);
    if (!line.startsWith(QLatin1String("Wczytano"))) return state.SkipWithError(line.toStdString().c_str());
  }
}
BENCHMARK(BM_LoadCC029C)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double parse = r.Ms("BM_Baseline_Libxml2Parse"), write = r.Ms("BM_WriteAndValidateCC015C");
  std::cout << "\nTargets:\n";
  if (write > 0 && parse > 0)
    std::cout << "  CC015C of 999 goods items written and validated: " << write << " ms (target < 100 ms); " << write / parse
              << "x a bare libxml2 parse of it (target <= 3)\n";
  std::cout << "  CC029C of 999 goods items loaded: " << r.Ms("BM_LoadCC029C") << " ms (target < 50 ms)\n";
  benchmark::Shutdown();
  return 0;
}
