#include "departure/declaration.h"
#include "departure/goods_item.h"
#include "arrival/arrival_notification.h"
#include "arrival/follow_up_requests.h"
#include "arrival/unloading_remarks.h"
#include "exchange/incoming.h"
#include "exchange/outgoing_file.h"
#include "exchange/send.h"
#include "frame/shared_state.h"
#include "lists/lista_tranzytow.h"
#include "lists/tranzyty_pozycje.h"
#include "frame/codes.h"
#include "host/db/exchange_rates.h"
#include "host/base/host_context.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "host/xml/bodies.h"
#include "host/xml/messages.h"
#include "host/xml/schema.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QThread>

namespace velmora::testing {
namespace {

class OutgoingFile : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    host_->db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (1, 0, 'IE014', 1, '24PL322010NS0001A7')"));
    xml::Message m = Wniosek();
    host_->db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                                    "values (36, 1, 1, 'IE014', 1, '<AUTO>', :XML)"),
                     {{QStringLiteral("XML"), m.Xml()}});
  }
  // A cancellation request as its editor stores it.
  static xml::Message Wniosek() {
    xml::Message m = xml::NewIE014();
    xml::Naglowek h = m.EnsureNaglowek();
    h.SetNrWlasny(frame::kAuto);
    h.SetDataUtworzenia(QStringLiteral("2024-03-05T08:00:00"));
    h.SetMRN(QStringLiteral("24PL322010NS0001A7"));
    xml::Group wniosek = m.Root().Add(xml::kIE014_Wniosek);
    wniosek.Set(QStringLiteral("Powod"), QStringLiteral("Pomyłka w zgłoszeniu, ładunek nie wyjedzie"));
    wniosek.Set(QStringLiteral("Data"), QStringLiteral("2024-03-05"));
    m.Root().Add(xml::kUCZgloszenia).Set(QStringLiteral("Kod"), QStringLiteral("PL322010"));
    return m;
  }
  host::Row Row() { return *host_->db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36")); }
  void Channel(const char* key, const QString& value) {
    host_->options->WriteOption(QStringLiteral("KANAL_ZWROTNY"), QString::fromLatin1(key), value, host::OptionScope::Application);
  }
};

TEST_P(OutgoingFile, ReturnChannelIsConfiguredByAnyOfItsKeys) {
  EXPECT_FALSE(exchange::TestKanalZwrotny(*ctx_));
  Channel("EPUAP_PODMIOT", QStringLiteral("agencja"));
  EXPECT_FALSE(exchange::TestKanalZwrotny(*ctx_));  // ePUAP needs both
  Channel("EPUAP_SKRYTKA", QStringLiteral("skrytka"));
  EXPECT_TRUE(exchange::TestKanalZwrotny(*ctx_));
  Channel("EPUAP_SKRYTKA", QString());
  Channel("URL", QStringLiteral("https://127.0.0.1/odpowiedzi"));
  EXPECT_TRUE(exchange::TestKanalZwrotny(*ctx_));
}

TEST_P(OutgoingFile, WithoutTheSignerNothingIsWrittenAndTheMessageStaysUnsent) {
  const QString file = root_.filePath(QStringLiteral("XML2/IE014_x.xml"));
  const host::Row before = Row();
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QStringLiteral("Nie załadowano pliku dll - Tessaro.Xades.dll"));
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_TRUE(QDir(root_.filePath(QStringLiteral("XML2"))).exists());
  // A refused write changes nothing: no own number, no rewritten header.
  EXPECT_EQ(Row().Values(), before.Values());

  // A file already at the path stays as it was, and nothing is left beside it.
  {
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("poprzedni");
  }
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QStringLiteral("Nie załadowano pliku dll - Tessaro.Xades.dll"));
  QFile earlier(file);
  ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
  EXPECT_EQ(earlier.readAll(), QByteArray("poprzedni"));
  EXPECT_EQ(QDir(root_.filePath(QStringLiteral("XML2"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("IE014_x.xml")});
  EXPECT_EQ(Row().Values(), before.Values());

  // A sent message is written again only when the user says so.
  host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 2, PLIK = 'podpisany'"));
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QStringLiteral("Ten dokument został już wyeksportowany"));
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Ten dokument został już wyeksportowany. Czy chcesz to zrobić ponownie ?"));
  EXPECT_EQ(Row().Str(QStringLiteral("PLIK")), QStringLiteral("podpisany"));
}

