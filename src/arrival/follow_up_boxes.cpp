#include "follow_up_boxes.h"
#include "host/ui/date_field.h"
#include "host/ui/edit_box.h"

#include "host/base/host_context.h"
#include "host/ui/host_tables.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::arrival {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

// The trader's six fields as the boxes name and caption them.
struct PolePodmiotu {
  const char* zobowiazany;
  const char* odbiorca;
  const char* podpis_zobowiazanego;
  const char* podpis_odbiorcy;
  QString PolaPodmiotu::*wartosc;
};
const PolePodmiotu kPodmiot[] = {
    {"beGZNazwa", "beOdbiorcaNazwa", "Nazwa :", "Nazwa :", &PolaPodmiotu::nazwa},
    {"beGZKodPoczt", "beODbiorcaKodPocztowy", "Kod poczt. :", "Kod pocztowy :", &PolaPodmiotu::kod_pocztowy},
    {"beGZMiejscowosc", "beOdbiorcaMiejscowosc", "Miejscowość :", "Miejscowość :", &PolaPodmiotu::miejscowosc},
    {"beGZUlica", "beOdbiorcaUlica", "Ulica :", "Ulica :", &PolaPodmiotu::ulica},
    {"beGZKraj", "beOdbiorcaKRaj", "Kraj :", "Kraj :", &PolaPodmiotu::kraj},
    {"beGZTIN", "beOdbiorcaTIN", "TIN :", "TIN :", &PolaPodmiotu::tin},
};

}  // namespace

// --- shared ---------------------------------------------------------------------------------

TWniosekBox::TWniosekBox(host::HostContext& ctx, WniosekNastepczy& logika, const QVariantMap& row, const char* klasa,
                         const char* podpis, const char* tytul, QWidget* parent)
    : host::TEditBox(ctx, parent), logika_(logika), row_(row) {
  setObjectName(S(klasa));
  SetRecord(row);
  setWindowTitle(S(podpis));
  tytul_ = new QLabel(S(tytul), this);
  tytul_->setObjectName(S("lblTytul"));
  layout()->addWidget(tytul_);
  QFormLayout* naglowek = DodajGrupe(" Nagłówek komunikatu  ");
  Dodaj(naglowek, "beNrWlasny", "Nr własny :", 22, true);
  Dodaj(naglowek, "beDataUtworzenia", "Data utworzenia :", 0, true);
  Dodaj(naglowek, "beNrMRN", "Nr MRN :", 18, true);
}

QFormLayout* TWniosekBox::DodajGrupe(const char* caption) {
  auto* g = new QGroupBox(S(caption), this);
  layout()->addWidget(g);
  return new QFormLayout(g);
}

QGroupBox* TWniosekBox::Grupa(const QString& caption) const {
  for (QGroupBox* g : findChildren<QGroupBox*>())
    if (g->title() == caption) return g;
  return nullptr;
}

QLineEdit* TWniosekBox::Dodaj(QFormLayout* form, const char* name, const char* caption, int max_length, bool tylko_odczyt) {
  QLineEdit* e = DodajPole(form, name, caption, max_length);
  e->setReadOnly(tylko_odczyt);
  e->installEventFilter(this);
  if (!tylko_odczyt) edytowalne_.insert(S(name), e);
  return e;
}

QCheckBox* TWniosekBox::DodajZnacznik(QFormLayout* form, const char* name, const char* caption) {
  auto* c = new QCheckBox(S(caption), form->parentWidget());
  c->setObjectName(S(name));
  form->addRow(c);
  znaczniki_.insert(S(name), c);
  edytowalne_.insert(S(name), c);
  return c;
}

void TWniosekBox::Przycisk(QFormLayout* form, QLineEdit* e, std::function<void()> wybierz) {
  auto* b = new QToolButton(form->parentWidget());
  b->setObjectName(e->objectName() + S("_Wybierz"));
  b->setText(S("..."));
  int wiersz = -1;
  QFormLayout::ItemRole rola;
  form->getWidgetPosition(e, &wiersz, &rola);
  auto* w = new QWidget(form->parentWidget());
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  form->removeWidget(e);
  h->addWidget(e);
  h->addWidget(b);
  form->setWidget(wiersz, QFormLayout::FieldRole, w);
  connect(b, &QToolButton::clicked, this, [this, wybierz = std::move(wybierz)] {
    if (!ViewMode()) wybierz();
  });
  edytowalne_.insert(b->objectName(), b);
}

void TWniosekBox::DodajZobowiazanego() {
  QFormLayout* form = DodajGrupe("  Główny zobowiązany  ");
  for (const PolePodmiotu& p : kPodmiot) Dodaj(form, p.zobowiazany, p.podpis_zobowiazanego, 0, true);
  auto* tir = new QCheckBox(S("TIR"), form->parentWidget());
  tir->setObjectName(S("cbTIR"));
  tir->setEnabled(false);
  form->addRow(tir);
  znaczniki_.insert(tir->objectName(), tir);
  Dodaj(form, "beGZPrzedstawiciel", "Przedstawiciel TIN :", 17, true);
}

