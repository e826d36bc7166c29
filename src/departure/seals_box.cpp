#include "seals_box.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace velmora::departure {

TIE015_ZamknieciaBox::TIE015_ZamknieciaBox(host::HostContext& ctx, xml::Group deklaracja, QWidget* parent)
    : host::TEditBox(ctx, parent), zamkniecia_(std::move(deklaracja)) {
  setWindowTitle(QStringLiteral("Lista zamknięć celnych"));
  auto* form = new QFormLayout();
  me_dane_ = new QPlainTextEdit(this);
  me_dane_->setObjectName(QStringLiteral("meDane"));
  be_nakladajacy_ = new QLineEdit(this);
  be_nakladajacy_->setObjectName(QStringLiteral("beNakladajacy"));
  be_nakladajacy_->setMaxLength(kDlugoscNakladajacego);
  form->addRow(QStringLiteral("Zamknięcia celne:"), me_dane_);
  form->addRow(QStringLiteral("Nakładający:"), be_nakladajacy_);
  static_cast<QVBoxLayout*>(layout())->addLayout(form);
}

void TIE015_ZamknieciaBox::BeforeActivate() {
  me_dane_->setPlainText(zamkniecia_.Linie());
  be_nakladajacy_->setText(zamkniecia_.Nakladajacy());
  me_dane_->setReadOnly(view_mode_);
  be_nakladajacy_->setReadOnly(view_mode_);
}

host::FieldErrors TIE015_ZamknieciaBox::Validate() {
  const QString blad = ZamknieciaCelne::Sprawdz(me_dane_->toPlainText());
  if (blad.isEmpty()) return {};
  return {{QStringLiteral("meDane"), blad}};
}

bool TIE015_ZamknieciaBox::actOkExecute() {
  if (!host::TEditBox::actOkExecute()) return false;
  if (!view_mode_) zamkniecia_.Zapisz(me_dane_->toPlainText(), be_nakladajacy_->text());
  return true;
}

void TIE015_ZamknieciaBox::FocusField(const QString& field) {
  if (field == QLatin1String("meDane")) me_dane_->setFocus();
}

}  // namespace velmora::departure
