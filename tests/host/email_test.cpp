#include "host/mail/email_accounts.h"
#include "host/mail/email_client.h"
#include "support/mail_servers.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <map>

namespace velmora::testing {

namespace {

using host::MailAttachment;
using host::MailMessage;

// A loopback port nobody listens on.
int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

struct Sample {
  QString subject;
  std::vector<MailAttachment> attachments;
  QByteArray raw;
};

// The mailbox the reading tests start from, written by hand as a customs office would send it.
std::vector<Sample> Samples() {
  const auto head = [](const char* id, const QByteArray& subject, const char* type) {
    return QByteArray("From: =?UTF-8?Q?Urz=C4=85d_Celny?= <uc@celna.example>\r\nTo: agencja@localhost\r\n"
                      "Date: Tue, 05 Mar 2024 08:04:09 +0100\r\nMIME-Version: 1.0\r\nMessage-ID: <") +
           id + ">\r\nSubject: " + subject + "\r\nContent-Type: " + type + "\r\n";
  };
  const QByteArray mixed = "multipart/mixed; boundary=\"b1\"\r\n";
  const QByteArray text = "text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n";
  const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE029><MRN>24PL301000E0000123</MRN></IE029>\n";
  const QByteArray pdf1 = PdfBytes(1), pdf2 = PdfBytes(2);
  const QByteArray potwierdzenie = QStringLiteral("Potwierdzenie złożenia").toUtf8();
  return {
      {QStringLiteral("IE029 zwolnienie do tranzytu"),
       {{QStringLiteral("IE029.xml"), xml}, {QStringLiteral("IE029.pdf"), pdf1}},
       head("ie029.1@celna.example", "IE029 zwolnienie do tranzytu", mixed) + "--b1\r\nContent-Type: " + text + "\r\n" +
           QStringLiteral("Zwolnienie do tranzytu w załączniku.\r\n").toUtf8() + AttachmentPart("text/xml", "IE029.xml", xml) +
           AttachmentPart("application/pdf", "IE029.pdf", pdf1) + "--b1--\r\n"},
      {QString::fromUtf8(potwierdzenie),
       {{QStringLiteral("Potwierdzenie.pdf"), pdf2}},
       head("pdf.2@celna.example", "=?UTF-8?B?" + potwierdzenie.toBase64() + "?=", mixed) +
           AttachmentPart("application/pdf", "Potwierdzenie.pdf", pdf2) + "--b1--\r\n"},
      {QStringLiteral("Informacja"), {}, head("info.3@celna.example", "Informacja", text) + QStringLiteral("Bez załączników.\r\n").toUtf8()},
  };
}

class MailTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    servers = &Servers();
    if (!servers->failure.isEmpty())
      VELMORA_MISSING_PEER("dovecot could not start (scripts/mail.sh): " + servers->failure.toStdString());
    host = std::make_unique<TestHost>(GetParam());
  }

  host::Db& db() { return host->db(); }

  // A mailbox of this test's own; the servers take any user name.
  QString Mailbox(const char* name) const {
    return QString::fromLatin1(name) + (GetParam() == TestEngine::Sqlite ? QStringLiteral("_sqlite") : QStringLiteral("_pg"));
  }

  host::MailServer Account(const QString& user, const QString& protocol = QStringLiteral("IMAP")) const {
    host::MailServer s;
    s.email = user + QStringLiteral("@localhost");
    s.name = QStringLiteral("Agencja Celna");
    s.smtp_host = QStringLiteral("127.0.0.1");
    s.smtp_port = servers->smtp;
    s.in_protocol = protocol;
    s.in_host = QStringLiteral("127.0.0.1");
    s.in_port = protocol == QLatin1String("IMAP") ? servers->imap : servers->pop3;
    s.user = user;
    s.password = servers->password;
    s.smtp_tls = s.in_tls = host::MailTls::None;  // the local servers speak plain text
    return s;
  }

