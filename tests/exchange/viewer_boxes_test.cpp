#include "exchange/viewer_boxes.h"
#include "host/base/host_context.h"
#include "support/test_host.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>

namespace velmora::testing {
namespace {

TEST(ViewerBoxes, StoredRefusalFillsReadOnlyFieldsAndSelectsTheFirstError) {
  TestHost host(TestEngine::Sqlite);
  QTemporaryDir root;
  host::HostContext ctx = host.Context(root.path());
  QFile sample(QStringLiteral(VELMORA_TEST_DATA "/incoming/IE016.xml"));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  host.db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP, NR_WLASNY, XML) values (7, 'IE016', 'X', :XML)"),
                 {{QStringLiteral("XML"), QString::fromUtf8(sample.readAll())}});

  std::unique_ptr<host::TEditBox> box(exchange::CreateIncomingViewer(ctx, QStringLiteral("IE016"), 7, QStringLiteral("X")));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->objectName(), QStringLiteral("TIE016PL_Box"));
  box->BeforeActivate();
  box->Activate();
  EXPECT_TRUE(box->ViewMode());
  auto* own = box->findChild<QLineEdit*>(QStringLiteral("beNrWlasny"));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->text(), QStringLiteral("24IE016UC0000016"));
  EXPECT_TRUE(own->isReadOnly());
  auto* grid = static_cast<exchange::TIncomingViewerBox*>(box.get())->Table(0);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->currentRow(), 0);
  EXPECT_EQ(grid->item(1, 3)->text(), QStringLiteral("C060"));

  EXPECT_EQ(exchange::CreateIncomingViewer(ctx, QStringLiteral("IE015"), 7, QStringLiteral("X")), nullptr);
}

TEST(ViewerBoxes, RawDocumentIsWrittenBelowTheRootAndSavedOnRequest) {
  TestHost host(TestEngine::Sqlite);
  QTemporaryDir root;
  host::HostContext ctx = host.Context(root.path());
  host.db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TYP, NR_WLASNY, XML) values (8, 'IE043', '24IE043UC1', '<IE043><Rozladunek/></IE043>')"));
  std::unique_ptr<host::TEditBox> box(exchange::CreateIncomingViewer(ctx, QStringLiteral("IE043"), 8, QStringLiteral("24IE043UC1")));
  auto* raw = qobject_cast<exchange::TIEXMLPL_Box*>(box.get());
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->windowTitle(), QStringLiteral("IE043_24IE043UC1"));
  EXPECT_TRUE(raw->DisplayFile().startsWith(QDir(root.path()).filePath(QStringLiteral("TEMP/"))));
  QFile shown(raw->DisplayFile());
  ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
  EXPECT_EQ(shown.readAll(), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r<IE043><Rozladunek/></IE043>"));
  const QString target = root.filePath(QStringLiteral("kopia.xml"));
  ASSERT_TRUE(raw->ZapiszDoPliku(target));
  QFile saved(target);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), raw->GetXMLData());
  EXPECT_FALSE(raw->ZapiszDoPliku(root.filePath(QStringLiteral("brak/katalogu/x.xml"))));
}

}  // namespace
}  // namespace velmora::testing
