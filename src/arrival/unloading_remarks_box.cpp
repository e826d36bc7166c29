#include "unloading_remarks_box.h"
#include "host/ui/date_field.h"
#include "host/ui/edit_box.h"

#include "arrival/unloading_boxes.h"
#include "host/base/dialogs.h"
#include "host/ui/gwarancje_win.h"
#include "host/base/host_context.h"
#include "reference/slownik_ncts_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::arrival {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

using arrival::PolaUwag;

struct Wiazanie {
  const char* pole;
  QString PolaUwag::*wartosc;
};
const Wiazanie kWiazania[] = {
    {"beNrWlasny", &PolaUwag::nr_wlasny},
    {"beDataUtworzenia", &PolaUwag::data_utworzenia},
    {"beNrMRN", &PolaUwag::mrn},
    {"ceLiczbaPozycjiIE44", &PolaUwag::liczba_pozycji},
    {"ceLiczbaOpakowanIE44", &PolaUwag::liczba_opakowan},
    {"ceMasaBruttoIE44", &PolaUwag::masa_brutto},
    {"ceLiczbaPozycjiIE43", &PolaUwag::liczba_pozycji_43},
    {"ceLiczbaOpakowanIE43", &PolaUwag::liczba_opakowan_43},
    {"ceMasaBruttoIE43", &PolaUwag::masa_brutto_43},
    {"ceIlosc", &PolaUwag::ilosc},
    {"bePrzedstawiciel", &PolaUwag::przedstawiciel},
    {"beST", &PolaUwag::st},
    {"beST_Kraj", &PolaUwag::st_kraj},
};

}  // namespace