  int Add(const host::MailServer& s) {
    QString error;
    const int id = host::AddMailServer(db(), s, &error);
    EXPECT_GT(id, 0) << error.toStdString();
    return id;
  }

  int Rows(const QString& table) { return db().GetCountFieldVal(table); }

  int CountOnServer(int account) {
    host::TOdbierzMail box;
    QString error;
    EXPECT_TRUE(box.InitServerConfig(db(), account, &error) && box.Connect(&error)) << error.toStdString();
    return box.get_MessageCount();
  }

  void ReadPreparedMailbox(const QString& protocol);

  MailServers* servers = nullptr;
  std::unique_ptr<TestHost> host;
};

TEST_P(MailTest, SentMailArrivesAsWrittenAndIsStoredAsSent) {
  const QString user = Mailbox("send");
  const int account = Add(Account(user));
  QTemporaryDir files;
  const QString path = files.filePath(QStringLiteral("zgłoszenie IE015.pdf"));
  const QByteArray pdf = PdfBytes(7);
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(pdf);
  }
  const QString subject = QStringLiteral("Zgłoszenie tranzytowe 24PL");
  const QString body = QStringLiteral("Zażółć gęślą jaźń.");
  QString error;
  ASSERT_TRUE(host::TEmail_Msg::Send(db(), account, user + QStringLiteral("@localhost"), subject, body,
                                     QStringLiteral("text"), path, true, &error))
      << error.toStdString();

  const auto spooled = servers->Spooled(user + QStringLiteral("@localhost"));
  ASSERT_EQ(spooled.size(), 1u);
  // Read by another program's parser, not the one that wrote it.
  const ParsedMail at_receiver = ParseWithPython(spooled[0]);
  EXPECT_TRUE(at_receiver.headers.contains(QStringLiteral("Disposition-Notification-To"))) << at_receiver.headers.join(' ').toStdString();
  EXPECT_EQ(at_receiver.subject, subject);
  EXPECT_EQ(at_receiver.text.trimmed(), body);
  EXPECT_EQ(at_receiver.content_type, QStringLiteral("text/plain"));
  EXPECT_EQ(at_receiver.from, user + QStringLiteral("@localhost"));
  EXPECT_EQ(at_receiver.to, user + QStringLiteral("@localhost"));
  ASSERT_EQ(at_receiver.attachments.size(), 1u);
  EXPECT_EQ(at_receiver.attachments[0].first, QStringLiteral("zgłoszenie IE015.pdf"));
  EXPECT_EQ(at_receiver.attachments[0].second, pdf);

  const auto rows = db().QueryAll(QStringLiteral("SELECT * FROM EMAIL_MSG"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Int(QStringLiteral("KIERUNEK")), static_cast<int>(host::MailDirection::Sent));
  EXPECT_EQ(rows[0].Int(QStringLiteral("ID_EMAIL_SRV")), account);
  EXPECT_EQ(rows[0].Str(QStringLiteral("TEMAT")), subject);
  EXPECT_EQ(rows[0].Str(QStringLiteral("ODBIORCA")), user + QStringLiteral("@localhost"));
  const auto stored = db().QueryOne(QStringLiteral("SELECT FILENAME, BODY FROM EMAIL_ATTACH WHERE ID_EMAIL_MSG = :ID"),
                                    {{QStringLiteral("ID"), rows[0].Value(QStringLiteral("ID_EMAIL_MSG"))}});
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Value(QStringLiteral("BODY")).toByteArray(), pdf);

  // The receiver hands it on to the mailbox: read back, it is the mail that was stored as sent.
  host::TOdbierzMail box;
  ASSERT_TRUE(box.InitServerConfig(db(), account, &error) && box.Connect(&error)) << error.toStdString();
  ASSERT_EQ(box.get_MessageCount(), 1);
  const MailMessage in_box = box.GetMessageAt(1);
  ASSERT_EQ(in_box.attachments.size(), 1u);
  EXPECT_EQ(in_box.attachments[0].content, pdf);
  EXPECT_EQ(host::Mail_Hash(in_box), rows[0].Str(QStringLiteral("MAIL_HASH")));
  // Sent is not received: reading it in must not skip it.
  EXPECT_FALSE(host::MailJestWBazie(db(), host::Mail_Hash(in_box)));

  // HTML goes out as HTML, with no receipt asked for unless the caller asks.
  const QString html_to = Mailbox("html") + QStringLiteral("@localhost");
  ASSERT_TRUE(host::TEmail_Msg::Send(db(), account, html_to, QStringLiteral("Raport"), QStringLiteral("<p>Stan: <b>zwolniony</b></p>"),
                                     QStringLiteral("html"), {}, false, &error))
      << error.toStdString();
  ASSERT_EQ(servers->Spooled(html_to).size(), 1u);
  const ParsedMail parsed = ParseWithPython(servers->Spooled(html_to)[0]);
  EXPECT_EQ(parsed.content_type, QStringLiteral("text/html"));
  EXPECT_EQ(parsed.text.trimmed(), QStringLiteral("<p>Stan: <b>zwolniony</b></p>"));
  EXPECT_FALSE(parsed.headers.contains(QStringLiteral("Disposition-Notification-To")));
}

