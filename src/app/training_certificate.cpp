#include "training_certificate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <memory>

namespace velmora::app {

namespace {
struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertFree {
  void operator()(X509* c) const { X509_free(c); }
};
struct P12Free {
  void operator()(PKCS12* p) const { PKCS12_free(p); }
};
}  // namespace

QString CreateTrainingCertificate(const QString& path, const QString& holder, const QByteArray& passphrase) {
  std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_RSA_gen(2048));
  std::unique_ptr<X509, CertFree> cert(X509_new());
  if (!key || !cert) return QStringLiteral("Nie można utworzyć klucza certyfikatu szkoleniowego");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600);
  X509_set_pubkey(cert.get(), key.get());
  X509_NAME* name = X509_get_subject_name(cert.get());
  const QByteArray cn = holder.toUtf8();
  X509_NAME_add_entry_by_txt(name, "C", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("PL"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(cn.constData()), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Certyfikat szkoleniowy"), -1, -1, 0);
  X509_set_issuer_name(cert.get(), name);
  if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0) return QStringLiteral("Nie można podpisać certyfikatu szkoleniowego");

  std::unique_ptr<PKCS12, P12Free> p12(
      PKCS12_create(passphrase.constData(), "Certyfikat szkoleniowy", key.get(), cert.get(), nullptr, 0, 0, 0, 0, 0));
  if (!p12) return QStringLiteral("Nie można utworzyć magazynu certyfikatu szkoleniowego");
  unsigned char* der = nullptr;
  const int len = i2d_PKCS12(p12.get(), &der);
  if (len <= 0) return QStringLiteral("Nie można utworzyć magazynu certyfikatu szkoleniowego");
  const QByteArray bytes(reinterpret_cast<const char*>(der), len);
  OPENSSL_free(der);

  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return QStringLiteral("Nie można zapisać pliku ") + path;
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  return {};
}

}  // namespace velmora::app
