#pragma once

namespace velmora::host {

class Options;

// The host's switch for VAT audit mode, set from the active simplified-procedure register.
extern bool FVAT_AUDYT;
// Site switches of the host: simplified-procedure register entries are checked and approved from
// the transit messages (FZADURODER); SAD documents carry End-Use charges (FVW).
extern bool FZADURODER;
extern bool FVW;

// A site switch as the options hold it (section PRZELACZNIKI, "1" = on); read at start.
bool SiteSwitch(Options& options, const char* key);

}  // namespace velmora::host
