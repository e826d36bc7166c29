#include "host/mail/email_client.h"

#include "host/mail/email_routines.h"
#include "host/db/options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>

#include <vmime/platforms/posix/posixHandler.hpp>
#include <vmime/vmime.hpp>

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>

namespace velmora::host {

namespace {

// How long one network operation may stall before the server counts as gone.
constexpr int kTimeoutSeconds = 30;

void EnsurePlatform() {
  static std::once_flag once;
  std::call_once(once, [] { vmime::platform::setHandler<vmime::platforms::posix::posixHandler>(); });
}

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string Std(const QString& s) { return s.toStdString(); }

class Timeout : public vmime::net::timeoutHandler {
 public:
  Timeout() { resetTimeOut(); }
  bool isTimeOut() override { return std::chrono::steady_clock::now() >= deadline_; }
  void resetTimeOut() override { deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds); }
  bool handleTimeOut() override { return false; }  // give up: vmime throws operation_timed_out

 private:
  std::chrono::steady_clock::time_point deadline_;
};

class TimeoutFactory : public vmime::net::timeoutHandlerFactory {
 public:
  vmime::shared_ptr<vmime::net::timeoutHandler> create() override { return vmime::make_shared<Timeout>(); }
};

// Servers are checked against the system's certificate authorities, and those of the file
// SSL_CERT_FILE names as for OpenSSL's own tools (an agency's own authority), read once and
// only when a server first shows a certificate.
class SystemCertificateVerifier : public vmime::security::cert::certificateVerifier {
 public:
  void verify(vmime::shared_ptr<vmime::security::cert::certificateChain> chain, const std::string& hostname) override {
    Verifier()->verify(chain, hostname);
  }

 private:
  static vmime::shared_ptr<vmime::security::cert::defaultCertificateVerifier> Verifier() {
    static const auto verifier = [] {
      auto v = vmime::make_shared<vmime::security::cert::defaultCertificateVerifier>();
      std::vector<vmime::shared_ptr<vmime::security::cert::X509Certificate>> roots;
      const QDir dir(QStringLiteral("/etc/ssl/certs"));
      QStringList files;
      for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("*.pem")}, QDir::Files)) files << fi.absoluteFilePath();
      if (const QString own = qEnvironmentVariable("SSL_CERT_FILE"); !own.isEmpty()) files << own;
      for (const QString& file : files) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray pem = f.readAll();
        try {
          if (auto cert = vmime::security::cert::X509Certificate::import(
                  reinterpret_cast<const vmime::byte_t*>(pem.constData()), static_cast<size_t>(pem.size())))
            roots.push_back(cert);
        } catch (const vmime::exception&) {
        }
      }
      v->setX509RootCAs(roots);
      return v;
    }();
    return verifier;
  }
};

void Configure(vmime::net::service& service, MailTls tls, const QString& user, const QString& password) {
  service.setTimeoutHandlerFactory(vmime::make_shared<TimeoutFactory>());
  if (tls != MailTls::None) service.setCertificateVerifier(vmime::make_shared<SystemCertificateVerifier>());
  if (tls == MailTls::StartTls) {
    service.setProperty("connection.tls", true);
    service.setProperty("connection.tls.required", true);
  }
  if (!user.isEmpty()) {
    service.setProperty("auth.username", Std(user));
    service.setProperty("auth.password", Std(password));
  }
}

// A port of 0 in the account means the protocol's usual one.
vmime::port_t PortOf(const std::string& scheme, int port) {
  if (port > 0) return static_cast<vmime::port_t>(port);
  static const std::map<std::string, vmime::port_t> usual = {{"smtp", 25},  {"smtps", 465}, {"imap", 143},
                                                             {"imaps", 993}, {"pop3", 110}, {"pop3s", 995}};
  return usual.at(scheme);
}

