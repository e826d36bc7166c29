#include "host/ui/frm_sql_win.h"

#include "host/base/dialogs.h"
#include "host/ui/display_text.h"
#include "host/ui/edit_box.h"
#include "host/base/host_context.h"
#include "host/ui/main_form.h"
#include "host/db/options.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QAbstractItemDelegate>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace velmora::host {

namespace {

// Rows a list reads at a time; more than a maximised grid shows.
constexpr int kStrona = 256;

// The query model of a list window, read a page at a time: a server engine hands a client
// its whole result at once, so a list over a million rows asks for pages instead. Pages
// follow the key when the list is ordered by it (each page starts after the last key read,
// as fast deep down as at the top), and go by offset otherwise. Cells go through the
// window's CellData.
class ListModel : public QSqlQueryModel {
 public:
  ListModel(TFrmSqlWin* win) : QSqlQueryModel(win), win_(win) {}

  void Open(Db& db, const QString& select, const QString& where, const QString& order, const Params& params, const QString& key) {
    db_ = &db;
    select_ = select;
    where_ = where;
    order_ = order;
    params_ = params;
    keyset_.clear();
    static const QRegularExpression kPoKluczu(QStringLiteral(R"(^\s*((?:\w+\.)?(\w+))(?:\s+(asc|desc))?\s*$)"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (const auto m = kPoKluczu.match(order); m.hasMatch() && m.captured(2).compare(key, Qt::CaseInsensitive) == 0) {
      keyset_ = m.captured(1);
      descending_ = m.captured(3).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
    } else if (!order_.contains(key, Qt::CaseInsensitive)) {
      // Offsets are only stable over a total order: rows that tie go by their key.
      order_ = order_.isEmpty() ? key : order_ + QStringLiteral(", ") + key;
    }
    QSqlQuery first = Page(QString());
    std::vector<QVariantList> page = Read(first);
    {
      // Only the columns come from the base; rows are ours.
      QScopedValueRollback<bool> resetting(resetting_, true);
      rows_.clear();
      setQuery(std::move(first));
    }
    key_column_ = record().indexOf(key);
    for (int i = 0; key_column_ < 0 && i < record().count(); ++i)
      if (record().fieldName(i).compare(key, Qt::CaseInsensitive) == 0) key_column_ = i;
    if (key_column_ < 0) keyset_.clear();
    Append(std::move(page));
  }

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }
  bool canFetchMore(const QModelIndex& parent = {}) const override { return !parent.isValid() && !at_end_ && db_; }
  void fetchMore(const QModelIndex& parent = {}) override {
    if (resetting_ || !canFetchMore(parent)) return;
    if (keyset_.isEmpty()) {
      QSqlQuery q = Page(QStringLiteral(" offset %1").arg(rows_.size()));
      Append(Read(q));
    } else {
      params_.insert(QStringLiteral("ListaOstatniKlucz"), rows_.back().at(key_column_));
      QSqlQuery q = Page(QString());
      params_.remove(QStringLiteral("ListaOstatniKlucz"));
      Append(Read(q));
    }
  }

  // Whether the list, read by its key, has gone past `key` at `row`: it comes no further down.
  bool PastKey(int row, const QVariant& key) const {
    if (keyset_.isEmpty() || row < 0 || row >= rowCount()) return false;
    bool ok_row = false, ok_key = false;
    const qint64 at = rows_[row].at(key_column_).toLongLong(&ok_row), wanted = key.toLongLong(&ok_key);
    return ok_row && ok_key && (descending_ ? at < wanted : at > wanted);
  }

  QVariant Value(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= rows_[row].size()) return {};
    return rows_[row].at(column);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::ToolTipRole) {
      const QString whole = win_->CutCellText(index);
      return whole.isEmpty() ? QVariant() : QVariant(whole);
    }
    const QVariant stored = Value(index.row(), index.column());
    if (role == Qt::EditRole) return stored;
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::DecorationRole && role != Qt::TextAlignmentRole)
      return {};
    const QVariant shown = win_->CellData(index.row(), record().fieldName(index.column()), role, stored);
    if (role != Qt::DisplayRole) return shown;
    // A decimal column may come back as text (PostgreSQL's numeric, SQLite's affinity).
    if (record().field(index.column()).metaType().id() == QMetaType::Double && shown.typeId() == QMetaType::QString) {
      bool ok = false;
      const double v = shown.toDouble(&ok);
      if (ok) return TekstKomorki(v);
    }
    return TekstKomorki(shown);
  }

 private:
  // One page: after the last key read when there is one, else from the start (or `offset`).
  QSqlQuery Page(const QString& offset) const {
    QString sql = select_;
    QStringList where;
    if (!where_.isEmpty()) where << QLatin1Char('(') + where_ + QLatin1Char(')');
    if (params_.contains(QStringLiteral("ListaOstatniKlucz")))
      where << keyset_ + (descending_ ? QStringLiteral(" < ") : QStringLiteral(" > ")) + QStringLiteral(":ListaOstatniKlucz");
    if (!where.isEmpty()) sql += QStringLiteral(" where ") + where.join(QStringLiteral(" and "));
    if (!order_.isEmpty()) sql += QStringLiteral(" order by ") + order_;
    sql += QStringLiteral(" limit %1").arg(kStrona) + offset;
    QSqlQuery q(db_->QtDatabase());
    q.prepare(sql);
    for (auto it = params_.begin(); it != params_.end(); ++it)
      if (sql.contains(QLatin1Char(':') + it.key())) q.bindValue(QLatin1Char(':') + it.key(), it.value());
    if (!q.exec()) throw DbError(q.lastError().text(), sql);
    return q;
  }

  static std::vector<QVariantList> Read(QSqlQuery& q) {
    std::vector<QVariantList> page;
    const int columns = q.record().count();
    while (q.next()) {
      QVariantList row;
      row.reserve(columns);
      for (int c = 0; c < columns; ++c) row << q.value(c);
      page.push_back(std::move(row));
    }
    return page;
  }

  void Append(std::vector<QVariantList> page) {
    at_end_ = page.size() < static_cast<size_t>(kStrona);
    if (page.empty()) return;
    beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(page.size()) - 1);
    for (auto& row : page) rows_.push_back(std::move(row));
    endInsertRows();
  }

  TFrmSqlWin* win_;
  Db* db_ = nullptr;
  QString select_, where_, order_, keyset_;
  bool descending_ = false;
  int key_column_ = -1;
  Params params_;
  std::vector<QVariantList> rows_;
  bool at_end_ = true;
  bool resetting_ = false;
};

}  // namespace

