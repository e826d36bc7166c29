#include "host_switches.h"

namespace velmora::host {

bool FVAT_AUDYT = false;
bool FZADURODER = false;
bool FVW = false;

}  // namespace velmora::host