void TWniosekBox::BeforeActivate() {
  logika_.BeforeActivate(row_);
  // A request that has been sent is only shown: storing it would turn it back to "changed".
  SetViewMode(ViewMode() || logika_.TylkoDoOdczytu());
  Pokaz();
  if (!ViewMode()) return;
  for (QWidget* w : edytowalne_) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setReadOnly(true);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) t->setReadOnly(true);
    else w->setEnabled(false);
  }
}

void TWniosekBox::Pokaz() {
  const PolaNaglowkaWniosku& n = logika_.naglowek;
  pola_.value(S("beNrWlasny"))->setText(n.nr_wlasny);
  pola_.value(S("beDataUtworzenia"))->setText(n.data_utworzenia);
  pola_.value(S("beNrMRN"))->setText(n.mrn);
  const PolaZobowiazanego& z = logika_.zobowiazany;
  for (const PolePodmiotu& p : kPodmiot) pola_.value(S(p.zobowiazany))->setText(z.podmiot.*p.wartosc);
  znaczniki_.value(S("cbTIR"))->setChecked(z.tir);
  pola_.value(S("beGZPrzedstawiciel"))->setText(z.przedstawiciel_tin);
}

host::FieldErrors TWniosekBox::Validate() {
  if (ViewMode()) return {};
  Czytaj();
  return logika_.Sprawdz();
}

std::vector<host::PoleUC> TWniosekBox::Urzedy() {
  const QLineEdit* uc = pola_.value(S("beUCZglosz"));
  if (ViewMode() || !uc || uc->isReadOnly()) return {};
  return {{uc->objectName(), uc->text(), host::RolaUC::Wyjscia}};
}

QString TWniosekBox::GetXML() {
  if (!ViewMode()) Czytaj();
  return logika_.GetXML();
}

void TWniosekBox::FocusField(const QString& field) {
  if (QWidget* w = pola_.value(field)) w->setFocus();
}

bool TWniosekBox::eventFilter(QObject* watched, QEvent* event) {
  auto* e = qobject_cast<QLineEdit*>(watched);
  if (e && event->type() == QEvent::KeyPress && !ViewMode()) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool wybor = host::KlawiszListy(key);
    if (wybor)
      if (auto* b = findChild<QToolButton*>(e->objectName() + S("_Wybierz"))) {
        b->click();
        return true;
      }
  }
  return host::TEditBox::eventFilter(watched, event);
}

// --- IE014 ----------------------------------------------------------------------------------

TIE014PL_Box::TIE014PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent)
    : TWniosekBox(ctx, logic_, row, "TIE014PL_Box", "Informacja dla urzedu celnego", "  IE014 - Wniosek o unieważnienie zgłoszenia", parent),
      logic_(ctx) {
  QFormLayout* decyzja = DodajGrupe("  Decyzja    ");
  powod_ = host::PoleTekstowe(decyzja, S("mePowod"), S("Uzasadnienie :"));
  Edytowalny(powod_);
  // The memo takes no more than the document holds.
  connect(powod_, &QPlainTextEdit::textChanged, this, [this] {
    const QString t = powod_->toPlainText();
    if (t.size() <= 350) return;
    const QSignalBlocker b(powod_);
    powod_->setPlainText(t.left(350));
    powod_->moveCursor(QTextCursor::End);
  });
  host::PoleDaty(Dodaj(decyzja, "deDataWniosku", "Data wniosku :", 10))->setPlaceholderText(S("RRRR-MM-DD"));
  QLineEdit* uc = Dodaj(decyzja, "beUCZglosz", "UC zgłoszenia :", 8);
  Przycisk(decyzja, uc, [this, uc] {
    if (const auto r = host::ListujUC(ctx_, S("PL"), host::RolaUC::Wyjscia, uc->text().trimmed(), this)) {
      Czytaj();
      logic_.UstawUC(*r);
      Pokaz();
    }
  });
  DodajZobowiazanego();
}

void TIE014PL_Box::Pokaz() {
  TWniosekBox::Pokaz();
  powod_->setPlainText(logic_.powod);
  Pole(S("deDataWniosku"))->setText(logic_.data_wniosku);
  Pole(S("beUCZglosz"))->setText(logic_.uc_zgloszenia);
}

void TIE014PL_Box::Czytaj() {
  logic_.powod = powod_->toPlainText();
  logic_.data_wniosku = Pole(S("deDataWniosku"))->text();
  logic_.uc_zgloszenia = Pole(S("beUCZglosz"))->text();
}

void TIE014PL_Box::FocusField(const QString& field) {
  if (field == QLatin1String("mePowod")) powod_->setFocus();
  else TWniosekBox::FocusField(field);
}

// --- IE141 ----------------------------------------------------------------------------------

