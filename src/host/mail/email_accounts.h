#pragma once

#include "host/db/db.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace velmora::host {

class TToolsDB;

// Mail accounts (EMAIL_SRV), the mails sent and received (EMAIL_MSG) and their attachments
// (EMAIL_ATTACH), with the generators GID_EMAIL_SRV, GID_EMAIL_MSG and GID_EMAIL_ATTACH.
void EmailSchema(TToolsDB& tools);

// 0 plain, 1 STARTTLS on the plain port, 2 TLS from the first byte.
enum class MailTls { None = 0, StartTls = 1, Implicit = 2 };

// One row of EMAIL_SRV. A port of 0 means the protocol's usual one. A new account is encrypted:
// STARTTLS to the SMTP server, TLS from the first byte to the mailbox.
struct MailServer {
  int id = 0;
  QString email;
  QString name;
  QString smtp_host;
  int smtp_port = 0;
  MailTls smtp_tls = MailTls::StartTls;
  QString in_protocol = QStringLiteral("IMAP");  // "IMAP" or "POP3"
  QString in_host;
  int in_port = 0;
  MailTls in_tls = MailTls::Implicit;
  QString user;
  QString password;
  bool delete_source = false;  // DEL_SRC: processed mail is deleted from the server
  QString folder = QStringLiteral("INBOX");
};

// Why an account cannot be used (address, protocol, ports, a password that would go in plain
// text beyond this computer), empty when it can.
QString CheckMailServer(const MailServer& server);
// Reads an account; nullopt with the reason in *error when there is none with that key.
std::optional<MailServer> LoadMailServer(Db& db, int id_email_srv, QString* error);
// Checks and stores a new account; answers its key, or 0 with the reason in *error.
int AddMailServer(Db& db, const MailServer& server, QString* error);

// An entry of the account picker.
struct MailServerEntry {
  int id = 0;
  QString email;
  QString name;
};
std::vector<MailServerEntry> ListMailServers(Db& db);

struct MailAttachment {
  QString file_name;
  QByteArray content;
};

struct MailMessage {
  QString from;  // the sender's address
  QString to;    // the recipients' addresses, comma separated
  QString subject;
  QString body;  // the plain text, or the HTML when the mail has no plain part
  QDateTime date;
  QString message_id;  // without the angle brackets
  std::vector<MailAttachment> attachments;
  QByteArray raw;  // the whole message as it came from the server
};

enum class MailDirection { Received = 0, Sent = 1 };

// STAN of a mail.
inline constexpr int kMailNew = 0;
inline constexpr int kMailProcessed = 1;

// SHA-256 (hex) of what tells one mail from another, the same however it was fetched.
QString Mail_Hash(const MailMessage& m);
// Whether a received mail with this hash is stored already.
bool MailJestWBazie(Db& db, const QString& hash);
// Stores a received mail with its attachments in one transaction; answers ID_EMAIL_MSG.
// Throws DbError, leaving nothing behind, when the database refuses.
qint64 Receive_Save(Db& db, int id_email_srv, const MailMessage& m, int state);
// The same for a mail this system has sent.
qint64 Sent_Save(Db& db, int id_email_srv, const MailMessage& m);

}  // namespace velmora::host
