#include "host/ui/srodowisko_box.h"

#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/options_catalogue.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora::host {

TPrzejscieNaProdukcjeBox::TPrzejscieNaProdukcjeBox(HostContext& ctx, QMap<QString, QString> values, QWidget* parent)
    : QDialog(parent), ctx_(ctx), values_(std::move(values)), logika_(ctx.db, ctx.options, ctx.root) {
  setWindowTitle(QStringLiteral("Przejście na środowisko produkcyjne"));
  auto* layout = new QVBoxLayout(this);
  auto* opis = new QLabel(QStringLiteral("Komunikaty trafią do prawdziwego urzędu celnego. Każdy punkt musi mieć dane agencji, "
                                         "nie wartości szkoleniowe."),
                          this);
  opis->setWordWrap(true);
  layout->addWidget(opis);
  for (const auto& [nazwa, ids] : PrzejscieNaProdukcje::Opcje()) {
    auto* grupa = new QGroupBox(nazwa, this);
    auto* form = new QFormLayout(grupa);
    for (const QString& id : ids) {
      const auto it = std::find_if(OptionsCatalogue().begin(), OptionsCatalogue().end(), [&id](const OptionKey& k) { return k.Id() == id; });
      auto* edit = new QLineEdit(values_.value(id), grupa);
      edit->setObjectName(id);
      if (it != OptionsCatalogue().end() && it->secret) edit->setEchoMode(QLineEdit::Password);
      connect(edit, &QLineEdit::textChanged, this, &TPrzejscieNaProdukcjeBox::Odswiez);
      form->addRow(it != OptionsCatalogue().end() ? it->caption : id, edit);
      fields_.insert(id, edit);
    }
    auto* stan = new QLabel(grupa);
    stan->setWordWrap(true);
    form->addRow(stan);
    stany_ << stan;
    layout->addWidget(grupa);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Zakończ"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Zakoncz()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Odswiez();
  resize(560, 420);
}

QMap<QString, QString> TPrzejscieNaProdukcjeBox::Values() const {
  QMap<QString, QString> out = values_;
  for (auto it = fields_.begin(); it != fields_.end(); ++it) out.insert(it.key(), it.value()->text());
  return out;
}

void TPrzejscieNaProdukcjeBox::Odswiez() {
  const auto punkty = logika_.Punkty(Values());
  for (int i = 0; i < stany_.size() && i < static_cast<int>(punkty.size()); ++i) {
    const bool gotowe = punkty[i].brak.isEmpty();
    stany_[i]->setText(gotowe ? QStringLiteral("✔ gotowe") : QStringLiteral("✘ ") + punkty[i].brak);
    stany_[i]->setStyleSheet(gotowe ? QStringLiteral("color:#006000") : QStringLiteral("color:#c00000"));
  }
}

bool TPrzejscieNaProdukcjeBox::Zakoncz() {
  const QString odmowa = logika_.Zakoncz(Values());
  if (!odmowa.isEmpty()) {
    ctx_.dialogs.Blad(odmowa);
    return false;
  }
  values_ = Values();
  values_.insert(QStringLiteral("KANAL_WYSYLKI/SRODOWISKO"), QLatin1String(kSrodowiskoProdukcyjne));
  ctx_.dialogs.Informacja(QStringLiteral("Program wysyła teraz komunikaty do produkcyjnej platformy PUESC."));
  return true;
}

}  // namespace velmora::host
