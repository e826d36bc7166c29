#include "host/ui/xml_list_box.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace velmora::host {

XmlGroupListModel::XmlGroupListModel(QObject* parent) : QAbstractTableModel(parent) {}

void XmlGroupListModel::SetSource(xml::Group parent, const xml::GroupDesc& item_desc,
                                  std::vector<XmlListColumn> columns) {
  for (const XmlListColumn& c : columns)
    if (!c.field.isEmpty() && !item_desc.Find(c.field))
      throw std::logic_error(
          QStringLiteral("Element %1 nie ma pola %2").arg(item_desc.name, c.field).toStdString());
  beginResetModel();
  parent_ = std::move(parent);
  item_desc_ = &item_desc;
  columns_ = std::move(columns);
  items_ = ReadItems();
  endResetModel();
}

std::vector<xml::Group> XmlGroupListModel::ReadItems() const {
  if (!item_desc_) return {};
  return parent_.List(*item_desc_);
}

void XmlGroupListModel::Reload() {
  beginResetModel();
  items_ = ReadItems();
  endResetModel();
}

void XmlGroupListModel::Refresh() {
  std::vector<xml::Group> fresh = ReadItems();
  const bool same = std::equal(items_.begin(), items_.end(), fresh.begin(), fresh.end(),
                               [](const xml::Group& a, const xml::Group& b) { return a.Node() == b.Node(); });
  if (!same) {
    beginResetModel();
    items_ = std::move(fresh);
    endResetModel();
    return;
  }
  if (!items_.empty() && !columns_.empty())
    emit dataChanged(index(0, 0), index(Count() - 1, static_cast<int>(columns_.size()) - 1));
}

xml::Group XmlGroupListModel::Item(int row) const {
  if (row < 0 || row >= Count()) return {};
  return items_[static_cast<size_t>(row)];
}

int XmlGroupListModel::RowOf(const xml::Group& item) const {
  for (int row = 0; row < Count(); ++row)
    if (items_[static_cast<size_t>(row)].Node() == item.Node()) return row;
  return -1;
}

int XmlGroupListModel::AddItem() {
  if (parent_.IsNull() || !item_desc_) return -1;
  const xml::Group added = parent_.Add(*item_desc_);
  std::vector<xml::Group> fresh = ReadItems();
  int row = -1;
  for (size_t i = 0; i < fresh.size(); ++i)
    if (fresh[i].Node() == added.Node()) row = static_cast<int>(i);
  if (row < 0 || fresh.size() != items_.size() + 1) {
    // The document changed behind the model: start over rather than guess the rows.
    Reload();
    return RowOf(added);
  }
  beginInsertRows({}, row, row);
  items_ = std::move(fresh);
  endInsertRows();
  return row;
}

bool XmlGroupListModel::RemoveItem(int row) {
  if (row < 0 || row >= Count()) return false;
  beginRemoveRows({}, row, row);
  xml::XML_RemoveNode(items_[static_cast<size_t>(row)].Node());
  items_.erase(items_.begin() + row);
  endRemoveRows();
  return true;
}

void XmlGroupListModel::ItemChanged(int row) {
  if (row < 0 || row >= Count() || columns_.empty()) return;
  emit dataChanged(index(row, 0), index(row, static_cast<int>(columns_.size()) - 1));
}

int XmlGroupListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

int XmlGroupListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant XmlGroupListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count() || index.column() >= columnCount()) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const XmlListColumn& column = columns_[static_cast<size_t>(index.column())];
  if (column.field.isEmpty()) return index.row() + 1;
  return items_[static_cast<size_t>(index.row())].Get(column.field);
}

QVariant XmlGroupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
    return columns_[static_cast<size_t>(section)].caption;
  return QAbstractTableModel::headerData(section, orientation, role);
}

XmlListAction XmlListActionForKey(int key, Qt::KeyboardModifiers modifiers) {
  // Keypad keys carry a modifier of their own; anything else held down is another shortcut.
  if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return XmlListAction::None;
  switch (key) {
    case Qt::Key_Insert:
      return XmlListAction::Add;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return XmlListAction::Edit;
    case Qt::Key_Delete:
      return XmlListAction::Delete;
    default:
      return XmlListAction::None;
  }
}

