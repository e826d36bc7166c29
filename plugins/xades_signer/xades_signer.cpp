#include "xades_signer.h"

#include "host/db/options.h"
#include "host/base/process_options.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <xmlsec/base64.h>
#include <xmlsec/crypto.h>
#include <xmlsec/openssl/app.h>
#include <xmlsec/openssl/crypto.h>
#include <xmlsec/openssl/x509.h>
#include <xmlsec/templates.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kModeXadesEnveloped = 2;
constexpr const char* kXadesNs = "http://uri.etsi.org/01903/v1.3.2#";
constexpr const char* kSignedPropertiesType = "http://uri.etsi.org/01903#SignedProperties";
constexpr const char* kSha256Uri = "http://www.w3.org/2001/04/xmlenc#sha256";
// No network, no entity expansion, no external DTD: the files and the request come from outside.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;
struct KeyFree {
  void operator()(xmlSecKey* k) const { xmlSecKeyDestroy(k); }
};
using KeyPtr = std::unique_ptr<xmlSecKey, KeyFree>;
struct DSigCtxFree {
  void operator()(xmlSecDSigCtx* c) const { xmlSecDSigCtxDestroy(c); }
};
struct BioFree {
  void operator()(BIO* b) const { BIO_free(b); }
};
struct XmlCharFree {
  void operator()(xmlChar* p) const { xmlFree(p); }
};

// The passphrase is wiped when it goes out of scope.
struct Credentials {
  std::string certificate_path;
  std::string passphrase;
  ~Credentials() { OPENSSL_cleanse(passphrase.data(), passphrase.size()); }
};

Credentials ReadCredentials() {
  using velmora::host::OptionScope;
  Credentials c;
  QString path;
  QString pass;
  if (auto* options = velmora::host::ProcessOptions()) {
    const auto section = QStringLiteral("PODPIS");
    path = options->ReadOption(section, QStringLiteral("CERTYFIKAT"), {}, OptionScope::Application);
    pass = options->ReadOption(section, QStringLiteral("HASLO"), {}, OptionScope::Application);
  }
  // The command line has no options database: the environment stands in for it.
  if (path.isEmpty() && pass.isEmpty()) {
    path = qEnvironmentVariable("VELMORA_PODPIS_CERTYFIKAT");
    pass = qEnvironmentVariable("VELMORA_PODPIS_HASLO");
  }
  c.certificate_path = QFile::encodeName(path).toStdString();
  QByteArray pass_utf8 = pass.toUtf8();
  c.passphrase.assign(pass_utf8.constData(), static_cast<size_t>(pass_utf8.size()));
  OPENSSL_cleanse(pass_utf8.data(), static_cast<size_t>(pass_utf8.size()));
  return c;
}

