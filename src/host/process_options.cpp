#include "process_options.h"

#include <atomic>

namespace velmora::host {

namespace {
std::atomic<Options*> g_process_options{nullptr};
}

void SetProcessOptions(Options* options) { g_process_options.store(options); }

Options* ProcessOptions() { return g_process_options.load(); }

}  // namespace velmora::host
