#pragma once

#include "menu_creator.h"
#include "window_registry.h"

#include <QMainWindow>

#include <memory>

class QMdiArea;
class QMdiSubWindow;

namespace velmora::host {

struct HostContext;

// The host's main window: child windows live in an MDI area; menus are the host's own
// merged with those of the loaded packages.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm(HostContext& ctx);
  ~TMainForm() override;

  // The window-opening operation: a new child of the class, or the open one (same class
  // and window id) brought forward. An unknown class is reported in an information box.
  QWidget* OpenWindow(const QString& class_name, int window_id, bool flag1, bool flag2, quint16 option_set,
                      void* last = nullptr);
  // Builds the host menu and the menus of every registered menu creator.
  void BuildMenus();

  QMdiArea* Mdi() const { return mdi_; }
  MenuMerger& Merger() { return *merger_; }
  const QList<TCustomMenuCreator*>& MenuCreators() const { return creators_; }
  QList<QWidget*> OpenWindows() const;

 private:
  QMenu* AddHostMenu(const QString& name, const QString& caption);
  QAction* AddHostItem(QMenu* menu, const QString& name, const QString& caption, const QString& window_class);

  HostContext& ctx_;
  QMdiArea* mdi_;
  std::unique_ptr<MenuMerger> merger_;
  QList<TCustomMenuCreator*> creators_;
};

}  // namespace velmora::host
