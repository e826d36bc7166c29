#include "aktualizuj_slowniki_box.h"

#include "dictionary_import.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/ui/tab_wizard_box.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::reference {

TAktualizujSlownikiBox::TAktualizujSlownikiBox(host::HostContext& ctx, QWidget* parent)
    : host::TEditBox(ctx, parent), folder_(new QLineEdit(this)), files_(new QListWidget(this)) {
  setObjectName(QStringLiteral("TAktualizujSlownikiBox"));
  setWindowTitle(QStringLiteral("Aktualizacja słowników"));
  folder_->setObjectName(QStringLiteral("beKatalog"));
  files_->setObjectName(QStringLiteral("lbPliki"));
  auto* browse = new QToolButton(this);
  browse->setText(QStringLiteral("..."));
  auto* row = new QHBoxLayout();
  row->addWidget(folder_);
  row->addWidget(browse);
  auto* form = new QFormLayout();
  form->addRow(QStringLiteral("Katalog ze słownikami:"), row);
  form->addRow(QStringLiteral("Pliki słowników:"), files_);
  static_cast<QVBoxLayout*>(layout())->addLayout(form);
  connect(browse, &QToolButton::clicked, this, [this] { Browse(); });
  connect(folder_, &QLineEdit::textChanged, this, [this] { ListFiles(); });
  resize(520, 360);
}

void TAktualizujSlownikiBox::Browse() {
  const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Katalog ze słownikami"), folder_->text());
  if (!dir.isEmpty()) folder_->setText(dir);
}

void TAktualizujSlownikiBox::ListFiles() {
  files_->clear();
  const QString dir = folder_->text().trimmed();
  if (!dir.isEmpty() && QFileInfo(dir).isDir()) files_->addItems(DictionaryImport::UpdateFiles(dir));
}

host::FieldErrors TAktualizujSlownikiBox::Validate() {
  const QString dir = folder_->text().trimmed();
  if (dir.isEmpty() || !QFileInfo(dir).isDir())
    return {{QStringLiteral("beKatalog"), QStringLiteral("Wskaż istniejący katalog ze słownikami")}};
  if (DictionaryImport::UpdateFiles(dir).isEmpty())
    return {{QStringLiteral("beKatalog"), QStringLiteral("W katalogu ") + dir + QStringLiteral(" nie ma plików słowników")}};
  return {};
}

bool TAktualizujSlownikiBox::actOkExecute() {
  if (!host::TEditBox::actOkExecute()) return false;
  host::WorkProgress postep(this, QStringLiteral("Aktualizacja słowników ..."), QStringLiteral("Anuluj"), 500);
  const ImportResult result = DictionaryImport(ctx_.root).Import(folder_->text().trimmed(), postep.Step(), &ctx_);
  postep.Close();
  if (result.imported.isEmpty() && !result.przerwano)
    ctx_.dialogs.Blad(DictionaryImport::Summary(result));
  else
    ctx_.dialogs.Informacja(DictionaryImport::Summary(result));
  return true;
}

}  // namespace velmora::reference
