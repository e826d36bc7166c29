#pragma once

#include "host/ui/edit_box.h"
#include "slownik_ncts.h"

#include <QVariant>

class QPlainTextEdit;
class QSplitter;
class QSortFilterProxyModel;
class QTableView;

namespace velmora::reference {

class SlownikModel;

// The NCTS dictionary pick list, and the class-level lookups the editors make with it.
class TSlownikNCTS_BOX : public host::TEditBox {
  Q_OBJECT
 public:
  // Modal results of Listuj.
  static constexpr int kMrOk = 1;
  static constexpr int kMrCancel = 2;

  // Shows the key's list on `code` (trimmed in place) and lets the user pick; on kMrOk `code`
  // holds the chosen code. Opens below `anchor` when one is given.
  static int Listuj(host::HostContext& ctx, const QVariant& key, QString& code, QWidget* anchor = nullptr,
                    bool show_opis = true);
  static bool JestKod(host::HostContext& ctx, const QVariant& key, const QString& code);
  static QString GetOpis(host::HostContext& ctx, const QVariant& key, const QString& code);

  explicit TSlownikNCTS_BOX(host::HostContext& ctx, QWidget* parent = nullptr);
  ~TSlownikNCTS_BOX() override;

  bool LoadSlownik(const QVariant& key);
  // Puts the cursor on `code` by the two-step search, or on the first row when it is not found.
  void LocateKod(const QString& code);
  void SetShowOpis(bool show);
  // Opens at the pop-up position of `anchor`, with the code column as wide as it.
  void AnchorTo(QWidget* anchor);

  QString CurrentKod() const;
  const QString& ChosenKod() const { return chosen_; }
  QTableView* Grid() const { return grid_; }
  QPlainTextEdit* Memo() const { return memo_; }

  bool actOkExecute() override;

 protected:
  void CreateDefaultButtons() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Choose();
  void ShowCurrentOpis();

  SlownikNCTS slownik_;
  SlownikModel* model_;
  QSortFilterProxyModel* proxy_;
  QTableView* grid_;
  QPlainTextEdit* memo_;
  QSplitter* splitter_;
  QString chosen_;
};

}  // namespace velmora::reference
