// A new agency's first day, as the program runs it: the module loaded from its library, an
// empty embedded database, the demo data, the training platform started by the application.
// The clerk sends the demo declaration, closes the program before the release comes, starts it
// again and fetches the release. Only windows, menus, buttons and captions are used: the test
// knows the module through what a person sees of it.
#include "app/application.h"
#include "host/ui/frm_sql_win.h"
#include "host/ui/main_form.h"
#include "host/db/options.h"
#include "host/ui/tab_wizard_box.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMdiArea>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

void Zdjecie(QWidget* w, const char* nazwa) {
  const QString dir = QStringLiteral(VELMORA_ARTIFACT_DIR "/transit");
  QDir().mkpath(dir);
  w->grab().save(dir + S("/start_") + S(nazwa) + S(".png"));
}

// A port nobody listens on, and whether somebody listens on it now.
int WolnyPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(s);
  return ntohs(a.sin_port);
}
bool Slucha(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(s);
  return ok;
}
// Whether somebody listens on it within 15 s.
bool Zaslucha(int port) {
  QElapsedTimer t;
  t.start();
  while (!Slucha(port) && t.elapsed() < 15000) QThread::msleep(50);
  return Slucha(port);
}

QAction* ZMenu(host::TMainForm* form, const char* menu, const char* pozycja) {
  for (QAction* m : form->menuBar()->actions())
    if (m->menu() && m->text() == S(menu))
      for (QAction* a : m->menu()->actions())
        if (a->text() == S(pozycja)) return a;
  return nullptr;
}
// The action or option of a window with this caption.
template <typename T = QAction>
T* Akcja(QWidget* okno, const char* tekst) {
  for (T* a : okno->findChildren<T*>())
    if (a->text() == S(tekst)) return a;
  return nullptr;
}
// The texts of a list's rows as a clerk reads them.
QStringList Wiersze(host::TFrmSqlWin* lista) {
  QStringList out;
  QAbstractItemModel* m = lista->Grid()->model();
  for (int r = 0; r < m->rowCount(); ++r) {
    QStringList komorki;
    for (int c = 0; c < m->columnCount(); ++c) komorki << m->data(m->index(r, c)).toString().trimmed();
    out << komorki.join(QLatin1Char('|'));
  }
  return out;
}
// The window a menu command opened or brought forward.
host::TFrmSqlWin* Otworz(host::TMainForm* form, const char* pozycja) {
  QAction* a = ZMenu(form, "NCTS2", pozycja);
  if (!a) return nullptr;
  a->trigger();
  return form->Mdi()->activeSubWindow() ? qobject_cast<host::TFrmSqlWin*>(form->Mdi()->activeSubWindow()->widget()) : nullptr;
}
QString Pasek(host::TMainForm* form, const char* etykieta) {
  auto* l = form->findChild<QLabel*>(S(etykieta));
  return l ? l->text() : S("(brak %1)").arg(S(etykieta));
}
// Whether every child window lies wholly in the visible area.
bool WszystkieWidoczne(host::TMainForm* form) {
  const QRect obszar = form->Mdi()->viewport()->rect();
  for (QMdiSubWindow* s : form->Mdi()->subWindowList())
    if (!obszar.contains(s->geometry())) {
      ADD_FAILURE() << s->widget()->windowTitle().toStdString() << " lies outside the visible area";
      return false;
    }
  return true;
}
QMap<QString, QRect> Okna(host::TMainForm* form) {
  QMap<QString, QRect> out;
  for (QMdiSubWindow* s : form->Mdi()->subWindowList()) out.insert(s->widget()->windowTitle(), s->geometry());
  return out;
}

// Runs `krok` on the wizard that opens next.
void GdyOtworzy(std::function<void(host::TTabWizardBox*)> krok) {
  QTimer::singleShot(0, [krok] {
    auto* wiz = qobject_cast<host::TTabWizardBox*>(QApplication::activeModalWidget());
    ASSERT_NE(wiz, nullptr) << "no wizard opened";
    krok(wiz);
  });
}

