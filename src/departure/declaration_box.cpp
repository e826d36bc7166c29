#include "declaration_box.h"
#include "host/ui/edit_box.h"

#include "frame/shared_state.h"
#include "frame/text_formats.h"
#include "host/ui/frm_sql_win.h"
#include "host/ui/window_registry.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "departure/declaration_guarantees.h"
#include "departure/goods_item_box.h"
#include "departure/seals_box.h"
#include "host/ui/gwarancje_win.h"
#include "host/ui/host_tables.h"
#include "host/ui/taric.h"
#include "reference/slownik_ncts_box.h"
#include "frame/transit_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
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
#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <tuple>

namespace velmora::departure {

namespace {

using departure::PolaDeklaracji;
using departure::Strona;

QString S(const char* s) { return QString::fromUtf8(s); }

const QDateTime kBrakDaty(QDate(1900, 1, 1), QTime(0, 0));

// The fields that hold one value of the form each.
struct Wiazanie {
  const char* pole;
  QString PolaDeklaracji::*wartosc;
};
const Wiazanie kWiazania[] = {
    {"beNumerWlasny", &PolaDeklaracji::nr_wlasny},          {"beDataUtworzenia", &PolaDeklaracji::data_utworzenia},
    {"beDeklaracja", &PolaDeklaracji::deklaracja},
    {"beWK_Kod", &PolaDeklaracji::wk_kod},
    {"beMiejsceZaladunku", &PolaDeklaracji::miejsce_zaladunku}, {"beLokalizacja", &PolaDeklaracji::lokalizacja_opis},
    {"beKarnetTIR", &PolaDeklaracji::karnet_tir},           {"beST", &PolaDeklaracji::st},
    {"beST_Rodz", &PolaDeklaracji::st_rodz},                {"beST_Kraj", &PolaDeklaracji::st_kraj},
    {"beSTG", &PolaDeklaracji::stg},                        {"beSTG_Rodz", &PolaDeklaracji::stg_rodz},
    {"beSTG_Kraj", &PolaDeklaracji::stg_kraj},              {"beKrajWysylki", &PolaDeklaracji::kraj_wysylki},
    {"beKrajPrzezn", &PolaDeklaracji::kraj_przeznaczenia},  {"beUCZglosz", &PolaDeklaracji::uc_zgloszenia},
    {"beUCPrzezn", &PolaDeklaracji::uc_przeznaczenia},      {"beUCtranzyt", &PolaDeklaracji::uc_tranzytowy},
    {"bePrzedstawiciel", &PolaDeklaracji::przedstawiciel},  {"beUpowaznOdbiorca", &PolaDeklaracji::upowazniony_odbiorca},
    {"ceLiczbaOpak", &PolaDeklaracji::liczba_opakowan},     {"ceMasaBrutto", &PolaDeklaracji::masa_brutto},
    {"beNrReferencyjnyPrzesylki", &PolaDeklaracji::nr_ref_przesylki}, {"beNrReferencyjnyPrzewozu", &PolaDeklaracji::nr_ref_przewozu},
    {"beMiejsceRozladunku", &PolaDeklaracji::miejsce_rozladunku}, {"beSpecWarunki", &PolaDeklaracji::spec_warunki},
    {"beFormaPlatnosci", &PolaDeklaracji::forma_platnosci}, {"beTrasa", &PolaDeklaracji::trasa},
};

struct PoleStrony {
  Strona strona;
  const char* pole;
};
const PoleStrony kStrony[] = {{Strona::Nadawca, "beNadawca"},       {Strona::Odbiorca, "beOdbiorca"},
                              {Strona::GlownyZobowiazany, "beGlownyZobowiazany"}, {Strona::NadawcaB, "beNadawcaB"},
                              {Strona::OdbiorcaB, "beOdbiorcaB"},   {Strona::Przewoznik, "bePrzewoznik"}};

// The goods item editor on item `poz` of the declaration; true when confirmed.
bool EdytujPozycje(host::HostContext& ctx, departure::DeklaracjaIE015& logic, int poz, QWidget* parent) {
  const QString typ = logic.pola.deklaracja.trimmed();
  departure::TowarIE015::FTowarXBox_Tir = typ == QLatin1String("TIR");
  departure::TowarIE015::F1cBlokuj = typ != QLatin1String("T-");
  logic.ZapiszKrajeNaglowka();
  departure::TIE015_TowarBox box(ctx, logic.Dokument(), poz, parent);
  box.PokazPanelPozycji(logic.PanelPozycjiWidoczny());
  return box.ShowBox() == 1;
}

}  // namespace

TIE015PL_Box::TIE015PL_Box(host::HostContext& ctx, const QVariantMap& row, bool sprostowanie, QWidget* parent)
    : frame::MessageEditor(ctx, parent), logic_(ctx) {
  setObjectName(S("TIE015PL_Box"));
  SetRecord(row);
  id_ = row.value(S("ID_TRANZYTY_POZYCJE")).toLongLong();
  if (row.value(S("REJESTRY_ID")).toInt() > 0) logic_.UstawRejestr(row.value(S("REJESTRY_ID")).toInt());
  logic_.Otworz(row, sprostowanie);
  // A new transit takes the active register.
  if (logic_.Rejestr() == 0) logic_.UstawRejestr(frame::AktywnyRejestr.Id);
  SetViewMode(logic_.TylkoDoOdczytu());
  if (id_ > 0) zapisany_ = frame::TransitStore(ctx.db).Xml(id_);

  setWindowTitle(sprostowanie ? S("IE13 - Sprostowanie zgłoszenia.") : S("IE15 - Zgłoszenie otwarcia tranzytu."));
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  auto* tytul = new QLabel(S("  IE015 - zawiera dane zgłoszenia tranzytowego dla systemu NCTS2"), this);
  layout->addWidget(tytul);
  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_);

