#pragma once

#include "arrival/unloading_remarks.h"
#include "frame/message_editors.h"

#include <QHash>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace velmora::arrival {

// The editor of unloading remarks (IE044) against the transit's unloading permission (IE043).
class TIE044PL_Box : public frame::MessageEditor {
  Q_OBJECT

 public:
  TIE044PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent = nullptr);

  void SetXML(const QString& xml) override;
  QString GetXML() override;
  QVariantMap KolumnyTranzytu() override;

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;
  // False when the permission or the notification is missing: the editor does not open.
  bool Wczytany() const { return wczytany_; }

  arrival::UwagiRozladunkoweIE044& Logika() { return logic_; }
  QTableWidget* Towary() const { return grid_; }
  QCheckBox* Zgodnosc() const { return zgodnosc_; }

  void DodajTowar();
  void EdytujTowar();
  void UsunTowar();

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* Dodaj(class QFormLayout* form, const char* name, const char* caption, int max_length = 0, bool read_only = false);
  void Pokaz();
  void Czytaj();
  void OdswiezTowary(int wiersz = -1);
  void Wlacz();

  arrival::UwagiRozladunkoweIE044 logic_;
  QVariantMap row_;
  QString tekst_;
  bool wczytany_ = false;
  QCheckBox* zakonczony_;
  QCheckBox* zgodnosc_;
  QComboBox* stan_;
  QComboBox* tir_strona_;
  QComboBox* tir_rozladunek_;
  QPlainTextEdit* zamkniecia_;
  QPlainTextEdit* uwagi_;
  QGroupBox* sumy_;
  QGroupBox* transport_;
  QGroupBox* towary_;
  QTableWidget* grid_;
};

// Registers the editor for IE044 with the message list.
void RegisterUnloadingEditor();

}  // namespace velmora::arrival
