#include "host/mail/email_accounts.h"

#include "host/db/secret_store.h"
#include "host/db/tools_db.h"
#include "host/db/secret_store.h"
#include "host/db/srodowisko.h"
#include "host/db/tools_db.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace velmora::host {

namespace {

using T = FieldType;

const ColumnDecl kEmailSrv[] = {
    {"EMAIL", T::String, 100, ""},      {"NAZWA", T::String, 100, ""},
    {"SMTP_HOST", T::String, 100, ""},  {"SMTP_PORT", T::Integer, 0, "0"},
    {"SMTP_TLS", T::SmallInt, 0, "1"},  {"IN_PROTOKOL", T::String, 10, "IMAP"},
    {"IN_HOST", T::String, 100, ""},    {"IN_PORT", T::Integer, 0, "0"},
    {"IN_TLS", T::SmallInt, 0, "2"},    {"UZYTKOWNIK", T::String, 100, ""},
    {"HASLO", T::String, 255, ""},      {"DEL_SRC", T::SmallInt, 0, "0"},
    {"FOLDER", T::String, 100, "INBOX"},
};

const ColumnDecl kEmailMsg[] = {
    {"ID_EMAIL_SRV", T::Integer, 0, "0"}, {"MAIL_HASH", T::String, 64, ""},
    {"NADAWCA", T::String, 255, ""},      {"ODBIORCA", T::String, 1000, ""},
    {"TEMAT", T::String, 255, ""},        {"DATA", T::DateTime, 0, ""},
    {"TRESC", T::Memo, 0, ""},            {"STAN", T::SmallInt, 0, "0"},
    {"KIERUNEK", T::SmallInt, 0, "0"},
};

const ColumnDecl kEmailAttach[] = {
    {"ID_EMAIL_MSG", T::Integer, 0, "0"},
    {"FILENAME", T::String, 255, ""},
    {"BODY", T::Blob, 0, ""},
};

// Widths of the text columns filled from mail: a long subject is cut, not refused.
constexpr int kAddressWidth = 255;
constexpr int kRecipientsWidth = 1000;
constexpr int kSubjectWidth = 255;
constexpr int kFileNameWidth = 255;

const QRegularExpression& AddressPattern() {
  static const QRegularExpression re(QStringLiteral(R"(^[^@\s<>,;"]+@[^@\s<>,;"]+$)"));
  return re;
}

}  // namespace

QString CheckMailServer(const MailServer& s) {
  if (s.email.trimmed().isEmpty()) return QStringLiteral("Podaj adres e-mail konta pocztowego.");
  if (!AddressPattern().match(s.email.trimmed()).hasMatch())
    return QStringLiteral("Nieprawidłowy adres e-mail konta pocztowego: „%1”.").arg(s.email);
  const QString protocol = s.in_protocol.trimmed().toUpper();
  if (protocol != QLatin1String("IMAP") && protocol != QLatin1String("POP3"))
    return QStringLiteral("Nieznany protokół odbioru poczty „%1” (dozwolone: IMAP, POP3).").arg(s.in_protocol);
  if (s.smtp_port < 0 || s.smtp_port > 65535)
    return QStringLiteral("Nieprawidłowy numer portu serwera SMTP: %1.").arg(s.smtp_port);
  if (s.in_port < 0 || s.in_port > 65535)
    return QStringLiteral("Nieprawidłowy numer portu serwera %1: %2.").arg(protocol).arg(s.in_port);
  // The login and password go with the first commands: unencrypted only to this computer.
  const auto jawny = [&s](const QString& host, MailTls tls, const QString& serwer) -> QString {
    if (tls != MailTls::None || host.trimmed().isEmpty() || NaTymKomputerze(host)) return {};
    return QStringLiteral("Konto pocztowe „%1”: połączenie z serwerem %2 %3 nie jest szyfrowane - hasło i wiadomości "
                          "szłyby otwartym tekstem. Wybierz szyfrowanie STARTTLS albo TLS.")
        .arg(s.email.trimmed(), serwer, host.trimmed());
  };
  if (QString problem = jawny(s.smtp_host, s.smtp_tls, QStringLiteral("SMTP")); !problem.isEmpty()) return problem;
  return jawny(s.in_host, s.in_tls, protocol);
}

