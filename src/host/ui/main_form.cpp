#include "host/ui/main_form.h"

#include "host/base/dialogs.h"
#include "host/ui/email_accounts_win.h"
#include "host/mail/email_client.h"
#include "host/base/host_context.h"
#include "host/db/db.h"
#include "host/db/options.h"
#include "host/ui/options_win.h"
#include "host/db/srodowisko.h"
#include "host/db/users.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>

namespace velmora::host {

namespace {
const char* const kWindowClass = "velmora_window_class";
const char* const kWindowId = "velmora_window_id";
const char* const kWindowArgs = "velmora_window_args";  // what reopens it: flags and option set

const QString kSesja = QStringLiteral("TMainForm");

// A server's address without a password; a file as it is.
QString NazwaBazy(const Db& db) {
  const QUrl url(db.Url());
  return url.scheme().startsWith(QLatin1String("postgres")) ? url.toDisplayString(QUrl::RemovePassword) : db.Url();
}
}  // namespace

TMainForm::TMainForm(HostContext& ctx) : ctx_(ctx), mdi_(new QMdiArea(this)) {
  ctx_.main_form = this;
  setObjectName(QStringLiteral("TMainForm"));
  setWindowTitle(QStringLiteral("Velmora — ") + ctx.user.UserInfo().GetNAZWA());
  mdi_->setViewMode(QMdiArea::SubWindowView);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  menuBar()->setObjectName(QStringLiteral("MainMenu"));
  lbl_uzytkownik_ = new QLabel(this);
  lbl_uzytkownik_->setObjectName(QStringLiteral("lblUzytkownik"));
  lbl_baza_ = new QLabel(this);
  lbl_baza_->setObjectName(QStringLiteral("lblBaza"));
  lbl_srodowisko_ = new QLabel(this);
  lbl_srodowisko_->setObjectName(QStringLiteral("lblSrodowisko"));
  lbl_srodowisko_->setMargin(2);
  statusBar()->addWidget(lbl_uzytkownik_);
  statusBar()->addWidget(lbl_baza_, 1);
  statusBar()->addPermanentWidget(lbl_srodowisko_);
  UpdateStatusBar();
  mdi_->viewport()->installEventFilter(this);
  resize(1200, 800);
}

void TMainForm::UpdateStatusBar() {
  lbl_uzytkownik_->setText(QStringLiteral("Użytkownik: %1").arg(ctx_.user.UserInfo().GetNAZWA()));
  lbl_baza_->setText(QStringLiteral("Baza: %1").arg(NazwaBazy(ctx_.db)));
  const Srodowisko s = CzytajSrodowisko(ctx_.options);
  lbl_srodowisko_->setText(NazwaSrodowiska(s));
  // Training stands out so nobody takes it for the real office; no environment is an error.
  lbl_srodowisko_->setStyleSheet(s == Srodowisko::Szkoleniowe ? QStringLiteral("background:#ffb000; color:black; font-weight:bold")
                                 : s == Srodowisko::Produkcyjne ? QStringLiteral("font-weight:bold")
                                                                : QStringLiteral("background:#c00000; color:white; font-weight:bold"));
}

void TMainForm::FitInside(QMdiSubWindow* sub) const {
  const QRect area = mdi_->viewport()->rect();
  if (area.width() < 50 || area.height() < 50) return;  // not laid out yet
  QRect r = sub->geometry();
  r.setSize(r.size().boundedTo(area.size()));
  r.moveLeft(std::clamp(r.left(), 0, area.width() - r.width()));
  r.moveTop(std::clamp(r.top(), 0, area.height() - r.height()));
  if (r != sub->geometry()) sub->setGeometry(r);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // Every child window, whoever opens it, is kept inside the visible area when it shows.
  if (watched == mdi_->viewport() && event->type() == QEvent::ChildAdded) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child())) sub->installEventFilter(this);
  } else if (watched == mdi_->viewport() && event->type() == QEvent::Resize) {
    // A window opened before the main window took its final size is brought inside it then.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
      if (!sub->isMaximized() && !sub->isMinimized()) FitInside(sub);
  } else if (event->type() == QEvent::Show) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(watched)) FitInside(sub);
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::RestoreSession() {
  const QString okna = ctx_.options.ReadOption(kSesja, QStringLiteral("OKNA"), QString(), OptionScope::User);
  if (okna.isEmpty()) {
    showMaximized();
    QApplication::processEvents();
    for (TCustomMenuCreator* c : creators_)
      if (QAction* a = c->StartAction()) {
        a->trigger();
        break;
      }
    return;
  }
  restoreGeometry(QByteArray::fromBase64(ctx_.options.ReadOption(kSesja, QStringLiteral("OKNO"), QString(), OptionScope::User).toLatin1()));
  show();
  QApplication::processEvents();
  for (const QJsonValue& v : QJsonDocument::fromJson(okna.toUtf8()).array()) {
    const QJsonObject o = v.toObject();
    const QString klasa = o.value(QLatin1String("klasa")).toString();
    // A window of a package no longer loaded is left out, without a message at start-up.
    if (!IsWindowClassRegistered(klasa)) continue;
    QWidget* w = OpenWindow(klasa, o.value(QLatin1String("id")).toInt(), o.value(QLatin1String("f1")).toBool(true),
                            o.value(QLatin1String("f2")).toBool(true), static_cast<quint16>(o.value(QLatin1String("opcje")).toInt()));
    auto* sub = w ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr;
    if (!sub) continue;
    const QString stan = o.value(QLatin1String("stan")).toString();
    sub->setGeometry(o.value(QLatin1String("x")).toInt(), o.value(QLatin1String("y")).toInt(), o.value(QLatin1String("w")).toInt(900),
                     o.value(QLatin1String("h")).toInt(520));
    FitInside(sub);
    if (stan == QLatin1String("max")) sub->showMaximized();
    else if (stan == QLatin1String("min")) sub->showMinimized();
  }
}

