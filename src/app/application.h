#pragma once

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/qt_dialogs.h"
#include "host/db/users.h"

#include <QLibrary>
#include <QProcess>
#include <QString>

#include <memory>

namespace velmora::host {
class TMainForm;
}

namespace velmora::app {

struct StartOptions {
  QString db_url;   // empty: the embedded database in the root
  QString root;     // empty: the user's data directory
  QString login;    // empty: ask
  QString module;   // empty: the module library beside the program
};

// The desktop application's start-up, step by step, without the event loop.
class Application {
 public:
  explicit Application(StartOptions options);
  ~Application();

  // Loads the module library and runs its Initialize; false with the reason when it fails.
  bool LoadModule(QString* error);
  // Opens the database and runs every registered schema routine; answers what was created.
  QStringList OpenDatabase();
  // Seeds the demo data on a database without users; answers whether it did.
  bool SeedDemoIfEmpty();
  // The user by login (the --user option), or through the login dialog.
  bool ChooseUser(QWidget* parent, QString* error);
  host::TMainForm* CreateMainForm();
  // In the training environment, the platform simulator shipped beside the program answers for
  // the customs office: started here when its address is on this machine, stopped with the
  // application. A platform of this root left holding the port is ended and replaced; a port
  // held by anything else is left alone. Answers whether a platform was started; *note says
  // what was found on the port.
  bool StartTrainingPlatform(QString* note = nullptr);

  host::HostContext& Context() { return *ctx_; }
  host::Db& Database() { return *db_; }
  const QString& Root() const { return options_.root; }

 private:
  StartOptions options_;
  QLibrary module_;
  std::unique_ptr<host::Db> db_;
  host::SystemClock clock_;
  host::CurrentUser user_;
  host::QtDialogs dialogs_;
  std::unique_ptr<host::TOptionsDB> host_options_;
  std::unique_ptr<host::HostContext> ctx_;
  std::unique_ptr<host::TMainForm> main_form_;
  std::unique_ptr<QProcess> platforma_;
};

}  // namespace velmora::app
