#include "arrival_notification_box.h"
#include "host/ui/date_field.h"
#include "host/ui/edit_box.h"

#include "arrival/arrival_boxes.h"
#include "host/base/dialogs.h"
#include "host/ui/gwarancje_win.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/frm_sql_win.h"
#include "host/ui/window_registry.h"
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
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::arrival {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

using arrival::PolaPrzybycia;

// The fields that hold one text of the editor each.
struct Wiazanie {
  const char* pole;
  QString PolaPrzybycia::*wartosc;
};
const Wiazanie kWiazania[] = {
    {"beNrWlasny", &PolaPrzybycia::nr_wlasny},     {"beDataUtworzenia", &PolaPrzybycia::data_utworzenia},
    {"beNrMRN", &PolaPrzybycia::mrn},               {"beDataCzasMiejsce", &PolaPrzybycia::miejsce},
    {"beRejestr", &PolaPrzybycia::rejestr},         {"beNrPozwolenia", &PolaPrzybycia::nr_pozwolenia},
    {"beUCPrzedstawienia", &PolaPrzybycia::uc_przedstawienia}, {"beMiejsce", &PolaPrzybycia::opis_lokalizacji},
    {"bePrzedstawiciel_TIN", &PolaPrzybycia::przedstawiciel_tin}, {"beKarnetTIR", &PolaPrzybycia::karnet_tir},
    {"beST", &PolaPrzybycia::st},                   {"beST_Rodz", &PolaPrzybycia::st_rodz},
    {"beST_Kraj", &PolaPrzybycia::st_kraj},         {"ceMasaBrutto", &PolaPrzybycia::masa_brutto},
    {"ceLiczbaOpak", &PolaPrzybycia::liczba_opakowan}, {"ceWartoscTowaru", &PolaPrzybycia::wartosc_towaru},
    {"beWaluta", &PolaPrzybycia::waluta},           {"ceKurs", &PolaPrzybycia::kurs},
    {"ceWartoscStatystyczna", &PolaPrzybycia::wartosc_stat}, {"ceRyczalt", &PolaPrzybycia::ryczalt},
};

struct WiazaniePodmiotu {
  const char* pole;
  QString arrival::PolaPodmiotu::*wartosc;
};
const WiazaniePodmiotu kPodmiot[] = {{"Nazwa", &arrival::PolaPodmiotu::nazwa},       {"KodPocztowy", &arrival::PolaPodmiotu::kod_pocztowy},
                                     {"Miejscowosc", &arrival::PolaPodmiotu::miejscowosc}, {"UlicaNumer", &arrival::PolaPodmiotu::ulica},
                                     {"Kraj", &arrival::PolaPodmiotu::kraj},        {"TIN", &arrival::PolaPodmiotu::tin}};
const char* const kPodpisyPodmiotu[] = {"Nazwa:", "Kod pocztowy:", "Miejscowość:", "Ulica :", "Kraj:", "TIN:"};

}  // namespace

