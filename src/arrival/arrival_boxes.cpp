#include "arrival_boxes.h"
#include "host/ui/date_field.h"
#include "host/ui/edit_box.h"

#include "host/base/host_context.h"
#include "reference/slownik_ncts_box.h"
#include "reference/xml_slownik.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

namespace velmora::arrival {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

bool Enter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

// The event's line edits and the fields they show.
const std::pair<const char*, QString PolaZdarzenia::*> kPolaZdarzenia[] = {
    {"beMiejsce", &PolaZdarzenia::miejsce},           {"beKraj", &PolaZdarzenia::kraj},
    {"beZnaki", &PolaZdarzenia::znaki},               {"beTransport_Kraj", &PolaZdarzenia::transport_kraj},
    {"deData_Adnotacji", &PolaZdarzenia::data_adnotacji}, {"beWladze_Adnotacji", &PolaZdarzenia::wladze_adnotacji},
    {"beMiejsce_Adnotacji", &PolaZdarzenia::miejsce_adnotacji}, {"beKraj_Adnotacji", &PolaZdarzenia::kraj_adnotacji},
    {"deInne_Data", &PolaZdarzenia::inne_data},       {"beInne_Wladze", &PolaZdarzenia::inne_wladze},
    {"beInne_Miejsce", &PolaZdarzenia::inne_miejsce}, {"beInne_Kraj", &PolaZdarzenia::inne_kraj},
    {"ceIlosc", &PolaZdarzenia::ilosc}};


}  // namespace

// --- the event ------------------------------------------------------------------------------

TIE007PL_ZdarzeniaBox::TIE007PL_ZdarzeniaBox(host::HostContext& ctx, xml::Group zdarzenie, QWidget* parent)
    : host::TEditBox(ctx, parent), zdarzenie_(std::move(zdarzenie)) {
  setObjectName(S("TIE007PL_ZdarzeniaBox"));
  setWindowTitle(S("Zdarzenie w czasie przewozu"));
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  w_systemie_ = new QCheckBox(S("Zdarzenie zarejestrowano już w systemie NCTS2"), this);
  w_systemie_->setObjectName(S("cbWSystemie"));
  layout->addWidget(w_systemie_);
  auto* gora = new QFormLayout;
  layout->addLayout(gora);
  Dodaj(gora, "beMiejsce", "Miejsce zdarzenia:", 35);
  Dodaj(gora, "beKraj", "Kraj:", 2, true, 1009);

  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_);
  QFormLayout* pf = ZakladkaZPanelem("Przeładunek", "cbPrzeladunek", "Wystąpił przeładunek", przeladunek_, panel_przeladunku_);
  Dodaj(pf, "beZnaki", "Nowy środek transportu:", 27);
  Dodaj(pf, "beTransport_Kraj", "Kraj:", 2, true, 1008);
  DodajTekst(pf, "meKontener", "Nowe Kontenery:");
  host::PoleDaty(Dodaj(pf, "deData_Adnotacji", "Data adnotacji:", 10))->setPlaceholderText(S("RRRR-MM-DD"));
  Dodaj(pf, "beWladze_Adnotacji", "Władze adnotacji:", 35);
  Dodaj(pf, "beMiejsce_Adnotacji", "Miejsce adnotacji:", 35);
  Dodaj(pf, "beKraj_Adnotacji", "Kraj adnotacji:", 2, true, 1009);

  QFormLayout* inf = ZakladkaZPanelem("Inne zdarzenie", "cbInneZdarzenie", "Wystąpiło inne zdarzenie", inne_, panel_inne_);
  DodajTekst(inf, "meOpis", "Opis dotyczący adnotacji:");
  host::PoleDaty(Dodaj(inf, "deInne_Data", "Data adnotacji:", 10))->setPlaceholderText(S("RRRR-MM-DD"));
  Dodaj(inf, "beInne_Wladze", "Władze adnotacji:", 35);
  Dodaj(inf, "beInne_Miejsce", "Miejsce adnotacji:", 35);
  Dodaj(inf, "beInne_Kraj", "Kraj adnotacji:", 2, true, 1008);
  panel_inne_->setEnabled(false);

  auto* z = new QWidget(tabs_);
  auto* zf = new QFormLayout(z);
  DodajTekst(zf, "meZamkniecia", "Zamknięcia celne:");
  Dodaj(zf, "ceIlosc", "Liczba zamknięć:", 4);
  tabs_->addTab(z, S("Zamknięcia"));

  connect(przeladunek_, &QCheckBox::toggled, panel_przeladunku_, &QWidget::setEnabled);
  connect(inne_, &QCheckBox::toggled, panel_inne_, &QWidget::setEnabled);
}

QLineEdit* TIE007PL_ZdarzeniaBox::Dodaj(QFormLayout* form, const char* name, const char* caption, int max_length, bool upper,
                                        int slownik) {
  QLineEdit* e = DodajPole(form, name, caption, max_length, upper);
  if (slownik) e->setProperty("slownik", slownik);
  e->installEventFilter(this);
  return e;
}

