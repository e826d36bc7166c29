#include "goods_item_box.h"
#include "host/ui/edit_box.h"

#include "declaration_guarantees.h"
#include "goods_subrecord_boxes.h"

#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/taric.h"
#include "reference/slownik_ncts_box.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::departure {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

// The label texts carry "\r" as their line break.
QString Linie(QString text) { return text.replace(QLatin1Char('\r'), QLatin1Char('\n')); }

struct Kolumna {
  const char* tytul;
  const char* atrybut;
};
struct OpisSiatki {
  ListaTowaru lista;
  const char* nazwa;
  const char* zakladka;
  std::vector<Kolumna> kolumny;
  TIE015_PozycjaListyBox::Rodzaj rodzaj;
};
const std::vector<OpisSiatki>& Siatki() {
  using R = TIE015_PozycjaListyBox::Rodzaj;
  static const std::vector<OpisSiatki> siatki{
      {ListaTowaru::Opakowania, "mdOpakowanie", " Opakowania  ",
       {{"Lp", "PozId"}, {" Rodzaj", "Rodzaj"}, {" Znaki opakowań", "Znaki"}, {" Liczba opak.", "LiczbaOpakowan"}, {" Ilość [szt.]", "IloscSztuk"}},
       R::Opakowanie},
      {ListaTowaru::DokumentyWymagane, "mdDokWym", "Dok. wymagane",
       {{" Lp", "PozId"}, {" Kod", "Kod"}, {" Numer", "Nr"}, {" Uwagi", "Uwagi"}}, R::DokumentWymagany},
      {ListaTowaru::DokumentyPoprzednie, "mdDokPop", "Dok. poprzednie",
       {{" Lp", "PozId"}, {" Kod", "Kod"}, {" Numer", "Nr"}, {" Uwagi", "Uwagi"}}, R::DokumentPoprzedni},
      {ListaTowaru::InformacjeDodatkowe, "mdInfDod", "Inf. dodatkowe",
       {{"Lp", "PozId"}, {" Kod", "Kod"}, {"Wywóz z UE", "WywozZUE"}, {" Kraj wywozu", "KrajWywozu"}, {" Tekst", "Tekst"}},
       R::InformacjaDodatkowa},
      {ListaTowaru::TowaryWrazliwe, "mdTowarWrazliwy", "  Towary wrażliwe  ", {{"Lp", "PozId"}, {" Kod", "Kod"}, {" Ilość", "Ilosc"}},
       R::TowarWrazliwy},
  };
  return siatki;
}

const OpisSiatki& OpisListy(ListaTowaru l) { return Siatki()[static_cast<int>(l)]; }

// The fields that hold one value of the item each.
struct Wiazanie {
  const char* pole;
  QString PolaTowaru::*wartosc;
};
const Wiazanie kWiazania[] = {
    {"beP1c", &PolaTowaru::p1c},
    {"beKrajWysylki", &PolaTowaru::kraj_wysylki},
    {"beKrajPrzezn", &PolaTowaru::kraj_przeznaczenia},
    {"beNadawca", &PolaTowaru::nadawca},
    {"beOdbiorca", &PolaTowaru::odbiorca},
    {"beCN8", &PolaTowaru::cn8},
    {"ceMasaBrutto", &PolaTowaru::masa_brutto},
    {"ceMasaNetto", &PolaTowaru::masa_netto},
    {"beKwota", &PolaTowaru::kwota},
    {"beWaluta", &PolaTowaru::waluta},
    {"beGwarancja", &PolaTowaru::gwarancja},
    {"beWartosc", &PolaTowaru::wartosc},
    {"beWartoscWal", &PolaTowaru::wartosc_waluta},
    {"beClo", &PolaTowaru::clo},
    {"beClo2", &PolaTowaru::clo_dodatkowe},
    {"beVAT", &PolaTowaru::vat},
    {"beNrLiniiZam_RUVA", &PolaTowaru::nr_linii_zam},
    {"beFormaPlatnosci", &PolaTowaru::forma_platnosci},
    {"beNrReferencyjnyPrzesylki", &PolaTowaru::nr_ref_przesylki},
    {"beNadawcaB", &PolaTowaru::nadawca_b},
    {"beOdbiorcaB", &PolaTowaru::odbiorca_b},
    {"beKodUN", &PolaTowaru::kod_un},
};


}  // namespace

