#include "exchange/cc_tables.h"
#include "exchange/incoming.h"
#include "exchange/viewers.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "host/xml/messages.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QFile>
#include <QTemporaryDir>

namespace velmora::testing {
namespace {

const QString kMrn = QStringLiteral("24PL322010NS0001A7");

QString Cc(const char* name) {
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/cc/") + QString::fromLatin1(name) + QStringLiteral(".xml"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(f.readAll());
}

class PhaseFiveAnswers : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    // A departure sent in phase 5 (its LRN is the declaration's own number) and an arrival.
    db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN, FAZA) values (1, 0, 'IE015', 2, '', 5), "
                             "(2, 1, 'IE007', 2, :MRN, 5)"),
              {{QStringLiteral("MRN"), kMrn}});
    Message(1, 1, 1, "IE015", "24IE0150000010");
    Message(2, 1, 2, "IE013", "24IE0130000011");
    Message(3, 1, 3, "IE014", "24IE0140000040");
    Message(4, 2, 1, "IE007", "24IE0070000050");
    db().Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, IE043) values (1, 2, 0)"));
    db().CreateGenerator(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    while (db().DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE")) < 4) {
    }
  }
  void Message(int id, int tranzyt, int lp, const char* typ, const char* nr) {
    db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                             "values (:ID, :T, :LP, :TYP, 2, :NR, '<x/>')"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("T"), tranzyt}, {QStringLiteral("LP"), lp},
               {QStringLiteral("TYP"), QString::fromLatin1(typ)}, {QStringLiteral("NR"), QString::fromLatin1(nr)}});
  }
  host::Row Transit(int id) { return *db().QueryOne(QStringLiteral("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), id}}); }
  host::Row Last() { return *db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE order by ID_TRANZYTY_POZYCJE desc")); }
};

TEST_P(PhaseFiveAnswers, EachAnswerMovesItsTransitAsItsPhaseFourCounterpart) {
  struct Case {
    const char* file;
    const char* typ;          // stored as
    int tranzyt;
    const char* related;      // the own number it answers
    const char* transit_typ;  // the transit's state after it
    const char* opis;         // the transit's description after it
  };
  const Case cases[] = {
      {"CC928C", "IE928", 1, "24IE0150000010", "IE928", "Poprawne zapisanie danych zgłoszenia o numerze własnym 24IE0150000010"},
      {"CC028C", "IE028", 1, "24IE0150000010", "IE028",
       "Nadanie numeru MRN 24PL322010NS0001A7 dla zgłoszenia IE015 o numerze własnym 24IE0150000010"},
      {"CC060C", "IE060", 1, "", "IE060", "Planowana kontrola dotycząca zgłoszenia o numerze MRN 24PL322010NS0001A7"},
      {"CC004C", "IE004", 1, "24IE0130000011", "IE060", nullptr},  // ranked below the control decision
      {"CC029C", "IE029", 1, "24IE0150000010", "IE029", "Zwolnienie do procedury tranzytu zgłoszenia IE015 o numerze własnym 24IE0150000010"},
      {"CC009C", "IE009", 1, "24IE0140000040", "IE029", nullptr},
      {"CC906C", "IE906", 1, "24IE0140000040", "IE906", "Odrzucenie wniosku o unieważnienie IE014 o numerze własnym 24IE0140000040"},
      {"CC917C", "IE906", 1, "24IE0140000040", "IE906", nullptr},
      {"CC045C", "IE045", 1, "", "IE045", "Zamknięcie procedury tranzytu zgłoszenia numerze MRN 24PL322010NS0001A7"},
      {"CC043C", "IE043", 2, "", "IE043", "Zezwolenie na rozładunek towaru ze zgłoszenia IE007 o numerze MRN 24PL322010NS0001A7"},
      {"CC025C", "IE025", 2, "", "IE025", "Zwolnienie z tranzytu numer MRN 24PL322010NS0001A7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const QString xml = Cc(c.file);
    const QString line = exchange::WczytajKomunikat(*ctx_, xml);
    EXPECT_TRUE(line.startsWith(QStringLiteral("Wczytano kouminikat ") + QString::fromLatin1(c.typ))) << line.toStdString();
    const host::Row m = Last();
    EXPECT_EQ(m.Int(QStringLiteral("TRANZYTY_ID")), c.tranzyt);
    EXPECT_EQ(m.Str(QStringLiteral("TYP")), QString::fromLatin1(c.typ));
    EXPECT_EQ(m.Str(QStringLiteral("NR_POWIAZANY")), QString::fromLatin1(c.related));
    EXPECT_EQ(m.Str(QStringLiteral("PLIK")), xml);  // the answer as received
    const host::Row t = Transit(c.tranzyt);
    EXPECT_EQ(t.Str(QStringLiteral("TYP")), QString::fromLatin1(c.transit_typ));
    if (c.opis) {
      EXPECT_EQ(t.Str(QStringLiteral("OPIS")), QString::fromUtf8(c.opis));
    }
  }
  EXPECT_EQ(Transit(1).Str(QStringLiteral("MRN")), kMrn);
  EXPECT_EQ(Transit(1).Str(QStringLiteral("LRN")), QStringLiteral("24IE0150000010"));
  EXPECT_EQ(db().QueryValue(QStringLiteral("select IE043 from TRANZYTY_ODPRAWY")).toInt(), 1);

  // The release keeps its goods items and seals; the unloading permission feeds the remarks.
  const auto ie029 = xml::LoadXMLData(db().QueryValue(QStringLiteral("select XML from TRANZYTY_POZYCJE where TYP = 'IE029'")).toString());
  EXPECT_EQ(ie029->DocumentElement().ChildrenByLocalName(QStringLiteral("Towar")).size(), 2u);
  EXPECT_EQ(ie029->DocumentElement().ChildByLocalName(QStringLiteral("ZamknieciaCelne")).Attribute(QStringLiteral("Liczba")), QStringLiteral("2"));
  const xml::Message ie043 =
      xml::GetIE043(xml::LoadXMLData(db().QueryValue(QStringLiteral("select XML from TRANZYTY_POZYCJE where TYP = 'IE043'")).toString()));
  const auto towary = ie043.Root().List(xml::kIE043_Towar);
  ASSERT_EQ(towary.size(), 2u);
  EXPECT_EQ(towary[0].Get(QStringLiteral("KodTowarowy")), QStringLiteral("84713000"));
  EXPECT_EQ(towary[0].Get(xml::kKontener).Get(QStringLiteral("Numer")), QStringLiteral("MSKU1234567"));
  EXPECT_EQ(towary[0].Get(xml::kDokumentWymagany).Get(QStringLiteral("Nr")), QStringLiteral("FV/2024/1"));
  EXPECT_EQ(towary[1].Get(xml::kOpakowanie).Get(QStringLiteral("LiczbaOpakowan")), QStringLiteral("14"));
  EXPECT_EQ(ie043.Root().Get(xml::kIE043_Transport).Get(QStringLiteral("Znaki")), QStringLiteral("GD12345"));
  EXPECT_EQ(ie043.Root().Get(xml::kIE043_UpowaznionyOdbiorca).Get(QStringLiteral("TIN")), QStringLiteral("PL584000001100000"));

  // The error answers show their pointers in the viewer.
  const exchange::IncomingView v = exchange::BuildIncomingView(
      QStringLiteral("IE906"), db().QueryValue(QStringLiteral("select XML from TRANZYTY_POZYCJE where TYP = 'IE906' order by ID_TRANZYTY_POZYCJE")).toString());
  ASSERT_EQ(v.tables.size(), 1u);
  ASSERT_EQ(v.tables[0].rows.size(), 1u);
  EXPECT_EQ(v.tables[0].rows[0], (QStringList{"1", "12", "/CC014C/Invalidation/justification", "R909", "", ""}));
}

TEST_P(PhaseFiveAnswers, RejectionIsTheRejectedMessagesOwn) {
  EXPECT_TRUE(exchange::WczytajKomunikat(*ctx_, Cc("CC056C")).startsWith(QStringLiteral("Wczytano kouminikat IE016")));
  EXPECT_EQ(Transit(1).Str(QStringLiteral("OPIS")), QStringLiteral("Odrzucenie zgłoszenia IE015 o numerze własnym 24IE0150000010"));
  const exchange::IncomingView v = exchange::BuildIncomingView(QStringLiteral("IE016"), Last().Str(QStringLiteral("XML")));
  EXPECT_EQ(v.Field(QStringLiteral("mePowodOdrzucenia"))->value, QStringLiteral("Błędne dane zgłoszenia"));
  ASSERT_EQ(v.tables.at(0).rows.size(), 2u);
  EXPECT_EQ(v.tables[0].rows[1], (QStringList{"2", "15", "/CC015C/CustomsOfficeOfDeparture/referenceNumber", "C060", "", ""}));

  // The same rejection of an amendment is the amendment's.
  QString amendment = Cc("CC056C");
  amendment.replace(QStringLiteral("<businessRejectionType>015"), QStringLiteral("<businessRejectionType>013"));
  amendment.replace(QStringLiteral("24CC056CUC0000056"), QStringLiteral("24CC056CUC0000057"));
  amendment.replace(QStringLiteral("<TransitOperation>\n    <LRN>24IE0150000010</LRN>"), QStringLiteral("<TransitOperation>\n    <MRN>") + kMrn + QStringLiteral("</MRN>"));
  db().Exec(QStringLiteral("update TRANZYTY set MRN = :M where ID_TRANZYTY = 1"), {{QStringLiteral("M"), kMrn}});
  EXPECT_TRUE(exchange::WczytajKomunikat(*ctx_, amendment).startsWith(QStringLiteral("Wczytano kouminikat IE005")));
  EXPECT_EQ(Last().Str(QStringLiteral("NR_POWIAZANY")), QStringLiteral("24IE0130000011"));
}

TEST_P(PhaseFiveAnswers, UnknownOrMalformedAnswersStoreNothing) {
  ASSERT_TRUE(exchange::WczytajKomunikat(*ctx_, Cc("CC028C")).startsWith(QStringLiteral("Wczytano")));
  const int messages = db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE"));
  const QString state = Transit(1).Str(QStringLiteral("TYP"));
  QString no_transit = Cc("CC045C");
  no_transit.replace(kMrn, QStringLiteral("24PL000000000000X0"));
  const std::pair<QString, QString> cases[] = {
      {Cc("CC170C"), QStringLiteral("Błąd - - Dokument CC170C nie jest obsługiwany przez system NCTS2 ")},
      {Cc("CC028C_invalid"),
       QStringLiteral("Błąd - Komunikat CC028C nie jest zgodny ze schematem: /CC028C/TransitOperation/MRN: Element 'MRN': [facet 'pattern'] "
                      "The value 'NIEPOPRAWNY' is not accepted by the pattern '")},
      {Cc("CC028C"), QStringLiteral("Błąd - Komunikat IE028 o numerze własnym 24CC028CUC0000028 został już wczytany")},
      {no_transit, QStringLiteral("Błąd - Nie znalezniono komunikatu o numerze własnym ")},
  };
  for (const auto& [xml, line] : cases) {
    const QString answer = exchange::WczytajKomunikat(*ctx_, xml);
    EXPECT_TRUE(answer.startsWith(line)) << answer.toStdString();
    EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE")), messages);
    EXPECT_EQ(Transit(1).Str(QStringLiteral("TYP")), state);
    EXPECT_FALSE(db().InTransaction());
  }
}

VELMORA_ON_BOTH_ENGINES(PhaseFiveAnswers);

// libxml2's own command line, independent of the program's validation.
QString Xmllint(const xml::XmlDocumentPtr& doc, int faza) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("cc.xml"));
  doc->Save(file);
  const QString cc = doc->DocumentElement().LocalName().toLower();
  QString out;
  return RunTool(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--schema"),
                                             QStringLiteral(VELMORA_NCTS_DIR "/p%1/%2.xsd").arg(faza).arg(cc), file}, &out) == 0
             ? QString()
             : out;
}

int Count(const xml::XmlNode& node, const QString& local) {
  int n = node.LocalName() == local ? 1 : 0;
  for (const xml::XmlNode& c : node.Children()) n += Count(c, local);
  return n;
}

TEST(CcBinding, DeclarationOfEitherPhaseValidatesAndReadsBackToTheSameMessage) {
  const xml::XmlDocumentPtr ie = PrzykladowaDeklaracjaCC(3).Document();
  const xml::CcVariables vars{{QStringLiteral("sender"), QStringLiteral("PL5860000017")}, {QStringLiteral("recipient"), QStringLiteral("NTA.PL")}};
  for (int faza : {5, 6}) {
    SCOPED_TRACE(faza);
    const xml::CcTable* table = exchange::FindCcTable(faza, QStringLiteral("IE015"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->cc, QStringLiteral("CC015C"));
    const xml::XmlDocumentPtr cc = xml::WriteCc(*table, ie, vars);
    for (const xml::SchemaFault& f : xml::ValidateCc(cc, faza)) ADD_FAILURE() << f.path.toStdString() << ": " << f.message.toStdString();
    EXPECT_EQ(Xmllint(cc, faza), QString());
    const QString text = cc->ToXml();
    const xml::XmlNode root = cc->DocumentElement();
    EXPECT_EQ(root.NamespaceURI(), xml::kCcNamespace);
    EXPECT_EQ(Count(root, QStringLiteral("ConsignmentItem")), 3);
    EXPECT_EQ(Count(root, QStringLiteral("Seal")), 2);
    EXPECT_EQ(Count(root, QStringLiteral("GoodsReference")), 2);  // the two items in the container
    EXPECT_EQ(Count(root, QStringLiteral("AdditionalInformation")), 0);  // the national security entries stay home
    EXPECT_EQ(Count(root, QStringLiteral("Consignee")), faza == 5 ? 2 : 1);  // phase 6 has none on a goods item
    for (const char* part : {"<LRN>24IE0150000010</LRN>", "<security>2</security>", "<GRN>24PL3220100000011</GRN>", "<accessCode>AB12</accessCode>",
                             "<inlandModeOfTransport>3</inlandModeOfTransport>", "<harmonizedSystemSubHeadingCode>847130</harmonizedSystemSubHeadingCode>",
                             "<combinedNomenclatureCode>00</combinedNomenclatureCode>", "<identificationNumber>PL5860000024</identificationNumber>",
                             "<status>2</status>", "<amountToBeCovered>301.50</amountToBeCovered>", "<name>Bałtycka Spedycja Sp. z o.o.</name>", "<UNNumber>3480</UNNumber>",
                             "<containerIdentificationNumber>MSKU1234567</containerIdentificationNumber>"})
      EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;

    // Read back into the stored shape and written again: nothing the table carries is lost.
    const xml::XmlDocumentPtr back = xml::ReadCc(*table, cc);
    EXPECT_EQ(back->DocumentElement().LocalName(), QStringLiteral("IE015"));
    EXPECT_EQ(xml::WriteCc(*table, back, vars)->ToXml(), text);
  }
}

TEST(CcBinding, EachPhaseIsCheckedAgainstItsOwnSchema) {
  const xml::XmlDocumentPtr ie = PrzykladowaDeklaracjaCC(1).Document();
  const xml::CcTable& table = *exchange::FindCcTable(5, QStringLiteral("CC015C"));
  const xml::XmlDocumentPtr p5 = xml::WriteCc(table, ie, {{QStringLiteral("sender"), QStringLiteral("X")}, {QStringLiteral("recipient"), QStringLiteral("Y")}});
  // Phase 6 has no consignee on a goods item.
  const auto faults = xml::ValidateCc(p5, 6);
  ASSERT_FALSE(faults.empty());
  EXPECT_EQ(faults.front().path, QStringLiteral("/CC015C/Consignment/HouseConsignment/ConsignmentItem/Consignee"));
  EXPECT_EQ(xml::CcRefusal(QStringLiteral("CC015C"), faults.front()).left(48), QStringLiteral("Komunikat CC015C nie jest zgodny ze schematem: /"));
  // Without the sender the header misses a required element.
  const auto missing = xml::ValidateCc(xml::WriteCc(table, ie, {}), 5);
  ASSERT_FALSE(missing.empty());
  EXPECT_TRUE(missing.front().message.contains(QStringLiteral("messageSender"))) << missing.front().message.toStdString();
}

}  // namespace
}  // namespace velmora::testing