  auto* naglowek = new QWidget(tabs_);
  auto* kolumny = new QHBoxLayout(naglowek);
  auto* nf = new QFormLayout;
  kolumny->addLayout(nf);
  // The long header in two columns when the screen is wide enough, so it needs no scrolling.
  QFormLayout* nf2 = nf;
  if (const QScreen* ekran = QGuiApplication::primaryScreen(); ekran && ekran->availableGeometry().width() >= 1200) {
    nf2 = new QFormLayout;
    kolumny->addSpacing(16);
    kolumny->addLayout(nf2);
  }
  DodajPole(nf, "beNumerWlasny", "Nr własny:", 10)->setReadOnly(true);
  DodajPole(nf, "beDataUtworzenia", "Data utworzenia:")->setReadOnly(true);
  {
    QLineEdit* pole = DodajPole(nf, "beRejestr", "Aktywny rejestr:");
    pole->setReadOnly(true);
    auto* rejestr = new QToolButton(naglowek);
    rejestr->setText(S("..."));
    rejestr->setToolTip(S("Wybierz rejestr"));
    host::ObokPola(nf, pole, rejestr);
    connect(rejestr, &QToolButton::clicked, this, [this] {
      if (ViewMode()) return;
      // The register list belongs to the lists: it is opened by its class name.
      auto* picker = qobject_cast<host::TFrmSqlWin*>(host::CreateRegisteredWindow(S("TRejestryWin"), ctx_, {}));
      if (!picker) return;
      if (const auto r = host::PickRow(picker, S("NAZWA"), logic_.NazwaRejestru(), this)) {
        logic_.UstawRejestr(r->Int(S("ID_REJESTRY")));
        pola_.value(S("beRejestr"))->setText(logic_.NazwaRejestru());
      }
    });
  }
  DodajPole(nf, "beDeklaracja", "Deklaracja (&1c):", 5, true);
  uproszczona_ = new QCheckBox(S("Procedura uproszczona"), naglowek);
  uproszczona_->setObjectName(S("cbPowiadomienie"));
  nf->addRow(uproszczona_);
  termin_ = new QDateEdit(naglowek);
  termin_->setObjectName(S("deTerminDost"));
  termin_->setDisplayFormat(S("dd.MM.yyyy"));
  termin_->setCalendarPopup(true);
  termin_->setMinimumDate(kBrakDaty.date());
  termin_->setSpecialValueText(S(" "));
  nf->addRow(S("Termin dostarcz.:"), termin_);
  DodajPole(nf, "beWK_Kod", "Wynik kontoli:", 2, true);
  typ_modyfikacji_ = new QComboBox(naglowek);
  typ_modyfikacji_->setObjectName(S("cbTypModyfikacji"));
  typ_modyfikacji_->addItems({S("0 - modyfikacja deklaracji"), S("1 - modyfikacja gwarancji"), S("2- powiadomienie o przedstawieniu")});
  nf->addRow(S("Typ modyfikacji:"), typ_modyfikacji_);
  data_przedstawienia_ = new QDateTimeEdit(naglowek);
  data_przedstawienia_->setObjectName(S("deDataPrzedstawienia"));
  data_przedstawienia_->setDisplayFormat(S("dd.MM.yyyy HH:mm:ss"));
  data_przedstawienia_->setCalendarPopup(true);
  // The lowest value stands for "not set" and shows as an empty field.
  data_przedstawienia_->setMinimumDateTime(kBrakDaty);
  data_przedstawienia_->setSpecialValueText(S(" "));
  nf->addRow(S("Data przedstawienia"), data_przedstawienia_);
  DodajPole(nf, "beMiejsceZaladunku", "Miejsce załadunku:", 17);
  lokalizacja_ = new QComboBox(naglowek);
  lokalizacja_->setObjectName(S("peLokalizacja"));
  lokalizacja_->addItems({QString(), S("Kod miejsca uznanego"), S("Miejsce uznane"), S("Miejsce odpraw celnych"),
                          S("Kod miejsca wskazanego w pozwoleniu")});
  nf2->addRow(S("Lokalizacja:"), lokalizacja_);
  DodajPole(nf2, "beLokalizacja", "Miejsce:", 18, true);
  DodajPole(nf2, "beKarnetTIR", "Nr karnetu TIR:", 17, true);
  lbl_karnet_ = qobject_cast<QLabel*>(nf2->labelForField(pola_.value(S("beKarnetTIR"))));
  {
    QLineEdit* gw = DodajPole(nf2, "beGwarancje", "Gwarancje:");
    gw->setReadOnly(true);
    auto* wybierz = new QToolButton(naglowek);
    wybierz->setObjectName(S("beGwarancje_Wybierz"));
    wybierz->setText(S("..."));
    wybierz->setToolTip(S("Wybierz gwarancję z rejestru"));
    auto* lista = new QToolButton(naglowek);
    lista->setText(S("Lista"));
    host::ObokPola(nf2, gw, wybierz);
    host::ObokPola(nf2, gw, lista);
    connect(wybierz, &QToolButton::clicked, this, [this] {
      if (ViewMode()) return;
      CzytajPola();
      const auto g = host::WybierzGwarancje(ctx_, S("SYMBOL"), logic_.SymbolGwarancji(), this);
      if (!g) return;
      bool wymien = false;
      if (!logic_.PodsumowanieGwarancji().isEmpty()) {
        wymien = ctx_.dialogs.PytanieNieTak(S("Wymienić gwarancję na wybraną ?")) == host::kIdYes;
        if (!wymien) ctx_.dialogs.Informacja(S("Gwarancja została dodana do listy !"));
      }
      logic_.DodajGwarancje(*g, wymien);
      if (const QString w = logic_.OstrzezenieGwarancji(); !w.isEmpty()) ctx_.dialogs.Ostrzezenie(w);
      PokazPola();
    });
    connect(lista, &QToolButton::clicked, this, [this] {
      if (ViewMode()) return;
      CzytajPola();
      departure::GwarancjeDeklaracji::Edytuj(ctx_, logic_.Dokument(), this);
      if (const QString w = logic_.OstrzezenieGwarancji(); !w.isEmpty()) ctx_.dialogs.Ostrzezenie(w);
      PokazPola();
    });
  }
  DodajPole(nf2, "beKrajWysylki", "Kraj wysyłki:", 2, true);
  DodajPole(nf2, "beKrajPrzezn", "Kraj przeznaczenia:", 2, true);
  DodajPole(nf2, "beUCZglosz", "UC zgłoszenia:", 8, true);
  DodajPole(nf2, "beUCPrzezn", "UC przeznaczenia:", 8, true);
  DodajPole(nf2, "beUCtranzyt", "Lista UC tranzytowych:", 8, true);
  DodajPole(nf2, "ceLiczbaPoz", "Liczba pozycji:")->setReadOnly(true);
  DodajPole(nf2, "ceLiczbaOpak", "Liczba opakowań:", 7);
  DodajPole(nf2, "ceMasaBrutto", "Masa brutto:", 16);
  tabs_->addTab(naglowek, S("Nagłówek"));

