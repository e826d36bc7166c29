#include "support/test_host.h"

#include "host/db/exchange_rates.h"
#include "host/db/tools_db.h"

#include <QFile>

namespace velmora::testing {
namespace {

using host::ExchangeRates;
using host::ExchangeRatesError;
using host::ImportResult;

QString RateXml(const QString& code, const QString& mid, const QString& name = {}) {
  return QStringLiteral("<Rate><Currency>%1</Currency><Code>%2</Code><Mid>%3</Mid></Rate>").arg(name, code, mid);
}

QString TableXml(const QString& numer, const QString& date, const QString& rates, const QString& typ = QStringLiteral("A")) {
  return QStringLiteral("<ExchangeRatesTable><Table>%1</Table><No>%2</No><EffectiveDate>%3</EffectiveDate>"
                        "<Rates>%4</Rates></ExchangeRatesTable>")
      .arg(typ, numer, date, rates);
}

QString ArrayXml(const QString& tables) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ArrayOfExchangeRatesTable "
             "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">") +
         tables + QStringLiteral("</ArrayOfExchangeRatesTable>");
}

// The later table comes first: the rate in force must follow the dates, not the file order.
QString CurrentFile() {
  const auto rates = [](const QString& eur, const QString& usd, const QString& gbp) {
    return RateXml("EUR", eur, "euro") + RateXml("USD", usd, "dolar amerykański") + RateXml("GBP", gbp, "funt szterling");
  };
  return ArrayXml(TableXml("045/A/NBP/2024", "2024-03-05", rates("4.3215", "3.9712", "5.0433")) +
                  TableXml("043/A/NBP/2024", "2024-03-01", rates("4.3192", "3.9876", "5.0512")));
}

const QString kOlderFile = QStringLiteral(R"(<?xml version="1.0" encoding="ISO-8859-2"?>
<tabela_kursow typ="A" uid="24a046">
  <numer_tabeli>046/A/NBP/2024</numer_tabeli>
  <data_notowania>2024-03-06</data_notowania>
  <data_publikacji>2024-03-06</data_publikacji>
  <pozycja><nazwa_waluty>euro</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>EUR</kod_waluty><kurs_sredni>4,3301</kurs_sredni></pozycja>
  <pozycja><nazwa_waluty>forint (Węgry)</nazwa_waluty><przelicznik>100</przelicznik><kod_waluty>HUF</kod_waluty><kurs_sredni>1,0954</kurs_sredni></pozycja>
  <pozycja><nazwa_waluty>funt szterling</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>GBP</kod_waluty><kurs_sredni>5,0398</kurs_sredni></pozycja>
</tabela_kursow>
)");

class ExchangeRatesTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    host::TToolsDB tools(host_->db());
    host::ExchangeRatesSchema(tools);
    tools.Finish();
    rates_ = std::make_unique<ExchangeRates>(host_->db(), host_->user, host_->clock);
  }

  ImportResult ImportFile(const QString& text) {
    const QString path = dir_.filePath(QStringLiteral("kursy.xml"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    return rates_->ImportTabelaA(path);
  }

  QStringList Counts() {
    QStringList out;
    for (const char* table : {"WALUTY", "TABELA_KURSY", "KURSY"})
      out << QStringLiteral("%1=%2").arg(QLatin1String(table)).arg(host_->db().GetCountFieldVal(QLatin1String(table)));
    return out;
  }

  QTemporaryDir dir_;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<ExchangeRates> rates_;
};

TEST_P(ExchangeRatesTest, CurrentLayoutGivesTheRateInForceOnADate) {
  // The złoty needs no table.
  const auto pln = rates_->GetKursy(QStringLiteral("PLN"), QDate(2024, 3, 5));
  ASSERT_TRUE(pln);
  EXPECT_EQ(pln->kurs, 1.0);
  EXPECT_EQ(pln->przelicznik, 1);
  EXPECT_FALSE(rates_->GetKursy(QStringLiteral("EUR"), QDate(2024, 3, 5)));

  const ImportResult result = ImportFile(CurrentFile());
  EXPECT_EQ(result.tabele, 2);
  EXPECT_EQ(result.kursy, 6);
  EXPECT_TRUE(result.pominiete.isEmpty());

  struct Case {
    QDate date;
    double kurs;
    const char* tabela;
  };
  for (const Case& c : {Case{QDate(2024, 3, 1), 4.3192, "043/A/NBP/2024"}, Case{QDate(2024, 3, 4), 4.3192, "043/A/NBP/2024"},
                        Case{QDate(2024, 3, 5), 4.3215, "045/A/NBP/2024"}, Case{QDate(2024, 12, 31), 4.3215, "045/A/NBP/2024"}}) {
    SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
    const auto eur = rates_->GetKursy(QStringLiteral("EUR"), c.date);
    ASSERT_TRUE(eur);
    EXPECT_DOUBLE_EQ(eur->kurs, c.kurs);
    EXPECT_EQ(eur->tabela, QLatin1String(c.tabela));
  }
  EXPECT_FALSE(rates_->GetKursy(QStringLiteral("EUR"), QDate(2024, 2, 29)));
  EXPECT_FALSE(rates_->GetKursy(QStringLiteral("CHF"), QDate(2024, 3, 5)));
  const auto usd = rates_->GetKursy(QStringLiteral("usd"), QDate(2024, 3, 7));
  ASSERT_TRUE(usd);
  EXPECT_DOUBLE_EQ(usd->kurs, 3.9712);
  EXPECT_EQ(usd->data, QDate(2024, 3, 5));

  const auto waluty = rates_->ListWaluty();
  ASSERT_EQ(waluty.size(), 3u);
  EXPECT_EQ(waluty[0].kod, QStringLiteral("EUR"));
  EXPECT_EQ(waluty[1].kod, QStringLiteral("GBP"));
  EXPECT_EQ(waluty[2].kod, QStringLiteral("USD"));
  EXPECT_EQ(waluty[2].nazwa, QStringLiteral("dolar amerykański"));
}

TEST_P(ExchangeRatesTest, OlderLayoutReadsDecimalCommaAndRatesForManyUnits) {
  rates_->ImportTabelaAXml(CurrentFile());
  const ImportResult result = rates_->ImportTabelaAXml(kOlderFile);
  EXPECT_EQ(result.tabele, 1);
  EXPECT_EQ(result.kursy, 3);

  const auto eur = rates_->GetKursy(QStringLiteral("EUR"), QDate(2024, 3, 6));
  ASSERT_TRUE(eur);
  EXPECT_DOUBLE_EQ(eur->kurs, 4.3301);
  EXPECT_EQ(eur->tabela, QStringLiteral("046/A/NBP/2024"));

  const auto huf = rates_->GetKursy(QStringLiteral("HUF"), QDate(2024, 3, 8));
  ASSERT_TRUE(huf);
  EXPECT_EQ(huf->przelicznik, 1);  // the table's rate for 100 units, kept per unit
  EXPECT_DOUBLE_EQ(huf->kurs, 0.010954);
  EXPECT_FALSE(rates_->GetKursy(QStringLiteral("HUF"), QDate(2024, 3, 5)));

  // Known currencies are not added again; the new one keeps its Polish name.
  const auto waluty = rates_->ListWaluty();
  ASSERT_EQ(waluty.size(), 4u);
  EXPECT_EQ(waluty[2].kod, QStringLiteral("HUF"));
  EXPECT_EQ(waluty[2].nazwa, QStringLiteral("forint (Węgry)"));
}

TEST_P(ExchangeRatesTest, TablesAlreadyImportedAreSkipped) {
  ImportFile(CurrentFile());
  const QStringList before = Counts();

  const ImportResult again = ImportFile(CurrentFile());
  EXPECT_EQ(again.tabele, 0);
  EXPECT_EQ(again.kursy, 0);
  EXPECT_EQ(again.pominiete, QStringList({QStringLiteral("045/A/NBP/2024"), QStringLiteral("043/A/NBP/2024")}));
  EXPECT_EQ(Counts(), before);

  // One old and one new table in a file: only the new one is stored.
  const ImportResult mixed = rates_->ImportTabelaAXml(ArrayXml(TableXml("045/A/NBP/2024", "2024-03-05", RateXml("EUR", "9.9")) +
                                                               TableXml("047/A/NBP/2024", "2024-03-07", RateXml("EUR", "4.3288"))));
  EXPECT_EQ(mixed.tabele, 1);
  EXPECT_EQ(mixed.kursy, 1);
  EXPECT_EQ(mixed.pominiete, QStringList{QStringLiteral("045/A/NBP/2024")});
  EXPECT_DOUBLE_EQ(rates_->GetKursy(QStringLiteral("EUR"), QDate(2024, 3, 6))->kurs, 4.3215);
  EXPECT_DOUBLE_EQ(rates_->GetKursy(QStringLiteral("EUR"), QDate(2024, 3, 7))->kurs, 4.3288);
}

TEST_P(ExchangeRatesTest, FaultyDocumentStoresNothingAtAll) {
  ImportFile(CurrentFile());
  const QStringList before = Counts();

  // A good table with a new currency ahead of the faulty one: it must not stay behind either.
  const QString good = TableXml("050/A/NBP/2024", "2024-03-12", RateXml("CHF", "4.5102", "frank szwajcarski"));
  const auto with_eur = [&](const QString& mid) { return ArrayXml(good + TableXml("051/A/NBP/2024", "2024-03-13", RateXml("EUR", mid))); };
  QString older_bad_unit = kOlderFile;
  older_bad_unit.replace(QStringLiteral("<przelicznik>100<"), QStringLiteral("<przelicznik>0<"));

  struct Case {
    QString xml;
    QString message;
  };
  const std::vector<Case> cases = {
      {with_eur("abc"), QStringLiteral("Niepoprawny kurs waluty EUR: abc")},
      {with_eur("0.0000"), QStringLiteral("Niepoprawny kurs waluty EUR: 0.0000")},
      {older_bad_unit, QStringLiteral("Niepoprawny przelicznik waluty HUF: 0")},
      {ArrayXml(good + TableXml("051/A/NBP/2024", "2024-02-30", RateXml("EUR", "4.3"))),
       QStringLiteral("Niepoprawna data tabeli kursów 051/A/NBP/2024: 2024-02-30")},
      {ArrayXml(good + TableXml("051/B/NBP/2024", "2024-03-13", RateXml("AFN", "0.0551"), "B")),
       QStringLiteral("tylko tabele A")},
      {ArrayXml(good + TableXml("051/A/NBP/2024", "2024-03-13", RateXml("EUR", "4.3") + RateXml("EUR", "4.4"))),
       QStringLiteral("więcej niż raz")},
      {ArrayXml(good).replace(QStringLiteral("</Rates>"), QString()), QStringLiteral("Niepoprawny dokument XML")},
      {QStringLiteral("<kursy><EUR>4.3</EUR></kursy>"), QStringLiteral("element główny kursy")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.toStdString());
    try {
      rates_->ImportTabelaAXml(c.xml);
      ADD_FAILURE() << "imported";
    } catch (const ExchangeRatesError& e) {
      EXPECT_TRUE(e.Text().contains(c.message)) << e.Text().toStdString();
    }
    EXPECT_EQ(Counts(), before);
  }
  EXPECT_THROW(rates_->ImportTabelaA(dir_.filePath(QStringLiteral("brak.xml"))), ExchangeRatesError);

  // Nothing is left open: the good table alone imports afterwards.
  EXPECT_FALSE(host_->db().InTransaction());
  EXPECT_EQ(rates_->ImportTabelaAXml(ArrayXml(good)).tabele, 1);
  EXPECT_DOUBLE_EQ(rates_->GetKursy(QStringLiteral("CHF"), QDate(2024, 3, 12))->kurs, 4.5102);
}

VELMORA_ON_BOTH_ENGINES(ExchangeRatesTest);

}  // namespace
}  // namespace velmora::testing