TIE007PL_Box::TIE007PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent)
    : frame::MessageEditor(ctx, parent), logic_(ctx), row_(row) {
  setObjectName(S("TIE007PL_Box"));
  SetRecord(row);
  setWindowTitle(S("Informacja dla urzedu celnego"));
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->addWidget(new QLabel(S("  IE007 - Zawiadomienie o przybyciu towaru w tranzycie do miejsca przeznaczenia."), this));

  // The events above the tabs.
  auto* lista = new QGroupBox(S("  Lista zdarzeń  "), this);
  auto* lv = new QVBoxLayout(lista);
  auto* pasek = new QHBoxLayout;
  host::DodajPrzyciski(lista, pasek,
                       {{"actDodaj", "Dodaj", [this] { actDodaj(); }},
                        {"actPopraw", "Popraw", [this] { actPopraw(); }},
                        {"actUsun", "Usuń", [this] { actUsun(); }}});
  lv->addLayout(pasek);
  zdarzenia_ = new QTableWidget(0, 4, lista);
  zdarzenia_->setObjectName(S("cxgMain"));
  zdarzenia_->setHorizontalHeaderLabels({S("Lp"), S("Miejsce"), S("Kraj"), S("W systemie")});
  zdarzenia_->setMaximumHeight(120);
  lv->addWidget(zdarzenia_);
  layout->addWidget(lista);

  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_, 1);

  // "Komunikat"
  auto* komunikat = new QWidget(tabs_);
  auto* kv = new QVBoxLayout(komunikat);
  auto* naglowek = new QGroupBox(S("Nagłówek"), komunikat);
  auto* nf = new QFormLayout(naglowek);
  DodajPole(nf, "beNrWlasny", "Nr własny:", 14)->setReadOnly(true);
  DodajPole(nf, "beDataUtworzenia", "Data utworzenia:")->setReadOnly(true);
  DodajPole(nf, "beNrMRN", "Nr MRN:", 18, true);
  DodajPole(nf, "beDataCzasMiejsce", "Miejsce", 18);
  {
    QLineEdit* r = DodajPole(nf, "beRejestr", "Rejestr:");
    r->setReadOnly(true);
    r->setText(S("<wszystkie>"));
    host::ObokPola(nf, r, PrzyciskiPola(r, [this] {
                 // The register list belongs to the lists: it is opened by its class name.
                 auto* picker = qobject_cast<host::TFrmSqlWin*>(host::CreateRegisteredWindow(S("TRejestryWin"), ctx_, {}));
                 if (!picker) return;
                 if (const auto w = host::PickRow(picker, S("NAZWA"), logic_.pola.rejestr, this)) {
                   Czytaj();
                   logic_.UstawRejestr(*w);
                   Pokaz();
                 }
               }));
  }
  kv->addWidget(naglowek);
  auto* zawiadomienie = new QGroupBox(S("Zawiadomienie o przybyciu"), komunikat);
  auto* zf = new QFormLayout(zawiadomienie);
  uproszczona_ = new QCheckBox(S("Procedura uproszczona"), zawiadomienie);
  uproszczona_->setObjectName(S("cbProceduraUproszczona"));
  zf->addRow(uproszczona_);
  DodajPole(zf, "beNrPozwolenia", "Nr pozwolenia:", 35);
  {
    QLineEdit* uc = DodajPole(zf, "beUCPrzedstawienia", "UC Przedstawienia:", 8, true);
    uc->setReadOnly(true);
    host::ObokPola(zf, uc, PrzyciskiPola(uc, [this, uc] {
                 if (const auto r = host::ListujUC(ctx_, S("PL"), host::RolaUC::Przeznaczenia, uc->text(), this)) uc->setText(r->Str(S("Kod")).trimmed());
               }));
  }
  lokalizacja_ = new QComboBox(zawiadomienie);
  lokalizacja_->setObjectName(S("peLokalizacja"));
  lokalizacja_->addItems(arrival::kLokalizacje);
  zf->addRow(S("Lokalizacja:"), lokalizacja_);
  DodajPole(zf, "beMiejsce", "Opis:", 18);
  kv->addWidget(zawiadomienie);
  auto* odbiorca = new QGroupBox(S("Przedstawiający / Odbiorca"), komunikat);
  auto* of = new QFormLayout(odbiorca);
  for (int i = 0; i < 6; ++i) {
    QLineEdit* e = DodajPole(of, (S("be") + S(kPodmiot[i].pole)).toUtf8().constData(), kPodpisyPodmiotu[i]);
    e->setReadOnly(true);
  }
  host::ObokPola(of, pola_.value(S("beNazwa")), PrzyciskiPola(pola_.value(S("beNazwa")), [this] {
               if (const auto k = host::WybierzKontrahentaPoNazwie(ctx_, pola_.value(S("beNazwa"))->text(), this)) {
                 Czytaj();
                 logic_.UstawOdbiorce(*k);
                 Pokaz();
               }
             }));
  QLineEdit* przedstawiciel = DodajPole(of, "bePrzedstawiciel_TIN", "Przedstawiciel TIN:", 17);
  host::ObokPola(of, przedstawiciel, PrzyciskiPola(
                            przedstawiciel,
                            [this] {
                              if (const auto k = host::WybierzKontrahenta(ctx_, QVariant(), this)) {
                                Czytaj();
                                logic_.UstawPrzedstawiciela(*k);
                                Pokaz();
                              }
                            },
                            [przedstawiciel] { przedstawiciel->clear(); }));
  kv->addWidget(odbiorca);
  tabs_->addTab(komunikat, S("Komunikat"));

  // "Dane dodatkowe"
  auto* dodatkowe = new QWidget(tabs_);
  auto* dv = new QVBoxLayout(dodatkowe);
  auto* nadawca = new QGroupBox(S("Informacja dodatkowa - Nadawca"), dodatkowe);
  auto* naf = new QFormLayout(nadawca);
  for (int i = 0; i < 6; ++i)
    DodajPole(naf, (S("beNadawca_") + S(kPodmiot[i].pole)).toUtf8().constData(), kPodpisyPodmiotu[i])->setReadOnly(true);
  host::ObokPola(naf, pola_.value(S("beNadawca_Nazwa")), PrzyciskiPola(pola_.value(S("beNadawca_Nazwa")), [this] {
                if (const auto k = host::WybierzKontrahentaPoNazwie(ctx_, pola_.value(S("beNadawca_Nazwa"))->text(), this)) {
                  Czytaj();
                  logic_.UstawNadawce(*k);
                  Pokaz();
                }
              }));
  dv->addWidget(nadawca);
  auto* tranzyt = new QGroupBox(S("Informacje dodatkowe dotyczące tranzytu"), dodatkowe);
  auto* tf = new QFormLayout(tranzyt);
  tir_ = new QCheckBox(tranzyt);
  tir_->setObjectName(S("cbTir"));
  tf->addRow(S("Zgłoszenie TIR:"), tir_);
  DodajPole(tf, "beKarnetTIR", "Nr karnetu TIR:", 17);
  DodajPole(tf, "beST", "Numer/Znaki:", 27);
  DodajPole(tf, "beST_Rodz", "Rodzaj:", 2)->setProperty("slownik", 1018);
  DodajPole(tf, "beST_Kraj", "Kraj:", 2, true)->setProperty("slownik", 1008);
  DodajPole(tf, "ceMasaBrutto", "Masa brutto:", 16);
  DodajPole(tf, "ceLiczbaOpak", "Liczba opakowań:", 7);
  dv->addWidget(tranzyt);
  dv->addStretch();
  tabs_->addTab(dodatkowe, S("Dane dodatkowe"));

  // "Gwarancja"
  auto* gwarancja = new QWidget(tabs_);
  auto* gv = new QVBoxLayout(gwarancja);
  auto* gf = new QFormLayout;
  gv->addLayout(gf);
  DodajPole(gf, "ceWartoscTowaru", "Wartosc towaru (42):", 15);
  {
    QLineEdit* waluta = DodajPole(gf, "beWaluta", "Waluta: ", 3, true);
    waluta->setProperty("waluta", true);
    host::ObokPola(gf, waluta, PrzyciskiPola(waluta, [this, waluta] {
                 if (const auto w = host::WybierzWalute(ctx_, waluta->text().trimmed(), this)) {
                   waluta->setText(w->Str(S("KOD")).trimmed());
                   Czytaj();
                   logic_.PrzeliczKurs();
                   Pokaz();
                 }
               }));
    connect(waluta, &QLineEdit::editingFinished, this, [this] {
      if (ViewMode()) return;
      Czytaj();
      logic_.PrzeliczKurs();
      Pokaz();
    });
  }
  QLineEdit* data = host::PoleDaty(DodajPole(gf, "deData", "Data:", 10));
  data->setPlaceholderText(S("RRRR-MM-DD"));
  connect(data, &QLineEdit::editingFinished, this, [this] {
    if (ViewMode()) return;
    Czytaj();
    logic_.PrzeliczKurs();
    Pokaz();
  });
  DodajPole(gf, "ceKurs", "Kurs:", 11);
  tabela_nbp_ = new QLabel(S("TABELA NBP"), gwarancja);
  tabela_nbp_->setObjectName(S("lblTabNBP"));
  gf->addRow(QString(), tabela_nbp_);
  auto* koszty = new QGroupBox(S("Koszty "), gwarancja);
  auto* kov = new QVBoxLayout(koszty);
  auto* kp = new QHBoxLayout;
  host::DodajPrzyciski(koszty, kp,
                       {{"actDodajKoszt", "Dodaj", [this] { actDodajKoszt(); }},
                        {"actPoprawKoszt", "Popraw", [this] { actPoprawKoszt(); }},
                        {"actUsunKoszt", "Usuń", [this] { actUsunKoszt(); }}});
  kov->addLayout(kp);
  koszty_ = new QTableWidget(0, 4, koszty);
  koszty_->setObjectName(S("dbgKoszty"));
  koszty_->setHorizontalHeaderLabels({S(" Kod"), S(" Wartość (+/-)"), S(" Waluta"), S(" Wartość (+/-) [PLN]")});
  kov->addWidget(koszty_);
  gv->addWidget(koszty);
  auto* gf2 = new QFormLayout;
  gv->addLayout(gf2);
  DodajPole(gf2, "ceWartoscStatystyczna", "Wartość statystyczna (46) [PLN]:", 15);
  DodajPole(gf2, "ceRyczalt", "Stawka cła:", 8);
  for (const char* p : {"ceWartoscStatystyczna", "ceRyczalt"})
    connect(pola_.value(S(p)), &QLineEdit::editingFinished, this, [this] {
      if (ViewMode()) return;
      Czytaj();
      logic_.PrzeliczKwote();
      Pokaz();
    });
  {
    QLineEdit* grn = DodajPole(gf2, "beGwarancja", "Numer gwarancji i kwota", 0);
    grn->setReadOnly(true);
    host::ObokPola(gf2, grn, PrzyciskiPola(
                               grn,
                               [this] {
                                 if (const auto g = host::WybierzGwarancje(ctx_, S("ID_GWARANCJE"), logic_.pola.gwarancja.id, this,
                                                                           arrival::PolaGwarancji::Rodzaje())) {
                                   Czytaj();
                                   logic_.pola.gwarancja.Wybierz(*g);
                                   Pokaz();
                                 }
                               },
                               [this] {
                                 Czytaj();
                                 logic_.pola.gwarancja.Wyczysc();
                                 Pokaz();
                               }));
    DodajPole(gf2, "ceKwota", "Kwota:", 15);
  }
  tabs_->addTab(gwarancja, S("Gwarancja"));

  for (QLineEdit* e : pola_) e->installEventFilter(this);
  zdarzenia_->installEventFilter(this);
  koszty_->installEventFilter(this);
  for (QTableWidget* t : {zdarzenia_, koszty_}) {
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->setVisible(false);
  }
  connect(zdarzenia_, &QTableWidget::cellDoubleClicked, this, [this] { actPopraw(); });
  connect(koszty_, &QTableWidget::cellDoubleClicked, this, [this] { actPoprawKoszt(); });
  connect(uproszczona_, &QCheckBox::toggled, this, [this] { Czytaj(); });
}

