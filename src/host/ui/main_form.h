#pragma once

#include "host/ui/menu_creator.h"
#include "host/ui/window_registry.h"

#include <QMainWindow>

#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QLabel;

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

  // Shows the window as the user left it: the windows that were open, their sizes and places.
  // The first start of a user opens maximised, with the command the packages start with.
  void RestoreSession();
  // Kept per user under this window's class name; done when the window closes.
  void SaveSession();
  // The user, the database and the platform environment, as the status bar shows them now.
  void UpdateStatusBar();
  // Moves and shrinks a child window until it lies wholly in the visible area.
  void FitInside(QMdiSubWindow* sub) const;

  QMdiArea* Mdi() const { return mdi_; }
  MenuMerger& Merger() { return *merger_; }
  const QList<TCustomMenuCreator*>& MenuCreators() const { return creators_; }
  QList<QWidget*> OpenWindows() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMenu* AddHostMenu(const QString& name, const QString& caption);
  QAction* AddHostItem(QMenu* menu, const QString& name, const QString& caption, const QString& window_class);

  HostContext& ctx_;
  QMdiArea* mdi_;
  QLabel* lbl_uzytkownik_;
  QLabel* lbl_baza_;
  QLabel* lbl_srodowisko_;
  std::unique_ptr<MenuMerger> merger_;
  QList<TCustomMenuCreator*> creators_;
};

}  // namespace velmora::host