TIE015_TowarBox::TIE015_TowarBox(host::HostContext& ctx, xml::Message& deklaracja, int poz_id, QWidget* parent)
    : host::TEditBox(ctx, parent), logic_(ctx, deklaracja, poz_id), deklaracja_(deklaracja) {
  setObjectName(S("TIE015_TowarBox"));
  setWindowTitle(S("Pozycja towarowa %1").arg(poz_id));
  auto* layout = static_cast<QVBoxLayout*>(this->layout());

  // The per-item panel.
  panel_pozycji_ = new QWidget(this);
  panel_pozycji_->setObjectName(S("pnlPozycja"));
  auto* pf = new QFormLayout(panel_pozycji_);
  pf->setContentsMargins(0, 0, 0, 0);
  DodajPole(pf, "beP1c", "Szczegóły (&1c):", 5, true)->setEnabled(logic_.P1cDostepny());
  DodajPole(pf, "beKrajWysylki", "Kraj &wysyłki:", 2, true);
  DodajPole(pf, "beKrajPrzezn", "Kraj przezna&czenia:", 2, true);
  pf->addRow(S("Nadawca  (&2):"), StronaZPrzyciskami(StronaTowaru::Nadawca, "beNadawca"));
  pf->addRow(S("Odbiorca  (&8):"), StronaZPrzyciskami(StronaTowaru::Odbiorca, "beOdbiorca"));
  layout->addWidget(panel_pozycji_);

  auto* form = new QFormLayout;
  layout->addLayout(form);
  opis_ = host::PoleTekstowe(form, S("meOpis"), S("&Opis towaru (31):"), 70);
  // Typing stops at the description's length.
  connect(opis_, &QPlainTextEdit::textChanged, this, [this] {
    if (opis_->toPlainText().size() <= 260) return;
    const QSignalBlocker b(opis_);
    opis_->setPlainText(opis_->toPlainText().left(260));
    opis_->moveCursor(QTextCursor::End);
  });
  {
    QLineEdit* cn = DodajPole(form, "beCN8", "Kod towarowy CN8:", 8);
    cn->setProperty("taric", true);
    connect(cn, &QLineEdit::editingFinished, this, [this, cn] {
      if (ViewMode() || logic_.ZabezpieczenieZablokowane()) return;
      Czytaj();
      logic_.UstawCN(cn->text());
      Pokaz();
    });
  }
  DodajPole(form, "ceMasaBrutto", "Masa &brutto (35):", 16);
  DodajPole(form, "ceMasaNetto", "Masa &netto (38):", 16);
  DodajPole(form, "beIloscUzupJM", "JM Ilość uzup (41):", 11, true)->setEnabled(false);
  QLineEdit* linia = DodajPole(form, "beNrLiniiZam_RUVA", "Nr linii zam:");
  linia->setReadOnly(true);
  linia->setVisible(false);
  if (QWidget* l = form->labelForField(linia)) l->setVisible(false);

  // The security amount.
  auto* kwota_wiersz = new QHBoxLayout;
  auto* kf = new QFormLayout;
  kf->setContentsMargins(0, 0, 0, 0);
  DodajPole(kf, "beKwota", "Kwota:", 11);
  DodajPole(kf, "beWaluta", "Waluta:", 3, true);
  QLineEdit* gwarancja = DodajPole(kf, "beGwarancja", "Gwarancja (GRN):");
  gwarancja->setReadOnly(true);
  {
    auto* wybierz = new QToolButton(this);
    wybierz->setObjectName(S("beGwarancja_Wybierz"));
    wybierz->setText(S("..."));
    auto* wyczysc = new QToolButton(this);
    wyczysc->setObjectName(S("beGwarancja_Wyczysc"));
    wyczysc->setText(S("X"));
    host::ObokPola(kf, gwarancja, wybierz);
    host::ObokPola(kf, gwarancja, wyczysc);
    connect(wybierz, &QToolButton::clicked, this, [this] {
      if (ViewMode() || logic_.ZabezpieczenieZablokowane()) return;
      if (const auto grn = GwarancjeDeklaracji::WybierzGRN(ctx_, deklaracja_, this)) pola_.value(S("beGwarancja"))->setText(*grn);
    });
    connect(wyczysc, &QToolButton::clicked, this, [this] {
      if (ViewMode() || logic_.ZabezpieczenieZablokowane()) return;
      pola_.value(S("beGwarancja"))->clear();
    });
  }
  DodajPole(kf, "beWartosc", "Wartość towaru:", 11);
  DodajPole(kf, "beWartoscWal", "Waluta wartości:", 3, true);
  DodajPole(kf, "beClo", "Cło (%):", 11);
  DodajPole(kf, "beClo2", "Cło dod (%):", 11);
  DodajPole(kf, "beVAT", "VAT:", 11);
  oblicz_ = new QCheckBox(S("oblicz i wpisz kwotę zabezp. automatycznie"), this);
  oblicz_->setObjectName(S("ceOblicz"));
  oblicz_->setChecked(true);
  kf->addRow(oblicz_);
  kwota_wiersz->addLayout(kf);
  obliczenia_ = new QLabel(this);
  obliczenia_->setObjectName(S("lblObliczenia"));
  obliczenia_->setTextFormat(Qt::PlainText);
  obliczenia_->setMinimumWidth(240);
  kwota_wiersz->addWidget(obliczenia_, 1);
  layout->addLayout(kwota_wiersz);
  for (const char* p : {"beWaluta", "beWartoscWal"}) pola_.value(S(p))->setProperty("waluta", true);
  // Entering the amount computes it; leaving its currency reads the currency's rate.
  pola_.value(S("beKwota"))->installEventFilter(this);
  connect(pola_.value(S("beWaluta")), &QLineEdit::editingFinished, this, [this] {
    if (ViewMode() || logic_.ZabezpieczenieZablokowane()) return;
    Czytaj();
    if (!logic_.WalutaKwotyOpuszczona()) obliczenia_->setText(Linie(BrakKursuWaluty(logic_.pola.waluta.trimmed())));
  });

  // The list tabs, the security tab and the containers.
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(S("pcTowar"));
  for (const OpisSiatki& o : Siatki()) {
    auto* strona = new QWidget(tabs_);
    auto* v = new QVBoxLayout(strona);
    auto* t = new QTableWidget(0, static_cast<int>(o.kolumny.size()), strona);
    t->setObjectName(S(o.nazwa));
    QStringList tytuly;
    for (const Kolumna& k : o.kolumny) tytuly << S(k.tytul);
    t->setHorizontalHeaderLabels(tytuly);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->setVisible(false);
    connect(t, &QTableWidget::cellDoubleClicked, this, [this] { actReplace(); });
    v->addWidget(t);
    siatki_.insert(static_cast<int>(o.lista), t);
    zakladki_list_.insert(static_cast<int>(o.lista), strona);
    if (o.lista == ListaTowaru::TowaryWrazliwe) {
      auto* info = new QLabel(Linie(kInfoTowaryWrazliwe), strona);
      info->setObjectName(S("lblTowaryWrazliwe"));
      v->addWidget(info);
    }
  }
  for (int i = 0; i < 4; ++i) tabs_->addTab(zakladki_list_.value(i), S(Siatki()[i].zakladka));

  auto* bezp = new QWidget(tabs_);
  auto* bf = new QFormLayout(bezp);
  QLineEdit* forma = DodajPole(bf, "beFormaPlatnosci", "Forma płatności:", 1, true);
  auto* forma_opis = new QLabel(bezp);
  forma_opis->setObjectName(S("beFormaPlatnosci_Opis"));
  bf->addRow(QString(), forma_opis);
  connect(forma, &QLineEdit::textChanged, forma_opis, [this, forma_opis](const QString& kod) {
    forma_opis->setText(kod.trimmed().isEmpty() ? QString() : reference::TSlownikNCTS_BOX::GetOpis(ctx_, 1116, kod.trimmed()));
  });
  DodajPole(bf, "beNrReferencyjnyPrzesylki", "Nr ref. przesyłki:", 70);
  bf->addRow(S("Nadawca:"), StronaZPrzyciskami(StronaTowaru::NadawcaB, "beNadawcaB"));
  bf->addRow(S("Odbiorca:"), StronaZPrzyciskami(StronaTowaru::OdbiorcaB, "beOdbiorcaB"));
  DodajPole(bf, "beKodUN", "Kod UN (tow.niebezp.):", 4, true);
  tabs_->addTab(bezp, S(" Bezpieczeństwo  "));

  auto* kont = new QWidget(tabs_);
  auto* kv = new QVBoxLayout(kont);
  kontenery_ = new QPlainTextEdit(kont);
  kontenery_->setObjectName(S("meKontener"));
  kontenery_->setTabChangesFocus(true);
  kv->addWidget(kontenery_);
  auto* kinfo = new QLabel(Linie(kInfoKontenery), kont);
  kinfo->setObjectName(S("lblKontenery"));
  kv->addWidget(kinfo);
  // Upper case, and no more than the list can hold.
  connect(kontenery_, &QPlainTextEdit::textChanged, this, [this] {
    const QString t = kontenery_->toPlainText();
    const QString u = t.toUpper().left(1879);
    if (u == t) return;
    const QSignalBlocker b(kontenery_);
    QTextCursor c = kontenery_->textCursor();
    const int pos = c.position();
    kontenery_->setPlainText(u);
    c = kontenery_->textCursor();
    c.setPosition(std::min(pos, static_cast<int>(u.size())));
    kontenery_->setTextCursor(c);
  });
  tabs_->addTab(kont, S("Kontenery  "));
  tabs_->addTab(zakladki_list_.value(static_cast<int>(ListaTowaru::TowaryWrazliwe)), S(OpisListy(ListaTowaru::TowaryWrazliwe).zakladka));
  // Quotas: the message carries none, so the grid is shown empty and read-only.
  auto* kontyngenty = new QTableWidget(0, 3, tabs_);
  kontyngenty->setObjectName(S("dbgKontyngent"));
  kontyngenty->setHorizontalHeaderLabels({S(" Nr porządkowy"), S(" Wnioskowana ilość lub wartość"), S(" Jednostka miary")});
  kontyngenty->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tabs_->addTab(kontyngenty, S("Kontyngenty (31,39)"));
  layout->addWidget(tabs_, 1);

  // The list buttons.
  przyciski_ = new QWidget(this);
  auto* pb = new QHBoxLayout(przyciski_);
  pb->setContentsMargins(0, 0, 0, 0);
  host::DodajPrzyciski(przyciski_, pb,
                       {{"actAdd", "Dodaj", [this] { actAdd(); }},
                        {"actReplace", "Zmień", [this] { actReplace(); }},
                        {"actDel", "Usuń", [this] { actDel(); }},
                        {"actKopiuj", "Kopiuj na pozycje", [this] { actKopiuj(); }}});
  kopiuj_ = przyciski_->findChild<QPushButton*>(S("actKopiuj"));
  layout->addWidget(przyciski_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { OdswiezPrzyciski(); });

  // Lookups.
  for (const auto& [pole, slownik] : {std::pair{"beP1c", 1031}, std::pair{"beKrajWysylki", 1008}, std::pair{"beKrajPrzezn", 1008},
                                      std::pair{"beFormaPlatnosci", 1116}, std::pair{"beKodUN", 1101}})
    pola_.value(S(pole))->setProperty("slownik", slownik);
  for (QLineEdit* e : pola_) e->installEventFilter(this);
  for (QTableWidget* t : siatki_) t->installEventFilter(this);
  opis_->installEventFilter(this);
  kontenery_->installEventFilter(this);
  host::PrzyciskiList(this, {"slownik", "waluta", "taric"});
}

