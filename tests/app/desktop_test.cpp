#include "frame/ncts2_menu_creator.h"
#include "module/registrations.h"
#include "host/ui/edit_box.h"
#include "host/mail/email_accounts.h"
#include "host/ui/email_accounts_win.h"
#include "host/mail/email_routines.h"
#include "host/ui/frm_sql_win.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/main_form.h"
#include "host/db/options_catalogue.h"
#include "host/ui/options_win.h"
#include "host/ui/srodowisko_box.h"
#include "support/test_host.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSqlRecord>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlQueryModel>
#include <QMenu>
#include <QMenuBar>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <QTableView>
#include <QPainter>
#include <QTimer>

namespace velmora::testing {
namespace {

// A main window over a test host with the module loaded.
class Desktop : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    host::RegisterHostWindows();
    ctx_ = std::make_unique<host::HostContext>(host_->Context(QDir::tempPath()));
    form_ = std::make_unique<host::TMainForm>(*ctx_);
    form_->BuildMenus();
  }
  QAction* Find(const char* name) { return form_->findChild<QAction*>(QString::fromLatin1(name)); }
  QMenu* Menu(const char* name) { return form_->findChild<QMenu*>(QString::fromLatin1(name)); }

  // Runs `fill` on the modal editor as soon as it shows; an editor that never showed fails the
  // test at its end, so the checks inside `fill` cannot pass by not running.
  void WhenEditorShows(std::function<void(host::TRecordEditBox*)> fill) {
    ++waiting_;
    QTimer::singleShot(0, [this, fill] {
      --waiting_;
      auto* box = qobject_cast<host::TRecordEditBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      fill(box);
    });
  }
  void TearDown() override {
    QApplication::processEvents();
    EXPECT_EQ(waiting_, 0) << "an editor the test waited for never showed";
  }

  int waiting_ = 0;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
  std::unique_ptr<host::TMainForm> form_;
};

TEST_P(Desktop, MenusFollowTheModuleTable) {
  struct Item {
    const char* name;
    const char* caption;
    bool visible;
    int tag;
  };
  const Item items[] = {{"miWywoz_Eksport2", "Objęcia (eksport)", true, 0},
                        {"miPrzywoz_Import2", "Zakończenia (import)", true, 0},
                        {"miGwarancje2", "Nowe gwarancje", true, 0},
                        {"miOdbierzWiadomosc", "Odbierz wiadomość", false, 1},
                        {"miSkrytkaNadawcza", "Skrytka nadawcza", false, 1},
                        {"miSkrytkaOdbiorcza", "Skrytka odbiorcza", false, 1},
                        {"miZmianaRejestru", "Zmiana rejestru", false, 1},
                        {"erminowo1", "Terminowość", true, 0},
                        {"Rozliczeniesaldagwarancji1", "Saldo gwarancji", true, 0},
                        {"Opisywjrosyjskim1", "Opisy w j.rosyjskim", true, 0},
                        {"Aktualizacjasownikw1", "Aktualizacja słowników", true, 0}};
  for (const Item& i : items) {
    QAction* a = Find(i.name);
    ASSERT_NE(a, nullptr) << i.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(i.caption));
    EXPECT_EQ(a->isVisible(), i.visible) << i.name;
    EXPECT_EQ(a->property("tag").toInt(), i.tag) << i.name;
  }
  EXPECT_FALSE(Find("miWywoz_Eksport2")->icon().isNull());
  EXPECT_FALSE(Menu("Rne1")->menuAction()->isVisible());

  // Top-level order: the host's menus, then the module's, then the host's "Okno".
  QStringList bar;
  for (QAction* a : form_->menuBar()->actions()) bar << a->text().remove(QLatin1Char('&'));
  EXPECT_EQ(bar, (QStringList{"Plik", "Kartoteki", "Narzędzia", "NCTS2", "Stałe dane", "Okno"}));

  // "Rejestry" stands beside the host's contractors entry, not in "Stałe dane".
  const QList<QAction*> kartoteki = Menu("blbKartoteki")->actions();
  const qsizetype at = kartoteki.indexOf(Find("blbKontrahenci"));
  ASSERT_GE(at, 0);
  EXPECT_EQ(kartoteki.value(at + 1), Find("miRejestry"));
  EXPECT_FALSE(Menu("bsiStaleDane")->actions().contains(Find("miRejestry")));
}