TEST_P(OutgoingFile, UnloadingRemarksWeighAsMuchAsTheRegisterEntriesOfTheirMRN) {
  ctx_->switches.FZADURODER = true;
  xml::Message m = xml::NewIE044();
  m.EnsureNaglowek().SetMRN(QStringLiteral("24PL322010NS0001A7"));
  m.Root().Ensure(xml::kIE044_UwagiDoRozladunku).Set(QStringLiteral("MasaBrutto"), QStringLiteral("1500,25"));  // as typed
  host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set TYP = 'IE044', XML = :X"), {{QStringLiteral("X"), m.Xml()}});
  const QString sad = QStringLiteral("<SAD><Zgloszenie><Towar PozId=\"1\"><DokumentPoprzedni Kod=\"821\" Nr=\"24PL322010NS0001A7\"/>"
                                     "</Towar></Zgloszenie></SAD>");
  const QString refusal = QStringLiteral("Wysłanie komunikatu IE044 nie jest możliwe ponieważ suma wagi\r\n na zgłoszeniu wpisu do rejestru, "
                                         "różni się od wagi podanej w komunikacie IE044\r\n Waga we wpisie wynosi 1234567.125 natomiast "
                                         "waga podana w IE044 1500.25");
  const QString file = root_.filePath(QStringLiteral("XML2/IE044_x.xml"));
  host_->db().Exec(QStringLiteral("insert into IM (ID_IM, SAD, MASA_BRUTTO) values (1, :S, 1234567.125)"), {{QStringLiteral("S"), sad}});
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), refusal);
  EXPECT_EQ(host_->dialogs.Texts().last(), refusal);

  // Two entries of 1000.1 and 500.15 make the message's mass: the check lets it pass.
  host_->db().Exec(QStringLiteral("update IM set MASA_BRUTTO = 1000.1"));
  host_->db().Exec(QStringLiteral("insert into IM (ID_IM, SAD, MASA_BRUTTO) values (2, :S, 500.15)"), {{QStringLiteral("S"), sad}});
  host_->dialogs.Clear();
  EXPECT_FALSE(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file).startsWith(QStringLiteral("Wysłanie komunikatu IE044")));
  EXPECT_TRUE(host_->dialogs.Texts().isEmpty()) << host_->dialogs.Texts().join('\n').toStdString();
}

VELMORA_ON_BOTH_ENGINES(OutgoingFile);


// With a certificate of our own and the built signer below the root.
class SignedOutgoingFile : public OutgoingFile {
 protected:
  void SetUp() override {
    OutgoingFile::SetUp();
    if (Stopped()) return;
    keys_ = root_.filePath(QStringLiteral("keys"));
    ASSERT_EQ(InstallSigner(*host_->options, root_.path(), QStringLiteral(VELMORA_SIGNER_PATH)), QString());
    host::SetProcessOptions(host_->options.get());
    Channel("URL", QStringLiteral("https://127.0.0.1/odpowiedzi"));
    host_->user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QStringLiteral("Gdańsk"), false, false, false));
  }
  void TearDown() override { host::SetProcessOptions(nullptr); }

  void Store(const char* typ, const xml::Message& m) {
    host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set TYP = :T, XML = :X"), {{QStringLiteral("T"), QString::fromLatin1(typ)}, {QStringLiteral("X"), m.Xml()}});
  }
  // A new transit numbered by the generator: the fixture's own rows go.
  void NoTransits() {
    host_->db().Exec(QStringLiteral("delete from TRANZYTY_POZYCJE"));
    host_->db().Exec(QStringLiteral("delete from TRANZYTY"));
  }
  // Writes the message, checks the signature with xmlsec1 and the file against its schema.
  QString WriteVerified(const QString& name, qint64 id = 36) {
    const QString file = root_.filePath(QStringLiteral("XML2/") + name);
    const QString result = exchange::ZapiszKomunikatDoPliku(*ctx_, id, file);
    EXPECT_EQ(result, QString()) << name.toStdString();
    if (!result.isEmpty()) return {};
    QString out;
    EXPECT_EQ(RunTool(QStringLiteral("xmlsec1"), {"--verify", "--enabled-reference-uris", "empty,same-doc", "--trusted-pem", keys_ + "/cert.pem", file}, &out), 0)
        << out.toStdString();
    const xml::XmlDocumentPtr doc = xml::LoadXMLDocument(file);
    for (const xml::SchemaFault& f : xml::ValidateMessage(doc, *xml::FindMessageTypeByRoot(doc->DocumentElement().LocalName())))
      ADD_FAILURE() << f.path.toStdString() << ": " << f.message.toStdString();
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
  }

  QString keys_;
};

