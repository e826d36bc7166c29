#include "frame/ncts2_menu_creator.h"
#include "host/ui/edit_box.h"
#include "host/mail/email_accounts.h"
#include "host/ui/email_accounts_win.h"
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

using namespace Qt::Literals::StringLiterals;

// A picture for people to look at, in the build's artefacts.
void Zapisz(const QPixmap& obraz, const char* nazwa) {
  const QString dir = QStringLiteral(VELMORA_ARTIFACT_DIR);
  QDir().mkpath(dir);
  const QString path = dir + QLatin1Char('/') + QString::fromLatin1(nazwa);
  ASSERT_TRUE(obraz.save(path));
  EXPECT_GT(QFileInfo(path).size(), 5000) << nazwa;
}

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
  const Item items[] = {{"miWywoz_Eksport2", "Objęcia (eksport)", true, 0},      {"miPrzywoz_Import2", "Zakończenia (import)", true, 0},
                        {"miGwarancje2", "Nowe gwarancje", true, 0},             {"miOdbierzWiadomosc", "Odbierz wiadomość", false, 1},
                        {"miSkrytkaNadawcza", "Skrytka nadawcza", false, 1},     {"miSkrytkaOdbiorcza", "Skrytka odbiorcza", false, 1},
                        {"miZmianaRejestru", "Zmiana rejestru", false, 1},       {"erminowo1", "Terminowość", true, 0},
                        {"Rozliczeniesaldagwarancji1", "Saldo gwarancji", true, 0}, {"Opisywjrosyjskim1", "Opisy w j.rosyjskim", true, 0},
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
  form_->OpenWindow(u"TInnyModulWin"_s, 0, true, true, 2);  // a module that is not loaded
  ASSERT_EQ(host_->dialogs.Texts().size(), 1);
  EXPECT_EQ(host_->dialogs.Texts()[0], u"Okno TInnyModulWin należy do modułu, który nie jest załadowany."_s);
  EXPECT_TRUE(form_->OpenWindows().isEmpty());
  Find("miWywoz_Eksport2")->trigger();
  ASSERT_EQ(form_->OpenWindows().size(), 1);
  EXPECT_EQ(form_->OpenWindows()[0]->windowTitle(), u"Lista objęć tranzytów"_s);
  form_->Mdi()->closeAllSubWindows();

  Find("miZrzutBazy")->trigger();  // not a service user
  EXPECT_EQ(host_->dialogs.Texts().last(), u"Funkcja techniczna dostępna TYLKO dla administratora !"_s);
  EXPECT_FALSE(frame::WyborRejestru(true));

  QWidget* first = form_->OpenWindow(u"TKontrahenciWin"_s, 0, true, true, 2);
  ASSERT_NE(first, nullptr);
  form_->OpenWindow(u"TUCWin"_s, 0, true, true, 2);
  EXPECT_EQ(form_->OpenWindow(u"TKontrahenciWin"_s, 0, true, true, 2), first);
  EXPECT_EQ(form_->Mdi()->subWindowList().size(), 2);
  EXPECT_EQ(form_->Mdi()->activeSubWindow()->widget(), first);
}

