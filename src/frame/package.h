#pragma once

namespace velmora::frame {

// Loading and unloading the module: registrations with the host run once per load,
// however often Initialize is called; Finalize undoes them and releases the shared state.
void Initialize();
void Finalize();
int InitializationCount();

}  // namespace velmora::frame
