// A departure from start to end through the windows, with the training platform (the platform
// simulator) as the customs office: the list's "Nowy", the declaration and goods editors, the
// send wizard, the answers, an amendment, the receive wizard. Every window on the way is kept
// as a picture in the build's artefacts, and what a clerk would read on it is checked.
#include "exchange/puesc_channel.h"
#include "exchange/receive_wizard.h"
#include "exchange/send.h"
#include "exchange/send_wizard.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/ui/frm_sql_win.h"
#include "host/ui/gwarancje_win.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/main_form.h"
#include "host/ui/narzedzia_techniczne.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "arrival/arrival_boxes.h"
#include "arrival/follow_up_boxes.h"
#include "arrival/unloading_boxes.h"
#include "arrival/arrival_notification_box.h"
#include "departure/declaration_box.h"
#include "arrival/unloading_remarks_box.h"
#include "lists/wydruk_rejestru.h"
#include "host/reports/config_rpt_box.h"
#include "support/sample_messages.h"
#include "lists/lista_tranzytow_win.h"
#include "lists/tranzyty_pozycje.h"
#include "lists/tranzyty_pozycje_win.h"
#include "departure/goods_item_box.h"
#include "departure/goods_subrecord_boxes.h"
#include "support/test_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QColor>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QDebug>
#include <QElapsedTimer>

#include <cstdio>

#include <functional>
#include <type_traits>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

// Time spent taking pictures: the test's, not the application's.
qint64 czas_zdjec = 0;
// The phase-5 roads keep their pictures apart from the guide's.
QString prefiks_zdjec;

// The picture of a window a person has in front of them.
void Zdjecie(QWidget* w, const QString& nazwa) {
  QElapsedTimer zegar;
  zegar.start();
  const QString dir = QStringLiteral(VELMORA_ARTIFACT_DIR "/transit");
  QDir().mkpath(dir);
  w->grab().save(dir + QLatin1Char('/') + prefiks_zdjec + nazwa + S(".png"));
  czas_zdjec += zegar.elapsed();
}

// Runs `krok` on the next modal window, a T, as soon as it shows (nested windows queue their own).
template <typename T = QWidget>
void GdyOtworzy(std::type_identity_t<std::function<void(T*)>> krok) {
  QTimer::singleShot(0, [krok] {
    QWidget* w = QApplication::activeModalWidget();
    ASSERT_NE(w, nullptr) << "no window opened";
    if (qEnvironmentVariableIsSet("VELMORA_TRACE")) qWarning() << "step on" << w->metaObject()->className() << w->windowTitle();
    auto* okno = qobject_cast<T*>(w);
    ASSERT_NE(okno, nullptr) << "opened instead: " << w->metaObject()->className() << " " << w->windowTitle().toStdString();
    krok(okno);
  });
}

// The window's button with this caption.
void Kliknij(QWidget* w, const char* napis) {
  for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
    if (b->text() == QLatin1String(napis)) return b->click();
  ADD_FAILURE() << "no button " << napis;
}

// "Odbierz ..." by the web service for the days around today; the log must hold `w_dzienniku`
// when one is given.
void Odbierz(lists::TTranzytyPozycjeWin* komunikaty, const char* zdjecie = nullptr, const char* w_dzienniku = nullptr) {
  GdyOtworzy<exchange::TKomunikatOdbierzWiz>([zdjecie, w_dzienniku](exchange::TKomunikatOdbierzWiz* wiz) {
    wiz->rbPuesc()->setChecked(true);
    wiz->UstawOkres(QDateTime::currentDateTime().addDays(-1), QDateTime::currentDateTime().addDays(1));
    wiz->Next();
    const QString log = wiz->LogLines().join(QLatin1Char('|'));
    if (w_dzienniku) { EXPECT_TRUE(log.contains(S(w_dzienniku))) << log.toStdString(); }
    if (zdjecie) Zdjecie(wiz, S(zdjecie));
    wiz->Finish();
  });
  komunikaty->actOdbierz->trigger();
}

// The next window, a T: filled by `wypelnij`, pictured and accepted with "OK".
template <typename T>
void Zatwierdz(const QString& zdjecie, std::type_identity_t<std::function<void(T*)>> wypelnij = {}) {
  GdyOtworzy<T>([zdjecie, wypelnij](T* okno) {
    if (wypelnij) wypelnij(okno);
    Zdjecie(okno, zdjecie);
    Kliknij(okno, "OK");
  });
}

// In a picker (a list in a dialog): the row holding `tekst`, then "Wybierz".
void WybierzWPickerze(QWidget* dialog, const QString& tekst) {
  auto* lista = dialog->findChild<host::TFrmSqlWin*>();
  ASSERT_NE(lista, nullptr);
  QAbstractItemModel* m = lista->Grid()->model();
  for (int r = 0; r < m->rowCount(); ++r)
    for (int c = 0; c < m->columnCount(); ++c)
      if (m->data(m->index(r, c)).toString().trimmed() == tekst) {
        lista->Grid()->selectRow(r);
        lista->Grid()->setCurrentIndex(m->index(r, c));
        Zdjecie(dialog, S("picker_") + QString(tekst).remove(QRegularExpression(S("[^A-Za-z0-9]"))));
        return Kliknij(dialog, "Wybierz");
      }
  FAIL() << "no row " << tekst.toStdString();
}