// xmlsec is set up for one call and torn down after it: the library is unloaded between uses.
class XmlSecSession {
 public:
  XmlSecSession() {
    if (xmlSecInit() < 0) return;
    if (xmlSecCheckVersion() != 1 || xmlSecOpenSSLAppInit(nullptr) < 0) {
      xmlSecShutdown();
      return;
    }
    if (xmlSecOpenSSLInit() < 0) {
      xmlSecOpenSSLAppShutdown();
      xmlSecShutdown();
      return;
    }
    ok_ = true;
  }
  ~XmlSecSession() {
    if (!ok_) return;
    xmlSecOpenSSLShutdown();
    xmlSecOpenSSLAppShutdown();
    xmlSecShutdown();
  }
  XmlSecSession(const XmlSecSession&) = delete;
  XmlSecSession& operator=(const XmlSecSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

std::string RandomId() {
  unsigned char bytes[12];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return {};
  static const char kHex[] = "0123456789abcdef";
  std::string id;
  for (unsigned char b : bytes) {
    id += kHex[b >> 4];
    id += kHex[b & 15];
  }
  return id;
}

std::string UtcNow() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &now);
#else
  gmtime_r(&now, &tm);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

std::string Base64(const unsigned char* data, size_t size) {
  std::unique_ptr<xmlChar, XmlCharFree> text(xmlSecBase64Encode(data, static_cast<xmlSecSize>(size), 0));
  return text ? reinterpret_cast<const char*>(text.get()) : std::string();
}

struct CertificateFacts {
  std::string digest_sha256;  // base64 of SHA-256 over the DER certificate
  std::string issuer_name;    // RFC 2253, UTF-8
  std::string serial_number;  // decimal
};

bool DescribeCertificate(X509* cert, CertificateFacts& facts) {
  unsigned char* der = nullptr;
  int der_size = i2d_X509(cert, &der);
  if (der_size <= 0) return false;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_size = 0;
  bool digested = EVP_Digest(der, static_cast<size_t>(der_size), digest, &digest_size, EVP_sha256(), nullptr) == 1;
  OPENSSL_free(der);
  if (!digested) return false;
  facts.digest_sha256 = Base64(digest, digest_size);

  std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
  if (!bio) return false;
  // RFC 2253 but with the letters kept as UTF-8 rather than escaped bytes.
  const unsigned long flags = (XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) | ASN1_STRFLGS_UTF8_CONVERT;
  if (X509_NAME_print_ex(bio.get(), X509_get_issuer_name(cert), 0, flags) < 0) return false;
  char* text = nullptr;
  long size = BIO_get_mem_data(bio.get(), &text);
  facts.issuer_name.assign(text, static_cast<size_t>(size));

  BIGNUM* serial = ASN1_INTEGER_to_BN(X509_get_serialNumber(cert), nullptr);
  if (!serial) return false;
  char* decimal = BN_bn2dec(serial);
  BN_free(serial);
  if (!decimal) return false;
  facts.serial_number = decimal;
  OPENSSL_free(decimal);
  return !facts.digest_sha256.empty();
}

// The key store unlocked: from the host's memory when this file was unlocked with this
// passphrase before, else from the file, kept for the next write re-encoded without protection.
QByteArray UnlockedStore(const Credentials& credentials) {
  QFile file(QString::fromStdString(credentials.certificate_path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_size = 0;
  QByteArray material = bytes + '\0' + QByteArray::fromStdString(credentials.passphrase);
  const bool digested = EVP_Digest(material.constData(), static_cast<size_t>(material.size()), digest, &digest_size, EVP_sha256(), nullptr) == 1;
  OPENSSL_cleanse(material.data(), static_cast<size_t>(material.size()));
  if (!digested) return {};
  const QByteArray fingerprint(reinterpret_cast<const char*>(digest), static_cast<int>(digest_size));
  QByteArray store = velmora::host::UnlockedKeyStore(fingerprint);
  if (!store.isEmpty()) return store;

  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size()));
  if (!p12) return {};
  EVP_PKEY* pkey = nullptr;
  X509* cert = nullptr;
  STACK_OF(X509)* chain = nullptr;
  const bool parsed = PKCS12_parse(p12, credentials.passphrase.c_str(), &pkey, &cert, &chain) == 1 && pkey && cert;
  PKCS12_free(p12);
  if (parsed) {
    // No encryption of key or certificates (-1); the MAC the loader insists on, with one round.
    if (PKCS12* plain = PKCS12_create("", nullptr, pkey, cert, chain, -1, -1, 0, 1, 0)) {
      unsigned char* der = nullptr;
      const int size = i2d_PKCS12(plain, &der);
      if (size > 0) store = QByteArray(reinterpret_cast<const char*>(der), size);
      OPENSSL_free(der);
      PKCS12_free(plain);
    }
  }
  EVP_PKEY_free(pkey);
  X509_free(cert);
  sk_X509_pop_free(chain, X509_free);
  if (!store.isEmpty()) velmora::host::KeepUnlockedKeyStore(fingerprint, store);
  return store;
}

KeyPtr LoadKey(const Credentials& credentials, CertificateFacts& facts) {
  if (credentials.certificate_path.empty()) return nullptr;
  const QByteArray store = UnlockedStore(credentials);
  if (store.isEmpty()) return nullptr;
  KeyPtr key(xmlSecOpenSSLAppPkcs12LoadMemory(reinterpret_cast<const xmlSecByte*>(store.constData()),
                                              static_cast<xmlSecSize>(store.size()), "", nullptr, nullptr));
  if (!key) return nullptr;
  xmlSecKeyDataPtr x509 = xmlSecKeyGetData(key.get(), xmlSecOpenSSLKeyDataX509Id);
  X509* cert = x509 ? xmlSecOpenSSLKeyDataX509GetKeyCert(x509) : nullptr;
  if (!cert || !DescribeCertificate(cert, facts)) return nullptr;
  return key;
}

// ds:Object/xades:QualifyingProperties with the signed properties; returns the SignedProperties node.
xmlNodePtr AddQualifyingProperties(xmlNodePtr sign_node, const std::string& signature_id,
                                   const std::string& properties_id, const CertificateFacts& facts) {
  xmlNodePtr object = xmlSecTmplSignatureAddObject(sign_node, nullptr, nullptr, nullptr);
  if (!object) return nullptr;
  xmlNsPtr ds = sign_node->ns;
  xmlNodePtr qualifying = xmlNewChild(object, nullptr, X("QualifyingProperties"), nullptr);
  xmlNsPtr xades = xmlNewNs(qualifying, X(kXadesNs), X("xades"));
  xmlSetNs(qualifying, xades);
  xmlSetProp(qualifying, X("Target"), X(("#" + signature_id).c_str()));
  xmlNodePtr signed_properties = xmlNewChild(qualifying, xades, X("SignedProperties"), nullptr);
  xmlAttrPtr id = xmlSetProp(signed_properties, X("Id"), X(properties_id.c_str()));
  if (!id || !xmlAddID(nullptr, sign_node->doc, X(properties_id.c_str()), id)) return nullptr;

  xmlNodePtr signature_properties = xmlNewChild(signed_properties, xades, X("SignedSignatureProperties"), nullptr);
  xmlNewTextChild(signature_properties, xades, X("SigningTime"), X(UtcNow().c_str()));
  xmlNodePtr signing_certificate = xmlNewChild(signature_properties, xades, X("SigningCertificate"), nullptr);
  xmlNodePtr cert = xmlNewChild(signing_certificate, xades, X("Cert"), nullptr);
  xmlNodePtr cert_digest = xmlNewChild(cert, xades, X("CertDigest"), nullptr);
  xmlNodePtr method = xmlNewChild(cert_digest, ds, X("DigestMethod"), nullptr);
  xmlSetProp(method, X("Algorithm"), X(kSha256Uri));
  xmlNewTextChild(cert_digest, ds, X("DigestValue"), X(facts.digest_sha256.c_str()));
  xmlNodePtr issuer_serial = xmlNewChild(cert, xades, X("IssuerSerial"), nullptr);
  xmlNewTextChild(issuer_serial, ds, X("X509IssuerName"), X(facts.issuer_name.c_str()));
  xmlNewTextChild(issuer_serial, ds, X("X509SerialNumber"), X(facts.serial_number.c_str()));
  return signed_properties;
}

// Adds the signature as the last child of the root element and signs.
bool SignDocument(xmlDocPtr doc, xmlSecKey* key, const CertificateFacts& facts) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  const std::string suffix = RandomId();
  if (!root || suffix.empty()) return false;
  const std::string signature_id = "Signature-" + suffix;
  const std::string properties_id = "SignedProperties-" + suffix;

