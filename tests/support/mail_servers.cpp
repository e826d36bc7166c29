#include "support/mail_servers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace velmora::testing {

bool MailServers::Start() {
  // Run by root, the servers run as another user, who must get through the directory.
  QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
  dir = tmp.filePath(QStringLiteral("mail"));
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("MAIL_OWNER_PID"), QString::number(QCoreApplication::applicationPid()));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("bash"), {QStringLiteral(VELMORA_MAIL_SCRIPT), QStringLiteral("start"), dir});
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    failure = QString::fromUtf8(p.readAllStandardError()).trimmed();
    if (failure.isEmpty()) failure = QStringLiteral("mail.sh start failed");
    return false;
  }
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const QString key = line.section(QLatin1Char('='), 0, 0);
    const QString value = line.section(QLatin1Char('='), 1);
    if (key == QLatin1String("IMAP_PORT")) imap = value.toInt();
    if (key == QLatin1String("POP3_PORT")) pop3 = value.toInt();
    if (key == QLatin1String("SMTP_PORT")) smtp = value.toInt();
    if (key == QLatin1String("PASSWORD")) password = value;
    if (key == QLatin1String("SMTP_SPOOL")) spool = value;
    if (key == QLatin1String("TLS_IMAP_PORT")) tls_imap = value.toInt();
    if (key == QLatin1String("TLS_POP3_PORT")) tls_pop3 = value.toInt();
    if (key == QLatin1String("IMAPS_PORT")) imaps = value.toInt();
    if (key == QLatin1String("POP3S_PORT")) pop3s = value.toInt();
    if (key == QLatin1String("TLS_SMTP_PORT")) tls_smtp = value.toInt();
    if (key == QLatin1String("SMTPS_PORT")) smtps = value.toInt();
    if (key == QLatin1String("CA_FILE")) ca_file = value;
  }
  if (imap == 0 || pop3 == 0 || smtp == 0 || imaps == 0 || pop3s == 0 || smtps == 0) failure = QStringLiteral("mail.sh printed no ports");
  qputenv("SSL_CERT_FILE", ca_file.toLocal8Bit());
  return failure.isEmpty();
}

void MailServers::Stop() {
  QProcess::execute(QStringLiteral("bash"), {QStringLiteral(VELMORA_MAIL_SCRIPT), QStringLiteral("stop"), dir});
}

void MailServers::Deliver(const QString& user, const QByteArray& raw) {
  QProcess p;
  p.start(QStringLiteral("bash"), {QStringLiteral(VELMORA_MAIL_SCRIPT), QStringLiteral("deliver"), dir, user});
  p.write(raw);
  p.closeWriteChannel();
  ASSERT_TRUE(p.waitForFinished(10000) && p.exitCode() == 0) << p.readAllStandardError().toStdString();
}

std::vector<QByteArray> MailServers::Spooled(const QString& recipient) const {
  std::vector<QByteArray> out;
  for (const QString& name : QDir(spool).entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name)) {
    QFile f(QDir(spool).filePath(name));
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QByteArray envelope = f.readLine();
    if (envelope.contains(recipient.toUtf8())) out.push_back(f.readAll());
  }
  return out;
}

namespace {

MailServers* g_servers = nullptr;

class MailEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    if (!g_servers) return;
    if (g_servers->failure.isEmpty()) g_servers->Stop();
    delete g_servers;
    g_servers = nullptr;
  }
};

[[maybe_unused]] ::testing::Environment* const kMailEnvironment = ::testing::AddGlobalTestEnvironment(new MailEnvironment);

QByteArray Base64Lines(const QByteArray& data) {
  const QByteArray b64 = data.toBase64();
  QByteArray out;
  for (qsizetype i = 0; i < b64.size(); i += 76) out += b64.mid(i, 76) + "\r\n";
  return out;
}

}  // namespace

MailServers& Servers() {
  if (!g_servers) {
    g_servers = new MailServers;
    g_servers->Start();
  }
  return *g_servers;
}

ParsedMail ParseWithPython(const QByteArray& raw) {
  static const char* kScript = R"(
import base64, email, json, sys
from email import policy
m = email.message_from_bytes(sys.stdin.buffer.read(), policy=policy.default)
text = m.get_body(preferencelist=("plain", "html"))
print(json.dumps({
    "subject": str(m["subject"]), "from": m["from"].addresses[0].addr_spec, "to": ", ".join(a.addr_spec for a in m["to"].addresses),
    "headers": list(m.keys()),
    "text": text.get_content() if text else "", "content_type": text.get_content_type() if text else "",
    "attachments": [[a.get_filename(), base64.b64encode(a.get_payload(decode=True)).decode()] for a in m.iter_attachments()],
}))
)";
  QProcess p;
  p.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(kScript)});
  p.write(raw);
  p.closeWriteChannel();
  ParsedMail out;
  if (!p.waitForFinished(20000) || p.exitCode() != 0) {
    ADD_FAILURE() << "python3 could not read the mail: " << p.readAllStandardError().toStdString();
    return out;
  }
  const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
  out.subject = o.value(QStringLiteral("subject")).toString();
  out.from = o.value(QStringLiteral("from")).toString();
  out.to = o.value(QStringLiteral("to")).toString();
  out.text = o.value(QStringLiteral("text")).toString();
  out.content_type = o.value(QStringLiteral("content_type")).toString();
  for (const QJsonValue& h : o.value(QStringLiteral("headers")).toArray()) out.headers << h.toString();
  for (const QJsonValue& a : o.value(QStringLiteral("attachments")).toArray())
    out.attachments.emplace_back(a.toArray().at(0).toString(), QByteArray::fromBase64(a.toArray().at(1).toString().toLatin1()));
  return out;
}

QByteArray PdfBytes(char seed) {
  QByteArray pdf("%PDF-1.4\n");
  for (int i = 0; i < 600; ++i) pdf.append(static_cast<char>((i * 7 + seed) & 0xFF));
  return pdf + "\n%%EOF\n";
}

QByteArray AttachmentPart(const char* type, const char* name, const QByteArray& content) {
  return QByteArray("--b1\r\nContent-Type: ") + type + "; name=\"" + name +
         "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"" + name + "\"\r\n\r\n" +
         Base64Lines(content);
}

}  // namespace velmora::testing