QWidget* TIE015_TowarBox::StronaZPrzyciskami(StronaTowaru s, const char* name) {
  auto* w = new QWidget(this);
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  auto* e = new QLineEdit(w);
  e->setObjectName(S(name));
  e->setReadOnly(true);
  pola_.insert(S(name), e);
  h->addWidget(e);
  h->addWidget(PrzyciskiPola(
      e,
      [this, s, e] {
        Czytaj();
        if (const QString odmowa = logic_.OdmowaStrony(s); !odmowa.isEmpty()) {
          ctx_.dialogs.Blad(odmowa);
          return;
        }
        if (const auto k = host::WybierzKontrahentaPoNazwie(ctx_, e->text(), this)) {
          logic_.WybierzStrone(s, *k);
          Pokaz();
        }
      },
      [this, s] {
        Czytaj();
        logic_.WyczyscStrone(s);
        Pokaz();
      }));
  return w;
}

void TIE015_TowarBox::PokazPanelPozycji(bool widoczny) { panel_pozycji_->setVisible(widoczny); }

void TIE015_TowarBox::BeforeActivate() {
  logic_.Load();
  Pokaz();
  tabs_->setCurrentIndex(0);
  const bool zablokowane = logic_.ZabezpieczenieZablokowane();
  for (const char* p : {"beKwota", "beWaluta", "beGwarancja", "beWartosc", "beWartoscWal", "beClo", "beClo2", "beVAT"}) {
    pola_.value(S(p))->setEnabled(!zablokowane);
    pola_.value(S(p))->setReadOnly(zablokowane || ViewMode() || QLatin1String(p) == QLatin1String("beGwarancja"));
  }
  oblicz_->setEnabled(!zablokowane && !ViewMode());
  if (zablokowane) obliczenia_->setText(Linie(kZabezpieczenieTIR));
  if (ViewMode()) {
    for (QLineEdit* e : pola_) e->setReadOnly(true);
    opis_->setReadOnly(true);
    kontenery_->setReadOnly(true);
  }
  opis_->setFocus();
}

