#include "frame/codes.h"
#include "frame/mrn_repair.h"
#include "frame/own_number.h"
#include "frame/transit_number.h"
#include "host/xml/messages.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

using namespace Qt::Literals::StringLiterals;

class OwnNumbers : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
  }
  host::Db& db() { return host_->db(); }

  void InsertTransit(int id, int rodzaj, int rejestr, int rok, int nr, const QString& mrn = {}) {
    db().Exec(u"insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, ROK, NR, MRN) values (:ID, :R, :REJ, :ROK, :NR, :MRN)"_s,
              {{u"ID"_s, id}, {u"R"_s, rodzaj}, {u"REJ"_s, rejestr}, {u"ROK"_s, rok}, {u"NR"_s, nr}, {u"MRN"_s, mrn}});
  }
  void InsertMessage(qint64 id, const QString& typ, const QString& nr_wlasny, const QString& xml, int tranzyt = 1) {
    db().Exec(u"insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, TYP, NR_WLASNY, XML) values (:ID, :T, :TYP, :NR, :XML)"_s,
              {{u"ID"_s, id}, {u"T"_s, tranzyt}, {u"TYP"_s, typ}, {u"NR"_s, nr_wlasny}, {u"XML"_s, xml}});
  }
  QString Column(qint64 id, const QString& column) {
    return db().QueryValue(u"select %1 from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = :ID"_s.arg(column), {{u"ID"_s, id}}).toString();
  }
  std::unique_ptr<TestHost> host_;
};

TEST_P(OwnNumbers, NumberIsYearTypeBase36IdAndPrefix) {
  auto& o = *host_->options;
  struct Case {
    int year;
    qint64 counter;
    const char* expected;
  };
  const Case cases[] = {
      {2024, 1, "24IE0150000010"},
      {2024, 35, "24IE01500000Z0"},
      {2024, 36, "24IE0150000100"},
      {2024, 36LL * 36 * 36 * 36 * 36 * 36 + 37, "24IE0150000110"},  // only the six lowest digits
      {2100, 1, "00IE0150000010"},
  };
  for (const Case& c : cases) EXPECT_EQ(frame::NadajNrWlasny(o, c.year, frame::typ::IE015, c.counter), QString::fromLatin1(c.expected));

  o.WriteOption(u"NCTS"_s, u"PREFIKS"_s, u"AB"_s);
  EXPECT_EQ(frame::NadajNrWlasny(o, host_->clock, frame::typ::IE013, 1), u"24IE013000001A"_s);
  o.WriteOption(u"NCTS"_s, u"PREFIKS"_s, QString());
  EXPECT_EQ(frame::NadajNrWlasny(o, host_->clock, frame::typ::IE013, 1), u"24IE0130000010"_s);
}

TEST_P(OwnNumbers, StoredMessageGetsANumberOnlyWhenItHasNone) {
  const QString doc = xml::NewIE015().Xml();
  InsertMessage(1, frame::typ::IE015, frame::kAuto, doc);
  InsertMessage(2, frame::typ::IE015, QString(), u"junk before "_s + doc);
  InsertMessage(3, frame::typ::IE015, u"1234567"_s, doc);
  InsertMessage(4, frame::typ::IE015, u"24IE015000ABC0"_s, doc);

  for (const auto& [id, nr] : {std::pair{1, u"24IE0150000010"_s}, {2, u"24IE0150000020"_s}, {3, u"24IE0150000030"_s}, {4, u"24IE015000ABC0"_s}})
    EXPECT_EQ(frame::NadajNrWlasny(db(), *host_->options, host_->clock, id), nr) << id;

  EXPECT_EQ(Column(1, u"NR_WLASNY"_s), u"24IE0150000010"_s);
  const QString stored = Column(1, u"XML"_s);
  EXPECT_FALSE(stored.endsWith(QLatin1Char('\n')));
  const xml::Message m = xml::GetIE015(xml::LoadXMLData(stored));
  EXPECT_EQ(m.GetNaglowek().NrWlasny(), u"24IE0150000010"_s);
  EXPECT_EQ(m.GetNaglowek().DataUtworzenia(), u"2024-03-05T08:04:09"_s);
  EXPECT_EQ(Column(4, u"XML"_s), doc);  // kept number: document untouched
}

