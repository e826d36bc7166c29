#pragma once

namespace velmora::host {
struct HostContext;
}

namespace velmora::app {

// A few users, a register, contractors, customs offices, currencies with rates: enough to
// walk a transit through. Runs in one transaction.
void SeedDemoData(host::HostContext& ctx);

}  // namespace velmora::app
