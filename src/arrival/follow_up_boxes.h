#pragma once

#include "arrival/follow_up_requests.h"
#include "frame/message_editors.h"
#include "host/ui/edit_box.h"

#include <QHash>

#include <functional>

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace velmora::arrival {

// What the three request boxes share: the title, the header and the principal, read-only,
// and the loading of the list's row. The fields write into the request's plain class.
class TWniosekBox : public host::TEditBox {
  Q_OBJECT
 public:
  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  std::vector<host::PoleUC> Urzedy() override;
  // The request as the controls leave it.
  QString GetXML();

  QLabel* Tytul() const { return tytul_; }
  QCheckBox* Znacznik(const QString& name) const { return znaczniki_.value(name); }
  QGroupBox* Grupa(const QString& caption) const;

 protected:
  TWniosekBox(host::HostContext& ctx, WniosekNastepczy& logika, const QVariantMap& row, const char* klasa, const char* podpis,
              const char* tytul, QWidget* parent);
  QFormLayout* DodajGrupe(const char* caption);
  QLineEdit* Dodaj(QFormLayout* form, const char* name, const char* caption, int max_length, bool tylko_odczyt = false);
  QCheckBox* DodajZnacznik(QFormLayout* form, const char* name, const char* caption);
  // A "..." button beside a field; it does nothing in view mode.
  void Przycisk(QFormLayout* form, QLineEdit* e, std::function<void()> wybierz);
  // Locked in view mode.
  void Edytowalny(QWidget* w) { edytowalne_.insert(w->objectName(), w); }
  // Placed last by each box.
  void DodajZobowiazanego();

  // The request's fields to the controls and back; each box adds its own.
  virtual void Pokaz();
  virtual void Czytaj() {}
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  WniosekNastepczy& logika_;
  QVariantMap row_;
  QLabel* tytul_;
  QHash<QString, QCheckBox*> znaczniki_;
  QHash<QString, QWidget*> edytowalne_;  // what view mode locks
};

class TIE014PL_Box : public TWniosekBox {
  Q_OBJECT
 public:
  TIE014PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent = nullptr);
  WniosekIE014& Logika() { return logic_; }
  QPlainTextEdit* Powod() const { return powod_; }

 protected:
  void Pokaz() override;
  void Czytaj() override;
  void FocusField(const QString& field) override;

 private:
  WniosekIE014 logic_;
  QPlainTextEdit* powod_;
};

class TIE141PL_Box : public TWniosekBox {
  Q_OBJECT
 public:
  TIE141PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent = nullptr);
  OdpowiedzIE141& Logika() { return logic_; }

 protected:
  void Pokaz() override;
  void Czytaj() override;

 private:
  OdpowiedzIE141 logic_;
};

class TIE054PL_Box : public TWniosekBox {
  Q_OBJECT
 public:
  TIE054PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent = nullptr);
  WniosekIE054& Logika() { return logic_; }

 protected:
  void Pokaz() override;
  void Czytaj() override;

 private:
  WniosekIE054 logic_;
};

// The message list runs an editor: a request's box stands in for it (IE014, IE141, IE054).
frame::MessageEditor* NowyEdytorWniosku(host::HostContext& ctx, TWniosekBox* box, QWidget* parent);

template <class Box>
frame::MessageEditorFactory FabrykaWniosku() {
  return [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) {
    return NowyEdytorWniosku(ctx, new Box(ctx, row, parent), parent);
  };
}

}  // namespace velmora::arrival