// One start of the program, as main() does it with --user admin, on `root`.
struct Start {
  app::Application a;
  host::TMainForm* form = nullptr;
  explicit Start(const QString& root, int port) : a({{}, root, S("admin"), {}}) {
    QString error;
    if (!a.LoadModule(&error)) throw std::runtime_error(error.toStdString());
    a.OpenDatabase();
    seeded = a.SeedDemoIfEmpty();
    // This machine's training platform listens where the test says; the rest is the demo's.
    a.Database().Exec(S("update SLOWNIK_CELNY set WARTOSC = :W where SLOWNIK = 'WEBSERVICE_URL' and KOD = 'SZKOLENIE'"),
                      {{S("W"), S("http://127.0.0.1:%1/seap_wsChannel/DocumentHandlingPort").arg(port)}});
    if (!a.ChooseUser(nullptr, &error)) throw std::runtime_error(error.toStdString());
    platform = a.StartTrainingPlatform(&note);
    if (platform) Zaslucha(port);
    form = a.CreateMainForm();
    form->RestoreSession();
    QApplication::processEvents();
  }
  bool seeded = false;
  bool platform = false;
  QString note;  // what the platform's start found on its port
};

class FirstStart : public ::testing::Test {
 protected:
  void SetUp() override {
    // A message box nobody expects is a failure: it is named and closed, so the run goes on.
    QObject::connect(&straznik_, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "message box: " << box->text().toStdString();
        box->reject();
      }
    });
    straznik_.start(300);
    // The training platform sends the release with the next download by period.
    QDir().mkpath(root_.filePath(S("szkolenie")));
    QFile f(root_.filePath(S("szkolenie/scenariusz.json")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"ie029_after": "okres"})");
  }
  QTemporaryDir root_;
  QTimer straznik_;
  const int port_ = WolnyPort();
};