void TIE007PL_ZdarzeniaBox::DodajTekst(QFormLayout* form, const char* name, const char* caption) {
  teksty_.insert(S(name), host::PoleTekstowe(form, S(name), S(caption)));
}

// A tab whose form is enabled by its check box.
QFormLayout* TIE007PL_ZdarzeniaBox::ZakladkaZPanelem(const char* tab, const char* name, const char* caption, QCheckBox*& znacznik,
                                                    QWidget*& panel) {
  auto* w = new QWidget(tabs_);
  auto* v = new QVBoxLayout(w);
  znacznik = new QCheckBox(S(caption), w);
  znacznik->setObjectName(S(name));
  v->addWidget(znacznik);
  panel = new QWidget(w);
  v->addWidget(panel);
  tabs_->addTab(w, S(tab));
  return new QFormLayout(panel);
}

void TIE007PL_ZdarzeniaBox::BeforeActivate() {
  logic_.SetXML(zdarzenie_);
  Pokaz();
  tabs_->setCurrentIndex(0);
  panel_przeladunku_->setEnabled(przeladunek_->isChecked());
  if (ViewMode())
    for (QWidget* w : findChildren<QWidget*>())
      if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QCheckBox*>(w)) w->setEnabled(false);
}

void TIE007PL_ZdarzeniaBox::Pokaz() {
  const PolaZdarzenia& p = logic_.pola;
  w_systemie_->setChecked(p.w_systemie);
  przeladunek_->setChecked(p.przeladunek);
  inne_->setChecked(p.inne);
  panel_inne_->setEnabled(p.inne);
  for (const auto& [pole, wartosc] : kPolaZdarzenia) pola_.value(S(pole))->setText(p.*wartosc);
  teksty_.value(S("meKontener"))->setPlainText(p.kontenery);
  teksty_.value(S("meOpis"))->setPlainText(p.opis);
  teksty_.value(S("meZamkniecia"))->setPlainText(p.zamkniecia);
}

void TIE007PL_ZdarzeniaBox::Czytaj() {
  PolaZdarzenia& p = logic_.pola;
  p.w_systemie = w_systemie_->isChecked();
  p.przeladunek = przeladunek_->isChecked();
  p.inne = inne_->isChecked();
  for (const auto& [pole, wartosc] : kPolaZdarzenia) p.*wartosc = pola_.value(S(pole))->text();
  p.kontenery = teksty_.value(S("meKontener"))->toPlainText();
  p.opis = teksty_.value(S("meOpis"))->toPlainText().left(350);
  p.zamkniecia = teksty_.value(S("meZamkniecia"))->toPlainText();
}

host::FieldErrors TIE007PL_ZdarzeniaBox::Validate() {
  Czytaj();
  host::FieldErrors out = logic_.Sprawdz(
      [this](int slownik, const QString& kod) { return reference::TSlownikNCTS_BOX::JestKod(ctx_, slownik, kod); });
  bool ok = false;
  if (!pola_.value(S("ceIlosc"))->text().trimmed().isEmpty()) {
    pola_.value(S("ceIlosc"))->text().trimmed().toInt(&ok);
    if (!ok) out.push_back({S("ceIlosc"), S("Wartość musi być liczbą całkowitą")});
  }
  return out;
}

bool TIE007PL_ZdarzeniaBox::actOkExecute() {
  if (ViewMode()) return true;
  if (!host::TEditBox::actOkExecute()) return false;
  logic_.GetXML();
  return true;
}

void TIE007PL_ZdarzeniaBox::FocusField(const QString& field) {
  if (QLineEdit* e = pola_.value(field)) {
    for (int i = 0; i < tabs_->count(); ++i)
      if (tabs_->widget(i)->isAncestorOf(e)) tabs_->setCurrentIndex(i);
    e->setFocus();
  }
}

bool TIE007PL_ZdarzeniaBox::eventFilter(QObject* watched, QEvent* event) {
  auto* e = qobject_cast<QLineEdit*>(watched);
  if (e && event->type() == QEvent::KeyPress && !ViewMode()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (host::KlawiszListy(key) && e->property("slownik").isValid()) {
      QString kod = e->text();
      if (reference::TSlownikNCTS_BOX::Listuj(ctx_, e->property("slownik"), kod, e) == reference::TSlownikNCTS_BOX::kMrOk) e->setText(kod);
      return true;
    }
    // The last field of a tab leads on to the next tab.
    const QString n = e->objectName();
    if (Enter(key) && (n == QLatin1String("beTransport_Kraj") || n == QLatin1String("beInne_Kraj") || n == QLatin1String("ceIlosc"))) {
      tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count());
      if (QWidget* pierwszy = tabs_->currentWidget()->findChild<QCheckBox*>()) pierwszy->setFocus();
      else if (QWidget* t = tabs_->currentWidget()->findChild<QPlainTextEdit*>()) t->setFocus();
      return true;
    }
  }
  return host::TEditBox::eventFilter(watched, event);
}

