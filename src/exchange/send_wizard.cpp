#include "send_wizard.h"

#include "host/base/dialogs.h"
#include "host/ui/email_accounts_win.h"
#include "host/base/host_context.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::exchange {

TWyslijKomunikatWiz::TWyslijKomunikatWiz(host::HostContext& ctx, qint64 id, QWidget* parent)
    : host::TTabWizardBox(parent), ctx_(ctx), id_(id) {
  setWindowTitle(QStringLiteral("Wysłanie komunikatu"));
  auto* zapis = new QWidget(this);
  auto* layout = new QVBoxLayout(zapis);
  const char* captions[] = {nullptr, "Zapisz komunikat do pliku XML", "Wyślij email do urzędu z programu NCTS2",
                            "Wyślij email do urzędu z programu pocztowego", "Wyślij plik do systemu PUESC"};
  const char* names[] = {nullptr, "rb_ZapiszPlik", "rb_Email_NCTS", "rb_Email_Poczta", "rb_ECIP_SEAP"};
  for (int k = kKanalPlik; k <= kKanalPuesc; ++k) {
    rb_[k] = new QRadioButton(QString::fromUtf8(captions[k]), zapis);
    rb_[k]->setObjectName(QString::fromLatin1(names[k]));
    layout->addWidget(rb_[k]);
    connect(rb_[k], &QRadioButton::toggled, this, [this](bool on) {
      if (on) PokazPole();
    });
  }
  lbl_sciezka_ = new QLabel(QStringLiteral("Ścieżka i plik:"), zapis);
  lbl_sciezka_->setObjectName(QStringLiteral("lblSciezka"));
  be_sciezka_ = new QLineEdit(zapis);
  be_sciezka_->setObjectName(QStringLiteral("beSciezka"));
  bt_sciezka_ = new QToolButton(zapis);
  bt_sciezka_->setText(QStringLiteral("..."));
  connect(bt_sciezka_, &QToolButton::clicked, this, &TWyslijKomunikatWiz::WybierzSciezke);
  lbl_sciezka_->setBuddy(be_sciezka_);
  layout->addWidget(lbl_sciezka_);
  auto* row = new QHBoxLayout;
  row->addWidget(be_sciezka_);
  row->addWidget(bt_sciezka_);
  layout->addLayout(row);
  layout->addStretch();
  AddPage(zapis, QStringLiteral("Wybierz sposób wysyłki komunikatu do systemu NCTS2"));

  auto* wysylka = new QWidget(this);
  auto* wl = new QVBoxLayout(wysylka);
  wl->addWidget(CreateLog(wysylka));
  AddPage(wysylka, QStringLiteral("Wysyłanie komunikatu"));
}

TWyslijKomunikatWiz::~TWyslijKomunikatWiz() = default;

bool TWyslijKomunikatWiz::Wyslij(host::HostContext& ctx, qint64 id, QWidget* parent) {
  const QString odmowa = SprawdzWysylke(ctx, id);
  if (!odmowa.isEmpty()) {
    ctx.dialogs.Blad(odmowa);
    return false;
  }
  TWyslijKomunikatWiz wiz(ctx, id, parent);
  return wiz.ShowBox() == 1;
}

QRadioButton* TWyslijKomunikatWiz::Kanal(int kanal) const { return kanal >= kKanalPlik && kanal <= kKanalPuesc ? rb_[kanal] : nullptr; }

int TWyslijKomunikatWiz::WybranyKanal() const {
  for (int k = kKanalPlik; k <= kKanalPuesc; ++k)
    if (rb_[k]->isChecked()) return k;
  return 0;
}

void TWyslijKomunikatWiz::Load() {
  wysylka_ = std::make_unique<WysylkaKomunikatu>(ctx_, id_);
  for (int k = kKanalPlik; k <= kKanalPuesc; ++k) rb_[k]->setEnabled(wysylka_->KanalDostepny(k));
  plik_ = wysylka_->SciezkaDomyslna();
  konto_ = wysylka_->KontoNadawcy();
  if (const int k = wysylka_->KanalPoczatkowy()) rb_[k]->setChecked(true);
  PokazPole();
}

void TWyslijKomunikatWiz::PokazPole() {
  const int k = WybranyKanal();
  const bool widoczne = k == kKanalPlik || k == kKanalEmailNcts;
  lbl_sciezka_->setVisible(widoczne);
  be_sciezka_->setVisible(widoczne);
  bt_sciezka_->setVisible(widoczne);
  if (k == kKanalPlik) {
    lbl_sciezka_->setText(QStringLiteral("Ścieżka i nazwa pliku pod jaką ma zostąc zapisany komunikat"));
    be_sciezka_->setText(plik_);
  } else if (k == kKanalEmailNcts) {
    lbl_sciezka_->setText(QStringLiteral("Wybrane konto email do wysyłki komunikatu"));
    be_sciezka_->setText(konto_);
  }
}

void TWyslijKomunikatWiz::WybierzSciezke() {
  if (WybranyKanal() == kKanalEmailNcts) {
    if (const auto konto = host::WybierzKontoEmail(ctx_, be_sciezka_->text().trimmed(), this))
      be_sciezka_->setText(konto_ = konto->Str(QStringLiteral("EMAIL")).trimmed());
    return;
  }
  if (WybranyKanal() != kKanalPlik) return;
  const QString wybrany = QFileDialog::getSaveFileName(this, QString(), be_sciezka_->text(), QStringLiteral("XML (*.xml)"));
  if (!wybrany.isEmpty()) be_sciezka_->setText(plik_ = wybrany);
}

int TWyslijKomunikatWiz::GetNextPage(int page) {
  if (page != 0) return -1;
  const int k = WybranyKanal();
  if (k == 0) return -1;
  const QString odmowa = wysylka_->SprawdzPole(k, be_sciezka_->text());
  if (!odmowa.isEmpty()) {
    ctx_.dialogs.Blad(odmowa);
    return -1;
  }
  return wysylka_->PotwierdzPlatforme(k) ? 1 : -1;
}

// The sending runs once; there is no way back to change the road.
int TWyslijKomunikatWiz::GetBackPage(int) { return -1; }

void TWyslijKomunikatWiz::InitCurrentPage(int page) {
  if (page != 1 || wyslano_) return;
  wyslano_ = true;
  const int k = WybranyKanal();
  if (k == kKanalPuesc) be_sciezka_->setText(wysylka_->SciezkaPliku(k, QString()));
  // The office's answers to an upload may be many: the clerk sees how far it got and may stop.
  const host::WorkProgress postep(this, QStringLiteral("Wczytywanie komunikatów ..."), QStringLiteral("Przerwij"));
  wysylka_->UstawPostep(postep.Step());
  const bool akceptuj = wysylka_->Wyslij(k, be_sciezka_->text(), [this](const QString& l) { AddToLog(l); });
  wysylka_->UstawPostep({});
  if (akceptuj) Finish();
}

}  // namespace velmora::exchange
