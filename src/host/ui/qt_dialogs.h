#pragma once

#include "host/base/dialogs.h"

class QWidget;

namespace velmora::host {

// Message boxes of the desktop application.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Informacja(const QString& text, const QString& caption = {}) override;
  void Ostrzezenie(const QString& text, const QString& caption = {}) override;
  void Blad(const QString& text, const QString& caption = {}) override;
  int PytanieNieTak(const QString& text, const QString& caption = {}) override;
  int PytanieTakNie(const QString& text, const QString& caption = {}) override;
  bool GetValueBOX(const QString& caption, const QString& prompt, QString& value) override;

 private:
  QWidget* parent_;
};

}  // namespace velmora::host