void TIE007PL_Box::SetXML(const QString& xml) { tekst_ = xml; }

void TIE007PL_Box::BeforeActivate() {
  logic_.BeforeActivate(row_);
  SetViewMode(ViewMode() || logic_.TylkoDoOdczytu());
  if (tekst_.trimmed().isEmpty() && logic_.Tranzyt() > 0) tekst_ = logic_.NajnowszyTekst();
  logic_.SetXML(tekst_);
  Pokaz();
  tabs_->setCurrentIndex(0);
  if (ViewMode()) {
    for (QLineEdit* e : pola_) e->setReadOnly(true);
    for (QWidget* w : {static_cast<QWidget*>(uproszczona_), static_cast<QWidget*>(tir_), static_cast<QWidget*>(lokalizacja_)})
      w->setEnabled(false);
  }
}

void TIE007PL_Box::Pokaz() {
  const PolaPrzybycia& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) pola_.value(S(w.pole))->setText(p.*w.wartosc);
  for (const WiazaniePodmiotu& w : kPodmiot) {
    pola_.value(S("be") + S(w.pole))->setText(p.odbiorca.*w.wartosc);
    pola_.value(S("beNadawca_") + S(w.pole))->setText(p.nadawca.*w.wartosc);
  }
  pola_.value(S("deData"))->setText(p.data.toString(Qt::ISODate));
  pola_.value(S("beGwarancja"))->setText(p.gwarancja.numer);
  pola_.value(S("ceKwota"))->setText(p.gwarancja.kwota);
  tabela_nbp_->setText(p.tabela_nbp.isEmpty() ? S("TABELA NBP") : p.tabela_nbp);
  {
    const QSignalBlocker b(uproszczona_);
    uproszczona_->setChecked(p.uproszczona);
  }
  tir_->setChecked(p.tir);
  lokalizacja_->setCurrentIndex(p.lokalizacja);
  OdswiezZdarzenia();
  OdswiezKoszty();
}

