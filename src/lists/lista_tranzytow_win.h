#pragma once

#include "lista_tranzytow.h"
#include "host/ui/frm_sql_win.h"

class QLineEdit;
class QTabBar;

namespace velmora::lists {

// The departure list ("Lista objęć tranzytów") and the arrival list share this window.
class TTranzytyListaWin : public host::TFrmSqlWin {
  Q_OBJECT
 public:
  TTranzytyListaWin(host::HostContext& ctx, int rodzaj, QWidget* parent = nullptr);

  QString GetMainCaption() override;
  void InitSQLStrings(QString& select, QString& where, QString& order) override;
  QString GetKeyName() override { return QStringLiteral("ID_TRANZYTY"); }
  bool BeforeDelete(qint64 id) override;
  void DeleteRec(qint64 id) override;
  host::TFrmSqlWin* GetDetailWin() override;
  QVariantMap GetRelationKeys() override;
  void DoClose() override;
  void AfterQuery() override;
  QVariant CellData(int row, const QString& column, int role, const QVariant& stored) const override;

  void Nowy();
  void Komunikaty();
  void Kopiuj();
  void NaprawMRN();
  void WydrukRejestru();
  void WszystkieRejestry();
  void UstawUzytkownika(int id, const QString& nazwa);
  void UstawZakladke(int zakladka);
  const FiltrListy& Filtr() const { return filtr_; }

  QAction* actKomunikaty = nullptr;
  QAction* actWyslij = nullptr;
  QAction* actOdbierz = nullptr;
  QAction* actKopiuj = nullptr;
  QAction* actNaprawMRN = nullptr;
  QAction* actOdprawy = nullptr;

 private:
  void BuildPanel();
  void ShowFilter();
  ListaTranzytow logic_;
  FiltrListy filtr_;
  QLineEdit* rejestr_ = nullptr;
  QLineEdit* uzytkownik_ = nullptr;
  QTabBar* zakladki_ = nullptr;
  bool made_ = false;
  bool columns_ordered_ = false;
};


}  // namespace velmora::lists