class WholeTransit : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Db& db = host_.db();
    host::RegisterHostWindows();
    host::RegisterGwarancjeWin();
    ctx_ = std::make_unique<host::HostContext>(host_.Context(root_.path()));
    host_.user.Set(host::TUser(1, S("agnieszka"), S("Agnieszka Wiśniewska"), S("Gdynia"), false, false, false));

    // The office: the platform simulator, answering the training environment.
    Scenariusz(R"({"ie029_after": "okres"})");
    sim_.setProgram(S("python3"));
    sim_.setArguments({S(VELMORA_SOURCE_DIR "/tools/puesc-sim/puesc_sim.py"), S("--port"), S("0"), S("--config"), root_.filePath(S("scenariusz.json"))});
    sim_.start();
    ASSERT_TRUE(sim_.waitForReadyRead(15000)) << "the simulator did not start";
    const QString port = QRegularExpression(S("PORT (\\d+)")).match(QString::fromUtf8(sim_.readLine())).captured(1);
    db.Exec(S("update SLOWNIK_CELNY set WARTOSC = :W where SLOWNIK = 'WEBSERVICE_URL' and KOD = 'SZKOLENIE'"),
            {{S("W"), S("http://127.0.0.1:%1/seap_wsChannel/DocumentHandlingPort").arg(port)}});
    Opcja("KANAL_WYSYLKI", "SRODOWISKO", S("SZKOLENIOWE"));
    Opcja("KANAL_WYSYLKI", "ECIP_SEAP_ID", S("agencja"));
    Opcja("KANAL_WYSYLKI", "ECIP_SEAP_HASLO", S("haslo"));
    Opcja("KANAL_WYSYLKI", "CZEKAJ_SEKUNDY", S("3"));
    Opcja("KANAL_ZWROTNY", "URL", S("https://127.0.0.1/odpowiedzi"));
    Opcja("WYSLIJ_KOMUNIKAT", "WYSLIJ", S("4"));

    // The agency's signing certificate, the signer and the platform client below the root.
    ASSERT_EQ(InstallSigner(*host_.options, root_.path(), S(VELMORA_SIGNER_PATH)), QString());
    ASSERT_TRUE(QFile::copy(S(VELMORA_PUESC_CLIENT_PATH), host::PuescClientPath(root_.path())));
    host::SetProcessOptions(host_.options.get());

    // What the demo data give a new agency: a register, contractors, offices, a guarantee.
    db.Exec(S("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP, IE015_UC_ZGLOSZENIA, IE015_MIEJSCE_TYP, IE015_MIEJSCE_OPIS, "
              "IE015_MIEJSCE_ZAL) values (1, 'Rejestr główny', 0, 'T1', 'PL322010', 2, 'Plac składowy', 'Gdynia')"));
    db.DBGetNewID(S("GID_REJESTRY"));
    db.Exec(S("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Nr_Dom, Kod, Miejscowosc, Kraj, NIP, EORI) values "
              "(1, 'Bałtycka Spedycja Sp. z o.o.', 'Portowa', '1', '81-350', 'Gdynia', 'PL', '5860000017', 'PL586000001700000'), "
              "(2, 'Meyer Logistik GmbH', 'Hafenstraße', '12', '20457', 'Hamburg', 'DE', '', 'DE1234567890123')"));
    db.Exec(S("insert into GWARANCJE (ID_GWARANCJE, SYMBOL, NUMER, GRN, RODZAJ, TYP, KOD_DOSTEPU, KWOTA, SALDO) values "
              "(4, 'GW-1', 'GW/2024/1', '24PL322010000123G', '1', 'KCS', 'AB12', 100000, 100000)"));
    frame::AktywnyRejestr.Id = 1;
    form_ = std::make_unique<host::TMainForm>(*ctx_);
    form_->BuildMenus();
    form_->resize(1100, 720);
    Straznik();
  }
  void TearDown() override {
    form_.reset();
    // The module's windows are registered for this test only.
    host::SetProcessOptions(nullptr);
    frame::AktywnyRejestr = {};
    if (sim_.state() != QProcess::NotRunning) {
      sim_.kill();
      sim_.waitForFinished(5000);
    }
  }
  // A window nobody answers would hang the run: after a while it is named and closed.
  void Straznik() {
    QObject::connect(&straznik_, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w) {
        czekanie_ = 0;
        return;
      }
      if (++czekanie_ < 120) return;
      auto* wiz = qobject_cast<host::TTabWizardBox*>(w);
      ADD_FAILURE() << "left open: " << w->metaObject()->className() << " " << w->windowTitle().toStdString() << " | "
                    << Dialogi() << " | "
                    << (wiz ? wiz->LogLines().join(QLatin1Char('|')).toStdString() : std::string());
      czekanie_ = 0;
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    });
    straznik_.start(500);
  }
  // "Wyślij ..." on the newest message, by the web service; the log in the picture shows
  // `w_dzienniku` when one is given.
  void Wyslij(lists::TTranzytyPozycjeWin* komunikaty, const char* zdjecie, const char* w_dzienniku = nullptr) {
    GdyOtworzy<exchange::TWyslijKomunikatWiz>([zdjecie, w_dzienniku](exchange::TWyslijKomunikatWiz* wiz) {
      ASSERT_TRUE(wiz->Kanal(exchange::kKanalPuesc)->isEnabled()) << "the web service is not offered";
      wiz->Kanal(exchange::kKanalPuesc)->setChecked(true);
      EXPECT_TRUE(wiz->Next()) << "channel " << wiz->WybranyKanal();
      // The picture shows the log of this send, with the office's answers.
      Zdjecie(wiz, S(zdjecie));
      if (w_dzienniku) {
        EXPECT_EQ(wiz->CurrentPage(), 1) << zdjecie;
        EXPECT_TRUE(wiz->LogLines().join(QLatin1Char('\n')).contains(S(w_dzienniku))) << zdjecie << ": " << w_dzienniku;
      }
      // The clerk reads the log and closes the wizard.
      for (const QString& l : wiz->LogLines()) EXPECT_FALSE(l.contains(S("Błąd"))) << l.toStdString();
      if (wiz->isVisible()) wiz->Cancel();
    });
    komunikaty->Grid()->selectRow(0);
    komunikaty->actWyslij->trigger();
  }
  void Opcja(const char* section, const char* key, const QString& value) {
    host_.options->WriteOption(S(section), S(key), value, host::OptionScope::Application);
  }
  QString Tranzyt(const char* kolumna) {
    return host_.db().QueryValue(S("select %1 from TRANZYTY").arg(S(kolumna))).toString().trimmed();
  }
  // What the training platform does next.
  void Scenariusz(const char* json) {
    QFile f(root_.filePath(S("scenariusz.json")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(json);
  }
  // A departure `id` with its declaration, message `id`0.
  void DodajTranzyt(int id, int status, const char* nr_wlasny, const QString& xml = PrzykladowaDeklaracja(1).Xml()) {
    host_.db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, TYP, STATUS, NUMER) values (:I, 0, 1, 'IE015', :S, :N)"),
                    {{S("I"), id}, {S("S"), status}, {S("N"), S("%1/2024").arg(id)}});
    host_.db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                      "values (:P, :I, 1, 'IE015', :S, :NR, :X)"),
                    {{S("P"), id * 10}, {S("I"), id}, {S("S"), status}, {S("NR"), S(nr_wlasny)}, {S("X"), xml}});
  }
  // The messages of transit `id` (0: of the one the list stands on), opened from the list.
  lists::TTranzytyPozycjeWin* Komunikaty(lists::TTranzytyListaWin* lista, int id = 0) {
    if (id) lista->RefreshKey(id);
    lista->Komunikaty();
    return qobject_cast<lists::TTranzytyPozycjeWin*>(form_->OpenWindows().last());
  }
  std::string Dialogi() { return host_.dialogs.Texts().join(QLatin1Char('|')).toStdString(); }

  // A departure from the list to its release: the declaration with two goods items, sent, amended,
  // released.
  void Wyjazd() {
  QElapsedTimer zegar;
  zegar.start();
  const qint64 platforma_przed = exchange::CzasOczekiwaniaNaPlatformeMs(), zdjecia_przed = czas_zdjec;
  auto* lista = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(S("TTranzytyOtwarciaWin"), 1001, true, true, 38));
  ASSERT_NE(lista, nullptr);
  form_->show();
  Zdjecie(form_.get(), S("01_lista_objec"));

  // "Nowy": the declaration editor with the register's defaults.
  Zatwierdz<departure::TIE015PL_Box>(S("02_zgloszenie"), [this](departure::TIE015PL_Box* box) {
    EXPECT_EQ(box->windowTitle(), S("IE15 - Zgłoszenie otwarcia tranzytu."));
    EXPECT_EQ(box->Pole(S("beDeklaracja"))->text(), S("T1"));
    box->Pole(S("beUCPrzezn"))->setText(S("DE004851"));
    box->Pole(S("ceMasaBrutto"))->setText(S("512,5"));
    box->Pole(S("ceLiczbaOpak"))->setText(S("13"));
    // The principal and the consignee from the contractors, the guarantee from the register.
    for (const auto& [pole, nazwa] : {std::pair{"beGlownyZobowiazany", "Bałtycka Spedycja Sp. z o.o."}, {"beOdbiorca", "Meyer Logistik GmbH"}}) {
      GdyOtworzy([nazwa = S(nazwa)](QWidget* picker) { WybierzWPickerze(picker, nazwa); });
      box->findChild<QToolButton*>(S(pole) + S("_Wybierz"))->click();
    }
    EXPECT_EQ(box->Pole(S("beGlownyZobowiazany"))->text(), S("Bałtycka Spedycja Sp. z o.o."));
    GdyOtworzy([this](QWidget* picker) { WybierzWPickerze(picker, grn_); });
    box->findChild<QToolButton*>(S("beGwarancje_Wybierz"))->click();
    EXPECT_FALSE(box->Pole(S("beGwarancje"))->text().isEmpty());

    // Two goods items, each with a package, the first with a produced document.
    for (int i = 1; i <= 2; ++i) {
      Zatwierdz<departure::TIE015_TowarBox>(S("03_pozycja_%1").arg(i), [this, i](departure::TIE015_TowarBox* towar) {
        towar->Opis()->setPlainText(i == 1 ? S("Komputery przenośne") : S("Meble biurowe"));
        towar->Pole(S("beCN8"))->setText(i == 1 ? S("84713000") : S("94033011"));
        towar->Pole(S("ceMasaBrutto"))->setText(i == 1 ? S("500") : S("12,5"));
        towar->Pole(S("ceMasaNetto"))->setText(i == 1 ? S("450") : S("10"));
        GdyOtworzy<departure::TIE015_PozycjaListyBox>([i](departure::TIE015_PozycjaListyBox* e) {
          QTest::keyClicks(e->Pole(S("dbbeRodzaj")), i == 1 ? S("CT") : S("PX"));
          QTest::keyClicks(e->Pole(S("dbbeZnaki")), i == 1 ? S("BS/1") : S("MB/1"));
          QTest::keyClicks(e->Pole(S("dbbeLiczbaOpakowan")), i == 1 ? S("12") : S("1"));
          QTest::keyClick(e->Pole(S("dbbeLiczbaOpakowan")), Qt::Key_Return);
        });
        QTest::keyClick(towar->Siatka(departure::ListaTowaru::Opakowania), Qt::Key_Insert);
        if (i == 1) {
          towar->actNextTab();
          GdyOtworzy<departure::TIE015_PozycjaListyBox>([](departure::TIE015_PozycjaListyBox* e) {
            QTest::keyClicks(e->Pole(S("dbbeKod")), S("N380"));
            QTest::keyClicks(e->Pole(S("dbbeNr")), S("FV/2024/11"));
            QTest::keyClick(e->Pole(S("dbbeNr")), Qt::Key_Return);
          });
          QTest::keyClick(towar->Siatka(departure::ListaTowaru::DokumentyWymagane), Qt::Key_Insert);
          EXPECT_EQ(towar->Siatka(departure::ListaTowaru::DokumentyWymagane)->rowCount(), 1);
        }
      });
      if (i == 1 && box->Towary()->rowCount() == 1) {
        // A new declaration starts with one empty item: Enter on it opens it.
        box->Towary()->setCurrentCell(0, 0);
        QTest::keyClick(box->Towary(), Qt::Key_Return);
      } else {
        QTest::keyClick(box->Towary(), Qt::Key_Insert);
      }
    }
    EXPECT_EQ(box->Towary()->rowCount(), 2);
  });
  lista->Nowy();
  ASSERT_EQ(host_.db().GetCountFieldVal(S("TRANZYTY")), 1) << Dialogi();
  EXPECT_EQ(Tranzyt("TYP"), S("IE015"));

  // Its messages, and "Wyślij ..." by the web service to the training platform.
  auto* komunikaty = Komunikaty(lista);
  ASSERT_NE(komunikaty, nullptr);
  Wyslij(komunikaty, "04_wysylka_IE015", "Wczytano kouminikat IE028");
  EXPECT_EQ(Tranzyt("TYP"), S("IE028")) << Dialogi();
  const QString mrn = Tranzyt("MRN");
  EXPECT_EQ(mrn.size(), 18);
  // The answers are on the list as soon as the wizard closes, with no "Odśwież".
  EXPECT_EQ(komunikaty->Model()->rowCount(), host_.db().GetCountFieldVal(S("TRANZYTY_POZYCJE")));
  EXPECT_EQ(komunikaty->Stored(0, S("TYP")).toString(), S("IE028"));
  EXPECT_EQ(komunikaty->Model()->data(komunikaty->Model()->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
  QStringList typy;
  for (int r = 0; r < komunikaty->Model()->rowCount(); ++r) typy << komunikaty->Stored(r, S("TYP")).toString();
  for (const char* t : {"IE928", "UPO", "IE015"}) EXPECT_TRUE(typy.contains(S(t))) << t;
  Zdjecie(komunikaty, S("05_komunikaty_po_IE028"));

  // "Wyślij ..." once more on the declaration already sent: asked, declined, nothing leaves again.
  const int komunikatow = host_.db().GetCountFieldVal(S("TRANZYTY_POZYCJE"));
  GdyOtworzy<exchange::TWyslijKomunikatWiz>([](exchange::TWyslijKomunikatWiz* wiz) {
    wiz->Kanal(exchange::kKanalPuesc)->setChecked(true);
    wiz->Next();
    if (wiz->isVisible()) wiz->Cancel();
  });
  komunikaty->Grid()->selectRow(komunikaty->Model()->rowCount() - 1);
  komunikaty->actWyslij->trigger();
  EXPECT_TRUE(host_.dialogs.Texts().contains(S("Ten dokument został już wyeksportowany. Czy chcesz to zrobić ponownie ?")));
  EXPECT_EQ(host_.db().GetCountFieldVal(S("TRANZYTY_POZYCJE")), komunikatow);
  EXPECT_EQ(Tranzyt("TYP"), S("IE028"));

  // An amendment: "0 - modyfikacja deklaracji", answered with an IE004.
  komunikaty->Dodaj();
  ASSERT_TRUE(komunikaty->actIE013->isVisible());
  Zatwierdz<departure::TIE015PL_Box>(S("06_sprostowanie"), [](departure::TIE015PL_Box* box) {
    EXPECT_EQ(box->windowTitle(), S("IE13 - Sprostowanie zgłoszenia."));
    box->findChild<QComboBox*>(S("cbTypModyfikacji"))->setCurrentIndex(0);
    box->Pole(S("ceMasaBrutto"))->setText(S("513"));
  });
  komunikaty->actIE013->trigger();
  Wyslij(komunikaty, "07_wysylka_IE013");
  EXPECT_EQ(Tranzyt("TYP"), S("IE004")) << Dialogi();

  // The release comes later: the receive wizard fetches it by period.
  Odbierz(komunikaty, "08_odbior");
  EXPECT_EQ(Tranzyt("TYP"), S("IE029")) << Dialogi();
  EXPECT_EQ(Tranzyt("MRN"), mrn);
  const lists::MenuKomunikatow menu = komunikaty->Logika().Menu();
  EXPECT_FALSE(menu.ie013);
  EXPECT_FALSE(menu.ie014);
  // The list follows by itself: the transit in the release's state and colour, with its MRN.
  QSqlQueryModel* model = lista->Model();
  const QSqlRecord kolumny = model->record();  // names matched whatever their case
  const int opis = kolumny.indexOf(S("OPIS")), mrn_kolumna = kolumny.indexOf(S("MRN")), typ = kolumny.indexOf(S("TYP"));
  ASSERT_GE(opis, 0);
  EXPECT_TRUE(model->data(model->index(0, opis)).toString().startsWith(S("IE029 - Odebrano"))) << model->data(model->index(0, opis)).toString().toStdString();
  EXPECT_EQ(model->data(model->index(0, mrn_kolumna)).toString().trimmed(), mrn);
  EXPECT_EQ(model->data(model->index(0, typ), Qt::ForegroundRole).value<QColor>(), lists::KolorKomunikatu(S("IE029"), 11, 0));
  Zdjecie(form_.get(), S("09_po_zwolnieniu"));
  // The timing report: the whole road, and the application's own share of it (without the time
  // spent waiting for the platform and without the test's pictures).
  const qint64 calosc = zegar.elapsed(), platforma = exchange::CzasOczekiwaniaNaPlatformeMs() - platforma_przed,
               zdjecia = czas_zdjec - zdjecia_przed, aplikacja = calosc - platforma - zdjecia;
  RecordProperty("departure_ms", static_cast<int>(calosc));
  RecordProperty("departure_application_ms", static_cast<int>(aplikacja));
  std::printf("Timing: the whole departure through the windows took %lld ms: waiting for the platform %lld ms, pictures %lld ms, "
              "the application %lld ms\n", calosc, platforma, zdjecia, aplikacja);
  }

  // An arrival from the list to its release: the notification, the permission, the remarks.
  void Przyjazd() {
  host_.db().Exec(S("update REJESTRY set IE007_UC_PRZEDSTAW = 'PL322020', IE007_ODBIORCA_ID = 1"));
  auto* lista = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(S("TTranzytyZamknieciaWin"), 1002, true, true, 39));
  ASSERT_NE(lista, nullptr);
  form_->show();

  // "Nowy": the arrival notification with an event.
  Zatwierdz<arrival::TIE007PL_Box>(S("10_zawiadomienie"), [](arrival::TIE007PL_Box* box) {
    EXPECT_EQ(box->windowTitle(), S("Informacja dla urzedu celnego"));
    EXPECT_EQ(box->Pole(S("beUCPrzedstawienia"))->text(), S("PL322020"));
    EXPECT_EQ(box->Pole(S("beNazwa"))->text(), S("Bałtycka Spedycja Sp. z o.o."));
    QTest::keyClicks(box->Pole(S("beNrMRN")), S("24PL322010NS0009C1"));
    GdyOtworzy<arrival::TIE007PL_ZdarzeniaBox>([](arrival::TIE007PL_ZdarzeniaBox* z) {
      QTest::keyClicks(z->Pole(S("beMiejsce")), S("Swiecko"));
      QTest::keyClicks(z->Pole(S("beKraj")), S("pl"));
      z->Inne()->setChecked(true);
      z->Tekst(S("meOpis"))->setPlainText(S("Wymiana plomby"));
      Zdjecie(z, S("11_zdarzenie"));
      QTest::keyClick(z->Pole(S("beMiejsce")), Qt::Key_Return);
    });
    QTest::keyClick(box->Zdarzenia(), Qt::Key_Insert);
    EXPECT_EQ(box->Zdarzenia()->rowCount(), 1);
  });
  lista->Nowy();
  ASSERT_EQ(host_.db().GetCountFieldVal(S("TRANZYTY")), 1) << Dialogi();
  EXPECT_EQ(Tranzyt("MRN"), S("24PL322010NS0009C1"));

  // The clearance the agency keeps for this arrival.
  host_.db().Exec(S("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, NUMER, DATA, PROCEDURA, IE043) "
                    "select 1, ID_TRANZYTY, 'ODP/1/2024', CREATE_DATE, '4000', 0 from TRANZYTY"));
  auto* komunikaty = Komunikaty(lista);
  ASSERT_NE(komunikaty, nullptr);
  Wyslij(komunikaty, "12_wysylka_IE007");
  EXPECT_EQ(Tranzyt("TYP"), S("IE043")) << Dialogi();
  EXPECT_EQ(host_.db().QueryValue(S("select IE043 from TRANZYTY_ODPRAWY")).toInt(), 1);  // the clearance is marked

  // Unloading remarks with one difference.
  Zatwierdz<arrival::TIE044PL_Box>(S("13_uwagi_rozladunkowe"), [](arrival::TIE044PL_Box* box) {
    EXPECT_EQ(box->Pole(S("ceLiczbaPozycjiIE43"))->text(), S("3"));
    box->Zgodnosc()->setChecked(true);
    box->findChild<QComboBox*>(S("peStanZamkniec"))->setCurrentIndex(1);
    box->findChild<QPlainTextEdit*>(S("meUwagi"))->setPlainText(S("Mniejsza masa pozycji 2"));
    GdyOtworzy<arrival::TIE044PL_WynikKontroliWiz>([](arrival::TIE044PL_WynikKontroliWiz* wiz) {
      wiz->Rodzaj(0)->setChecked(true);
      wiz->Next();
      wiz->Lista()->setCurrentCell(1, 0);
      QTest::keyClick(wiz->Lista(), Qt::Key_Space);
      Zdjecie(wiz, S("14_wynik_kontroli"));
      Zatwierdz<arrival::TIE044PL_TowarBox>(S("15_towar_IE044"), [](arrival::TIE044PL_TowarBox* towar) {
        EXPECT_EQ(towar->Pole(S("ceMasaBrutto"))->text(), S("700.500"));
        towar->Pole(S("ceMasaBrutto"))->setText(S("690"));
      });
      wiz->Next();
    });
    QTest::keyClick(box->Towary(), Qt::Key_Insert);
    EXPECT_EQ(box->Towary()->rowCount(), 1);
  });
  komunikaty->Dodaj();
  EXPECT_EQ(Tranzyt("TYP"), S("IE044")) << Dialogi();
  Wyslij(komunikaty, "16_wysylka_IE044");
  EXPECT_EQ(Tranzyt("TYP"), S("IE025")) << Dialogi();
  Zdjecie(form_.get(), S("17_po_zwolnieniu_towaru"));

  // The register printout lists the transit with its clearance.
  lists::TWydrukRejestruRpt wydruk(*ctx_);
  wydruk.SetID_REJ(1);
  wydruk.SetTR_TYP(frame::kRodzajPrzywoz);
  host::TConfigRptBox::SetOpenAfterPrint(false);
  ASSERT_TRUE(wydruk.Execute()) << wydruk.LastError().toStdString();
  ASSERT_EQ(wydruk.Pozycje().size(), 1u);
  EXPECT_EQ(wydruk.Pozycje()[0].Str(S("NrOdprawy")), S("ODP/1/2024"));
  QString tekst;
  ASSERT_EQ(RunTool(S("pdftotext"), {wydruk.LastPdf(), S("-")}, &tekst), 0);
  EXPECT_TRUE(tekst.contains(S("24PL322010NS0009C1")));
  }

  QString grn_ = S("24PL322010000123G");
  QTimer straznik_;
  int czekanie_ = 0;
  TestHost host_{TestEngine::Sqlite};
  QTemporaryDir root_;
  QProcess sim_;
  std::unique_ptr<host::HostContext> ctx_;
  std::unique_ptr<host::TMainForm> form_;
};

