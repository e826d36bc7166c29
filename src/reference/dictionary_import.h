#pragma once

#include "host/db/urzedy_celne.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmora::host {
struct HostContext;
}

namespace velmora::reference {

// What one dictionary update did.
struct ImportResult {
  QStringList imported;  // file names, as stored
  QStringList skipped;   // "file name - reason"
  bool przerwano = false;  // stopped by the clerk; the files not reached stay as they were
  std::optional<host::ZmianyUC> urzedy;  // what the folder's customs office list changed
};

// Told before each file (files done, all files); answering false stops the update there.
using PostepImportu = std::function<bool(int, int)>;

// The dictionary update: copies dictionary files from a folder into the application root's
// "Slowniki/" directory. The lookups never write there; only this command does.
class DictionaryImport {
 public:
  explicit DictionaryImport(QString root);

  // The dictionary files of a folder (KEY.xml or RDKEY.xml with a numeric key), sorted.
  static QStringList DictionaryFiles(const QString& source_dir);
  // What an update of the folder takes: its dictionary files and its customs office list.
  static QStringList UpdateFiles(const QString& source_dir);
  // The name a dictionary file is stored under: "RD" upper-case, ".xml" lower-case.
  static QString StoredName(const QString& file_name);

  // Copies every dictionary file of `source_dir` that reads as a dictionary; the others are
  // reported and left out. A root without its own directory first gets the shipped lists, so
  // that the lists not in this update still resolve once the root has a directory.
  // With a host context the folder's customs office list (customs-offices.json) also refreshes
  // the customs offices table.
  ImportResult Import(const QString& source_dir, const PostepImportu& postep = {}, host::HostContext* ctx = nullptr);
  // The text the update command shows afterwards.
  static QString Summary(const ImportResult& result);

 private:
  QString root_;
};

}  // namespace velmora::reference
