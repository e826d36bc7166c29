#pragma once

namespace velmora::host {

// The host's switch for VAT audit mode, set from the active simplified-procedure register.
extern bool FVAT_AUDYT;
// Site switches of the host: simplified-procedure register entries are checked and approved from
// the transit messages (FZADURODER); SAD documents carry End-Use charges (FVW).
extern bool FZADURODER;
extern bool FVW;

}  // namespace velmora::host
