// The mail road of the module end to end: the built signer, the host's mail accounts against
// the throwaway dovecot and SMTP receiver, a real database.
#include "exchange/receive.h"
#include "exchange/send.h"
#include "frame/codes.h"
#include "host/base/dialogs.h"
#include "host/mail/email_accounts.h"
#include "host/mail/email_client.h"
#include "host/base/host_context.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "support/mail_servers.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>

#include <map>

namespace velmora::testing {
namespace {

const QString kWczytano = QStringLiteral("Wczytano kouminikat IE028 o numerze 24IE028UC0000028");

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll();
}

// The office's acceptance of the declaration numbered 24IE0150000010.
QByteArray Ie028() { return ReadAll(QStringLiteral(VELMORA_TEST_DATA "/incoming/IE028.xml")); }

// A mail as a customs office sends it; without parts it is plain text.
QByteArray Mail(const char* id, const char* subject, const QByteArray& parts = {}) {
  QByteArray raw = QByteArray("From: uc@celna.example\r\nTo: agencja@localhost\r\nDate: Tue, 05 Mar 2024 10:20:00 +0100\r\n"
                              "MIME-Version: 1.0\r\nMessage-ID: <") + id + "@celna.example>\r\nSubject: " + subject + "\r\n";
  if (parts.isEmpty()) return raw + "Content-Type: text/plain; charset=UTF-8\r\n\r\nBez zalacznikow.\r\n";
  return raw + "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n" + parts + "--b1--\r\n";
}

class MailChannel : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    servers_ = &Servers();
    if (!servers_->failure.isEmpty()) VELMORA_MISSING_PEER("mail servers could not start (scripts/mail.sh): " + servers_->failure.toStdString());
    host_->user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), QStringLiteral("Gdynia"), false, false, false));
  }
  void TearDown() override { host::SetProcessOptions(nullptr); }

  host::Db& Db() { return host_->db(); }
  // The servers serve the whole run: every test and engine gets mailboxes of its own.
  QString User(const char* name) const {
    return QString::fromLatin1(name) + (GetParam() == TestEngine::Sqlite ? QStringLiteral("_sqlite") : QStringLiteral("_pg"));
  }
  QString Account(const QString& user, const QString& protocol = QStringLiteral("IMAP"), bool usuwaj = false,
                  const QString& haslo = {}) {
    host::MailServer s;
    s.email = user + QStringLiteral("@localhost");
    s.smtp_host = s.in_host = QStringLiteral("127.0.0.1");
    s.smtp_port = servers_->smtp;
    s.in_protocol = protocol;
    s.in_port = protocol == QLatin1String("IMAP") ? servers_->imap : servers_->pop3;
    s.user = user;
    s.password = haslo.isEmpty() ? servers_->password : haslo;
    s.delete_source = usuwaj;
    s.smtp_tls = s.in_tls = host::MailTls::None;  // the local servers speak plain text
    QString error;
    EXPECT_GT(host::AddMailServer(Db(), s, &error), 0) << error.toStdString();
    return s.email;
  }
  QStringList Read(const QString& konto, bool tylko_nowe) {
    QStringList log;
    exchange::OdbiorKomunikatow(*ctx_).ZakladkaPoczta(konto, tylko_nowe, [&log](const QString& l) { log << l; });
    return log;
  }
  int OnServer(const QString& konto) {
    host::TOdbierzMail box;
    QString error;
    const int id =
        Db().QueryValue(QStringLiteral("select ID_EMAIL_SRV from EMAIL_SRV where EMAIL = :E"), {{QStringLiteral("E"), konto}}).toInt();
    EXPECT_TRUE(box.InitServerConfig(Db(), id, &error) && box.Connect(&error)) << error.toStdString();
    return box.get_MessageCount();
  }
  // A departure whose declaration was sent with the own number the IE028 sample refers to.
  void SentDeclaration() {
    Db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, OPIS) values (900, :R, 'IE015', 2, 'Wysłano')"),
              {{QStringLiteral("R"), frame::kRodzajWywoz}});
    Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                             "values (900, 900, 1, 'IE015', 2, '24IE0150000010', '<x/>')"));
  }
  int Count(const char* sql) { return Db().QueryValue(QString::fromLatin1(sql)).toInt(); }
  std::map<QString, int> States() {
    std::map<QString, int> out;
    for (const auto& r : Db().QueryAll(QStringLiteral("select TEMAT, STAN from EMAIL_MSG where KIERUNEK = 0")))
      out[r.Str(QStringLiteral("TEMAT"))] = r.Int(QStringLiteral("STAN"));
    return out;
  }
  // The line of the mail with this subject ends with `tail` (holds it, unless `at_end`): logged
  // with a blank after it, then once more as built when the mail's handling ends.
  static ::testing::AssertionResult Logged(const QStringList& log, const char* subject, const QString& tail, bool at_end = true) {
    const QStringList found = log.filter(QString::fromUtf8(subject));
    if (found.size() == 2 && found[0] == found[1] + QLatin1Char(' ') && found[1].startsWith(QStringLiteral("- (")) &&
        (at_end ? found[1].endsWith(tail) : found[1].contains(tail)))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << subject << " / " << tail.toStdString() << " not in:\n" << log.join('\n').toStdString();
  }
  void ReadMailbox(const QString& protocol, bool usuwaj);

  MailServers* servers_ = nullptr;
};

