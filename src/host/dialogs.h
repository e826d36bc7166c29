#pragma once

#include <QString>

namespace velmora::host {

// Answer codes of the questions, as the host's message boxes return them.
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

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
};

}  // namespace velmora::host
