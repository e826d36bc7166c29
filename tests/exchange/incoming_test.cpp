#include "exchange/incoming.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/host_context.h"
#include "host/xml/xml_document.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace velmora::testing {
namespace {

const QString kMrn = QStringLiteral("24PL322010NS0001A7");

QString Sample(const char* name) {
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + QString::fromLatin1(name) + QStringLiteral(".xml"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(f.readAll());
}

// A sample with one header attribute changed (own number, related number ...).
QString WithHeader(const char* name, const char* attribute, const char* value) {
  auto doc = xml::LoadXMLData(Sample(name));
  xml::XmlNode header = doc->DocumentElement().ChildByLocalName(QStringLiteral("Naglowek"));
  if (!value) header.RemoveAttribute(QString::fromLatin1(attribute));
  else header.SetAttribute(QString::fromLatin1(attribute), QString::fromLatin1(value));
  return doc->ToXml();
}

class Incoming : public HostTest {
 protected:

  void Transit(int id, int rodzaj, const QString& typ, const QString& mrn = {}) {
    db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN, OPIS) values (:ID, :R, :T, 2, :MRN, 'Wysłano')"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("R"), rodzaj}, {QStringLiteral("T"), typ}, {QStringLiteral("MRN"), mrn}});
  }
  void Message(int id, int tranzyt, int lp, const QString& typ, const QString& nr) {
    db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                             "values (:ID, :T, :LP, :TYP, 2, :NR, '<x/>')"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("T"), tranzyt}, {QStringLiteral("LP"), lp}, {QStringLiteral("TYP"), typ}, {QStringLiteral("NR"), nr}});
    db().CreateGenerator(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    while (db().QueryValue(QStringLiteral("select max(ID_TRANZYTY_POZYCJE) from TRANZYTY_POZYCJE")).toLongLong() >=
           db().DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"))) {
    }
  }
  QString Load(const QString& xml, const QString& file = {}) { return exchange::WczytajKomunikat(*ctx_, xml, file); }
  host::Row TransitRow(int id) {
    return *db().QueryOne(QStringLiteral("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), id}});
  }
  QStringList Messages(int tranzyt) {
    QStringList out;
    for (const auto& r : db().QueryAll(QStringLiteral("select LP, TYP, STATUS from TRANZYTY_POZYCJE where TRANZYTY_ID = :T order by LP"),
                                       {{QStringLiteral("T"), tranzyt}}))
      out << QStringLiteral("%1:%2:%3").arg(r.Int(QStringLiteral("LP"))).arg(r.Str(QStringLiteral("TYP"))).arg(r.Int(QStringLiteral("STATUS")));
    return out;
  }
  int Count(const QString& table) { return db().GetCountFieldVal(table); }
};

TEST_P(Incoming, DepartureAnswersAttachToTheirTransitAndRankItsState) {
  Transit(1, frame::kRodzajWywoz, frame::typ::IE015);
  Message(1, 1, 1, frame::typ::IE015, QStringLiteral("24IE0150000010"));

  EXPECT_EQ(Load(Sample("UPO")), QStringLiteral("Wczytano kouminikat UPO o numerze UPO-2024-000000123"));
  EXPECT_EQ(TransitRow(1).Str(QStringLiteral("TYP")), QStringLiteral("IE015"));  // a UPO never moves the transit
  EXPECT_EQ(Load(Sample("UPO")).left(19), QStringLiteral("Wczytano kouminikat"));  // and may come twice

  EXPECT_EQ(Load(Sample("IE928"), QStringLiteral("/in/IE928.xml")), QStringLiteral("Wczytano kouminikat IE928 o numerze 24IE928UC0000928"));
  EXPECT_GT(frame::OstatniWczytanyKomunikatId, 0);
  EXPECT_EQ(TransitRow(1).Str(QStringLiteral("LRN")), QStringLiteral("LRN-2024-000123"));
  EXPECT_EQ(Load(Sample("IE028")), QStringLiteral("Wczytano kouminikat IE028 o numerze 24IE028UC0000028"));
  host::Row t = TransitRow(1);
  EXPECT_EQ(t.Str(QStringLiteral("TYP")), QStringLiteral("IE028"));  // same rank as IE928: the newer wins
  EXPECT_EQ(t.Str(QStringLiteral("MRN")), kMrn);
  EXPECT_EQ(t.Int(QStringLiteral("STATUS")), frame::kStatusOdebrany);
  EXPECT_EQ(t.Str(QStringLiteral("OPIS")),
            QStringLiteral("Nadanie numeru MRN 24PL322010NS0001A7 dla zgłoszenia IE015 o numerze własnym 24IE0150000010"));

  EXPECT_EQ(Load(Sample("IE045")).left(19), QStringLiteral("Wczytano kouminikat"));  // found by MRN
  EXPECT_EQ(Load(WithHeader("IE029", "NrWlasny", "24IE029UC0000999")).left(19), QStringLiteral("Wczytano kouminikat"));
  EXPECT_EQ(TransitRow(1).Str(QStringLiteral("TYP")), QStringLiteral("IE045"));  // 100 above 70
  EXPECT_EQ(Messages(1), (QStringList{"1:IE015:2", "2:UPO:11", "3:UPO:11", "4:IE928:11", "5:IE028:11", "6:IE045:11", "7:IE029:11"}));

  const auto row = db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where TYP = 'IE928'"));
  EXPECT_EQ(row->Str(QStringLiteral("PLIK")), QStringLiteral("/in/IE928.xml"));
  EXPECT_EQ(row->Str(QStringLiteral("NR_POWIAZANY")), QStringLiteral("24IE0150000010"));
  EXPECT_EQ(row->Str(QStringLiteral("TYP_POWIAZANY")), QStringLiteral("IE015"));
  EXPECT_EQ(row->Value(QStringLiteral("DATA_WYSLANIA")).toDate(), QDate(2024, 3, 5));
  EXPECT_EQ(row->Str(QStringLiteral("CREATE_USER_NAME")), QStringLiteral("Jan Kowalski"));
  EXPECT_TRUE(row->Str(QStringLiteral("XML")).contains(QStringLiteral("<ZlozenieZgloszenia")));
}

TEST_P(Incoming, RefusalsStoreNothing) {
  Transit(1, frame::kRodzajWywoz, frame::typ::IE015);
  Message(1, 1, 1, frame::typ::IE015, QStringLiteral("24IE0150000010"));
  ASSERT_EQ(Load(Sample("IE028")).left(8), QStringLiteral("Wczytano"));
  host::Db& d = db();
  d.Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, IE043) values (1, 1, 0)"));
  Message(2, 99, 1, frame::typ::IE015, QStringLiteral("24IE0150000990"));

  // An answer without its own number is a message like any other, and comes in once.
  QString no_number = Sample("IE055");
  no_number.replace(QRegularExpression(QStringLiteral(" NrWlasny=\"[^\"]*\"")), QString());
  ASSERT_EQ(Load(no_number).left(8), QStringLiteral("Wczytano"));

  QString no_decision = Sample("IE009");
  no_decision.replace(QRegularExpression(QStringLiteral("<DecyzjaOUniewaznieniu[^>]*/>")), QString());
  const std::pair<QString, QString> cases[] = {
      {Sample("IE028"), QStringLiteral("Błąd - Komunikat IE028 o numerze własnym 24IE028UC0000028 został już wczytany")},
      {no_number, QStringLiteral("Błąd - Komunikat IE055 o numerze własnym  został już wczytany")},
      {QStringLiteral("<IE016><Cos/></IE016>"), QStringLiteral("Błąd - Niepoprawna struktura komunikatu IE016 brak nagłówka")},
      {WithHeader("IE029", "NrWlasny", "24IE029UC0000777").replace(QStringLiteral("/IE029/"), QStringLiteral("/IE028/")),
       QStringLiteral("Błąd - Dokument IE029 ma obcą przestrzeń nazw http://www.mf.gov.pl/schematy/NCTS2/IE028/2013/10/")},
      {WithHeader("IE016", "NrWlasnyKomunikatuPowiazanego", nullptr), QStringLiteral("Błąd - Brak informacji na temat numeru własnego komunikatu powiązanego")},
      {QStringLiteral("<IE015><Naglowek NrWlasny=\"1\"/></IE015>"), QStringLiteral("Błąd - - Dokument IE015 nie jest obsługiwany przez system NCTS2 ")},
      {no_decision, QStringLiteral("Błąd - Dokument IE009 nie zawiera elementu DecyzjaOUniewaznieniu")},
      {WithHeader("IE016", "NrWlasnyKomunikatuPowiazanego", "24IE0150009990"),
       QStringLiteral("Błąd - Nie znalezniono komunikatu o numerze własnym 24IE0150009990")},
      {WithHeader("IE140", "MRN", "24PL000000000000X0"), QStringLiteral("Błąd - Nie znaleziono komunikatu o numerze własnym  w bazie danych")},
      {Sample("Odrzucenie"), QStringLiteral("Błąd - Nie znalezniono komunikatu o numerze własnym ")},
      {WithHeader("IE043", "MRN", "24PL000000000000X0"), QStringLiteral("Błąd - Nie znalezniono komunikatu o numerze własnym ")},
      // The related message is there, its transit is not.
      {WithHeader("IE016", "NrWlasnyKomunikatuPowiazanego", "24IE0150000990"),
       QStringLiteral("Błąd - Nie znalezniono komunikatu o numerze własnym 24IE0150000990")},
  };
  const int messages = Count(QStringLiteral("TRANZYTY_POZYCJE"));
  const QString state = TransitRow(1).Str(QStringLiteral("TYP")) + TransitRow(1).Str(QStringLiteral("OPIS"));
  for (const auto& [xml, line] : cases) {
    frame::OstatniWczytanyKomunikatId = 99;
    EXPECT_EQ(Load(xml), line);
    EXPECT_EQ(frame::OstatniWczytanyKomunikatId, 0);
    EXPECT_EQ(Count(QStringLiteral("TRANZYTY_POZYCJE")), messages);
    EXPECT_EQ(TransitRow(1).Str(QStringLiteral("TYP")) + TransitRow(1).Str(QStringLiteral("OPIS")), state);
    EXPECT_FALSE(d.InTransaction());
  }
  EXPECT_EQ(d.QueryValue(QStringLiteral("select IE043 from TRANZYTY_ODPRAWY")).toInt(), 0);

  // Not XML at all, or a creation date out of shape: raised to the caller.
  EXPECT_THROW(Load(QStringLiteral("<IE028><Naglowek></IE028>")), xml::XmlParseError);
  EXPECT_THROW(Load(WithHeader("IE029", "DataUtworzenia", "05.03.2024")), std::exception);
  EXPECT_EQ(Count(QStringLiteral("TRANZYTY_POZYCJE")), messages);
  EXPECT_FALSE(d.InTransaction());
}

