#pragma once

#include "declaration_guarantees.h"
#include "host/ui/edit_box.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace velmora::departure {

class GwarancjeModel;

// One guarantee reference and its type.
class TIE015_GwarancjaBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIE015_GwarancjaBox(host::HostContext& ctx, const DaneGwarancji& dane, QWidget* parent = nullptr);
  const DaneGwarancji& Dane() const { return dane_; }
  host::FieldErrors Validate() override;

 protected:
  void ReadFields() override;
  void FocusField(const QString& field) override;

 private:
  DaneGwarancji dane_;
  QLineEdit* beRodzaj;
  QLineEdit* beNr;
  QLineEdit* beGRN;
  QComboBox* peKodDostepu;
  QCheckBox* cbNiewaznaNaUE;
  QLineEdit* beNiewazneNaKraj;
};

// Box 52: the declaration's guarantees, edited or (choosing mode) one of them chosen.
class TIE015_GwarancjeBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIE015_GwarancjeBox(host::HostContext& ctx, GwarancjeDeklaracji& gwarancje, bool wybierz, QWidget* parent = nullptr);

  QTableView* Grid() const { return grid_; }
  // The GRN confirmed in choosing mode.
  const QString& Wybrana() const { return wybrana_; }
  bool actOkExecute() override;

  void Dodaj();
  void Popraw();
  void Usun();
  void DodajZListy();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  GwarancjeDeklaracji::Edytor Edytor();
  void Odswiez();
  void Potwierdz();

  GwarancjeDeklaracji& gwarancje_;
  bool wybierz_;
  QString wybrana_;
  GwarancjeModel* model_;
  QTableView* grid_;
};

}  // namespace velmora::departure
