// Incoming documents as the customs side might send them, broken in every way: the load
// must not crash or leak, and afterwards the database holds what it held or one new message.
#include "exchange/incoming.h"
#include "fuzz_world.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  World() {
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, MRN) values (1, 0, 'IE015', '24PL322010NS0001A7')"));
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, MRN) values (2, 1, 'IE007', '24PL322010NS0001A7')"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, NR_WLASNY) values (1, 1, 1, 'IE015', '24IE0150000010')"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, NR_WLASNY) values (2, 2, 1, 'IE007', '24IE0070000050')"));
    db->DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    db->DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
  }
  int Messages() { return db->GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE")); }
};

World& W() {
  static World* w = new World;  // lives for the whole run
  return *w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = W();
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const int before = w.Messages();
  // The outer transaction keeps the database the same for every input.
  w.db->StartTransaction();
  try {
    exchange::WczytajKomunikat(*w.ctx, text);
  } catch (const std::exception&) {
  }
  const int after = w.Messages();
  w.db->Rollback();
  w.dialogs.Clear();
  if (after != before && after != before + 1) std::abort();
  if (w.Messages() != before) std::abort();
  return 0;
}
