#pragma once

#include "host/ui/frm_sql_win.h"
#include "host/db/record_store.h"

#include <optional>

namespace velmora::host {

// The host's guarantee register (GWARANCJE) as its list and editor show it.
const TableSpec& GwarancjeSpec();

// The guarantee register's list window, ordered by SYMBOL.
class TGwarancjeWin : public THostTableWin {
  Q_OBJECT
 public:
  explicit TGwarancjeWin(HostContext& ctx, QWidget* parent = nullptr);
  QVariant CellData(int row, const QString& column, int role, const QVariant& stored) const override;
  qint64 AfterApplyNewEdit(TEditBox* box, bool is_new) override;
  bool BeforeDelete(qint64 id) override;
};

// The register as a picker, positioned on the row whose `column` holds `initial`; limited to the
// guarantee kinds (TYP) `rodzaje` when any are given.
std::optional<Row> WybierzGwarancje(HostContext& ctx, const QString& column, const QVariant& initial,
                                    QWidget* parent = nullptr, const QStringList& rodzaje = {});

// Registers TGwarancjeWin under its class name (the "Nowe gwarancje" menu item).
void RegisterGwarancjeWin();

}  // namespace velmora::host
