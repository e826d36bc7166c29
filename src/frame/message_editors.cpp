#include "message_editors.h"


#include <QHash>

namespace velmora::frame {

namespace {

QHash<QString, MessageEditorFactory>& Editors() {
  static QHash<QString, MessageEditorFactory> editors;
  return editors;
}

}  // namespace

void RegisterMessageEditor(const QString& typ, MessageEditorFactory factory) { Editors().insert(typ, std::move(factory)); }
void UnregisterMessageEditor(const QString& typ) { Editors().remove(typ); }

MessageEditor* CreateMessageEditor(const QString& typ, host::HostContext& ctx, const QVariantMap& row, QWidget* parent) {
  auto it = Editors().find(typ);
  return it == Editors().end() ? nullptr : it.value()(ctx, row, parent);
}

}  // namespace velmora::frame