TIE141PL_Box::TIE141PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent)
    : TWniosekBox(ctx, logic_, row, "TIE141PL_Box", "Informacja dla urzedu celnego",
                  "  IE140 - Zapytanie o przesyłkę w ramach procedury poszukiwawczej  ", parent),
      logic_(ctx) {
  QFormLayout* poszukiwanie = DodajGrupe(" Poszukiwanie tranzytu  ");
  DodajZnacznik(poszukiwanie, "cbTC11", "TC11 dostarczone");
  host::PoleDaty(Dodaj(poszukiwanie, "deDataDostarczeniaTC11", "Data dostarczenia :", 10))->setPlaceholderText(S("RRRR-MM-DD"));
  DodajZnacznik(poszukiwanie, "cbFormaPapierowa", "Forma papierowa");
  Dodaj(poszukiwanie, "beInformacja", "Informacja :", 140);
  Dodaj(poszukiwanie, "beUCOkazania", "UC okazania :", 8, true);
  Dodaj(poszukiwanie, "beUCPoszukiwania", "UC poszukiwania :", 8, true);

  QFormLayout* odbiorca = DodajGrupe("  Rzeczywisty odbiorca  ");
  for (const PolePodmiotu& p : kPodmiot) Dodaj(odbiorca, p.odbiorca, p.podpis_odbiorcy, 0, true);
  QLineEdit* nazwa = Pole(S("beOdbiorcaNazwa"));
  Przycisk(odbiorca, nazwa, [this, nazwa] {
    if (const auto k = host::WybierzKontrahentaPoNazwie(ctx_, nazwa->text().trimmed(), this)) {
      Czytaj();
      logic_.UstawOdbiorce(*k);
      Pokaz();
    }
  });
  DodajZobowiazanego();
}

void TIE141PL_Box::Pokaz() {
  TWniosekBox::Pokaz();
  Znacznik(S("cbTC11"))->setChecked(logic_.tc11);
  Pole(S("deDataDostarczeniaTC11"))->setText(logic_.data_tc11);
  Znacznik(S("cbFormaPapierowa"))->setChecked(logic_.forma_papierowa);
  Pole(S("beInformacja"))->setText(logic_.informacja);
  Pole(S("beUCOkazania"))->setText(logic_.uc_okazania);
  Pole(S("beUCPoszukiwania"))->setText(logic_.uc_poszukiwania);
  for (const PolePodmiotu& p : kPodmiot) Pole(S(p.odbiorca))->setText(logic_.odbiorca.*p.wartosc);
}

void TIE141PL_Box::Czytaj() {
  logic_.tc11 = Znacznik(S("cbTC11"))->isChecked();
  logic_.data_tc11 = Pole(S("deDataDostarczeniaTC11"))->text();
  logic_.forma_papierowa = Znacznik(S("cbFormaPapierowa"))->isChecked();
  logic_.informacja = Pole(S("beInformacja"))->text();
}

// --- IE054 ----------------------------------------------------------------------------------

TIE054PL_Box::TIE054PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent)
    : TWniosekBox(ctx, logic_, row, "TIE054PL_Box", "Informacja przesyłana do urzędu celnego",
                  "  IE054 - Wniosek o zwolnienie zgłoszenia do procedury tranzytu", parent),
      logic_(ctx) {
  QFormLayout* zmiany = DodajGrupe("  Przyjęcie zmian   ");
  DodajZnacznik(zmiany, "cbBrakSprzeciwu", "Brak sprzeciwu (zgoda na wykryte w czasie kontroli rozbieżności)");
  Dodaj(zmiany, "beUCZgloszenia", "UC zgłoszenia :", 8);
  host::PoleDaty(Dodaj(zmiany, "deDataWniosku", "Data złożenia :", 10, true));
  DodajZobowiazanego();
}

void TIE054PL_Box::Pokaz() {
  TWniosekBox::Pokaz();
  Znacznik(S("cbBrakSprzeciwu"))->setChecked(logic_.brak_sprzeciwu);
  Pole(S("beUCZgloszenia"))->setText(logic_.uc_zgloszenia);
  Pole(S("deDataWniosku"))->setText(logic_.data_wniosku);
}

void TIE054PL_Box::Czytaj() {
  logic_.brak_sprzeciwu = Znacznik(S("cbBrakSprzeciwu"))->isChecked();
  logic_.uc_zgloszenia = Pole(S("beUCZgloszenia"))->text();
}

namespace {

// The list runs ShowBox on its editor and stores GetXML when it answers 1: the request's own
// box is shown in its place and answers for it.
class TWniosekEdytor : public frame::MessageEditor {
 public:
  TWniosekEdytor(host::HostContext& ctx, TWniosekBox* box, QWidget* parent) : frame::MessageEditor(ctx, parent), box_(box) {
    setObjectName(box->objectName() + QStringLiteral("_Edytor"));
  }
  ~TWniosekEdytor() override { delete box_; }

  // The box reads the stored row itself: a new row's seed is an older request, not this one.
  void SetXML(const QString&) override {}
  QString GetXML() override { return box_->GetXML(); }
  int exec() override {
    result_ = box_->ShowBox(ViewMode() ? 1 : 0);
    return result_;
  }

 protected:
  void CreateDefaultButtons() override {}

 private:
  TWniosekBox* box_;
};

}  // namespace

frame::MessageEditor* NowyEdytorWniosku(host::HostContext& ctx, TWniosekBox* box, QWidget* parent) {
  return new TWniosekEdytor(ctx, box, parent);
}

}  // namespace velmora::arrival