  auto* transport = new QWidget(tabs_);
  auto* tf = new QFormLayout(transport);
  DodajPole(tf, "beST", "Numer/Znaki:", 27, true);
  DodajPole(tf, "beST_Rodz", "Rodzaj:", 2);
  DodajPole(tf, "beST_Kraj", "Kraj:", 2, true);
  auto* strzalki = new QHBoxLayout;
  auto* w_dol = new QToolButton(transport);
  w_dol->setArrowType(Qt::DownArrow);
  auto* w_gore = new QToolButton(transport);
  w_gore->setArrowType(Qt::UpArrow);
  strzalki->addWidget(w_dol);
  strzalki->addWidget(w_gore);
  tf->addRow(strzalki);
  DodajPole(tf, "beSTG", "Numer/Znaki na granicy:", 27, true);
  DodajPole(tf, "beSTG_Rodz", "Rodzaj na granicy:", 2);
  DodajPole(tf, "beSTG_Kraj", "Kraj na granicy:", 2, true);
  {
    QLineEdit* zc = DodajPole(tf, "beZamknCelne", "Zamknięcia celne:");
    zc->setReadOnly(true);
    auto* zamkniecia = new QToolButton(transport);
    zamkniecia->setObjectName(S("btZamknCelne"));
    zamkniecia->setText(S("..."));
    host::ObokPola(tf, zc, zamkniecia);
    zamkniecia_ = zamkniecia;
    connect(zamkniecia, &QToolButton::clicked, this, [this] {
      if (ViewMode() || !uproszczona_->isChecked()) return;
      departure::TIE015_ZamknieciaBox box(ctx_, logic_.Dokument().Root(), this);
      box.ShowBox();
      PokazPola();
    });
  }
  DodajPole(tf, "ceZamknieciaLiczba", "Ilość:")->setReadOnly(true);
  connect(w_dol, &QToolButton::clicked, this, [this] {
    CzytajPola();
    logic_.TransportNaGranice();
    PokazPola();
  });
  connect(w_gore, &QToolButton::clicked, this, [this] {
    CzytajPola();
    logic_.TransportZGranicy();
    PokazPola();
  });
  tabs_->addTab(transport, S("Transport"));

