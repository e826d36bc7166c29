#include "unloading_boxes.h"
#include "host/ui/edit_box.h"

#include "departure/goods_item.h"
#include "departure/goods_subrecord_boxes.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/ui/taric.h"
#include "host/xml/bodies.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::arrival {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }
QString Linie(QString text) { return text.replace(QLatin1Char('\r'), QLatin1Char('\n')); }

void UstawSiatke(QTableWidget* t) {
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->horizontalHeader()->setStretchLastSection(true);
  t->verticalHeader()->setVisible(false);
}

}  // namespace

// --- the wizard -----------------------------------------------------------------------------

TIE044PL_WynikKontroliWiz::TIE044PL_WynikKontroliWiz(host::HostContext& ctx, const xml::Message& ie043, const xml::Message& ie044,
                                                     QWidget* parent)
    : host::TTabWizardBox(parent), ctx_(ctx), logic_(ie043, ie044) {
  setObjectName(S("TIE044PL_WynikKontroliWiz"));
  setWindowTitle(S("Wynik kontroli"));
  auto* p0 = new QWidget(this);
  p0->setObjectName(S("tsRodzajNiezgodnosci"));
  auto* v0 = new QVBoxLayout(p0);
  auto* grupa = new QGroupBox(S("  Wybierz rodzaj niezgodności  "), p0);
  grupa->setObjectName(S("rg_RodzajNiezgodnosci"));
  auto* gv = new QVBoxLayout(grupa);
  for (const char* t : {"rozbieżność na pozycji towarowej", "brak pozycji towarowej", "nowa pozycja towarowa", "uwagi rozładunkowe "}) {
    auto* r = new QRadioButton(S(t), grupa);
    rodzaje_.push_back(r);
    gv->addWidget(r);
  }
  v0->addWidget(grupa);
  AddPage(p0, S("Rodzaj niezgodności"));

  auto* p1 = new QWidget(this);
  p1->setObjectName(S("tsWyborTowaru"));
  auto* v1 = new QVBoxLayout(p1);
  etykieta_ = new QLabel(S("Wskaż pozycję towarową której dotyczy"), p1);
  v1->addWidget(etykieta_);
  lista_ = new QTableWidget(0, 5, p1);
  lista_->setObjectName(S("dbgListaTowarow"));
  lista_->setHorizontalHeaderLabels({S("Towar"), QString(), S("Nr poz."), S("Kod towarowy"), S("Opis towaru")});
  UstawSiatke(lista_);
  lista_->installEventFilter(this);
  connect(lista_, &QTableWidget::cellDoubleClicked, this, [this] { Przelacz(); });
  v1->addWidget(lista_);
  AddPage(p1, S("Wybór pozycji towarowej"));

  auto* p2 = new QWidget(this);
  p2->setObjectName(S("tsUwagi"));
  auto* v2 = new QVBoxLayout(p2);
  auto* gu = new QGroupBox(S("  Uwagi rozładunkowe  "), p2);
  auto* guv = new QVBoxLayout(gu);
  uwagi_ = new QPlainTextEdit(gu);
  uwagi_->setObjectName(S("Uwagi"));
  uwagi_->setTabChangesFocus(true);
  guv->addWidget(uwagi_);
  v2->addWidget(gu);
  AddPage(p2, S("Uwagi rozładunkowe"));
  for (QRadioButton* r : rodzaje_) connect(r, &QRadioButton::toggled, this, [this] { UpdateButtons(); });
}

