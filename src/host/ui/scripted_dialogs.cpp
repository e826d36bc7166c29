#include "host/ui/scripted_dialogs.h"

namespace velmora::host {

QStringList ScriptedDialogs::Texts() const {
  QStringList out;
  for (const Shown& s : shown_) out << s.text;
  return out;
}

int ScriptedDialogs::Next(int fallback) {
  if (answers_.empty()) return fallback;
  const int a = answers_.front();
  answers_.pop_front();
  return a;
}

void ScriptedDialogs::Informacja(const QString& text, const QString&) { shown_.push_back({Kind::Informacja, text}); }
void ScriptedDialogs::Ostrzezenie(const QString& text, const QString&) { shown_.push_back({Kind::Ostrzezenie, text}); }
void ScriptedDialogs::Blad(const QString& text, const QString&) { shown_.push_back({Kind::Blad, text}); }

int ScriptedDialogs::PytanieNieTak(const QString& text, const QString&) {
  shown_.push_back({Kind::Pytanie, text});
  return Next(kIdNo);
}

int ScriptedDialogs::PytanieTakNie(const QString& text, const QString&) {
  shown_.push_back({Kind::Pytanie, text});
  return Next(kIdYes);
}

bool ScriptedDialogs::GetValueBOX(const QString&, const QString& prompt, QString& value) {
  shown_.push_back({Kind::Pytanie, prompt});
  if (values_.empty()) return false;
  value = values_.front();
  values_.pop_front();
  return true;
}

}  // namespace velmora::host
