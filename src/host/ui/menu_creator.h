#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;

namespace velmora::host {

struct HostContext;
class TCustomMenuCreator;

// Places the menus of the packages into the main window's menu bar. The host's own menu
// items carry position names ("blbKontrahenci"); a package links its items to positions.
class MenuMerger {
 public:
  MenuMerger(QMenuBar* bar, HostContext& ctx) : bar_(bar), ctx_(ctx) {}
  QMenuBar* Bar() const { return bar_; }
  HostContext& Context() const { return ctx_; }
  // The host's own menus and items register their positions.
  void AddPosition(const QString& name, QObject* menu_or_action);
  QObject* Position(const QString& name) const;
  // A top-level menu of a package goes before the host's "Okno" menu.
  void SetPackageMenusBefore(QMenu* menu) { before_ = menu; }

  // Links `item` (a QMenu or a QAction) to a position. With `beside` the item is put right
  // after the position's item in the same menu; otherwise, or when the position is unknown,
  // a menu becomes a top-level menu and an action stays where its creator put it.
  void Link(QObject* item, const QString& position, bool beside);
  struct LinkRecord {
    QString item;
    QString position;
    bool beside;
    QString placed_in;  // object name of the container the item ended up in
  };
  const QList<LinkRecord>& Links() const { return links_; }

 private:
  QMenuBar* bar_;
  HostContext& ctx_;
  QMenu* before_ = nullptr;
  QList<QPair<QString, QObject*>> positions_;
  QList<LinkRecord> links_;
};

// Base of a package's menu creator: it builds its menus and links them into the host's bar.
class TCustomMenuCreator : public QObject {
  Q_OBJECT
 public:
  explicit TCustomMenuCreator(MenuMerger& merger) : merger_(merger) {}
  virtual void UpdateActionVisible();
  // The command a user's first start opens, so there is a place to begin; none by default.
  virtual QAction* StartAction() const { return nullptr; }
  MenuMerger& Merger() const { return merger_; }

 protected:
  void RegisterItemLinkPos(QObject* item, const QString& position, bool beside) { merger_.Link(item, position, beside); }

 private:
  MenuMerger& merger_;
};

using MenuCreatorFactory = std::function<TCustomMenuCreator*(MenuMerger&)>;

void RegisterMenuCreator(const QString& class_name, MenuCreatorFactory factory);
void UnregisterMenuCreator(const QString& class_name);
QStringList RegisteredMenuCreators();
// Creates every registered menu creator (owned by the bar).
QList<TCustomMenuCreator*> CreateMenuCreators(MenuMerger& merger);

}  // namespace velmora::host