void MailTest::ReadPreparedMailbox(const QString& protocol) {
  const QString user = Mailbox(protocol == QLatin1String("IMAP") ? "imap" : "pop3");
  const std::vector<Sample> samples = Samples();
  for (const Sample& s : samples) servers->Deliver(user, s.raw);
  const int account = Add(Account(user, protocol));

  host::TOdbierzMail box;
  QString error;
  ASSERT_TRUE(box.InitServerConfig(db(), account, &error)) << error.toStdString();
  ASSERT_TRUE(box.Connect(&error)) << error.toStdString();
  ASSERT_EQ(box.get_MessageCount(), 3);
  // The server chooses the order; the tests find mails by subject.
  std::map<QString, int> index_of;
  std::map<QString, MailMessage> mails;
  for (int i = 1; i <= 3; ++i) {
    MailMessage m = box.GetMessageAt(i);
    index_of[m.subject] = i;
    mails[m.subject] = std::move(m);
  }
  EXPECT_THROW(box.GetMessageAt(4), std::runtime_error);
  for (const Sample& s : samples) {
    ASSERT_TRUE(mails.count(s.subject)) << s.subject.toStdString();
    const MailMessage& m = mails[s.subject];
    EXPECT_EQ(m.from, QStringLiteral("uc@celna.example"));
    EXPECT_EQ(m.date, QDateTime(QDate(2024, 3, 5), QTime(7, 4, 9), Qt::UTC));
    ASSERT_EQ(m.attachments.size(), s.attachments.size()) << s.subject.toStdString();
    for (size_t i = 0; i < s.attachments.size(); ++i) {
      EXPECT_EQ(m.attachments[i].file_name, s.attachments[i].file_name);
      EXPECT_EQ(m.attachments[i].content, s.attachments[i].content) << s.attachments[i].file_name.toStdString();
    }
  }
  EXPECT_EQ(mails[samples[0].subject].body.trimmed(), QStringLiteral("Zwolnienie do tranzytu w załączniku."));
  EXPECT_EQ(mails[samples[2].subject].body.trimmed(), QStringLiteral("Bez załączników."));

  for (const auto& [subject, m] : mails) {
    EXPECT_FALSE(host::MailJestWBazie(db(), host::Mail_Hash(m)));
    EXPECT_GT(host::Receive_Save(db(), account, m, host::kMailNew), 0);
    EXPECT_TRUE(host::MailJestWBazie(db(), host::Mail_Hash(m)));
  }
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_MSG")), 3);
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_ATTACH")), 3);
  const auto attached = db().QueryAll(
      QStringLiteral("SELECT a.FILENAME, a.BODY FROM EMAIL_ATTACH a JOIN EMAIL_MSG m ON m.ID_EMAIL_MSG = a.ID_EMAIL_MSG "
                     "WHERE m.TEMAT = :T AND m.KIERUNEK = 0 ORDER BY a.ID_EMAIL_ATTACH"),
      {{QStringLiteral("T"), samples[0].subject}});
  ASSERT_EQ(attached.size(), 2u);
  EXPECT_EQ(attached[1].Str(QStringLiteral("FILENAME")), QStringLiteral("IE029.pdf"));
  EXPECT_EQ(attached[1].Value(QStringLiteral("BODY")).toByteArray(), samples[0].attachments[1].content);
  MailMessage another = mails[samples[0].subject];
  another.message_id += QStringLiteral(".2");
  EXPECT_FALSE(host::MailJestWBazie(db(), host::Mail_Hash(another)));

  // A mark alone deletes nothing.
  box.DeleteMessageAt(index_of[samples[1].subject]);
  box.Disconnect();
  ASSERT_TRUE(box.Connect(&error)) << error.toStdString();
  ASSERT_EQ(box.get_MessageCount(), 3);

  box.DeleteMessageAt(index_of[samples[1].subject]);
  box.DeleteMessageAt(index_of[samples[2].subject]);
  EXPECT_EQ(box.get_MessageCount(), 3);
  box.Update();
  ASSERT_EQ(box.get_MessageCount(), 1);
  EXPECT_EQ(box.GetMessageAt(1).subject, samples[0].subject);
  EXPECT_EQ(CountOnServer(account), 1);
}

