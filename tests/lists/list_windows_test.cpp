#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/edit_box.h"
#include "host/db/record_store.h"
#include "host/ui/main_form.h"
#include "host/db/options.h"
#include "lists/rejestry_win.h"
#include "lists/lista_tranzytow_win.h"
#include "lists/tranzyty_pozycje_win.h"
#include "support/test_host.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QTest>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>

#include <functional>

namespace velmora::testing {
namespace {

class ListWindows : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    ctx_ = std::make_unique<host::HostContext>(host_->Context(QDir::tempPath()));
    host::RegisterHostWindows();
    frame::AktywnyRejestr = {};
    form_ = std::make_unique<host::TMainForm>(*ctx_);
    form_->BuildMenus();
    auto& db = host_->db();
    db.Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA) values (1, 'Gdynia')"));
    db.DBGetNewID(QStringLiteral("GID_REJESTRY"));
    db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, OPIS, NUMER, TIR, CREATE_DATE, WAGA_BRUTTO) values (1, 0, 1, 'IE028', 11, 'Nadanie MRN', '1/2024', 1, '2026-12-07T09:05:00', 1234.5)"));
    db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, NUMER) values (2, 1, 1, 'IE007', 1, '1/2024')"));
    db.Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, OPIS, XML) values (1, 1, 1, 'IE015', 2, 'N1', 'zgłoszenie', '<IE015/>')"));
    db.Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, OPIS, XML) values (2, 1, 2, 'IE028', 11, 'N2', 'Nadanie', '<IE028><Naglowek NrWlasny=\"N2\"/></IE028>')"));
  }
  void TearDown() override {
    form_.reset();
    frame::AktywnyRejestr = {};
  }
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
  std::unique_ptr<host::TMainForm> form_;
};

