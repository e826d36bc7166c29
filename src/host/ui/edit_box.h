#pragma once

#include "host/db/record_store.h"
#include "host/db/urzedy_celne.h"

#include <QDialog>
#include <QHash>
#include <QVariantMap>

#include <functional>
#include <initializer_list>

class QFormLayout;
class QDialogButtonBox;
class QLineEdit;
class QPlainTextEdit;
class QAbstractButton;
class QBoxLayout;

class QKeyEvent;

namespace velmora::host {

struct HostContext;

// Text typed into the field turns upper case as it is typed (codes, countries).
void WielkieLitery(QLineEdit* e);

// F4 or Alt+Down: the keys that open a field's pick list.
bool KlawiszListy(const QKeyEvent* key);
// A button at the end of a field that opens its pick list as F4 does (for the mouse); the
// field's event filter does the picking.
void PrzyciskListy(QLineEdit* e);
// The same for every field of `box` that carries one of the `properties` naming its pick list.
void PrzyciskiList(QWidget* box, std::initializer_list<const char*> properties);
// A line edit added to `form` under its caption (the caption's "&" letter focuses it): named,
// limited to `max_length` characters when above 0, upper case when `upper`.
QLineEdit* PoleFormularza(QWidget* parent, QFormLayout* form, const QString& name, const QString& caption, int max_length = 0,
                          bool upper = false);
// A multi-line text added to `form` under its caption; Tab leaves it instead of typing a tab.
// Limited to `max_height` pixels when above 0.
QPlainTextEdit* PoleTekstowe(QFormLayout* form, const QString& name, const QString& caption, int max_height = 0);
// Enter in a field of a form moves on to the next field instead of accepting the dialog;
// true when the key was taken.
bool EnterDoNastepnegoPola(QWidget* field, const QKeyEvent* key);
// A push button of a form's row of buttons.
struct Przycisk {
  const char* nazwa;
  const char* tekst;
  std::function<void()> akcja;
};
// The buttons added to `row`, then a stretch; none takes Enter as the dialog's default button.
void DodajPrzyciski(QWidget* parent, QBoxLayout* row, std::initializer_list<Przycisk> przyciski);
// What Insert, Delete and Enter do on a list of a form: add, remove, edit the row.
struct CzynnosciSiatki {
  std::function<void()> dodaj, usun, popraw;
};
// Runs the action the key asks for; true when the key was one of the three.
bool KlawiszSiatki(const QKeyEvent* key, const CzynnosciSiatki& czynnosci);
// Puts `beside` (a "..." button, a row of them) on the line of `field` in `form`, after the
// field, instead of on a line of its own; a second call adds to the same line.
void ObokPola(QFormLayout* form, QWidget* field, QWidget* beside);

// A modal editor over one record: OK/Cancel, view mode, validation that keeps the editor
// open on the first refused field with its message.
class TEditBox : public QDialog {
  Q_OBJECT
 public:
  explicit TEditBox(HostContext& ctx, QWidget* parent = nullptr);

  QVariantMap& Record() { return record_; }
  void SetRecord(QVariantMap record) { record_ = std::move(record); }
  void SetViewMode(bool view) { view_mode_ = view; }
  bool ViewMode() const { return view_mode_; }
  // A line edit of the form by its name; null when the editor has none of that name.
  QLineEdit* Pole(const QString& name) const { return pola_.value(name); }

  // mode 1 = view only; answers GetBoxResult().
  int ShowBox(int mode = 0, int style = 0);
  int GetBoxResult() const { return result_; }

  // Overridables, in the order they run.
  virtual void BeforeActivate() {}
  virtual void Activate() {}
  virtual FieldErrors Validate() { return {}; }
  // The office fields to check against the customs office list once the form is valid; the
  // clerk may store an office the list does not confirm (it may be newer than the list).
  virtual std::vector<PoleUC> Urzedy() { return {}; }
  // Writes the widgets into the record; true accepts.
  virtual bool actOkExecute();
  // False keeps the editor open (the user took the cancel back).
  virtual bool actCancelExecute();
  // Esc and "Anuluj" alike go through actCancelExecute.
  void reject() override;

 protected:
  virtual void CreateDefaultButtons();
  virtual void ReadFields() {}
  virtual void FocusField(const QString& field) { Q_UNUSED(field); }
  // A line edit added to `form` as PoleFormularza adds it, kept under its name for Pole.
  QLineEdit* DodajPole(QFormLayout* form, const char* name, const char* caption, int max_length = 0, bool upper = false);
  // The "..." button beside field `e` and, with `wyczysc`, the "X" one; in view mode they do nothing.
  QWidget* PrzyciskiPola(QLineEdit* e, const std::function<void()>& wybierz, const std::function<void()>& wyczysc = {});
  HostContext& ctx_;
  QHash<QString, QLineEdit*> pola_;
  QVariantMap record_;
  bool view_mode_ = false;
  int result_ = 0;
  QDialogButtonBox* buttons_ = nullptr;
};

// An editor built from a table table_spec: one field per column.
class TRecordEditBox : public TEditBox {
  Q_OBJECT
 public:
  TRecordEditBox(HostContext& ctx, const TableSpec& table_spec, QWidget* parent = nullptr);
  void Activate() override;
  FieldErrors Validate() override;
  QWidget* FieldWidget(const QString& column) const { return widgets_.value(column.toUpper()); }
  // A button beside a field (a lookup, a clearing "X").
  QAbstractButton* AddFieldButton(const QString& column, const QString& text, std::function<void()> action);

 protected:
  void ReadFields() override;
  void FocusField(const QString& field) override;

 private:
  const TableSpec& spec_;
  QHash<QString, QWidget*> widgets_;
  QFormLayout* form_ = nullptr;
};

}  // namespace velmora::host
