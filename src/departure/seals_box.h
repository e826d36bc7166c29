#pragma once

#include "seals.h"

#include "host/ui/edit_box.h"

class QLineEdit;
class QPlainTextEdit;

namespace velmora::departure {

// "Lista zamknięć celnych": the seals of the declaration, written into it on confirmation.
class TIE015_ZamknieciaBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIE015_ZamknieciaBox(host::HostContext& ctx, xml::Group deklaracja, QWidget* parent = nullptr);

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;

  QPlainTextEdit* meDane() const { return me_dane_; }
  QLineEdit* beNakladajacy() const { return be_nakladajacy_; }

 protected:
  void FocusField(const QString& field) override;

 private:
  ZamknieciaCelne zamkniecia_;
  QPlainTextEdit* me_dane_ = nullptr;
  QLineEdit* be_nakladajacy_ = nullptr;
};

}  // namespace velmora::departure
