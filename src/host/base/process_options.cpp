#include "host/base/process_options.h"

#include <QHash>

#include <mutex>

#include <atomic>

namespace velmora::host {

namespace {
std::atomic<Options*> g_process_options{nullptr};
}

void SetProcessOptions(Options* options) { g_process_options.store(options); }

Options* ProcessOptions() { return g_process_options.load(); }

}  // namespace velmora::host

namespace velmora::host {

namespace {
HostContext* g_context = nullptr;
std::mutex g_stores_mutex;
QHash<QByteArray, QByteArray> g_stores;
}  // namespace

void SetProcessContext(HostContext* ctx) { g_context = ctx; }
HostContext* ProcessContext() { return g_context; }

QByteArray UnlockedKeyStore(const QByteArray& fingerprint) {
  std::lock_guard lock(g_stores_mutex);
  return g_stores.value(fingerprint);
}

void KeepUnlockedKeyStore(const QByteArray& fingerprint, const QByteArray& store) {
  std::lock_guard lock(g_stores_mutex);
  g_stores.insert(fingerprint, store);
}

}  // namespace velmora::host