  auto* strony = new QWidget(tabs_);
  auto* sf = new QFormLayout(strony);
  const std::pair<Strona, std::pair<const char*, const char*>> partie[] = {
      {Strona::Nadawca, {"beNadawca", "Nadawca:"}},
      {Strona::Odbiorca, {"beOdbiorca", "Odbiorca:"}},
      {Strona::GlownyZobowiazany, {"beGlownyZobowiazany", "Gł.zobowiązany:"}},
      {Strona::UpowaznionyOdbiorca, {"beUpowaznOdbiorca", "Upoważn.odbiorca:"}},
      {Strona::Przedstawiciel, {"bePrzedstawiciel", "Przedstawiciel:"}},
  };
  auto strona = [this](QFormLayout* form, Strona s, const char* pole, const char* caption) {
    QLineEdit* e = DodajPole(form, pole, caption);
    e->setReadOnly(s != Strona::Przedstawiciel && s != Strona::UpowaznionyOdbiorca);
    if (!e->isReadOnly()) e->setMaxLength(17);
    host::ObokPola(form, e, PrzyciskiPola(e, [this, s, pole] { WybierzStrone(s, pole); }, [this, s, pole] { WyczyscStrone(s, pole); }));
  };
  for (const auto& [s, p] : partie) strona(sf, s, p.first, p.second);
  tabs_->addTab(strony, S("Strony"));

  auto* bezp = new QWidget(tabs_);
  auto* bf = new QFormLayout(bezp);
  DodajPole(bf, "beNrReferencyjnyPrzesylki", "Nr ref. przesyłki:", 70);
  DodajPole(bf, "beNrReferencyjnyPrzewozu", "Nr ref. przewozu:", 35);
  DodajPole(bf, "beMiejsceRozladunku", "Miejsce rozładunku:", 35);
  strona(bf, Strona::NadawcaB, "beNadawcaB", "Nadawca:");
  strona(bf, Strona::OdbiorcaB, "beOdbiorcaB", "Odbiorca:");
  strona(bf, Strona::Przewoznik, "bePrzewoznik", "Przewoźnik:");
  auto* kopiuj = new QPushButton(S("Powtórz dane..."), bezp);
  kopiuj->setObjectName(S("beKopiuj"));
  bf->addRow(kopiuj);
  connect(kopiuj, &QPushButton::clicked, this, [this] {
    logic_.PowtorzDane();
    PokazPola();
  });
  // The code's description beside its field.
  for (const auto& [pole, caption, slownik] : {std::tuple{"beSpecWarunki", "Spec. okoliczności:", 1096},
                                               std::tuple{"beFormaPlatnosci", "Forma płatności:", 1116}}) {
    QLineEdit* e = DodajPole(bf, pole, caption, 1, true);
    auto* opis = new QLabel(bezp);
    opis->setObjectName(S(pole) + S("_Opis"));
    bf->addRow(QString(), opis);
    connect(e, &QLineEdit::textChanged, opis, [this, opis, slownik = slownik](const QString& kod) {
      opis->setText(kod.trimmed().isEmpty() ? QString() : reference::TSlownikNCTS_BOX::GetOpis(ctx_, slownik, kod.trimmed()));
    });
  }
  DodajPole(bf, "beTrasa", "Trasa przewozu:", 35, true);
  tabs_->addTab(bezp, S("Bezpieczeństwo"));

