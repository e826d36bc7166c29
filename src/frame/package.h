#pragma once

#include <functional>

namespace velmora::host {
struct ReceivedMail;
}

namespace velmora::frame {

// Loading and unloading the module: registrations with the host run once per load,
// however often Initialize is called; Finalize undoes them and releases the shared state.
void Initialize();
void Finalize();
int InitializationCount();

// What the registered mail processing routine does with a mail the host received; without
// one set no mail is taken.
void UstawPrzetwarzaniePoczty(std::function<bool(const host::ReceivedMail&)> routine);

}  // namespace velmora::frame