QVariant TFrmSqlWin::CellData(int, const QString&, int role, const QVariant& stored) const {
  return role == Qt::DisplayRole ? stored : QVariant();
}

QVariant TFrmSqlWin::Stored(int row, const QString& column) const {
  return static_cast<const ListModel*>(model_)->Value(row, ColumnOf(column));
}

TFrmSqlWin::TFrmSqlWin(HostContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), toolbar_(new QToolBar(this)), grid_(new QTableView(this)), model_(new ListModel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(toolbar_);
  layout->addWidget(grid_);
  grid_->setModel(model_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->setDefaultSectionSize(22);
  grid_->verticalHeader()->hide();
  grid_->installEventFilter(this);
  connect(grid_, &QTableView::doubleClicked, this, [this] { RunDefaultAction(); });
  save_timer_ = new QTimer(this);
  save_timer_->setSingleShot(true);
  save_timer_->setInterval(500);
  connect(save_timer_, &QTimer::timeout, this, &TFrmSqlWin::SaveLayout);
  QHeaderView* header = grid_->horizontalHeader();
  header->setSectionsMovable(true);
  header->setResizeContentsPrecision(100);
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header, &QHeaderView::customContextMenuRequested, this, &TFrmSqlWin::ShowHeaderMenu);
  connect(header, &QHeaderView::sectionResized, this, &TFrmSqlWin::ClerkChangedLayout);
  connect(header, &QHeaderView::sectionMoved, this, &TFrmSqlWin::ClerkChangedLayout);
}