TEST_F(WholeTransit, DepartureFromTheListToItsRelease) { Wyjazd(); }

// The same roads in phase 5: the CC messages leave and come back, the windows stay the same.
class WholeTransitPhase5 : public WholeTransit {
 protected:
  void SetUp() override {
    WholeTransit::SetUp();
    prefiks_zdjec = S("faza5_");
    grn_ = S("24PL3220100001231");
    host_.db().Exec(S("update REJESTRY set FAZA = 5, IE007_MIEJSCE_TYP = 1, IE007_MIEJSCE_OPIS = 'PL322020AB'"));
    host_.db().Exec(S("update GWARANCJE set GRN = :G"), {{S("G"), grn_}});
  }
  void TearDown() override {
    prefiks_zdjec.clear();
    WholeTransit::TearDown();
  }
  // The answer as it came: the received file the message names.
  QString Odebrany(const char* typ) {
    QFile f(host_.db().QueryValue(S("select PLIK from TRANZYTY_POZYCJE where TYP = :T"), {{S("T"), S(typ)}}).toString());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
};

TEST_F(WholeTransitPhase5, DepartureFromTheListToItsRelease) {
  Wyjazd();
  EXPECT_EQ(Tranzyt("FAZA"), S("5"));
  // What left was the EU's declaration; the release came as a CC029C.
  const QString plik = host_.db().QueryValue(S("select PLIK from TRANZYTY_POZYCJE where TYP = 'IE015'")).toString();
  EXPECT_TRUE(plik.contains(S("<ncts:CC015C"))) << plik.left(300).toStdString();
  EXPECT_TRUE(Odebrany("IE029").contains(S("<ncts:CC029C")));
}

TEST_F(WholeTransitPhase5, ArrivalFromTheListToItsRelease) {
  Przyjazd();
  EXPECT_TRUE(host_.db().QueryValue(S("select PLIK from TRANZYTY_POZYCJE where TYP = 'IE044'")).toString().contains(S("<ncts:CC044C")));
  EXPECT_TRUE(Odebrany("IE025").contains(S("<ncts:CC025C")));
}

TEST_F(WholeTransit, ARefusedDeclarationIsShownSoAndNothingElseChanges) {
  Scenariusz(R"({"ie015": "reject"})");
  DodajTranzyt(7, 1, "<AUTO>");
  host_.db().DBGetNewID(S("GID_TRANZYTY_POZYCJE"));
  auto* lista = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(S("TTranzytyOtwarciaWin"), 1001, true, true, 38));
  ASSERT_NE(lista, nullptr);
  auto* komunikaty = Komunikaty(lista);
  ASSERT_NE(komunikaty, nullptr);
  Wyslij(komunikaty, "18_wysylka_odrzucona", "Wczytano kouminikat IE016");
  EXPECT_EQ(Tranzyt("TYP"), S("IE016"));
  EXPECT_EQ(Tranzyt("MRN"), QString());  // no number, no release, no charge
  EXPECT_EQ(host_.db().QueryValue(S("select count(*) from TRANZYTY_POZYCJE where TYP in ('IE028', 'IE029')")).toInt(), 0);
  EXPECT_EQ(host_.db().QueryValue(S("select SALDO from GWARANCJE where ID_GWARANCJE = 4")).toDouble(), 100000.0);
  komunikaty->Grid()->selectRow(0);
  EXPECT_EQ(komunikaty->Stored(0, S("TYP")).toString(), S("IE016"));
  EXPECT_EQ(komunikaty->Model()->data(komunikaty->Model()->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
  Zdjecie(komunikaty, S("19_odrzucenie"));
}

// The requests that follow a declaration, answered by the training platform: a cancellation
// granted with an IE009; a release refused with an IE051, asked again with an IE054 and given.
TEST_F(WholeTransit, FollowUpRequestsAreAnsweredByTheOffice) {
  auto typ = [this](int id) {
    return host_.db().QueryValue(S("select TYP from TRANZYTY where ID_TRANZYTY = :I"), {{S("I"), id}}).toString().trimmed();
  };
  auto lista = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(S("TTranzytyOtwarciaWin"), 1001, true, true, 38));
  ASSERT_NE(lista, nullptr);
  for (int id : {7, 9, 11}) DodajTranzyt(id, 1, "<AUTO>");
  for (int i = 0; i < 120; ++i) host_.db().DBGetNewID(S("GID_TRANZYTY_POZYCJE"));  // past the rows above

  // The cancellation: IE028, then "Wniosek o unieważnienie IE014", granted.
  Scenariusz(R"({"ie014": "accept"})");
  auto* komunikaty = Komunikaty(lista, 7);
  ASSERT_NE(komunikaty, nullptr);
  Wyslij(komunikaty, "23_wysylka_do_uniewaznienia");
  ASSERT_EQ(typ(7), S("IE028"));
  komunikaty->Dodaj();
  ASSERT_TRUE(komunikaty->actIE014->isVisible());
  Zatwierdz<arrival::TIE014PL_Box>(S("24_wniosek_o_uniewaznienie"), [](auto* box) { box->Powod()->setPlainText(S("Rezygnacja z przewozu")); });
  komunikaty->actIE014->trigger();
  ASSERT_EQ(typ(7), S("IE014")) << Dialogi();
  Wyslij(komunikaty, "25_wysylka_IE014");
  EXPECT_EQ(typ(7), S("IE009"));
  EXPECT_EQ(host_.db().QueryValue(S("select STATUS from TRANZYTY_POZYCJE where TRANZYTY_ID = 7 and TYP = 'IE009'")).toInt(), 11);

  // No release: the IE051, then "Dodaj" offers the request for release, which is granted.
  Scenariusz(R"({"ie015": "no_release"})");
  komunikaty = Komunikaty(lista, 9);
  ASSERT_NE(komunikaty, nullptr);
  Wyslij(komunikaty, "26_wysylka_bez_zwolnienia");
  ASSERT_EQ(typ(9), S("IE051"));
  Scenariusz("{}");
  Zatwierdz<arrival::TIE054PL_Box>(S("27_wniosek_o_zwolnienie"));
  komunikaty->Dodaj();
  ASSERT_EQ(typ(9), S("IE054")) << Dialogi();
  Wyslij(komunikaty, "28_wysylka_IE054");
  EXPECT_EQ(typ(9), S("IE029"));

  // An enquiry after the release, answered with an IE141; later the office ends the procedure.
  Scenariusz(R"({"ie029_after": 0, "ie140_after": 0, "ie045_after": "okres"})");
  komunikaty = Komunikaty(lista, 11);
  ASSERT_NE(komunikaty, nullptr);
  Wyslij(komunikaty, "29_wysylka_z_zapytaniem");
  ASSERT_EQ(typ(11), S("IE140"));
  Zatwierdz<arrival::TIE141PL_Box>(S("30_odpowiedz_na_zapytanie"), [](arrival::TIE141PL_Box* box) {
    EXPECT_EQ(box->Tytul()->text(), S("  IE140 - Zapytanie o przesyłkę w ramach procedury poszukiwawczej  "));
  });
  komunikaty->Dodaj();
  ASSERT_EQ(typ(11), S("IE141")) << Dialogi();
  Wyslij(komunikaty, "31_wysylka_IE141");
  Odbierz(komunikaty);
  EXPECT_EQ(typ(11), S("IE045"));
}

// An answer of the office kept in a file (brought on a disk, say) reaches its transit through the
// host's "Odbierz wiadomość z pliku", as a mail would; the same file again is only told.
TEST_F(WholeTransit, AnAnswerInAFileReachesItsTransit) {
  host::SetProcessContext(ctx_.get());
  DodajTranzyt(7, 2, "24IE0150000010");
  QAction* odbierz = form_->findChild<QAction*>(S("blbOdbierzZPliku"));
  ASSERT_NE(odbierz, nullptr);
  for (const char* oczekiwane : {"IE028.xml - wczytano", "IE028.xml - plik był już wczytany"}) {
    GdyOtworzy<host::TOdbierzDanezPlikuWiz>([oczekiwane](host::TOdbierzDanezPlikuWiz* wiz) {
      wiz->DodajPliki({S(VELMORA_TEST_DATA "/incoming/IE028.xml")});
      wiz->Next();
      EXPECT_EQ(wiz->LogLines(), QStringList({S(oczekiwane)}));
      Zdjecie(wiz, S("32_odbior_z_pliku"));
      wiz->Finish();
    });
    odbierz->trigger();
  }
  EXPECT_EQ(Tranzyt("TYP"), S("IE028"));
  EXPECT_EQ(Tranzyt("MRN"), S("24PL322010NS0001A7"));
  host::SetProcessContext(nullptr);
}

TEST_F(WholeTransit, AHurriedClerkLosesNothing) {
  auto* lista = qobject_cast<lists::TTranzytyListaWin*>(form_->OpenWindow(S("TTranzytyOtwarciaWin"), 1001, true, true, 38));
  ASSERT_NE(lista, nullptr);
  // An editor closed with unsaved changes asks first; "no" keeps it open with what was typed.
  GdyOtworzy<departure::TIE015PL_Box>([this](departure::TIE015PL_Box* box) {
    box->Pole(S("beUCPrzezn"))->setText(S("DE004851"));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(host_.dialogs.Texts().last(), S("Porzucić zmiany w zgłoszeniu ?"));
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->Pole(S("beUCPrzezn"))->text(), S("DE004851"));
    host_.dialogs.Answer(host::kIdYes);
    QTest::keyClick(box, Qt::Key_Escape);
  });
  lista->Nowy();
  EXPECT_EQ(host_.db().GetCountFieldVal(S("TRANZYTY")), 0);

