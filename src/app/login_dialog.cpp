#include "login_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace velmora::app {

LoginDialog::LoginDialog(std::vector<host::TUser> users, QWidget* parent)
    : QDialog(parent), users_(std::move(users)), list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Logowanie"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Wybierz użytkownika:"), this));
  for (const host::TUser& u : users_) {
    QString text = u.GetNAZWA() + QStringLiteral(" (") + u.GetLOGIN() + QLatin1Char(')');
    if (!u.GetLOKALIZACJA().isEmpty()) text += QStringLiteral(" — ") + u.GetLOKALIZACJA();
    list_->addItem(text);
  }
  list_->setCurrentRow(0);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Zaloguj"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { chosen_ = row < 0 ? 0 : row; });
  resize(420, 320);
}

}  // namespace velmora::app
