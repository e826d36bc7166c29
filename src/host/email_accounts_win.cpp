#include "email_accounts_win.h"

#include "email_accounts.h"
#include "host_context.h"

namespace velmora::host {

namespace {

const QStringList& Szyfrowanie() {
  static const QStringList items{QStringLiteral("brak"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")};
  return items;
}

// The record as the mail services read it, so the window refuses what they would refuse.
QString SprawdzKonto(const QVariantMap& r) {
  MailServer s;
  s.email = r.value(QStringLiteral("EMAIL")).toString();
  s.in_protocol = r.value(QStringLiteral("IN_PROTOKOL")).toString().trimmed().toUpper();
  if (s.in_protocol.isEmpty()) s.in_protocol = QStringLiteral("IMAP");
  s.smtp_port = r.value(QStringLiteral("SMTP_PORT")).toInt();
  s.in_port = r.value(QStringLiteral("IN_PORT")).toInt();
  return CheckMailServer(s);
}

}  // namespace

const TableSpec& EmailSrvSpec() {
  static const TableSpec spec = [] {
    FieldSpec email = Field("EMAIL", "Adres e-mail", FieldType::String, 100);
    email.required = true;
    FieldSpec smtp_tls = Field("SMTP_TLS", "SMTP: szyfrowanie", FieldType::SmallInt, 0, false);
    smtp_tls.items = Szyfrowanie();
    FieldSpec in_tls = Field("IN_TLS", "Odbiór: szyfrowanie", FieldType::SmallInt, 0, false);
    in_tls.items = Szyfrowanie();
    FieldSpec haslo = Field("HASLO", "Hasło", FieldType::String, 100, false);
    haslo.secret = true;
    TableSpec t{QStringLiteral("EMAIL_SRV"),
                QStringLiteral("TEmailSrvWin"),
                QStringLiteral("Konta e-mail"),
                {email, Field("NAZWA", "Nazwa", FieldType::String, 100), Field("SMTP_HOST", "Serwer SMTP", FieldType::String, 100),
                 Field("SMTP_PORT", "SMTP: port (0 - domyślny)", FieldType::Integer, 0, false), smtp_tls,
                 Field("IN_PROTOKOL", "Odbiór: protokół (IMAP/POP3)", FieldType::String, 10),
                 Field("IN_HOST", "Serwer odbioru", FieldType::String, 100),
                 Field("IN_PORT", "Odbiór: port (0 - domyślny)", FieldType::Integer, 0, false), in_tls,
                 Field("UZYTKOWNIK", "Użytkownik", FieldType::String, 100), haslo,
                 Field("DEL_SRC", "Usuwaj pobrane wiadomości z serwera", FieldType::SmallInt, 1, false),
                 Field("FOLDER", "Folder", FieldType::String, 100, false)},
                QStringLiteral("EMAIL")};
    t.check = SprawdzKonto;
    return t;
  }();
  return spec;
}

std::optional<Row> WybierzKontoEmail(HostContext& ctx, const QString& initial, QWidget* parent) {
  auto* win = new THostTableWin(ctx, EmailSrvSpec());
  win->Init();
  return PickRow(win, QStringLiteral("EMAIL"), initial, parent);
}

}  // namespace velmora::host
