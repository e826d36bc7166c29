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
