#pragma once

#include "arrival/unloading_remarks.h"
#include "host/ui/edit_box.h"
#include "host/ui/tab_wizard_box.h"

#include <QHash>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTabWidget;

namespace velmora::arrival {

// What kind of remark is added and for which item of the unloading permission.
class TIE044PL_WynikKontroliWiz : public host::TTabWizardBox {
  Q_OBJECT
 public:
  TIE044PL_WynikKontroliWiz(host::HostContext& ctx, const xml::Message& ie043, const xml::Message& ie044, QWidget* parent = nullptr);

  WynikKontroliIE044& Logika() { return logic_; }
  QRadioButton* Rodzaj(int i) const { return rodzaje_.at(i); }
  QTableWidget* Lista() const { return lista_; }
  QLabel* Etykieta() const { return etykieta_; }
  QPlainTextEdit* Uwagi() const { return uwagi_; }

 protected:
  void InitCurrentPage(int page) override;
  int GetNextPage(int page) override;
  bool LastPageTest(int page) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Odswiez();
  void Przelacz();

  host::HostContext& ctx_;
  WynikKontroliIE044 logic_;
  std::vector<QRadioButton*> rodzaje_;
  QTableWidget* lista_;
  QLabel* etykieta_;
  QPlainTextEdit* uwagi_;
  bool koniec_ = false;
};

// One goods item of the unloading remarks.
class TIE044PL_TowarBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIE044PL_TowarBox(host::HostContext& ctx, xml::Group towar, int typ, QWidget* parent = nullptr);

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;

  TowarIE044& Logika() { return logic_; }
  QTabWidget* Zakladki() const { return tabs_; }
  QTableWidget* Siatka(TowarIE044::Lista l) const { return siatki_.at(l); }
  QPushButton* Przycisk(const QString& name) const;

  void actDodaj();
  void actPopraw();
  void actUsun();

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::optional<TowarIE044::Lista> AktywnaLista() const;
  void Odswiez(TowarIE044::Lista l, int wiersz = -1);
  void OdswiezPrzyciski();
  void Czytaj();

  TowarIE044 logic_;
  QPlainTextEdit* opis_;
  QPlainTextEdit* uwagi_;
  QPlainTextEdit* kontenery_;
  QTabWidget* tabs_;
  std::vector<QTableWidget*> siatki_;
  std::vector<QWidget*> strony_;
};

}  // namespace velmora::arrival
