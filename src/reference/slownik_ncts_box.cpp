#include "slownik_ncts_box.h"

#include "host/base/host_context.h"
#include "host/ui/main_form.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace velmora::reference {

namespace {

// The host's grid colours (WIN_GRID_SELECTED_COLOR, WIN_GRID_INACTIVE_COLOR) and the row texts.
const QColor kWinGridSelectedColor(0xC4, 0xDA, 0xF6);
const QColor kWinGridInactiveColor(0xE6, 0xE6, 0xE6);
const QColor kSelectedText(0, 0, 128);
const QColor kFocusedText(0, 0, 255);

constexpr int kColKod = 0;
constexpr int kColOpis = 1;
constexpr int kColLp = 2;

// Where the host drops a pop-up under a control: below it, kept on the control's screen.
QPoint PopupControlPos(QWidget* control, const QSize& size) {
  QPoint pos = control->mapToGlobal(QPoint(0, control->height()));
  if (QScreen* screen = control->screen()) {
    const QRect area = screen->availableGeometry();
    if (pos.y() + size.height() > area.bottom()) pos.setY(control->mapToGlobal(QPoint(0, 0)).y() - size.height());
    pos.setX(std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    pos.setY(std::max(pos.y(), area.top()));
  }
  return pos;
}

// Typing searches the sorted column; the copy shortcut copies the selected rows.
class SlownikGrid : public QTableView {
 public:
  using QTableView::QTableView;

  void keyboardSearch(const QString& search) override {
    if (search.isEmpty() || !model()) return;
    if (!typed_timer_.isValid() || typed_timer_.elapsed() > QApplication::keyboardInputInterval()) typed_.clear();
    typed_ += search;
    typed_timer_.restart();
    const int column = horizontalHeader()->sortIndicatorSection();
    for (int row = 0; row < model()->rowCount(); ++row) {
      if (model()->index(row, column).data().toString().startsWith(typed_, Qt::CaseInsensitive)) {
        setCurrentIndex(model()->index(row, kColKod));
        return;
      }
    }
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Copy)) {
      std::set<int> rows;
      for (const QModelIndex& i : selectionModel()->selectedIndexes()) rows.insert(i.row());
      QStringList lines;
      for (int row : rows)
        lines << model()->index(row, kColKod).data().toString() + QLatin1Char('\t') +
                     model()->index(row, kColOpis).data().toString();
      QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
      return;
    }
    QTableView::keyPressEvent(event);
  }

 private:
  QString typed_;
  QElapsedTimer typed_timer_;
};

// Draws the selected and the focused row in the host's colours instead of the style's.
class RowColours : public QStyledItemDelegate {
 public:
  explicit RowColours(QTableView* view) : QStyledItemDelegate(view), view_(view) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    QColor back;
    QColor text;
    if (option->state & QStyle::State_Selected) {
      back = kWinGridSelectedColor;
      text = kSelectedText;
    } else if (index.row() == view_->currentIndex().row()) {
      back = kWinGridInactiveColor;
      text = kFocusedText;
    } else {
      return;
    }
    option->state &= ~QStyle::State_Selected;
    option->backgroundBrush = back;
    option->palette.setColor(QPalette::Text, text);
  }

 private:
  QTableView* view_;
};

// An hourglass while a dictionary file is read, where there is a screen.
void WaitCursor(bool busy) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace

// The entry table as the grid shows it: Kod, Opis and the hidden row number.
class SlownikModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetTable(const SlownikTable* table) {
    beginResetModel();
    table_ = table;
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() || !table_ ? 0 : static_cast<int>(table_->Count());
  }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!table_ || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const SlownikRow& row = table_->Row(index.row());
    switch (index.column()) {
      case kColKod: return row.kod;
      case kColOpis: return row.opis;
      default: return index.row() + 1;
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kCaptions[] = {" Kod", " Opis", " Lp"};
    return QString::fromLatin1(kCaptions[section]);
  }

 private:
  const SlownikTable* table_ = nullptr;
};

TSlownikNCTS_BOX::TSlownikNCTS_BOX(host::HostContext& ctx, QWidget* parent)
    : host::TEditBox(ctx, parent),
      slownik_(ctx.dialogs, ctx.root),
      model_(new SlownikModel(this)),
      proxy_(new QSortFilterProxyModel(this)),
      grid_(new SlownikGrid(this)),
      memo_(new QPlainTextEdit(this)),
      splitter_(new QSplitter(Qt::Vertical, this)) {
  setObjectName(QStringLiteral("TSlownikNCTS_BOX"));
  setSizeGripEnabled(true);
  slownik_.SetBusyHook(WaitCursor);

  proxy_->setSourceModel(model_);
  grid_->setObjectName(QStringLiteral("tvSlownik"));
  grid_->setModel(proxy_);
  grid_->setItemDelegate(new RowColours(grid_));
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSortIndicator(kColKod, Qt::AscendingOrder);
  grid_->setSortingEnabled(true);
  grid_->setColumnHidden(kColLp, true);
  grid_->setColumnWidth(kColKod, 120);
  grid_->setColumnWidth(kColOpis, 500);
  grid_->installEventFilter(this);
  connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Choose();
  });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ShowCurrentOpis(); });

  memo_->setObjectName(QStringLiteral("mOpis"));
  memo_->setReadOnly(true);
  memo_->installEventFilter(this);

  splitter_->addWidget(grid_);
  splitter_->addWidget(memo_);
  splitter_->setStretchFactor(0, 4);
  splitter_->setStretchFactor(1, 1);
  layout()->addWidget(splitter_);
  resize(680, 480);
}