TEST_P(ListWindows, DepartureListShowsItsTransitsAndOpensTheirMessages) {
  auto* list = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(QStringLiteral("TTranzytyOtwarciaWin"), 1001, true, true, 38));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->windowTitle(), QStringLiteral("Lista objęć tranzytów"));
  ASSERT_EQ(list->Model()->rowCount(), 1);  // the arrival is not listed
  const auto kolumna = [&list](const char* name) { return list->Model()->record().indexOf(QString::fromLatin1(name)); };
  const int opis = kolumna("OPIS");
  EXPECT_EQ(list->Model()->data(list->Model()->index(0, opis)).toString(), QStringLiteral("IE028 - Odebrano Nadanie MRN"));
  list->UstawZakladke(1);  // WPT: no TIR transits
  EXPECT_EQ(list->Model()->rowCount(), 0);
  list->UstawZakladke(0);
  // The columns stand in the list's own order; the type shows its icon; Ctrl+C takes the text shown.
  QHeaderView* header = list->Grid()->horizontalHeader();
  EXPECT_LT(header->visualIndex(kolumna("CREATE_DATE")), header->visualIndex(kolumna("MRN")));
  EXPECT_LT(header->visualIndex(kolumna("NUMER")), header->visualIndex(kolumna("CREATE_DATE")));
  EXPECT_LT(header->visualIndex(kolumna("PU")), header->visualIndex(kolumna("NADAWCA_NAZWA")));
  EXPECT_FALSE(list->Model()->data(list->Model()->index(0, kolumna("TYP")), Qt::DecorationRole).value<QIcon>().isNull());
  list->Grid()->setCurrentIndex(list->Model()->index(0, opis));
  QTest::keyClick(list->Grid(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("IE028 - Odebrano Nadanie MRN"));
  list->Grid()->setCurrentIndex(list->Model()->index(0, kolumna("TIR")));
  QTest::keyClick(list->Grid(), Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("TAK"));
  // Dates and numbers as a clerk writes them; every column has its header.
  // A date-time column as dd.MM.yyyy HH:mm (PostgreSQL keeps the date only).
  const QString data = list->Model()->data(list->Model()->index(0, kolumna("CREATE_DATE"))).toString();
  EXPECT_TRUE(data == QStringLiteral("07.12.2026 09:05") || data == QStringLiteral("07.12.2026")) << data.toStdString();
  EXPECT_EQ(list->Model()->data(list->Model()->index(0, kolumna("WAGA_BRUTTO"))).toString(), QStringLiteral("1234,5"));
  EXPECT_EQ(list->Model()->headerData(kolumna("TYP"), Qt::Horizontal).toString(), QStringLiteral("Typ"));
  // Columns fit what they show, the description takes the rest; a cut cell tells its whole text.
  for (const char* c : {"NUMER", "CREATE_DATE", "OPIS"})
    EXPECT_GE(list->Grid()->columnWidth(kolumna(c)), static_cast<QAbstractItemView*>(list->Grid())->sizeHintForColumn(kolumna(c))) << c;
  const QModelIndex opis_komorka = list->Model()->index(0, opis);
  EXPECT_FALSE(list->Model()->data(opis_komorka, Qt::ToolTipRole).isValid());
  list->Grid()->setColumnWidth(opis, 30);
  EXPECT_EQ(list->Model()->data(opis_komorka, Qt::ToolTipRole).toString(), QStringLiteral("IE028 - Odebrano Nadanie MRN"));
  // A column the clerk hides stays hidden after a refresh and the next time the list opens;
  // one the program hides is not the clerk's to show.
  list->SetColumnHiddenByUser(QStringLiteral("MRN"), true);
  list->SetColumnHiddenByUser(QStringLiteral("STATUS"), false);
  list->RefreshKey(1);
  EXPECT_TRUE(list->Grid()->isColumnHidden(kolumna("MRN")));
  EXPECT_TRUE(list->Grid()->isColumnHidden(kolumna("STATUS")));
  list->Grid()->horizontalHeader()->moveSection(list->Grid()->horizontalHeader()->visualIndex(kolumna("PU")), 2);
  list->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  list = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(QStringLiteral("TTranzytyOtwarciaWin"), 1001, true, true, 38));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->Grid()->isColumnHidden(kolumna("MRN")));
  EXPECT_EQ(list->Grid()->horizontalHeader()->visualIndex(kolumna("PU")), 2);
  EXPECT_EQ(list->Grid()->columnWidth(opis), 30);

  list->Komunikaty();
  auto* messages = qobject_cast<lists::TTranzytyPozycjeWin*>(form_->OpenWindows().last());
  ASSERT_NE(messages, nullptr);
  EXPECT_EQ(messages->windowTitle(), QStringLiteral("Lista komunikatów dla tranzytu 1/2024"));
  ASSERT_EQ(messages->Model()->rowCount(), 2);
  // Newest first, coloured by type: the IE028 in blue.
  EXPECT_EQ(messages->Model()->data(messages->Model()->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
  // The withdrawal is the send button's drop-down.
  ASSERT_NE(messages->actWyslij->menu(), nullptr);
  EXPECT_TRUE(messages->actWyslij->menu()->actions().contains(messages->miCofnijWyslano));
  // A refresh takes the transit's state from the message with the highest LP.
  host_->db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, OPIS, XML) "
                                  "values (3, 1, 3, 'IE013', 0, '<AUTO>', 'modyfikacja', '<IE015/>')"));
  messages->RefreshKey(1);
  EXPECT_EQ(messages->MasterKeys().value(QStringLiteral("TYP")).toString(), QStringLiteral("IE013"));
  EXPECT_EQ(messages->MasterKeys().value(QStringLiteral("STATUS")).toInt(), 0);
  host_->dialogs.Answer(host::kIdYes);
  messages->Grid()->selectRow(0);
  messages->DeleteRecord();
  EXPECT_EQ(messages->MasterKeys().value(QStringLiteral("TYP")).toString(), QStringLiteral("IE028"));
  EXPECT_EQ(messages->MasterKeys().value(QStringLiteral("STATUS")).toInt(), 11);

  // After an IE028 "add" offers the amendment menu; the declaration editor opens in amendment mode.
  messages->Dodaj();
  EXPECT_TRUE(messages->actIE013->isVisible());
  EXPECT_FALSE(messages->actIE141->isVisible());
  // The modal box `act` opens: its name and title.
  const auto opened_box = [](const std::function<void()>& act) {
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      shown = QStringList{box->objectName(), box->windowTitle()};
      box->close();
    });
    act();
    return shown;
  };
  EXPECT_EQ(opened_box([&] { messages->actIE013->trigger(); }),
            (QStringList{QStringLiteral("TIE015PL_Box"), QStringLiteral("IE13 - Sprostowanie zgłoszenia.")}));
  // The received IE028 opens its viewer.
  messages->Grid()->selectRow(0);
  EXPECT_EQ(opened_box([&] { messages->Popraw(); }).value(0), QStringLiteral("TIE028PL_Box"));

  // A sent message cannot be deleted.
  messages->Grid()->selectRow(1);
  messages->DeleteRecord();
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Nie można usunąć wysłanego komunikatu"));
  EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE")), 2);
}

