#pragma once

namespace velmora::host {
struct HostContext;
}

namespace velmora::lists {

// One departure (a declaration with a goods item) and one arrival (a notification) in the first
// register, made as the editors make them, so that a new user sees both lists at work.
void UtworzTranzytyDemo(host::HostContext& ctx);

}  // namespace velmora::lists