void TIE015_TowarBox::Pokaz() {
  const PolaTowaru& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) pola_.value(S(w.pole))->setText(p.*w.wartosc);
  pola_.value(S("beIloscUzupJM"))->clear();
  if (opis_->toPlainText() != p.opis) opis_->setPlainText(p.opis);
  if (kontenery_->toPlainText() != p.kontenery) kontenery_->setPlainText(p.kontenery);
  oblicz_->setChecked(p.oblicz);
  if (!logic_.ZabezpieczenieZablokowane()) obliczenia_->setText(Linie(logic_.Obliczenia()));
  for (const OpisSiatki& o : Siatki()) OdswiezListe(o.lista);
  OdswiezPrzyciski();
}

void TIE015_TowarBox::Czytaj() {
  PolaTowaru& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) p.*w.wartosc = pola_.value(S(w.pole))->text();
  p.opis = opis_->toPlainText();
  p.kontenery = kontenery_->toPlainText();
  p.oblicz = oblicz_->isChecked();
}

void TIE015_TowarBox::OdswiezListe(ListaTowaru l, int wiersz) {
  QTableWidget* t = Siatka(l);
  const OpisSiatki& o = OpisListy(l);
  const std::vector<xml::Group> wiersze = logic_.Wiersze(l);
  const int biezacy = wiersz >= 0 ? wiersz : t->currentRow();
  t->setRowCount(static_cast<int>(wiersze.size()));
  for (int r = 0; r < static_cast<int>(wiersze.size()); ++r)
    for (int c = 0; c < static_cast<int>(o.kolumny.size()); ++c) {
      QString v = wiersze[r].Get(S(o.kolumny[c].atrybut));
      if (QLatin1String(o.kolumny[c].atrybut) == QLatin1String("WywozZUE"))
        v = v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ? S("Tak") : S("Nie");
      t->setItem(r, c, new QTableWidgetItem(v));
    }
  if (!wiersze.empty()) t->setCurrentCell(std::clamp(biezacy, 0, static_cast<int>(wiersze.size()) - 1), 0);
}

