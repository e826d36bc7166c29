#pragma once

// What every fuzz target runs on: an application object, an in-memory database with the
// module's tables, and the host services over it. One per process, never freed.
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

#include <memory>

namespace velmora::fuzz {

struct FuzzWorld {
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

  FuzzWorld() {
    frame::Initialize();
    db = host::Db::Open(QStringLiteral("sqlite::memory:"));
    host::CheckChangeDB(*db);
    options = std::make_unique<host::TOptionsDB>(*db, user);
    ctx.reset(new host::HostContext{*db, *options, user, clock, dialogs, root.path(), nullptr});
  }
};

}  // namespace velmora::fuzz
