#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace velmora::testing {

// dovecot (IMAP, POP3, in plain text and with TLS) and the SMTP receiver of scripts/mail.sh,
// one set for the whole run, stopped when the tests end. The mail client trusts the run's
// certificate authority (SSL_CERT_FILE).
struct MailServers {
  QTemporaryDir tmp;
  QString dir;
  int imap = 0;
  int pop3 = 0;
  int smtp = 0;
  // The same mailboxes and receiver over TLS: STARTTLS on tls_*, TLS from the first byte on
  // IMAPS, POP3S and SMTPS, under a certificate for "localhost" that ca_file's authority signed.
  int tls_imap = 0;
  int tls_pop3 = 0;
  int imaps = 0;
  int pop3s = 0;
  int tls_smtp = 0;  // STARTTLS
  int smtps = 0;
  QString ca_file;
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

// A mail as Python's own mail parser reads it (not ours): subject, from, to, the plain or HTML
// text, the header names and each attachment's name and bytes.
struct ParsedMail {
  QString subject, from, to, text, content_type;
  QStringList headers;
  std::vector<std::pair<QString, QByteArray>> attachments;
};
ParsedMail ParseWithPython(const QByteArray& raw);

// Bytes that look like a PDF, every byte value among them.
QByteArray PdfBytes(char seed);
// One base64 part of a multipart/mixed mail with boundary "b1".
QByteArray AttachmentPart(const char* type, const char* name, const QByteArray& content);

}  // namespace velmora::testing