  // The platform pulled away mid-upload: the log says so, the signed file stays on disk and the
  // message stays written (sent from this side, as the written file leaves it); once the
  // platform is back, sending again is asked and brings the answers.
  Scenariusz(R"({"fault": "drop"})");
  DodajTranzyt(8, 1, "<AUTO>");
  host_.db().DBGetNewID(S("GID_TRANZYTY_POZYCJE"));
  auto* wyslane = Komunikaty(lista, 8);
  ASSERT_NE(wyslane, nullptr);
  QString plik;
  GdyOtworzy<exchange::TWyslijKomunikatWiz>([&plik](exchange::TWyslijKomunikatWiz* wiz) {
    wiz->Kanal(exchange::kKanalPuesc)->setChecked(true);
    wiz->Next();
    plik = wiz->findChild<QLineEdit*>(S("beSciezka"))->text();
    const QString log = wiz->LogLines().join(QLatin1Char('|'));
    EXPECT_TRUE(log.contains(S("Brak odpowiedzi z systemu")) || log.contains(S("Błąd"))) << log.toStdString();
    Zdjecie(wiz, S("21_platforma_zerwana"));
    if (wiz->isVisible()) wiz->Cancel();
  });
  wyslane->Grid()->selectRow(0);
  wyslane->actWyslij->trigger();
  ASSERT_FALSE(plik.isEmpty());
  QFile podpisany(plik);
  ASSERT_TRUE(podpisany.open(QIODevice::ReadOnly)) << "the signed file is gone: " << plik.toStdString();
  EXPECT_EQ(QString::fromUtf8(podpisany.readAll()),
            host_.db().QueryValue(S("select PLIK from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 80")).toString());
  EXPECT_EQ(host_.db().QueryValue(S("select STATUS from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 80")).toInt(), 2);
  EXPECT_EQ(host_.db().GetCountFieldVal(S("TRANZYTY_POZYCJE")), 1);
  Scenariusz("{}");
  host_.dialogs.Answer(host::kIdYes);
  Wyslij(wyslane, "22_wysylka_ponowna");
  EXPECT_EQ(host_.db().QueryValue(S("select TYP from TRANZYTY where ID_TRANZYTY = 8")).toString(), S("IE028"));
  host_.db().Exec(S("delete from TRANZYTY_POZYCJE where TRANZYTY_ID = 8"));
  host_.db().Exec(S("delete from TRANZYTY where ID_TRANZYTY = 8"));

  // The platform gone while answers are fetched: the log says so and nothing is stored.
  DodajTranzyt(7, 2, "24IE0150000070", S("<IE015/>"));
  auto* komunikaty = Komunikaty(lista, 7);
  ASSERT_NE(komunikaty, nullptr);
  sim_.kill();
  sim_.waitForFinished(5000);
  Odbierz(komunikaty, "20_platforma_niedostepna", "Błąd");
  EXPECT_EQ(host_.db().GetCountFieldVal(S("TRANZYTY_POZYCJE")), 1);
  EXPECT_EQ(Tranzyt("TYP"), S("IE015"));
}

TEST_F(WholeTransit, ArrivalFromTheListToItsRelease) { Przyjazd(); }

}  // namespace
}  // namespace velmora::testing
