#pragma once

#include "host/db/db.h"
#include "host/mail/email_accounts.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace velmora::host {

class Options;

// Reads a whole message (header and body); throws std::runtime_error when there is nothing to read.
MailMessage ParseMail(const QByteArray& raw);

class TEmail_Msg {
 public:
  // Sends a mail from the account over SMTP and stores it as sent (KIERUNEK 1).
  // `to` may hold several addresses separated by commas or semicolons; `format` is "html" or
  // "text" (empty means text); `attachment_path` may be empty. Answers false with a Polish
  // reason in *error; a mail that was not sent is not stored.
  static bool Send(Db& db, int id_email_srv, const QString& to, const QString& subject, const QString& body,
                   const QString& format, const QString& attachment_path, bool confirm_reading, QString* error);
  // The accounts for a picker, by name.
  static std::vector<MailServerEntry> List_MailSrv(Db& db);
};

// A mailbox on an IMAP or POP3 server, read message by message. Numbering starts at 1 and
// stays as it was at Connect until Update applies the deletions.
class TOdbierzMail {
 public:
  TOdbierzMail();
  ~TOdbierzMail();
  TOdbierzMail(const TOdbierzMail&) = delete;
  TOdbierzMail& operator=(const TOdbierzMail&) = delete;

  bool InitServerConfig(Db& db, int id_email_srv, QString* error);
  bool Connect(QString* error);
  // The methods below throw std::runtime_error with a Polish text on failure.
  int get_MessageCount();
  MailMessage GetMessageAt(int index);
  // Marks for deletion; nothing leaves the server before Update.
  void DeleteMessageAt(int index);
  // Deletes the marked mails on the server and reconnects, renumbering what is left.
  void Update();
  // Leaves the server, deleting nothing that was only marked.
  void Disconnect();

  const MailServer& Server() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Stores a received mail in the inbox and offers it to the registered processing routines;
// marked processed when one took it. Answers whether one did.
bool ZapiszIPrzekaz(Db& db, int id_email_srv, const MailMessage& m);

// Reads the account's mailbox: stores each mail not stored yet, offers it to the registered
// processing routines and, when the account says so, deletes it from the server once stored.
// Answers how many mails were stored, or -1 with a Polish reason in *error.
int ReceiveMail(Db& db, int id_email_srv, QString* error);

// The name and the address of "Name <address>"; a bare address has no name.
QString ExtractEmail_Name(const QString& text);
QString ExtractEmail_Adress(const QString& text);

struct MailSender {
  QString name;
  QString address;
};

// The user's own mail program (option EMAIL/PROGRAM, "xdg-email" unless set), with a new
// mail ready to send: the program first, then its arguments. The sender reaches a program
// whose command names it with %NADAWCA% (name) and %ADRES_NADAWCY% (address); xdg-email
// itself cannot be given one, the program then sends from its own account.
QStringList MailProgramCommand(Options& options, const MailSender& from, const QString& to, const QString& subject,
                               const QString& body, const QString& attachment_path);
// Starts that program; answers an error text, empty when it started.
QString OpenInMailProgram(Options& options, const MailSender& from, const QString& to, const QString& subject,
                          const QString& body, const QString& attachment_path);

}  // namespace velmora::host
