#include "guarantees_boxes.h"

#include "frame/shared_state.h"
#include "host/base/dialogs.h"
#include "host/ui/gwarancje_win.h"
#include "host/base/host_context.h"
#include "host/ui/xml_list_box.h"
#include "reference/slownik_ncts_box.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace velmora::departure {

namespace {

constexpr int kSlownikRodzajow = 1051;

QString S(const char* text) { return QString::fromUtf8(text); }

// A line edit whose text turns upper case as it is typed.
QLineEdit* PoleWielkimi(QWidget* parent, const char* name, int max_length) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setMaxLength(max_length);
  host::WielkieLitery(e);
  return e;
}

// The access code's pop-up: its choices are read again each time it is entered.
class KodDostepuEdit : public QComboBox {
 public:
  KodDostepuEdit(std::function<QStringList()> kody, QWidget* parent) : QComboBox(parent), kody_(std::move(kody)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setMaxLength(4);
  }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    Wczytaj();
    QComboBox::focusInEvent(event);
  }
  void showPopup() override {
    Wczytaj();
    QComboBox::showPopup();
  }

 private:
  void Wczytaj() {
    const QString text = currentText();
    clear();
    addItems(kody_());
    setEditText(text);
  }
  std::function<QStringList()> kody_;
};

}  // namespace

class GwarancjeModel : public QAbstractTableModel {
 public:
  GwarancjeModel(const GwarancjeDeklaracji& gwarancje, QObject* parent) : QAbstractTableModel(parent), g_(gwarancje) {}
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(g_.Wiersze().size());
  }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const WierszGwarancji& w = g_.Wiersze()[index.row()];
    switch (index.column()) {
      case 0: return w.rodzaj;
      case 1: return w.lp == 0 ? S("0") : S("/") + QString::number(w.lp);
      case 2: return w.numer_grn;
      case 3: return w.kod_dostepu;
      default: return w.niewazne;
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kNaglowki[] = {" Rodzaj", "Lp", " Numer / GRN", " K.dost.", " Nieważne na kraje:"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 4) return {};
    return S(kNaglowki[section]);
  }

 private:
  const GwarancjeDeklaracji& g_;
};

TIE015_GwarancjaBox::TIE015_GwarancjaBox(host::HostContext& ctx, const DaneGwarancji& dane, QWidget* parent)
    : TEditBox(ctx, parent), dane_(dane) {
  setObjectName(S("TIE015_GwarancjaBox"));
  setWindowTitle(S("Gwarancja"));
  beRodzaj = PoleWielkimi(this, "beRodzaj", 1);
  beNr = PoleWielkimi(this, "beNr", 35);
  beGRN = PoleWielkimi(this, "beGRN", 24);
  peKodDostepu = new KodDostepuEdit([this] { return GwarancjeDeklaracji::KodyDostepu(ctx_.db, beGRN->text()); }, this);
  peKodDostepu->setObjectName(S("peKodDostepu"));
  cbNiewaznaNaUE = new QCheckBox(this);
  cbNiewaznaNaUE->setObjectName(S("cbNiewaznaNaUE"));
  beNiewazneNaKraj = PoleWielkimi(this, "beNiewazneNaKraj", 296);

  auto* slownik = new QToolButton(this);
  slownik->setText(S("..."));
  connect(slownik, &QToolButton::clicked, this, [this] {
    QString kod = beRodzaj->text();
    if (reference::TSlownikNCTS_BOX::Listuj(ctx_, kSlownikRodzajow, kod, beRodzaj) == reference::TSlownikNCTS_BOX::kMrOk)
      beRodzaj->setText(kod.left(1));
  });
  auto* rodzaj = new QHBoxLayout;
  rodzaj->addWidget(beRodzaj);
  rodzaj->addWidget(slownik);

  auto* form = new QFormLayout;
  auto wiersz = [this, form](const char* caption, QWidget* buddy, QLayout* pole = nullptr) {
    auto* label = new QLabel(S(caption), this);
    label->setBuddy(buddy);
    if (pole)
      form->addRow(label, pole);
    else
      form->addRow(label, buddy);
  };
  wiersz("&Rodzaj gwarancji (52):", beRodzaj, rodzaj);
  wiersz("&Numer gwarancji (52):", beNr);
  wiersz("Numer &GRN (52):", beGRN);
  wiersz("Kod &dostępu (-):", peKodDostepu);
  wiersz("Nieważna na &UE  (52):", cbNiewaznaNaUE);
  wiersz("Nieważna na &kraj (52):", beNiewazneNaKraj);
  static_cast<QVBoxLayout*>(layout())->addLayout(form);

  beRodzaj->setText(dane_.rodzaj);
  beNr->setText(dane_.numer);
  beGRN->setText(dane_.grn);
  peKodDostepu->setEditText(dane_.kod_dostepu);
  cbNiewaznaNaUE->setChecked(dane_.niewazna_na_ue);
  beNiewazneNaKraj->setText(dane_.niewazne_na_kraj);
}

void TIE015_GwarancjaBox::ReadFields() {
  dane_.rodzaj = beRodzaj->text();
  dane_.numer = beNr->text();
  dane_.grn = beGRN->text();
  dane_.kod_dostepu = peKodDostepu->currentText();
  dane_.niewazna_na_ue = cbNiewaznaNaUE->isChecked();
  dane_.niewazne_na_kraj = beNiewazneNaKraj->text();
}