TEST_P(Desktop, ListWindowAddsEditsAndDeletesRows) {
  auto* win = static_cast<host::THostTableWin*>(form_->OpenWindow(u"TKontrahenciWin"_s, 0, true, true, 2));
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->Model()->rowCount(), 0);

  // A required field left empty keeps the editor open with its message.
  WhenEditorShows([this](host::TRecordEditBox* box) {
    box->actOkExecute();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(host_->dialogs.Texts().last(), u"Pole \"Nazwa\" musi być wypełnione"_s);
    qobject_cast<QLineEdit*>(box->FieldWidget(u"Nazwa"_s))->setText(u"Łódzka Spedycja"_s);
    qobject_cast<QLineEdit*>(box->FieldWidget(u"NIP"_s))->setText(u"7250000000"_s);
    if (box->actOkExecute()) box->accept();
  });
  win->NewRecord();
  ASSERT_EQ(win->Model()->rowCount(), 1);
  const qint64 id = win->CurrentKey();
  EXPECT_GT(id, 0);
  EXPECT_EQ(win->GetBoxQuery()->Str(u"Nazwa"_s), u"Łódzka Spedycja"_s);

  WhenEditorShows([](host::TRecordEditBox* box) {
    auto* name = qobject_cast<QLineEdit*>(box->FieldWidget(u"Nazwa"_s));
    EXPECT_EQ(name->text(), u"Łódzka Spedycja"_s);
    name->setText(u"Łódzka Spedycja S.A."_s);
    if (box->actOkExecute()) box->accept();
  });
  win->EditRecord();
  EXPECT_EQ(win->CurrentKey(), id);
  const auto row = host_->db().QueryOne(u"select Nazwa, MODIFY_USER_NAME, CREATE_USER_NAME from KONTRAHENCI"_s);
  EXPECT_EQ(row->Str(u"Nazwa"_s), u"Łódzka Spedycja S.A."_s);
  EXPECT_EQ(row->Str(u"MODIFY_USER_NAME"_s), u"Jan Kowalski"_s);

  win->DeleteRecord();  // the question is answered "no" by default
  EXPECT_EQ(host_->db().GetCountFieldVal(u"KONTRAHENCI"_s), 1);
  host_->dialogs.Answer(host::kIdYes);
  win->DeleteRecord();
  EXPECT_EQ(host_->db().GetCountFieldVal(u"KONTRAHENCI"_s), 0);
  EXPECT_EQ(win->Model()->rowCount(), 0);
}

// What the mail accounts window stores is what the mail services read; an address they would
// refuse is refused in their words and nothing is stored; the password is typed unseen.
TEST_P(Desktop, MailAccountsWindowStoresWhatTheMailServicesRead) {
  auto* win = static_cast<host::THostTableWin*>(form_->OpenWindow(u"TEmailSrvWin"_s, 0, true, true, 2));
  ASSERT_NE(win, nullptr);
  WhenEditorShows([this](host::TRecordEditBox* box) {
    auto pole = [box](const char* c) { return qobject_cast<QLineEdit*>(box->FieldWidget(QString::fromLatin1(c))); };
    auto szyfrowanie = [box](const char* c) { return qobject_cast<QComboBox*>(box->FieldWidget(QString::fromLatin1(c))); };
    EXPECT_EQ(szyfrowanie("SMTP_TLS")->currentText(), u"STARTTLS"_s);
    EXPECT_EQ(szyfrowanie("IN_TLS")->currentText(), u"TLS"_s);
    pole("EMAIL")->setText(u"agencja@spedycja.pl"_s);
    pole("SMTP_HOST")->setText(u"smtp.spedycja.pl"_s);
    szyfrowanie("SMTP_TLS")->setCurrentIndex(0);
    EXPECT_FALSE(box->actOkExecute());
    EXPECT_EQ(host_->dialogs.Texts().last(),
              u"Konto pocztowe „agencja@spedycja.pl”: połączenie z serwerem SMTP smtp.spedycja.pl nie jest szyfrowane - hasło i "
              "wiadomości szłyby otwartym tekstem. Wybierz szyfrowanie STARTTLS albo TLS."_s);
    pole("EMAIL")->setText(u"agencja.celna@"_s);
    EXPECT_FALSE(box->actOkExecute());
    EXPECT_EQ(host_->dialogs.Texts().last(), u"Nieprawidłowy adres e-mail konta pocztowego: „agencja.celna@”."_s);
    pole("EMAIL")->setText(u"agencja@localhost"_s);
    pole("SMTP_HOST")->setText(u"127.0.0.1"_s);
    qobject_cast<QSpinBox*>(box->FieldWidget(u"SMTP_PORT"_s))->setValue(2525);
    szyfrowanie("SMTP_TLS")->setCurrentIndex(1);
    pole("IN_PROTOKOL")->setText(u"pop3"_s);
    pole("IN_HOST")->setText(u"127.0.0.1"_s);
    pole("UZYTKOWNIK")->setText(u"agencja"_s);
    EXPECT_EQ(pole("HASLO")->echoMode(), QLineEdit::Password);
    pole("HASLO")->setText(u" tajne "_s);
    if (box->actOkExecute()) box->accept();
  });
  win->NewRecord();
  ASSERT_EQ(win->Model()->rowCount(), 1);
  QString error;
  const auto konto = host::LoadMailServer(host_->db(), static_cast<int>(win->CurrentKey()), &error);
  ASSERT_TRUE(konto) << error.toStdString();
  EXPECT_EQ(konto->email, u"agencja@localhost"_s);
  EXPECT_EQ(konto->smtp_port, 2525);
  EXPECT_EQ(konto->smtp_tls, host::MailTls::StartTls);
  EXPECT_EQ(konto->in_protocol, u"POP3"_s);
  EXPECT_EQ(konto->password, u" tajne "_s);
  EXPECT_EQ(konto->folder, u"INBOX"_s);
}