TEST_P(Desktop, MenuCommandsOpenOrExplain) {
  form_->OpenWindow(QStringLiteral("TInnyModulWin"), 0, true, true, 2);  // a module that is not loaded
  ASSERT_EQ(host_->dialogs.Texts().size(), 1);
  EXPECT_EQ(host_->dialogs.Texts()[0], QStringLiteral("Okno TInnyModulWin należy do modułu, który nie jest załadowany."));
  EXPECT_TRUE(form_->OpenWindows().isEmpty());
  Find("miWywoz_Eksport2")->trigger();
  ASSERT_EQ(form_->OpenWindows().size(), 1);
  EXPECT_EQ(form_->OpenWindows()[0]->windowTitle(), QStringLiteral("Lista objęć tranzytów"));
  form_->Mdi()->closeAllSubWindows();

  Find("miZrzutBazy")->trigger();  // not a service user
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Funkcja techniczna dostępna TYLKO dla administratora !"));
  EXPECT_FALSE(frame::WyborRejestru(true));

  QWidget* first = form_->OpenWindow(QStringLiteral("TKontrahenciWin"), 0, true, true, 2);
  ASSERT_NE(first, nullptr);
  form_->OpenWindow(QStringLiteral("TUCWin"), 0, true, true, 2);
  EXPECT_EQ(form_->OpenWindow(QStringLiteral("TKontrahenciWin"), 0, true, true, 2), first);
  EXPECT_EQ(form_->Mdi()->subWindowList().size(), 2);
  EXPECT_EQ(form_->Mdi()->activeSubWindow()->widget(), first);
}

TEST_P(Desktop, ListWindowAddsEditsAndDeletesRows) {
  auto* win = static_cast<host::THostTableWin*>(form_->OpenWindow(QStringLiteral("TKontrahenciWin"), 0, true, true, 2));
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->Model()->rowCount(), 0);

  // A required field left empty keeps the editor open with its message.
  WhenEditorShows([this](host::TRecordEditBox* box) {
    box->actOkExecute();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Pole \"Nazwa\" musi być wypełnione"));
    qobject_cast<QLineEdit*>(box->FieldWidget(QStringLiteral("Nazwa")))->setText(QStringLiteral("Łódzka Spedycja"));
    qobject_cast<QLineEdit*>(box->FieldWidget(QStringLiteral("NIP")))->setText(QStringLiteral("7250000000"));
    if (box->actOkExecute()) box->accept();
  });
  win->NewRecord();
  ASSERT_EQ(win->Model()->rowCount(), 1);
  const qint64 id = win->CurrentKey();
  EXPECT_GT(id, 0);
  EXPECT_EQ(win->GetBoxQuery()->Str(QStringLiteral("Nazwa")), QStringLiteral("Łódzka Spedycja"));

  WhenEditorShows([](host::TRecordEditBox* box) {
    auto* name = qobject_cast<QLineEdit*>(box->FieldWidget(QStringLiteral("Nazwa")));
    EXPECT_EQ(name->text(), QStringLiteral("Łódzka Spedycja"));
    name->setText(QStringLiteral("Łódzka Spedycja S.A."));
    if (box->actOkExecute()) box->accept();
  });
  win->EditRecord();
  EXPECT_EQ(win->CurrentKey(), id);
  const auto row = host_->db().QueryOne(QStringLiteral("select Nazwa, MODIFY_USER_NAME, CREATE_USER_NAME from KONTRAHENCI"));
  EXPECT_EQ(row->Str(QStringLiteral("Nazwa")), QStringLiteral("Łódzka Spedycja S.A."));
  EXPECT_EQ(row->Str(QStringLiteral("MODIFY_USER_NAME")), QStringLiteral("Jan Kowalski"));

  win->DeleteRecord();  // the question is answered "no" by default
  EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("KONTRAHENCI")), 1);
  host_->dialogs.Answer(host::kIdYes);
  win->DeleteRecord();
  EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("KONTRAHENCI")), 0);
  EXPECT_EQ(win->Model()->rowCount(), 0);
}

