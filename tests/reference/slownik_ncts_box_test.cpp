#include "host/base/host_context.h"
#include "host/ui/main_form.h"
#include "host/ui/window_registry.h"
#include "reference/aktualizuj_slowniki_box.h"
#include "reference/slownik_ncts_box.h"
#include "support/test_host.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

namespace velmora::testing {
namespace {

using reference::TSlownikNCTS_BOX;

// A host with its own dictionary directory holding one small list, key 1116.
class PickList : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    reference::ReleaseSlownikCache();
    host_ = std::make_unique<TestHost>(GetParam());
    ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("Slowniki")));
    // File order differs from code order on purpose.
    Write(root_.filePath(QStringLiteral("Slowniki/1116.xml")),
          "<S code=\"1116\" name=\"Metody płatności\">"
          "<P Kod=\"Y\"><d LanCod347=\"PL\" Des110=\"  Rachunek u przewoźnika  \"/></P>"
          "<P Kod=\"A\"><d LanCod347=\"PL\" Des110=\"Gotówka\"/></P>"
          "<P Kod=\"PLN\"><d LanCod347=\"PL\" Des110=\"Złoty\"/></P>"
          "<P Kod=\"C\"><d LanCod347=\"PL\" Des110=\"Czek\"/></P>"
          "</S>");
    ctx_ = std::make_unique<host::HostContext>(host_->Context(root_.path()));
  }
  void TearDown() override { reference::ReleaseSlownikCache(); }

  static void Write(const QString& path, const char* xml) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(xml);
  }
  // Runs `act` on the pick list as soon as it shows.
  static void WhenListShows(std::function<void(TSlownikNCTS_BOX*)> act) {
    QTimer::singleShot(0, [act] {
      auto* box = qobject_cast<TSlownikNCTS_BOX*>(QApplication::activeModalWidget());
      if (!box) {
        ADD_FAILURE() << "no pick list";
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
        return;
      }
      act(box);
    });
  }

  QTemporaryDir root_;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_P(PickList, OpensOnTheCodeAndEnterChoosesTheFocusedRow) {
  QString code = QStringLiteral("  PL ");
  WhenListShows([](TSlownikNCTS_BOX* box) {
    EXPECT_EQ(box->windowTitle(), QStringLiteral("(1116) - Metody płatności"));
    QTableView* grid = box->Grid();
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Kod"));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral(" Opis"));
    EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral(" Lp"));
    EXPECT_TRUE(grid->isColumnHidden(2));
    // Sorted by code, whatever the file order.
    QStringList shown;
    for (int r = 0; r < grid->model()->rowCount(); ++r) shown << grid->model()->index(r, 0).data().toString();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("PLN"), QStringLiteral("Y")}));
    EXPECT_EQ(box->CurrentKod(), QStringLiteral("PLN"));  // prefix search
    EXPECT_EQ(box->Memo()->toPlainText(), QStringLiteral("Złoty"));
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(box->Memo()->toPlainText(), QStringLiteral("Rachunek u przewoźnika"));  // trimmed
#ifdef VELMORA_ARTIFACT_DIR
    QDir().mkpath(QStringLiteral(VELMORA_ARTIFACT_DIR));
    box->grab().save(QStringLiteral(VELMORA_ARTIFACT_DIR "/slownik_ncts_box.png"));
#endif
    // The memo never keeps the focus.
    box->Memo()->setFocus();
    QFocusEvent focus_in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(box->Memo(), &focus_in);
    EXPECT_EQ(box->focusWidget(), grid);
    QTest::keyClick(grid, Qt::Key_Return);
  });
  EXPECT_EQ(TSlownikNCTS_BOX::Listuj(*ctx_, 1116, code, nullptr, true), TSlownikNCTS_BOX::kMrOk);
  EXPECT_EQ(code, QStringLiteral("Y"));
}

TEST_P(PickList, ClosingWithoutAChoiceKeepsTheTrimmedCode) {
  QString code = QStringLiteral(" QQ ");
  WhenListShows([](TSlownikNCTS_BOX* box) {
    EXPECT_EQ(box->CurrentKod(), QStringLiteral("Y"));  // not found: the first row of the list
    EXPECT_TRUE(box->Memo()->isVisibleTo(box));
    auto* wybierz = box->findChild<QPushButton*>(QStringLiteral("btnWybierz"));
    EXPECT_TRUE(wybierz && wybierz->text() == QStringLiteral("Wybierz"));
    box->reject();
  });
  EXPECT_EQ(TSlownikNCTS_BOX::Listuj(*ctx_, 1116, code), TSlownikNCTS_BOX::kMrCancel);
  EXPECT_EQ(code, QStringLiteral("QQ"));
}