// The mailboxes show the received and the sent mails apart, newest first, and only read them.
TEST_P(Desktop, MailboxesShowReceivedAndSentMailsReadOnly) {
  host::MailMessage m;
  m.from = u"uc@celna.example"_s;
  m.to = u"agencja@localhost"_s;
  m.subject = u"IE028 Nadanie MRN"_s;
  m.body = u"W załączeniu komunikat."_s;
  m.date = QDateTime(QDate(2024, 3, 5), QTime(10, 20));
  host::Receive_Save(host_->db(), 1, m, host::kMailProcessed);
  m.subject = u"IE015 Zgłoszenie"_s;
  host::Sent_Save(host_->db(), 1, m);

  auto* odebrane = qobject_cast<host::TMailWin*>(form_->OpenWindow(u"TMailWin"_s, 1103, true, true, 2));
  ASSERT_NE(odebrane, nullptr);
  ASSERT_EQ(odebrane->Model()->rowCount(), 1);
  EXPECT_EQ(odebrane->windowTitle(), u"Skrytka odbiorcza"_s);
  const QSqlRecord r = odebrane->Model()->record(0);
  EXPECT_EQ(r.value(u"TEMAT"_s).toString(), u"IE028 Nadanie MRN"_s);
  EXPECT_EQ(odebrane->Model()->data(odebrane->Model()->index(0, r.indexOf(u"STAN"_s))).toString(), u"przetworzona"_s);
  EXPECT_FALSE(odebrane->actNowy->isEnabled());
  EXPECT_FALSE(odebrane->actUsun->isEnabled());
  WhenEditorShows([](host::TRecordEditBox* box) {
    EXPECT_TRUE(box->ViewMode());
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(box->FieldWidget(u"TRESC"_s))->toPlainText(), u"W załączeniu komunikat."_s);
    box->reject();
  });
  odebrane->EditRecord();
  auto* wyslane = qobject_cast<host::TMailWin*>(form_->OpenWindow(u"TMailWin"_s, 1104, true, true, 2));
  ASSERT_NE(wyslane, nullptr);
  ASSERT_EQ(wyslane->Model()->rowCount(), 1);
  EXPECT_EQ(wyslane->Model()->record(0).value(u"TEMAT"_s).toString(), u"IE015 Zgłoszenie"_s);
}

