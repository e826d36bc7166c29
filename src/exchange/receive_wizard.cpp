#include "receive_wizard.h"

#include "host/base/clock.h"
#include "host/db/customs_dictionary.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/ui/frm_sql_win.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::exchange {

namespace {
const QString kSekcja = QStringLiteral("TKomunikatOdbierzWiz");
}

TKomunikatOdbierzWiz::TKomunikatOdbierzWiz(host::HostContext& ctx, QWidget* parent)
    : host::TTabWizardBox(parent), ctx_(ctx), odbior_(ctx) {
  setWindowTitle(QStringLiteral("Odebranie komunikatu"));
  // Choice of the road.
  auto* wybor = new QWidget(this);
  auto* wl = new QVBoxLayout(wybor);
  rb_plik_ = new QRadioButton(QStringLiteral("Odczyt z pliku  XML"), wybor);
  rb_email_ = new QRadioButton(QStringLiteral("Odczyt z konta pocztowego"), wybor);
  rb_puesc_ = new QRadioButton(QStringLiteral("Odczyt komunikaty z systemu PUESC"), wybor);
  rb_plik_->setObjectName(QStringLiteral("rb_Plik"));
  rb_email_->setObjectName(QStringLiteral("rb_Email"));
  rb_puesc_->setObjectName(QStringLiteral("rb_PUESC"));
  for (QRadioButton* rb : {rb_plik_, rb_email_, rb_puesc_}) {
    wl->addWidget(rb);
    connect(rb, &QRadioButton::clicked, this, &TKomunikatOdbierzWiz::ZapamietajWybor);
  }
  pnl_ws_ = new QWidget(wybor);
  pnl_ws_->setObjectName(QStringLiteral("pnlWS"));
  auto* ws = new QFormLayout(pnl_ws_);
  de_od_ = new QDateEdit(pnl_ws_);
  te_od_ = new QTimeEdit(pnl_ws_);
  de_do_ = new QDateEdit(pnl_ws_);
  te_do_ = new QTimeEdit(pnl_ws_);
  for (QDateEdit* d : {de_od_, de_do_}) d->setCalendarPopup(true);
  auto* od = new QHBoxLayout;
  od->addWidget(de_od_);
  od->addWidget(te_od_);
  auto* do_ = new QHBoxLayout;
  do_->addWidget(de_do_);
  do_->addWidget(te_do_);
  ws->addRow(QStringLiteral("Data początkowa:"), od);
  ws->addRow(QStringLiteral("Data końcowa:"), do_);
  cb_przeczytane_ = new QCheckBox(QStringLiteral("Pobierz także już przeczytane komunikaty"), pnl_ws_);
  ws->addRow(cb_przeczytane_);
  wl->addWidget(pnl_ws_);
  wl->addStretch();
  connect(rb_puesc_, &QRadioButton::toggled, pnl_ws_, &QWidget::setVisible);
  AddPage(wybor, QStringLiteral("Odebranie komunikatu z przesyłki"));

  // A file.
  auto* dane = new QWidget(this);
  auto* dl = new QVBoxLayout(dane);
  auto* lbl = new QLabel(QStringLiteral("Ścieżka i plik:"), dane);
  be_sciezka_ = new QLineEdit(dane);
  be_sciezka_->setObjectName(QStringLiteral("beSciezka"));
  lbl->setBuddy(be_sciezka_);
  auto* bt = new QToolButton(dane);
  bt->setText(QStringLiteral("..."));
  connect(bt, &QToolButton::clicked, this, [this] {
    const QStringList wybrane = QFileDialog::getOpenFileNames(this, QStringLiteral("Wczytanie pliku z komunikatem"), be_sciezka_->text(),
                                                              QStringLiteral("XML (plik komunikatu) (*.xml);;Wszystkie pliki (*)"));
    if (wybrane.isEmpty()) return;
    pliki_ = wybrane;
    be_sciezka_->setText(wybrane.first());
  });
  connect(be_sciezka_, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  auto* row = new QHBoxLayout;
  row->addWidget(be_sciezka_);
  row->addWidget(bt);
  dl->addWidget(lbl);
  dl->addLayout(row);
  dl->addStretch();
  AddPage(dane, QStringLiteral("Odczyt z pliku"));

  // A mailbox.
  auto* konto = new QWidget(this);
  auto* kl = new QFormLayout(konto);
  be_email_ = new QLineEdit(konto);
  be_email_->setObjectName(QStringLiteral("be_Email"));
  be_adres_urzedu_ = new QLineEdit(konto);
  be_adres_urzedu_->setObjectName(QStringLiteral("be_AdresUrzedu"));
  cb_tylko_nowe_ = new QCheckBox(QStringLiteral("Pobierz tylko nowe wiadomości"), konto);
  cb_tylko_nowe_->setObjectName(QStringLiteral("cbTylkoNowe"));
  kl->addRow(QStringLiteral("Konto do sprawdzenia"), be_email_);
  kl->addRow(QStringLiteral("Adres email urzędu"), be_adres_urzedu_);
  kl->addRow(cb_tylko_nowe_);
  connect(cb_tylko_nowe_, &QCheckBox::toggled, this, [this](bool on) {
    ctx_.options.WriteOption(kSekcja, QStringLiteral("cbTylkoNowe"), on ? QStringLiteral("1") : QStringLiteral("0"));
  });
  AddPage(konto, QStringLiteral("Konto email"));

  // The analysis and its log.
  auto* zapis = new QWidget(this);
  auto* zl = new QVBoxLayout(zapis);
  lbl_zapis_ = new QLabel(QStringLiteral("Trwa analiza i zapis pliku proszę czekać ..."), zapis);
  zl->addWidget(lbl_zapis_);
  zl->addWidget(CreateLog(zapis));
  AddPage(zapis, QStringLiteral("Analiza i zapis do bazy danych"));
}

QAction* TKomunikatOdbierzWiz::Akcja(host::HostContext& ctx, host::TFrmSqlWin* lista) {
  auto* akcja = new QAction(QStringLiteral("Odbierz ..."), lista);
  QObject::connect(akcja, &QAction::triggered, lista, [&ctx, lista] {
    Odbierz(ctx, lista);
    lista->RefreshOpenLists();
  });
  lista->AddActionToMenu(akcja);
  return akcja;
}

void TKomunikatOdbierzWiz::Odbierz(host::HostContext& ctx, QWidget* parent) {
  TKomunikatOdbierzWiz wiz(ctx, parent);
  wiz.ShowBox();
}

void TKomunikatOdbierzWiz::UstawOkres(const QDateTime& od, const QDateTime& do_) {
  de_od_->setDate(od.date());
  te_od_->setTime(od.time());
  de_do_->setDate(do_.date());
  te_do_->setTime(do_.time());
}

void TKomunikatOdbierzWiz::Load() {
  const int wybor = ctx_.options.ReadOption(kSekcja, QStringLiteral("rb_Plik"), QStringLiteral("1")).toInt();
  (wybor == 0 ? rb_email_ : wybor == 2 ? rb_puesc_ : rb_plik_)->setChecked(true);
  pnl_ws_->setVisible(rb_puesc_->isChecked());
  cb_tylko_nowe_->setChecked(ctx_.options.ReadOption(kSekcja, QStringLiteral("cbTylkoNowe"), QStringLiteral("0")) == QLatin1String("1"));
  const QString konto = ctx_.options.ReadOption(kSekcja, QStringLiteral("be_Email"), QString());
  be_email_->setText(!konto.isEmpty() ? konto
                                      : ctx_.options.ReadOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("EMAIL"), QString(),
                                                                host::OptionScope::Application));
  be_adres_urzedu_->setText(
      ctx_.options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("EMAIL_UC"), host::TPuescTools::GetDefaultEmailAddress(ctx_.db)));
  const QDateTime teraz = ctx_.clock.Now();
  UstawOkres(QDateTime(teraz.date().addDays(-1), QTime(0, 0)), QDateTime(teraz.date(), QTime(23, 59)));
}