void TIE007PL_Box::Czytaj() {
  PolaPrzybycia& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) p.*w.wartosc = pola_.value(S(w.pole))->text();
  for (const WiazaniePodmiotu& w : kPodmiot) p.odbiorca.*w.wartosc = pola_.value(S("be") + S(w.pole))->text();
  p.data = QDate::fromString(pola_.value(S("deData"))->text().trimmed(), Qt::ISODate);
  p.gwarancja.kwota = pola_.value(S("ceKwota"))->text();
  p.uproszczona = uproszczona_->isChecked();
  p.tir = tir_->isChecked();
  p.lokalizacja = lokalizacja_->currentIndex();
}

void TIE007PL_Box::OdswiezZdarzenia(int wiersz) {
  const auto& z = logic_.Zdarzenia();
  const int biezacy = wiersz >= 0 ? wiersz : zdarzenia_->currentRow();
  zdarzenia_->setRowCount(static_cast<int>(z.size()));
  for (int r = 0; r < static_cast<int>(z.size()); ++r) {
    const QStringList cells{QString::number(z[r].poz_id), z[r].miejsce, z[r].kraj, z[r].w_systemie ? S("Tak") : S("Nie")};
    for (int c = 0; c < cells.size(); ++c) zdarzenia_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!z.empty()) zdarzenia_->setCurrentCell(std::clamp(biezacy, 0, static_cast<int>(z.size()) - 1), 0);
  pola_.value(S("beNrMRN"))->parentWidget();  // keeps the layout stable while rows change
  findChild<QPushButton*>(S("actPopraw"))->setEnabled(!z.empty());
  findChild<QPushButton*>(S("actUsun"))->setEnabled(!z.empty());
}