std::optional<ListaTowaru> TIE015_TowarBox::AktywnaLista() const {
  QWidget* w = tabs_->currentWidget();
  for (auto it = zakladki_list_.begin(); it != zakladki_list_.end(); ++it)
    if (it.value() == w) return static_cast<ListaTowaru>(it.key());
  return std::nullopt;
}

void TIE015_TowarBox::OdswiezPrzyciski() {
  const std::optional<ListaTowaru> l = AktywnaLista();
  przyciski_->setVisible(l.has_value());
  kopiuj_->setVisible(l && *l != ListaTowaru::TowaryWrazliwe);
}

void TIE015_TowarBox::Edytuj(ListaTowaru l, xml::Group wiersz, bool nowy) {
  TIE015_PozycjaListyBox box(ctx_, OpisListy(l).rodzaj, wiersz, this);
  const bool ok = box.ShowBox(ViewMode() ? 1 : 0) == 1;
  if (nowy && !ok) logic_.Cofnij(l, wiersz);
  int r = Siatka(l)->currentRow();
  if (nowy && ok) r = static_cast<int>(logic_.Wiersze(l).size()) - 1;
  OdswiezListe(l, r);
}

void TIE015_TowarBox::actAdd() {
  const std::optional<ListaTowaru> l = AktywnaLista();
  if (!l || ViewMode()) return;
  const xml::Group wiersz = logic_.Dodaj(*l);
  if (wiersz.IsNull()) return;
  Edytuj(*l, wiersz, true);
}

