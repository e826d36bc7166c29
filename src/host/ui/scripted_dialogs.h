#pragma once

#include "host/base/dialogs.h"

#include <QStringList>

#include <deque>

namespace velmora::host {

// Message boxes without a screen: every text shown is recorded; questions are answered
// from a queue, and with the box's default answer when the queue is empty.
// Used by the tests and by the command line.
class ScriptedDialogs : public Dialogs {
 public:
  enum class Kind { Informacja, Ostrzezenie, Blad, Pytanie };
  struct Shown {
    Kind kind;
    QString text;
  };

  void Answer(int code) { answers_.push_back(code); }
  // The next text a value prompt answers with; without one the prompt is cancelled.
  void AnswerValue(const QString& value) { values_.push_back(value); }
  const std::vector<Shown>& ShownBoxes() const { return shown_; }
  QStringList Texts() const;
  void Clear() { shown_.clear(); }

  void Informacja(const QString& text, const QString& caption = {}) override;
  void Ostrzezenie(const QString& text, const QString& caption = {}) override;
  void Blad(const QString& text, const QString& caption = {}) override;
  int PytanieNieTak(const QString& text, const QString& caption = {}) override;
  int PytanieTakNie(const QString& text, const QString& caption = {}) override;
  // Recorded as a question (its prompt).
  bool GetValueBOX(const QString& caption, const QString& prompt, QString& value) override;

 private:
  int Next(int fallback);
  std::deque<int> answers_;
  std::deque<QString> values_;
  std::vector<Shown> shown_;
};

}  // namespace velmora::host