// What went wrong talking to a server, told to the user.
QString Describe(const std::exception& e, const QString& protocol, const QString& host, int port, const QString& user) {
  const QString where = port > 0 ? QStringLiteral("%1 %2:%3").arg(protocol, host).arg(port)
                                 : QStringLiteral("%1 %2").arg(protocol, host);
  // vmime chains the system's own reason (e.g. "Connection refused") behind its message.
  QString detail = QString::fromUtf8(e.what()).trimmed();
  if (const auto* v = dynamic_cast<const vmime::exception*>(&e))
    for (const vmime::exception* next = v->other(); next; next = next->other())
      detail += QStringLiteral(": ") + QString::fromUtf8(next->what()).trimmed();
  if (dynamic_cast<const vmime::exceptions::authentication_error*>(&e) ||
      dynamic_cast<const vmime::exceptions::authentication_exception*>(&e))
    return QStringLiteral("Serwer %1 odrzucił logowanie użytkownika „%2”: błędna nazwa użytkownika lub hasło.")
        .arg(where, user);
  if (dynamic_cast<const vmime::exceptions::operation_timed_out*>(&e))
    return QStringLiteral("Serwer %1 nie odpowiada (przekroczono czas oczekiwania).").arg(where);
  if (dynamic_cast<const vmime::exceptions::connection_error*>(&e) ||
      dynamic_cast<const vmime::exceptions::socket_exception*>(&e)) {
    if (detail.contains(QLatin1String("getaddrinfo")))
      return QStringLiteral("Nie można połączyć się z serwerem %1: nie znaleziono komputera o nazwie „%2”.")
          .arg(where, host);
    // vmime's own reason is unreliable here (a refused connection comes back as a timeout).
    return QStringLiteral("Nie można połączyć się z serwerem %1. Sprawdź adres i port serwera oraz połączenie z siecią.")
        .arg(where);
  }
  if (dynamic_cast<const vmime::exceptions::connection_greeting_error*>(&e))
    return QStringLiteral("Serwer %1 nie przyjął połączenia (%2).").arg(where, detail);
  if (dynamic_cast<const vmime::exceptions::tls_exception*>(&e) ||
      dynamic_cast<const vmime::security::cert::certificateException*>(&e))
    return QStringLiteral("Nie udało się nawiązać szyfrowanego połączenia z serwerem %1 (%2).").arg(where, detail);
  if (const auto* c = dynamic_cast<const vmime::exceptions::command_error*>(&e)) {
    const QString response = Utf8(c->response()).trimmed();
    if (c->command() == "STARTTLS" || c->command() == "STLS")
      return QStringLiteral("Serwer %1 nie obsługuje szyfrowania STARTTLS wybranego w koncie (%2).").arg(where, response);
    if (c->command() == "RCPT")
      return QStringLiteral("Serwer %1 odrzucił adres odbiorcy: %2").arg(where, response);
    return QStringLiteral("Serwer %1 odrzucił polecenie %2: %3").arg(where, Utf8(c->command()), response);
  }
  return QStringLiteral("Błąd komunikacji z serwerem %1: %2").arg(where, detail);
}

QString ContentText(const vmime::contentHandler& content, const vmime::charset& cs) {
  std::string bytes;
  vmime::utility::outputStreamStringAdapter os(bytes);
  content.extract(os);
  os.flush();
  // A part that names no charset gets US-ASCII, yet often carries UTF-8: read it as UTF-8.
  if (cs == vmime::charset(vmime::charsets::US_ASCII) || cs == vmime::charset(vmime::charsets::UTF_8)) return Utf8(bytes);
  std::string text;
  try {
    vmime::charset::convert(bytes, text, cs, vmime::charset(vmime::charsets::UTF_8));
  } catch (const vmime::exception&) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  return Utf8(text);
}

QString MailboxAddress(const vmime::mailbox& mb) { return Utf8(mb.getEmail().toString()); }

QDateTime ToQt(const vmime::datetime& d) {
  const QDate date(d.getYear(), d.getMonth(), d.getDay());
  const QTime time(d.getHour(), d.getMinute(), d.getSecond());
  if (!date.isValid() || !time.isValid()) return {};
  return QDateTime(date, time, Qt::OffsetFromUTC, d.getZone() * 60);
}

vmime::datetime ToVmime(const QDateTime& local) {
  const int zone = local.offsetFromUtc() / 60;
  return vmime::datetime(local.date().year(), local.date().month(), local.date().day(), local.time().hour(),
                         local.time().minute(), local.time().second(), zone);
}

QStringList SplitAddresses(const QString& text) {
  static const QRegularExpression separators(QStringLiteral("[,;]"));
  QStringList out;
  for (const QString& part : text.split(separators, Qt::SkipEmptyParts))
    if (!part.trimmed().isEmpty()) out << part.trimmed();
  return out;
}

bool LooksLikeAddress(const QString& address) {
  static const QRegularExpression re(QStringLiteral(R"(^[^@\s<>,;"]+@[^@\s<>,;"]+$)"));
  return re.match(address).hasMatch();
}

[[noreturn]] void Throw(const QString& text) { throw std::runtime_error(text.toStdString()); }

}  // namespace

