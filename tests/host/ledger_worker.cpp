// A second workstation for the concurrency tests: opens the database by URL and works on it
// until done; exit status 0 when every operation went through.
//   ledger_worker hold URL NAME             takes the named lock, says "locked", waits to be killed
//   ledger_worker debit URL GWAR COUNT KWOTA   COUNT debits of the older register
//   ledger_worker ledger URL GWAR COUNT KWOTA  COUNT debits of the guarantee ledger
//   ledger_worker approve URL ID,ID,...        approves the register entries, silently
#include "host/db/guarantee_accounting.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/db/options.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/users.h"
#include "reference/register_entry.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QThread>

#include <cstdio>

using namespace velmora;

namespace {

// Refusals that only say someone else is at work: the operation is tried again.
bool Busy(const QString& text) {
  return text.contains(QStringLiteral("inny użytkownik")) || text.contains(QStringLiteral("innego użytkownika"));
}

int Fail(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 4) return Fail(QStringLiteral("usage: ledger_worker MODE URL ARGS..."));
  const QString mode = args[1];
  auto db = host::Db::Open(args[2]);

  if (mode == QLatin1String("hold")) {
    host::NamedLock lock(*db);
    if (!lock.TryLock(args[3])) return Fail(QStringLiteral("lock taken"));
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    for (;;) QThread::sleep(1);
  }

  host::SystemClock clock;
  host::CurrentUser user(host::TUser(1, QStringLiteral("worker"), QStringLiteral("Stanowisko ") +
                                                                     QString::number(QCoreApplication::applicationPid()),
                                     QString(), false, false, false));
  host::TOptionsDB options(*db, user);
  host::ScriptedDialogs dialogs;
  host::HostContext ctx{*db, options, user, clock, dialogs, QString()};

  if (mode == QLatin1String("debit") || mode == QLatin1String("ledger")) {
    const int gwar = args[3].toInt();
    const int count = args.value(4).toInt();
    const double kwota = args.value(5).toDouble();
    for (int i = 0; i < count;) {
      QString message;
      if (mode == QLatin1String("debit")) {
        host::Gwar_Obciazenie(ctx, kwota, gwar, message, QStringLiteral("PU"), true, i, i, QStringLiteral("W"),
                                   clock.Now(), nullptr, QString(), QDateTime(), true);
      } else {
        host::TWpisGwarancja wpis;
        wpis.data = clock.Today();
        wpis.czas = clock.Now().time();
        wpis.kwota = kwota;
        wpis.obj_rodzaj = QStringLiteral("NCTS");
        wpis.gwarancja_id = gwar;
        host::TGwarancjePozycjeBox::DodajWpis(*db, wpis, message);
      }
      if (message.isEmpty())
        ++i;
      else if (!Busy(message))
        return Fail(message);
    }
    return 0;
  }

  if (mode == QLatin1String("approve")) {
    for (const QString& id : args[3].split(QLatin1Char(','))) {
      for (int attempt = 0;; ++attempt) {
        QStringList log;
        if (reference::ZatwierdzWpisIM(ctx, id.toInt(), 1, true, &log, nullptr, false)) break;
        if (attempt > 500 || !Busy(log.join(QLatin1Char('\n')))) return Fail(log.join(QLatin1Char('\n')));
        QThread::msleep(5);
      }
    }
    return 0;
  }
  return Fail(QStringLiteral("unknown mode ") + mode);
}