// What the mail accounts window stores is what the mail services read; an address they would
// refuse is refused in their words and nothing is stored; the password is typed unseen.
TEST_P(Desktop, MailAccountsWindowStoresWhatTheMailServicesRead) {
  auto* win = static_cast<host::THostTableWin*>(form_->OpenWindow(QStringLiteral("TEmailSrvWin"), 0, true, true, 2));
  ASSERT_NE(win, nullptr);
  WhenEditorShows([this](host::TRecordEditBox* box) {
    auto pole = [box](const char* c) { return qobject_cast<QLineEdit*>(box->FieldWidget(QString::fromLatin1(c))); };
    auto szyfrowanie = [box](const char* c) { return qobject_cast<QComboBox*>(box->FieldWidget(QString::fromLatin1(c))); };
    EXPECT_EQ(szyfrowanie("SMTP_TLS")->currentText(), QStringLiteral("STARTTLS"));
    EXPECT_EQ(szyfrowanie("IN_TLS")->currentText(), QStringLiteral("TLS"));
    pole("EMAIL")->setText(QStringLiteral("agencja@spedycja.pl"));
    pole("SMTP_HOST")->setText(QStringLiteral("smtp.spedycja.pl"));
    szyfrowanie("SMTP_TLS")->setCurrentIndex(0);
    EXPECT_FALSE(box->actOkExecute());
    EXPECT_EQ(host_->dialogs.Texts().last(),
              QStringLiteral("Konto pocztowe „agencja@spedycja.pl”: połączenie z serwerem SMTP smtp.spedycja.pl nie jest "
                             "szyfrowane - hasło i wiadomości szłyby otwartym tekstem. Wybierz szyfrowanie STARTTLS albo TLS."));
    pole("EMAIL")->setText(QStringLiteral("agencja.celna@"));
    EXPECT_FALSE(box->actOkExecute());
    EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Nieprawidłowy adres e-mail konta pocztowego: „agencja.celna@”."));
    pole("EMAIL")->setText(QStringLiteral("agencja@localhost"));
    pole("SMTP_HOST")->setText(QStringLiteral("127.0.0.1"));
    qobject_cast<QSpinBox*>(box->FieldWidget(QStringLiteral("SMTP_PORT")))->setValue(2525);
    szyfrowanie("SMTP_TLS")->setCurrentIndex(1);
    pole("IN_PROTOKOL")->setText(QStringLiteral("pop3"));
    pole("IN_HOST")->setText(QStringLiteral("127.0.0.1"));
    pole("UZYTKOWNIK")->setText(QStringLiteral("agencja"));
    EXPECT_EQ(pole("HASLO")->echoMode(), QLineEdit::Password);
    pole("HASLO")->setText(QStringLiteral(" tajne "));
    if (box->actOkExecute()) box->accept();
  });
  win->NewRecord();
  ASSERT_EQ(win->Model()->rowCount(), 1);
  QString error;
  const auto konto = host::LoadMailServer(host_->db(), static_cast<int>(win->CurrentKey()), &error);
  ASSERT_TRUE(konto) << error.toStdString();
  EXPECT_EQ(konto->email, QStringLiteral("agencja@localhost"));
  EXPECT_EQ(konto->smtp_port, 2525);
  EXPECT_EQ(konto->smtp_tls, host::MailTls::StartTls);
  EXPECT_EQ(konto->in_protocol, QStringLiteral("POP3"));
  EXPECT_EQ(konto->password, QStringLiteral(" tajne "));
  EXPECT_EQ(konto->folder, QStringLiteral("INBOX"));
}