MailMessage ParseMail(const QByteArray& raw) {
  if (raw.trimmed().isEmpty()) Throw(QStringLiteral("Wiadomość jest pusta."));
  EnsurePlatform();
  auto msg = vmime::make_shared<vmime::message>();
  msg->parse(std::string(raw.constData(), static_cast<size_t>(raw.size())));
  MailMessage m;
  m.raw = raw;
  const auto header = msg->getHeader();
  const vmime::charset utf8(vmime::charsets::UTF_8);
  if (auto from = header->findFieldValue<vmime::mailbox>(vmime::fields::FROM)) m.from = MailboxAddress(*from);
  if (auto to = header->findFieldValue<vmime::addressList>(vmime::fields::TO)) {
    QStringList addresses;
    const auto boxes = to->toMailboxList();
    for (size_t i = 0; i < boxes->getMailboxCount(); ++i) addresses << MailboxAddress(*boxes->getMailboxAt(i));
    m.to = addresses.join(QStringLiteral(", "));
  }
  if (auto subject = header->findFieldValue<vmime::text>(vmime::fields::SUBJECT))
    m.subject = Utf8(subject->getConvertedText(utf8));
  if (auto date = header->findFieldValue<vmime::datetime>(vmime::fields::DATE)) m.date = ToQt(*date);
  if (auto id = header->findFieldValue<vmime::messageId>(vmime::fields::MESSAGE_ID)) m.message_id = Utf8(id->getId());

  const vmime::messageParser parser(msg);
  QString html;
  for (const auto& part : parser.getTextPartList()) {
    if (part->getType().getSubType() == vmime::mediaTypes::TEXT_HTML) {
      const auto html_part = vmime::dynamicCast<const vmime::htmlTextPart>(part);
      if (html.isEmpty() && html_part) {
        const QString plain = ContentText(*html_part->getPlainText(), part->getCharset());
        if (m.body.isEmpty() && !plain.trimmed().isEmpty()) m.body = plain;
        html = ContentText(*part->getText(), part->getCharset());
      }
    } else if (m.body.isEmpty()) {
      m.body = ContentText(*part->getText(), part->getCharset());
    }
  }
  if (m.body.isEmpty()) m.body = html;
  int unnamed = 0;
  for (const auto& att : parser.getAttachmentList()) {
    MailAttachment a;
    a.file_name = Utf8(att->getName().getConvertedText(utf8));
    if (a.file_name.isEmpty()) a.file_name = QStringLiteral("zalacznik%1").arg(++unnamed);
    std::string bytes;
    vmime::utility::outputStreamStringAdapter os(bytes);
    att->getData()->extract(os);
    os.flush();
    a.content = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    m.attachments.push_back(std::move(a));
  }
  return m;
}