TEST_P(MailChannel, SignedDeclarationGoesByTheAgencyAccountToTheOfficeAddress) {
  ASSERT_EQ(InstallSigner(*host_->options, root_.path(), QStringLiteral(VELMORA_SIGNER_PATH)), QString());
  host_->options->WriteOption(QStringLiteral("KANAL_ZWROTNY"), QStringLiteral("URL"), QStringLiteral("https://127.0.0.1/odpowiedzi"),
                              host::OptionScope::Application);
  host::SetProcessOptions(host_->options.get());
  Db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (1, :R, 'IE015', 1)"),
            {{QStringLiteral("R"), frame::kRodzajWywoz}});
  Db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                           "values (36, 1, 1, 'IE015', 1, '<AUTO>', :X)"),
            {{QStringLiteral("X"), PrzykladowaDeklaracja(2).Xml()}});
  // The office is the platform's address from the customs dictionary.
  const QString urzad = User("urzad") + QStringLiteral("@localhost");
  Db().Exec(QStringLiteral("update SLOWNIK_CELNY set WARTOSC = :W where SLOWNIK = 'PUESC_EMAIL'"), {{QStringLiteral("W"), urzad}});
  const QString konto = Account(User("agencja"));

  exchange::WysylkaKomunikatu w(*ctx_, 36);
  QStringList log;
  w.Wyslij(exchange::kKanalEmailNcts, konto, [&log](const QString& l) { log << l; });
  ASSERT_EQ(log.last(), QStringLiteral("Wiadomość została wysłana")) << log.join('\n').toStdString();
  const QByteArray file = ReadAll(QDir(root_.path()).filePath(QStringLiteral("TEMP/XML2/") + w.NazwaPliku()));
  EXPECT_TRUE(file.contains("SignatureValue"));
  const auto spooled = servers_->Spooled(urzad);
  ASSERT_EQ(spooled.size(), 1u);
  const host::MailMessage m = host::ParseMail(spooled[0]);
  EXPECT_EQ(m.from, konto);
  EXPECT_EQ(m.subject, w.NazwaPliku());
  ASSERT_EQ(m.attachments.size(), 1u);
  EXPECT_EQ(m.attachments[0].file_name, w.NazwaPliku());
  EXPECT_EQ(m.attachments[0].content, file);
  EXPECT_EQ(Count("select STATUS from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36"), 2);

  // An account the host does not know: nothing leaves.
  host_->dialogs.Answer(host::kIdYes);  // written again, being sent already
  log.clear();
  exchange::WysylkaKomunikatu(*ctx_, 36).Wyslij(exchange::kKanalEmailNcts, QStringLiteral("nikt@localhost"),
                                                [&log](const QString& l) { log << l; });
  EXPECT_EQ(log.last(), QStringLiteral("Nie zdefiniowano konta email do wysyłki"));
  EXPECT_EQ(servers_->Spooled(urzad).size(), 1u);
  EXPECT_EQ(Count("select count(*) from EMAIL_MSG"), 1);
}

// Three answers in the box: the IE028 with its printout, a printout alone, a bare note.
void MailChannel::ReadMailbox(const QString& protocol, bool usuwaj) {
  SentDeclaration();
  const QString user = User(protocol == QLatin1String("IMAP") ? "odbior_imap" : "odbior_pop3");
  const QByteArray pdf = PdfBytes(3);
  servers_->Deliver(user, Mail("ie028.1", "IE028 przyjecie",
                               AttachmentPart("text/xml", "IE028.xml", Ie028()) + AttachmentPart("application/pdf", "IE028.pdf", pdf)));
  servers_->Deliver(user, Mail("pdf.2", "Potwierdzenie PDF", AttachmentPart("application/pdf", "P.pdf", PdfBytes(4))));
  servers_->Deliver(user, Mail("info.3", "Informacja"));
  const QString konto = Account(user, protocol, usuwaj);

  const QStringList log = Read(konto, false);
  EXPECT_TRUE(Logged(log, "IE028 przyjecie", kWczytano));
  EXPECT_TRUE(Logged(log, "Potwierdzenie PDF", QStringLiteral("- brak załączników typu xml")));
  EXPECT_TRUE(Logged(log, "Informacja", QStringLiteral("- brak załączników")));
  EXPECT_EQ(log.last(), QStringLiteral("- pobieranie zakończone"));
  // The printout travels as the loaded answer's file, where the engine's text takes NUL bytes.
  const QString plik =
      Db().QueryValue(QStringLiteral("select PLIK from TRANZYTY_POZYCJE where TYP = 'IE028' and TRANZYTY_ID = 900")).toString();
  if (GetParam() == TestEngine::Sqlite) EXPECT_EQ(plik.toLatin1(), pdf);
  else EXPECT_TRUE(plik.contains(QStringLiteral("24IE028UC0000028")));
  EXPECT_EQ(Db().QueryValue(QStringLiteral("select BODY from EMAIL_ATTACH where FILENAME = 'IE028.pdf'")).toByteArray(), pdf);
  const std::map<QString, int> states = {
      {QStringLiteral("IE028 przyjecie"), 0}, {QStringLiteral("Potwierdzenie PDF"), 3}, {QStringLiteral("Informacja"), 3}};
  EXPECT_EQ(States(), states);
  EXPECT_EQ(Count("select count(*) from EMAIL_ATTACH"), 3);
  // Kept on the server unless the account says otherwise, and then only what loaded.
  EXPECT_EQ(OnServer(konto), usuwaj ? 1 : 3);

  // Only new: the newest mail is stored, so the walk ends before it starts.
  const QStringList again = Read(konto, true);
  EXPECT_EQ(again.filter(QStringLiteral("- (")), QStringList()) << again.join('\n').toStdString();
  EXPECT_EQ(again.last(), QStringLiteral("- pobieranie zakończone"));
  EXPECT_EQ(States(), states);
  EXPECT_EQ(Count("select count(*) from TRANZYTY_POZYCJE"), 2);
  // The stored mail that stopped the walk goes too when the account deletes.
  EXPECT_EQ(OnServer(konto), usuwaj ? 0 : 3);
}