void TIE015_TowarBox::actReplace() {
  const std::optional<ListaTowaru> l = AktywnaLista();
  if (!l) return;
  const std::vector<xml::Group> wiersze = logic_.Wiersze(*l);
  const int r = Siatka(*l)->currentRow();
  if (r < 0 || r >= static_cast<int>(wiersze.size())) return;
  Edytuj(*l, wiersze[r], false);
}

void TIE015_TowarBox::actDel() {
  const std::optional<ListaTowaru> l = AktywnaLista();
  if (!l || ViewMode()) return;
  if (logic_.Usun(*l, Siatka(*l)->currentRow())) OdswiezListe(*l);
}

void TIE015_TowarBox::actKopiuj() {
  const std::optional<ListaTowaru> l = AktywnaLista();
  if (!l || ViewMode()) return;
  logic_.Kopiuj(*l, Siatka(*l)->currentRow());
}

void TIE015_TowarBox::actNextTab() { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count()); }
void TIE015_TowarBox::actPrevTab() { tabs_->setCurrentIndex((tabs_->currentIndex() + tabs_->count() - 1) % tabs_->count()); }

void TIE015_TowarBox::Lookup(QLineEdit* e) {
  if (ViewMode() || !e->isEnabled()) return;
  if (e->property("slownik").isValid()) {
    QString kod = e->text();
    if (reference::TSlownikNCTS_BOX::Listuj(ctx_, e->property("slownik"), kod, e) == reference::TSlownikNCTS_BOX::kMrOk) e->setText(kod);
  } else if (e->property("waluta").isValid()) {
    if (logic_.ZabezpieczenieZablokowane()) return;
    if (const auto w = host::WybierzWalute(ctx_, e->text().trimmed(), this)) {
      e->setText(w->Str(S("KOD")).trimmed());
      if (e->objectName() == QLatin1String("beWaluta")) Q_EMIT e->editingFinished();
    }
  } else if (e->property("taric").isValid()) {
    if (const auto kod = host::TTARIC_BOX::SelectCN10(ctx_, e->text(), this)) {
      Czytaj();
      logic_.UstawCN(*kod);
      Pokaz();
    }
  }
}

bool TIE015_TowarBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && watched == pola_.value(S("beKwota")) && !ViewMode() && oblicz_->isChecked() &&
      !logic_.ZabezpieczenieZablokowane()) {
    Czytaj();
    const WynikZabezpieczenia w = logic_.Oblicz();
    Pokaz();
    obliczenia_->setText(Linie(w.etykieta));
  }
  // Line edits take Ctrl+Left/Right for words; here they change tabs.
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    if (ctrl && (key->key() == Qt::Key_Right || key->key() == Qt::Key_Left)) {
      if (event->type() == QEvent::ShortcutOverride) return event->accept(), true;
      key->key() == Qt::Key_Right ? actNextTab() : actPrevTab();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (auto* t = qobject_cast<QTableWidget*>(watched)) {
      const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
      if (key->key() == Qt::Key_Insert) return actAdd(), true;
      if (key->key() == Qt::Key_Delete) return actDel(), true;
      if (enter && (key->modifiers() & Qt::ControlModifier)) return actReplace(), true;
      Q_UNUSED(t);
    }
    if (auto* e = qobject_cast<QLineEdit*>(watched); e && host::KlawiszListy(key)) return Lookup(e), true;
  }
  return host::TEditBox::eventFilter(watched, event);
}

void TIE015_TowarBox::FocusField(const QString& field) {
  if (field == QLatin1String("meOpis")) return opis_->setFocus();
  if (QLineEdit* e = pola_.value(field)) {
    // A field on a tab other than the shown one brings its tab forward.
    for (int i = 0; i < tabs_->count(); ++i)
      if (tabs_->widget(i)->isAncestorOf(e)) tabs_->setCurrentIndex(i);
    e->setFocus();
  }
}

host::FieldErrors TIE015_TowarBox::Validate() {
  if (ViewMode()) return {};
  Czytaj();
  host::FieldErrors out;
  for (const BladPola& b : logic_.Sprawdz()) out.push_back({b.pole, b.tekst});
  return out;
}

bool TIE015_TowarBox::actOkExecute() {
  if (ViewMode()) return host::TEditBox::actOkExecute();
  if (!host::TEditBox::actOkExecute()) return false;
  Czytaj();
  QString fokus;
  if (!logic_.Save(&fokus)) {
    result_ = 0;
    FocusField(fokus);
    return false;
  }
  return true;
}

}  // namespace velmora::departure
