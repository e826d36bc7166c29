#include "host/ui/options_win.h"

#include "host/base/host_context.h"
#include "host/db/options_catalogue.h"
#include "host/ui/srodowisko_box.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
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
    if (k.Id() == QLatin1String("KANAL_WYSYLKI/SRODOWISKO")) {
      // Production is reached only through its checklist; training is one click back.
      edit->setReadOnly(true);
      auto* row = new QHBoxLayout;
      auto* produkcja = new QPushButton(QStringLiteral("Przejście na produkcję ..."), this);
      produkcja->setObjectName(QStringLiteral("btPrzejscieNaProdukcje"));
      auto* szkolenie = new QPushButton(QStringLiteral("Środowisko szkoleniowe"), this);
      szkolenie->setObjectName(QStringLiteral("btSzkolenie"));
      row->addWidget(produkcja);
      row->addWidget(szkolenie);
      row->addStretch();
      form->addRow(QString(), row);
      connect(produkcja, &QPushButton::clicked, this, &TOpcjeWin::PrzejdzNaProdukcje);
      connect(szkolenie, &QPushButton::clicked, edit, [edit] { edit->setText(QLatin1String(kSrodowiskoSzkoleniowe)); });
    }
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

QMap<QString, QString> TOpcjeWin::Values() const {
  QMap<QString, QString> values;
  for (auto it = fields_.begin(); it != fields_.end(); ++it) values.insert(it.key(), it.value()->text());
  return values;
}

void TOpcjeWin::Save() { SaveOptions(ctx_.options, Values()); }

void TOpcjeWin::PrzejdzNaProdukcje() {
  TPrzejscieNaProdukcjeBox box(ctx_, Values(), this);
  if (box.exec() != QDialog::Accepted) return;
  const QMap<QString, QString> values = box.Values();
  for (auto it = values.begin(); it != values.end(); ++it)
    if (QLineEdit* f = fields_.value(it.key())) f->setText(it.value());
  fields_.value(QStringLiteral("KANAL_WYSYLKI/SRODOWISKO"))->setText(QLatin1String(kSrodowiskoProdukcyjne));
}

}  // namespace velmora::host
