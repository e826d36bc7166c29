#include "support/test_host.h"

#include "host/reports/config_rpt_box.h"
#include "host/ui/frm_sql_win.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/window_registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QProcess>
#include <QSqlQueryModel>
#include <QStandardPaths>
#include <QTimer>

#include <functional>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

// The reports and the Russian descriptions as the menu opens them: a dialog, then a PDF below
// the root's TEMP.
class HostReportWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    host::TConfigRptBox::SetOpenAfterPrint(false);
    host::RegisterHostWindows();
    ctx_ = std::make_unique<host::HostContext>(host_.Context(root_.path()));
  }
  // Opens a window class; `fill` sets the parameters' dialog before it is accepted.
  QWidget* Open(const char* window_class, std::function<void(QDialog*)> fill = {}) {
    QTimer::singleShot(0, [fill] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      if (fill) fill(dlg);
      dlg->accept();
    });
    return host::CreateRegisteredWindow(S(window_class), *ctx_, {});
  }
  // The text of the report the window wrote below TEMP, kept among the test artefacts as
  // `artifact` for people to look at; empty when pdftotext is missing.
  QString PdfText(const char* stem, const char* artifact) {
    EXPECT_TRUE(host_.dialogs.Texts().isEmpty()) << host_.dialogs.Texts().join(S("|")).toStdString();
    const QString pdf = root_.filePath(S("TEMP/NCTS_%1_PL-2024-03-01-2024-03-05.pdf").arg(S(stem)));
    EXPECT_TRUE(QFile::exists(pdf)) << pdf.toStdString();
    const QString kept = S(VELMORA_ARTIFACT_DIR "/") + S(artifact);
    QFile::remove(kept);
    QFile::copy(pdf, kept);
    QProcess p;
    p.start(QStandardPaths::findExecutable(S("pdftotext")), {S("-layout"), pdf, S("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
  }
  static bool HavePdfToText() { return !QStandardPaths::findExecutable(S("pdftotext")).isEmpty(); }

  TestHost host_{TestEngine::Sqlite};
  QTemporaryDir root_;
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_F(HostReportWindows, GuaranteeBalancePrintsTheLedgerLinesWithTheirMrn) {
  host_.db().Exec(S("insert into GWARANCJE (ID_GWARANCJE, SYMBOL, NUMER, GRN, RODZAJ, WALUTA, KWOTA) values "
                    "(7, 'GW-1', 'G/7/2024', '24PL322010000777G', '1', 'PLN', 10000), (8, 'GW-2', 'G/8', '', '1', 'PLN', 50)"));
  host::TWpisGwarancja w = host::NoweObciazenie(host_.user, host_.clock);
  w.kwota = 2500.25;
  w.obj_nr = S("24PL322010NS0000B2");
  w.gwarancja_id = 7;
  QString msg;
  ASSERT_GT(host::TGwarancjePozycjeBox::DodajWpis(host_.db(), w, msg), 0) << msg.toStdString();

  EXPECT_EQ(Open("TWPTRpt",
                 [](QDialog* dlg) {
                   auto* g = dlg->findChild<QComboBox*>(S("cbGwarancja"));
                   ASSERT_EQ(g->count(), 3);  // <wszystkie> and both guarantees
                   g->setCurrentIndex(1);
                   dlg->findChild<QCheckBox*>(S("cbPozycje"))->setChecked(true);
                 }),
            nullptr);
  const QString text = PdfText("SaldoGwarancji", "saldogwarancji.pdf");
  if (!HavePdfToText()) VELMORA_MISSING_PEER("pdftotext missing");
  EXPECT_TRUE(text.contains(S("24PL322010NS0000B2"))) << text.toStdString();
  EXPECT_TRUE(text.contains(S("7499.75"))) << text.toStdString();
  EXPECT_TRUE(text.contains(S("Obciążenie")));
  EXPECT_FALSE(text.contains(S("GW-2")));  // only the guarantee chosen
}

TEST_F(HostReportWindows, TimelinessPrintsTheTransitsOfThePeriod) {
  host_.db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, ROK, NR, NUMER, MRN, CREATE_DATE) values "
                    "(1, 0, 2024, 1, '1/2024', '24PL322010NS0000A1', '2024-03-01'), "
                    "(2, 1, 2024, 1, '1/2024', '24PL322010NS0000C3', '2024-03-02')"));
  host_.db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, DATA_WYSLANIA, CREATE_DATE, "
                    "CREATE_TIME) values (1, 1, 1, 'IE015', 2, :W, '2024-03-01', null), (2, 1, 2, 'IE028', 11, null, "
                    "'2024-03-01', :C)"),
                  {{S("W"), QDateTime(QDate(2024, 3, 1), QTime(9, 0))}, {S("C"), S("12:30:00")}});

  EXPECT_EQ(Open("TTerminowoscRpt",
                 [](QDialog* dlg) { dlg->findChild<QComboBox*>(S("cbRodzaj"))->setCurrentIndex(1); }),
            nullptr);
  const QString text = PdfText("Terminowosc", "terminowosc.pdf");
  if (!HavePdfToText()) VELMORA_MISSING_PEER("pdftotext missing");
  EXPECT_TRUE(text.contains(S("24PL322010NS0000A1"))) << text.toStdString();
  EXPECT_TRUE(text.contains(S("2024-03-01 12:30"))) << text.toStdString();
  EXPECT_TRUE(text.contains(S("3.5"))) << text.toStdString();
  EXPECT_FALSE(text.contains(S("NS0000C3")));  // departures only
}

TEST_F(HostReportWindows, RussianDescriptionsListShowsCyrillic) {
  host_.db().Exec(S("insert into OPISY_ROSJA (ID_OPISY_ROSJA, KOD_CN, OPIS_PL, OPIS_RU) values "
                    "(1, '84295199', 'Ładowarki czołowe', 'Фронтальные погрузчики')"));
  std::unique_ptr<QWidget> w(host::CreateRegisteredWindow(S("OpisyTowarowROSJA"), *ctx_, {}));
  auto* win = qobject_cast<host::THostTableWin*>(w.get());
  ASSERT_NE(win, nullptr);
  ASSERT_EQ(win->Model()->rowCount(), 1);
  EXPECT_EQ(win->Stored(0, S("OPIS_RU")).toString(), S("Фронтальные погрузчики"));
  EXPECT_EQ(win->GetBoxQuery()->Str(S("OPIS_PL")), S("Ładowarki czołowe"));
}

}  // namespace
}  // namespace velmora::testing
