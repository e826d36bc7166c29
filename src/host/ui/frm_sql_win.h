#pragma once

#include "host/db/db.h"
#include "host/db/record_store.h"

#include <QVariantMap>
#include <QWidget>

#include <optional>

class QAction;
class QModelIndex;
class QSqlQueryModel;
class QTimer;
class QTableView;
class QToolBar;

namespace velmora::host {

struct HostContext;
class TEditBox;

// A list window over one SQL query: a grid that fetches rows as it scrolls, actions, an
// editor per row, master-detail through relation keys, the grid layout kept per window.
class TFrmSqlWin : public QWidget {
  Q_OBJECT
 public:
  explicit TFrmSqlWin(HostContext& ctx, QWidget* parent = nullptr);
  ~TFrmSqlWin() override;

  // Builds the actions and runs the query; call once the subclass is constructed.
  void Init();

  // Overridables.
  virtual QString GetMainCaption() { return windowTitle(); }
  // select text (without where and order), where condition, order by text.
  virtual void InitSQLStrings(QString& select, QString& where, QString& order) = 0;
  virtual Params GetQueryParams() { return {}; }
  virtual QString GetKeyName() = 0;
  virtual TEditBox* GetEditBox(bool is_new) { Q_UNUSED(is_new); return nullptr; }
  virtual bool BeforeNewEdit(bool is_new) { Q_UNUSED(is_new); return true; }
  virtual void AfterNewEdit(TEditBox* box, bool is_new) { Q_UNUSED(box); Q_UNUSED(is_new); }
  // The accepted editor: store its record; answers the key of the stored row.
  virtual qint64 AfterApplyNewEdit(TEditBox* box, bool is_new) { Q_UNUSED(box); Q_UNUSED(is_new); return 0; }
  virtual bool BeforeDelete(qint64 id) { Q_UNUSED(id); return true; }
  virtual void DeleteRec(qint64 id) { Q_UNUSED(id); }
  virtual void AfterDelete(qint64 id) { Q_UNUSED(id); }
  // The detail window of the current row (a new list the caller owns), null when none.
  virtual TFrmSqlWin* GetDetailWin() { return nullptr; }
  virtual int GetRelationKeysCount() { return static_cast<int>(GetRelationKeys().size()); }
  // The values the detail window is filtered by, under the detail's names (ID_TRANZYTY of
  // the master becomes TRANZYTY_ID of the detail ...).
  virtual QVariantMap GetRelationKeys() { return {}; }
  // Opens the detail of the current row: in the main window when there is one.
  TFrmSqlWin* OpenDetail();
  void SetMasterKeys(const QVariantMap& keys) { master_keys_ = keys; }
  const QVariantMap& MasterKeys() const { return master_keys_; }
  virtual void UpdateControls();
  virtual void DoClose() {}
  // After every run of the query (captions of the columns ...).
  virtual void AfterQuery() {}
  // What a cell shows beyond the stored value: colours, prefixes, "TAK" for 1 ...; the
  // default is the stored value for the display role and nothing for the others.
  virtual QVariant CellData(int row, const QString& column, int role, const QVariant& stored) const;
  // The stored value of a column in a row of the grid.
  QVariant Stored(int row, const QString& column) const;
  // The column that takes the width the others leave (the description).
  virtual QString GetStretchColumn() { return QStringLiteral("OPIS"); }
  // The whole text of a cell the grid cuts; empty when it fits.
  QString CutCellText(const QModelIndex& index) const;
  // A clerk hides or shows a column from the header's menu; kept per user.
  void SetColumnHiddenByUser(const QString& column, bool hidden);

  // Called by subclasses and the host.
  std::optional<Row> GetBoxQuery() const;  // the current row
  qint64 CurrentKey() const;
  Db& GetDatabase();
  void RebuildQuery();
  // Runs the query again and puts the cursor on the row with this key.
  void RefreshKey(qint64 id);
  // After work that stores rows other lists show (a send, a receive): every open list reads
  // again, each keeping its cursor; this one goes to `id` when one is given.
  void RefreshOpenLists(qint64 id = 0);
  bool Locate(const QString& column, const QVariant& value);
  void AddActionToMenu(QAction* action, bool is_default = false);
  // The whole statement as it is run (for tests and the status line).
  QString SqlText() const { return sql_; }

  // Actions the user runs; also callable without a screen.
  void NewRecord();
  void EditRecord();
  void DeleteRecord();

  QTableView* Grid() const { return grid_; }
  QSqlQueryModel* Model() const { return model_; }
  QAction* actNowy = nullptr;
  QAction* actPopraw = nullptr;
  QAction* actUsun = nullptr;
  QAction* actOdswiez = nullptr;

 signals:
  void RowChosen(qint64 id);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  HostContext& ctx_;

 private:
  void RunDefaultAction();
  void SaveLayout();
  QString LayoutSection() const;
  void RestoreLayout();
  int ColumnOf(const QString& column) const;
  void ApplyHiddenColumns();
  // Columns sized to what they show, the description taking the rest, until the clerk
  // sets a layout of their own.
  void FitColumns();
  void StretchColumn();
  void ShowHeaderMenu(const QPoint& at);
  void ClerkChangedLayout();
  QToolBar* toolbar_;
  QTableView* grid_;
  QSqlQueryModel* model_;
  QList<QAction*> default_actions_;
  QString sql_;
  bool layout_restored_ = false;
  bool clerk_layout_ = false;
  bool arranging_ = false;  // the program, not the clerk, is moving sections
  QStringList program_hidden_;
  QStringList clerk_hidden_;
  QTimer* save_timer_;
  QVariantMap master_keys_;
};

// A list window over a host table described by a table_spec, with its record editor.
class THostTableWin : public TFrmSqlWin {
  Q_OBJECT
 public:
  THostTableWin(HostContext& ctx, const TableSpec& table_spec, QWidget* parent = nullptr);
  void InitSQLStrings(QString& select, QString& where, QString& order) override;
  Params GetQueryParams() override { return filter_params_; }
  QString GetKeyName() override { return spec_.Key(); }
  TEditBox* GetEditBox(bool is_new) override;
  qint64 AfterApplyNewEdit(TEditBox* box, bool is_new) override;
  void DeleteRec(qint64 id) override;
  void AfterQuery() override;
  const TableSpec& Spec() const { return spec_; }
  // An extra condition, e.g. the customs offices of one country.
  void SetFilter(const QString& where, const Params& params);
  // After Init: rows are read, not written ("Nowy" and "Usuń" gone, a row opens in view mode).
  void TylkoDoOdczytu();
  bool BeforeNewEdit(bool is_new) override { return !(read_only_ && is_new); }
  bool BeforeDelete(qint64) override { return !read_only_; }

 private:
  const TableSpec& spec_;
  bool read_only_ = false;
  QString filter_;
  Params filter_params_;
};

// Opens a list as a picker positioned on `initial` (by `column`); answers the chosen row.
std::optional<Row> PickRow(TFrmSqlWin* list, const QString& column, const QVariant& initial, QWidget* parent = nullptr);

}  // namespace velmora::host