TEST_P(MailTest, ImapMailboxIsReadStoredAndCleared) { ReadPreparedMailbox(QStringLiteral("IMAP")); }

TEST_P(MailTest, Pop3MailboxIsReadStoredAndCleared) { ReadPreparedMailbox(QStringLiteral("POP3")); }

// Over TLS, negotiated (STARTTLS) or from the first byte: a mail sent through the SMTP server
// and read from the mailbox over IMAP and POP3, the server's certificate checked each time.
TEST_P(MailTest, MailGoesOverStartTlsAndImplicitTls) {
  const QString user = Mailbox("tls");
  const Sample sample = Samples()[0];
  servers->Deliver(user, sample.raw);
  struct Case {
    const char* protocol;
    host::MailTls tls;
    int port;
    int smtp_port;
  };
  const Case cases[] = {
      {"IMAP", host::MailTls::StartTls, servers->tls_imap, servers->tls_smtp},
      {"IMAP", host::MailTls::Implicit, servers->imaps, servers->smtps},
      {"POP3", host::MailTls::StartTls, servers->tls_pop3, servers->tls_smtp},
      {"POP3", host::MailTls::Implicit, servers->pop3s, servers->smtps},
  };
  const QString to = Mailbox("uc_tls") + QStringLiteral("@localhost");
  for (const Case& c : cases) {
    host::MailServer s = Account(user, QString::fromLatin1(c.protocol));
    s.smtp_host = s.in_host = QStringLiteral("localhost");  // the name the certificate carries
    s.smtp_tls = s.in_tls = c.tls;
    s.smtp_port = c.smtp_port;
    s.in_port = c.port;
    const int account = Add(s);
    host::TOdbierzMail box;
    QString error;
    ASSERT_TRUE(box.InitServerConfig(db(), account, &error) && box.Connect(&error)) << c.protocol << " " << error.toStdString();
    ASSERT_EQ(box.get_MessageCount(), 1) << c.protocol << " " << c.port;
    const MailMessage m = box.GetMessageAt(1);
    EXPECT_EQ(m.subject, sample.subject) << c.protocol << " " << c.port;
    ASSERT_EQ(m.attachments.size(), sample.attachments.size());
    EXPECT_EQ(m.attachments[1].content, sample.attachments[1].content);

    const QString subject = QStringLiteral("%1 %2").arg(QString::fromLatin1(c.protocol)).arg(c.smtp_port);
    ASSERT_TRUE(host::TEmail_Msg::Send(db(), account, to, subject, QStringLiteral("Treść"), QStringLiteral("text"), {}, false, &error))
        << c.smtp_port << " " << error.toStdString();
    const auto spooled = servers->Spooled(to);
    ASSERT_FALSE(spooled.empty());
    EXPECT_EQ(ParseWithPython(spooled.back()).subject, subject);
  }
  EXPECT_EQ(servers->Spooled(to).size(), 4u);
}