TEST_P(SignedOutgoingFile, SignedFileVerifiesAndTheMessageIsSent) {
  // A request with an empty group and a blank attribute on its root.
  xml::Message wniosek = Wniosek();
  wniosek.Root().Node().AppendChild(QStringLiteral("Pusty")).SetAttribute(QStringLiteral("PozId"), QStringLiteral("1"));
  wniosek.Root().Node().SetAttribute(QStringLiteral("Wersja"), QStringLiteral(" "));
  xml::Message deklaracja = PrzykladowaDeklaracja(3);
  deklaracja.Root().List(xml::kIE015_Towar)[1].Set(QStringLiteral("OpisTowaru"), QStringLiteral("Monitory True Color"));
  struct Case {
    const char* typ;
    xml::Message message;
    std::vector<const char*> present, absent;
  };
  const Case cases[] = {
      {"IE014", wniosek,
       {"<typy:WebService Url=\"https://127.0.0.1/odpowiedzi\"/>", "Plik utworzony ", "-->\r\n\r\n<",  // an empty line after the comment
        "NrWlasny=\"24IE0140000100\""},
       {"<Pusty", "Wersja"}},  // an ordinal alone is nothing
      // The declaration leaves as its export copy. In the shared types, references with content
      // keep their closing tags in step.
      {"IE015", deklaracja,
       {"OpisTowaru=\"Monitory 1 Color\"", "Kontener=\"0\"", "MiejsceZaladunku=\"Lodz Olechow\"",
        "<MiejsceData Miejsce=\"Gdansk\" Data=\"2024-03-05\" Osoba=\"Jan Kowalski\"/>",
        "<typy:Gwarancja GRN=\"24PL322010000001A1\" KodDostepu=\"AB12\">", "</typy:Gwarancja>", "<typy:Zamkniecie Znak=\"PL001\"/>",
        "<typy:Przedstawiciel TIN=\"PL5860000024\"/>", "<typy:Nadawca Nazwa=\"Bałtycka Spedycja\""},
       {"Robocze"}},
      // The arrival notification keeps its empty location.
      {"IE007", PrzykladowePrzybycie(QStringLiteral("Gdańsk Port")),
       {"<Lokalizacja/>", "<Przybycie Miejsce=\"Gdansk Port\" Data=\"2024-03-05\"", "<typy:Zamkniecie Znak=\"NEW-de\"/>"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typ);
    Store(c.typ, c.message);
    host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 1, NR_WLASNY = '<AUTO>', PLIK = null, DATA_WYSLANIA = null"));
    host_->db().Exec(QStringLiteral("update TRANZYTY set STATUS = 1"));
    const QString text = WriteVerified(QString::fromLatin1(c.typ) + QStringLiteral(".xml"));
    for (const char* part : c.present) EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.left(400).toStdString();
    for (const char* part : c.absent) EXPECT_FALSE(text.contains(QString::fromUtf8(part))) << part;
    const host::Row r = Row();
    EXPECT_EQ(r.Int(QStringLiteral("STATUS")), 2);
    EXPECT_EQ(r.Str(QStringLiteral("PLIK")), text);
    EXPECT_EQ(r.Value(QStringLiteral("DATA_WYSLANIA")).toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(host_->db().QueryValue(QStringLiteral("select STATUS from TRANZYTY where ID_TRANZYTY = 1")).toInt(), 2);
  }
}

TEST_P(SignedOutgoingFile, OwnMailProgramWritesFromTheReturnChannelsMailbox) {
  Channel("EMAIL", QStringLiteral("Biuro Agencji <biuro@agencja.example>"));
  // A mail program that records what it was given.
  const QString program = root_.filePath(QStringLiteral("poczta.sh"));
  const QString recorded = root_.filePath(QStringLiteral("poczta.txt"));
  {
    QFile f(program);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(recorded).toUtf8());
  }
  QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  host_->options->WriteOption(QStringLiteral("EMAIL"), QStringLiteral("PROGRAM"),
                              QStringLiteral("\"%1\" --od \"%NADAWCA%|%ADRES_NADAWCY%\"").arg(program));
  QStringList log;
  exchange::WysylkaKomunikatu wysylka(*ctx_, 36);
  EXPECT_TRUE(wysylka.Wyslij(exchange::kKanalEmailPoczta, QString(), [&log](const QString& l) { log << l; })) << log.join('\n').toStdString();
  for (int i = 0; i < 200 && !QFile::exists(recorded); ++i) QThread::msleep(50);
  QFile f(recorded);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QStringList args = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  EXPECT_EQ(args.mid(0, 2), QStringList({QStringLiteral("--od"), QStringLiteral("Biuro Agencji|biuro@agencja.example")}));
  EXPECT_TRUE(args.contains(root_.filePath(QStringLiteral("TEMP/XML2/")) + wysylka.NazwaPliku())) << args.join('|').toStdString();
}

// Each sent message of a phase-5 (or 6) transit leaves as its CC message: signed, and valid
// against the EU's schema by libxml2's own command line.
TEST_P(SignedOutgoingFile, PhaseFiveAndSixTransitsSendTheirCCMessages) {
  xml::Message deklaracja = PrzykladowaDeklaracjaCC(2);
  deklaracja.EnsureNaglowek().SetNrWlasny(frame::kAuto);
  xml::Message uwagi = xml::NewIE044();
  uwagi.EnsureNaglowek().SetMRN(QStringLiteral("24PL322010NS0001A7"));
  uwagi.EnsureNaglowek().SetDataUtworzenia(QStringLiteral("2024-03-08T10:00:00"));
  uwagi.Root().Add(xml::kIE044_UCPrzedstawienia).Set(QStringLiteral("Kod"), QStringLiteral("PL322020"));
  xml::Group u = uwagi.Root().Add(xml::kIE044_UwagiRozladunkowe);
  u.Set(QStringLiteral("Data"), QStringLiteral("2024-03-08"));
  u.Set(QStringLiteral("Zgodnosc"), QStringLiteral("1"));
  u.Set(QStringLiteral("Zakonczony"), QStringLiteral("1"));
  uwagi.Root().Add(xml::kIE044_Odbiorca).Set(QStringLiteral("TIN"), QStringLiteral("PL584000001100000"));
  xml::Group towar = uwagi.Root().Add(xml::kIE044_Towar);
  towar.Set(QStringLiteral("PozId"), QStringLiteral("2"));
  towar.Set(QStringLiteral("MasaBrutto"), QStringLiteral("690"));
  // The cancellation takes the holder from the declaration, as its editor does.
  xml::Message wniosek = Wniosek();
  xml::Group gz = wniosek.Root().Add(xml::kGlownyZobowiazany);
  gz.Set(QStringLiteral("Nazwa"), QStringLiteral("Bałtycka Spedycja"));
  gz.Set(QStringLiteral("TIN"), QStringLiteral("PL5860000017"));
  xml::Message przybycie = PrzykladowePrzybycie(QStringLiteral("Gdańsk Port"));
  przybycie.Root().Get(xml::kIE007_Lokalizacja).Set(QStringLiteral("MiejsceUznane"), QStringLiteral("PL322020AB"));
  struct Case {
    const char* typ;
    xml::Message message;
    const char* cc;
    QStringList parts;
  };
  const Case cases[] = {
      {"IE015", deklaracja, "CC015C", {"<ConsignmentItem>", "<identifier>PL001</identifier>", "<amountToBeCovered>201.00</amountToBeCovered>"}},
      {"IE014", wniosek, "CC014C", {"<MRN>24PL322010NS0001A7</MRN>", "<justification>Pomyłka w zgłoszeniu, ładunek nie wyjedzie</justification>"}},
      {"IE007", przybycie, "CC007C", {"<referenceNumber>PL322020</referenceNumber>", "<authorisationNumber>PL322020AB</authorisationNumber>"}},
      {"IE044", uwagi, "CC044C", {"<unloadingDate>2024-03-08</unloadingDate>", "<conform>1</conform>",
                                    "<declarationGoodsItemNumber>2</declarationGoodsItemNumber>"}},
  };
  for (int faza : {5, 6}) {
    host_->db().Exec(QStringLiteral("update TRANZYTY set FAZA = :F"), {{QStringLiteral("F"), faza}});
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.cc) + " " + std::to_string(faza));
      Store(c.typ, c.message);
      host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 1, NR_WLASNY = '<AUTO>'"));
      const QString file = root_.filePath(QStringLiteral("XML2/%1_%2.xml").arg(QString::fromLatin1(c.cc)).arg(faza));
      ASSERT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QString());
      QString out;
      EXPECT_EQ(RunTool(QStringLiteral("xmlsec1"), {"--verify", "--enabled-reference-uris", "empty,same-doc", "--trusted-pem", keys_ + "/cert.pem", file}, &out), 0)
          << out.toStdString();
      // The schema is met by the file as it was before the enveloped signature closed it.
      const xml::XmlDocumentPtr unsigned_doc = xml::LoadXMLDocument(file);
      xml::XML_RemoveNode(unsigned_doc->DocumentElement().ChildByLocalName(QStringLiteral("Signature")));
      const QString unsigned_file = file + QStringLiteral(".unsigned");
      unsigned_doc->Save(unsigned_file);
      const QString schema = QStringLiteral(VELMORA_NCTS_DIR "/p%1/%2.xsd").arg(faza).arg(QString::fromLatin1(c.cc).toLower());
      EXPECT_EQ(RunTool(QStringLiteral("xmllint"), {"--noout", "--schema", schema, unsigned_file}, &out), 0) << out.toStdString();
      const QString text = Row().Str(QStringLiteral("PLIK"));
      EXPECT_TRUE(text.contains(QStringLiteral("<ncts:") + QString::fromLatin1(c.cc) + QStringLiteral(" xmlns:ncts=\"http://ncts.dgtaxud.ec\"")));
      EXPECT_TRUE(text.contains(QStringLiteral("<messageIdentification>") + Row().Str(QStringLiteral("NR_WLASNY")) + QStringLiteral("</")));
      for (const QString& part : c.parts) EXPECT_TRUE(text.contains(part)) << part.toStdString();
      EXPECT_EQ(Row().Int(QStringLiteral("STATUS")), 2);
    }
  }
}