  xmlNodePtr sign_node = xmlSecTmplSignatureCreateNsPref(doc, xmlSecTransformExclC14NId, xmlSecTransformRsaSha256Id,
                                                         X(signature_id.c_str()), X("ds"));
  if (!sign_node) return false;
  xmlAddChild(root, sign_node);

  xmlNodePtr document_ref = xmlSecTmplSignatureAddReference(sign_node, xmlSecTransformSha256Id, nullptr, X(""), nullptr);
  if (!document_ref || !xmlSecTmplReferenceAddTransform(document_ref, xmlSecTransformEnvelopedId) ||
      !xmlSecTmplReferenceAddTransform(document_ref, xmlSecTransformExclC14NId))
    return false;
  xmlNodePtr properties_ref =
      xmlSecTmplSignatureAddReference(sign_node, xmlSecTransformSha256Id, nullptr,
                                      X(("#" + properties_id).c_str()), X(kSignedPropertiesType));
  if (!properties_ref || !xmlSecTmplReferenceAddTransform(properties_ref, xmlSecTransformExclC14NId)) return false;

  xmlNodePtr key_info = xmlSecTmplSignatureEnsureKeyInfo(sign_node, nullptr);
  xmlNodePtr x509_data = key_info ? xmlSecTmplKeyInfoAddX509Data(key_info) : nullptr;
  if (!x509_data || !xmlSecTmplX509DataAddCertificate(x509_data)) return false;
  if (!AddQualifyingProperties(sign_node, signature_id, properties_id, facts)) return false;

  std::unique_ptr<xmlSecDSigCtx, DSigCtxFree> ctx(xmlSecDSigCtxCreate(nullptr));
  if (!ctx) return false;
  ctx->enabledReferenceUris = static_cast<xmlSecTransformUriType>(xmlSecTransformUriTypeEmpty |
                                                                  xmlSecTransformUriTypeSameDocument);
  ctx->signKey = xmlSecKeyDuplicate(key);
  if (!ctx->signKey) return false;
  return xmlSecDSigCtxSign(ctx.get(), sign_node) >= 0 && ctx->status == xmlSecDSigStatusSucceeded;
}

