#pragma once

#include "arrival/arrival_cost.h"
#include "arrival/arrival_event.h"
#include "host/ui/edit_box.h"

#include <QHash>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QWidget;

namespace velmora::arrival {

// One en-route event of an arrival notification, on its node of the document.
class TIE007PL_ZdarzeniaBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIE007PL_ZdarzeniaBox(host::HostContext& ctx, xml::Group zdarzenie, QWidget* parent = nullptr);

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;

  QPlainTextEdit* Tekst(const QString& name) const { return teksty_.value(name); }
  QCheckBox* Przeladunek() const { return przeladunek_; }
  QCheckBox* Inne() const { return inne_; }
  QTabWidget* Zakladki() const { return tabs_; }
  ZdarzenieIE007& Logika() { return logic_; }

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* Dodaj(QFormLayout* form, const char* name, const char* caption, int max_length, bool upper = false, int slownik = 0);
  void DodajTekst(QFormLayout* form, const char* name, const char* caption);
  QFormLayout* ZakladkaZPanelem(const char* tab, const char* name, const char* caption, QCheckBox*& znacznik, QWidget*& panel);
  void Pokaz();
  void Czytaj();

  ZdarzenieIE007 logic_;
  xml::Group zdarzenie_;
  QHash<QString, QPlainTextEdit*> teksty_;
  QCheckBox* w_systemie_;
  QCheckBox* przeladunek_;
  QCheckBox* inne_;
  QWidget* panel_przeladunku_;
  QWidget* panel_inne_;
  QTabWidget* tabs_;
};

// One cost of an arrival: "Szczegóły kwoty - Korekta".
class TIE007PL_KosztyBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIE007PL_KosztyBox(host::HostContext& ctx, KosztIE007 koszt, QWidget* parent = nullptr);

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;

  QLabel* EtykietaKursu() const { return kurs_; }
  const KosztIE007& Koszt() const { return logic_; }

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Czytaj();
  void Pokaz();
  void PokazZnak();

  KosztIE007 logic_;
  QLabel* kurs_;
};

}  // namespace velmora::arrival