  auto* towary = new QWidget(tabs_);
  auto* gl = new QVBoxLayout(towary);
  auto* pasek = new QHBoxLayout;
  for (const auto& [tekst, akcja] : {std::pair{"Dodaj", &TIE015PL_Box::DodajTowar}, std::pair{"Zmień", &TIE015PL_Box::EdytujTowar},
                                     std::pair{"Usuń", &TIE015PL_Box::UsunTowar}}) {
    auto* b = new QPushButton(S(tekst), towary);
    b->setObjectName(S("act") + S(tekst));
    pasek->addWidget(b);
    connect(b, &QPushButton::clicked, this, akcja);
  }
  pasek->addStretch();
  gl->addLayout(pasek);
  towary_ = new QTableWidget(0, 5, towary);
  towary_->setObjectName(S("mdTowar"));
  towary_->setHorizontalHeaderLabels({S("Lp"), S("Kod CN"), S("Kraj pochodzenia"), S("Masa netto"), S("Opis towaru")});
  towary_->setSelectionBehavior(QAbstractItemView::SelectRows);
  towary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  towary_->horizontalHeader()->setStretchLastSection(true);
  towary_->installEventFilter(this);
  connect(towary_, &QTableWidget::cellDoubleClicked, this, [this] { EdytujTowar(); });
  gl->addWidget(towary_);
  tabs_->addTab(towary, S("Towary"));

  // Dictionary lookups with F4 or Alt+Down.
  for (const auto& [pole, slownik] : {std::pair{"beDeklaracja", 1031}, std::pair{"beLokalizacja", 84}, std::pair{"beWK_Kod", 1047},
                                      std::pair{"beST_Rodz", 1018}, std::pair{"beSTG_Rodz", 1018}, std::pair{"beST_Kraj", 1008},
                                      std::pair{"beSTG_Kraj", 1008}, std::pair{"beKrajWysylki", 1008}, std::pair{"beKrajPrzezn", 1008},
                                      std::pair{"beSpecWarunki", 1096}, std::pair{"beFormaPlatnosci", 1116}, std::pair{"beTrasa", 1008}}) {
    QLineEdit* e = pola_.value(S(pole));
    e->setProperty("slownik", slownik);
    e->installEventFilter(this);
  }
  // Customs offices with F4, those with the field's role: the office of departure among the Polish ones.
  for (const auto& [pole, kraj, rola] : {std::tuple{"beUCZglosz", "PL", host::RolaUC::Wyjscia},
                                         std::tuple{"beUCPrzezn", "", host::RolaUC::Przeznaczenia},
                                         std::tuple{"beUCtranzyt", "", host::RolaUC::Tranzytowy}}) {
    QLineEdit* e = pola_.value(S(pole));
    e->setProperty("uc", S(kraj));
    e->setProperty("rola", static_cast<int>(rola));
    e->installEventFilter(this);
  }
  host::PrzyciskiList(this, {"slownik", "uc"});
  for (QLineEdit* e : pola_) e->installEventFilter(this);
  connect(uproszczona_, &QCheckBox::toggled, this, [this](bool on) {
    // The form is read with the box already switched: the mode it left is the document's.
    const bool bylo = logic_.pola.uproszczona;
    CzytajPola();
    logic_.pola.uproszczona = bylo;
    const QString ostrzezenie = logic_.UstawProcedureUproszczona(on, wyswietlony_);
    PokazPola();
    if (!ostrzezenie.isEmpty()) ctx_.dialogs.Ostrzezenie(ostrzezenie);
  });
  connect(pola_.value(S("beDeklaracja")), &QLineEdit::textEdited, this, [this](const QString& typ) {
    logic_.ZmienTyp(typ);
    const bool tir = typ.trimmed() == QLatin1String("TIR");
    pola_.value(S("beKarnetTIR"))->setVisible(tir);
    if (lbl_karnet_) lbl_karnet_->setVisible(tir);
  });
  connect(pola_.value(S("beDeklaracja")), &QLineEdit::editingFinished, this, [this] {
    CzytajPola();
    logic_.OpuscTyp(typ_przy_wejsciu_);
    typ_przy_wejsciu_ = logic_.pola.deklaracja;
    PokazPola();
  });
  connect(pola_.value(S("beKarnetTIR")), &QLineEdit::editingFinished, this, [this] {
    CzytajPola();
    if (logic_.pola.karnet_tir.trimmed().isEmpty()) return;
    logic_.OpuscKarnetTIR();
    PokazPola();
  });
  connect(typ_modyfikacji_, &QComboBox::activated, this, [this](int i) {
    const QString info = logic_.UstawTypModyfikacji(i);
    if (!info.isEmpty()) {
      ctx_.dialogs.Informacja(info);
      typ_modyfikacji_->setCurrentIndex(logic_.pola.typ_modyfikacji);
    }
  });
  // Amendment-only rows go with their captions.
  nf->setRowVisible(typ_modyfikacji_, sprostowanie);
  nf->setRowVisible(data_przedstawienia_, sprostowanie);
}