TEST_P(Incoming, ArrivalReleaseStaysLastAndFreezesTheTransit) {
  Transit(2, frame::kRodzajPrzywoz, frame::typ::IE007, kMrn);
  Message(1, 2, 1, frame::typ::IE007, QStringLiteral("24IE0070000050"));
  db().Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, IE043) values (1, 2, 0)"));

  EXPECT_EQ(Load(Sample("IE043")).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(Load(Sample("IE025")).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(Load(WithHeader("IE043", "NrWlasny", "24IE043UC0000999")).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(Messages(2), (QStringList{"1:IE007:2", "2:IE043:11", "3:IE043:11", "4:IE025:11"}));
  EXPECT_EQ(TransitRow(2).Str(QStringLiteral("TYP")), QStringLiteral("IE025"));
  EXPECT_EQ(TransitRow(2).Str(QStringLiteral("OPIS")), QStringLiteral("Zwolnienie z tranzytu numer MRN ") + kMrn);
}

TEST_P(Incoming, DecisionsNoticesAndAnswersToRequests) {
  Transit(1, frame::kRodzajWywoz, frame::typ::IE015, kMrn);
  Message(1, 1, 1, frame::typ::IE015, QStringLiteral("24IE0150000010"));
  Message(2, 1, 2, frame::typ::IE014, QStringLiteral("24IE0140000040"));
  Transit(3, frame::kRodzajWywoz, frame::typ::IE141, QStringLiteral("24PL000000000000B1"));
  Message(3, 3, 1, frame::typ::IE141, QStringLiteral("24IE1410000070"));

  QString refusing = Sample("IE009").replace(QStringLiteral("DecyzjaDoWniosku=\"1\""), QStringLiteral("DecyzjaDoWniosku=\"0\""));
  EXPECT_EQ(Load(refusing).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(TransitRow(1).Int(QStringLiteral("STATUS")), frame::kStatusOdebranyOdmowa);
  EXPECT_EQ(TransitRow(1).Str(QStringLiteral("OPIS")),
            QStringLiteral("Odrzucenie unieważnienia zgłoszenia IE015 o numerze własnym 24IE0140000040"));

  // An IE906 answering an IE141 goes to the IE141's transit.
  EXPECT_EQ(Load(WithHeader("IE906", "NrWlasnyKomunikatuPowiazanego", "24IE1410000070")).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(TransitRow(3).Str(QStringLiteral("OPIS")),
            QStringLiteral("Odrzucenie wniosku o unieważnienie IE141 o numerze własnym 24IE1410000070"));

  // Platform notices attach by the own number they name and leave the transit's state alone.
  EXPECT_EQ(Load(Sample("UPP")), QStringLiteral("Wczytano kouminikat UPP o numerze 24IE0150000010"));
  EXPECT_EQ(Load(Sample("NPP")), QStringLiteral("Wczytano kouminikat NPP o numerze 24IE0150000010"));
  EXPECT_EQ(Load(Sample("UPP")), QStringLiteral("Błąd - Komunikat UPP o numerze własnym 24IE0150000010 został już wczytany"));
  const auto npp = db().QueryOne(QStringLiteral("select OPIS, DATA_WYSLANIA from TRANZYTY_POZYCJE where TYP = 'NPP'"));
  EXPECT_EQ(npp->Str(QStringLiteral("OPIS")), QStringLiteral("Negatywne poświadczenie przedłożenia o numerze 24IE0150000010"));
  EXPECT_EQ(TransitRow(1).Str(QStringLiteral("TYP")), QStringLiteral("IE009"));
  EXPECT_EQ(TransitRow(1).Str(QStringLiteral("MRN")), kMrn);
}

TEST_P(Incoming, OrderSystemGetsItsResponseFile) {
  db().Exec(QStringLiteral("alter table TRANZYTY add column NR_ZAM_ISCALA varchar(30)"));
  Transit(1, frame::kRodzajWywoz, frame::typ::IE015);
  db().Exec(QStringLiteral("update TRANZYTY set NR_ZAM_ISCALA = 'ZS-2024-17' where ID_TRANZYTY = 1"));
  Message(1, 1, 1, frame::typ::IE015, QStringLiteral("24IE0150000010"));
  // The module's exported switch, back off whatever the test's end.
  struct Kaem {
    Kaem() { frame::FKAEM = true; }
    ~Kaem() { frame::FKAEM = false; }
  } kaem;
  EXPECT_EQ(Load(Sample("IE029")).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(host_->dialogs.Texts(), QStringList{QStringLiteral("W programie nie zdefiniowano katalogu do zapisu danych do SAP")});
  QFile f(QDir(root_.path()).filePath(QStringLiteral("SAP_ZAPIS/ZS-2024-17.xml")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("<customs_response><sales_order>ZS-2024-17</sales_order><response>yes</response></customs_response>")))
      << text.toStdString();
}

VELMORA_ON_BOTH_ENGINES(Incoming);

}  // namespace
}  // namespace velmora::testing