// The simplified register's entries are shown as the release numbered them, and only read.
TEST_P(Desktop, RegisterEntriesAreShownReadOnly) {
  host_->db().Exec(u"insert into IM (ID_IM, NrWpisu, DataWpisu, LpRej, NRNCTS, MASA_BRUTTO) values "
                   "(1, 7, :D, 'PL/UP/7/2024', '24PL322010NS0001A7', 12.5)"_s, {{u"D"_s, QDate(2024, 3, 5)}});
  auto* win = qobject_cast<host::THostTableWin*>(form_->OpenWindow(u"TWpisyRejestruWin"_s, 0, true, true, 2));
  ASSERT_NE(win, nullptr);
  ASSERT_EQ(win->Model()->rowCount(), 1);
  EXPECT_EQ(win->Model()->record(0).value(u"NRNCTS"_s).toString(), u"24PL322010NS0001A7"_s);
  EXPECT_FALSE(win->actNowy->isEnabled());
  win->NewRecord();  // Insert does nothing here
  win->DeleteRecord();
  EXPECT_EQ(host_->db().GetCountFieldVal(u"IM"_s), 1);
  WhenEditorShows([](host::TRecordEditBox* box) {
    EXPECT_TRUE(box->ViewMode());
    box->reject();
  });
  win->EditRecord();
}

VELMORA_ON_BOTH_ENGINES(Desktop);

// The main window with the NCTS2 menu open, kept as a picture for people to look at.
TEST(DesktopScreenshot, MainWindowWithTheNctsMenuOpen) {
  TestHost host(TestEngine::Sqlite);
  host::RegisterHostWindows();
  host::HostContext ctx = host.Context(QDir::tempPath());
  host::TMainForm form(ctx);
  form.BuildMenus();
  form.resize(900, 560);
  form.show();
  form.OpenWindow(u"TKontrahenciWin"_s, 0, true, true, 2);
  QApplication::processEvents();
  QMenu* menu = form.findChild<QMenu*>(u"bsiNCTS2"_s);
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
  Zapisz(shot, "main_window_ncts2.png");
}

// The way to production is its checklist: the demo's values keep it shut, the agency's open it,
// and the status bar says where sends go.
TEST(DesktopScreenshot, ProductionIsReachedThroughItsChecklist) {
  TestHost host(TestEngine::Sqlite);
  QTemporaryDir root;
  host::HostContext ctx = host.Context(root.path());
  for (const auto& [id, v] : {std::pair{u"KANAL_WYSYLKI/SRODOWISKO"_s, u"SZKOLENIOWE"_s}, {u"KANAL_WYSYLKI/ECIP_SEAP_ID"_s, u"agencja"_s},
                              {u"KANAL_WYSYLKI/ECIP_SEAP_HASLO"_s, u"haslo"_s}, {u"KANAL_ZWROTNY/URL"_s, u"http://127.0.0.1:18089/odpowiedzi"_s},
                              {u"PODPIS/CERTYFIKAT"_s, root.filePath(u"szkolenie/certyfikat.p12"_s)}, {u"PODPIS/HASLO"_s, u"szkolenie"_s}})
    host.options->WriteOption(id.section(QLatin1Char('/'), 0, 0), id.section(QLatin1Char('/'), 1), v, host::OptionScope::Application);
  host::TMainForm form(ctx);
  auto* srodowisko = form.findChild<QLabel*>(u"lblSrodowisko"_s);
  ASSERT_NE(srodowisko, nullptr);
  EXPECT_EQ(srodowisko->text(), u"Środowisko: SZKOLENIOWE"_s);
  EXPECT_EQ(form.findChild<QLabel*>(u"lblBaza"_s)->text(), u"Baza: "_s + host.db().Url());

  host::TOpcjeWin opcje(ctx);
  EXPECT_TRUE(opcje.Field(u"KANAL_WYSYLKI/SRODOWISKO"_s)->isReadOnly());
  host::TPrzejscieNaProdukcjeBox box(ctx, host::LoadOptions(*host.options));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(box.Stan(i)->text().startsWith(u"✘"_s)) << box.Stan(i)->text().toStdString();
  box.resize(600, 460);
  box.show();
  QApplication::processEvents();
  Zapisz(box.grab(), "przejscie_na_produkcje.png");
  EXPECT_FALSE(box.Zakoncz());
  EXPECT_TRUE(host.dialogs.Texts().last().startsWith(u"Nie można przejść na środowisko produkcyjne:"_s));
  EXPECT_EQ(host::CzytajSrodowisko(*host.options), host::Srodowisko::Szkoleniowe);

  const QString certyfikat = root.filePath(u"agencja.p12"_s);
  QFile(certyfikat).open(QIODevice::WriteOnly);
  for (const auto& [id, v] : {std::pair{u"KANAL_ZWROTNY/URL"_s, QString()}, {u"KANAL_ZWROTNY/EMAIL"_s, u"odpowiedzi@spedycja.example"_s},
                              {u"KANAL_WYSYLKI/ECIP_SEAP_ID"_s, u"spedycja01"_s}, {u"KANAL_WYSYLKI/ECIP_SEAP_HASLO"_s, u"Tajne!2024"_s},
                              {u"PODPIS/CERTYFIKAT"_s, certyfikat}, {u"PODPIS/HASLO"_s, u"kwalifikowany"_s}})
    box.Field(id)->setText(v);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(box.Stan(i)->text(), u"✔ gotowe"_s);
  EXPECT_TRUE(box.Zakoncz());
  EXPECT_EQ(host::CzytajSrodowisko(*host.options), host::Srodowisko::Produkcyjne);
  form.UpdateStatusBar();
  EXPECT_EQ(srodowisko->text(), u"Środowisko: PRODUKCYJNE"_s);
}

