#include "host/ui/window_registry.h"

#include <QHash>

namespace velmora::host {

namespace {

QHash<QString, WindowFactory>& Registry() {
  static QHash<QString, WindowFactory> registry;
  return registry;
}

}  // namespace

void RegisterWindowClass(const QString& class_name, WindowFactory factory) { Registry().insert(class_name, std::move(factory)); }
void UnregisterWindowClass(const QString& class_name) { Registry().remove(class_name); }
bool IsWindowClassRegistered(const QString& class_name) { return Registry().contains(class_name); }

QWidget* CreateRegisteredWindow(const QString& class_name, HostContext& ctx, const WindowArgs& args) {
  auto it = Registry().find(class_name);
  return it == Registry().end() ? nullptr : it.value()(ctx, args);
}

QStringList RegisteredWindowClasses() { return Registry().keys(); }

}  // namespace velmora::host