TEST_P(MailTest, ReceiveMailStoresEachMailOnceAndDeletesOnlyWhenTheAccountSaysSo) {
  const QString user = Mailbox("receive");
  const std::vector<Sample> samples = Samples();
  servers->Deliver(user, samples[0].raw);
  servers->Deliver(user, samples[2].raw);
  const int account = Add(Account(user, QStringLiteral("POP3")));
  QString error;
  EXPECT_EQ(host::ReceiveMail(db(), account, &error), 2) << error.toStdString();
  EXPECT_EQ(host::ReceiveMail(db(), account, &error), 0) << error.toStdString();
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_MSG")), 2);
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_ATTACH")), 2);
  EXPECT_EQ(CountOnServer(account), 2);

  db().Exec(QStringLiteral("UPDATE EMAIL_SRV SET DEL_SRC = 1 WHERE ID_EMAIL_SRV = :ID"), {{QStringLiteral("ID"), account}});
  EXPECT_EQ(host::ReceiveMail(db(), account, &error), 0) << error.toStdString();
  EXPECT_EQ(CountOnServer(account), 0);
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_MSG")), 2);
}

TEST_P(MailTest, RefusedConnectionAndWrongPasswordAreToldAndStoreNothing) {
  const QString user = Mailbox("fail");
  servers->Deliver(user, Samples()[2].raw);
  const int closed = ClosedPort();
  const auto wrong_password = [](host::MailServer& s) { s.password = QStringLiteral("zle-haslo"); };
  // STARTTLS asked for and not offered: the password must not go out in the clear.
  const auto starttls = [](host::MailServer& s) { s.in_tls = s.smtp_tls = host::MailTls::StartTls; };
  const QString login = QStringLiteral("Serwer %1 127.0.0.1:%2 odrzucił logowanie użytkownika „%3”: błędna nazwa użytkownika lub hasło.");
  const QString smtp_login = QStringLiteral("Serwer SMTP 127.0.0.1:%1 odrzucił logowanie").arg(servers->smtp);
  const QString no_tls = QStringLiteral("Serwer %1 127.0.0.1:%2 nie obsługuje szyfrowania STARTTLS");
  struct Case {
    QString protocol;
    std::function<void(host::MailServer&)> change;
    QString in_error;  // the whole text, or its start when `prefix`
    bool prefix;
    QString smtp_error;  // its start
  };
  const Case cases[] = {
      {QStringLiteral("IMAP"), wrong_password, login.arg(QStringLiteral("IMAP")).arg(servers->imap).arg(user), false, smtp_login},
      {QStringLiteral("POP3"), wrong_password, login.arg(QStringLiteral("POP3")).arg(servers->pop3).arg(user), false, smtp_login},
      {QStringLiteral("IMAP"), starttls, no_tls.arg(QStringLiteral("IMAP")).arg(servers->imap), true, no_tls.arg(QStringLiteral("SMTP")).arg(servers->smtp)},
      {QStringLiteral("POP3"), starttls, no_tls.arg(QStringLiteral("POP3")).arg(servers->pop3), true, no_tls.arg(QStringLiteral("SMTP")).arg(servers->smtp)},
      {QStringLiteral("IMAP"), [closed](host::MailServer& s) { s.smtp_port = s.in_port = closed; },
       QStringLiteral("Nie można połączyć się z serwerem IMAP 127.0.0.1:%1. Sprawdź adres i port serwera oraz połączenie z siecią.").arg(closed),
       false, QStringLiteral("Nie można połączyć się z serwerem SMTP 127.0.0.1:%1").arg(closed)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in_error.toStdString());
    host::MailServer s = Account(user, c.protocol);
    c.change(s);
    const int account = Add(s);
    host::TOdbierzMail box;
    QString error;
    ASSERT_TRUE(box.InitServerConfig(db(), account, &error)) << error.toStdString();
    EXPECT_FALSE(box.Connect(&error));
    EXPECT_TRUE(c.prefix ? error.startsWith(c.in_error) : error == c.in_error) << error.toStdString();
    EXPECT_THROW(box.get_MessageCount(), std::runtime_error);
    const QString connect_error = error;
    EXPECT_EQ(host::ReceiveMail(db(), account, &error), -1);
    EXPECT_EQ(error, connect_error);
    EXPECT_FALSE(host::TEmail_Msg::Send(db(), account, QStringLiteral("uc@localhost"), QStringLiteral("x"), QStringLiteral("x"),
                                        QStringLiteral("text"), {}, false, &error));
    EXPECT_TRUE(error.startsWith(c.smtp_error)) << error.toStdString();
  }
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_MSG")), 0);
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_ATTACH")), 0);
  EXPECT_TRUE(servers->Spooled(QStringLiteral("uc@localhost")).empty());
}

