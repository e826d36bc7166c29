// CN code lists as `taric import` reads them, broken in every way: no crash, no leak; a refused
// file stores nothing, an accepted one loaded again replaces its own codes and adds none.
#include "fuzz_world.h"
#include "host/ui/taric.h"

#include <cstdint>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  World() { host::ImportujTaric(*db, QByteArray("84713000;Laptopy;0;23\n0101;Konie;11,5;8\n")); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = fuzz::Once<World>();
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto before = fuzz::RowCounts(*w.db);
  w.db->StartTransaction();
  const host::WynikImportuTaric first = host::ImportujTaric(*w.db, bytes);
  const auto after = fuzz::RowCounts(*w.db);
  if (!first.blad.isEmpty()) {
    fuzz::Require(first.wczytano == 0 && after == before);
  } else {
    const int added = after.at(QStringLiteral("TARIC")) - before.at(QStringLiteral("TARIC"));
    fuzz::Require(added >= 0 && added <= first.wczytano);
    const host::WynikImportuTaric again = host::ImportujTaric(*w.db, bytes);
    fuzz::Require(again.blad.isEmpty() && again.wczytano == first.wczytano && fuzz::RowCounts(*w.db) == after);
  }
  w.db->Rollback();
  fuzz::Require(fuzz::RowCounts(*w.db) == before);
  return 0;
}
