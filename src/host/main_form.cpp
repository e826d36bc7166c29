#include "main_form.h"

#include "dialogs.h"
#include "email_accounts_win.h"
#include "email_client.h"
#include "host_context.h"
#include "options.h"
#include "options_win.h"
#include "users.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace velmora::host {

namespace {
const char* const kWindowClass = "velmora_window_class";
const char* const kWindowId = "velmora_window_id";
}  // namespace

TMainForm::TMainForm(HostContext& ctx) : ctx_(ctx), mdi_(new QMdiArea(this)) {
  ctx_.main_form = this;
  setObjectName(QStringLiteral("TMainForm"));
  setWindowTitle(QStringLiteral("Velmora — ") + ctx.user.UserInfo().GetNAZWA());
  mdi_->setViewMode(QMdiArea::SubWindowView);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  menuBar()->setObjectName(QStringLiteral("MainMenu"));
  statusBar()->showMessage(QStringLiteral("Użytkownik: %1").arg(ctx.user.UserInfo().GetNAZWA()));
  resize(1200, 800);
}

TMainForm::~TMainForm() {
  if (ctx_.main_form == this) ctx_.main_form = nullptr;
}

QList<QWidget*> TMainForm::OpenWindows() const {
  QList<QWidget*> out;
  for (QMdiSubWindow* s : mdi_->subWindowList()) out << s->widget();
  return out;
}

QWidget* TMainForm::OpenWindow(const QString& class_name, int window_id, bool flag1, bool flag2, quint16 option_set,
                               void* last) {
  for (QMdiSubWindow* s : mdi_->subWindowList()) {
    QWidget* w = s->widget();
    if (w && w->property(kWindowClass).toString() == class_name && w->property(kWindowId).toInt() == window_id) {
      if (s->isMinimized()) s->showNormal();
      mdi_->setActiveSubWindow(s);
      return w;
    }
  }
  if (!IsWindowClassRegistered(class_name)) {
    // A window of a package that is not loaded (another module of the host).
    ctx_.dialogs.Informacja(QStringLiteral("Okno %1 należy do modułu, który nie jest załadowany.").arg(class_name));
    return nullptr;
  }
  QWidget* w = CreateRegisteredWindow(class_name, ctx_, {window_id, flag1, flag2, option_set, last});
  if (!w) return nullptr;
  w->setProperty(kWindowClass, class_name);
  w->setProperty(kWindowId, window_id);
  w->setAttribute(Qt::WA_DeleteOnClose);
  QMdiSubWindow* sub = mdi_->addSubWindow(w);
  sub->resize(900, 520);
  sub->show();
  w->setFocus();
  return w;
}

QMenu* TMainForm::AddHostMenu(const QString& name, const QString& caption) {
  QMenu* menu = menuBar()->addMenu(caption);
  menu->setObjectName(name);
  merger_->AddPosition(name, menu);
  return menu;
}

QAction* TMainForm::AddHostItem(QMenu* menu, const QString& name, const QString& caption, const QString& window_class) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  merger_->AddPosition(name, a);
  if (!window_class.isEmpty())
    connect(a, &QAction::triggered, this, [this, window_class] { OpenWindow(window_class, 0, true, true, 2); });
  return a;
}

