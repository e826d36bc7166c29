#pragma once

// What every fuzz target runs on: an application object, an in-memory database with the
// module's tables, and the host services over it. One per process, never freed.
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "bench_host.h"

#include <QCoreApplication>

#include <cstdlib>
#include <map>

namespace velmora::fuzz {

// Qt's application object, made before anything opens a database.
struct FuzzApp {
  int argc = 1;
  char name[8] = "fuzz";
  char* argv[2] = {name, nullptr};
  QCoreApplication app{argc, argv};
};

// The benchmarks' host over an in-memory database; its directory is the application root.
struct FuzzWorld : FuzzApp, bench::BenchHost {
  FuzzWorld() : BenchHost(QStringLiteral("sqlite::memory:")) {}

  // A departure transit and an arrival transit, each with its first message, that the
  // sample answers refer to by MRN and own number.
  void AddTransits() {
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, MRN) values (1, 0, 'IE015', '24PL322010NS0001A7')"));
    db->Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, MRN) values (2, 1, 'IE007', '24PL322010NS0001A7')"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, NR_WLASNY) values (1, 1, 1, 'IE015', '24IE0150000010')"));
    db->Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, NR_WLASNY) values (2, 2, 1, 'IE007', '24IE0070000050')"));
    db->DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    db->DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
  }
};

// The target's world, made on the first input and kept for the whole run.
template <class World>
World& Once() {
  static World* w = new World;
  return *w;
}

// The rows of every table, by table: what "nothing stored" is checked against.
inline std::map<QString, int> RowCounts(host::Db& db) {
  std::map<QString, int> counts;
  for (const host::Row& t : db.QueryAll(QStringLiteral("select name from sqlite_master where type = 'table'")))
    counts[t.Str(QStringLiteral("name"))] = db.GetCountFieldVal(t.Str(QStringLiteral("name")));
  return counts;
}

// A broken invariant is a finding like a crash: abort so that libFuzzer keeps the input.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace velmora::fuzz