void TIE044PL_WynikKontroliWiz::Odswiez() {
  const auto& w = logic_.Wiersze();
  lista_->setRowCount(static_cast<int>(w.size()));
  for (int r = 0; r < static_cast<int>(w.size()); ++r) {
    const QStringList cells{w[r].zaznaczony ? S("X") : QString(), w[r].uzyty ? S("użyta") : QString(), QString::number(w[r].poz_id), w[r].kod,
                            w[r].opis};
    for (int c = 0; c < cells.size(); ++c) lista_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
}

void TIE044PL_WynikKontroliWiz::Przelacz() {
  const int r = lista_->currentRow();
  logic_.Przelacz(r);
  Odswiez();
  lista_->setCurrentCell(r, 0);
}

void TIE044PL_WynikKontroliWiz::InitCurrentPage(int page) {
  if (page == 1) {
    // The label is rebuilt from its base text on every entry.
    etykieta_->setText(logic_.EtykietaPozycji());
    Odswiez();
    lista_->setFocus();
  }
  if (page == 2) uwagi_->setFocus();
}

int TIE044PL_WynikKontroliWiz::GetNextPage(int page) {
  logic_.rodzaj = -1;
  for (int i = 0; i < static_cast<int>(rodzaje_.size()); ++i)
    if (rodzaje_[i]->isChecked()) logic_.rodzaj = i;
  logic_.uwagi = uwagi_->toPlainText();
  QString informacja;
  const int dalej = logic_.Dalej(page, &informacja);
  if (dalej == WynikKontroliIE044::kZostan) {
    ctx_.dialogs.Informacja(informacja);
    return -1;
  }
  if (dalej == WynikKontroliIE044::kKoniec) {
    // "Dalej" finishes here: the page's answer is complete.
    koniec_ = true;
    if (!Finish()) koniec_ = false;
    return -1;
  }
  return dalej;
}

bool TIE044PL_WynikKontroliWiz::LastPageTest(int page) { return page == 2 || koniec_; }

bool TIE044PL_WynikKontroliWiz::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lista_ && event->type() == QEvent::KeyPress) {
    const int k = static_cast<QKeyEvent*>(event)->key();
    if (k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) {
      Przelacz();
      return true;
    }
  }
  return host::TTabWizardBox::eventFilter(watched, event);
}

// --- the goods item -------------------------------------------------------------------------

TIE044PL_TowarBox::TIE044PL_TowarBox(host::HostContext& ctx, xml::Group towar, int typ, QWidget* parent)
    : host::TEditBox(ctx, parent), logic_(std::move(towar), typ) {
  setObjectName(S("TIE044PL_TowarBox"));
  setWindowTitle(S("Pozycja towarowa - %1").arg(OpisTypu(typ)));
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  auto* form = new QFormLayout;
  layout->addLayout(form);
  opis_ = host::PoleTekstowe(form, S("meOpis"), S("&Opis towaru:"), 60);
  auto pole = [&](const char* name, const char* caption, int n) {
    QLineEdit* e = DodajPole(form, name, caption, n);
    e->installEventFilter(this);
    return e;
  };
  pole("beCN8", "Kod towarowy CN8:", 8);
  pole("ceMasaBrutto", "Masa &brutto:", 15);
  pole("ceMasaNetto", "Masa &netto:", 15);
  uwagi_ = host::PoleTekstowe(form, S("meUwagiRozladunkowe"), S("&Uwagi rozładunkowe:"), 60);

  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_, 1);
  auto grid = [&](const char* name, const QStringList& naglowki, const char* zakladka, const QString& podpowiedz) {
    auto* strona = new QWidget(tabs_);
    auto* v = new QVBoxLayout(strona);
    auto* t = new QTableWidget(0, static_cast<int>(naglowki.size()), strona);
    t->setObjectName(S(name));
    t->setHorizontalHeaderLabels(naglowki);
    UstawSiatke(t);
    t->installEventFilter(this);
    v->addWidget(t);
    if (!podpowiedz.isEmpty()) v->addWidget(new QLabel(Linie(podpowiedz), strona));
    tabs_->addTab(strona, S(zakladka));
    siatki_.push_back(t);
    strony_.push_back(strona);
    return t;
  };
  grid("dbgOpakowanie", {S(" Rodzaj"), S(" Znaki opakowań"), S(" Liczba opak."), S(" Ilość [szt.]")}, "Opakowania (31)", {});
  grid("dbgTowarWrazliwy", {S(" Kod"), S(" Ilość")}, "Towary wrażliwe (31)", departure::kInfoTowaryWrazliwe);
  auto* kont = new QWidget(tabs_);
  auto* kv = new QVBoxLayout(kont);
  kontenery_ = new QPlainTextEdit(kont);
  kontenery_->setObjectName(S("meKontener"));
  kv->addWidget(kontenery_);
  kv->addWidget(new QLabel(Linie(departure::kInfoKontenery), kont));
  tabs_->addTab(kont, S("Numery kontenerów (31)"));
  // The quota tab stays hidden: nothing fills it and nothing of it is saved.
  QTableWidget* dok = grid("dbgDokWymagane", {S(" Brak"), S(" Kod"), S("Numer"), S(" Uwagi")}, "Dokumenty wymagane WPT", {});
  connect(dok, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) {
    if (c != 0 || ViewMode()) return actPopraw();
    logic_.PrzelaczBrak(r);
    Odswiez(TowarIE044::kDokumenty, r);
  });
  for (int i = 0; i < 2; ++i) connect(siatki_[i], &QTableWidget::cellDoubleClicked, this, [this] { actPopraw(); });

  auto* pasek = new QHBoxLayout;
  host::DodajPrzyciski(this, pasek,
                       {{"actDodaj", "Dodaj", [this] { actDodaj(); }},
                        {"actPopraw", "Popraw", [this] { actPopraw(); }},
                        {"actUsun", "Usuń", [this] { actUsun(); }}});
  layout->addLayout(pasek);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { OdswiezPrzyciski(); });
}

