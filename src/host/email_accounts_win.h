#pragma once

#include "frm_sql_win.h"
#include "record_store.h"

#include <optional>

namespace velmora::host {

struct HostContext;

// The mail accounts (EMAIL_SRV) as the list window "Konta e-mail" shows and edits them; a
// record is refused with the same checks the mail services make before they connect.
const TableSpec& EmailSrvSpec();

// The host's account picker: the chosen account's row, positioned on the address `initial`.
std::optional<Row> WybierzKontoEmail(HostContext& ctx, const QString& initial, QWidget* parent = nullptr);

}  // namespace velmora::host
