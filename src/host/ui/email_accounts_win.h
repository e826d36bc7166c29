#pragma once

#include "host/ui/frm_sql_win.h"
#include "host/db/record_store.h"

#include <optional>

namespace velmora::host {

struct HostContext;

// The mail accounts (EMAIL_SRV) as the list window "Konta e-mail" shows and edits them; a
// record is refused with the same checks the mail services make before they connect.
const TableSpec& EmailSrvSpec();

// The stored mails (EMAIL_MSG) as the mailboxes show them.
const TableSpec& EmailMsgSpec();

// A mailbox of the host: the received mails (window id 1103) or the sent ones (1104). Mails are
// read, not written: a mail opens with its text in view mode; nothing is added or deleted here.
class TMailWin : public THostTableWin {
  Q_OBJECT
 public:
  TMailWin(HostContext& ctx, bool odebrane, QWidget* parent = nullptr);
  QVariant CellData(int row, const QString& column, int role, const QVariant& stored) const override;
};

// Registers TMailWin (window ids 1103 and 1104) and TEmailSrvWin with the window registry.
void RegisterMailWindows();

// The host's account picker: the chosen account's row, positioned on the address `initial`.
std::optional<Row> WybierzKontoEmail(HostContext& ctx, const QString& initial, QWidget* parent = nullptr);

}  // namespace velmora::host