TEST_P(MailTest, BadInputIsRefusedBeforeAnythingIsSentOrStored) {
  const QString user = Mailbox("bad");
  const int account = Add(Account(user));
  const QString to = user + QStringLiteral("@localhost");
  struct Case {
    int account;
    QString to, format, attachment, error;
  };
  const Case cases[] = {
      {account, QStringLiteral(" ; "), QStringLiteral("text"), {}, QStringLiteral("Podaj adres odbiorcy wiadomości.")},
      {account, to + QStringLiteral("; agencja.localhost"), QStringLiteral("text"), {},
       QStringLiteral("Nieprawidłowy adres odbiorcy: „agencja.localhost”.")},
      {account, to, QStringLiteral("rtf"), {},
       QStringLiteral("Nieznany format treści wiadomości „rtf” (dozwolone: html, text).")},
      {account, to, QStringLiteral("text"), QStringLiteral("/nonexistent/IE015.pdf"),
       QStringLiteral("Nie znaleziono pliku załącznika „/nonexistent/IE015.pdf”.")},
      {9999, to, QStringLiteral("text"), {}, QStringLiteral("Nie znaleziono konta pocztowego o identyfikatorze 9999.")},
  };
  for (const Case& c : cases) {
    QString error;
    EXPECT_FALSE(host::TEmail_Msg::Send(db(), c.account, c.to, QStringLiteral("Temat"), QStringLiteral("Treść"),
                                        c.format, c.attachment, false, &error));
    EXPECT_EQ(error, c.error);
  }
  EXPECT_TRUE(servers->Spooled(to).empty());
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_MSG")), 0);

  // A mail whose attachment cannot be written leaves no half behind.
  db().Exec(QStringLiteral("DROP TABLE EMAIL_ATTACH"));
  MailMessage half;
  half.from = QStringLiteral("uc@celna.example");
  half.subject = QStringLiteral("IE029");
  half.message_id = QStringLiteral("ie029.9@celna.example");
  half.attachments = {{QStringLiteral("IE029.xml"), QByteArray("<IE029/>")}};
  EXPECT_THROW(host::Receive_Save(db(), account, half, host::kMailNew), host::DbError);
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_MSG")), 0);
  EXPECT_FALSE(host::MailJestWBazie(db(), host::Mail_Hash(half)));

  host::MailServer smtp_in = Account(user);
  smtp_in.in_protocol = QStringLiteral("SMTP");
  QString error;
  EXPECT_EQ(host::AddMailServer(db(), smtp_in, &error), 0);
  EXPECT_EQ(error, QStringLiteral("Nieznany protokół odbioru poczty „SMTP” (dozwolone: IMAP, POP3)."));
  EXPECT_EQ(Rows(QStringLiteral("EMAIL_SRV")), 1);

  host::MailServer send_only = Account(user);
  send_only.in_host.clear();
  host::TOdbierzMail box;
  EXPECT_FALSE(box.InitServerConfig(db(), Add(send_only), &error));
  EXPECT_EQ(error, QStringLiteral("Konto pocztowe „%1” nie ma podanego serwera poczty przychodzącej.").arg(to));
  EXPECT_FALSE(box.Connect(&error));
  EXPECT_EQ(error, QStringLiteral("Nie wybrano konta pocztowego."));
}

