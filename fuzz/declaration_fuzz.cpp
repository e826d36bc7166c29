// Declarations from other systems, broken in every way: the import's checks and the editor's
// load, checks and GetXML must not crash or leak, and what loads must load again unchanged.
#include "departure/declaration_editor.h"
#include "frame/package.h"
#include "host/clock.h"
#include "host/db.h"
#include "host/host_context.h"
#include "host/options.h"
#include "host/scripted_dialogs.h"
#include "host/tools_db.h"
#include "host/users.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace velmora;

namespace {

struct World {
  int argc = 1;
  char name[8] = "fuzz";
  char* argv[2] = {name, nullptr};
  QCoreApplication app{argc, argv};
  QTemporaryDir root;
  std::unique_ptr<host::Db> db;
  host::FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(8, 0))};
  host::CurrentUser user;
  host::ScriptedDialogs dialogs;
  std::unique_ptr<host::TOptionsDB> options;
  std::unique_ptr<host::HostContext> ctx;

  World() {
    frame::Initialize();
    db = host::Db::Open(QStringLiteral("sqlite::memory:"));
    host::CheckChangeDB(*db);
    options = std::make_unique<host::TOptionsDB>(*db, user);
    ctx.reset(new host::HostContext{*db, *options, user, clock, dialogs, root.path(), nullptr});
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
