#pragma once

#include "host/ui/edit_box.h"
#include "host/ui/frm_sql_win.h"
#include "host/db/record_store.h"

namespace velmora::lists {

// The registers as their list and editor show them.
const host::TableSpec& RejestrySpec();
const host::TableSpec& OdprawySpec();

// The registers' logic: the one-time import from the older module, the deletion rule.
class Rejestry {
 public:
  explicit Rejestry(host::HostContext& ctx) : ctx_(ctx) {}
  // On an empty REJESTRY: one register for every row of the older table REJ; answers how many.
  int ImportujStare();
  // The refusal's text, empty when the register may go.
  QString CzyMoznaUsunac(qint64 id);
  host::FieldErrors Sprawdz(const QVariantMap& row) const;
  // The representative a contractor gives: its EORI, or its tax number and five zeros.
  static QString Przedstawiciel(const QString& eori, const QString& nip);
  // How long a location description may be for the kind chosen.
  static int DlugoscOpisuLokalizacji(int item);

 private:
  host::HostContext& ctx_;
};

// "Lista rejestrów dla tranzytów"
class TRejestryWin : public host::THostTableWin {
  Q_OBJECT
 public:
  explicit TRejestryWin(host::HostContext& ctx, QWidget* parent = nullptr);
  QString GetMainCaption() override { return QStringLiteral("Lista rejestrów dla tranzytów"); }
  bool BeforeDelete(qint64 id) override;
  host::TEditBox* GetEditBox(bool is_new) override;
};

// "Lista odpraw dla tranzytu": the clearances of one transit.
class TOdprawyWin : public host::THostTableWin {
  Q_OBJECT
 public:
  TOdprawyWin(host::HostContext& ctx, qint64 tranzyt_id, QWidget* parent = nullptr);
  QString GetMainCaption() override { return QStringLiteral("Lista odpraw dla tranzytu"); }
  host::TEditBox* GetEditBox(bool is_new) override;

 private:
  qint64 tranzyt_id_;
};

}  // namespace velmora::lists