TSlownikNCTS_BOX::~TSlownikNCTS_BOX() = default;

void TSlownikNCTS_BOX::CreateDefaultButtons() {
  if (buttons_) return;
  buttons_ = new QDialogButtonBox(this);
  QPushButton* wybierz = buttons_->addButton(QStringLiteral("Wybierz"), QDialogButtonBox::AcceptRole);
  wybierz->setObjectName(QStringLiteral("btnWybierz"));
  buttons_->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  connect(buttons_, &QDialogButtonBox::accepted, this, [this] { Choose(); });
  connect(buttons_, &QDialogButtonBox::rejected, this, [this] {
    actCancelExecute();
    reject();
  });
  layout()->addWidget(buttons_);
}

bool TSlownikNCTS_BOX::LoadSlownik(const QVariant& key) {
  if (!slownik_.LoadSlownik(key)) return false;
  model_->SetTable(&slownik_.Table());
  setWindowTitle(slownik_.Title());
  ShowCurrentOpis();
  return true;
}

void TSlownikNCTS_BOX::LocateKod(const QString& code) {
  if (model_->rowCount() == 0) return;
  const qsizetype found = slownik_.Table().Locate(code);
  const QModelIndex source = model_->index(found < 0 ? 0 : static_cast<int>(found), kColKod);
  const QModelIndex at = proxy_->mapFromSource(source);
  grid_->setCurrentIndex(at);
  grid_->scrollTo(at, QAbstractItemView::PositionAtCenter);
}

void TSlownikNCTS_BOX::SetShowOpis(bool show) { memo_->setVisible(show); }

void TSlownikNCTS_BOX::AnchorTo(QWidget* anchor) {
  grid_->setColumnWidth(kColKod, anchor->width() - 4);
  move(PopupControlPos(anchor, frameGeometry().size()));
}

QString TSlownikNCTS_BOX::CurrentKod() const {
  const QModelIndex current = grid_->currentIndex();
  return current.isValid() ? proxy_->index(current.row(), kColKod).data().toString() : QString();
}

bool TSlownikNCTS_BOX::actOkExecute() {
  if (!grid_->currentIndex().isValid()) return false;
  chosen_ = CurrentKod();
  result_ = 1;
  return true;
}

void TSlownikNCTS_BOX::Choose() {
  if (actOkExecute()) accept();
}

void TSlownikNCTS_BOX::ShowCurrentOpis() {
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid())
    memo_->setPlainText(proxy_->index(current.row(), kColOpis).data().toString().trimmed());
  else
    memo_->clear();
}

bool TSlownikNCTS_BOX::eventFilter(QObject* watched, QEvent* event) {
  if (watched == memo_ && event->type() == QEvent::FocusIn) {
    grid_->setFocus();
    return false;
  }
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Choose();
      return true;
    }
  }
  return host::TEditBox::eventFilter(watched, event);
}

int TSlownikNCTS_BOX::Listuj(host::HostContext& ctx, const QVariant& key, QString& code, QWidget* anchor,
                             bool show_opis) {
  code = code.trimmed();
  TSlownikNCTS_BOX box(ctx, anchor ? anchor->window() : ctx.main_form);
  // Nothing to pick from when the dictionary does not load; the error has been shown.
  if (!box.LoadSlownik(key)) return kMrCancel;
  box.LocateKod(code);
  box.SetShowOpis(show_opis);
  if (anchor) box.AnchorTo(anchor);
  if (box.ShowBox() != 1) return kMrCancel;
  code = box.ChosenKod().trimmed();
  return kMrOk;
}

bool TSlownikNCTS_BOX::JestKod(host::HostContext& ctx, const QVariant& key, const QString& code) {
  SlownikNCTS slownik(ctx.dialogs, ctx.root);
  slownik.SetBusyHook(WaitCursor);
  return slownik.JestKod(key, code);
}

QString TSlownikNCTS_BOX::GetOpis(host::HostContext& ctx, const QVariant& key, const QString& code) {
  SlownikNCTS slownik(ctx.dialogs, ctx.root);
  slownik.SetBusyHook(WaitCursor);
  return slownik.GetOpis(key, code);
}

}  // namespace velmora::reference