bool TIE015PL_Box::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == towary_ && !ViewMode() &&
        host::KlawiszSiatki(key, {[this] { DodajTowar(); }, [this] { UsunTowar(); }, [this] { EdytujTowar(); }}))
      return true;
    auto* e = qobject_cast<QLineEdit*>(watched);
    const bool lookup = host::KlawiszListy(key);
    if (e && lookup && e->property("uc").isValid() && !ViewMode()) {
      if (const auto uc = host::ListujUC(ctx_, e->property("uc").toString(), static_cast<host::RolaUC>(e->property("rola").toInt()), e->text(), e)) e->setText(uc->Str(S("Kod")).trimmed());
      return true;
    }
    if (e && lookup && e->property("slownik").isValid() && !ViewMode()) {
      QString kod = e->text();
      // The route is a list of countries: the chosen one is added to it.
      const bool lista = e->objectName() == QLatin1String("beTrasa");
      if (lista) kod.clear();
      if (reference::TSlownikNCTS_BOX::Listuj(ctx_, e->property("slownik"), kod, e) == reference::TSlownikNCTS_BOX::kMrOk) {
        if (lista && !e->text().trimmed().isEmpty()) kod = e->text().trimmed() + QLatin1Char(',') + kod;
        e->setText(kod.left(e->maxLength()));
        if (e->objectName() == QLatin1String("beDeklaracja")) logic_.ZmienTyp(kod);
      }
      return true;
    }
    if (e && host::EnterDoNastepnegoPola(e, key)) return true;
  }
  return frame::MessageEditor::eventFilter(watched, event);
}

void TIE015PL_Box::SetXML(const QString& xml) {
  const QString blad = logic_.SetXML(xml.trimmed().isEmpty() ? logic_.TekstDoWczytania() : xml);
  if (!blad.isEmpty() && !xml.trimmed().isEmpty())
    ctx_.dialogs.Ostrzezenie(S("Zapisane zgłoszenie nie jest poprawnym dokumentem XML: ") + blad);
  // The switch is applied once as the form is shown, without its warning.
  logic_.UstawProcedureUproszczona(logic_.pola.uproszczona, false);
  zaladowany_ = logic_.GetXML();
  typ_przy_wejsciu_ = logic_.pola.deklaracja;
  PokazPola();
}