TFrmSqlWin::~TFrmSqlWin() = default;

void TFrmSqlWin::Init() {
  actNowy = new QAction(QStringLiteral("Nowy"), this);
  actNowy->setShortcut(Qt::Key_Insert);
  actPopraw = new QAction(QStringLiteral("Popraw"), this);
  actUsun = new QAction(QStringLiteral("Usuń"), this);
  actUsun->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  actOdswiez = new QAction(QStringLiteral("Odśwież"), this);
  actOdswiez->setShortcut(Qt::Key_F5);
  connect(actNowy, &QAction::triggered, this, &TFrmSqlWin::NewRecord);
  connect(actPopraw, &QAction::triggered, this, &TFrmSqlWin::EditRecord);
  connect(actUsun, &QAction::triggered, this, &TFrmSqlWin::DeleteRecord);
  connect(actOdswiez, &QAction::triggered, this, [this] { RefreshKey(CurrentKey()); });
  for (QAction* a : {actNowy, actPopraw, actUsun, actOdswiez}) {
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(a);
    toolbar_->addAction(a);
  }
  default_actions_.prepend(actPopraw);
  setWindowTitle(GetMainCaption());
  RebuildQuery();
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { UpdateControls(); });
  UpdateControls();
}

void TFrmSqlWin::AddActionToMenu(QAction* action, bool is_default) {
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(action);
  toolbar_->addAction(action);
  if (is_default) default_actions_.prepend(action);
}

void TFrmSqlWin::UpdateControls() {
  const bool has_row = CurrentKey() > 0;
  if (actPopraw) actPopraw->setEnabled(has_row);
  if (actUsun) actUsun->setEnabled(has_row);
}

Db& TFrmSqlWin::GetDatabase() { return ctx_.db; }

void TFrmSqlWin::RebuildQuery() {
  QString select, where, order;
  InitSQLStrings(select, where, order);
  sql_ = select;
  if (!where.isEmpty()) sql_ += QStringLiteral(" where ") + where;
  if (!order.isEmpty()) sql_ += QStringLiteral(" order by ") + order;
  Params params = GetQueryParams();
  for (auto it = master_keys_.begin(); it != master_keys_.end(); ++it)
    if (sql_.contains(QLatin1Char(':') + it.key())) params.insert(it.key(), it.value());
  QScopedValueRollback<bool> arranging(arranging_, true);
  static_cast<ListModel*>(model_)->Open(ctx_.db, select, where, order, params, GetKeyName());
  for (const QString& column : clerk_hidden_)
    if (const int c = ColumnOf(column); c >= 0) grid_->setColumnHidden(c, false);
  AfterQuery();
  program_hidden_.clear();
  for (int c = 0; c < model_->record().count(); ++c)
    if (grid_->isColumnHidden(c)) program_hidden_ << model_->record().fieldName(c).toUpper();
  if (!layout_restored_) {
    RestoreLayout();
    layout_restored_ = true;
  }
  ApplyHiddenColumns();
  FitColumns();
  if (model_->rowCount() > 0 && !grid_->currentIndex().isValid()) grid_->selectRow(0);
}