TIE044PL_Box::TIE044PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent)
    : frame::MessageEditor(ctx, parent), logic_(ctx), row_(row) {
  setObjectName(S("TIE044PL_Box"));
  SetRecord(row);
  setWindowTitle(S("Informacja dla urzedu celnego"));
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->addWidget(new QLabel(S("IE44 - Uwagi Rozładunkowe"), this));
  auto* kolumny = new QHBoxLayout;
  layout->addLayout(kolumny);
  auto* lewa = new QVBoxLayout;
  auto* prawa = new QVBoxLayout;
  kolumny->addLayout(lewa);
  kolumny->addLayout(prawa);

  auto* naglowek = new QGroupBox(S(" Nagłówek komunikatu  "), this);
  auto* nf = new QFormLayout(naglowek);
  Dodaj(nf, "beNrWlasny", "Nr własny:", 0, true);
  Dodaj(nf, "beDataUtworzenia", "Data utworzenia:", 0, true);
  Dodaj(nf, "beNrMRN", "Nr MRN:", 0, true);
  lewa->addWidget(naglowek);

  sumy_ = new QGroupBox(S("  Sumy towarów  "), this);
  auto* sf = new QFormLayout(sumy_);
  sf->addRow(new QLabel(S("Rzeczywiste:"), sumy_));
  Dodaj(sf, "ceLiczbaPozycjiIE44", "Liczba pozycji:", 3);
  Dodaj(sf, "ceLiczbaOpakowanIE44", "Liczba opakowań:", 7);
  Dodaj(sf, "ceMasaBruttoIE44", "Masa brutto", 15);
  sf->addRow(new QLabel(S("Ze zgłoszenia:"), sumy_));
  Dodaj(sf, "ceLiczbaPozycjiIE43", "Liczba pozycji:", 0, true);
  Dodaj(sf, "ceLiczbaOpakowanIE43", "Liczba opakowań:", 0, true);
  Dodaj(sf, "ceMasaBruttoIE43", "Masa brutto", 0, true);
  lewa->addWidget(sumy_);

  auto* stan = new QGroupBox(S("Stan rozładunku  "), this);
  auto* stf = new QFormLayout(stan);
  host::PoleDaty(Dodaj(stf, "deDataRozladunku", "Data rozładunku:", 10))->setPlaceholderText(S("RRRR-MM-DD"));
  zakonczony_ = new QCheckBox(S("Rozładunek zakończony"), stan);
  zakonczony_->setObjectName(S("cbRozladunekZakonczony"));
  stf->addRow(zakonczony_);
  stan_ = new QComboBox(stan);
  stan_->setObjectName(S("peStanZamkniec"));
  stan_->addItems({S("nieprawidłowy"), S("prawidłowy")});
  stf->addRow(S("Stan zamknięć:"), stan_);
  Dodaj(stf, "ceIlosc", "Liczba zamk.:", 4);
  zamkniecia_ = host::PoleTekstowe(stf, S("meZamkniecia"), S("Zamknięcia celne"), 60);
  tir_strona_ = new QComboBox(stan);
  tir_strona_->setObjectName(S("peTIRStrona"));
  tir_strona_->setEditable(true);
  tir_strona_->addItems(QStringList{QString()} + arrival::kStronyTIR);
  stf->addRow(S("Strona karnetu TIR:"), tir_strona_);
  tir_rozladunek_ = new QComboBox(stan);
  tir_rozladunek_->setObjectName(S("peTIRRozladunek"));
  tir_rozladunek_->setEditable(true);
  tir_rozladunek_->addItems(QStringList{QString()} + arrival::kRozladunkiTIR);
  stf->addRow(S("TIR rozładunek (nr):"), tir_rozladunek_);
  lewa->addWidget(stan);

  auto* odbiorca = new QGroupBox(S("  Upoważniony odbiorca  "), this);
  auto* of = new QFormLayout(odbiorca);
  for (const auto& [pole, podpis] : {std::pair{"beNazwa", "Nazwa :"}, {"beKodPocztowy", "Kod poczt. :"}, {"beMiejscowosc", "Miejscowość :"},
                                     {"beulica", "Ulica :"}, {"beKraj", "Kraj :"}, {"beTIN", "TIN :"}})
    Dodaj(of, pole, podpis, 0, true);
  Dodaj(of, "bePrzedstawiciel", "Przedstawiciel :", 0, true);
  prawa->addWidget(odbiorca);

  auto* wynik = new QGroupBox(S("  Wynik przeprowadzonej kontroli  "), this);
  auto* wv = new QVBoxLayout(wynik);
  zgodnosc_ = new QCheckBox(S("(są uwagi do rozładunku)"), wynik);
  zgodnosc_->setObjectName(S("cbZgodnosc"));
  wv->addWidget(zgodnosc_);
  wv->addWidget(new QLabel(S("Uwagi"), wynik));
  uwagi_ = new QPlainTextEdit(wynik);
  uwagi_->setObjectName(S("meUwagi"));
  uwagi_->setTabChangesFocus(true);
  uwagi_->setMaximumHeight(70);
  wv->addWidget(uwagi_);
  prawa->addWidget(wynik);

  transport_ = new QGroupBox(S("  Transport  "), this);
  auto* tf = new QFormLayout(transport_);
  Dodaj(tf, "beST", "Numer/Znaki:", 27);
  Dodaj(tf, "beST_Kraj", "Kraj:", 2)->setProperty("slownik", 1008);
  prawa->addWidget(transport_);

  auto* gwarancja = new QGroupBox(S("  Gwarancja  "), this);
  auto* gf = new QFormLayout(gwarancja);
  QLineEdit* grn = Dodaj(gf, "beGwarancja", "Numer i kwota", 0, true);
  Dodaj(gf, "ceKwota", "Kwota:", 15);
  {
    auto* w = new QWidget(gwarancja);
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    auto* wybierz = new QToolButton(w);
    wybierz->setObjectName(S("beGwarancja_Wybierz"));
    wybierz->setText(S("..."));
    auto* wyczysc = new QToolButton(w);
    wyczysc->setObjectName(S("beGwarancja_Wyczysc"));
    wyczysc->setText(S("X"));
    h->addWidget(wybierz);
    h->addWidget(wyczysc);
    host::ObokPola(gf, grn, w);
    connect(wybierz, &QToolButton::clicked, this, [this, grn] {
      if (ViewMode()) return;
      if (const auto g = host::WybierzGwarancje(ctx_, S("ID_GWARANCJE"), logic_.pola.gwarancja.id, this, arrival::PolaGwarancji::Rodzaje())) {
        logic_.pola.gwarancja.Wybierz(*g);
        grn->setText(logic_.pola.gwarancja.numer);
      }
    });
    connect(wyczysc, &QToolButton::clicked, this, [this, grn] {
      if (ViewMode()) return;
      logic_.pola.gwarancja.Wyczysc();
      grn->clear();
    });
  }
  prawa->addWidget(gwarancja);

  towary_ = new QGroupBox(S("  Towary  "), this);
  auto* gv = new QVBoxLayout(towary_);
  auto* pasek = new QHBoxLayout;
  host::DodajPrzyciski(towary_, pasek,
                       {{"actDodaj", "Dodaj", [this] { DodajTowar(); }},
                        {"actPopraw", "Popraw", [this] { EdytujTowar(); }},
                        {"actUsun", "Usuń", [this] { UsunTowar(); }}});
  gv->addLayout(pasek);
  grid_ = new QTableWidget(0, 5, towary_);
  grid_->setObjectName(S("Grid"));
  grid_->setHorizontalHeaderLabels({S("Lp"), S("Nr poz"), S("Typ"), S("Kod towaru"), S("Opis")});
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->verticalHeader()->setVisible(false);
  grid_->installEventFilter(this);
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { EdytujTowar(); });
  gv->addWidget(grid_);
  layout->addWidget(towary_, 1);

  connect(zgodnosc_, &QCheckBox::toggled, this, [this](bool sa) {
    Czytaj();
    logic_.ZmienZgodnosc(sa);
    Pokaz();
  });
  for (QLineEdit* e : pola_) e->installEventFilter(this);
}