TEST_P(OwnNumbers, BrokenDocumentLeavesRowAsItWas) {
  InsertMessage(5, frame::typ::IE015, frame::kAuto, u"<IE015><Naglowek></IE015>"_s);
  EXPECT_THROW(frame::NadajNrWlasny(db(), *host_->options, host_->clock, 5), xml::XmlParseError);
  EXPECT_EQ(Column(5, u"NR_WLASNY"_s), frame::kAuto);
  EXPECT_FALSE(db().InTransaction());
}

TEST_P(OwnNumbers, TransitNumbersRunPerYearRegisterAndKind) {
  InsertTransit(1, frame::kRodzajWywoz, 1, 2024, 14);
  InsertTransit(2, frame::kRodzajWywoz, 2, 2024, 40);
  InsertTransit(3, frame::kRodzajPrzywoz, 1, 2024, 70);
  InsertTransit(4, frame::kRodzajWywoz, 1, 2023, 99);

  const auto n = frame::NadajNumerTranzytu(db(), host_->clock, frame::kRodzajWywoz, 1);
  EXPECT_EQ(n.nr, 15);
  EXPECT_EQ(n.numer, u"15/2024"_s);
  EXPECT_EQ(n.miesiac, 3);
  EXPECT_EQ(frame::NadajNumerTranzytu(db(), host_->clock, frame::kRodzajWywoz, 2).nr, 41);
  EXPECT_EQ(frame::NadajNumerTranzytu(db(), host_->clock, frame::kRodzajWywoz, 0).nr, 1);  // stored under "<wszystkie>"
  EXPECT_EQ(frame::NadajNumerTranzytu(db(), host_->clock, frame::kRodzajPrzywoz, 1).numer, u"71/2024"_s);
  host_->clock.Set(QDateTime(QDate(2025, 1, 2), QTime(9, 0)));
  EXPECT_EQ(frame::NadajNumerTranzytu(db(), host_->clock, frame::kRodzajWywoz, 1).numer, u"1/2025"_s);
}

TEST_P(OwnNumbers, MrnIsRestoredFromTheLatestMessageThatCarriesOne) {
  InsertTransit(1, frame::kRodzajWywoz, 1, 2024, 1, u"STARY"_s);
  auto with_mrn = [](const QString& mrn) {
    xml::Message m = xml::NewIE028();
    m.EnsureNaglowek().SetMRN(mrn);
    return m.Xml();
  };
  InsertMessage(10, frame::typ::IE028, u"a"_s, with_mrn(u"24PL000000000001A1"_s));
  InsertMessage(11, frame::typ::IE028, u"b"_s, with_mrn(u"24PL000000000002A2"_s));
  InsertMessage(12, frame::typ::IE029, u"c"_s, with_mrn(u"INNY"_s));
  auto mrn = [&] { return db().QueryValue(u"select MRN from TRANZYTY where ID_TRANZYTY = 1"_s).toString(); };

  frame::NaprawMRN(db(), 1, frame::typ::IE007);  // no such message
  EXPECT_EQ(mrn(), u"STARY"_s);
  frame::NaprawMRN(db(), 1, frame::typ::IE028);
  EXPECT_EQ(mrn(), u"24PL000000000002A2"_s);

  InsertMessage(13, frame::typ::IE028, u"d"_s, with_mrn(QString()));
  frame::NaprawMRN(db(), 1, frame::typ::IE028);  // latest has no MRN
  EXPECT_EQ(mrn(), u"24PL000000000002A2"_s);
}

VELMORA_ON_BOTH_ENGINES(OwnNumbers);

}  // namespace
}  // namespace velmora::testing
