#include "host/ui/menu_creator.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <vector>

namespace velmora::host {

void MenuMerger::AddPosition(const QString& name, QObject* item) { positions_.append({name, item}); }

QObject* MenuMerger::Position(const QString& name) const {
  for (const auto& [n, item] : positions_)
    if (n == name) return item;
  return nullptr;
}

namespace {

QAction* ActionOf(QObject* item) {
  if (auto* menu = qobject_cast<QMenu*>(item)) return menu->menuAction();
  return qobject_cast<QAction*>(item);
}

// The menu holding `action`, or null when it stands in the bar itself.
QMenu* ContainerOf(QAction* action, QMenuBar* bar) {
  for (QObject* w : action->associatedObjects()) {
    if (w == bar) return nullptr;
    if (auto* m = qobject_cast<QMenu*>(w)) return m;
  }
  return nullptr;
}

}  // namespace

void MenuMerger::Link(QObject* item, const QString& position, bool beside) {
  QAction* action = ActionOf(item);
  QString placed_in;
  QObject* target = Position(position);
  QAction* target_action = target ? ActionOf(target) : nullptr;
  if (beside && target_action) {
    QMenu* container = ContainerOf(target_action, bar_);
    // Take the item out of wherever its creator put it.
    for (QObject* w : action->associatedObjects())
      if (auto* m = qobject_cast<QMenu*>(w)) m->removeAction(action);
    QWidget* host = container ? static_cast<QWidget*>(container) : static_cast<QWidget*>(bar_);
    const QList<QAction*> actions = host->actions();
    const qsizetype at = actions.indexOf(target_action);
    QAction* next = at >= 0 && at + 1 < actions.size() ? actions.at(at + 1) : nullptr;
    host->insertAction(next, action);
    placed_in = host->objectName();
  } else if (qobject_cast<QMenu*>(item)) {
    bool in_bar = false;
    for (QObject* w : action->associatedObjects()) in_bar = in_bar || w == bar_;
    if (!in_bar) bar_->insertAction(before_ ? before_->menuAction() : nullptr, action);
    placed_in = bar_->objectName();
  } else {
    QMenu* container = ContainerOf(action, bar_);
    placed_in = container ? container->objectName() : QString();
  }
  links_.append({item->objectName(), position, beside, placed_in});
}

void TCustomMenuCreator::UpdateActionVisible() {}

namespace {

std::vector<std::pair<QString, MenuCreatorFactory>>& Creators() {
  static std::vector<std::pair<QString, MenuCreatorFactory>> creators;
  return creators;
}

}  // namespace

void RegisterMenuCreator(const QString& class_name, MenuCreatorFactory factory) {
  for (auto& [name, f] : Creators())
    if (name == class_name) return;
  Creators().emplace_back(class_name, std::move(factory));
}

void UnregisterMenuCreator(const QString& class_name) {
  std::erase_if(Creators(), [&](const auto& c) { return c.first == class_name; });
}

QStringList RegisteredMenuCreators() {
  QStringList out;
  for (const auto& [name, f] : Creators()) out << name;
  return out;
}

QList<TCustomMenuCreator*> CreateMenuCreators(MenuMerger& merger) {
  QList<TCustomMenuCreator*> out;
  for (const auto& [name, factory] : Creators()) {
    TCustomMenuCreator* creator = factory(merger);
    creator->setParent(merger.Bar());
    creator->setObjectName(name);
    out << creator;
  }
  return out;
}

}  // namespace velmora::host
