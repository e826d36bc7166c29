#pragma once

namespace velmora::host {

class Options;

// The options of the running process, for libraries loaded at run time that have no
// HostContext to take them from (the signer). Null until the application sets them.
void SetProcessOptions(Options* options);
Options* ProcessOptions();

}  // namespace velmora::host