QLineEdit* TIE044PL_Box::Dodaj(QFormLayout* form, const char* name, const char* caption, int max_length, bool read_only) {
  QLineEdit* e = DodajPole(form, name, caption, max_length);
  e->setReadOnly(read_only);
  return e;
}

void TIE044PL_Box::SetXML(const QString& xml) { tekst_ = xml; }

void TIE044PL_Box::BeforeActivate() {
  wczytany_ = logic_.SetXML(row_, tekst_);
  if (!wczytany_) {
    // Without the permission or the notification there is nothing to remark on.
    QTimer::singleShot(0, this, [this] { done(0); });
    return;
  }
  SetViewMode(ViewMode() || logic_.TylkoDoOdczytu());
  Pokaz();
  if (ViewMode()) {
    for (QLineEdit* e : pola_) e->setReadOnly(true);
    for (QWidget* w : std::initializer_list<QWidget*>{zakonczony_, zgodnosc_, stan_, tir_strona_, tir_rozladunek_}) w->setEnabled(false);
    zamkniecia_->setReadOnly(true);
    uwagi_->setReadOnly(true);
  }
}

void TIE044PL_Box::Pokaz() {
  const PolaUwag& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) pola_.value(S(w.pole))->setText(p.*w.wartosc);
  pola_.value(S("beNazwa"))->setText(p.odbiorca.nazwa);
  pola_.value(S("beKodPocztowy"))->setText(p.odbiorca.kod_pocztowy);
  pola_.value(S("beMiejscowosc"))->setText(p.odbiorca.miejscowosc);
  pola_.value(S("beulica"))->setText(p.odbiorca.ulica);
  pola_.value(S("beKraj"))->setText(p.odbiorca.kraj);
  pola_.value(S("beTIN"))->setText(p.odbiorca.tin);
  pola_.value(S("beGwarancja"))->setText(p.gwarancja.numer);
  pola_.value(S("ceKwota"))->setText(p.gwarancja.kwota);
  pola_.value(S("deDataRozladunku"))->setText(p.data_rozladunku.toString(Qt::ISODate));
  zakonczony_->setChecked(p.zakonczony);
  stan_->setCurrentIndex(p.stan_zamkniec);
  tir_strona_->setCurrentText(p.tir_strona);
  tir_rozladunek_->setCurrentText(p.tir_rozladunek);
  if (zamkniecia_->toPlainText() != p.zamkniecia) zamkniecia_->setPlainText(p.zamkniecia);
  if (uwagi_->toPlainText() != p.uwagi) uwagi_->setPlainText(p.uwagi);
  {
    const QSignalBlocker b(zgodnosc_);
    zgodnosc_->setChecked(p.sa_uwagi);
  }
  Wlacz();
  OdswiezTowary();
}

void TIE044PL_Box::Wlacz() {
  const bool sa = logic_.pola.sa_uwagi;
  uwagi_->setEnabled(sa);
  sumy_->setEnabled(sa);
  transport_->setEnabled(sa);
  towary_->setEnabled(sa);
}

void TIE044PL_Box::Czytaj() {
  PolaUwag& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) p.*w.wartosc = pola_.value(S(w.pole))->text();
  p.gwarancja.kwota = pola_.value(S("ceKwota"))->text();
  p.data_rozladunku = QDate::fromString(pola_.value(S("deDataRozladunku"))->text().trimmed(), Qt::ISODate);
  p.zakonczony = zakonczony_->isChecked();
  p.stan_zamkniec = stan_->currentIndex();
  p.tir_strona = tir_strona_->currentText();
  p.tir_rozladunek = tir_rozladunek_->currentText();
  p.zamkniecia = zamkniecia_->toPlainText();
  p.uwagi = uwagi_->toPlainText().left(350);
  p.sa_uwagi = zgodnosc_->isChecked();
}