namespace {

std::optional<MailTls> TlsFromInt(int value) {
  if (value < 0 || value > 2) return std::nullopt;
  return static_cast<MailTls>(value);
}

QDateTime LocalDate(const QDateTime& date) {
  return date.isValid() ? date.toLocalTime() : QDateTime();
}

qint64 SaveMail(Db& db, int id_email_srv, const MailMessage& m, int state, MailDirection direction) {
  const QDateTime now = QDateTime::currentDateTime();
  Transaction tx(db);
  const qint64 id = db.DBGetNewID(QStringLiteral("GID_EMAIL_MSG"));
  db.Exec(QStringLiteral("INSERT INTO EMAIL_MSG (ID_EMAIL_MSG, ID_EMAIL_SRV, MAIL_HASH, NADAWCA, ODBIORCA, TEMAT, "
                         "DATA, TRESC, STAN, KIERUNEK, CREATE_DATE, CREATE_TIME) VALUES (:ID, :SRV, :HASH, :NADAWCA, "
                         ":ODBIORCA, :TEMAT, :DATA, :TRESC, :STAN, :KIERUNEK, :CDATE, :CTIME)"),
          {{QStringLiteral("ID"), id},
           {QStringLiteral("SRV"), id_email_srv},
           {QStringLiteral("HASH"), Mail_Hash(m)},
           {QStringLiteral("NADAWCA"), m.from.left(kAddressWidth)},
           {QStringLiteral("ODBIORCA"), m.to.left(kRecipientsWidth)},
           {QStringLiteral("TEMAT"), m.subject.left(kSubjectWidth)},
           {QStringLiteral("DATA"), LocalDate(m.date)},
           {QStringLiteral("TRESC"), m.body},
           {QStringLiteral("STAN"), state},
           {QStringLiteral("KIERUNEK"), static_cast<int>(direction)},
           {QStringLiteral("CDATE"), now.date()},
           {QStringLiteral("CTIME"), now.time()}});
  for (const MailAttachment& a : m.attachments) {
    db.Exec(QStringLiteral("INSERT INTO EMAIL_ATTACH (ID_EMAIL_ATTACH, ID_EMAIL_MSG, FILENAME, BODY, CREATE_DATE, "
                           "CREATE_TIME) VALUES (:ID, :MSG, :NAME, :BODY, :CDATE, :CTIME)"),
            {{QStringLiteral("ID"), db.DBGetNewID(QStringLiteral("GID_EMAIL_ATTACH"))},
             {QStringLiteral("MSG"), id},
             {QStringLiteral("NAME"), a.file_name.left(kFileNameWidth)},
             // An empty attachment is still a blob, not a null.
             {QStringLiteral("BODY"), a.content.isNull() ? QByteArray("") : a.content},
             {QStringLiteral("CDATE"), now.date()},
             {QStringLiteral("CTIME"), now.time()}});
  }
  tx.Commit();
  return id;
}

}  // namespace

void EmailSchema(TToolsDB& tools) {
  const TableDecl tables[] = {
      {"EMAIL_SRV", Columns(kEmailSrv)},
      {"EMAIL_MSG", Columns(kEmailMsg), {{"EMAIL_MSG_IDX1", {"MAIL_HASH"}}, {"EMAIL_MSG_IDX2", {"ID_EMAIL_SRV"}}}},
      {"EMAIL_ATTACH", Columns(kEmailAttach), {{"EMAIL_ATTACH_IDX1", {"ID_EMAIL_MSG"}}}},
  };
  for (const TableDecl& t : tables) DeclareTable(tools, t);
}

std::optional<MailServer> LoadMailServer(Db& db, int id_email_srv, QString* error) {
  const auto row = db.QueryOne(QStringLiteral("SELECT * FROM EMAIL_SRV WHERE ID_EMAIL_SRV = :ID"),
                               {{QStringLiteral("ID"), id_email_srv}});
  auto fail = [&](const QString& text) -> std::optional<MailServer> {
    if (error) *error = text;
    return std::nullopt;
  };
  if (!row) return fail(QStringLiteral("Nie znaleziono konta pocztowego o identyfikatorze %1.").arg(id_email_srv));
  MailServer s;
  s.id = id_email_srv;
  s.email = row->Str(QStringLiteral("EMAIL")).trimmed();
  s.name = row->Str(QStringLiteral("NAZWA"));
  s.smtp_host = row->Str(QStringLiteral("SMTP_HOST")).trimmed();
  s.smtp_port = row->Int(QStringLiteral("SMTP_PORT"));
  s.in_protocol = row->Str(QStringLiteral("IN_PROTOKOL")).trimmed().toUpper();
  if (s.in_protocol.isEmpty()) s.in_protocol = QStringLiteral("IMAP");
  s.in_host = row->Str(QStringLiteral("IN_HOST")).trimmed();
  s.in_port = row->Int(QStringLiteral("IN_PORT"));
  s.user = row->Str(QStringLiteral("UZYTKOWNIK"));
  s.password = OpenSecret(row->Str(QStringLiteral("HASLO")));
  s.delete_source = row->Int(QStringLiteral("DEL_SRC")) == 1;
  s.folder = row->Str(QStringLiteral("FOLDER")).trimmed();
  if (s.folder.isEmpty()) s.folder = QStringLiteral("INBOX");
  const auto smtp_tls = TlsFromInt(row->Int(QStringLiteral("SMTP_TLS")));
  const auto in_tls = TlsFromInt(row->Int(QStringLiteral("IN_TLS")));
  if (!smtp_tls || !in_tls)
    return fail(QStringLiteral("Konto pocztowe „%1” ma nieprawidłowy tryb szyfrowania (dozwolone: 0, 1, 2).")
                    .arg(s.email));
  s.smtp_tls = *smtp_tls;
  s.in_tls = *in_tls;
  if (const QString problem = CheckMailServer(s); !problem.isEmpty()) return fail(problem);
  return s;
}

