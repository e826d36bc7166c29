#include "host/ui/gwarancje_win.h"

#include "host/base/dialogs.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/ui/window_registry.h"

namespace velmora::host {

const TableSpec& GwarancjeSpec() {
  using T = FieldType;
  static const TableSpec tabela = [] {
    TableSpec s{QStringLiteral("GWARANCJE"),
                QStringLiteral("TGwarancjeWin"),
                QStringLiteral("Gwarancje"),
                {Field("SYMBOL", "Symbol", T::String, 20), Field("NUMER", "Numer", T::String, 50), Field("GRN", "GRN", T::String, 24),
                 Field("RODZAJ", "Rodzaj", T::String, 1), Field("TYP", "Typ", T::String, 10),
                 Field("KOD_DOSTEPU", "Kod dostępu", T::String, 4), Field("LISTA_KODOW", "Kody dostępu", T::String, 255, false),
                 Field("Niewazna_Na_UE", "Nieważna na UE", T::SmallInt, 1), Field("Niewazna_Na", "Nieważna na kraje", T::String, 296),
                 Field("VAT", "VAT", T::SmallInt, 1, false), Field("WALUTA", "Waluta", T::String, 3), Field("KWOTA", "Kwota", T::Float),
                 Field("SALDO", "Saldo", T::Float)},
                QStringLiteral("SYMBOL")};
    // The balance is the ledger's to keep.
    s.fields.back().in_editor = false;
    return s;
  }();
  return tabela;
}

TGwarancjeWin::TGwarancjeWin(HostContext& ctx, QWidget* parent) : THostTableWin(ctx, GwarancjeSpec(), parent) {}

QVariant TGwarancjeWin::CellData(int row, const QString& column, int role, const QVariant& stored) const {
  if (role == Qt::DisplayRole && column.compare(QLatin1String("Niewazna_Na_UE"), Qt::CaseInsensitive) == 0)
    return stored.toInt() == 1 ? QStringLiteral("TAK") : QString();
  return THostTableWin::CellData(row, column, role, stored);
}

qint64 TGwarancjeWin::AfterApplyNewEdit(TEditBox* box, bool is_new) {
  const qint64 id = THostTableWin::AfterApplyNewEdit(box, is_new);
  // A changed amount moves the balance the list shows.
  ctx_.db.Exec(QStringLiteral("update GWARANCJE set SALDO = :SALDO where ID_GWARANCJE = :ID"),
               {{QStringLiteral("SALDO"), SaldoGwarancji(ctx_.db, static_cast<int>(id))}, {QStringLiteral("ID"), id}});
  return id;
}

bool TGwarancjeWin::BeforeDelete(qint64 id) {
  if (ctx_.db.GetCountFieldVal(QStringLiteral("GWARANCJE_POZYCJE"), QStringLiteral("GWARANCJE_ID = :ID"),
                               {{QStringLiteral("ID"), id}}) == 0)
    return true;
  ctx_.dialogs.Ostrzezenie(QStringLiteral("Gwarancja ma zapisy w rejestrze obciążeń - nie można jej usunąć !"));
  return false;
}

std::optional<Row> WybierzGwarancje(HostContext& ctx, const QString& column, const QVariant& initial, QWidget* parent,
                                    const QStringList& rodzaje) {
  auto* win = new TGwarancjeWin(ctx);
  if (!rodzaje.isEmpty()) {
    QStringList nazwy;
    Params p;
    for (int i = 0; i < rodzaje.size(); ++i) {
      nazwy << QStringLiteral(":R%1").arg(i);
      p.insert(QStringLiteral("R%1").arg(i), rodzaje[i]);
    }
    win->SetFilter(QStringLiteral("TYP in (") + nazwy.join(QLatin1Char(',')) + QLatin1Char(')'), p);
  }
  win->Init();
  return PickRow(win, column, initial, parent);
}

void RegisterGwarancjeWin() {
  RegisterWindowClass(GwarancjeSpec().window_class, [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    auto* win = new TGwarancjeWin(ctx);
    win->Init();
    return win;
  });
}

}  // namespace velmora::host