TEST_P(SignedOutgoingFile, APhaseFiveMessageGoesInTheNationalEnvelopeWhenOneIsSet) {
  host_->db().Exec(QStringLiteral("update TRANZYTY set FAZA = 5"));
  xml::Message m = Wniosek();
  m.Root().Add(xml::kGlownyZobowiazany).Set(QStringLiteral("TIN"), QStringLiteral("PL5860000017"));
  Store("IE014", m);
  host_->options->WriteOption(QStringLiteral("NCTS5"), QStringLiteral("KOPERTA"), QStringLiteral("IE%1PL"), host::OptionScope::Application);
  ASSERT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, root_.filePath(QStringLiteral("XML2/IE014PL.xml"))), QString());
  const xml::XmlDocumentPtr doc = xml::LoadXMLData(Row().Str(QStringLiteral("PLIK")));
  EXPECT_EQ(doc->DocumentElement().NodeName(), QStringLiteral("IE014PL"));
  EXPECT_EQ(doc->DocumentElement().FirstChild().NodeName(), QStringLiteral("ncts:CC014C"));
}

TEST_P(SignedOutgoingFile, WhatTheSchemaRefusesIsNeitherWrittenNorMarkedSent) {
  xml::Message m = PrzykladowaDeklaracja(2);
  xml::Message bez_opisu = PrzykladowaDeklaracja(2);
  bez_opisu.Root().List(xml::kIE015_Towar)[1].Remove(QStringLiteral("OpisTowaru"));
  // In phase 5 the national codes and GRN are not the EU's.
  const std::tuple<int, const xml::Message*, const char*, const char*> cases[] = {
      {4, &bez_opisu, "Komunikat IE015 nie jest zgodny ze schematem: /IE015/Towar[2]: ", "OpisTowaru"},
      {5, &m, "Komunikat CC015C nie jest zgodny ze schematem: /CC015C/Guarantee/GuaranteeReference/GRN: ", "GRN"}};
  const QString file = root_.filePath(QStringLiteral("XML2/IE015.xml"));
  for (const auto& [faza, message, refusal, what] : cases) {
    host_->db().Exec(QStringLiteral("update TRANZYTY set FAZA = :F"), {{QStringLiteral("F"), faza}});
    Store("IE015", *message);
    const QString result = exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file);
    EXPECT_TRUE(result.startsWith(QString::fromUtf8(refusal)) && result.contains(QString::fromLatin1(what))) << result.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(Row().Int(QStringLiteral("STATUS")), 1);
    EXPECT_TRUE(Row().IsNull(QStringLiteral("PLIK")));
  }

  // Without a place of filling the copy yields nothing and nothing is written.
  host_->db().Exec(QStringLiteral("update TRANZYTY set FAZA = 4"));
  Store("IE015", m);
  host_->user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QString(), false, false, false));
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QString());
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(Row().Int(QStringLiteral("STATUS")), 1);
}