// A transit list whose detail is the list of its messages.
class MessagesOfTransit : public host::TFrmSqlWin {
 public:
  using TFrmSqlWin::TFrmSqlWin;
  void InitSQLStrings(QString& select, QString& where, QString& order) override {
    select = u"select ID_TRANZYTY_POZYCJE, TYP from TRANZYTY_POZYCJE"_s;
    where = u"TRANZYTY_ID = :TRANZYTY_ID"_s;
    order = u"LP"_s;
  }
  QString GetKeyName() override { return u"ID_TRANZYTY_POZYCJE"_s; }
};

class Transits : public host::TFrmSqlWin {
 public:
  using TFrmSqlWin::TFrmSqlWin;
  void InitSQLStrings(QString& select, QString&, QString& order) override {
    select = u"select ID_TRANZYTY, RODZAJ from TRANZYTY"_s;
    order = u"ID_TRANZYTY"_s;
  }
  QString GetKeyName() override { return u"ID_TRANZYTY"_s; }
  host::TFrmSqlWin* GetDetailWin() override { return new MessagesOfTransit(ctx_); }
  QVariantMap GetRelationKeys() override {
    return {{u"TRANZYTY_ID"_s, CurrentKey()}, {u"RODZAJ"_s, GetBoxQuery()->Int(u"RODZAJ"_s)}};
  }
};

TEST(DesktopLists, DetailWindowShowsTheRowsOfTheCurrentMaster) {
  TestHost host(TestEngine::Sqlite);
  host::HostContext ctx = host.Context(QDir::tempPath());
  for (int t : {1, 2}) host.db().Exec(u"insert into TRANZYTY (ID_TRANZYTY, RODZAJ) values (%1, 0)"_s.arg(t));
  for (int m = 1; m <= 5; ++m)
    host.db().Exec(u"insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP) values (%1, %2, %1, 'IE015')"_s
                       .arg(m)
                       .arg(m <= 2 ? 1 : 2));
  Transits master(ctx);
  master.Init();
  ASSERT_TRUE(master.Locate(u"ID_TRANZYTY"_s, 2));
  EXPECT_EQ(master.GetRelationKeysCount(), 2);
  std::unique_ptr<host::TFrmSqlWin> detail(master.OpenDetail());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->Model()->rowCount(), 3);
  EXPECT_EQ(detail->MasterKeys().value(u"TRANZYTY_ID"_s).toInt(), 2);

  // The layout of a grid comes back the next time the window opens.
  master.Grid()->horizontalHeader()->resizeSection(1, 173);
  master.close();
  Transits again(ctx);
  again.Init();
  EXPECT_EQ(again.Grid()->horizontalHeader()->sectionSize(1), 173);
}

}  // namespace
}  // namespace velmora::testing