bool TEmail_Msg::Send(Db& db, int id_email_srv, const QString& to, const QString& subject, const QString& body,
                      const QString& format, const QString& attachment_path, bool confirm_reading, QString* error) {
  auto fail = [error](const QString& text) {
    if (error) *error = text;
    return false;
  };
  QString problem;
  const auto server = LoadMailServer(db, id_email_srv, &problem);
  if (!server) return fail(problem);
  if (server->smtp_host.isEmpty())
    return fail(QStringLiteral("Konto pocztowe „%1” nie ma podanego serwera SMTP.").arg(server->email));
  const QStringList recipients = SplitAddresses(to);
  if (recipients.isEmpty()) return fail(QStringLiteral("Podaj adres odbiorcy wiadomości."));
  for (const QString& r : recipients)
    if (!LooksLikeAddress(r)) return fail(QStringLiteral("Nieprawidłowy adres odbiorcy: „%1”.").arg(r));
  const QString kind = format.trimmed().toLower();
  if (!kind.isEmpty() && kind != QLatin1String("html") && kind != QLatin1String("text"))
    return fail(QStringLiteral("Nieznany format treści wiadomości „%1” (dozwolone: html, text).").arg(format));

  MailMessage sent;
  if (!attachment_path.isEmpty()) {
    QFile file(attachment_path);
    if (!QFileInfo(attachment_path).isFile())
      return fail(QStringLiteral("Nie znaleziono pliku załącznika „%1”.").arg(attachment_path));
    if (!file.open(QIODevice::ReadOnly))
      return fail(QStringLiteral("Nie można odczytać pliku załącznika „%1”: %2.").arg(attachment_path, file.errorString()));
    sent.attachments.push_back({QFileInfo(attachment_path).fileName(), file.readAll()});
  }

  EnsurePlatform();
  const vmime::charset utf8(vmime::charsets::UTF_8);
  // Whole seconds, so that the stored date is the one the header carries.
  const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
  std::string raw;
  vmime::shared_ptr<vmime::message> msg;
  try {
    vmime::messageBuilder mb;
    mb.setExpeditor(vmime::mailbox(vmime::text(Std(server->name), utf8), vmime::emailAddress(Std(server->email))));
    for (const QString& r : recipients) mb.getRecipients().appendAddress(vmime::make_shared<vmime::mailbox>(Std(r)));
    mb.setSubject(vmime::text(Std(subject), utf8));
    if (kind == QLatin1String("html")) mb.constructTextPart(vmime::mediaType(vmime::mediaTypes::TEXT, vmime::mediaTypes::TEXT_HTML));
    mb.getTextPart()->setCharset(utf8);
    mb.getTextPart()->setText(vmime::make_shared<vmime::stringContentHandler>(Std(body)));
    for (const MailAttachment& a : sent.attachments) {
      const QString mime = QMimeDatabase().mimeTypeForFile(a.file_name, QMimeDatabase::MatchExtension).name();
      auto content = vmime::make_shared<vmime::stringContentHandler>(std::string(a.content.constData(), a.content.size()));
      mb.appendAttachment(vmime::make_shared<vmime::fileAttachment>(
          content, vmime::word(Std(a.file_name), utf8), vmime::mediaType(Std(mime)), vmime::text(),
          vmime::encoding(vmime::encodingTypes::BASE64)));
    }
    msg = mb.construct();
    const auto header = msg->getHeader();
    header->Date()->setValue(ToVmime(now));
    const vmime::messageId id = vmime::messageId::generateId();
    header->MessageId()->setValue(id);
    if (confirm_reading) {
      vmime::mailboxList notify;
      notify.appendMailbox(vmime::make_shared<vmime::mailbox>(Std(server->email)));
      header->DispositionNotificationTo()->setValue(notify);
    }
    raw = msg->generate();
    sent.message_id = Utf8(id.getId());
  } catch (const std::exception& e) {
    return fail(QStringLiteral("Nie udało się utworzyć wiadomości: %1").arg(QString::fromUtf8(e.what())));
  }

  const int port = server->smtp_port;
  try {
    auto session = vmime::net::session::create();
    const std::string scheme = server->smtp_tls == MailTls::Implicit ? "smtps" : "smtp";
    const vmime::utility::url url(scheme, Std(server->smtp_host), PortOf(scheme, port));
    auto transport = session->getTransport(url);
    Configure(*transport, server->smtp_tls, server->user, server->password);
    transport->setProperty("options.need-authentication", !server->user.isEmpty());
    transport->connect();
    try {
      transport->send(msg);
    } catch (...) {
      try {
        transport->disconnect();
      } catch (...) {
      }
      throw;
    }
    transport->disconnect();
  } catch (const std::exception& e) {
    return fail(Describe(e, QStringLiteral("SMTP"), server->smtp_host, port, server->user));
  }

  sent.from = server->email;
  sent.to = recipients.join(QStringLiteral(", "));
  sent.subject = subject;
  sent.body = body;
  sent.date = now;
  sent.raw = QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
  try {
    Sent_Save(db, id_email_srv, sent);
  } catch (const DbError& e) {
    return fail(QStringLiteral("Wiadomość została wysłana, ale nie udało się zapisać jej w bazie: %1").arg(e.Message()));
  }
  return true;
}

std::vector<MailServerEntry> TEmail_Msg::List_MailSrv(Db& db) { return ListMailServers(db); }

struct TOdbierzMail::Impl {
  MailServer server;
  bool configured = false;
  vmime::shared_ptr<vmime::net::session> session;
  vmime::shared_ptr<vmime::net::store> store;
  vmime::shared_ptr<vmime::net::folder> folder;
  std::set<size_t> marked;
  int count = 0;

  QString Protocol() const { return server.in_protocol; }
  bool Imap() const { return server.in_protocol == QLatin1String("IMAP"); }

  [[noreturn]] void Fail(const std::exception& e) const {
    Throw(Describe(e, Protocol(), server.in_host, server.in_port, server.user));
  }