int TFrmSqlWin::ColumnOf(const QString& column) const {
  const QSqlRecord rec = model_->record();
  for (int i = 0; i < rec.count(); ++i)
    if (rec.fieldName(i).compare(column, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

void TFrmSqlWin::ApplyHiddenColumns() {
  const QSqlRecord rec = model_->record();
  for (int c = 0; c < rec.count(); ++c) {
    const QString name = rec.fieldName(c).toUpper();
    grid_->setColumnHidden(c, program_hidden_.contains(name) || clerk_hidden_.contains(name));
  }
}

void TFrmSqlWin::SetColumnHiddenByUser(const QString& column, bool hidden) {
  const QString name = column.toUpper();
  const int c = ColumnOf(name);
  if (c < 0 || program_hidden_.contains(name)) return;
  clerk_hidden_.removeAll(name);
  if (hidden) clerk_hidden_ << name;
  {
    QScopedValueRollback<bool> arranging(arranging_, true);
    grid_->setColumnHidden(c, hidden);
  }
  ClerkChangedLayout();
}

void TFrmSqlWin::ShowHeaderMenu(const QPoint& at) {
  QMenu menu(this);
  const QSqlRecord rec = model_->record();
  for (int c = 0; c < rec.count(); ++c) {
    const QString name = rec.fieldName(c).toUpper();
    if (program_hidden_.contains(name)) continue;
    QString caption = model_->headerData(c, Qt::Horizontal).toString().trimmed();
    QAction* a = menu.addAction(caption.isEmpty() ? name : caption);
    a->setCheckable(true);
    a->setChecked(!grid_->isColumnHidden(c));
    connect(a, &QAction::toggled, this, [this, name](bool shown) { SetColumnHiddenByUser(name, !shown); });
  }
  menu.exec(grid_->horizontalHeader()->mapToGlobal(at));
}

void TFrmSqlWin::ClerkChangedLayout() {
  if (arranging_) return;
  clerk_layout_ = true;
  save_timer_->start();
}

void TFrmSqlWin::FitColumns() {
  if (clerk_layout_ || model_->columnCount() == 0) return;
  QScopedValueRollback<bool> arranging(arranging_, true);
  // Long free texts would push the rest out of sight; their whole text is the tooltip.
  constexpr int kNajszersza = 360;
  grid_->resizeColumnsToContents();
  for (int c = 0; c < model_->columnCount(); ++c)
    if (grid_->columnWidth(c) > kNajszersza) grid_->setColumnWidth(c, kNajszersza);
  StretchColumn();
}

void TFrmSqlWin::StretchColumn() {
  const int stretch = ColumnOf(GetStretchColumn());
  if (clerk_layout_ || stretch < 0 || grid_->isColumnHidden(stretch)) return;
  QScopedValueRollback<bool> arranging(arranging_, true);
  int others = 0;
  for (int c = 0; c < model_->columnCount(); ++c)
    if (c != stretch && !grid_->isColumnHidden(c)) others += grid_->columnWidth(c);
  const int room = grid_->viewport()->width() - others;
  if (room > static_cast<const QAbstractItemView*>(grid_)->sizeHintForColumn(stretch)) grid_->setColumnWidth(stretch, room);
}

QString TFrmSqlWin::CutCellText(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  const QString text = model_->data(index, Qt::DisplayRole).toString();
  if (text.isEmpty()) return {};
  // Measured as the grid measures a column it fits to its content: padding and icon included.
  QStyleOptionViewItem option;
  option.initFrom(grid_);
  option.widget = grid_;
  const int icon = grid_->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, grid_);
  option.decorationSize = grid_->iconSize().isValid() ? grid_->iconSize() : QSize(icon, icon);
  const int needed = grid_->itemDelegate()->sizeHint(option, index).width();
  return needed > grid_->columnWidth(index.column()) ? text : QString();
}

void TFrmSqlWin::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  StretchColumn();
}

void TFrmSqlWin::RefreshKey(qint64 id) {
  RebuildQuery();
  if (id > 0) Locate(GetKeyName(), id);
  UpdateControls();
}

void TFrmSqlWin::RefreshOpenLists(qint64 id) {
  RefreshKey(id > 0 ? id : CurrentKey());
  if (!ctx_.main_form) return;
  for (QWidget* w : ctx_.main_form->OpenWindows())
    if (auto* list = qobject_cast<TFrmSqlWin*>(w); list && list != this) list->RefreshKey(list->CurrentKey());
}

bool TFrmSqlWin::Locate(const QString& column, const QVariant& value) {
  const int col = model_->record().indexOf(column);
  int c = col;
  if (c < 0)
    for (int i = 0; i < model_->record().count(); ++i)
      if (model_->record().fieldName(i).compare(column, Qt::CaseInsensitive) == 0) c = i;
  if (c < 0 || !value.isValid()) return false;
  const QString wanted = value.toString();
  for (int row = 0;; ++row) {
    if (row >= model_->rowCount()) {
      if (!model_->canFetchMore()) return false;
      model_->fetchMore();
      if (row >= model_->rowCount()) return false;
    }
    if (model_->data(model_->index(row, c)).toString() == wanted) {
      grid_->selectRow(row);
      grid_->scrollTo(model_->index(row, c));
      return true;
    }
    // A key no longer there is not looked for through a million rows.
    if (column.compare(GetKeyName(), Qt::CaseInsensitive) == 0 && static_cast<const ListModel*>(model_)->PastKey(row, value)) return false;
  }
}

std::optional<Row> TFrmSqlWin::GetBoxQuery() const {
  const QModelIndex current = grid_->currentIndex();
  if (!current.isValid()) return std::nullopt;
  const QSqlRecord rec = model_->record();
  QStringList names;
  QVariantList values;
  for (int i = 0; i < rec.count(); ++i) {
    names << rec.fieldName(i);
    values << static_cast<const ListModel*>(model_)->Value(current.row(), i);
  }
  return Row(names, values);
}

qint64 TFrmSqlWin::CurrentKey() const {
  const auto row = GetBoxQuery();
  return row ? row->Int64(const_cast<TFrmSqlWin*>(this)->GetKeyName()) : 0;
}

void TFrmSqlWin::NewRecord() {
  if (!BeforeNewEdit(true)) return;
  std::unique_ptr<TEditBox> box(GetEditBox(true));
  if (!box) return;
  AfterNewEdit(box.get(), true);
  if (box->ShowBox() != 1) return;
  RefreshKey(AfterApplyNewEdit(box.get(), true));
}

void TFrmSqlWin::EditRecord() {
  if (CurrentKey() <= 0 || !BeforeNewEdit(false)) return;
  std::unique_ptr<TEditBox> box(GetEditBox(false));
  if (!box) return;
  AfterNewEdit(box.get(), false);
  if (box->ShowBox() != 1) return;
  RefreshKey(AfterApplyNewEdit(box.get(), false));
}

void TFrmSqlWin::DeleteRecord() {
  const qint64 id = CurrentKey();
  if (id <= 0 || !BeforeDelete(id)) return;
  if (ctx_.dialogs.PytanieNieTak(QStringLiteral("Czy usunąć zaznaczoną pozycję?")) != kIdYes) return;
  const int row = grid_->currentIndex().row();
  DeleteRec(id);
  AfterDelete(id);
  RebuildQuery();
  if (model_->rowCount() > 0) grid_->selectRow(std::min(row, model_->rowCount() - 1));
  UpdateControls();
}

TFrmSqlWin* TFrmSqlWin::OpenDetail() {
  if (CurrentKey() <= 0) return nullptr;
  TFrmSqlWin* detail = GetDetailWin();
  if (!detail) return nullptr;
  detail->SetMasterKeys(GetRelationKeys());
  detail->Init();
  detail->setAttribute(Qt::WA_DeleteOnClose);
  if (ctx_.main_form) {
    QMdiSubWindow* sub = ctx_.main_form->Mdi()->addSubWindow(detail);
    sub->resize(900, 480);
    sub->show();
    // Placed after it is shown, when the area knows its size.
    ctx_.main_form->FitInside(sub);
  } else {
    detail->show();
  }
  detail->setFocus();
  return detail;
}

void TFrmSqlWin::RunDefaultAction() {
  for (QAction* a : default_actions_)
    if (a->isEnabled() && a->isVisible()) {
      a->trigger();
      return;
    }
}

bool TFrmSqlWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      RunDefaultAction();
      return true;
    }
    const bool ctrl_insert = key->key() == Qt::Key_Insert && key->modifiers() == Qt::ControlModifier;
    if (key->matches(QKeySequence::Copy) || ctrl_insert) {
      // The cell's text as the grid shows it, not the stored value.
      const QModelIndex i = grid_->currentIndex();
      if (i.isValid()) QApplication::clipboard()->setText(model_->data(i, Qt::DisplayRole).toString().trimmed());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

QString TFrmSqlWin::LayoutSection() const {
  // Kept under the window's own name, the section its other settings use too.
  return objectName().isEmpty() ? QString::fromLatin1(metaObject()->className()) : objectName();
}

void TFrmSqlWin::SaveLayout() {
  save_timer_->stop();
  ctx_.options.WriteOption(LayoutSection(), QStringLiteral("Uklad"), QString::fromLatin1(grid_->horizontalHeader()->saveState().toBase64()),
                           OptionScope::User);
  ctx_.options.WriteOption(LayoutSection(), QStringLiteral("Ukryte"), clerk_hidden_.join(QLatin1Char(';')), OptionScope::User);
}

void TFrmSqlWin::RestoreLayout() {
  const QString state = ctx_.options.ReadOption(LayoutSection(), QStringLiteral("Uklad"), QString(), OptionScope::User);
  if (!state.isEmpty() && grid_->horizontalHeader()->restoreState(QByteArray::fromBase64(state.toLatin1()))) clerk_layout_ = true;
  const QString hidden = ctx_.options.ReadOption(LayoutSection(), QStringLiteral("Ukryte"), QString(), OptionScope::User);
  clerk_hidden_ = hidden.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

void TFrmSqlWin::closeEvent(QCloseEvent* event) {
  DoClose();
  // A layout the clerk never touched is fitted to the rows again next time.
  if (clerk_layout_) SaveLayout();
  QWidget::closeEvent(event);
}

THostTableWin::THostTableWin(HostContext& ctx, const TableSpec& table_spec, QWidget* parent)
    : TFrmSqlWin(ctx, parent), spec_(table_spec) {
  setObjectName(table_spec.window_class);
  setWindowTitle(table_spec.caption);
}

void THostTableWin::SetFilter(const QString& where, const Params& params) {
  filter_ = where;
  filter_params_ = params;
}

void THostTableWin::InitSQLStrings(QString& select, QString& where, QString& order) {
  QStringList columns{spec_.Key()};
  for (const FieldSpec& f : spec_.fields)
    if (f.in_grid) columns << f.column;
  select = QStringLiteral("select %1 from %2").arg(columns.join(QStringLiteral(", ")), spec_.table);
  where = filter_;
  order = spec_.order;
}


TEditBox* THostTableWin::GetEditBox(bool is_new) {
  auto* box = new TRecordEditBox(ctx_, spec_, this);
  RecordStore store(ctx_, spec_);
  box->SetRecord(is_new ? store.Empty() : store.Load(CurrentKey()));
  box->SetViewMode(read_only_);
  return box;
}

void THostTableWin::TylkoDoOdczytu() {
  read_only_ = true;
  for (QAction* a : {actNowy, actUsun}) {
    a->setVisible(false);
    a->setEnabled(false);
  }
}

qint64 THostTableWin::AfterApplyNewEdit(TEditBox* box, bool) { return RecordStore(ctx_, spec_).Store(box->Record()); }

void THostTableWin::AfterQuery() {
  int column = 0;
  Model()->setHeaderData(column++, Qt::Horizontal, QStringLiteral("Id"));
  for (const FieldSpec& f : spec_.fields)
    if (f.in_grid) Model()->setHeaderData(column++, Qt::Horizontal, f.grid_caption.isEmpty() ? f.caption : f.grid_caption);
  Grid()->setColumnHidden(0, !spec_.key_in_grid);
}

void THostTableWin::DeleteRec(qint64 id) { RecordStore(ctx_, spec_).Delete(id); }

std::optional<Row> PickRow(TFrmSqlWin* list, const QString& column, const QVariant& initial, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(list->windowTitle());
  auto* layout = new QVBoxLayout(&dialog);
  list->setParent(&dialog);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QStringLiteral("Wybierz"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  // In a picker Enter and double-click choose.
  auto* choose = new QAction(QStringLiteral("Wybierz"), list);
  QObject::connect(choose, &QAction::triggered, &dialog, &QDialog::accept);
  list->AddActionToMenu(choose, true);
  if (initial.isValid()) list->Locate(column, initial);
  dialog.resize(760, 480);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return list->GetBoxQuery();
}

}  // namespace velmora::host
