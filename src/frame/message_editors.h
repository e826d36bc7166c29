#pragma once

#include "host/ui/edit_box.h"

#include <QVariantMap>

#include <functional>
#include <vector>

namespace velmora::frame {

// The editor of an outgoing message as the message list drives it: it gets the row and its
// document, and hands back the document and the columns it sets on the transit.
class MessageEditor : public host::TEditBox {
  Q_OBJECT
 public:
  using host::TEditBox::TEditBox;
  virtual void SetXML(const QString& xml) = 0;
  virtual QString GetXML() = 0;
  virtual QVariantMap KolumnyTranzytu() { return {}; }
  // An arrival notification's costs (TRANZYTY_KOSZTY rows); other editors have none.
  virtual bool MaKoszty() const { return false; }
  virtual std::vector<QVariantMap> Koszty() { return {}; }
};

using MessageEditorFactory = std::function<MessageEditor*(host::HostContext&, const QVariantMap& row, QWidget* parent)>;

// Editors by message type; the packages that bring them register them here.
void RegisterMessageEditor(const QString& typ, MessageEditorFactory factory);
void UnregisterMessageEditor(const QString& typ);
MessageEditor* CreateMessageEditor(const QString& typ, host::HostContext& ctx, const QVariantMap& row, QWidget* parent);

}  // namespace velmora::frame