TEST_P(SignedOutgoingFile, GoodsItemsEnteredInTheEditorAreSentAndChargeTheirGuarantee) {
  host::Db& db = host_->db();
  db.Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, GRN, KWOTA, SALDO) values (4, 'G/4', '24PL322010000001A1', 5000, 5000)"));
  db.CreateGenerator(QStringLiteral("GID_GWARANCJE_POZYCJE"));
  for (const char* k : {"Automatyczne", "KCS_OBJECIE"})
    host_->options->WriteOption(QStringLiteral("SALDOWANIE"), QString::fromLatin1(k), QStringLiteral("1"));

  // The header of a complete declaration; its goods items entered anew, field by field.
  xml::Message m = PrzykladowaDeklaracja(1);
  departure::DeklaracjaIE015 d(*ctx_);
  d.UstawTranzyt(1);
  ASSERT_EQ(d.SetXML(m.Xml()), QString());
  d.UsunTowar(1);
  for (int i = 1; i <= 2; ++i) {
    const int poz = d.DodajTowar();
    departure::TowarIE015 e(*ctx_, d.Dokument(), poz);
    e.Load();
    e.pola.opis = QStringLiteral("Meble biurowe\tdębowe %1").arg(i);
    e.UstawCN(QStringLiteral("94033011"));
    e.pola.masa_brutto = QStringLiteral("120,5");
    e.pola.masa_netto = QStringLiteral("100");
    xml::Group p = e.Dodaj(departure::ListaTowaru::Opakowania);
    p.Set(QStringLiteral("Rodzaj"), QStringLiteral("PX"));
    p.Set(QStringLiteral("Znaki"), QStringLiteral("MB/%1").arg(i));
    p.Set(QStringLiteral("LiczbaOpakowan"), QStringLiteral("4"));
    xml::Group doc = e.Dodaj(departure::ListaTowaru::DokumentyWymagane);
    doc.Set(QStringLiteral("Kod"), QStringLiteral("N380"));
    doc.Set(QStringLiteral("Nr"), QStringLiteral("FV/2024/%1").arg(i));
    e.pola.gwarancja = QStringLiteral("24PL322010000001A1");
    e.pola.kwota = i == 1 ? QStringLiteral("1200,50") : QStringLiteral("300");
    e.pola.waluta = QStringLiteral("PLN");
    e.pola.kontenery = QStringLiteral("msku 123456-7");
    ASSERT_TRUE(e.Sprawdz().empty());
    ASSERT_TRUE(e.Save());
    d.OdswiezTowar(poz);
  }
  db.Exec(QStringLiteral("update TRANZYTY_POZYCJE set TYP = 'IE015', XML = :X"), {{QStringLiteral("X"), d.GetXML()}});

  const QString text = WriteVerified(QStringLiteral("IE015.xml"));
  EXPECT_TRUE(text.contains(QStringLiteral("OpisTowaru=\"Meble biurowe dębowe 2\""))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Kod=\"CAL\" Tekst=\"1200.50; 24PL322010000001A1\"")));
  EXPECT_TRUE(text.contains(QStringLiteral("Numer=\"MSKU1234567\"")));
  EXPECT_FALSE(text.contains(QStringLiteral("DaneKrajowe")));
  const auto entries = db.QueryAll(QStringLiteral("select KWOTA_NALEZNOSCI from GWARANCJE_POZYCJE order by ID_GWARANCJE_POZYCJE"));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_DOUBLE_EQ(entries[0].Float(QStringLiteral("KWOTA_NALEZNOSCI")), 1200.5);
  EXPECT_DOUBLE_EQ(entries[1].Float(QStringLiteral("KWOTA_NALEZNOSCI")), 300.0);
}

