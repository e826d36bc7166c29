// Declarations from other systems, broken in every way: the import's checks and the editor's
// load, checks and GetXML must not crash or leak, and what loads must load again unchanged.
#include "departure/declaration_editor.h"
#include "fuzz_world.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  World() {
    db->Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'R', 0, 'T1')"));
  }
};

World& W() {
  static World* w = new World;  // lives for the whole run
  return *w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = W();
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  if (!departure::SprawdzImportowanyTekst(text).isEmpty()) return 0;
  departure::DeklaracjaIE015 d(*w.ctx);
  d.UstawRejestr(1);
  if (!d.SetXML(text, true).isEmpty()) return 0;
  d.Sprawdz([](int, const QString&) { return true; });
  const QString first = d.GetXML();
  departure::DeklaracjaIE015 again(*w.ctx);
  again.UstawRejestr(1);
  again.SetXML(first, true);
  if (again.GetXML() != first) std::abort();
  return 0;
}
