#pragma once

#include <QString>

namespace velmora::host {

class Clock;
class CurrentUser;
class Db;
class Dialogs;
class Options;
class TMainForm;

// The host's switches: FZADURODER (register entries checked and approved from the transit
// messages), FVW (End-Use charges of a SAD); FVAT_AUDYT mirrors the active simplified-procedure
// register's VAT_AUDYT for the host's other packages. The module's own (FKAEM, FPRATT) are
// its exported variables.
struct Switches {
  bool FZADURODER = false;
  bool FVW = false;
  bool FVAT_AUDYT = false;
};

// The host services a window or routine of the module works with.
struct HostContext {
  Db& db;
  Options& options;
  CurrentUser& user;
  const Clock& clock;
  Dialogs& dialogs;
  QString root;                   // the application root directory
  TMainForm* main_form = nullptr; // null without a desktop (command line, tests)
  Switches switches{};
};

}  // namespace velmora::host