  void Open() {
    session = vmime::net::session::create();
    QString scheme = Imap() ? QStringLiteral("imap") : QStringLiteral("pop3");
    if (server.in_tls == MailTls::Implicit) scheme += QLatin1Char('s');
    store = session->getStore(vmime::utility::url(Std(scheme), Std(server.in_host), PortOf(Std(scheme), server.in_port)));
    Configure(*store, server.in_tls, server.user, server.password);
    store->connect();
    if (Imap()) {
      folder = store->getFolder(vmime::net::folder::path::fromString(Std(server.folder), "/",
                                                                      vmime::charset(vmime::charsets::UTF_8)));
      if (!folder->exists())
        Throw(QStringLiteral("Na serwerze %1 nie ma folderu „%2”.").arg(server.in_host, server.folder));
    } else {
      folder = store->getDefaultFolder();
    }
    folder->open(vmime::net::folder::MODE_READ_WRITE);
    count = static_cast<int>(folder->getMessageCount());
    marked.clear();
  }

  void Close(bool expunge) {
    if (folder) {
      try {
        if (folder->isOpen()) folder->close(expunge);
      } catch (...) {
        folder.reset();
        if (expunge) throw;
      }
    }
    folder.reset();
    if (store) {
      const auto s = std::move(store);
      store.reset();
      // POP3 deletes at QUIT, which disconnect sends.
      if (s->isConnected()) s->disconnect();
    }
    session.reset();
    count = 0;
  }

  void CloseQuietly() {
    try {
      Close(false);
    } catch (...) {
    }
  }

  void RequireOpen() const {
    if (!folder || !folder->isOpen()) Throw(QStringLiteral("Brak połączenia z serwerem poczty %1.").arg(server.in_host));
  }

  void CheckIndex(int index) const {
    RequireOpen();
    if (index < 1 || index > count)
      Throw(QStringLiteral("W skrzynce nie ma wiadomości nr %1 (wiadomości: %2).").arg(index).arg(count));
  }
};

TOdbierzMail::TOdbierzMail() : impl_(std::make_unique<Impl>()) {}

TOdbierzMail::~TOdbierzMail() { impl_->CloseQuietly(); }

const MailServer& TOdbierzMail::Server() const { return impl_->server; }

bool TOdbierzMail::InitServerConfig(Db& db, int id_email_srv, QString* error) {
  impl_->CloseQuietly();
  impl_->configured = false;
  QString problem;
  auto server = LoadMailServer(db, id_email_srv, &problem);
  if (server && server->in_host.isEmpty())
    problem = QStringLiteral("Konto pocztowe „%1” nie ma podanego serwera poczty przychodzącej.").arg(server->email);
  if (!server || !problem.isEmpty()) {
    if (error) *error = problem;
    return false;
  }
  impl_->server = *server;
  impl_->configured = true;
  return true;
}

bool TOdbierzMail::Connect(QString* error) {
  if (!impl_->configured) {
    if (error) *error = QStringLiteral("Nie wybrano konta pocztowego.");
    return false;
  }
  impl_->CloseQuietly();
  EnsurePlatform();
  try {
    impl_->Open();
    return true;
  } catch (const vmime::exception& e) {
    impl_->CloseQuietly();
    if (error) *error = Describe(e, impl_->Protocol(), impl_->server.in_host, impl_->server.in_port, impl_->server.user);
  } catch (const std::exception& e) {
    impl_->CloseQuietly();
    if (error) *error = QString::fromUtf8(e.what());
  }
  return false;
}

int TOdbierzMail::get_MessageCount() {
  impl_->RequireOpen();
  return impl_->count;
}

MailMessage TOdbierzMail::GetMessageAt(int index) {
  impl_->CheckIndex(index);
  std::string raw;
  try {
    auto message = impl_->folder->getMessage(static_cast<size_t>(index));
    vmime::utility::outputStreamStringAdapter os(raw);
    // Peek: reading must not mark the mail as seen for the user's own mail program.
    message->extract(os, nullptr, 0, static_cast<size_t>(-1), true);
    os.flush();
  } catch (const vmime::exception& e) {
    impl_->Fail(e);
  }
  if (raw.empty())
    Throw(QStringLiteral("Serwer %1 zwrócił pustą wiadomość nr %2.").arg(impl_->server.in_host).arg(index));
  return ParseMail(QByteArray(raw.data(), static_cast<qsizetype>(raw.size())));
}

void TOdbierzMail::DeleteMessageAt(int index) {
  impl_->CheckIndex(index);
  impl_->marked.insert(static_cast<size_t>(index));
}