void TMainForm::SaveSession() {
  QJsonArray okna;
  for (QMdiSubWindow* s : mdi_->subWindowList(QMdiArea::StackingOrder)) {
    QWidget* w = s->widget();
    // Windows opened for a row of another window (a transit's messages) cannot be reopened alone.
    if (!w || !w->property(kWindowArgs).isValid()) continue;
    const QVariantList args = w->property(kWindowArgs).toList();
    const QRect g = s->isMaximized() || s->isMinimized() ? s->normalGeometry() : s->geometry();
    okna.append(QJsonObject{{QStringLiteral("klasa"), w->property(kWindowClass).toString()},
                            {QStringLiteral("id"), w->property(kWindowId).toInt()},
                            {QStringLiteral("f1"), args.value(0).toBool()},
                            {QStringLiteral("f2"), args.value(1).toBool()},
                            {QStringLiteral("opcje"), args.value(2).toInt()},
                            {QStringLiteral("x"), g.x()},
                            {QStringLiteral("y"), g.y()},
                            {QStringLiteral("w"), g.width()},
                            {QStringLiteral("h"), g.height()},
                            {QStringLiteral("stan"), s->isMaximized()   ? QStringLiteral("max")
                                                     : s->isMinimized() ? QStringLiteral("min")
                                                                        : QString()}});
  }
  ctx_.options.WriteOption(kSesja, QStringLiteral("OKNO"), QString::fromLatin1(saveGeometry().toBase64()), OptionScope::User);
  ctx_.options.WriteOption(kSesja, QStringLiteral("OKNA"), QString::fromUtf8(QJsonDocument(okna).toJson(QJsonDocument::Compact)),
                           OptionScope::User);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  SaveSession();
  QMainWindow::closeEvent(event);
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
  if (!last) w->setProperty(kWindowArgs, QVariantList{flag1, flag2, option_set});
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
    UpdateStatusBar();
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
