#include "exchange/outgoing_file.h"
#include "frame/codes.h"
#include "host/host_context.h"
#include "host/xml/messages.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>

namespace velmora::testing {
namespace {

class OutgoingFile : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    ctx_ = std::make_unique<host::HostContext>(host::HostContext{host_->db(), *host_->options, host_->user, host_->clock,
                                                                 host_->dialogs, root_.path(), nullptr});
    host_->db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (1, 0, 'IE014', 1, '24PL322010NS0001A7')"));
    xml::Message m = xml::NewIE014();
    m.EnsureNaglowek().SetNrWlasny(frame::kAuto);
    host_->db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                                    "values (36, 1, 1, 'IE014', 1, '<AUTO>', :XML)"),
                     {{QStringLiteral("XML"), m.Xml()}});
  }
  host::Row Row() { return *host_->db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36")); }
  void Channel(const char* key, const QString& value) {
    host_->options->WriteOption(QStringLiteral("KANAL_ZWROTNY"), QString::fromLatin1(key), value, host::OptionScope::Application);
  }

  QTemporaryDir root_;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
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
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QStringLiteral("Nie załadowano pliku dll - Tessaro.Xades.dll"));
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_TRUE(QDir(root_.filePath(QStringLiteral("XML2"))).exists());
  const host::Row r = Row();
  EXPECT_EQ(r.Int(QStringLiteral("STATUS")), 1);
  EXPECT_TRUE(r.IsNull(QStringLiteral("PLIK")));
  EXPECT_EQ(r.Str(QStringLiteral("NR_WLASNY")), QStringLiteral("24IE0140000100"));  // the own number stays

  // A sent message is written again only when the user says so.
  host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 2, PLIK = 'podpisany'"));
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QStringLiteral("Ten dokument został już wyeksportowany"));
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Ten dokument został już wyeksportowany. Czy chcesz to zrobić ponownie ?"));
  EXPECT_EQ(Row().Str(QStringLiteral("PLIK")), QStringLiteral("podpisany"));
}

VELMORA_ON_BOTH_ENGINES(OutgoingFile);

}  // namespace
}  // namespace velmora::testing

#include "host/plugin_paths.h"
#include "host/process_options.h"

#include <QProcess>

namespace velmora::testing {
namespace {

int RunTool(const QString& program, const QStringList& args, QString* output = nullptr) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(60000)) return -1;
  if (output) *output = QString::fromUtf8(p.readAll());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST_P(OutgoingFile, SignedFileVerifiesAndTheMessageIsSent) {
  // A certificate of our own, the built signer below the root.
  const QString keys = root_.filePath(QStringLiteral("keys"));
  QDir().mkpath(keys);
  ASSERT_EQ(RunTool(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Agencja Celna",
                                             "-keyout", keys + "/key.pem", "-out", keys + "/cert.pem"}), 0);
  ASSERT_EQ(RunTool(QStringLiteral("openssl"), {"pkcs12", "-export", "-inkey", keys + "/key.pem", "-in", keys + "/cert.pem", "-out",
                                             keys + "/store.p12", "-passout", "pass:tajne"}), 0);
  QDir().mkpath(root_.filePath(QStringLiteral("bin")));
  ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_SIGNER_PATH), host::SignerPath(root_.path())));
  host_->options->WriteOption(QStringLiteral("PODPIS"), QStringLiteral("CERTYFIKAT"), keys + "/store.p12", host::OptionScope::Application);
  host_->options->WriteOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), QStringLiteral("tajne"), host::OptionScope::Application);
  host::SetProcessOptions(host_->options.get());
  Channel("URL", QStringLiteral("https://127.0.0.1/odpowiedzi"));

  // A request with an empty group and a flag written as text.
  xml::Message m = xml::NewIE014();
  m.EnsureNaglowek().SetNrWlasny(frame::kAuto);
  xml::XmlNode wniosek = m.Root().Node().AppendChild(QStringLiteral("Wniosek"));
  wniosek.SetAttribute(QStringLiteral("Powod"), QStringLiteral("Pomyłka w zgłoszeniu, ładunek nie wyjedzie"));
  wniosek.SetAttribute(QStringLiteral("Pilny"), QStringLiteral("True"));
  m.Root().Node().AppendChild(QStringLiteral("Pusty")).SetAttribute(QStringLiteral("PozId"), QStringLiteral("1"));
  host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set XML = :X"), {{QStringLiteral("X"), m.Xml()}});

  const QString file = root_.filePath(QStringLiteral("XML2/IE014.xml"));
  EXPECT_EQ(exchange::ZapiszKomunikatDoPliku(*ctx_, 36, file), QString());
  host::SetProcessOptions(nullptr);
  QString out;
  EXPECT_EQ(RunTool(QStringLiteral("xmlsec1"), {"--verify", "--enabled-reference-uris", "empty,same-doc", "--trusted-pem", keys + "/cert.pem", file}, &out), 0) << out.toStdString();

  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("<typy:WebService Url=\"https://127.0.0.1/odpowiedzi\"/>")));
  EXPECT_TRUE(text.contains(QStringLiteral("Pilny=\"1\"")));
  EXPECT_FALSE(text.contains(QStringLiteral("<Pusty")));  // an ordinal alone is nothing
  EXPECT_TRUE(text.contains(QStringLiteral("Plik utworzony ")));
  EXPECT_TRUE(text.contains(QStringLiteral("NrWlasny=\"24IE0140000100\"")));
  const host::Row r = Row();
  EXPECT_EQ(r.Int(QStringLiteral("STATUS")), 2);
  EXPECT_EQ(r.Str(QStringLiteral("PLIK")), text);
  EXPECT_EQ(r.Value(QStringLiteral("DATA_WYSLANIA")).toDate(), QDate(2024, 3, 5));
  EXPECT_EQ(host_->db().QueryValue(QStringLiteral("select STATUS from TRANZYTY where ID_TRANZYTY = 1")).toInt(), 2);
}

}  // namespace
}  // namespace velmora::testing
