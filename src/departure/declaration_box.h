#pragma once

#include "departure/declaration.h"
#include "frame/message_editors.h"

#include <QHash>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QToolButton;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTabWidget;

namespace velmora::departure {

// The editor of a departure declaration (IE015) and, in amendment mode, of its amendment
// (IE013). The fields write into DeklaracjaIE015, which holds the document.
class TIE015PL_Box : public frame::MessageEditor {
  Q_OBJECT

 public:
  TIE015PL_Box(host::HostContext& ctx, const QVariantMap& row, bool sprostowanie, QWidget* parent = nullptr);

  void SetXML(const QString& xml) override;
  QString GetXML() override;
  QVariantMap KolumnyTranzytu() override;

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;
  std::vector<host::PoleUC> Urzedy() override;
  bool actCancelExecute() override;

  departure::DeklaracjaIE015& Logika() { return logic_; }
  QTableWidget* Towary() const { return towary_; }
  QCheckBox* Uproszczona() const { return uproszczona_; }

  // Goods item operations behind "Dodaj", "Zmień" and "Usuń".
  void DodajTowar();
  void EdytujTowar();
  void UsunTowar();

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Lookup(const char* field, int slownik);
  void PokazPola();
  void CzytajPola();
  void OdswiezTowary();
  void WybierzStrone(departure::Strona s, const char* field);
  void WyczyscStrone(departure::Strona s, const char* field);
  bool Zmieniony();

  departure::DeklaracjaIE015 logic_;
  QTabWidget* tabs_;
  QCheckBox* uproszczona_;
  QComboBox* lokalizacja_;
  QComboBox* typ_modyfikacji_;
  QDateTimeEdit* data_przedstawienia_;
  QDateEdit* termin_;
  QToolButton* zamkniecia_ = nullptr;
  QLabel* lbl_karnet_;
  QTableWidget* towary_;
  QString zaladowany_;  // the text as loaded, to tell a change
  QString zapisany_;    // the row's XML in the database when the editor opened
  qint64 id_ = 0;
  bool wyswietlony_ = false;
  QString typ_przy_wejsciu_;
};

// Registers the editor for IE015 and IE013 with the message list.
void RegisterDeclarationEditor();

}  // namespace velmora::departure