TEST_P(MailChannel, ImapMailboxIsReadLoadedAndStoredOnce) { ReadMailbox(QStringLiteral("IMAP"), false); }

TEST_P(MailChannel, Pop3MailboxDeletesWhatItCouldNotLoad) { ReadMailbox(QStringLiteral("POP3"), true); }

TEST_P(MailChannel, BrokenAttachmentIsToldAndTheWalkGoesOn) {
  SentDeclaration();
  // Delivered oldest first and read newest first: the broken one comes before the good one.
  const QString user = User("zepsute");
  servers_->Deliver(user, Mail("ie028.1", "IE028 dobry", AttachmentPart("text/xml", "IE028.xml", Ie028())));
  servers_->Deliver(user, Mail("ie029.2", "IE029 uciety",
                               AttachmentPart("text/xml", "IE029.xml", "<?xml version=\"1.0\"?>\n<IE029><Naglowek NrWlasny=\"24")));
  servers_->Deliver(user, Mail("obcy.3", "Obcy komunikat", AttachmentPart("text/xml", "X.xml", "<?xml version=\"1.0\"?><Faktura/>")));
  const QString konto = Account(user);

  const QStringList log = Read(konto, false);
  EXPECT_TRUE(Logged(log, "IE029 uciety", QStringLiteral("- brak załączników typu xml")));
  EXPECT_TRUE(Logged(log, "Obcy komunikat", QStringLiteral("Błąd"), false));
  EXPECT_TRUE(Logged(log, "IE028 dobry", kWczytano));
  EXPECT_EQ(log.last(), QStringLiteral("- pobieranie zakończone"));
  EXPECT_EQ(States(), (std::map<QString, int>{
                          {QStringLiteral("IE028 dobry"), 0}, {QStringLiteral("IE029 uciety"), 3}, {QStringLiteral("Obcy komunikat"), 0}}));

  // Deleting at the source: the stored mails go, one the database refuses stays.
  Db().Exec(QStringLiteral("update EMAIL_SRV set DEL_SRC = 1 where EMAIL = :E"), {{QStringLiteral("E"), konto}});
  Db().Exec(QStringLiteral("drop table EMAIL_ATTACH"));
  servers_->Deliver(user, Mail("pdf.4", "Odmowa zapisu", AttachmentPart("application/pdf", "P.pdf", PdfBytes(5))));
  const QStringList again = Read(konto, false);
  EXPECT_TRUE(Logged(again, "Odmowa zapisu", QStringLiteral("Exception"), false));
  EXPECT_EQ(again.filter(QStringLiteral("IE028 dobry")),
            QStringList(2, QStringLiteral(" - (1/4) wiadomość już istnieje w bazie(IE028 dobry) - ")));
  EXPECT_EQ(OnServer(konto), 1);

  // No such account, and one the server refuses: told, nothing read.
  EXPECT_EQ(Read(QStringLiteral("nikt@localhost"), false),
            QStringList{QStringLiteral("Nie zdefiniowano poprawnego konta email do odbioru")});
  const QString zle = Account(User("zle_haslo"), QStringLiteral("IMAP"), false, QStringLiteral("zle"));
  // The refusal, then the server's own reason.
  const QStringList odmowa = Read(zle, false);
  ASSERT_GE(odmowa.size(), 2);
  EXPECT_EQ(odmowa[odmowa.size() - 2], QStringLiteral("Nie można się połączyć ze wskazanym kontem email"));
  EXPECT_TRUE(odmowa.last().contains(QStringLiteral("odrzucił logowanie"))) << odmowa.last().toStdString();
  EXPECT_EQ(Count("select count(*) from EMAIL_MSG"), 3);
}

VELMORA_ON_BOTH_ENGINES(MailChannel);

}  // namespace
}  // namespace velmora::testing