void TIE007PL_Box::OdswiezKoszty(int wiersz) {
  const auto& k = logic_.Koszty();
  const int biezacy = wiersz >= 0 ? wiersz : koszty_->currentRow();
  koszty_->setRowCount(static_cast<int>(k.size()));
  for (int r = 0; r < static_cast<int>(k.size()); ++r) {
    const QVariantMap& m = k[r];
    const QStringList cells{m.value(S("KOD")).toString(), QString::number(m.value(S("WARTOSC_WAL")).toDouble(), 'f', 2),
                            m.value(S("WALUTA")).toString(), QString::number(m.value(S("WARTOSC_PLN")).toDouble(), 'f', 2)};
    for (int c = 0; c < cells.size(); ++c) koszty_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!k.empty()) koszty_->setCurrentCell(std::clamp(biezacy, 0, static_cast<int>(k.size()) - 1), 0);
  findChild<QPushButton*>(S("actPoprawKoszt"))->setEnabled(!k.empty());
  findChild<QPushButton*>(S("actUsunKoszt"))->setEnabled(!k.empty());
}

void TIE007PL_Box::actDodaj() {
  if (ViewMode()) return;
  const xml::Group z = logic_.DodajZdarzenie();
  if (!z) return;
  arrival::TIE007PL_ZdarzeniaBox box(ctx_, z, this);
  if (box.ShowBox() != 1) {
    logic_.CofnijZdarzenie(z);
    OdswiezZdarzenia();
    return;
  }
  logic_.OdswiezZdarzenia();
  OdswiezZdarzenia(static_cast<int>(logic_.Zdarzenia().size()) - 1);
}

void TIE007PL_Box::actPopraw() {
  if (logic_.Zdarzenia().empty()) return actDodaj();
  const int r = zdarzenia_->currentRow();
  const xml::Group z = logic_.Zdarzenie(r);
  if (!z) return;
  arrival::TIE007PL_ZdarzeniaBox box(ctx_, z, this);
  box.ShowBox(ViewMode() ? 1 : 0);
  logic_.OdswiezZdarzenia();
  OdswiezZdarzenia(r);
}

void TIE007PL_Box::actUsun() {
  if (ViewMode()) return;
  const int r = zdarzenia_->currentRow();
  if (logic_.UsunZdarzenie(r)) OdswiezZdarzenia(r);
}

