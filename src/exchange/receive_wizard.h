#pragma once

#include "exchange/receive.h"
#include "host/ui/tab_wizard_box.h"

class QAction;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimeEdit;
class QWidget;

namespace velmora::host {
class TFrmSqlWin;
}  // namespace velmora::host

namespace velmora::exchange {

// The wizard that loads the customs office's answers: from files, a mailbox or the platform.
class TKomunikatOdbierzWiz : public host::TTabWizardBox {
  Q_OBJECT

 public:
  enum Strona { kWyborOdczytu, kDane, kKonto, kZapiszDoBazyDanych };

  explicit TKomunikatOdbierzWiz(host::HostContext& ctx, QWidget* parent = nullptr);
  static void Odbierz(host::HostContext& ctx, QWidget* parent = nullptr);
  // The lists' "Odbierz ..." action: the wizard, then every open list reads again.
  static QAction* Akcja(host::HostContext& ctx, host::TFrmSqlWin* lista);

  void AddToLog(const QString& text) { Log(text); }
  QRadioButton* rbPlik() const { return rb_plik_; }
  QRadioButton* rbEmail() const { return rb_email_; }
  QRadioButton* rbPuesc() const { return rb_puesc_; }
  QLineEdit* Sciezka() const { return be_sciezka_; }
  QWidget* PanelWS() const { return pnl_ws_; }
  void UstawOkres(const QDateTime& od, const QDateTime& do_);
  // The files chosen in the open dialog (the path field's one when none).
  void UstawPliki(const QStringList& pliki) { pliki_ = pliki; }

 protected:
  void Load() override;
  int GetStartPage() override { return kWyborOdczytu; }
  int GetNextPage(int page) override;
  int GetBackPage(int page) override;
  bool LastPageTest(int page) override { return page == kZapiszDoBazyDanych; }
  void InitCurrentPage(int page) override;

 private:
  void ZapamietajWybor();

  host::HostContext& ctx_;
  OdbiorKomunikatow odbior_;
  QRadioButton* rb_plik_;
  QRadioButton* rb_email_;
  QRadioButton* rb_puesc_;
  QWidget* pnl_ws_;
  QDateEdit* de_od_;
  QTimeEdit* te_od_;
  QDateEdit* de_do_;
  QTimeEdit* te_do_;
  QCheckBox* cb_przeczytane_;
  QLineEdit* be_sciezka_;
  QLineEdit* be_email_;
  QLineEdit* be_adres_urzedu_;
  QCheckBox* cb_tylko_nowe_;
  QLabel* lbl_zapis_;
  QStringList pliki_;
  bool wczytano_ = false;
};

}  // namespace velmora::exchange