// The signed text in the document's own encoding, under its own declaration.
bool Serialize(xmlDocPtr doc, QByteArray& out) {
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc, &text, &size, reinterpret_cast<const char*>(doc->encoding));
  if (!text) return false;
  out = QByteArray(reinterpret_cast<const char*>(text), size);
  xmlFree(text);
  return size > 0;
}

// Where the root element's start tag begins: past the declaration, comments, processing
// instructions and a document type; -1 when there is none.
qsizetype RootStart(const QByteArray& text) {
  qsizetype at = 0;
  while ((at = text.indexOf('<', at)) >= 0) {
    qsizetype end = -1;
    if (text.mid(at, 2) == "<?") end = text.indexOf("?>", at);
    else if (text.mid(at, 4) == "<!--") end = text.indexOf("-->", at);
    else if (text.mid(at, 2) == "<!") end = text.indexOf('>', at);
    else return at;
    if (end < 0) return -1;
    at = end + 1;
  }
  return -1;
}

// The serializer writes what stands before the root element anew (one line a node); the
// file's own prolog is kept as written, blank lines included. The signature covers none of it.
void KeepProlog(const QByteArray& original, QByteArray& signed_text) {
  const qsizetype from = RootStart(original);
  const qsizetype to = RootStart(signed_text);
  if (from < 0 || to < 0) return;
  QByteArray prolog = original.left(from);
  prolog.replace("\r\n", "\n");
  signed_text = prolog + signed_text.mid(to);
}

bool ReadRequest(const char* request, std::vector<std::string>& files) {
  if (!request) return false;
  DocPtr doc(xmlReadMemory(request, static_cast<int>(std::strlen(request)), nullptr, nullptr, kParseOptions));
  xmlNodePtr root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  // A request has no use for a DTD; refusing one keeps entities out altogether.
  if (!root || doc->intSubset || !xmlStrEqual(root->name, X("Files"))) return false;
  for (xmlNodePtr n = root->children; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE || !xmlStrEqual(n->name, X("file"))) continue;
    std::unique_ptr<xmlChar, XmlCharFree> text(xmlNodeGetContent(n));
    QString path = QString::fromUtf8(text ? reinterpret_cast<const char*>(text.get()) : "").trimmed();
    if (path.isEmpty()) return false;
    files.push_back(QFile::encodeName(path).toStdString());
  }
  return !files.empty();
}

struct SignedFile {
  std::string path;
  QByteArray text;
};

bool SignAll(const std::vector<std::string>& files) {
  XmlSecSession session;
  if (!session.ok()) return false;
  Credentials credentials = ReadCredentials();
  CertificateFacts facts;
  KeyPtr key = LoadKey(credentials, facts);
  if (!key) return false;

  // Everything is signed in memory first, so a failure on one file writes none.
  std::vector<SignedFile> signed_files;
  for (const auto& path : files) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray original = file.readAll();
    if (file.error() != QFileDevice::NoError || original.isEmpty()) return false;
    DocPtr doc(xmlReadMemory(original.constData(), static_cast<int>(original.size()), path.c_str(), nullptr,
                             kParseOptions));
    if (!doc || !SignDocument(doc.get(), key.get(), facts)) return false;
    SignedFile out{path, {}};
    if (!Serialize(doc.get(), out.text)) return false;
    KeepProlog(original, out.text);
    // The parser reads CR LF as LF; a file written with CR LF keeps them. Line ends are
    // normalised again by every reader, so the digests stay valid.
    if (original.contains("\r\n")) out.text.replace("\n", "\r\n");
    signed_files.push_back(std::move(out));
  }
  for (const auto& f : signed_files) {
    // Written aside and renamed over the original: a failed write leaves the file as it was.
    QSaveFile file(QFile::decodeName(f.path.c_str()));
    if (!file.open(QIODevice::WriteOnly) || file.write(f.text) != f.text.size() || !file.commit()) return false;
  }
  return true;
}

std::mutex g_sign_mutex;

}  // namespace

extern "C" VELMORA_SIGNER_API bool VELMORA_SIGNER_CALL SignFile(const char* request, int mode) {
  if (mode != kModeXadesEnveloped) return false;
  try {
    std::vector<std::string> files;
    if (!ReadRequest(request, files)) return false;
    // xmlsec's set-up and tear-down are process-wide.
    std::lock_guard lock(g_sign_mutex);
    return SignAll(files);
  } catch (...) {
    return false;
  }
}
