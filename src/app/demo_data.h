#pragma once

namespace velmora::host {
struct HostContext;
}

namespace velmora::app {

// A few users, a register, contractors, currencies with rates: enough to walk a transit
// through (the customs offices are the real list's). Runs in one transaction.
void SeedDemoData(host::HostContext& ctx);

}  // namespace velmora::app
