#include "host_switches.h"

#include "options.h"

namespace velmora::host {

bool FVAT_AUDYT = false;
bool FZADURODER = false;
bool FVW = false;

bool SiteSwitch(Options& options, const char* key) {
  return options.ReadOption(QStringLiteral("PRZELACZNIKI"), QString::fromLatin1(key), QStringLiteral("0"), OptionScope::Application)
             .trimmed() == QLatin1String("1");
}

}  // namespace velmora::host