TEST_F(FirstStart, DemoTransitsAndTheTrainingPlatformThenARestartMidTransitKeepsEverything) {
  QString mrn;
  QStringList komunikaty_przed;
  QMap<QString, QRect> okna_przed;
  {
    Start start(root_.path(), port_);
    ASSERT_TRUE(start.seeded);
    ASSERT_TRUE(start.platform) << "the training platform was not started";
    ASSERT_TRUE(Slucha(port_)) << "the training platform does not listen";

    // The first start fills the screen and begins with the departures; the status bar says
    // who works, on which database, and that sends go to the training platform.
    EXPECT_TRUE(start.form->isMaximized());
    ASSERT_EQ(start.form->OpenWindows().size(), 1);
    auto* wywozy = qobject_cast<host::TFrmSqlWin*>(start.form->OpenWindows().first());
    ASSERT_NE(wywozy, nullptr);
    ASSERT_EQ(wywozy->Grid()->model()->rowCount(), 1);
    EXPECT_NE(Akcja(wywozy, "Wydruk"), nullptr);  // both lists print their register
    EXPECT_EQ(Pasek(start.form, "lblUzytkownik"), S("Użytkownik: ") + start.a.Context().user.UserInfo().GetNAZWA());
    EXPECT_EQ(Pasek(start.form, "lblBaza"), S("Baza: sqlite:") + QDir(root_.path()).filePath(S("velmora.db")));
    EXPECT_EQ(Pasek(start.form, "lblSrodowisko"), S("Środowisko: SZKOLENIOWE"));
    EXPECT_TRUE(start.form->findChild<QLabel*>(S("lblSrodowisko"))->styleSheet().contains(S("background")));
    EXPECT_TRUE(WszystkieWidoczne(start.form));
    EXPECT_EQ(wywozy->windowTitle(), S("Lista objęć tranzytów"));
    EXPECT_EQ(wywozy->Stored(0, S("TYP")).toString(), S("IE015"));
    Zdjecie(start.form, "01_pierwsze_uruchomienie");

    // One demo transit in each list.
    host::TFrmSqlWin* przywozy = Otworz(start.form, "Zakończenia (import)");
    ASSERT_NE(przywozy, nullptr);
    EXPECT_EQ(przywozy->Grid()->model()->rowCount(), 1);
    ASSERT_NE(Akcja(przywozy, "Odprawy"), nullptr);
    EXPECT_EQ(Akcja(przywozy, "Odprawy")->menu(), nullptr);  // the site switch is off
    przywozy->parentWidget()->setGeometry(60, 40, 760, 380);  // the clerk moves and sizes it
    EXPECT_EQ(Otworz(start.form, "Objęcia (eksport)"), wywozy);

    // The demo declaration, sent by the web service to the training platform, signed with the
    // demo's training certificate.
    GdyOtworzy([](host::TTabWizardBox* wiz) {
      QRadioButton* puesc = Akcja<QRadioButton>(wiz, "Wyślij plik do systemu PUESC");
      ASSERT_NE(puesc, nullptr);
      puesc->setChecked(true);
      wiz->Next();
      Zdjecie(wiz, "02_wysylka");
      const QString log = wiz->LogLines().join(QLatin1Char('|'));
      EXPECT_FALSE(log.contains(S("Błąd")) || log.contains(S("Nie podpisano"))) << log.toStdString();
      if (wiz->isVisible()) wiz->Cancel();
    });
    wywozy->Grid()->selectRow(0);
    Akcja(wywozy, "Wyślij ...")->trigger();
    Akcja(wywozy, "Odśwież")->trigger();
    const QString wiersz = Wiersze(wywozy).value(0);
    mrn = start.a.Database().QueryValue(S("select MRN from TRANZYTY where TYP = 'IE028'")).toString().trimmed();
    ASSERT_EQ(mrn.size(), 18) << wiersz.toStdString();
    EXPECT_TRUE(wiersz.contains(mrn)) << wiersz.toStdString();
    EXPECT_TRUE(wiersz.contains(S("IE028"))) << wiersz.toStdString();

    Akcja(wywozy, "Komunikaty")->trigger();
    auto* komunikaty = qobject_cast<host::TFrmSqlWin*>(start.form->OpenWindows().last());
    ASSERT_NE(komunikaty, nullptr);
    komunikaty_przed = Wiersze(komunikaty);
    EXPECT_GE(komunikaty_przed.size(), 3);  // the declaration, its acceptance, its MRN
    EXPECT_TRUE(WszystkieWidoczne(start.form));
    Zdjecie(start.form, "03_przed_zamknieciem");
    okna_przed = Okna(start.form);
    okna_przed.remove(komunikaty->windowTitle());  // it belongs to a transit: not reopened alone
    // A site switch set in the options takes effect at the next start.
    start.a.Context().options.WriteOption(S("PRZELACZNIKI"), S("PRATT"), S("1"), host::OptionScope::Application);
  }  // the program closes; its training platform with it

  ASSERT_FALSE(Slucha(port_)) << "the training platform outlived the program";
  {
    Start start(root_.path(), port_);
    EXPECT_FALSE(start.seeded) << "demo data added twice";
    ASSERT_TRUE(Slucha(port_));
    // The lists come back where the clerk left them.
    EXPECT_TRUE(start.form->isMaximized());
    EXPECT_EQ(Okna(start.form), okna_przed);
    host::TFrmSqlWin* przywozy = Otworz(start.form, "Zakończenia (import)");
    ASSERT_NE(przywozy, nullptr);
    EXPECT_NE(Akcja(przywozy, "Odprawy")->menu(), nullptr);  // the clearances' drop-down on the toolbar
    host::TFrmSqlWin* wywozy = Otworz(start.form, "Objęcia (eksport)");
    ASSERT_NE(wywozy, nullptr);
    ASSERT_EQ(wywozy->Grid()->model()->rowCount(), 1);
    EXPECT_TRUE(Wiersze(wywozy).value(0).contains(mrn));
    wywozy->Grid()->selectRow(0);
    Akcja(wywozy, "Komunikaty")->trigger();
    auto* komunikaty = qobject_cast<host::TFrmSqlWin*>(start.form->OpenWindows().last());
    ASSERT_NE(komunikaty, nullptr);
    EXPECT_EQ(Wiersze(komunikaty), komunikaty_przed);

    // The release waited on the platform while the program was closed.
    GdyOtworzy([](host::TTabWizardBox* wiz) {
      QRadioButton* puesc = Akcja<QRadioButton>(wiz, "Odczyt komunikaty z systemu PUESC");
      ASSERT_NE(puesc, nullptr);
      puesc->setChecked(true);
      wiz->Next();
      Zdjecie(wiz, "04_odbior_po_ponownym_uruchomieniu");
      wiz->Finish();
    });
    Akcja(komunikaty, "Odbierz ...")->trigger();
    EXPECT_EQ(start.a.Database().QueryValue(S("select TYP from TRANZYTY where MRN = :M"), {{S("M"), mrn}}).toString(), S("IE029"));
    Akcja(wywozy, "Odśwież")->trigger();
    EXPECT_TRUE(Wiersze(wywozy).value(0).contains(S("IE029"))) << Wiersze(wywozy).value(0).toStdString();
    Zdjecie(start.form, "05_po_ponownym_uruchomieniu");
  }
}

