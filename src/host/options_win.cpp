#include "options_win.h"

#include "host_context.h"
#include "options_catalogue.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora::host {

TOpcjeWin::TOpcjeWin(HostContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setWindowTitle(QStringLiteral("Opcje"));
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  layout->addWidget(tabs);
  const QMap<QString, QString> values = LoadOptions(ctx.options);
  QHash<QString, QFormLayout*> forms;
  for (const OptionKey& k : OptionsCatalogue()) {
    QFormLayout* form = forms.value(k.group);
    if (!form) {
      auto* page = new QWidget(tabs);
      form = new QFormLayout(page);
      tabs->addTab(page, k.group);
      forms.insert(k.group, form);
    }
    auto* edit = new QLineEdit(values.value(k.Id()), this);
    edit->setObjectName(k.Id());
    if (k.secret) edit->setEchoMode(QLineEdit::Password);
    form->addRow(k.caption, edit);
    fields_.insert(k.Id(), edit);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Save();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(520, 360);
}

void TOpcjeWin::Save() {
  QMap<QString, QString> values;
  for (auto it = fields_.begin(); it != fields_.end(); ++it) values.insert(it.key(), it.value()->text());
  SaveOptions(ctx_.options, values);
}

}  // namespace velmora::host
