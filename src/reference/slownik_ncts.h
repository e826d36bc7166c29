#pragma once

#include "host/base/plugin_paths.h"
#include "slownik_table.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace velmora::host {
class Dialogs;
}

namespace velmora::reference {

// A dictionary as the cache keeps it: its entry table and the caption of its pick list.
struct LoadedSlownik {
  QString title;
  std::shared_ptr<const SlownikTable> table;
};

// The dictionaries loaded in this process, by key text; keys compare without regard to case.
// Used from the user-interface thread only.
class SlownikCache {
 public:
  static SlownikCache& Instance();
  const LoadedSlownik* Find(const QString& key_text) const;
  void Add(const QString& key_text, LoadedSlownik loaded);
  qsizetype Count() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

 private:
  QHash<QString, LoadedSlownik> entries_;
};

// Empties the cache; the module calls it when it is unloaded.
void ReleaseSlownikCache();

// The dictionary directory of an application root: its "Slowniki/" when it has one, else the
// lists shipped beside the program (the "Slowniki/" next to its bin/ directory), so a fresh
// root works before the first dictionary update.
QString SlownikiDir(const QString& root);
using host::ShippedSlownikiDir;
// The file names tried for a key, in order: KEY.xml, RDKEY.xml, 0KEY.xml, RD0KEY.xml.
QStringList SlownikFileNames(const QString& dir, const QString& key);

// Reads a dictionary file into a new entry table. Throws the XML model's error on a file that
// cannot be read or parsed.
LoadedSlownik ReadSlownikFile(const QString& file_name, const QString& key);

// The lookups the editors make: load through the cache, then the two-step code search.
// Failures to load are reported through the message boxes and answer "not found".
class SlownikNCTS {
 public:
  SlownikNCTS(host::Dialogs& dialogs, QString root);

  // Called with true before a file is read and with false after, for an hourglass.
  void SetBusyHook(std::function<void(bool)> busy) { busy_ = std::move(busy); }

  // Makes the key's table and title current, from the cache or from its file.
  bool LoadSlownik(const QVariant& key);
  const SlownikTable& Table() const { return *table_; }
  const QString& Title() const { return title_; }

  bool JestKod(const QVariant& key, const QString& code);
  QString GetOpis(const QVariant& key, const QString& code);

  static bool IsLoaded(const QVariant& key);

 private:
  host::Dialogs& dialogs_;
  QString root_;
  std::function<void(bool)> busy_;
  std::shared_ptr<const SlownikTable> table_;
  QString title_;
};

}  // namespace velmora::reference
