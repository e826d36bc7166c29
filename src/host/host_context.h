#pragma once

#include <QString>

namespace velmora::host {

class Clock;
class CurrentUser;
class Db;
class Dialogs;
class Options;
class TMainForm;

// The host services a window or routine of the module works with.
struct HostContext {
  Db& db;
  Options& options;
  CurrentUser& user;
  const Clock& clock;
  Dialogs& dialogs;
  QString root;                   // the application root directory
  TMainForm* main_form = nullptr; // null without a desktop (command line, tests)
};

}  // namespace velmora::host
