#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace velmora::testing {

// dovecot (IMAP, POP3) and the SMTP receiver of scripts/mail.sh, one set for the whole run,
// stopped when the tests end.
struct MailServers {
  QTemporaryDir tmp;
  QString dir;
  int imap = 0;
  int pop3 = 0;
  int smtp = 0;
  QString password;
  QString spool;
  QString failure;  // why the servers did not start; empty when they run

  bool Start();
  void Stop();
  // Puts a mail into the user's INBOX (a gtest failure when the script fails).
  void Deliver(const QString& user, const QByteArray& raw);
  // The mails the SMTP receiver took for the address, without the envelope line it adds.
  std::vector<QByteArray> Spooled(const QString& recipient) const;
};

// The servers of this run, started on first use.
MailServers& Servers();

// Bytes that look like a PDF, every byte value among them.
QByteArray PdfBytes(char seed);
// One base64 part of a multipart/mixed mail with boundary "b1".
QByteArray AttachmentPart(const char* type, const char* name, const QByteArray& content);

}  // namespace velmora::testing