// The mailboxes show the received and the sent mails apart, newest first, and only read them.
TEST_P(Desktop, MailboxesShowReceivedAndSentMailsReadOnly) {
  host::MailMessage m;
  m.from = QStringLiteral("uc@celna.example");
  m.to = QStringLiteral("agencja@localhost");
  m.subject = QStringLiteral("IE028 Nadanie MRN");
  m.body = QStringLiteral("W załączeniu komunikat.");
  m.date = QDateTime(QDate(2024, 3, 5), QTime(10, 20));
  host::Receive_Save(host_->db(), 1, m, host::kMailProcessed);
  m.subject = QStringLiteral("IE015 Zgłoszenie");
  host::Sent_Save(host_->db(), 1, m);

  auto* odebrane = qobject_cast<host::TMailWin*>(form_->OpenWindow(QStringLiteral("TMailWin"), 1103, true, true, 2));
  ASSERT_NE(odebrane, nullptr);
  ASSERT_EQ(odebrane->Model()->rowCount(), 1);
  EXPECT_EQ(odebrane->windowTitle(), QStringLiteral("Skrytka odbiorcza"));
  const QSqlRecord r = odebrane->Model()->record(0);
  EXPECT_EQ(r.value(QStringLiteral("TEMAT")).toString(), QStringLiteral("IE028 Nadanie MRN"));
  EXPECT_EQ(odebrane->Model()->data(odebrane->Model()->index(0, r.indexOf(QStringLiteral("STAN")))).toString(), QStringLiteral("przetworzona"));
  EXPECT_FALSE(odebrane->actNowy->isEnabled());
  EXPECT_FALSE(odebrane->actUsun->isEnabled());
  WhenEditorShows([](host::TRecordEditBox* box) {
    EXPECT_TRUE(box->ViewMode());
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(box->FieldWidget(QStringLiteral("TRESC")))->toPlainText(), QStringLiteral("W załączeniu komunikat."));
    box->reject();
  });
  odebrane->EditRecord();
  auto* wyslane = qobject_cast<host::TMailWin*>(form_->OpenWindow(QStringLiteral("TMailWin"), 1104, true, true, 2));
  ASSERT_NE(wyslane, nullptr);
  ASSERT_EQ(wyslane->Model()->rowCount(), 1);
  EXPECT_EQ(wyslane->Model()->record(0).value(QStringLiteral("TEMAT")).toString(), QStringLiteral("IE015 Zgłoszenie"));
}

// The simplified register's entries are shown as the release numbered them, and only read.
TEST_P(Desktop, RegisterEntriesAreShownReadOnly) {
  host_->db().Exec(QStringLiteral("insert into IM (ID_IM, NrWpisu, DataWpisu, LpRej, NRNCTS, MASA_BRUTTO) values "
                                  "(1, 7, :D, 'PL/UP/7/2024', '24PL322010NS0001A7', 12.5)"),
                   {{QStringLiteral("D"), QDate(2024, 3, 5)}});
  auto* win = qobject_cast<host::THostTableWin*>(form_->OpenWindow(QStringLiteral("TWpisyRejestruWin"), 0, true, true, 2));
  ASSERT_NE(win, nullptr);
  ASSERT_EQ(win->Model()->rowCount(), 1);
  EXPECT_EQ(win->Model()->record(0).value(QStringLiteral("NRNCTS")).toString(), QStringLiteral("24PL322010NS0001A7"));
  EXPECT_FALSE(win->actNowy->isEnabled());
  win->NewRecord();  // Insert does nothing here
  win->DeleteRecord();
  EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("IM")), 1);
  WhenEditorShows([](host::TRecordEditBox* box) {
    EXPECT_TRUE(box->ViewMode());
    box->reject();
  });
  win->EditRecord();
}

VELMORA_ON_BOTH_ENGINES(Desktop);

TEST(DesktopModule, LoadingTwiceRegistersOnce) {
  module::Initialize();
  const QStringList creators = host::RegisteredMenuCreators();
  const QStringList mail = host::RegisteredEmailRoutines();
  module::Initialize();
  EXPECT_EQ(host::RegisteredMenuCreators(), creators);
  EXPECT_EQ(host::RegisteredEmailRoutines(), mail);
  EXPECT_EQ(creators.count(QStringLiteral("TNCTS2_MenuCreator")), 1);
  EXPECT_TRUE(mail.contains(QStringLiteral("Filtr odpowiedzi UC na komunikat IE15")));
  EXPECT_TRUE(mail.contains(QStringLiteral("Przetwarzanie odpowiedzi UC (komunikaty NCTS: IExxx/PWKx)")));
  module::Finalize();
}

