#pragma once

#include "departure/goods_item.h"
#include "host/ui/edit_box.h"

#include <QHash>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace velmora::departure {

// The goods item editor: one item of the declaration `deklaracja`, written back on OK.
class TIE015_TowarBox : public host::TEditBox {
  Q_OBJECT

 public:
  TIE015_TowarBox(host::HostContext& ctx, xml::Message& deklaracja, int poz_id, QWidget* parent = nullptr);

  // The per-item panel (type, countries, consignor, consignee), as the declaration editor asks.
  void PokazPanelPozycji(bool widoczny);

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;

  TowarIE015& Logika() { return logic_; }
  QPlainTextEdit* Opis() const { return opis_; }
  QPlainTextEdit* Kontenery() const { return kontenery_; }
  QTabWidget* Zakladki() const { return tabs_; }
  QTableWidget* Siatka(ListaTowaru l) const { return siatki_.value(static_cast<int>(l)); }
  QLabel* EtykietaObliczen() const { return obliczenia_; }

  // The list actions on the active tab.
  void actAdd();
  void actReplace();
  void actDel();
  void actKopiuj();
  void actNextTab();
  void actPrevTab();

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* StronaZPrzyciskami(StronaTowaru s, const char* name);
  std::optional<ListaTowaru> AktywnaLista() const;
  void Edytuj(ListaTowaru l, xml::Group wiersz, bool nowy);
  void OdswiezListe(ListaTowaru l, int wiersz = -1);
  void OdswiezPrzyciski();
  void Pokaz();
  void Czytaj();
  void Lookup(QLineEdit* e);

  TowarIE015 logic_;
  xml::Message& deklaracja_;
  QHash<int, QTableWidget*> siatki_;
  QHash<int, QWidget*> zakladki_list_;
  QTabWidget* tabs_ = nullptr;
  QWidget* panel_pozycji_ = nullptr;
  QPlainTextEdit* opis_ = nullptr;
  QPlainTextEdit* kontenery_ = nullptr;
  QCheckBox* oblicz_ = nullptr;
  QLabel* obliczenia_ = nullptr;
  QWidget* przyciski_ = nullptr;
  QPushButton* kopiuj_ = nullptr;
};

}  // namespace velmora::departure
