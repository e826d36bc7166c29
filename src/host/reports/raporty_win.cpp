#include "host/reports/raporty_win.h"

#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/reports/saldo_gwarancji_rpt.h"
#include "host/reports/terminowosc_rpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace velmora::host {

namespace {

const QString kWszystkie = QStringLiteral("<wszystkie>");

// The parameters' dialog with the period rows; the caller adds its own rows before Pytaj.
class TParametryDlg : public QDialog {
 public:
  TParametryDlg(const TRaportOkresuRpt& rpt, QWidget* parent) : QDialog(parent), form_(new QFormLayout(this)) {
    setWindowTitle(QStringLiteral("Parametry wydruku"));
    od_ = Data(QStringLiteral("deOd"), QStringLiteral("Okres od:"), rpt.DataOd());
    do_ = Data(QStringLiteral("deDo"), QStringLiteral("do:"), rpt.DataDo());
  }
  QFormLayout* Form() { return form_; }
  QComboBox* Lista(const QString& name, const QString& caption, const std::vector<Row>& rows, const QString& id,
                   const QString& text) {
    auto* cb = new QComboBox(this);
    cb->setObjectName(name);
    cb->addItem(kWszystkie, 0);
    for (const Row& r : rows) cb->addItem(r.Str(text).trimmed(), r.Int(id));
    form_->addRow(caption, cb);
    return cb;
  }
  bool Pytaj(TRaportOkresuRpt& rpt) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form_->addRow(buttons);
    if (exec() != QDialog::Accepted) return false;
    rpt.SetDataOd(od_->date());
    rpt.SetDataDo(do_->date());
    return true;
  }

 private:
  QDateEdit* Data(const QString& name, const QString& caption, const QDate& d) {
    auto* e = new QDateEdit(d, this);
    e->setObjectName(name);
    e->setCalendarPopup(true);
    e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    form_->addRow(caption, e);
    return e;
  }
  QFormLayout* form_;
  QDateEdit* od_ = nullptr;
  QDateEdit* do_ = nullptr;
};

void Drukuj(HostContext& ctx, TConfigRptBox& rpt) {
  if (!rpt.Execute()) ctx.dialogs.Blad(rpt.LastError());
}

}  // namespace

void UruchomTerminowosc(HostContext& ctx, QWidget* parent) {
  TTerminowoscRpt rpt(ctx);
  TParametryDlg dlg(rpt, parent);
  auto* rodzaj = new QComboBox(&dlg);
  rodzaj->setObjectName(QStringLiteral("cbRodzaj"));
  rodzaj->addItem(QStringLiteral("Objęcia i zakończenia"), TerminowoscParametry::kWszystkie);
  rodzaj->addItem(QStringLiteral("Objęcia (eksport)"), TerminowoscParametry::kWywozy);
  rodzaj->addItem(QStringLiteral("Zakończenia (import)"), TerminowoscParametry::kPrzywozy);
  dlg.Form()->addRow(QStringLiteral("Rodzaj:"), rodzaj);
  QComboBox* rejestr = dlg.Lista(QStringLiteral("cbRejestr"), QStringLiteral("Rejestr:"),
                                 ctx.db.QueryAll(QStringLiteral("select ID_REJESTRY, NAZWA from REJESTRY order by NAZWA")),
                                 QStringLiteral("ID_REJESTRY"), QStringLiteral("NAZWA"));
  if (!dlg.Pytaj(rpt)) return;
  rpt.SetRodzaj(rodzaj->currentData().toInt());
  rpt.SetRejestr(rejestr->currentData().toInt(), rejestr->currentText());
  Drukuj(ctx, rpt);
}

void UruchomSaldoGwarancji(HostContext& ctx, QWidget* parent) {
  TWPTRpt rpt(ctx);
  TParametryDlg dlg(rpt, parent);
  QComboBox* gwarancja = dlg.Lista(
      QStringLiteral("cbGwarancja"), QStringLiteral("Gwarancja:"),
      ctx.db.QueryAll(QStringLiteral("select ID_GWARANCJE, coalesce(SYMBOL, '') || ' ' || coalesce(NUMER, '') as OPIS "
                                     "from GWARANCJE order by SYMBOL, NUMER")),
      QStringLiteral("ID_GWARANCJE"), QStringLiteral("OPIS"));
  auto* pozycje = new QCheckBox(QStringLiteral("Drukuj pozycje rejestru"), &dlg);
  pozycje->setObjectName(QStringLiteral("cbPozycje"));
  dlg.Form()->addRow(QString(), pozycje);
  if (!dlg.Pytaj(rpt)) return;
  rpt.SetGwarancja(gwarancja->currentData().toInt());
  rpt.SetPozycje(pozycje->isChecked());
  Drukuj(ctx, rpt);
}

}  // namespace velmora::host