TEST_P(PickList, AnchoredListSearchesAsYouTypeAndDoubleClickChooses) {
  QWidget form;
  auto* edit = new QLineEdit(&form);
  edit->setGeometry(10, 10, 90, 24);
  form.show();
  QString code;
  WhenListShows([edit](TSlownikNCTS_BOX* box) {
    EXPECT_FALSE(box->Memo()->isVisibleTo(box));  // no description pane
    EXPECT_EQ(box->Grid()->horizontalHeader()->sectionSize(0), 86);  // the anchor's width less 4
    EXPECT_EQ(box->pos().x(), edit->mapToGlobal(QPoint(0, 0)).x());
    QTableView* grid = box->Grid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));  // the search stays on the code column
    QTest::keyClicks(grid, QStringLiteral("pl"));
    EXPECT_EQ(box->CurrentKod(), QStringLiteral("PLN"));
    const QModelIndex c = grid->model()->index(1, 0);
    grid->setCurrentIndex(c);
    emit grid->doubleClicked(c);
  });
  EXPECT_EQ(TSlownikNCTS_BOX::Listuj(*ctx_, 1116, code, edit, false), TSlownikNCTS_BOX::kMrOk);
  EXPECT_EQ(code, QStringLiteral("C"));
}

TEST_P(PickList, NoListOverADictionaryThatDoesNotLoad) {
  Write(root_.filePath(QStringLiteral("Slowniki/1017.xml")), "<S><broken></S>");
  QString code = QStringLiteral("CT");
  bool shown = false;
  QTimer guard;
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      shown = true;
      w->close();
    }
  });
  guard.start(50);
  EXPECT_EQ(TSlownikNCTS_BOX::Listuj(*ctx_, 1017, code), TSlownikNCTS_BOX::kMrCancel);
  EXPECT_EQ(TSlownikNCTS_BOX::Listuj(*ctx_, 4242, code), TSlownikNCTS_BOX::kMrCancel);
  EXPECT_FALSE(shown);
  ASSERT_EQ(host_->dialogs.Texts().size(), 2);
  EXPECT_TRUE(host_->dialogs.Texts()[0].startsWith(QStringLiteral("Wystąpił błąd podczas wczytywania słownika \n")));
  EXPECT_EQ(host_->dialogs.Texts()[1], QStringLiteral("Plik ze słownikiem 4242 nie istnieje"));
  // The class-level checks report the same way and answer "not found".
  EXPECT_FALSE(TSlownikNCTS_BOX::JestKod(*ctx_, 1017, code));
  EXPECT_EQ(TSlownikNCTS_BOX::GetOpis(*ctx_, 1116, QStringLiteral("PL")), QStringLiteral("Złoty"));
  EXPECT_EQ(host_->dialogs.Texts().size(), 3);
}

TEST_P(PickList, MenuCommandImportsDictionariesIntoTheRoot) {
  host::TMainForm form(*ctx_);
  form.BuildMenus();
  QTemporaryDir source;
  Write(source.filePath(QStringLiteral("1116.xml")), "<S code=\"1116\" name=\"Nowa\"><P Kod=\"N\"><d LanCod347=\"PL\" Des110=\"Nowy\"/></P></S>");
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<reference::TAktualizujSlownikiBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box->FolderEdit()->setText(source.path());
    EXPECT_EQ(box->FileList()->count(), 1);
    box->FolderEdit()->setText(source.filePath(QStringLiteral("brak")));
    EXPECT_EQ(box->FileList()->count(), 0);
    EXPECT_FALSE(box->actOkExecute());  // refused with the host's warning, box stays open
    box->FolderEdit()->setText(source.path());
    if (box->actOkExecute()) box->accept();
  });
  QAction* item = form.findChild<QAction*>(QStringLiteral("Aktualizacjasownikw1"));
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_TRUE(form.OpenWindows().isEmpty());
  ASSERT_EQ(host_->dialogs.Texts().size(), 2);
  EXPECT_EQ(host_->dialogs.Texts()[0], QStringLiteral("Wskaż istniejący katalog ze słownikami"));
  EXPECT_TRUE(host_->dialogs.Texts()[1].startsWith(QStringLiteral("Zaktualizowano słowniki: 1 (1116.xml)")));
  EXPECT_EQ(TSlownikNCTS_BOX::GetOpis(*ctx_, 1116, QStringLiteral("N")), QStringLiteral("Nowy"));
}

VELMORA_ON_BOTH_ENGINES(PickList);

}  // namespace
}  // namespace velmora::testing
