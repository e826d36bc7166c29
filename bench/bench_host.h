#pragma once

// The host the benchmarks (and the fuzz targets) set up: no Google Benchmark in here, so that
// a program without it may use it too.
#include "module/registrations.h"
#include "host/host_schema.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"

#include <QTemporaryDir>

#include <memory>

namespace velmora::bench {

// What a benchmark's logic runs on: a database with the module's tables in a temporary
// directory (that directory is the application root), a fixed clock and the host services.
struct BenchHost {
  QTemporaryDir dir;
  std::unique_ptr<host::Db> db;
  host::FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(8, 0))};
  host::CurrentUser user;
  host::ScriptedDialogs dialogs;
  std::unique_ptr<host::TOptionsDB> options;
  std::unique_ptr<host::HostContext> ctx;

  // `url` empty: an SQLite file in the directory.
  explicit BenchHost(QString url = {}) {
    module::Initialize();
    if (url.isEmpty()) url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db"));
    db = host::Db::Open(url);
    host::CheckChangeDB(*db);
    options = std::make_unique<host::TOptionsDB>(*db, user);
    ctx.reset(new host::HostContext{*db, *options, user, clock, dialogs, dir.path(), nullptr});
  }
};

}  // namespace velmora::bench