TEST_P(ListWindows, RegisterAndUserFiltersAndTheirMemory) {
  auto* list = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(QStringLiteral("TTranzytyZamknieciaWin"), 1002, true, true, 38));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Model()->rowCount(), 1);
  EXPECT_EQ(list->findChild<QLineEdit*>(QStringLiteral("beRejestr"))->text(), QStringLiteral("<wszystkie>"));
  list->UstawUzytkownika(12345, QStringLiteral("Ktoś inny"));
  EXPECT_EQ(list->Model()->rowCount(), 0);
  list->close();  // the filter is kept for this user
  auto* again = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(QStringLiteral("TTranzytyZamknieciaWin"), 1002, true, true, 38));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Filtr().uzytkownik_id, 12345);
  EXPECT_EQ(again->findChild<QLineEdit*>(QStringLiteral("beUzytkownik"))->text(), QStringLiteral("Ktoś inny"));
  again->UstawUzytkownika(lists::kWszyscyUzytkownicy, QString());
  EXPECT_EQ(again->Model()->rowCount(), 1);
}

// A long list is read a page at a time on both engines (a server engine would otherwise hand
// over its whole result): every row comes once, in the list's order, filtered as before.
TEST_P(ListWindows, LongListsReadPageByPageInTheirOrder) {
  auto& db = host_->db();
  const QString seria = QStringLiteral("with recursive s(i) as (select 3 union all select i + 1 from s where i < 1202) ");
  db.Exec(seria + QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, TIR, NUMER) "
                                 "select i, i % 2, 1, 'IE015', 1, case when i % 3 = 0 then 1 else 0 end, 'N' || i from s"));
  db.Exec(seria + QStringLiteral("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa) select i, 'Firma ' || (i % 400) from s"));
  lists::TTranzytyListaWin list(*ctx_, frame::kRodzajWywoz);
  list.Init();
  QSqlQueryModel* m = list.Model();
  EXPECT_LT(m->rowCount(), 601);
  EXPECT_TRUE(m->canFetchMore());
  // A key not on the list is not looked for down to the list's end.
  EXPECT_FALSE(list.Locate(QStringLiteral("ID_TRANZYTY"), 999));
  EXPECT_LT(m->rowCount(), 601);
  // Found below the first page, by the key the list sorts by.
  ASSERT_TRUE(list.Locate(QStringLiteral("ID_TRANZYTY"), 20));
  EXPECT_EQ(list.CurrentKey(), 20);
  while (m->canFetchMore()) m->fetchMore();
  const int id = m->record().indexOf(QStringLiteral("ID_TRANZYTY"));
  ASSERT_EQ(m->rowCount(), 601);  // 600 even ids and the first transit
  for (int r = 1; r < m->rowCount(); ++r)
    ASSERT_GT(m->data(m->index(r - 1, id), Qt::EditRole).toLongLong(), m->data(m->index(r, id), Qt::EditRole).toLongLong()) << r;
  list.UstawZakladke(2);  // TIR: every third even id, and the first transit
  while (m->canFetchMore()) m->fetchMore();
  EXPECT_EQ(m->rowCount(), 201);
  // A list ordered by something else than its key goes by offset: every row once.
  host::THostTableWin firmy(*ctx_, host::KontrahenciSpec());
  firmy.Init();
  EXPECT_LT(firmy.Model()->rowCount(), 1200);
  while (firmy.Model()->canFetchMore()) firmy.Model()->fetchMore();
  QSet<qint64> ids;
  for (int r = 0; r < firmy.Model()->rowCount(); ++r) ids.insert(firmy.Model()->data(firmy.Model()->index(r, 0), Qt::EditRole).toLongLong());
  EXPECT_EQ(ids.size(), 1200);
  EXPECT_EQ(firmy.Model()->rowCount(), 1200);
}