void TIE007PL_Box::actDodajKoszt() {
  if (ViewMode()) return;
  Czytaj();
  arrival::TIE007PL_KosztyBox box(ctx_, logic_.NowyKoszt(), this);
  if (box.ShowBox() != 1) return;
  logic_.DodajKoszt(box.Koszt());
  Pokaz();
  OdswiezKoszty(static_cast<int>(logic_.Koszty().size()) - 1);
}

void TIE007PL_Box::actPoprawKoszt() {
  const int r = koszty_->currentRow();
  if (r < 0 || r >= static_cast<int>(logic_.Koszty().size())) return;
  Czytaj();
  arrival::TIE007PL_KosztyBox box(ctx_, logic_.KosztDoPoprawy(r), this);
  if (box.ShowBox(ViewMode() ? 1 : 0) != 1 || ViewMode()) return;
  logic_.PoprawKoszt(r, box.Koszt());
  Pokaz();
  OdswiezKoszty(r);
}

void TIE007PL_Box::actUsunKoszt() {
  if (ViewMode()) return;
  Czytaj();
  const int r = koszty_->currentRow();
  if (logic_.UsunKoszt(r)) Pokaz();
}

QString TIE007PL_Box::GetXML() {
  if (!ViewMode()) Czytaj();
  return logic_.GetXML();
}

QVariantMap TIE007PL_Box::KolumnyTranzytu() {
  if (!ViewMode()) Czytaj();
  return logic_.Wynik().kolumny_tranzytu;
}

std::vector<QVariantMap> TIE007PL_Box::Koszty() { return logic_.Koszty(); }

host::FieldErrors TIE007PL_Box::Validate() {
  if (ViewMode()) return {};
  Czytaj();
  return logic_.Sprawdz();
}

bool TIE007PL_Box::actOkExecute() {
  if (ViewMode()) return frame::MessageEditor::actOkExecute();
  Czytaj();
  if (const QString blad = logic_.MRNWInnymTranzycie(); !blad.isEmpty()) {
    ctx_.dialogs.Blad(blad);
    FocusField(S("beNrMRN"));
    return false;
  }
  return frame::MessageEditor::actOkExecute();
}

void TIE007PL_Box::FocusField(const QString& field) {
  QWidget* w = field == QLatin1String("peLokalizacja") ? static_cast<QWidget*>(lokalizacja_) : pola_.value(field);
  if (!w) return;
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->widget(i)->isAncestorOf(w)) tabs_->setCurrentIndex(i);
  w->setFocus();
}

bool TIE007PL_Box::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return frame::MessageEditor::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == zdarzenia_)
    return host::KlawiszSiatki(key, {[this] { actDodaj(); }, [this] { actUsun(); }, [this] { actPopraw(); }}) ||
           frame::MessageEditor::eventFilter(watched, event);
  if (watched == koszty_)
    return host::KlawiszSiatki(key, {[this] { actDodajKoszt(); }, [this] { actUsunKoszt(); }, [this] { actPoprawKoszt(); }}) ||
           frame::MessageEditor::eventFilter(watched, event);
  auto* e = qobject_cast<QLineEdit*>(watched);
  if (!e) return frame::MessageEditor::eventFilter(watched, event);
  const bool wybor = host::KlawiszListy(key);
  if (wybor && !ViewMode()) {
    if (e->property("slownik").isValid()) {
      QString kod = e->text();
      if (reference::TSlownikNCTS_BOX::Listuj(ctx_, e->property("slownik"), kod, e) == reference::TSlownikNCTS_BOX::kMrOk) e->setText(kod);
      return true;
    }
    if (QToolButton* b = findChild<QToolButton*>(e->objectName() + S("_Wybierz"))) {
      b->click();
      return true;
    }
  }
  // Enter moves on to the next field, as in the agency's other forms.
  if (host::EnterDoNastepnegoPola(e, key)) return true;
  return frame::MessageEditor::eventFilter(watched, event);
}

void RegisterArrivalEditor() {
  frame::RegisterMessageEditor(S("IE007"), [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
    return new TIE007PL_Box(ctx, row, parent);
  });
}

}  // namespace velmora::arrival