TQuorvikXmlBox::TQuorvikXmlBox(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      view_(new QTableView(this)),
      add_button_(new QPushButton(QStringLiteral("Dodaj"), this)),
      edit_button_(new QPushButton(QStringLiteral("Popraw"), this)),
      delete_button_(new QPushButton(QStringLiteral("Usuń"), this)) {
  view_->setModel(&model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->installEventFilter(this);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add_button_);
  buttons->addWidget(edit_button_);
  buttons->addWidget(delete_button_);
  buttons->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);

  connect(add_button_, &QPushButton::clicked, this, &TQuorvikXmlBox::AddNew);
  connect(edit_button_, &QPushButton::clicked, this, &TQuorvikXmlBox::EditCurrent);
  connect(delete_button_, &QPushButton::clicked, this, &TQuorvikXmlBox::DeleteCurrent);
  connect(view_, &QTableView::doubleClicked, this, &TQuorvikXmlBox::EditCurrent);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TQuorvikXmlBox::UpdateButtons);
  connect(&model_, &QAbstractItemModel::modelReset, this, &TQuorvikXmlBox::UpdateButtons);
  connect(&model_, &QAbstractItemModel::rowsRemoved, this, &TQuorvikXmlBox::UpdateButtons);
  UpdateButtons();
}

void TQuorvikXmlBox::SetSource(xml::Group parent, const xml::GroupDesc& item_desc,
                               std::vector<XmlListColumn> columns) {
  model_.SetSource(std::move(parent), item_desc, std::move(columns));
  SetCurrentRow(model_.Count() > 0 ? 0 : -1);
  UpdateButtons();
}

int TQuorvikXmlBox::CurrentRow() const {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TQuorvikXmlBox::SetCurrentRow(int row) {
  if (row >= 0 && row < model_.Count()) {
    view_->selectRow(row);
  } else {
    view_->selectionModel()->clear();
  }
  UpdateButtons();
}

void TQuorvikXmlBox::UpdateButtons() {
  const bool has_row = CurrentRow() >= 0;
  add_button_->setEnabled(!model_.Parent().IsNull() && model_.ItemDesc());
  edit_button_->setEnabled(has_row);
  delete_button_->setEnabled(has_row);
}

void TQuorvikXmlBox::AfterListChange(int select_row) {
  AfterChange();
  model_.Refresh();
  SetCurrentRow(std::min(select_row, model_.Count() - 1));
  emit Changed();
}

bool TQuorvikXmlBox::AddNew() {
  const int row = model_.AddItem();
  if (row < 0) return false;
  xml::Group item = model_.Item(row);
  bool accepted = false;
  try {
    accepted = EditItem(item, true);
  } catch (...) {
    model_.RemoveItem(row);
    throw;
  }
  if (!accepted) {
    model_.RemoveItem(row);
    return false;
  }
  AfterListChange(row);
  return true;
}

bool TQuorvikXmlBox::EditCurrent() {
  const int row = CurrentRow();
  if (row < 0) return false;
  xml::Group item = model_.Item(row);
  if (!EditItem(item, false)) return false;
  AfterListChange(row);
  return true;
}

bool TQuorvikXmlBox::DeleteCurrent() {
  const int row = CurrentRow();
  if (row < 0) return false;
  if (dialogs_.PytanieNieTak(QStringLiteral("Czy usunąć zaznaczoną pozycję?")) != kIdYes) return false;
  model_.RemoveItem(row);
  AfterListChange(row);
  return true;
}

bool TQuorvikXmlBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (XmlListActionForKey(key->key(), key->modifiers())) {
      case XmlListAction::Add:
        AddNew();
        return true;
      case XmlListAction::Edit:
        EditCurrent();
        return true;
      case XmlListAction::Delete:
        DeleteCurrent();
        return true;
      case XmlListAction::None:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velmora::host
