#include "host/db/secret_store.h"

#include "host/db/options_catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace velmora::host {

namespace {

constexpr int kKeySize = 32;
constexpr int kIvSize = 12;
constexpr int kTagSize = 16;
const QString kMark = QStringLiteral("aes1:");

[[noreturn]] void Fail(const QString& text) { throw std::runtime_error(text.toStdString()); }

QByteArray RandomBytes(int n) {
  QByteArray out(n, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), n) != 1) Fail(QStringLiteral("Brak liczb losowych do szyfrowania haseł"));
  return out;
}

QByteArray ReadKey(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray key = f.read(kKeySize + 1);
  if (key.size() != kKeySize) Fail(QStringLiteral("Plik klucza %1 jest uszkodzony").arg(path));
  return key;
}

// Written aside and linked into place, so two programs starting together end with one key.
QByteArray CreateKey(const QString& path) {
  const QString dir = QFileInfo(path).absolutePath();
  if (!MakePrivateDir(dir)) Fail(QStringLiteral("Nie można utworzyć katalogu ") + dir);
  const QByteArray key = RandomBytes(kKeySize);
  const QByteArray target = QFile::encodeName(path);
  const QByteArray temp = target + '.' + QByteArray::number(static_cast<qint64>(getpid()));
  const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) Fail(QStringLiteral("Nie można utworzyć pliku klucza ") + path);
  const bool written = ::write(fd, key.constData(), kKeySize) == kKeySize && ::fsync(fd) == 0;
  ::close(fd);
  const bool linked = written && ::link(temp.constData(), target.constData()) == 0;
  const int link_error = errno;
  ::unlink(temp.constData());
  if (linked) return key;
  if (written && link_error == EEXIST) return ReadKey(path);
  Fail(QStringLiteral("Nie można zapisać pliku klucza ") + path);
}

QByteArray MachineKey() {
  static std::mutex mutex;
  static QString loaded_path;
  static QByteArray loaded;
  const std::lock_guard<std::mutex> lock(mutex);
  const QString path = MachineKeyPath();
  if (path != loaded_path || loaded.isEmpty()) {
    QByteArray key = ReadKey(path);
    if (key.isEmpty()) key = CreateKey(path);
    loaded = key;
    loaded_path = path;
  }
  return loaded;
}

struct CipherFree {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using Cipher = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

const unsigned char* U(const QByteArray& b) { return reinterpret_cast<const unsigned char*>(b.constData()); }
unsigned char* U(QByteArray& b) { return reinterpret_cast<unsigned char*>(b.data()); }

}  // namespace

QString MachineKeyPath() {
  // One key for the desktop program and the command line, whatever each is called.
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("velmora/klucz"));
}

bool IsSealed(const QString& stored) { return stored.startsWith(kMark); }

QString SealSecret(const QString& clear) {
  if (clear.isEmpty()) return clear;
  const QByteArray key = MachineKey(), iv = RandomBytes(kIvSize), plain = clear.toUtf8();
  QByteArray sealed(plain.size(), '\0'), tag(kTagSize, '\0');
  Cipher c(EVP_CIPHER_CTX_new());
  int n = 0, tail = 0;
  if (!c || EVP_EncryptInit_ex(c.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
      EVP_CIPHER_CTX_ctrl(c.get(), EVP_CTRL_GCM_SET_IVLEN, kIvSize, nullptr) != 1 ||
      EVP_EncryptInit_ex(c.get(), nullptr, nullptr, U(key), U(iv)) != 1 ||
      EVP_EncryptUpdate(c.get(), U(sealed), &n, U(plain), static_cast<int>(plain.size())) != 1 ||
      EVP_EncryptFinal_ex(c.get(), U(sealed) + n, &tail) != 1 ||
      EVP_CIPHER_CTX_ctrl(c.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data()) != 1)
    Fail(QStringLiteral("Nie można zaszyfrować hasła"));
  return kMark + QString::fromLatin1((iv + tag + sealed).toBase64());
}

QString OpenSecret(const QString& stored) {
  if (!IsSealed(stored)) return stored;
  const QByteArray all = QByteArray::fromBase64(stored.mid(kMark.size()).toLatin1());
  if (all.size() < kIvSize + kTagSize) return {};
  const QByteArray key = MachineKey(), iv = all.left(kIvSize), tag = all.mid(kIvSize, kTagSize),
                   sealed = all.mid(kIvSize + kTagSize);
  QByteArray plain(sealed.size(), '\0');
  Cipher c(EVP_CIPHER_CTX_new());
  int n = 0, tail = 0;
  QByteArray tag_copy = tag;
  if (!c || EVP_DecryptInit_ex(c.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
      EVP_CIPHER_CTX_ctrl(c.get(), EVP_CTRL_GCM_SET_IVLEN, kIvSize, nullptr) != 1 ||
      EVP_DecryptInit_ex(c.get(), nullptr, nullptr, U(key), U(iv)) != 1 ||
      EVP_DecryptUpdate(c.get(), U(plain), &n, U(sealed), static_cast<int>(sealed.size())) != 1 ||
      EVP_CIPHER_CTX_ctrl(c.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag_copy.data()) != 1 ||
      EVP_DecryptFinal_ex(c.get(), U(plain) + n, &tail) != 1) {
    // Sealed on another computer or altered: the password has to be typed again.
    qWarning("Nie można odczytać zaszyfrowanego hasła kluczem tego komputera; wpisz hasło ponownie.");
    return {};
  }
  return QString::fromUtf8(plain);
}

bool IsSecretOption(const QString& section, const QString& key) {
  for (const OptionKey& k : OptionsCatalogue())
    if (k.secret && k.section.compare(section, Qt::CaseInsensitive) == 0 && k.key.compare(key, Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

bool MakePrivateDir(const QString& path) {
  if (QFileInfo(path).isDir()) return true;
  if (!QDir().mkpath(path)) return false;
  return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace velmora::host
