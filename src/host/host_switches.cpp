#include "host_switches.h"

namespace velmora::host {

bool FVAT_AUDYT = false;

}  // namespace velmora::host