// The main window with the NCTS2 menu open, kept as a picture for people to look at.
TEST(DesktopScreenshot, MainWindowWithTheNctsMenuOpen) {
  TestHost host(TestEngine::Sqlite);
  host::RegisterHostWindows();
  host::HostContext ctx = host.Context(QDir::tempPath());
  host::TMainForm form(ctx);
  form.BuildMenus();
  form.resize(900, 560);
  form.show();
  form.OpenWindow(QStringLiteral("TKontrahenciWin"), 0, true, true, 2);
  QApplication::processEvents();
  QMenu* menu = form.findChild<QMenu*>(QStringLiteral("bsiNCTS2"));
  ASSERT_NE(menu, nullptr);
  QPixmap shot = form.grab();
  {
    // The open menu is a window of its own: paint it where it would drop down.
    QPainter p(&shot);
    const QRect bar = form.menuBar()->actionGeometry(menu->menuAction());
    menu->ensurePolished();
    menu->resize(menu->sizeHint());
    p.drawPixmap(form.menuBar()->mapTo(&form, bar.bottomLeft()), menu->grab());
  }
  const QString dir = QStringLiteral(VELMORA_ARTIFACT_DIR);
  QDir().mkpath(dir);
  const QString path = dir + QStringLiteral("/main_window_ncts2.png");
  ASSERT_TRUE(shot.save(path));
  EXPECT_GT(QFileInfo(path).size(), 5000);
}