void TIE044PL_Box::OdswiezTowary(int wiersz) {
  const auto& t = logic_.Towary();
  const int biezacy = wiersz >= 0 ? wiersz : grid_->currentRow();
  grid_->setRowCount(static_cast<int>(t.size()));
  for (int r = 0; r < static_cast<int>(t.size()); ++r) {
    const QStringList cells{QString::number(t[r].lp), QString::number(t[r].nr_poz), arrival::OpisTypu(t[r].typ), t[r].kod_towaru, t[r].opis};
    for (int c = 0; c < cells.size(); ++c) grid_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!t.empty()) grid_->setCurrentCell(std::clamp(biezacy, 0, static_cast<int>(t.size()) - 1), 0);
}

void TIE044PL_Box::DodajTowar() {
  if (ViewMode() || !logic_.pola.sa_uwagi) return;
  arrival::TIE044PL_WynikKontroliWiz wiz(ctx_, logic_.IE043(), logic_.IE044(), this);
  if (wiz.ShowBox() != 1) return;
  arrival::WynikKontroliIE044& w = wiz.Logika();
  const auto d = logic_.DodajTowar(w.rodzaj, w.Wybrany(), w.MaxPozycja(), w.uwagi);
  if (d.do_edycji) {
    arrival::TIE044PL_TowarBox box(ctx_, d.do_edycji, d.typ, this);
    if (box.ShowBox() != 1) {
      logic_.Cofnij(d);
      OdswiezTowary();
      return;
    }
    logic_.WczytajTowary();
  }
  OdswiezTowary(static_cast<int>(logic_.Towary().size()) - 1);
}

void TIE044PL_Box::EdytujTowar() {
  if (logic_.Towary().empty()) return DodajTowar();
  const int r = grid_->currentRow();
  const xml::Group t = logic_.EdytujTowar(r);
  if (!t) return;
  arrival::TIE044PL_TowarBox box(ctx_, t, logic_.Towary()[r].typ, this);
  if (box.ShowBox(ViewMode() ? 1 : 0) == 1) logic_.WczytajTowary();
  OdswiezTowary(r);
}

void TIE044PL_Box::UsunTowar() {
  if (ViewMode()) return;
  const int r = grid_->currentRow();
  if (logic_.UsunTowar(r)) OdswiezTowary(r);
}

QString TIE044PL_Box::GetXML() {
  if (!ViewMode()) Czytaj();
  return logic_.GetXML();
}

QVariantMap TIE044PL_Box::KolumnyTranzytu() {
  const arrival::PolaGwarancji& g = logic_.pola.gwarancja;
  return {{S("GWARANCJA_ID"), g.id > 0 ? QVariant(g.id) : QVariant()},
          {S("GWARANCJA_NUMER"), g.numer},
          {S("GWARANCJA_KWOTA"), g.kwota.trimmed().toDouble()}};
}

host::FieldErrors TIE044PL_Box::Validate() {
  if (ViewMode()) return {};
  Czytaj();
  return logic_.Sprawdz();
}

bool TIE044PL_Box::actOkExecute() {
  if (!wczytany_) return false;
  return frame::MessageEditor::actOkExecute();
}

void TIE044PL_Box::FocusField(const QString& field) {
  QWidget* w = pola_.value(field);
  if (field == QLatin1String("peTIRStrona")) w = tir_strona_;
  if (field == QLatin1String("peTIRRozladunek")) w = tir_rozladunek_;
  if (field == QLatin1String("peStanZamkniec")) w = stan_;
  if (field == QLatin1String("meUwagi")) w = uwagi_;
  if (w) w->setFocus();
}

bool TIE044PL_Box::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == grid_ && host::KlawiszSiatki(key, {[this] { DodajTowar(); }, [this] { UsunTowar(); }, [this] { EdytujTowar(); }}))
      return true;
    auto* e = qobject_cast<QLineEdit*>(watched);
    const bool wybor = host::KlawiszListy(key);
    if (e && wybor && e->property("slownik").isValid() && !ViewMode()) {
      QString kod = e->text();
      if (reference::TSlownikNCTS_BOX::Listuj(ctx_, e->property("slownik"), kod, e) == reference::TSlownikNCTS_BOX::kMrOk) e->setText(kod);
      return true;
    }
  }
  return frame::MessageEditor::eventFilter(watched, event);
}

void RegisterUnloadingEditor() {
  frame::RegisterMessageEditor(S("IE044"), [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
    return new TIE044PL_Box(ctx, row, parent);
  });
}

}  // namespace velmora::arrival
