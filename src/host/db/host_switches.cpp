#include "host/db/host_switches.h"

#include "host/base/host_context.h"
#include "host/db/options.h"

namespace velmora::host {

bool SiteSwitch(Options& options, const char* key) {
  return options.ReadOption(QStringLiteral("PRZELACZNIKI"), QString::fromLatin1(key), QStringLiteral("0"), OptionScope::Application)
             .trimmed() == QLatin1String("1");
}

void ReadSiteSwitches(Options& options, Switches& switches) {
  switches.FZADURODER = SiteSwitch(options, "ZADURODER");
  switches.FVW = SiteSwitch(options, "VW");
}

}  // namespace velmora::host
