// Incoming documents as the customs side might send them, broken in every way: the load
// must not crash or leak; a refused document stores nothing, an applied one stores at most one
// message and, unless it is a receipt, is refused as already loaded when it comes again.
#include "exchange/incoming.h"
#include "fuzz_world.h"

#include <cstdint>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  World() { AddTransits(); }
};

// The log line, or empty when the document raised (it is no XML).
QString Load(World& w, const QString& text) {
  try {
    return exchange::WczytajKomunikat(*w.ctx, text);
  } catch (const std::exception&) {
    return {};
  }
}

bool Applied(const QString& line) { return line.startsWith(QStringLiteral("Wczytano")); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = fuzz::Once<World>();
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto before = fuzz::RowCounts(*w.db);
  // The outer transaction keeps the database the same for every input.
  w.db->StartTransaction();
  const QString line = Load(w, text);
  const auto after = fuzz::RowCounts(*w.db);
  if (Applied(line)) {
    // A receipt (UPO) marks the message it confirms; every other answer is a new message.
    const int added = after.at(QStringLiteral("TRANZYTY_POZYCJE")) - before.at(QStringLiteral("TRANZYTY_POZYCJE"));
    fuzz::Require(added == 0 || added == 1);
    // A receipt may come twice and is stored twice; no other answer may.
    const QString typ = w.db->QueryValue(QStringLiteral("select TYP from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = "
                                                       "(select max(ID_TRANZYTY_POZYCJE) from TRANZYTY_POZYCJE)")).toString();
    if (added == 1 && typ.trimmed() != QLatin1String("UPO")) {
      fuzz::Require(!Applied(Load(w, text)));
      fuzz::Require(fuzz::RowCounts(*w.db) == after);
    }
  } else {
    fuzz::Require(after == before);
  }
  w.db->Rollback();
  w.dialogs.Clear();
  fuzz::Require(fuzz::RowCounts(*w.db) == before);
  return 0;
}