void TIE015PL_Box::PokazPola() {
  const PolaDeklaracji& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) pola_.value(S(w.pole))->setText(p.*w.wartosc);
  for (const PoleStrony& s : kStrony) pola_.value(S(s.pole))->setText(logic_.NazwaStrony(s.strona));
  pola_.value(S("beRejestr"))->setText(logic_.NazwaRejestru());
  pola_.value(S("beGwarancje"))->setText(logic_.PodsumowanieGwarancji());
  pola_.value(S("beZamknCelne"))->setText(logic_.Zamkniecia().join(QLatin1Char(',')));
  pola_.value(S("ceZamknieciaLiczba"))->setText(QString::number(logic_.Zamkniecia().size()));
  const QSignalBlocker blokada(uproszczona_);
  uproszczona_->setChecked(p.uproszczona);
  // Seals belong to the simplified procedure.
  pola_.value(S("beZamknCelne"))->setEnabled(p.uproszczona);
  zamkniecia_->setEnabled(p.uproszczona && !ViewMode());
  const QDateTime przedstawienie = frame::GetDateTimeFromString(p.data_przedstawienia);
  data_przedstawienia_->setDateTime(p.data_przedstawienia.trimmed().isEmpty() || !przedstawienie.isValid() ? kBrakDaty : przedstawienie);
  const QDate termin = QDate::fromString(p.termin_dostarczenia.trimmed(), Qt::ISODate);
  termin_->setDate(termin.isValid() ? termin : kBrakDaty.date());
  lokalizacja_->setCurrentIndex(p.lokalizacja);
  typ_modyfikacji_->setCurrentIndex(p.typ_modyfikacji);
  const bool tir = p.deklaracja.trimmed() == QLatin1String("TIR");
  pola_.value(S("beKarnetTIR"))->setVisible(tir);
  if (lbl_karnet_) lbl_karnet_->setVisible(tir);
  pola_.value(S("beGwarancje"))->setEnabled(!tir);
  pola_.value(S("beUCtranzyt"))->setEnabled(logic_.UCTranzytoweDostepne());
  OdswiezTowary();
}

void TIE015PL_Box::CzytajPola() {
  PolaDeklaracji& p = logic_.pola;
  for (const Wiazanie& w : kWiazania) p.*w.wartosc = pola_.value(S(w.pole))->text();
  p.uproszczona = uproszczona_->isChecked();
  p.data_przedstawienia = data_przedstawienia_->dateTime() == kBrakDaty ? QString() : frame::GetDateTimeAsString(data_przedstawienia_->dateTime());
  p.termin_dostarczenia = termin_->date() == kBrakDaty.date() ? QString() : frame::GetDateAsString(termin_->date());
  p.lokalizacja = lokalizacja_->currentIndex();
  p.typ_modyfikacji = typ_modyfikacji_->currentIndex();
}

void TIE015PL_Box::OdswiezTowary() {
  const auto& wiersze = logic_.Towary();
  towary_->setRowCount(static_cast<int>(wiersze.size()));
  for (int r = 0; r < static_cast<int>(wiersze.size()); ++r) {
    const departure::WierszTowaru& w = wiersze[r];
    QString opis = w.opis_towaru;
    opis.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QChar(0xA0), QLatin1Char(' '));
    const QStringList cells{QString::number(w.poz_id), w.kod_towarowy, w.kraj_wysylki, w.masa_netto, opis};
    for (int c = 0; c < cells.size(); ++c) towary_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  pola_.value(S("ceLiczbaPoz"))->setText(QString::number(wiersze.size()));
}

void TIE015PL_Box::DodajTowar() {
  if (ViewMode()) return;
  CzytajPola();
  const int poz = logic_.DodajTowar();
  if (poz == 0) return;
  OdswiezTowary();
  towary_->setCurrentCell(poz - 1, 0);
  if (!EdytujPozycje(ctx_, logic_, poz, this)) logic_.UsunTowar(poz);
  else logic_.OdswiezTowar(poz);
  OdswiezTowary();
}

void TIE015PL_Box::EdytujTowar() {
  if (ViewMode()) return;
  if (logic_.Towary().empty()) return DodajTowar();
  const int poz = towary_->currentRow() + 1;
  if (poz < 1) return;
  CzytajPola();
  if (EdytujPozycje(ctx_, logic_, poz, this)) logic_.OdswiezTowar(poz);
  OdswiezTowary();
  towary_->setCurrentCell(poz - 1, 0);
}

void TIE015PL_Box::UsunTowar() {
  if (ViewMode() || logic_.Towary().empty() || towary_->currentRow() < 0) return;
  if (ctx_.dialogs.PytanieNieTak(S("Czy usunąć pozycję towarową ?")) != host::kIdYes) return;
  logic_.UsunTowar(towary_->currentRow() + 1);
  OdswiezTowary();
}

