#pragma once

namespace velmora::host {

// The host's switch for VAT audit mode, set from the active simplified-procedure register.
extern bool FVAT_AUDYT;

}  // namespace velmora::host