void TKomunikatOdbierzWiz::ZapamietajWybor() {
  const QString wartosc = rb_email_->isChecked() ? QStringLiteral("0") : rb_puesc_->isChecked() ? QStringLiteral("2") : QStringLiteral("1");
  ctx_.options.WriteOption(kSekcja, QStringLiteral("rb_Plik"), wartosc);
}

int TKomunikatOdbierzWiz::GetNextPage(int page) {
  switch (page) {
    case kWyborOdczytu:
      return rb_plik_->isChecked() ? kDane : rb_email_->isChecked() ? kKonto : kZapiszDoBazyDanych;
    case kDane:
      return QFileInfo::exists(be_sciezka_->text()) ? kZapiszDoBazyDanych : -1;
    case kKonto:
      return kZapiszDoBazyDanych;
    default:
      return -1;
  }
}

int TKomunikatOdbierzWiz::GetBackPage(int page) {
  // Once loaded, nothing can be taken back.
  return page == kZapiszDoBazyDanych ? -1 : host::TTabWizardBox::GetBackPage(page);
}

void TKomunikatOdbierzWiz::InitCurrentPage(int page) {
  if (page != kZapiszDoBazyDanych || wczytano_) return;
  wczytano_ = true;
  const LogFn log = [this](const QString& l) { AddToLog(l); };
  // Many answers take a while: the clerk sees how far it got and may stop between two of them.
  const host::WorkProgress postep(this, QStringLiteral("Wczytywanie komunikatów ..."), QStringLiteral("Przerwij"));
  odbior_.UstawPostep(postep.Step());
  if (rb_email_->isChecked()) {
    ctx_.options.WriteOption(kSekcja, QStringLiteral("be_Email"), be_email_->text().trimmed());
    odbior_.ZakladkaPoczta(be_email_->text().trimmed(), cb_tylko_nowe_->isChecked(), log);
  } else if (rb_puesc_->isChecked()) {
    odbior_.ReceiveWS(QDateTime(de_od_->date(), te_od_->time()), QDateTime(de_do_->date(), te_do_->time()), cb_przeczytane_->isChecked(),
                      log);
  } else {
    const QStringList pliki = pliki_.isEmpty() ? QStringList{be_sciezka_->text()} : pliki_;
    odbior_.WczytajPliki(pliki, log);
    if (auto* edit = findChild<QPlainTextEdit*>()) {
      const bool blad = edit->toPlainText().startsWith(QStringLiteral("Błąd"));
      edit->setStyleSheet(blad ? QStringLiteral("color: red;") : QStringLiteral("color: green;"));
    }
    lbl_zapis_->setText(lbl_zapis_->text() + QStringLiteral(" analiza zakończona"));
  }
  odbior_.UstawPostep({});
}

}  // namespace velmora::exchange
