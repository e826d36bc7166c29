#pragma once

#include <QString>

#include <chrono>

namespace velmora::host {

class Db;

// The host's named locks ("Gwar12.$$$"), which keep users of one database apart across
// processes and workstations: a PostgreSQL advisory lock on the database's connection, a lock
// file in the directory of a SQLite database file, a lock of this process for a database in
// memory. A name is held at most once: a second try from this process fails like one from
// another. A lock held by a process that died is free again.
class NamedLock {
 public:
  explicit NamedLock(Db& db) : db_(db) {}

  // One attempt; false when the name is held by anyone.
  bool TryLock(const QString& name);
  // Up to `attempts` attempts, each failed one followed by `pause`.
  bool Lock(const QString& name, int attempts, std::chrono::milliseconds pause);
  void Unlock(const QString& name);
  // Whether this process holds the name.
  bool IsLockedHere(const QString& name) const;

  // The host's names for one attempt and the release.
  bool LockFileName(const QString& name) { return TryLock(name); }
  void UnLockFileName(const QString& name) { Unlock(name); }

 private:
  QString Key(const QString& name) const;
  qint64 ServerKey(const QString& name);

  Db& db_;
  QString schema_;  // PostgreSQL: the schema the connection works in, part of the lock's key
};

// Inside an open transaction: waits until no other transaction holds `name` this way and holds it
// to the end of this one, so check-then-insert work runs one at a time. On SQLite, where a write
// transaction already excludes every other writer, it does nothing.
void LockForTransaction(Db& db, const QString& name);

// Holds a name from construction (when it could be taken) to destruction or Release().
class NamedLockGuard {
 public:
  NamedLockGuard(Db& db, const QString& name, int attempts = 1,
                 std::chrono::milliseconds pause = std::chrono::milliseconds(0));
  ~NamedLockGuard();
  NamedLockGuard(const NamedLockGuard&) = delete;
  NamedLockGuard& operator=(const NamedLockGuard&) = delete;

  bool Locked() const { return locked_; }
  void Release();

 private:
  NamedLock lock_;
  QString name_;
  bool locked_ = false;
};

}  // namespace velmora::host