void TMainForm::BuildMenus() {
  menuBar()->clear();
  merger_ = std::make_unique<MenuMerger>(menuBar(), ctx_);

  QMenu* plik = AddHostMenu(QStringLiteral("blbPlik"), QStringLiteral("&Plik"));
  QAction* zakoncz = AddHostItem(plik, QStringLiteral("blbZakoncz"), QStringLiteral("Zakończ"), {});
  zakoncz->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  connect(zakoncz, &QAction::triggered, this, &QWidget::close);

  QMenu* kartoteki = AddHostMenu(QStringLiteral("blbKartoteki"), QStringLiteral("&Kartoteki"));
  AddHostItem(kartoteki, QStringLiteral("blbKontrahenci"), QStringLiteral("Kontrahenci"), QStringLiteral("TKontrahenciWin"));
  AddHostItem(kartoteki, QStringLiteral("blbUrzedyCelne"), QStringLiteral("Urzędy celne"), QStringLiteral("TUCWin"));
  AddHostItem(kartoteki, QStringLiteral("blbWaluty"), QStringLiteral("Waluty"), QStringLiteral("TWalutyWin"));
  AddHostItem(kartoteki, QStringLiteral("blbKursy"), QStringLiteral("Kursy walut"), QStringLiteral("TKursyWin"));
  AddHostItem(kartoteki, QStringLiteral("blbWpisyRejestru"), QStringLiteral("Rejestr uproszczony - wpisy"), QStringLiteral("TWpisyRejestruWin"));
  if (ctx_.user.UserInfo().isAdmin())
    AddHostItem(kartoteki, QStringLiteral("blbUzytkownicy"), QStringLiteral("Użytkownicy"), QStringLiteral("TUsersWin"));

  QMenu* narzedzia = AddHostMenu(QStringLiteral("blbNarzedzia"), QStringLiteral("&Narzędzia"));
  connect(AddHostItem(narzedzia, QStringLiteral("blbOpcje"), QStringLiteral("Opcje"), {}), &QAction::triggered, this, [this] {
    TOpcjeWin win(ctx_, this);
    win.exec();
  });
  // The host's mail reception: every new mail of the chosen account is stored and offered to
  // the packages' mail routines (the module loads the customs office's answers from it).
  connect(AddHostItem(narzedzia, QStringLiteral("blbOdbierzPoczte"), QStringLiteral("Odbierz pocztę"), {}), &QAction::triggered, this,
          [this] {
            const QString nadawca = ctx_.options.ReadOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("EMAIL"), QString(),
                                                            OptionScope::Application);
            const auto konto = WybierzKontoEmail(ctx_, nadawca.trimmed(), this);
            if (!konto) return;
            QString blad;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const int odebrane = ReceiveMail(ctx_.db, konto->Int(QStringLiteral("ID_EMAIL_SRV")), &blad);
            QApplication::restoreOverrideCursor();
            if (odebrane < 0) ctx_.dialogs.Blad(blad);
            else ctx_.dialogs.Informacja(QStringLiteral("Odebrano nowych wiadomości: %1").arg(odebrane));
          });
  connect(AddHostItem(narzedzia, QStringLiteral("blbSkrytkaOdbiorcza"), QStringLiteral("Skrytka odbiorcza"), {}), &QAction::triggered,
          this, [this] { OpenWindow(QStringLiteral("TMailWin"), 1103, true, true, 2); });
  connect(AddHostItem(narzedzia, QStringLiteral("blbSkrytkaNadawcza"), QStringLiteral("Skrytka nadawcza"), {}), &QAction::triggered,
          this, [this] { OpenWindow(QStringLiteral("TMailWin"), 1104, true, true, 2); });
  AddHostItem(narzedzia, QStringLiteral("blbOdbierzZPliku"), QStringLiteral("Odbierz wiadomość z pliku"),
              QStringLiteral("TOdbierzDanezPlikuWiz"));
  if (ctx_.user.UserInfo().isAdmin()) {
    AddHostItem(narzedzia, QStringLiteral("blbKontaEmail"), QStringLiteral("Konta e-mail"), QStringLiteral("TEmailSrvWin"));
    AddHostItem(narzedzia, QStringLiteral("blbZrzutBazy"), QStringLiteral("Zrzut bazy danych"), QStringLiteral("TBackupBox"));
  }

  QMenu* okno = AddHostMenu(QStringLiteral("blbOkno"), QStringLiteral("&Okno"));
  connect(okno->addAction(QStringLiteral("Kaskada")), &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
  connect(okno->addAction(QStringLiteral("Sąsiadująco")), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
  connect(okno->addAction(QStringLiteral("Zamknij wszystkie")), &QAction::triggered, mdi_, &QMdiArea::closeAllSubWindows);
  merger_->SetPackageMenusBefore(okno);

  creators_ = CreateMenuCreators(*merger_);
  for (TCustomMenuCreator* c : creators_) c->UpdateActionVisible();
}

}  // namespace velmora::host