TEST_P(SignedOutgoingFile, ANewArrivalWithAnEventAndACostIsStoredReopenedAndSent) {
  host::Db& db = host_->db();
  NoTransits();
  db.Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE007_UC_PRZEDSTAW) values (1, 'Przyjęcia', 0, 'PL322010')"));
  db.Exec(QStringLiteral("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Kod, Miejscowosc, Kraj, NIP, EORI) values "
                         "(7, 'Magazyn Celny Gdańsk', 'Portowa 2', '80-001', 'Gdańsk', 'PL', '5840000011', 'PL584000001100000')"));
  host::ExchangeRates(db, host_->user, host_->clock)
      .ImportTabelaAXml(QStringLiteral("<tabela_kursow typ=\"A\"><numer_tabeli>044/A/NBP/2024</numer_tabeli><data_notowania>2024-03-04"
                                       "</data_notowania><data_publikacji>2024-03-04</data_publikacji><pozycja><nazwa_waluty>euro"
                                       "</nazwa_waluty><przelicznik>1</przelicznik><kod_waluty>EUR</kod_waluty><kurs_sredni>4,2512"
                                       "</kurs_sredni></pozycja></tabela_kursow>"));
  frame::AktywnyRejestr.Id = 1;

  // As the editor is filled in: a new transit, an event, a cost in euro.
  arrival::ZawiadomienieIE007 z(*ctx_);
  z.BeforeActivate({{QStringLiteral("ID_TRANZYTY"), 0}, {QStringLiteral("REJESTRY_ID"), 1}});
  z.SetXML(QString());
  z.pola.mrn = QStringLiteral("24PL322010NS0009C1");
  z.pola.miejsce = QStringLiteral("Gdańsk");
  z.UstawOdbiorce(*db.QueryOne(QStringLiteral("select * from KONTRAHENCI where ID_KONTRAHENCI = 7")));
  z.pola.wartosc_towaru = QStringLiteral("1000");
  z.pola.waluta = QStringLiteral("EUR");
  z.PrzeliczKurs();
  xml::Group e = z.DodajZdarzenie();
  e.Set(QStringLiteral("Miejsce"), QStringLiteral("Świecko"));
  e.Set(QStringLiteral("Kraj"), QStringLiteral("PL"));
  e.Set(QStringLiteral("WSystemie"), QStringLiteral("0"));
  arrival::KosztIE007 k = z.NowyKoszt();
  k.kod = QStringLiteral("1");
  k.kwota_wal = QStringLiteral("50");
  k.waluta = QStringLiteral("EUR");
  k.CheckKursy();
  z.DodajKoszt(k);
  db.Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, GRN, TYP, KWOTA, SALDO) values (4, 'G/4', '24PL322010000123G', 'KCS', 5000, 5000)"));
  z.pola.gwarancja.Wybierz(*db.QueryOne(QStringLiteral("select * from GWARANCJE where ID_GWARANCJE = 4")));
  ASSERT_TRUE(z.Sprawdz().empty()) << z.Sprawdz().front().first.toStdString() << " " << z.Sprawdz().front().second.toStdString();
  const arrival::WynikPrzybycia w = z.Wynik();
  const qint64 tranzyt = lists::ListaTranzytow(*ctx_, frame::kRodzajPrzywoz).UtworzTranzyt(w.kolumny_tranzytu, frame::kAuto, w.xml, &w.koszty);
  EXPECT_DOUBLE_EQ(db.QueryValue(QStringLiteral("select WARTOSC_STAT from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt}}).toDouble(),
                   4464.0);  // 4251.20 + 212.56
  EXPECT_EQ(db.QueryValue(QStringLiteral("select KOD from TRANZYTY_KOSZTY where TRANZYTY_ID = :T"), {{QStringLiteral("T"), tranzyt}}).toString(),
            QStringLiteral("1"));

  // Reopened, it shows the same.
  const qint64 id = db.QueryValue(QStringLiteral("select ID_TRANZYTY_POZYCJE from TRANZYTY_POZYCJE where TRANZYTY_ID = :T"),
                                  {{QStringLiteral("T"), tranzyt}}).toLongLong();
  arrival::ZawiadomienieIE007 r(*ctx_);
  r.BeforeActivate({{QStringLiteral("ID_TRANZYTY"), tranzyt}, {QStringLiteral("STATUS"), 1}});
  r.SetXML(db.QueryMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"), QStringLiteral("ID_TRANZYTY_POZYCJE = :ID"),
                             {{QStringLiteral("ID"), id}}));
  EXPECT_EQ(r.GetXML(), w.xml);
  EXPECT_EQ(r.pola.wartosc_stat, QStringLiteral("4464"));
  ASSERT_EQ(r.Koszty().size(), 1u);
  EXPECT_DOUBLE_EQ(r.Koszty()[0].value(QStringLiteral("WARTOSC_PLN")).toDouble(), 212.56);

  // And it leaves as a valid, signed file.
  EXPECT_TRUE(WriteVerified(QStringLiteral("IE007.xml"), id).contains(QStringLiteral("<IE007")));
}

