#include "message_editors.h"

#include "exchange/receive.h"
#include "exchange/receive_wizard.h"
#include "exchange/send_wizard.h"
#include "frame/package.h"
#include "host/email_routines.h"
#include "host/process_options.h"

#include <QHash>

namespace velmora::lists {

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

ExchangeHandlers& Exchange() {
  static ExchangeHandlers handlers;
  return handlers;
}

void RegisterExchange() {
  Exchange().wyslij = [](host::HostContext& ctx, qint64 id, QWidget* parent) { return exchange::TWyslijKomunikatWiz::Wyslij(ctx, id, parent); };
  Exchange().odbierz = [](host::HostContext& ctx, qint64, QWidget* parent) {
    exchange::TKomunikatOdbierzWiz::Odbierz(ctx, parent);
    return true;
  };
  frame::UstawPrzetwarzaniePoczty([](const host::ReceivedMail& mail) {
    host::HostContext* ctx = host::ProcessContext();
    return ctx && exchange::PrzetwarzanieOdpowiedziUC(*ctx, mail);
  });
}

void UnregisterExchange() {
  Exchange() = {};
  frame::UstawPrzetwarzaniePoczty({});
}

}  // namespace velmora::lists