// A start finds the port taken: by the platform an earlier run of this root left behind, which
// it ends and replaces, or by another program, which it leaves alone and names.
TEST_F(FirstStart, APlatformLeftBehindIsReplacedAndAForeignPortHolderNamed) {
  // Running, not a zombie left for a parent that does not reap.
  auto zyje = [](qint64 pid) {
    QFile stat(S("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
  };
  const QString skrypt = QCoreApplication::applicationDirPath() + S("/../tools/puesc-sim/puesc_sim.py");
  qint64 pozostawiona = 0;
  ASSERT_TRUE(QProcess::startDetached(S("python3"), {skrypt, S("--port"), QString::number(port_), S("--config"),
                                                     root_.filePath(S("szkolenie/scenariusz.json")), S("--state"),
                                                     root_.filePath(S("szkolenie"))},
                                      {}, &pozostawiona));
  EXPECT_TRUE(Zaslucha(port_)) << "process " << pozostawiona << " does not listen";
  {
    Start start(root_.path(), port_);
    EXPECT_TRUE(start.platform);
    EXPECT_EQ(start.note.toStdString(),
              S("Zakończono platformę szkoleniową pozostawioną przez poprzednie uruchomienie (PID %1) na porcie %2.").arg(pozostawiona).arg(port_).toStdString());
    QElapsedTimer t;
    t.start();
    while (zyje(pozostawiona) && t.elapsed() < 5000) QThread::msleep(20);
    EXPECT_FALSE(zyje(pozostawiona));
    EXPECT_TRUE(Slucha(port_)) << "the new platform does not listen";
  }

  const int port = WolnyPort();
  const QStringList obcy = {S("-c"), S("import socket,time; s=socket.socket(); s.bind(('127.0.0.1',%1)); s.listen(); time.sleep(60)").arg(port)};
  qint64 obcy_pid = 0;
  const QString python = S("/usr/bin/python3");  // not a launcher that execs another
  ASSERT_TRUE(QProcess::startDetached(python, obcy, {}, &obcy_pid));
  EXPECT_TRUE(Zaslucha(port)) << "process " << obcy_pid << " does not listen";
  {
    Start start(root_.path(), port);
    EXPECT_FALSE(start.platform);
    EXPECT_EQ(start.note.toStdString(),
              S("Port %1 platformy szkoleniowej zajmuje inny program (PID %2: %3). Platforma szkoleniowa nie "
                "została uruchomiona: zakończ ten program albo zmień adres platformy szkoleniowej w słowniku celnym "
                "(WEBSERVICE_URL, SZKOLENIE).").arg(port).arg(obcy_pid).arg((QStringList{python} + obcy).join(QLatin1Char(' '))).toStdString());
    EXPECT_TRUE(zyje(obcy_pid));
  }
  if (obcy_pid > 0) ::kill(static_cast<pid_t>(obcy_pid), SIGKILL);
}

// Every command of every menu, hidden ones included, opens its window or says why not: no
// window class is missing. What opens is named and closed again.
TEST_F(FirstStart, EveryMenuCommandOpensItsWindow) {
  straznik_.stop();  // this test closes what opens itself
  Start start(root_.path(), port_);
  QStringList otwarte, komunikaty;
  QTimer zamykacz;
  QObject::connect(&zamykacz, &QTimer::timeout, [&] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      komunikaty << box->text();
      box->reject();
    } else if (auto* d = qobject_cast<QDialog*>(w)) {
      otwarte << QString::fromLatin1(w->metaObject()->className());
      d->reject();
    }
  });
  zamykacz.start(50);
  int polecen = 0;
  std::function<void(QMenu*)> przejdz = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu()) {
        przejdz(a->menu());
        continue;
      }
      if (a->isSeparator() || a->text() == QLatin1String("Zakończ")) continue;
      const qsizetype okien = start.form->OpenWindows().size();
      a->trigger();
      QApplication::processEvents();
      ++polecen;
      if (start.form->OpenWindows().size() > okien)
        otwarte << QString::fromLatin1(start.form->OpenWindows().last()->metaObject()->className());
      start.form->Mdi()->closeAllSubWindows();
      QApplication::processEvents();
    }
  };
  for (QAction* m : start.form->menuBar()->actions())
    if (m->menu()) przejdz(m->menu());
  zamykacz.stop();
  EXPECT_GE(polecen, 25);
  for (const QString& k : komunikaty) EXPECT_FALSE(k.contains(S("nie jest załadowany"))) << k.toStdString();
  const QString wszystkie = otwarte.join(QLatin1Char(' '));
  for (const char* okno : {"TTranzytyListaWin", "TRejestryWin", "TGwarancjeWin", "TAktualizujSlownikiBox", "TOpcjeWin", "TMailWin",
                           "TOdbierzDanezPlikuWiz", "TBackupBox"})
    EXPECT_TRUE(wszystkie.contains(S("::") + S(okno))) << okno << " did not open: " << wszystkie.toStdString();
  std::printf("Menu commands: %d, windows: %s\n", polecen, qPrintable(otwarte.join(QLatin1Char(' '))));
}

}  // namespace
}  // namespace velmora::testing
