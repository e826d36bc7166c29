#pragma once

#include <QString>

namespace velmora::host {

// Answer codes of the questions, as the host's message boxes return them.
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// A line of a message that begins with this mark is shown in blue.
inline const QString kKolorNiebieski = QStringLiteral("\x01" "B");

// The host's message boxes. A question is one synchronous call that answers kIdYes or kIdNo.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void Informacja(const QString& text, const QString& caption = {}) = 0;
  virtual void Ostrzezenie(const QString& text, const QString& caption = {}) = 0;
  virtual void Blad(const QString& text, const QString& caption = {}) = 0;
  // Default button "Nie".
  virtual int PytanieNieTak(const QString& text, const QString& caption = {}) = 0;
  // Default button "Tak".
  virtual int PytanieTakNie(const QString& text, const QString& caption = {}) = 0;
  // The value prompt: false when the user cancels; `value` comes in as the proposal and goes
  // out as the text entered. Without a screen of its own a port cancels.
  virtual bool GetValueBOX(const QString& caption, const QString& prompt, QString& value) {
    Q_UNUSED(caption);
    Q_UNUSED(prompt);
    Q_UNUSED(value);
    return false;
  }
};

}  // namespace velmora::host