TEST_P(SignedOutgoingFile, FollowUpRequestsAfterTheirAnswersAreStoredAndLeaveSignedAndValid) {
  host::Db& db = host_->db();
  auto sample = [](const char* name) {
    QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + QString::fromLatin1(name) + QStringLiteral(".xml"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(f.readAll());
  };
  struct Przypadek {
    const char* odpowiedz;  // received after the IE028
    const char* typ;
    std::function<std::unique_ptr<arrival::WniosekNastepczy>()> wniosek;
  };
  const Przypadek przypadki[] = {
      {nullptr, "IE014", [this] { return std::make_unique<arrival::WniosekIE014>(*ctx_); }},
      {"IE140", "IE141", [this] { return std::make_unique<arrival::OdpowiedzIE141>(*ctx_); }},
      {"IE051", "IE054", [this] { return std::make_unique<arrival::WniosekIE054>(*ctx_); }},
  };
  for (const Przypadek& p : przypadki) {
    const QString typ = QString::fromLatin1(p.typ);
    NoTransits();
    db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, 0, 'IE015', 2)"));
    db.Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                           "values (36, 1, 1, 'IE015', 2, '24IE0150000010', :XML)"),
                     {{QStringLiteral("XML"), PrzykladowaDeklaracja(2).Xml()}});
    ASSERT_TRUE(exchange::WczytajKomunikat(*ctx_, sample("IE028"), QString()).startsWith(QStringLiteral("Wczytano"))) << p.typ;
    if (p.odpowiedz) {
      ASSERT_TRUE(exchange::WczytajKomunikat(*ctx_, sample(p.odpowiedz), QString()).startsWith(QStringLiteral("Wczytano"))) << p.typ;
    }

    // The list offers the request the answer calls for; after an IE028 it is chosen from the menu.
    lists::TranzytyPozycje lista(*ctx_, 1, frame::kRodzajWywoz);
    if (typ == frame::typ::IE014) {
      EXPECT_EQ(lista.WybierzTyp().akcja, lists::NastepnyKomunikat::Akcja::MenuZPrzycisku);
      lista.UstawTypZMenu(typ);
    }
    const lists::NastepnyKomunikat n = lista.WybierzTyp();
    ASSERT_EQ(n.akcja, lists::NastepnyKomunikat::Akcja::Utworz) << p.typ;
    EXPECT_EQ(n.typ, typ);
    const QVariantMap wiersz = lista.NowyWiersz(typ);
    std::unique_ptr<arrival::WniosekNastepczy> w = p.wniosek();
    w->BeforeActivate(wiersz);
    if (auto* ie014 = dynamic_cast<arrival::WniosekIE014*>(w.get())) ie014->powod = QStringLiteral("Towar nie opuści miejsca załadunku");
    ASSERT_TRUE(w->Sprawdz().empty()) << p.typ << ": " << w->Sprawdz().front().second.toStdString();
    const qint64 id = lista.Zapisz(wiersz, w->GetXML(), true);
    const host::Row t = *db.QueryOne(QStringLiteral("select TYP, STATUS from TRANZYTY where ID_TRANZYTY = 1"));
    EXPECT_EQ(t.Str(QStringLiteral("TYP")), typ);
    EXPECT_EQ(t.Int(QStringLiteral("STATUS")), frame::kStatusNowy);

    const QString text = WriteVerified(typ + QStringLiteral(".xml"), id);
    EXPECT_TRUE(text.contains(QStringLiteral("<") + typ)) << p.typ;
    EXPECT_TRUE(text.contains(QStringLiteral("MRN=\"24PL322010NS0001A7\""))) << p.typ;
    EXPECT_EQ(db.QueryValue(QStringLiteral("select STATUS from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = :ID"), {{QStringLiteral("ID"), id}}).toInt(),
              frame::kStatusWyslany);
  }
}

