#pragma once

#include "tranzyty_pozycje.h"
#include "host/ui/frm_sql_win.h"

#include <memory>

class QIcon;
class QMenu;

namespace velmora::lists {

// The icon of a message type in the grids: a mark in the type's colour.
QIcon IkonaTypu(const QString& typ, int status, int blad);

// "Lista komunikatów dla tranzytu": the messages of one transit, the hub of their lifecycle.
class TTranzytyPozycjeWin : public host::TFrmSqlWin {
  Q_OBJECT
 public:
  explicit TTranzytyPozycjeWin(host::HostContext& ctx, QWidget* parent = nullptr);

  QString GetMainCaption() override;
  void InitSQLStrings(QString& select, QString& where, QString& order) override;
  QString GetKeyName() override { return QStringLiteral("ID_TRANZYTY_POZYCJE"); }
  bool BeforeDelete(qint64 id) override;
  void DeleteRec(qint64 id) override;
  void UpdateControls() override;
  void AfterQuery() override;
  QVariant CellData(int row, const QString& column, int role, const QVariant& stored) const override;

  // The actions, callable without a screen.
  void Dodaj();
  void Popraw();
  void DodajZMenu(const QString& typ);
  void CofnijWyslano();
  void ZapiszDoPliku();
  void Zalacznik();
  TranzytyPozycje& Logika();

  QAction* actWyslij = nullptr;
  QAction* miCofnijWyslano = nullptr;
  QAction* actOdbierz = nullptr;
  QAction* actIE013 = nullptr;
  QAction* actIE014 = nullptr;
  QAction* actIE141 = nullptr;
  QAction* actZapiszDoPliku = nullptr;
  QAction* actWydrukSAD = nullptr;
  QAction* actZalacznik = nullptr;
  QMenu* spmKomunikat = nullptr;

 private:
  void Init2();
  void OpenEditor(const QString& typ, bool is_new);
  void ShowMenu(bool from_button);
  std::unique_ptr<TranzytyPozycje> logic_;
  bool actions_made_ = false;
};

}  // namespace velmora::lists
