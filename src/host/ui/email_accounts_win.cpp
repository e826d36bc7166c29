#include "host/ui/email_accounts_win.h"

#include "host/ui/edit_box.h"
#include "host/mail/email_accounts.h"
#include "host/base/host_context.h"
#include "host/ui/window_registry.h"

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
  s.smtp_host = r.value(QStringLiteral("SMTP_HOST")).toString();
  s.smtp_port = r.value(QStringLiteral("SMTP_PORT")).toInt();
  s.smtp_tls = static_cast<MailTls>(r.value(QStringLiteral("SMTP_TLS")).toInt());
  s.in_host = r.value(QStringLiteral("IN_HOST")).toString();
  s.in_port = r.value(QStringLiteral("IN_PORT")).toInt();
  s.in_tls = static_cast<MailTls>(r.value(QStringLiteral("IN_TLS")).toInt());
  return CheckMailServer(s);
}

}  // namespace

const TableSpec& EmailSrvSpec() {
  static const TableSpec spec = [] {
    FieldSpec email = Field("EMAIL", "Adres e-mail", FieldType::String, 100);
    email.required = true;
    FieldSpec smtp_tls = Field("SMTP_TLS", "SMTP: szyfrowanie", FieldType::SmallInt, 0, false);
    smtp_tls.items = Szyfrowanie();
    smtp_tls.initial = static_cast<int>(MailServer().smtp_tls);
    FieldSpec in_tls = Field("IN_TLS", "Odbiór: szyfrowanie", FieldType::SmallInt, 0, false);
    in_tls.items = Szyfrowanie();
    in_tls.initial = static_cast<int>(MailServer().in_tls);
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

const TableSpec& EmailMsgSpec() {
  static const TableSpec spec = [] {
    FieldSpec stan = Field("STAN", "Stan", FieldType::SmallInt);
    stan.items = {QStringLiteral("nowa"), QStringLiteral("przetworzona")};
    return TableSpec{QStringLiteral("EMAIL_MSG"),
                     QStringLiteral("TMailWin"),
                     QStringLiteral("Poczta"),
                     {Field("DATA", "Data", FieldType::DateTime), Field("NADAWCA", "Od", FieldType::String, 255),
                      Field("ODBIORCA", "Do", FieldType::String, 1000), Field("TEMAT", "Temat", FieldType::String, 255), stan,
                      Field("TRESC", "Treść", FieldType::Memo, 0, false)},
                     QStringLiteral("DATA desc")};
  }();
  return spec;
}

TMailWin::TMailWin(HostContext& ctx, bool odebrane, QWidget* parent) : THostTableWin(ctx, EmailMsgSpec(), parent) {
  setWindowTitle(odebrane ? QStringLiteral("Skrytka odbiorcza") : QStringLiteral("Skrytka nadawcza"));
  SetFilter(QStringLiteral("KIERUNEK = :KIERUNEK"),
            {{QStringLiteral("KIERUNEK"), static_cast<int>(odebrane ? MailDirection::Received : MailDirection::Sent)}});
}

QVariant TMailWin::CellData(int row, const QString& column, int role, const QVariant& stored) const {
  if (role == Qt::DisplayRole && column.compare(QLatin1String("STAN"), Qt::CaseInsensitive) == 0)
    return stored.toInt() == kMailProcessed ? QStringLiteral("przetworzona") : QStringLiteral("nowa");
  return THostTableWin::CellData(row, column, role, stored);
}

void RegisterMailWindows() {
  RegisterWindowClass(EmailSrvSpec().window_class, [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    auto* win = new THostTableWin(ctx, EmailSrvSpec());
    win->Init();
    return win;
  });
  RegisterWindowClass(QStringLiteral("TMailWin"), [](HostContext& ctx, const WindowArgs& args) -> QWidget* {
    auto* win = new TMailWin(ctx, args.window_id != 1104);
    win->Init();
    win->TylkoDoOdczytu();
    return win;
  });
}

std::optional<Row> WybierzKontoEmail(HostContext& ctx, const QString& initial, QWidget* parent) {
  auto* win = new THostTableWin(ctx, EmailSrvSpec());
  win->Init();
  return PickRow(win, QStringLiteral("EMAIL"), initial, parent);
}

}  // namespace velmora::host
