// The signer library as the module uses it: loaded from its file, called with a request,
// unloaded; every signed file is checked by xmlsec1 on its own.
#include "host/base/process_options.h"
#include "support/test_host.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velmora {
namespace {

using host::OptionScope;
using testing::TestEngine;
using testing::TestHost;

using SignFileFn = bool (*)(const char*, int);

constexpr const char* kPassphrase = "Tajne-hasło 1";
// Above 2^64, so a serial squeezed through a machine integer shows.
constexpr const char* kSerial = "4722366482869645213697";
// What the outgoing file looks like before signing: declaration, header comment, CR LF, Polish letters.
constexpr const char* kDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!--\r\n\tPlik utworzony 2024-03-05 08:04:09\r\n-->\r\n"
    "<IE015 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/\" "
    "xmlns:typy=\"http://www.mf.gov.pl/schematy/NCTS2/TYPY/2013/10/\">\r\n"
    "<Naglowek LiczbaPozycji=\"1\" MiejsceZaladunku=\"Łódź\"/>\r\n"
    "<typy:Nadawca Nazwa=\"Zakład Żółć Spółka z o.o.\"/>\r\n"
    "<Towar PozId=\"1\" OpisTowaru=\"Jabłka świeże\"/>\r\n"
    "</IE015>\r\n";

struct ProcessResult {
  int exit_code = -1;
  QString output;
};

ProcessResult RunProcess(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return {};
  return {p.exitCode(), QString::fromLocal8Bit(p.readAll())};
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray Request(const QStringList& files) {
  QByteArray r = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Files>";
  for (const auto& f : files) r += "<file>" + f.toUtf8() + "</file>";
  return r + "</Files>";
}

class XadesSignerTest : public ::testing::Test {
 protected:
  // One throwaway key, self-signed certificate and PKCS#12 store for the whole suite.
  static void SetUpTestSuite() {
    keys_ = new QTemporaryDir;
    const QString dir = keys_->path();
    ProcessResult req = RunProcess("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-utf8", "-set_serial", kSerial,
                                               "-subj", "/CN=Jan Kowalski/O=Agencja Celna Łódź", "-keyout", dir + "/key.pem", "-out", dir + "/cert.pem"});
    ProcessResult p12 = RunProcess("openssl", {"pkcs12", "-export", "-inkey", dir + "/key.pem", "-in", dir + "/cert.pem", "-out",
                                               dir + "/store.p12", "-passout", QString("pass:") + kPassphrase});
    ProcessResult der = RunProcess("openssl", {"x509", "-in", dir + "/cert.pem", "-outform", "DER", "-out", dir + "/cert.der"});
    keys_ok_ = req.exit_code == 0 && p12.exit_code == 0 && der.exit_code == 0;
  }
  static void TearDownTestSuite() {
    delete keys_;
    keys_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(keys_ok_) << "openssl could not make the test certificate";
    ASSERT_TRUE(dir_.isValid());
    qunsetenv("VELMORA_PODPIS_CERTYFIKAT");
    qunsetenv("VELMORA_PODPIS_HASLO");
    SetCertificate(KeyPath("store.p12"), QString::fromUtf8(kPassphrase));
    host::SetProcessOptions(host_.options.get());
    library_.setFileName(VELMORA_SIGNER_PATH);
    ASSERT_TRUE(library_.load()) << library_.errorString().toStdString();
    sign_file_ = reinterpret_cast<SignFileFn>(library_.resolve("SignFile"));
    ASSERT_NE(sign_file_, nullptr);
  }
  void TearDown() override {
    host::SetProcessOptions(nullptr);
    library_.unload();
  }

  static QString KeyPath(const char* name) { return keys_->filePath(name); }

  void SetCertificate(const QString& path, const QString& passphrase) {
    host_.options->WriteOption("PODPIS", "CERTYFIKAT", path, OptionScope::Application);
    host_.options->WriteOption("PODPIS", "HASLO", passphrase, OptionScope::Application);
  }

  QString WriteDocument(const QString& name, const QByteArray& bytes = kDocument) {
    const QString path = dir_.filePath(name);
    WriteAll(path, bytes);
    return path;
  }

  bool Sign(const QStringList& files, int mode = 2) { return sign_file_(Request(files).constData(), mode); }

  static ProcessResult Verify(const QString& file) {
    return RunProcess("xmlsec1", {"--verify", "--enabled-reference-uris", "empty,same-doc", "--trusted-pem",
                           KeyPath("cert.pem"), file});
  }

  static inline QTemporaryDir* keys_ = nullptr;
  static inline bool keys_ok_ = false;
  TestHost host_{TestEngine::Sqlite};
  QTemporaryDir dir_;
  QLibrary library_;
  SignFileFn sign_file_ = nullptr;
};

TEST_F(XadesSignerTest, SignedFileVerifiesKeepsItsContentAndFailsOnceTampered) {
  const QString file = WriteDocument(QString::fromUtf8("deklaracja łódź.xml"));
  ASSERT_TRUE(Sign({file}));

  ProcessResult verify = Verify(file);
  EXPECT_EQ(verify.exit_code, 0) << verify.output.toStdString();

  const QByteArray signed_text = ReadAll(file);
  EXPECT_TRUE(signed_text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!--")) << signed_text.left(80).data();
  EXPECT_TRUE(signed_text.contains(QString::fromUtf8("OpisTowaru=\"Jabłka świeże\"").toUtf8()));
  EXPECT_TRUE(signed_text.contains(QString::fromUtf8("Zakład Żółć Spółka").toUtf8()));
  EXPECT_EQ(signed_text.count("\n"), signed_text.count("\r\n")) << "CR LF line ends are kept";
  // The signature closes the root element.
  const QString text = QString::fromUtf8(signed_text);
  EXPECT_TRUE(text.contains(QRegularExpression("</ds:Signature>\\s*</IE015>\\s*$")));

  // Any signed part changed: the time, the content, the certificate's digest.
  QString earlier_time = text;
  earlier_time.replace(QRegularExpression("<xades:SigningTime>[^<]+</xades:SigningTime>"),
                       "<xades:SigningTime>2020-01-01T00:00:00Z</xades:SigningTime>");
  QString other_goods = text;
  other_goods.replace(QString::fromUtf8("Jabłka świeże"), QString::fromUtf8("Gruszki świeże"));
  QString other_certificate_digest = text;
  const auto digest = QRegularExpression("<xades:CertDigest>.*<ds:DigestValue>()(.)").match(text);
  ASSERT_TRUE(digest.hasMatch());
  other_certificate_digest[digest.capturedStart(1)] = digest.captured(2) == "A" ? 'B' : 'A';
  for (const auto& [what, tampered] : {std::pair{"signing time", earlier_time}, {"goods description", other_goods},
                                       {"certificate digest", other_certificate_digest}}) {
    ASSERT_NE(tampered, text) << what;
    const QString copy = dir_.filePath("tampered.xml");
    WriteAll(copy, tampered.toUtf8());
    EXPECT_NE(Verify(copy).exit_code, 0) << what;
  }
}

TEST_F(XadesSignerTest, SignatureCarriesXadesPropertiesOfTheCertificate) {
  const QString file = WriteDocument("ie015.xml");
  ASSERT_TRUE(Sign({file}));
  const QString text = QString::fromUtf8(ReadAll(file));

  const auto sig_id = QRegularExpression("<ds:Signature [^>]*Id=\"(Signature-[^\"]+)\"").match(text);
  ASSERT_TRUE(sig_id.hasMatch());
  const auto props_id = QRegularExpression("<xades:SignedProperties Id=\"(SignedProperties-[^\"]+)\"").match(text);
  ASSERT_TRUE(props_id.hasMatch());
  EXPECT_TRUE(text.contains("Target=\"#" + sig_id.captured(1) + "\""));
  EXPECT_TRUE(text.contains("Type=\"http://uri.etsi.org/01903#SignedProperties\" URI=\"#" + props_id.captured(1) +
                            "\""));
  EXPECT_TRUE(text.contains("xmlns:xades=\"http://uri.etsi.org/01903/v1.3.2#\""));
  EXPECT_TRUE(text.contains("http://www.w3.org/2001/04/xmldsig-more#rsa-sha256"));
  EXPECT_TRUE(text.contains("<ds:Reference URI=\"\">"));

  const auto time = QRegularExpression("<xades:SigningTime>([^<]+)</xades:SigningTime>").match(text);
  ASSERT_TRUE(time.hasMatch());
  const QDateTime signing_time = QDateTime::fromString(time.captured(1), Qt::ISODate);
  ASSERT_TRUE(signing_time.isValid()) << time.captured(1).toStdString();
  EXPECT_EQ(signing_time.timeSpec(), Qt::UTC);
  EXPECT_LE(qAbs(signing_time.secsTo(QDateTime::currentDateTimeUtc())), 120);

  const QByteArray der = ReadAll(KeyPath("cert.der"));
  ASSERT_FALSE(der.isEmpty());
  const QString cert_digest = QCryptographicHash::hash(der, QCryptographicHash::Sha256).toBase64();
  EXPECT_TRUE(text.contains("<xades:CertDigest><ds:DigestMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#sha256\"/>"
                            "<ds:DigestValue>" + cert_digest + "</ds:DigestValue>"));
  EXPECT_TRUE(text.contains(QString("<ds:X509SerialNumber>") + kSerial + "</ds:X509SerialNumber>"));
  EXPECT_TRUE(text.contains(QString::fromUtf8("<ds:X509IssuerName>O=Agencja Celna Łódź,CN=Jan Kowalski</ds:X509IssuerName>")));
  EXPECT_TRUE(text.contains("<ds:X509Certificate>"));
}

TEST_F(XadesSignerTest, RefusalLeavesTheFileByteIdentical) {
  // The process keeps a store once unlocked: a wrong passphrase must still unlock nothing.
  SetCertificate(KeyPath("store.p12"), QString::fromUtf8(kPassphrase));
  ASSERT_TRUE(Sign({WriteDocument("earlier.xml")}));
  const QString file = WriteDocument("ie015.xml");
  const struct {
    const char* what;
    QString certificate, passphrase;
    int mode;
  } cases[] = {
      {"wrong passphrase", KeyPath("store.p12"), "zle-haslo", 2},
      {"missing certificate", dir_.filePath("brak.p12"), QString::fromUtf8(kPassphrase), 2},
      {"certificate not named", "", "", 2},
      {"not a PKCS#12 file", KeyPath("cert.pem"), QString::fromUtf8(kPassphrase), 2},
      {"unknown mode", KeyPath("store.p12"), QString::fromUtf8(kPassphrase), 1},
  };
  for (const auto& c : cases) {
    SetCertificate(c.certificate, c.passphrase);
    EXPECT_FALSE(Sign({file}, c.mode)) << c.what;
    EXPECT_EQ(ReadAll(file), QByteArray(kDocument)) << c.what;
  }
}

TEST_F(XadesSignerTest, BadRequestsSignNothing) {
  const QString first = WriteDocument("first.xml");
  const QString not_xml = WriteDocument("broken.xml", "<?xml version=\"1.0\"?><IE015><Towar></IE015>");
  EXPECT_FALSE(Sign({dir_.filePath("missing.xml")}));
  // One file failing signs none of them.
  EXPECT_FALSE(Sign({first, dir_.filePath("missing.xml")}));
  EXPECT_FALSE(Sign({first, not_xml}));
  EXPECT_FALSE(Sign({}));
  EXPECT_FALSE(sign_file_(nullptr, 2));
  EXPECT_FALSE(sign_file_("<Files><file>", 2));
  EXPECT_FALSE(sign_file_(QByteArray("<Pliki><file>" + first.toUtf8() + "</file></Pliki>").constData(), 2));
  // Entities have no place in a request, even one that would name a real file.
  const QByteArray with_entity = "<?xml version=\"1.0\"?><!DOCTYPE Files [<!ENTITY f \"" + first.toUtf8() +
                                 "\">]><Files><file>&f;</file></Files>";
  EXPECT_FALSE(sign_file_(with_entity.constData(), 2));
  EXPECT_EQ(ReadAll(first), QByteArray(kDocument));

  EXPECT_TRUE(Sign({first}));
  EXPECT_EQ(Verify(first).exit_code, 0);
}

TEST_F(XadesSignerTest, SignsEveryFileOfTheRequestAcrossReloads) {
  const QString a = WriteDocument("a.xml");
  const QString b = WriteDocument("b.xml");
  ASSERT_TRUE(Sign({a, b}));
  // The module loads the library for each write: set-up and tear-down must survive that.
  library_.unload();
  ASSERT_TRUE(library_.load());
  sign_file_ = reinterpret_cast<SignFileFn>(library_.resolve("SignFile"));
  const QString c = WriteDocument("c.xml");
  ASSERT_TRUE(Sign({c}));
  for (const QString& f : {a, b, c}) EXPECT_EQ(Verify(f).exit_code, 0) << f.toStdString();
}

TEST_F(XadesSignerTest, EnvironmentNamesTheCertificateWhenNoOptionsDo) {
  const QString file = WriteDocument("ie015.xml");
  host::SetProcessOptions(nullptr);
  EXPECT_FALSE(Sign({file}));
  qputenv("VELMORA_PODPIS_CERTYFIKAT", KeyPath("store.p12").toLocal8Bit());
  qputenv("VELMORA_PODPIS_HASLO", kPassphrase);
  EXPECT_TRUE(Sign({file}));
  EXPECT_EQ(Verify(file).exit_code, 0);

  // Options, where set, come first.
  const QString other = WriteDocument("other.xml");
  host::SetProcessOptions(host_.options.get());
  SetCertificate(KeyPath("store.p12"), "zle-haslo");
  EXPECT_FALSE(Sign({other}));
  qunsetenv("VELMORA_PODPIS_CERTYFIKAT");
  qunsetenv("VELMORA_PODPIS_HASLO");
}

}  // namespace
}  // namespace velmora
