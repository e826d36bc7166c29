#pragma once

#include "exchange/send.h"
#include "host/ui/tab_wizard_box.h"

#include <memory>

class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace velmora::exchange {

// The two-page wizard that sends one outgoing message: the road, then the log of the sending.
class TWyslijKomunikatWiz : public host::TTabWizardBox {
  Q_OBJECT

 public:
  TWyslijKomunikatWiz(host::HostContext& ctx, qint64 id, QWidget* parent = nullptr);
  ~TWyslijKomunikatWiz() override;

  // Refuses (with an error box) what cannot be sent, else shows the wizard; true when it was
  // finished with its accept result.
  static bool Wyslij(host::HostContext& ctx, qint64 id, QWidget* parent = nullptr);

  void AddToLog(const QString& text) { Log(text); }
  int WybranyKanal() const;
  QLineEdit* Sciezka() const { return be_sciezka_; }
  QRadioButton* Kanal(int kanal) const;

 protected:
  void Load() override;
  int GetNextPage(int page) override;
  int GetBackPage(int page) override;
  void InitCurrentPage(int page) override;

 private:
  void PokazPole();
  void WybierzSciezke();

  host::HostContext& ctx_;
  qint64 id_;
  std::unique_ptr<WysylkaKomunikatu> wysylka_;
  QRadioButton* rb_[5] = {};
  QLabel* lbl_sciezka_;
  QLineEdit* be_sciezka_;
  QToolButton* bt_sciezka_;
  QString plik_;
  QString konto_;
  bool wyslano_ = false;
};

}  // namespace velmora::exchange
