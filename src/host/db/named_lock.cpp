#include "host/db/named_lock.h"

#include "host/db/db.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora::host {

namespace {

struct Held {
  QString path;                      // lock file
  int fd = -1;                       // its descriptor, holding the flock (Unix)
  std::unique_ptr<QLockFile> file;   // elsewhere
  Db* db = nullptr;                  // PostgreSQL: the session that holds the advisory lock
  qint64 server_key = 0;
};

struct Deferred {
  Db* db;
  qint64 server_key;
};

std::mutex g_mutex;
std::map<QString, Held>& Registry() {
  static std::map<QString, Held> registry;
  return registry;
}
// Advisory locks whose release failed (a connection inside an aborted transaction); released
// at the next use of that connection.
std::vector<Deferred>& Deferreds() {
  static std::vector<Deferred> deferred;
  return deferred;
}

const QString kServerLock = QStringLiteral("select pg_try_advisory_lock(:K)");
const QString kServerUnlock = QStringLiteral("select pg_advisory_unlock(:K)");

#ifdef Q_OS_UNIX
// An flock on the file: the kernel frees it when the process ends, so a lock of a dead
// process never blocks. The file is removed at release; a holder that locked a file already
// removed sees another inode under the name and tries again.
bool AcquireFile(Held& h) {
  const QByteArray path = QFile::encodeName(h.path);
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return false;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev) {
      const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
      if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), pid.size()) < 0) {
        // The pid is only a hint for people; the lock holds without it.
      }
      h.fd = fd;
      return true;
    }
    ::close(fd);
  }
  return false;
}

void ReleaseFile(Held& h) {
  ::unlink(QFile::encodeName(h.path).constData());
  ::close(h.fd);
  h.fd = -1;
}
#else
bool AcquireFile(Held& h) {
  h.file = std::make_unique<QLockFile>(h.path);
  h.file->setStaleLockTime(0);  // only a dead holder makes a lock stale, never its age
  if (h.file->tryLock(0)) return true;
  h.file.reset();
  return false;
}

void ReleaseFile(Held& h) {
  h.file->unlock();
  h.file.reset();
}
#endif

void FlushDeferred(Db& db) {
  std::vector<Deferred> mine;
  {
    std::lock_guard<std::mutex> g(g_mutex);
    auto& all = Deferreds();
    for (auto it = all.begin(); it != all.end();) {
      if (it->db == &db) {
        mine.push_back(*it);
        it = all.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (size_t i = 0; i < mine.size(); ++i) {
    try {
      db.QueryValue(kServerUnlock, {{QStringLiteral("K"), mine[i].server_key}});
    } catch (const DbError&) {
      std::lock_guard<std::mutex> g(g_mutex);
      Deferreds().insert(Deferreds().end(), mine.begin() + static_cast<std::ptrdiff_t>(i), mine.end());
      return;
    }
  }
}

}  // namespace

QString NamedLock::Key(const QString& name) const {
  if (db_.GetEngine() == Engine::Postgres) return QStringLiteral("pg|") + db_.Url() + QLatin1Char('|') + name;
  if (db_.FilePath().isEmpty())
    return QStringLiteral("mem|") + QString::number(reinterpret_cast<quintptr>(&db_)) + QLatin1Char('|') + name;
  return QStringLiteral("file|") + QFileInfo(db_.FilePath()).absoluteDir().absoluteFilePath(name);
}

qint64 NamedLock::ServerKey(const QString& name) {
  // Schemas stand for separate databases on one server, so the schema is part of the key.
  if (schema_.isEmpty()) schema_ = db_.QueryValue(QStringLiteral("select current_schema()")).toString();
  const QByteArray digest =
      QCryptographicHash::hash((schema_ + QLatin1Char('\n') + name).toUtf8(), QCryptographicHash::Sha1);
  quint64 key = 0;
  for (int i = 0; i < 8; ++i) key = (key << 8) | static_cast<quint8>(digest[i]);
  return static_cast<qint64>(key);
}

bool NamedLock::TryLock(const QString& name) {
  const bool server = db_.GetEngine() == Engine::Postgres;
  qint64 server_key = 0;
  if (server) {
    FlushDeferred(db_);
    server_key = ServerKey(name);
  }
  const QString key = Key(name);
  std::lock_guard<std::mutex> g(g_mutex);
  auto& registry = Registry();
  if (registry.count(key)) return false;
  Held h;
  if (server) {
    if (!db_.QueryValue(kServerLock, {{QStringLiteral("K"), server_key}}).toBool()) return false;
    h.db = &db_;
    h.server_key = server_key;
  } else if (!db_.FilePath().isEmpty()) {
    h.path = QFileInfo(db_.FilePath()).absoluteDir().absoluteFilePath(name);
    if (!AcquireFile(h)) return false;
  }
  registry.emplace(key, std::move(h));
  return true;
}

bool NamedLock::Lock(const QString& name, int attempts, std::chrono::milliseconds pause) {
  for (int i = 0; i < attempts; ++i) {
    if (TryLock(name)) return true;
    if (pause.count() > 0) QThread::msleep(static_cast<unsigned long>(pause.count()));
  }
  return false;
}

void NamedLock::Unlock(const QString& name) {
  const QString key = Key(name);
  Held h;
  {
    std::lock_guard<std::mutex> g(g_mutex);
    auto it = Registry().find(key);
    if (it == Registry().end()) return;
    h = std::move(it->second);
    Registry().erase(it);
  }
  if (h.db) {
    try {
      h.db->QueryValue(kServerUnlock, {{QStringLiteral("K"), h.server_key}});
    } catch (const DbError&) {
      std::lock_guard<std::mutex> g(g_mutex);
      Deferreds().push_back({h.db, h.server_key});
    }
  } else if (!h.path.isEmpty()) {
    ReleaseFile(h);
  }
}

bool NamedLock::IsLockedHere(const QString& name) const {
  const QString key = Key(name);
  std::lock_guard<std::mutex> g(g_mutex);
  return Registry().count(key) > 0;
}

NamedLockGuard::NamedLockGuard(Db& db, const QString& name, int attempts, std::chrono::milliseconds pause)
    : lock_(db), name_(name) {
  locked_ = lock_.Lock(name_, attempts, pause);
}

NamedLockGuard::~NamedLockGuard() { Release(); }

void NamedLockGuard::Release() {
  if (!locked_) return;
  locked_ = false;
  lock_.Unlock(name_);
}

void LockForTransaction(Db& db, const QString& name) {
  if (db.GetEngine() != Engine::Postgres || !db.InTransaction()) return;
  db.QueryValue(QStringLiteral("select pg_advisory_xact_lock(hashtext(current_schema() || :N))"), {{QStringLiteral("N"), name}});
}

}  // namespace velmora::host