void TIE015PL_Box::WybierzStrone(Strona s, const char* field) {
  if (ViewMode()) return;
  CzytajPola();
  const bool tir = logic_.pola.deklaracja.trimmed() == QLatin1String("TIR");
  // The picker opens on the contractor the field names.
  // The representative and the authorised consignee are shown by their EORI, the others by name.
  const QString tekst = pola_.value(S(field))->text();
  const bool po_eori = s == Strona::Przedstawiciel || s == Strona::UpowaznionyOdbiorca;
  const auto k = s == Strona::GlownyZobowiazany && tir ? host::WybierzPosiadaczaTIR(ctx_, QVariant(), this)
                 : po_eori                             ? host::WybierzKontrahentaPoEORI(ctx_, tekst, this)
                                                       : host::WybierzKontrahentaPoNazwie(ctx_, tekst, this);
  if (!k) return;
  pola_.value(S(field))->setText(logic_.WypelnijStrone(s, *k));
  PokazPola();
}

void TIE015PL_Box::WyczyscStrone(Strona s, const char* field) {
  if (ViewMode()) return;
  CzytajPola();
  logic_.WyczyscStrone(s);
  pola_.value(S(field))->clear();
  PokazPola();
}

QString TIE015PL_Box::GetXML() {
  CzytajPola();
  return logic_.GetXML();
}

QVariantMap TIE015PL_Box::KolumnyTranzytu() {
  // An amendment leaves the transit's columns as the declaration set them.
  if (logic_.Sprostowanie()) return {};
  GetXML();
  return logic_.KolumnyTranzytu();
}

void TIE015PL_Box::BeforeActivate() {
  const bool edytowalny = !ViewMode();
  for (QLineEdit* e : pola_) e->setReadOnly(e->isReadOnly() || !edytowalny);
  uproszczona_->setEnabled(edytowalny);
  lokalizacja_->setEnabled(edytowalny);
  typ_modyfikacji_->setEnabled(edytowalny);
  data_przedstawienia_->setEnabled(edytowalny);
  termin_->setEnabled(edytowalny);
  wyswietlony_ = true;
}

host::FieldErrors TIE015PL_Box::Validate() {
  CzytajPola();
  host::FieldErrors out;
  for (const departure::BladPola& b :
       logic_.Sprawdz([this](int slownik, const QString& kod) { return reference::TSlownikNCTS_BOX::JestKod(ctx_, slownik, kod); }, wyswietlony_))
    out.push_back({b.pole, b.tekst});
  return out;
}

void TIE015PL_Box::FocusField(const QString& field) {
  QWidget* w = pola_.value(field);
  if (!w) w = findChild<QWidget*>(field);
  if (!w) return;
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->widget(i)->isAncestorOf(w)) tabs_->setCurrentIndex(i);
  w->setFocus();
}

bool TIE015PL_Box::Zmieniony() {
  if (ViewMode()) return false;
  return GetXML() != zaladowany_;
}

std::vector<host::PoleUC> TIE015PL_Box::Urzedy() {
  const PolaDeklaracji& p = logic_.pola;
  return {{S("beUCZglosz"), p.uc_zgloszenia, host::RolaUC::Wyjscia},
          {S("beUCPrzezn"), p.uc_przeznaczenia, host::RolaUC::Przeznaczenia},
          {S("beUCtranzyt"), p.uc_tranzytowy, host::RolaUC::Tranzytowy}};
}

bool TIE015PL_Box::actOkExecute() {
  // Another workstation may have stored the message since it was opened.
  if (id_ > 0) {
    const QString teraz = frame::TransitStore(ctx_.db).Xml(id_);
    if (teraz != zapisany_ &&
        ctx_.dialogs.PytanieNieTak(S("Komunikat został zmieniony przez innego użytkownika. Zapisać mimo to ?")) != host::kIdYes)
      return false;
  }
  if (logic_.Sprostowanie()) Record().insert(S("IE013_RODZAJ"), logic_.pola.typ_modyfikacji);
  return frame::MessageEditor::actOkExecute();
}

bool TIE015PL_Box::actCancelExecute() {
  if (Zmieniony() && ctx_.dialogs.PytanieNieTak(S("Porzucić zmiany w zgłoszeniu ?")) != host::kIdYes) return false;
  return frame::MessageEditor::actCancelExecute();
}

void RegisterDeclarationEditor() {
  frame::RegisterMessageEditor(S("IE015"), [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
    return new TIE015PL_Box(ctx, row, false, parent);
  });
  frame::RegisterMessageEditor(S("IE013"), [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
    return new TIE015PL_Box(ctx, row, true, parent);
  });
}

}  // namespace velmora::departure