int AddMailServer(Db& db, const MailServer& s, QString* error) {
  if (const QString problem = CheckMailServer(s); !problem.isEmpty()) {
    if (error) *error = problem;
    return 0;
  }
  Transaction tx(db);
  const int id = static_cast<int>(db.DBGetNewID(QStringLiteral("GID_EMAIL_SRV")));
  db.Exec(QStringLiteral("INSERT INTO EMAIL_SRV (ID_EMAIL_SRV, EMAIL, NAZWA, SMTP_HOST, SMTP_PORT, SMTP_TLS, "
                         "IN_PROTOKOL, IN_HOST, IN_PORT, IN_TLS, UZYTKOWNIK, HASLO, DEL_SRC, FOLDER) VALUES (:ID, "
                         ":EMAIL, :NAZWA, :SMTP_HOST, :SMTP_PORT, :SMTP_TLS, :IN_PROTOKOL, :IN_HOST, :IN_PORT, "
                         ":IN_TLS, :UZYTKOWNIK, :HASLO, :DEL_SRC, :FOLDER)"),
          {{QStringLiteral("ID"), id},
           {QStringLiteral("EMAIL"), s.email.trimmed()},
           {QStringLiteral("NAZWA"), s.name},
           {QStringLiteral("SMTP_HOST"), s.smtp_host.trimmed()},
           {QStringLiteral("SMTP_PORT"), s.smtp_port},
           {QStringLiteral("SMTP_TLS"), static_cast<int>(s.smtp_tls)},
           {QStringLiteral("IN_PROTOKOL"), s.in_protocol.trimmed().toUpper()},
           {QStringLiteral("IN_HOST"), s.in_host.trimmed()},
           {QStringLiteral("IN_PORT"), s.in_port},
           {QStringLiteral("IN_TLS"), static_cast<int>(s.in_tls)},
           {QStringLiteral("UZYTKOWNIK"), s.user},
           {QStringLiteral("HASLO"), SealSecret(s.password)},
           {QStringLiteral("DEL_SRC"), s.delete_source ? 1 : 0},
           {QStringLiteral("FOLDER"), s.folder.trimmed().isEmpty() ? QStringLiteral("INBOX") : s.folder.trimmed()}});
  tx.Commit();
  return id;
}

std::vector<MailServerEntry> ListMailServers(Db& db) {
  std::vector<MailServerEntry> out;
  for (const Row& r : db.QueryAll(
           QStringLiteral("SELECT ID_EMAIL_SRV, EMAIL, NAZWA FROM EMAIL_SRV ORDER BY NAZWA, EMAIL, ID_EMAIL_SRV")))
    out.push_back({r.Int(QStringLiteral("ID_EMAIL_SRV")), r.Str(QStringLiteral("EMAIL")), r.Str(QStringLiteral("NAZWA"))});
  return out;
}

QString Mail_Hash(const MailMessage& m) {
  QCryptographicHash h(QCryptographicHash::Sha256);
  auto add = [&h](const QString& part) {
    h.addData(part.toUtf8());
    h.addData(QByteArrayView("\n", 1));
  };
  add(m.message_id);
  add(m.date.isValid() ? m.date.toUTC().toString(Qt::ISODate) : QString());
  add(m.from.toLower());
  add(m.subject);
  // Without a Message-ID the header fields alone may match two different mails.
  if (m.message_id.isEmpty()) {
    add(m.body);
    for (const MailAttachment& a : m.attachments) {
      add(a.file_name);
      h.addData(QCryptographicHash::hash(a.content, QCryptographicHash::Sha256));
    }
  }
  return QString::fromLatin1(h.result().toHex());
}

bool MailJestWBazie(Db& db, const QString& hash) {
  return db.QueryValue(QStringLiteral("SELECT COUNT(*) FROM EMAIL_MSG WHERE MAIL_HASH = :HASH AND KIERUNEK = :DIR"),
                       {{QStringLiteral("HASH"), hash}, {QStringLiteral("DIR"), static_cast<int>(MailDirection::Received)}})
             .toLongLong() > 0;
}

qint64 Receive_Save(Db& db, int id_email_srv, const MailMessage& m, int state) {
  return SaveMail(db, id_email_srv, m, state, MailDirection::Received);
}

qint64 Sent_Save(Db& db, int id_email_srv, const MailMessage& m) {
  return SaveMail(db, id_email_srv, m, kMailNew, MailDirection::Sent);
}

}  // namespace velmora::host