QPushButton* TIE044PL_TowarBox::Przycisk(const QString& name) const { return findChild<QPushButton*>(name); }

void TIE044PL_TowarBox::BeforeActivate() {
  logic_.WczytajDoKontrolek();
  opis_->setPlainText(logic_.opis);
  pola_.value(S("beCN8"))->setText(logic_.cn8);
  pola_.value(S("ceMasaBrutto"))->setText(logic_.masa_brutto);
  pola_.value(S("ceMasaNetto"))->setText(logic_.masa_netto);
  uwagi_->setPlainText(logic_.uwagi);
  kontenery_->setPlainText(logic_.kontenery);
  for (auto l : {TowarIE044::kOpakowania, TowarIE044::kTowaryWrazliwe, TowarIE044::kDokumenty}) Odswiez(l);
  OdswiezPrzyciski();
  if (ViewMode()) {
    for (QLineEdit* e : pola_) e->setReadOnly(true);
    for (QPlainTextEdit* t : {opis_, uwagi_, kontenery_}) t->setReadOnly(true);
  }
}

std::optional<TowarIE044::Lista> TIE044PL_TowarBox::AktywnaLista() const {
  QWidget* w = tabs_->currentWidget();
  for (int i = 0; i < static_cast<int>(strony_.size()); ++i)
    if (strony_[i] == w) return static_cast<TowarIE044::Lista>(i);
  return std::nullopt;
}

void TIE044PL_TowarBox::OdswiezPrzyciski() {
  const auto l = AktywnaLista();
  const bool dokumenty = l == TowarIE044::kDokumenty;
  Przycisk(S("actPopraw"))->setEnabled(l.has_value());
  Przycisk(S("actDodaj"))->setEnabled(l && (!dokumenty || logic_.MoznaDodac(*l)) && !ViewMode());
  Przycisk(S("actUsun"))->setEnabled(l && (!dokumenty || logic_.MoznaDodac(*l)) && !ViewMode());
}

void TIE044PL_TowarBox::Odswiez(TowarIE044::Lista l, int wiersz) {
  QTableWidget* t = siatki_.at(l);
  const std::vector<xml::Group> w = logic_.Wiersze(l);
  const int biezacy = wiersz >= 0 ? wiersz : t->currentRow();
  t->setRowCount(static_cast<int>(w.size()));
  for (int r = 0; r < static_cast<int>(w.size()); ++r) {
    QStringList cells;
    if (l == TowarIE044::kOpakowania)
      cells = {w[r].Get(S("Rodzaj")), w[r].Get(S("Znaki")), w[r].Get(S("LiczbaOpakowan")), w[r].Get(S("IloscSztuk"))};
    else if (l == TowarIE044::kTowaryWrazliwe)
      cells = {w[r].Get(S("Kod")), w[r].Get(S("Ilosc"))};
    else
      cells = {r < static_cast<int>(logic_.brak.size()) && logic_.brak[r] ? S("1") : S("0"), w[r].Get(S("Kod")), w[r].Get(S("Nr")),
               w[r].Get(S("Uwagi"))};
    for (int c = 0; c < cells.size(); ++c) t->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!w.empty()) t->setCurrentCell(std::clamp(biezacy, 0, static_cast<int>(w.size()) - 1), 0);
}

