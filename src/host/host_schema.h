#pragma once

namespace velmora::host {

class TToolsDB;

// The host's own tables: users, options, the simplified-procedure registers.
void HostSchema(TToolsDB& tools);

}  // namespace velmora::host