VELMORA_ON_BOTH_ENGINES(MailTest);

TEST(MailProgram, CommandCarriesSubjectRecipientsAndAttachment) {
  TestHost h(TestEngine::Sqlite);
  const host::MailSender biuro{QStringLiteral("Biuro Agencji"), QStringLiteral("biuro@agencja.example")};
  EXPECT_EQ(host::MailProgramCommand(*h.options, biuro, QStringLiteral("uc@celna.example; biuro@agencja.example"),
                                     QStringLiteral("IE015 – zgłoszenie"), {}, QStringLiteral("/tmp/x/IE015.xml")),
            QStringList({QStringLiteral("xdg-email"), QStringLiteral("--utf8"), QStringLiteral("--subject"),
                         QStringLiteral("IE015 – zgłoszenie"), QStringLiteral("--attach"),
                         QStringLiteral("/tmp/x/IE015.xml"), QStringLiteral("uc@celna.example"),
                         QStringLiteral("biuro@agencja.example")}));

  // A program that can be told the sender names it in its command.
  h.options->WriteOption(QStringLiteral("EMAIL"), QStringLiteral("PROGRAM"),
                         QStringLiteral("\"/opt/moja poczta/bin/poczta\" --nowa --od \"%NADAWCA% <%ADRES_NADAWCY%>\""));
  const QStringList custom =
      host::MailProgramCommand(*h.options, biuro, QStringLiteral("uc@celna.example"), {}, QStringLiteral("Treść"), {});
  EXPECT_EQ(custom, QStringList({QStringLiteral("/opt/moja poczta/bin/poczta"), QStringLiteral("--nowa"), QStringLiteral("--od"),
                                 QStringLiteral("Biuro Agencji <biuro@agencja.example>"), QStringLiteral("--utf8"),
                                 QStringLiteral("--body"), QStringLiteral("Treść"), QStringLiteral("uc@celna.example")}));

  const struct {
    const char* text;
    const char* name;
    const char* address;
  } senders[] = {{"Biuro Agencji <biuro@agencja.example>", "Biuro Agencji", "biuro@agencja.example"},
                 {"\"Kowalski, Jan\" <jan@agencja.example>", "Kowalski, Jan", "jan@agencja.example"},
                 {" biuro@agencja.example ", "", "biuro@agencja.example"},
                 {"", "", ""}};
  for (const auto& c : senders) {
    EXPECT_EQ(host::ExtractEmail_Name(QString::fromUtf8(c.text)), QString::fromUtf8(c.name)) << c.text;
    EXPECT_EQ(host::ExtractEmail_Adress(QString::fromUtf8(c.text)), QString::fromUtf8(c.address)) << c.text;
  }

  // Neither call gets as far as a mail program.
  EXPECT_EQ(host::OpenInMailProgram(*h.options, biuro, QStringLiteral("uc@celna.example"), QStringLiteral("x"), {},
                                    QStringLiteral("/nonexistent/IE015.xml")),
            QStringLiteral("Nie znaleziono pliku załącznika „/nonexistent/IE015.xml”."));
  h.options->WriteOption(QStringLiteral("EMAIL"), QStringLiteral("PROGRAM"), QStringLiteral("/nonexistent/poczta"));
  EXPECT_EQ(host::OpenInMailProgram(*h.options, biuro, QStringLiteral("uc@celna.example"), QStringLiteral("x"), {}, {}),
            QStringLiteral("Nie można uruchomić programu pocztowego „/nonexistent/poczta”. Sprawdź opcję EMAIL/PROGRAM."));
}

}  // namespace

}  // namespace velmora::testing
