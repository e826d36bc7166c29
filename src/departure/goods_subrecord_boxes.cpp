#include "goods_subrecord_boxes.h"
#include "host/ui/edit_box.h"

#include "goods_subrecords.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "reference/slownik_ncts_box.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace velmora::departure {

namespace {
QString S(const char* s) { return QString::fromUtf8(s); }
}  // namespace

TIE015_PozycjaListyBox::TIE015_PozycjaListyBox(host::HostContext& ctx, Rodzaj rodzaj, xml::Group wpis, QWidget* parent)
    : host::TEditBox(ctx, parent), rodzaj_(rodzaj), wpis_(std::move(wpis)) {
  auto* form = new QFormLayout();
  static_cast<QVBoxLayout*>(layout())->addLayout(form);
  auto add = [&](const char* name, const char* attribute, const char* caption, int max_length) {
    DodajPole(form, name, caption, max_length);
    atrybuty_.insert(S(name), S(attribute));
  };
  switch (rodzaj) {
    case Rodzaj::Opakowanie:
      setObjectName(S("TIE015_OpakowanieBox"));
      setWindowTitle(S("Opakowanie"));
      slownik_ = 1017;
      add("dbbeRodzaj", "Rodzaj", "&Rodzaj opakowania (31):", 3);
      add("dbbeZnaki", "Znaki", "&Znaki opakowań (31):", 42);
      add("dbbeLiczbaOpakowan", "LiczbaOpakowan", "&Liczba opakowań (31):", 5);
      add("dbbeIloscSztuk", "IloscSztuk", "Ilość &sztuk nieopakow. (31):", 5);
      // A kind of goods in bulk carries neither packages nor pieces.
      connect(pola_.value(S("dbbeRodzaj")), &QLineEdit::textEdited, this, [this](const QString& kind) {
        if (RodzajTowaru(kind) != RodzajOpakowania::Luzem) return;
        pola_.value(S("dbbeLiczbaOpakowan"))->clear();
        pola_.value(S("dbbeIloscSztuk"))->clear();
      });
      break;
    case Rodzaj::DokumentWymagany:
    case Rodzaj::DokumentPoprzedni:
      setObjectName(rodzaj == Rodzaj::DokumentWymagany ? S("TIE015_DokumentyWymaganeBox") : S("TIE015_DokumentyPoprzednieBox"));
      setWindowTitle(rodzaj == Rodzaj::DokumentWymagany ? S("Dokument wymagany") : S("Dokument poprzedni"));
      slownik_ = rodzaj == Rodzaj::DokumentWymagany ? 1013 : 1014;
      add("dbbeKod", "Kod", "Kod:", rodzaj == Rodzaj::DokumentWymagany ? 4 : 6);
      add("dbbeNr", "Nr", "Numer:", 35);
      add("dbbeUwagi", "Uwagi", "Uwagi:", 26);
      break;
    case Rodzaj::InformacjaDodatkowa:
      setObjectName(S("TIE015_InformacjaDodatkowaBox"));
      setWindowTitle(S("Informacja dodatkowa"));
      slownik_ = 39;
      add("dbbeKod", "Kod", "Kod:", 3);
      add("dbbeTekst", "Tekst", "Tekst:", 70);
      add("dbbeKrajWywozu", "KrajWywozu", "Kraj wywozu:", 2);
      wywoz_ = new QCheckBox(S("Wywóz z UE"), this);
      wywoz_->setObjectName(S("cbWywzZUE"));
      form->addRow(wywoz_);
      break;
    case Rodzaj::TowarWrazliwy:
      setObjectName(S("TIE015_TowarWrazliwyBox"));
      setWindowTitle(S("Towar wrażliwy"));
      slownik_ = 1146;
      add("dbbeKod", "Kod", "&Kod podklasyfikujący:", 2);
      add("dbbeIlosc", "Ilosc", "&Ilość towaru:", 15);
      break;
  }
  QLineEdit* kod = pola_.contains(S("dbbeKod")) ? pola_.value(S("dbbeKod")) : pola_.value(S("dbbeRodzaj"));
  kod->installEventFilter(this);
  host::PrzyciskListy(kod);
  if (QLineEdit* kraj = pola_.value(S("dbbeKrajWywozu"))) {
    kraj->installEventFilter(this);
    host::PrzyciskListy(kraj);
  }
}