// The way to production is its checklist: the demo's values keep it shut, the agency's open it,
// and the status bar says where sends go.
TEST(DesktopScreenshot, ProductionIsReachedThroughItsChecklist) {
  TestHost host(TestEngine::Sqlite);
  QTemporaryDir root;
  host::HostContext ctx = host.Context(root.path());
  const auto opcja = [&host](const char* klucz, const QString& v) {
    const QString id = QString::fromLatin1(klucz);
    host.options->WriteOption(id.section(QLatin1Char('/'), 0, 0), id.section(QLatin1Char('/'), 1), v, host::OptionScope::Application);
  };
  opcja("KANAL_WYSYLKI/SRODOWISKO", QStringLiteral("SZKOLENIOWE"));
  opcja("KANAL_WYSYLKI/ECIP_SEAP_ID", QStringLiteral("agencja"));
  opcja("KANAL_WYSYLKI/ECIP_SEAP_HASLO", QStringLiteral("haslo"));
  opcja("KANAL_ZWROTNY/URL", QStringLiteral("http://127.0.0.1:18089/odpowiedzi"));
  opcja("PODPIS/CERTYFIKAT", root.filePath(QStringLiteral("szkolenie/certyfikat.p12")));
  opcja("PODPIS/HASLO", QStringLiteral("szkolenie"));
  host::TMainForm form(ctx);
  auto* srodowisko = form.findChild<QLabel*>(QStringLiteral("lblSrodowisko"));
  ASSERT_NE(srodowisko, nullptr);
  EXPECT_EQ(srodowisko->text(), QStringLiteral("Środowisko: SZKOLENIOWE"));
  EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("lblBaza"))->text(), QStringLiteral("Baza: ") + host.db().Url());

  host::TOpcjeWin opcje(ctx);
  EXPECT_TRUE(opcje.Field(QStringLiteral("KANAL_WYSYLKI/SRODOWISKO"))->isReadOnly());
  host::TPrzejscieNaProdukcjeBox box(ctx, host::LoadOptions(*host.options));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(box.Stan(i)->text().startsWith(QStringLiteral("✘"))) << box.Stan(i)->text().toStdString();
  box.resize(600, 460);
  box.show();
  QApplication::processEvents();
  const QString dir = QStringLiteral(VELMORA_ARTIFACT_DIR);
  QDir().mkpath(dir);
  ASSERT_TRUE(box.grab().save(dir + QStringLiteral("/przejscie_na_produkcje.png")));
  EXPECT_FALSE(box.Zakoncz());
  EXPECT_TRUE(host.dialogs.Texts().last().startsWith(QStringLiteral("Nie można przejść na środowisko produkcyjne:")));
  EXPECT_EQ(host::CzytajSrodowisko(*host.options), host::Srodowisko::Szkoleniowe);

  const QString certyfikat = root.filePath(QStringLiteral("agencja.p12"));
  QFile(certyfikat).open(QIODevice::WriteOnly);
  box.Field(QStringLiteral("KANAL_ZWROTNY/URL"))->clear();
  box.Field(QStringLiteral("KANAL_ZWROTNY/EMAIL"))->setText(QStringLiteral("odpowiedzi@spedycja.example"));
  box.Field(QStringLiteral("KANAL_WYSYLKI/ECIP_SEAP_ID"))->setText(QStringLiteral("spedycja01"));
  box.Field(QStringLiteral("KANAL_WYSYLKI/ECIP_SEAP_HASLO"))->setText(QStringLiteral("Tajne!2024"));
  box.Field(QStringLiteral("PODPIS/CERTYFIKAT"))->setText(certyfikat);
  box.Field(QStringLiteral("PODPIS/HASLO"))->setText(QStringLiteral("kwalifikowany"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(box.Stan(i)->text(), QStringLiteral("✔ gotowe"));
  EXPECT_TRUE(box.Zakoncz());
  EXPECT_EQ(host::CzytajSrodowisko(*host.options), host::Srodowisko::Produkcyjne);
  form.UpdateStatusBar();
  EXPECT_EQ(srodowisko->text(), QStringLiteral("Środowisko: PRODUKCYJNE"));
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

// A transit list whose detail is the list of its messages.
class MessagesOfTransit : public host::TFrmSqlWin {
 public:
  using TFrmSqlWin::TFrmSqlWin;
  void InitSQLStrings(QString& select, QString& where, QString& order) override {
    select = QStringLiteral("select ID_TRANZYTY_POZYCJE, TYP from TRANZYTY_POZYCJE");
    where = QStringLiteral("TRANZYTY_ID = :TRANZYTY_ID");
    order = QStringLiteral("LP");
  }
  QString GetKeyName() override { return QStringLiteral("ID_TRANZYTY_POZYCJE"); }
};

class Transits : public host::TFrmSqlWin {
 public:
  using TFrmSqlWin::TFrmSqlWin;
  void InitSQLStrings(QString& select, QString&, QString& order) override {
    select = QStringLiteral("select ID_TRANZYTY, RODZAJ from TRANZYTY");
    order = QStringLiteral("ID_TRANZYTY");
  }
  QString GetKeyName() override { return QStringLiteral("ID_TRANZYTY"); }
  host::TFrmSqlWin* GetDetailWin() override { return new MessagesOfTransit(ctx_); }
  QVariantMap GetRelationKeys() override {
    return {{QStringLiteral("TRANZYTY_ID"), CurrentKey()}, {QStringLiteral("RODZAJ"), GetBoxQuery()->Int(QStringLiteral("RODZAJ"))}};
  }
};

TEST(DesktopLists, DetailWindowShowsTheRowsOfTheCurrentMaster) {
  TestHost host(TestEngine::Sqlite);
  host::HostContext ctx = host.Context(QDir::tempPath());
  for (int t : {1, 2}) host.db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ) values (%1, 0)").arg(t));
  for (int m = 1; m <= 5; ++m)
    host.db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP) values (%1, %2, %1, 'IE015')")
                       .arg(m)
                       .arg(m <= 2 ? 1 : 2));
  Transits master(ctx);
  master.Init();
  ASSERT_TRUE(master.Locate(QStringLiteral("ID_TRANZYTY"), 2));
  EXPECT_EQ(master.GetRelationKeysCount(), 2);
  std::unique_ptr<host::TFrmSqlWin> detail(master.OpenDetail());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->Model()->rowCount(), 3);
  EXPECT_EQ(detail->MasterKeys().value(QStringLiteral("TRANZYTY_ID")).toInt(), 2);

  // The layout of a grid comes back the next time the window opens.
  master.Grid()->horizontalHeader()->resizeSection(1, 173);
  master.close();
  Transits again(ctx);
  again.Init();
  EXPECT_EQ(again.Grid()->horizontalHeader()->sectionSize(1), 173);
}

}  // namespace
}  // namespace velmora::testing