void TOdbierzMail::Update() {
  impl_->RequireOpen();
  if (impl_->marked.empty()) return;
  try {
    const std::vector<size_t> numbers(impl_->marked.begin(), impl_->marked.end());
    impl_->folder->deleteMessages(vmime::net::messageSet::byNumber(numbers));
    impl_->Close(true);
    impl_->Open();
  } catch (const vmime::exception& e) {
    impl_->CloseQuietly();
    impl_->Fail(e);
  }
}

void TOdbierzMail::Disconnect() { impl_->CloseQuietly(); }

bool ZapiszIPrzekaz(Db& db, int id_email_srv, const MailMessage& m) {
  const qint64 id = Receive_Save(db, id_email_srv, m, kMailNew);
  ReceivedMail rm;
  rm.id = id;
  rm.from = m.from;
  rm.subject = m.subject;
  rm.body = m.body;
  for (const MailAttachment& a : m.attachments) rm.attachments.push_back({a.file_name, a.content});
  if (ProcessReceivedMail(rm) == 0) return false;
  db.Exec(QStringLiteral("UPDATE EMAIL_MSG SET STAN = :STAN WHERE ID_EMAIL_MSG = :ID"),
          {{QStringLiteral("STAN"), kMailProcessed}, {QStringLiteral("ID"), id}});
  return true;
}

int ReceiveMail(Db& db, int id_email_srv, QString* error) {
  TOdbierzMail mailbox;
  if (!mailbox.InitServerConfig(db, id_email_srv, error) || !mailbox.Connect(error)) return -1;
  int stored = 0;
  try {
    const int count = mailbox.get_MessageCount();
    for (int i = 1; i <= count; ++i) {
      const MailMessage m = mailbox.GetMessageAt(i);
      if (!MailJestWBazie(db, Mail_Hash(m))) {
        ZapiszIPrzekaz(db, id_email_srv, m);
        ++stored;
      }
      // Only a mail that is in the database leaves the server.
      if (mailbox.Server().delete_source) mailbox.DeleteMessageAt(i);
    }
    mailbox.Update();
  } catch (const DbError& e) {
    if (error) *error = QStringLiteral("Nie udało się zapisać poczty w bazie: %1").arg(e.Message());
    return -1;
  } catch (const std::exception& e) {
    if (error) *error = QString::fromUtf8(e.what());
    return -1;
  }
  return stored;
}

// "Biuro <biuro@agencja.pl>", "\"Biuro\" <biuro@agencja.pl>" or a bare address.
QString ExtractEmail_Name(const QString& text) {
  static const QRegularExpression re(QStringLiteral(R"re(^\s*"?([^"<]*?)"?\s*<[^>]*>\s*$)re"));
  const auto m = re.match(text);
  return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QString ExtractEmail_Adress(const QString& text) {
  static const QRegularExpression re(QStringLiteral(R"(<([^>]*)>)"));
  const auto m = re.match(text);
  return (m.hasMatch() ? m.captured(1) : text).trimmed();
}

QStringList MailProgramCommand(Options& options, const MailSender& from, const QString& to, const QString& subject,
                               const QString& body, const QString& attachment_path) {
  const QString kDefault = QStringLiteral("xdg-email");
  QStringList command = QProcess::splitCommand(
      options.ReadOption(QStringLiteral("EMAIL"), QStringLiteral("PROGRAM"), kDefault).trimmed());
  if (command.isEmpty()) command << kDefault;
  for (QString& part : command)
    part.replace(QLatin1String("%NADAWCA%"), from.name).replace(QLatin1String("%ADRES_NADAWCY%"), from.address);
  command << QStringLiteral("--utf8");
  if (!subject.isEmpty()) command << QStringLiteral("--subject") << subject;
  if (!body.isEmpty()) command << QStringLiteral("--body") << body;
  if (!attachment_path.isEmpty()) command << QStringLiteral("--attach") << QFileInfo(attachment_path).absoluteFilePath();
  command << SplitAddresses(to);
  return command;
}

QString OpenInMailProgram(Options& options, const MailSender& from, const QString& to, const QString& subject,
                          const QString& body, const QString& attachment_path) {
  if (!attachment_path.isEmpty() && !QFileInfo(attachment_path).isFile())
    return QStringLiteral("Nie znaleziono pliku załącznika „%1”.").arg(attachment_path);
  QStringList command = MailProgramCommand(options, from, to, subject, body, attachment_path);
  const QString program = command.takeFirst();
  if (!QProcess::startDetached(program, command))
    return QStringLiteral("Nie można uruchomić programu pocztowego „%1”. Sprawdź opcję EMAIL/PROGRAM.").arg(program);
  return {};
}

}  // namespace velmora::host