// --- the cost -------------------------------------------------------------------------------

TIE007PL_KosztyBox::TIE007PL_KosztyBox(host::HostContext& ctx, KosztIE007 koszt, QWidget* parent)
    : host::TEditBox(ctx, parent), logic_(std::move(koszt)) {
  setObjectName(S("TIE007PL_KosztyBox"));
  setWindowTitle(S("Szczegóły kwoty - Korekta"));
  auto* form = new QFormLayout;
  static_cast<QVBoxLayout*>(layout())->addLayout(form);
  auto add = [&](const char* name, const char* caption, int n) {
    QLineEdit* e = DodajPole(form, name, caption, n);
    e->installEventFilter(this);
    return e;
  };
  host::WielkieLitery(add("beKod", "Kod przeznaczenia korekty:", 5));
  add("beKwotaWal", "Wartość korekty (- / +):", 15);
  host::WielkieLitery(add("beWaluta", "Waluta:", 3));
  kurs_ = new QLabel(S("(kurs = 5.0000)"), this);
  kurs_->setObjectName(S("lblKursWaluty"));
  form->addRow(QString(), kurs_);
  add("beKwota", "Wartość korekty (PLN):", 15)->setReadOnly(true);
  connect(pola_.value(S("beWaluta")), &QLineEdit::editingFinished, this, [this] {
    if (ViewMode()) return;
    Czytaj();
    logic_.CheckKursy();
    Pokaz();
  });
  for (const char* p : {"beKod", "beKwotaWal"})
    connect(pola_.value(S(p)), &QLineEdit::textEdited, this, [this] {
      Czytaj();
      logic_.Przelicz();
      Pokaz();
    });
}

void TIE007PL_KosztyBox::BeforeActivate() {
  Pokaz();
  for (QLineEdit* e : pola_) e->setReadOnly(ViewMode() || e->objectName() == QLatin1String("beKwota"));
}

void TIE007PL_KosztyBox::Czytaj() {
  logic_.kod = pola_.value(S("beKod"))->text();
  logic_.kwota_wal = pola_.value(S("beKwotaWal"))->text();
  logic_.waluta = pola_.value(S("beWaluta"))->text();
}

void TIE007PL_KosztyBox::Pokaz() {
  const std::pair<const char*, const QString*> w[] = {
      {"beKod", &logic_.kod}, {"beKwotaWal", &logic_.kwota_wal}, {"beWaluta", &logic_.waluta}, {"beKwota", &logic_.kwota}};
  for (const auto& [pole, wartosc] : w)
    if (pola_.value(S(pole))->text() != *wartosc) pola_.value(S(pole))->setText(*wartosc);
  kurs_->setText(logic_.EtykietaKursu());
  PokazZnak();
}

// A sign that does not fit the code marks the value at once, before OK refuses it.
void TIE007PL_KosztyBox::PokazZnak() {
  QLineEdit* e = pola_.value(S("beKwotaWal"));
  const bool zly = !logic_.ZnakPoprawny();
  e->setStyleSheet(zly ? S("QLineEdit { border: 1px solid red; }") : QString());
  e->setToolTip(zly ? S("Niepoprawny znak wartości korekty !") : QString());
}

host::FieldErrors TIE007PL_KosztyBox::Validate() {
  Czytaj();
  return logic_.Sprawdz();
}

bool TIE007PL_KosztyBox::actOkExecute() {
  if (ViewMode()) return true;
  if (!host::TEditBox::actOkExecute()) return false;
  logic_.Przelicz();
  return true;
}

void TIE007PL_KosztyBox::FocusField(const QString& field) {
  if (QLineEdit* e = pola_.value(field)) e->setFocus();
}

bool TIE007PL_KosztyBox::eventFilter(QObject* watched, QEvent* event) {
  auto* e = qobject_cast<QLineEdit*>(watched);
  if (e && event->type() == QEvent::KeyPress && !ViewMode() && host::KlawiszListy(static_cast<QKeyEvent*>(event))) {
    const bool kod = e->objectName() == QLatin1String("beKod");
    if (!kod && e->objectName() != QLatin1String("beWaluta")) return host::TEditBox::eventFilter(watched, event);
    QString wartosc = e->text();
    if (reference::TXmlSlownik_BOX::Listuj(ctx_, kod ? S("087a") : S("026a"), wartosc, e) == reference::TSlownikNCTS_BOX::kMrOk) {
      e->setText(wartosc);
      Czytaj();
      if (kod) logic_.Przelicz();
      else logic_.CheckKursy();
      Pokaz();
    }
    return true;
  }
  return host::TEditBox::eventFilter(watched, event);
}

}  // namespace velmora::arrival