namespace {
departure::TIE015_PozycjaListyBox::Rodzaj RodzajBoxu(TowarIE044::Lista l) {
  using R = departure::TIE015_PozycjaListyBox::Rodzaj;
  return l == TowarIE044::kOpakowania ? R::Opakowanie : l == TowarIE044::kTowaryWrazliwe ? R::TowarWrazliwy : R::DokumentWymagany;
}
}  // namespace

void TIE044PL_TowarBox::actDodaj() {
  const auto l = AktywnaLista();
  if (!l || ViewMode() || !logic_.MoznaDodac(*l)) return;
  const xml::Group w = logic_.Dodaj(*l);
  departure::TIE015_PozycjaListyBox box(ctx_, RodzajBoxu(*l), w, this);
  if (box.ShowBox() != 1) logic_.Cofnij(*l, w);
  Odswiez(*l, static_cast<int>(logic_.Wiersze(*l).size()) - 1);
}

void TIE044PL_TowarBox::actPopraw() {
  const auto l = AktywnaLista();
  if (!l) return;
  const std::vector<xml::Group> w = logic_.Wiersze(*l);
  const int r = siatki_.at(*l)->currentRow();
  if (r < 0 || r >= static_cast<int>(w.size())) return;
  departure::TIE015_PozycjaListyBox box(ctx_, RodzajBoxu(*l), w[r], this);
  box.ShowBox(ViewMode() ? 1 : 0);
  Odswiez(*l, r);
}

void TIE044PL_TowarBox::actUsun() {
  const auto l = AktywnaLista();
  if (!l || ViewMode() || !logic_.MoznaDodac(*l)) return;
  const int r = siatki_.at(*l)->currentRow();
  if (r < 0 || r >= static_cast<int>(logic_.Wiersze(*l).size())) return;
  static const char* const kPytania[] = {"Usunać pozycję z listy opakowań ?", "Usunać pozycję z towarów wrażliwych ?",
                                         "Usunać pozycję z listy dokumentów wymaganych ?"};
  if (ctx_.dialogs.PytanieNieTak(S(kPytania[*l])) != host::kIdYes) return;
  logic_.Usun(*l, r);
  Odswiez(*l, r);
}

void TIE044PL_TowarBox::Czytaj() {
  logic_.opis = opis_->toPlainText();
  logic_.cn8 = pola_.value(S("beCN8"))->text();
  logic_.masa_brutto = pola_.value(S("ceMasaBrutto"))->text();
  logic_.masa_netto = pola_.value(S("ceMasaNetto"))->text();
  logic_.uwagi = uwagi_->toPlainText();
  logic_.kontenery = kontenery_->toPlainText();
}

host::FieldErrors TIE044PL_TowarBox::Validate() {
  Czytaj();
  return logic_.Sprawdz();
}

bool TIE044PL_TowarBox::actOkExecute() {
  if (ViewMode()) return true;
  Czytaj();
  if (!logic_.Sprawdz().empty()) return host::TEditBox::actOkExecute();
  logic_.ZapiszZKontrolek();
  return host::TEditBox::actOkExecute();
}

void TIE044PL_TowarBox::FocusField(const QString& field) {
  if (QLineEdit* e = pola_.value(field)) e->setFocus();
}

bool TIE044PL_TowarBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && !ViewMode()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == pola_.value(S("beCN8")) &&
        host::KlawiszListy(key)) {
      if (const auto kod = host::TTARIC_BOX::SelectCN8(ctx_, pola_.value(S("beCN8"))->text(), this)) pola_.value(S("beCN8"))->setText(*kod);
      return true;
    }
    if (qobject_cast<QTableWidget*>(watched) &&
        host::KlawiszSiatki(key, {[this] { actDodaj(); }, [this] { actUsun(); }, [this] { actPopraw(); }}))
      return true;
  }
  return host::TEditBox::eventFilter(watched, event);
}

}  // namespace velmora::arrival
