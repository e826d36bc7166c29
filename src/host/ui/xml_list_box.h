#pragma once

#include "host/base/dialogs.h"
#include "host/xml/group.h"

#include <QAbstractTableModel>
#include <QString>
#include <QWidget>

#include <vector>

class QPushButton;
class QTableView;

namespace velmora::host {

// One column of a list: a field of the repeated record (attribute or element text) and its
// caption. An empty field shows the row's ordinal number.
struct XmlListColumn {
  QString field;
  QString caption;
};

// The repeated children of one element as table rows, one column per listed field.
// Needs no widgets.
class XmlGroupListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit XmlGroupListModel(QObject* parent = nullptr);

  // Lists the children described by `item_desc` under `parent`. Throws std::logic_error for a
  // column naming a field the description does not have.
  void SetSource(xml::Group parent, const xml::GroupDesc& item_desc, std::vector<XmlListColumn> columns);
  const xml::Group& Parent() const { return parent_; }
  const xml::GroupDesc* ItemDesc() const { return item_desc_; }
  const std::vector<XmlListColumn>& Columns() const { return columns_; }

  // Reads the children again from the document and resets the view.
  void Reload();
  // Reads the children again: a reset when the elements changed, changed data otherwise
  // (a view keeps its selection then).
  void Refresh();
  int Count() const { return static_cast<int>(items_.size()); }
  // Null for a row out of range.
  xml::Group Item(int row) const;
  int RowOf(const xml::Group& item) const;

  // A new child element in schema order; answers its row (-1 without a parent element).
  int AddItem();
  bool RemoveItem(int row);
  // Tells the views that a row's fields changed.
  void ItemChanged(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<xml::Group> ReadItems() const;

  xml::Group parent_;
  const xml::GroupDesc* item_desc_ = nullptr;
  std::vector<XmlListColumn> columns_;
  std::vector<xml::Group> items_;
};

// What a key does in the list.
enum class XmlListAction { None, Add, Edit, Delete };
XmlListAction XmlListActionForKey(int key, Qt::KeyboardModifiers modifiers);

// A list editor of repeated XML records with "Dodaj", "Popraw" and "Usuń" (and Insert, Enter,
// Delete). A subclass opens its own editor in EditItem.
class TQuorvikXmlBox : public QWidget {
  Q_OBJECT

 public:
  explicit TQuorvikXmlBox(Dialogs& dialogs, QWidget* parent = nullptr);

  void SetSource(xml::Group parent, const xml::GroupDesc& item_desc, std::vector<XmlListColumn> columns);
  XmlGroupListModel& Model() { return model_; }
  QTableView* View() const { return view_; }
  QPushButton* AddButton() const { return add_button_; }
  QPushButton* EditButton() const { return edit_button_; }
  QPushButton* DeleteButton() const { return delete_button_; }

  // -1 when no row is selected.
  int CurrentRow() const;
  void SetCurrentRow(int row);

 public slots:
  // Each answers whether the list changed.
  bool AddNew();
  bool EditCurrent();
  bool DeleteCurrent();

 signals:
  void Changed();

 protected:
  // Edits `item` (a new, empty child when `is_new`); false cancels, and a new child is removed.
  virtual bool EditItem(xml::Group& /*item*/, bool /*is_new*/) { return false; }
  // After every add, edit or delete, e.g. to renumber the records.
  virtual void AfterChange() {}

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AfterListChange(int select_row);
  void UpdateButtons();

  Dialogs& dialogs_;
  XmlGroupListModel model_;
  QTableView* view_;
  QPushButton* add_button_;
  QPushButton* edit_button_;
  QPushButton* delete_button_;
};

}  // namespace velmora::host