TEST_P(ListWindows, ClearancesOfOneTransitAndARegisterWithoutItsDate) {
  auto& db = host_->db();
  db.Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, NUMER) values (1, 1, 'OBCA')"));
  db.DBGetNewID(QStringLiteral("GID_TRANZYTY_ODPRAWY"));
  lists::TOdprawyWin win(*ctx_, 2);
  win.Init();
  EXPECT_EQ(win.Model()->rowCount(), 0);  // another transit's clearance is not listed
  EXPECT_FALSE(win.Grid()->isColumnHidden(0));
  EXPECT_EQ(win.Model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Id"));
  EXPECT_EQ(win.Model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Procedura"));
  std::unique_ptr<host::TEditBox> box(win.GetEditBox(true));
  box->Activate();
  auto* editor = static_cast<host::TRecordEditBox*>(box.get());
  qobject_cast<QLineEdit*>(editor->FieldWidget(QStringLiteral("NUMER")))->setText(QStringLiteral("OGL/1"));
  ASSERT_TRUE(box->actOkExecute());
  const qint64 id = win.AfterApplyNewEdit(box.get(), true);
  EXPECT_EQ(db.QueryValue(QStringLiteral("select TRANZYTY_ID from TRANZYTY_ODPRAWY where ID_TRANZYTY_ODPRAWY = :ID"), {{QStringLiteral("ID"), id}}).toInt(), 2);
  win.RefreshKey(id);
  EXPECT_EQ(win.Model()->rowCount(), 1);

  // A register saved without an authorisation date keeps none.
  lists::TRejestryWin rejestry(*ctx_);
  rejestry.Init();
  std::unique_ptr<host::TEditBox> r(rejestry.GetEditBox(true));
  r->Activate();
  auto* re = static_cast<host::TRecordEditBox*>(r.get());
  qobject_cast<QLineEdit*>(re->FieldWidget(QStringLiteral("NAZWA")))->setText(QStringLiteral("Bez daty"));
  ASSERT_TRUE(r->actOkExecute());
  const qint64 rid = rejestry.AfterApplyNewEdit(r.get(), true);
  EXPECT_TRUE(db.QueryValue(QStringLiteral("select PU_DATA from REJESTRY where ID_REJESTRY = :ID"), {{QStringLiteral("ID"), rid}}).isNull());
}

TEST_P(ListWindows, RegistersImportOnceAndKeepThoseInUse) {
  auto& db = host_->db();
  db.Exec(QStringLiteral("delete from REJESTRY"));
  db.Exec(QStringLiteral("create table REJ (ID_REJ integer primary key, NAZWA varchar(80), PU integer, NRPOZWPU varchar(50), DATAPOZWPU date)"));
  db.Exec(QStringLiteral("insert into REJ values (1, '  Rejestr stary  ', 1, 'PL/123', '2020-01-02')"));
  lists::Rejestry rejestry(*ctx_);
  EXPECT_EQ(rejestry.ImportujStare(), 1);
  EXPECT_EQ(rejestry.ImportujStare(), 0);
  const auto r = db.QueryOne(QStringLiteral("select * from REJESTRY"));
  EXPECT_EQ(r->Str(QStringLiteral("NAZWA")), QStringLiteral("Rejestr stary"));
  EXPECT_EQ(r->Str(QStringLiteral("CREATE_USER_NAME")), QStringLiteral("AUTOMAT NCTS2"));
  db.Exec(QStringLiteral("update TRANZYTY set REJESTRY_ID = :ID"), {{QStringLiteral("ID"), r->Int(QStringLiteral("ID_REJESTRY"))}});
  EXPECT_EQ(rejestry.CzyMoznaUsunac(r->Int(QStringLiteral("ID_REJESTRY"))),
            QStringLiteral("Nie można usunąć rejestru ponieważ jest z nim zwiazanych 2 tranzytów"));
  // A new register is in phase 5; only phases 4 and 5 may be chosen.
  QVariantMap nowy = host::RecordStore(*ctx_, lists::RejestrySpec()).Empty();
  EXPECT_EQ(nowy.value(QStringLiteral("FAZA")).toInt(), 5);
  EXPECT_TRUE(rejestry.Sprawdz(nowy).empty());
  nowy.insert(QStringLiteral("FAZA"), 6);
  EXPECT_EQ(rejestry.Sprawdz(nowy), (host::FieldErrors{{QStringLiteral("FAZA"), QStringLiteral("Faza NCTS rejestru to 4 albo 5")}}));
}

TEST_P(ListWindows, RegisterEditorLimitsTheLocationAndTakesTheRepresentative) {
  lists::TRejestryWin win(*ctx_);
  win.Init();
  std::unique_ptr<host::TEditBox> box(win.GetEditBox(true));
  auto* editor = static_cast<host::TRecordEditBox*>(box.get());
  box->Activate();
  auto* kind = qobject_cast<QComboBox*>(editor->FieldWidget(QStringLiteral("IE015_MIEJSCE_TYP")));
  auto* opis = qobject_cast<QLineEdit*>(editor->FieldWidget(QStringLiteral("IE015_MIEJSCE_OPIS")));
  ASSERT_TRUE(kind && opis);
  EXPECT_EQ(kind->itemText(2), QStringLiteral("Miejsce Uznane"));
  EXPECT_EQ(opis->maxLength(), 17);
  kind->setCurrentIndex(2);
  EXPECT_EQ(opis->maxLength(), 35);
  EXPECT_EQ(editor->FieldWidget(QStringLiteral("IE015_NADAWCA_ID")), nullptr);  // kept, not shown

  qobject_cast<QLineEdit*>(editor->FieldWidget(QStringLiteral("NAZWA")))->setText(QStringLiteral("Rejestr PU"));
  qobject_cast<QCheckBox*>(editor->FieldWidget(QStringLiteral("PU")))->setChecked(true);
  EXPECT_FALSE(box->actOkExecute());  // the authorisation number is missing
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Proszę wprowadzić numer pozwolenia"));
  qobject_cast<QLineEdit*>(editor->FieldWidget(QStringLiteral("PU_NUMER")))->setText(QStringLiteral("PL/PU/12"));
  EXPECT_TRUE(box->actOkExecute());
  const qint64 id = win.AfterApplyNewEdit(box.get(), true);
  EXPECT_EQ(host_->db().QueryValue(QStringLiteral("select IE015_MIEJSCE_TYP from REJESTRY where ID_REJESTRY = :ID"), {{QStringLiteral("ID"), id}}).toInt(), 2);

  EXPECT_EQ(lists::Rejestry::Przedstawiciel(QString(), QStringLiteral("5860000017")), QStringLiteral("586000001700000"));
  EXPECT_EQ(lists::Rejestry::Przedstawiciel(QStringLiteral("PL586000001700000"), QStringLiteral("5860000017")), QStringLiteral("PL586000001700000"));
}

VELMORA_ON_BOTH_ENGINES(ListWindows);

}  // namespace
}  // namespace velmora::testing
