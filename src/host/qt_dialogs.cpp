#include "qt_dialogs.h"

#include <QMessageBox>
#include <QPushButton>

namespace velmora::host {

namespace {

QString Title(const QString& caption, const char* fallback) {
  return caption.isEmpty() ? QString::fromUtf8(fallback) : caption;
}

int Ask(QWidget* parent, const QString& text, const QString& caption, QMessageBox::StandardButton def) {
  QMessageBox box(QMessageBox::Question, Title(caption, "Pytanie"), text, QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("Tak"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Nie"), QMessageBox::NoRole);
  box.setDefaultButton(def == QMessageBox::Yes ? yes : no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? kIdYes : kIdNo;
}

}  // namespace

void QtDialogs::Informacja(const QString& text, const QString& caption) {
  QMessageBox::information(parent_, Title(caption, "Informacja"), text);
}

void QtDialogs::Ostrzezenie(const QString& text, const QString& caption) {
  QMessageBox::warning(parent_, Title(caption, "Ostrzeżenie"), text);
}

void QtDialogs::Blad(const QString& text, const QString& caption) {
  QMessageBox::critical(parent_, Title(caption, "Błąd"), text);
}

int QtDialogs::PytanieNieTak(const QString& text, const QString& caption) {
  return Ask(parent_, text, caption, QMessageBox::No);
}

int QtDialogs::PytanieTakNie(const QString& text, const QString& caption) {
  return Ask(parent_, text, caption, QMessageBox::Yes);
}

}  // namespace velmora::host
