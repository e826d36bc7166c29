#include "viewer_boxes.h"

#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "frame/transit_store.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::exchange {

TIncomingViewerBox::TIncomingViewerBox(host::HostContext& ctx, const QString& typ, QWidget* parent)
    : host::TEditBox(ctx, parent), typ_(typ) {
  view_ = BuildIncomingView(typ_, QString());
  setObjectName(view_.box);
  setWindowTitle(view_.title.trimmed());
}

void TIncomingViewerBox::BeforeActivate() {
  SetViewMode(true);
  setWindowTitle(QStringLiteral("Informacja otrzymana z urzedu celnego"));
  if (message_id_ > 0) SetXML(frame::TransitStore(ctx_.db).Xml(message_id_));
}

void TIncomingViewerBox::SetXML(const QString& text) {
  view_ = BuildIncomingView(typ_, text);
  Build();
}

void TIncomingViewerBox::Build() {
  delete panel_;
  tables_.clear();
  panel_ = new QWidget(this);
  auto* layout = new QVBoxLayout(panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* title = new QLineEdit(view_.title.trimmed(), panel_);
  title->setReadOnly(true);
  title->setObjectName(QStringLiteral("lblTytul"));
  layout->addWidget(title);
  for (const ViewGroup& g : view_.groups) {
    auto* box = new QGroupBox(g.caption, panel_);
    auto* form = new QFormLayout(box);
    for (const ViewField& f : g.fields) {
      QWidget* w = nullptr;
      if (f.kind == ViewField::Kind::Check) {
        auto* c = new QCheckBox(f.label, box);
        c->setChecked(f.value.trimmed() == QLatin1String("1"));
        form->addRow(c);
        w = c;
      } else if (f.kind == ViewField::Kind::Memo) {
        auto* m = new QPlainTextEdit(f.value, box);
        m->setReadOnly(true);
        m->setMaximumHeight(70);
        form->addRow(f.label, m);
        w = m;
      } else {
        auto* e = new QLineEdit(f.value, box);
        e->setReadOnly(true);
        form->addRow(f.label, e);
        w = e;
      }
      w->setObjectName(f.name);
    }
    layout->addWidget(box);
  }
  for (const ViewTable& t : view_.tables) {
    auto* box = new QGroupBox(t.caption, panel_);
    auto* l = new QVBoxLayout(box);
    auto* grid = new QTableWidget(static_cast<int>(t.rows.size()), t.columns.size(), box);
    grid->setHorizontalHeaderLabels(t.columns);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    for (int r = 0; r < static_cast<int>(t.rows.size()); ++r)
      for (int c = 0; c < t.columns.size(); ++c) grid->setItem(r, c, new QTableWidgetItem(t.rows[r].value(c)));
    if (!t.rows.empty()) grid->selectRow(0);
    l->addWidget(grid);
    layout->addWidget(box);
    tables_ << grid;
  }
  static_cast<QVBoxLayout*>(this->layout())->insertWidget(0, panel_);
}

void TIncomingViewerBox::Activate() {
  // Nothing here may be edited: the fields are read-only and only "Zamknij" remains.
  if (panel_)
    for (QLineEdit* e : panel_->findChildren<QLineEdit*>()) e->setReadOnly(true);
  if (panel_)
    for (QCheckBox* c : panel_->findChildren<QCheckBox*>()) c->setEnabled(false);
}

TIEXMLPL_Box::TIEXMLPL_Box(host::HostContext& ctx, QWidget* parent) : host::TEditBox(ctx, parent), view_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("TIEXMLPL_Box"));
  setWindowTitle(QStringLiteral("IE43 - Pozwolenie na rozładunek"));
  SetViewMode(true);
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout()->addWidget(view_);
  actZapisz = new QAction(QStringLiteral("Zapisz do pliku..."), this);
  auto* save = new QPushButton(actZapisz->text(), this);
  connect(save, &QPushButton::clicked, actZapisz, &QAction::trigger);
  connect(actZapisz, &QAction::triggered, this, [this] {
    const QString name = QFileDialog::getSaveFileName(this, actZapisz->text(), QString(), QStringLiteral("Plik XML (*.xml)"));
    if (!name.isEmpty() && !ZapiszDoPliku(name)) ctx_.dialogs.Blad(QStringLiteral("Nie można zapisać pliku ") + name);
  });
  layout()->addWidget(save);
  resize(820, 600);
}

void TIEXMLPL_Box::SetXMLData(const QByteArray& text) {
  data_ = XmlDisplayText(text);
  const QString dir = QDir(ctx_.root).filePath(QStringLiteral("TEMP"));
  QDir().mkpath(dir);
  file_ = QDir(dir).filePath(QString::number(QRandomGenerator::global()->bounded(2147483647)) + QStringLiteral(".xml"));
  QFile f(file_);
  if (f.open(QIODevice::WriteOnly)) f.write(data_);
  view_->setPlainText(QString::fromUtf8(data_));
}

bool TIEXMLPL_Box::ZapiszDoPliku(const QString& file_name) {
  QFile f(file_name);
  if (!f.open(QIODevice::WriteOnly)) return false;
  return f.write(data_) == data_.size();
}

host::TEditBox* CreateIncomingViewer(host::HostContext& ctx, const QString& typ, qint64 message_id, const QString& own_number,
                                     QWidget* parent) {
  static const QStringList kRaw{QStringLiteral("IE029"), QStringLiteral("IE043"), QStringLiteral("IE051"),
                                QStringLiteral("UPP"), QStringLiteral("NPP")};
  if (kRaw.contains(typ)) {
    auto* box = new TIEXMLPL_Box(ctx, parent);
    box->setWindowTitle(typ + QLatin1Char('_') + own_number);
    box->SetXMLData(frame::TransitStore(ctx.db).Xml(message_id).toUtf8());
    return box;
  }
  if (!HasViewer(typ)) return nullptr;
  auto* box = new TIncomingViewerBox(ctx, typ, parent);
  box->SetMessageId(message_id);
  return box;
}

}  // namespace velmora::exchange
