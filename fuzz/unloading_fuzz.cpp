// Unloading permissions (IE043) from the customs office, broken in every way: a new IE044 is
// built from each, with the wizard's list and GetXML; no crash, no leak, nothing thrown, nothing
// stored by an editor that refuses to open, and the IE044 written loads back to the same text.
#include "arrival/unloading_remarks.h"
#include "fuzz_world.h"

#include <cstdint>
#include <memory>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  World() {
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (5, 1, 'IE043', 11)"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, XML) values "
                            "(1, 5, 1, 'IE007', 11, '<IE007><Naglowek NrWlasny=\"N\"/></IE007>'), (2, 5, 2, 'IE043', 11, '')"));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = fuzz::Once<World>();
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  w.db->UpdateMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"), QStringLiteral("ID_TRANZYTY_POZYCJE = 2"), text);
  const auto before = fuzz::RowCounts(*w.db);
  arrival::UwagiRozladunkoweIE044 u(*w.ctx);
  const bool opened = u.SetXML({{QStringLiteral("TRANZYTY_ID"), 5}}, QString());
  w.dialogs.Clear();
  fuzz::Require(fuzz::RowCounts(*w.db) == before);
  if (!opened) return 0;
  arrival::WynikKontroliIE044 wizard(u.IE043(), u.IE044());
  u.ZmienZgodnosc(true);
  if (!wizard.Wiersze().empty()) u.DodajTowar(arrival::kRozbieznosc, wizard.Wiersze().front().poz_id, wizard.MaxPozycja(), {});
  const QString written = u.GetXML();
  arrival::UwagiRozladunkoweIE044 again(*w.ctx);
  fuzz::Require(again.SetXML({{QStringLiteral("TRANZYTY_ID"), 5}}, written) && again.GetXML() == written);
  w.dialogs.Clear();
  return 0;
}
