#pragma once

#include "host/ui/edit_box.h"
#include "host/xml/group.h"

#include <QHash>

class QCheckBox;
class QLineEdit;

namespace velmora::departure {

// One entry of a goods item's list, edited in a small box bound to the entry's element.
// The kinds: packages, produced documents, previous documents, additional information and
// sensitive goods; each with its captions, its code dictionary and its rules.
class TIE015_PozycjaListyBox : public host::TEditBox {
  Q_OBJECT

 public:
  enum class Rodzaj { Opakowanie, DokumentWymagany, DokumentPoprzedni, InformacjaDodatkowa, TowarWrazliwy };

  TIE015_PozycjaListyBox(host::HostContext& ctx, Rodzaj rodzaj, xml::Group wpis, QWidget* parent = nullptr);

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;
  QCheckBox* WywozZUE() const { return wywoz_; }

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:

  Rodzaj rodzaj_;
  xml::Group wpis_;
  QHash<QString, QString> atrybuty_;  // field -> attribute of the entry
  QCheckBox* wywoz_ = nullptr;
  int slownik_ = 0;
};

}  // namespace velmora::departure
