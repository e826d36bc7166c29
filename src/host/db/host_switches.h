#pragma once

namespace velmora::host {

class Options;
struct Switches;

// A site switch the options hold (section PRZELACZNIKI, "1" = on), read at start.
bool SiteSwitch(Options& options, const char* key);

// The host's: ZADURODER into FZADURODER. The others stay as they are.
void ReadSiteSwitches(Options& options, Switches& switches);

}  // namespace velmora::host
