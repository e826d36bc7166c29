// A folder with one file, read as the dictionary update reads it (`dict update`, the window's
// "Aktualizacja słowników"): a dictionary file, or the customs office list, as given by
// VELMORA_FUZZ_FILE. No crash, no leak; a refused file changes neither the root's dictionaries
// nor the database; an accepted dictionary is stored byte for byte, and an accepted office list
// applied once more changes nothing (the table reads back as the list says).
#include "fuzz_world.h"
#include "host/db/urzedy_celne.h"
#include "reference/dictionary_import.h"

#include <QDir>
#include <QFile>

#include <cstdint>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  QTemporaryDir folder;
  QString file = folder.filePath(QStringLiteral(VELMORA_FUZZ_FILE));
  QString stored = QDir(dir.path()).filePath(QStringLiteral("Slowniki/") + reference::DictionaryImport::StoredName(QStringLiteral(VELMORA_FUZZ_FILE)));
  // A root with its own directory already: the first update would copy the shipped lists in.
  World() { QDir(dir.path()).mkpath(QStringLiteral("Slowniki")); }
};

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = fuzz::Once<World>();
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  {
    QFile f(w.file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
  }
  const QByteArray stored_before = Read(w.stored);
  const auto before = fuzz::RowCounts(*w.db);
  w.db->StartTransaction();
  const reference::ImportResult result = reference::DictionaryImport(w.dir.path()).Import(w.folder.path(), {}, w.ctx.get());
  const bool accepted = result.skipped.isEmpty();
  fuzz::Require(accepted != result.imported.isEmpty());
  if (!accepted) fuzz::Require(fuzz::RowCounts(*w.db) == before && Read(w.stored) == stored_before);
  if (accepted && result.urzedy) {
    fuzz::Require(host::UrzedyCelne(*w.ctx).Aktualizuj(host::ParseWykazUC(bytes)).Puste());
  } else if (accepted) {
    fuzz::Require(Read(w.stored) == bytes);
  }
  w.db->Rollback();
  w.dialogs.Clear();
  fuzz::Require(fuzz::RowCounts(*w.db) == before);
  return 0;
}