void TIE015_PozycjaListyBox::BeforeActivate() {
  for (auto it = pola_.begin(); it != pola_.end(); ++it) {
    it.value()->setText(wpis_.Get(atrybuty_.value(it.key())));
    it.value()->setReadOnly(view_mode_);
  }
  if (wywoz_) {
    const QString v = wpis_.Get(S("WywozZUE"));
    wywoz_->setChecked(v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
    wywoz_->setEnabled(!view_mode_);
  }
}

bool TIE015_PozycjaListyBox::eventFilter(QObject* watched, QEvent* event) {
  auto* e = qobject_cast<QLineEdit*>(watched);
  if (e && event->type() == QEvent::KeyPress && !view_mode_) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (host::KlawiszListy(key)) {
      QString kod = e->text();
      // The country of export has a code list of its own.
      const int slownik = e->objectName() == QLatin1String("dbbeKrajWywozu") ? 1063 : slownik_;
      if (reference::TSlownikNCTS_BOX::Listuj(ctx_, slownik, kod, e) == reference::TSlownikNCTS_BOX::kMrOk) e->setText(kod);
      return true;
    }
  }
  return host::TEditBox::eventFilter(watched, event);
}

void TIE015_PozycjaListyBox::FocusField(const QString& field) {
  if (QLineEdit* e = pola_.value(field)) e->setFocus();
}

host::FieldErrors TIE015_PozycjaListyBox::Validate() {
  auto text = [this](const char* name) { return pola_.value(S(name))->text(); };
  std::vector<BladPola> bledy;
  if (rodzaj_ == Rodzaj::Opakowanie)
    bledy = SprawdzOpakowanie({text("dbbeRodzaj"), text("dbbeZnaki"), text("dbbeLiczbaOpakowan"), text("dbbeIloscSztuk")});
  else if (rodzaj_ == Rodzaj::DokumentPoprzedni)
    bledy = SprawdzDokumentPoprzedni(text("dbbeKod"), text("dbbeNr"));
  host::FieldErrors out;
  for (const BladPola& b : bledy) out.push_back({b.pole, b.tekst});
  return out;
}

bool TIE015_PozycjaListyBox::actOkExecute() {
  if (view_mode_) return true;
  if (!host::TEditBox::actOkExecute()) return false;
  auto text = [this](const char* name) { return pola_.value(S(name))->text(); };
  // The questions in order; a "no" keeps the box open.
  QStringList pytania;
  if (rodzaj_ == Rodzaj::DokumentWymagany) {
    const QString p = PytanieDokumentuWymaganego(text("dbbeKod"), text("dbbeNr"), text("dbbeUwagi"));
    if (!p.isEmpty()) pytania << p;
  } else if (rodzaj_ == Rodzaj::InformacjaDodatkowa) {
    pytania = PytaniaInformacjiDodatkowej(text("dbbeKod"), text("dbbeTekst"), text("dbbeKrajWywozu"), wywoz_->isChecked());
  }
  for (const QString& p : pytania)
    if (ctx_.dialogs.PytanieNieTak(p) != host::kIdYes) return false;
  for (auto it = pola_.begin(); it != pola_.end(); ++it) wpis_.Set(atrybuty_.value(it.key()), it.value()->text().trimmed());
  if (wywoz_) wpis_.Set(S("WywozZUE"), wywoz_->isChecked() ? S("1") : S("0"));
  return true;
}

}  // namespace velmora::departure
