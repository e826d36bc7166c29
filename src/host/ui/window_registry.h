#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace velmora::host {

struct HostContext;

// What the window-opening operation passes on to the window it creates.
struct WindowArgs {
  int window_id = 0;
  bool flag1 = true;
  bool flag2 = true;
  quint16 option_set = 0;
  void* last = nullptr;
};

using WindowFactory = std::function<QWidget*(HostContext&, const WindowArgs&)>;

// Window classes by name, so a menu can open a window that a later package provides.
void RegisterWindowClass(const QString& class_name, WindowFactory factory);
void UnregisterWindowClass(const QString& class_name);
bool IsWindowClassRegistered(const QString& class_name);
QWidget* CreateRegisteredWindow(const QString& class_name, HostContext& ctx, const WindowArgs& args);
QStringList RegisteredWindowClasses();

}  // namespace velmora::host