host::FieldErrors TIE015_GwarancjaBox::Validate() {
  if (const auto blad = GwarancjeDeklaracji::Sprawdz(dane_)) return {{blad->pole, blad->tekst}};
  return {};
}

void TIE015_GwarancjaBox::FocusField(const QString& field) {
  if (auto* w = findChild<QWidget*>(field)) w->setFocus();
}

TIE015_GwarancjeBox::TIE015_GwarancjeBox(host::HostContext& ctx, GwarancjeDeklaracji& gwarancje, bool wybierz,
                                         QWidget* parent)
    : TEditBox(ctx, parent), gwarancje_(gwarancje), wybierz_(wybierz), model_(new GwarancjeModel(gwarancje, this)),
      grid_(new QTableView(this)) {
  setObjectName(S("TIE015_GwarancjeBox"));
  setWindowTitle(S("Pole 52 - Gwarancje"));
  grid_->setModel(model_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->installEventFilter(this);

  auto* przyciski = new QVBoxLayout;
  host::DodajPrzyciski(this, przyciski,
                       {{"actDodaj", "Dodaj", [this] { Dodaj(); }},
                        {"actPopraw", "Popraw", [this] { Popraw(); }},
                        {"actUsun", "Usuń", [this] { Usun(); }},
                        {"act_Dodaj_z_listy", "Dodaj z listy", [this] { DodajZListy(); }}});
  auto* srodek = new QHBoxLayout;
  srodek->addWidget(grid_, 1);
  srodek->addLayout(przyciski);
  static_cast<QVBoxLayout*>(layout())->addLayout(srodek);

  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { gwarancje_.UstawBiezacy(current.row()); });
  connect(grid_, &QTableView::doubleClicked, this, [this] { wybierz_ ? Potwierdz() : Popraw(); });
  gwarancje_.ReloadMD();
  Odswiez();
  resize(680, 320);
}

void TIE015_GwarancjeBox::Odswiez() {
  const int biezacy = gwarancje_.Biezacy();
  model_->Reset();
  gwarancje_.UstawBiezacy(biezacy);
  if (biezacy >= 0) grid_->selectRow(biezacy);
}

GwarancjeDeklaracji::Edytor TIE015_GwarancjeBox::Edytor() {
  return [this](DaneGwarancji& dane) {
    TIE015_GwarancjaBox box(ctx_, dane, this);
    if (box.ShowBox() != 1) return false;
    dane = box.Dane();
    return true;
  };
}

void TIE015_GwarancjeBox::Dodaj() {
  if (gwarancje_.SelectGwar(false, Edytor())) Odswiez();
}

void TIE015_GwarancjeBox::Popraw() {
  if (gwarancje_.SelectGwar(true, Edytor())) Odswiez();
}

void TIE015_GwarancjeBox::Usun() {
  if (gwarancje_.DeleteGwar()) Odswiez();
}

void TIE015_GwarancjeBox::DodajZListy() {
  const auto wiersz = host::WybierzGwarancje(ctx_, S("GRN"), gwarancje_.DaneBiezacego().grn, this);
  if (wiersz && gwarancje_.SelectGwar(false, Edytor(), wiersz)) Odswiez();
}

bool TIE015_GwarancjeBox::actOkExecute() {
  if (wybierz_) {
    const auto grn = gwarancje_.Wybierz();
    if (!grn) {
      ctx_.dialogs.Informacja(S("Lista jest pusta."));
      return false;
    }
    wybrana_ = *grn;
  }
  result_ = 1;
  return true;
}

void TIE015_GwarancjeBox::Potwierdz() {
  if (actOkExecute()) accept();
}

bool TIE015_GwarancjeBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (host::XmlListActionForKey(key->key(), key->modifiers())) {
      case host::XmlListAction::Add:
        Dodaj();
        return true;
      case host::XmlListAction::Edit:
        wybierz_ ? Potwierdz() : Popraw();
        return true;
      case host::XmlListAction::Delete:
        Usun();
        return true;
      case host::XmlListAction::None:
        break;
    }
  }
  return TEditBox::eventFilter(watched, event);
}

std::optional<QString> GwarancjeDeklaracji::WybierzGRN(host::HostContext& ctx, xml::Message& msg, QWidget* parent) {
  xml::Message kopia = Kopia(msg);
  GwarancjeDeklaracji gwarancje(kopia, ctx);
  frame::FGwarancjaWybierz = true;
  struct Koniec {
    ~Koniec() { frame::FGwarancjaWybierz = false; }
  } koniec;
  TIE015_GwarancjeBox box(ctx, gwarancje, frame::FGwarancjaWybierz, parent);
  if (box.ShowBox() != 1) return std::nullopt;
  gwarancje.ZapiszDo(msg);
  frame::FGwarancjaWybrana = box.Wybrana();
  return frame::FGwarancjaWybrana;
}

bool GwarancjeDeklaracji::Edytuj(host::HostContext& ctx, xml::Message& msg, QWidget* parent) {
  xml::Message kopia = Kopia(msg);
  GwarancjeDeklaracji gwarancje(kopia, ctx);
  TIE015_GwarancjeBox box(ctx, gwarancje, false, parent);
  if (box.ShowBox() != 1) return false;
  gwarancje.ZapiszDo(msg);
  return true;
}

}  // namespace velmora::departure
