#include "host/ui/qt_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace velmora::host {

namespace {

QString Title(const QString& caption, const char* fallback) {
  return caption.isEmpty() ? QString::fromUtf8(fallback) : caption;
}

// Lines that carry the blue mark are shown in blue; such a text goes to the box as rich text.
QString Shown(const QString& text) {
  if (!text.contains(kKolorNiebieski)) return text;
  QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")));
  for (QString& line : lines) {
    const bool blue = line.startsWith(kKolorNiebieski);
    line = line.remove(kKolorNiebieski).toHtmlEscaped();
    if (blue) line = QStringLiteral("<span style=\"color:#0000ff\">") + line + QStringLiteral("</span>");
  }
  return QStringLiteral("<qt>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</qt>");
}

int Ask(QWidget* parent, const QString& text, const QString& caption, QMessageBox::StandardButton def) {
  QMessageBox box(QMessageBox::Question, Title(caption, "Pytanie"), Shown(text), QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("Tak"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Nie"), QMessageBox::NoRole);
  box.setDefaultButton(def == QMessageBox::Yes ? yes : no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? kIdYes : kIdNo;
}

}  // namespace

void QtDialogs::Informacja(const QString& text, const QString& caption) {
  QMessageBox::information(parent_, Title(caption, "Informacja"), Shown(text));
}

void QtDialogs::Ostrzezenie(const QString& text, const QString& caption) {
  QMessageBox::warning(parent_, Title(caption, "Ostrzeżenie"), Shown(text));
}

void QtDialogs::Blad(const QString& text, const QString& caption) {
  QMessageBox::critical(parent_, Title(caption, "Błąd"), Shown(text));
}

int QtDialogs::PytanieNieTak(const QString& text, const QString& caption) {
  return Ask(parent_, text, caption, QMessageBox::No);
}

int QtDialogs::PytanieTakNie(const QString& text, const QString& caption) {
  return Ask(parent_, text, caption, QMessageBox::Yes);
}

bool QtDialogs::GetValueBOX(const QString& caption, const QString& prompt, QString& value) {
  bool ok = false;
  const QString entered = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, value, &ok);
  if (ok) value = entered;
  return ok;
}

}  // namespace velmora::host