TEST_P(SignedOutgoingFile, UnloadingRemarksOfEveryKindAfterAReceivedPermissionLeaveSignedAndValid) {
  host::Db& db = host_->db();
  NoTransits();
  db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (2, 1, 'IE007', 2, '24PL322010NS0001A7')"));
  xml::Message ie007 = PrzykladowePrzybycie(QStringLiteral("Gdańsk"));
  ie007.Root().Ensure(xml::kIE007_Odbiorca).Ensure(xml::kPrzedstawiciel).Set(QStringLiteral("TIN"), QStringLiteral("PL5840000011"));
  db.Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                         "values (500, 2, 1, 'IE007', 2, '24IE0070000050', :X)"),
             {{QStringLiteral("X"), ie007.Xml()}});
  db.Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, IE043) values (1, 2, 0)"));
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/IE043.xml"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  ASSERT_EQ(exchange::WczytajKomunikat(*ctx_, QString::fromUtf8(f.readAll())).left(8), QStringLiteral("Wczytano"));

  // Every kind of remark, made as the editor makes them.
  arrival::UwagiRozladunkoweIE044 u(*ctx_);
  ASSERT_TRUE(u.SetXML({{QStringLiteral("TRANZYTY_ID"), 2}}, QString()));
  u.ZmienZgodnosc(true);
  u.pola.stan_zamkniec = 1;
  u.pola.uwagi = QStringLiteral("Rozbieżności w ilości i nowa pozycja");
  u.pola.liczba_opakowan = QStringLiteral("24");
  const auto roznica = u.DodajTowar(arrival::kRozbieznosc, 1, 3, {});
  arrival::TowarIE044 e(roznica.do_edycji, roznica.typ);
  e.WczytajDoKontrolek();
  e.masa_brutto = QStringLiteral("480,5");
  e.ZapiszZKontrolek();
  u.DodajTowar(arrival::kBrakPozycji, 3, 3, {});
  const auto nowa = u.DodajTowar(arrival::kNowaPozycja, 0, 3, {});
  arrival::TowarIE044 n(nowa.do_edycji, nowa.typ);
  n.WczytajDoKontrolek();
  n.opis = QStringLiteral("Części zamienne");
  n.masa_brutto = QStringLiteral("12");
  n.ZapiszZKontrolek();
  u.DodajTowar(arrival::kUwagiRozladunkowe, 2, 3, QStringLiteral("Uszkodzone opakowania"));
  ASSERT_TRUE(u.Sprawdz().empty()) << u.Sprawdz().front().second.toStdString();
  ASSERT_EQ(u.Towary().size(), 4u);

  lists::TranzytyPozycje lista(*ctx_, 2, frame::kRodzajPrzywoz);
  lista.AktualizujStatus();
  const qint64 id = lista.Zapisz(lista.NowyWiersz(QStringLiteral("IE044")), u.GetXML(), true, {});
  const QString text = WriteVerified(QStringLiteral("IE044.xml"), id);
  EXPECT_TRUE(text.contains(QStringLiteral("Wskaznik=\"6\" Wartosc=\"24\""))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Kod=\"NE\"")));
}

VELMORA_ON_BOTH_ENGINES(SignedOutgoingFile);

}  // namespace
}  // namespace velmora::testing
