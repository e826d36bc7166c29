#include "host/reports/config_rpt_box.h"
#include "host/ui/scripted_dialogs.h"
#include "host/ui/tab_wizard_box.h"
#include "host/xml/group.h"
#include "host/xml/xml_document.h"
#include "host/ui/xml_list_box.h"
#include "support/test_host.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

// Readable texts in assertion messages.
QT_BEGIN_NAMESPACE
static void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join(QStringLiteral("|")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace velmora::host {
namespace {

using xml::Attr;
using xml::Elem;
using xml::Sub;

// ---- Wizard ----

class ProbeWizard : public TTabWizardBox {
 public:
  ProbeWizard() {
    for (int i = 0; i < 4; ++i)
      AddPage(new QLabel(QStringLiteral("Treść %1").arg(i)), QStringLiteral("Krok %1").arg(i));
  }

  QStringList calls;
  int start_page = 0;
  int last_page = 3;
  bool save_ok = true;
  std::set<int> refused;     // pages whose data does not pass
  std::map<int, int> jumps;  // next page other than the following one

  int StackIndex() const { return qobject_cast<QStackedWidget*>(Page(0)->parentWidget())->currentIndex(); }

 protected:
  void Load() override { calls << QStringLiteral("Load"); }
  int GetStartPage() override {
    calls << QStringLiteral("Start");
    return start_page;
  }
  void InitCurrentPage(int page) override { calls << QStringLiteral("Init %1").arg(page); }
  int GetNextPage(int page) override {
    if (refused.count(page)) return -1;
    const auto jump = jumps.find(page);
    return jump != jumps.end() ? jump->second : TTabWizardBox::GetNextPage(page);
  }
  bool LastPageTest(int page) override { return page == last_page; }
  bool Save() override {
    calls << QStringLiteral("Save");
    return save_ok;
  }
};

TEST(TabWizardBox, LoadsOnceThenStaysOnAPageWhoseNextIsRefused) {
  ProbeWizard w;
  w.start_page = 1;
  w.refused = {1};
  w.Start();
  w.Start();
  EXPECT_EQ(w.calls, QStringList({"Load", "Start", "Init 1"}));
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_EQ(w.StackIndex(), 1);

  EXPECT_FALSE(w.Next());
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_EQ(w.calls.size(), 3);  // no page was initialised again

  w.refused.clear();
  EXPECT_TRUE(w.Next());
  EXPECT_EQ(w.CurrentPage(), 2);
  EXPECT_EQ(w.StackIndex(), 2);
  EXPECT_EQ(w.calls.last(), "Init 2");

  // A next page that does not exist keeps the wizard where it is.
  w.jumps[2] = 9;
  EXPECT_FALSE(w.Next());
  EXPECT_EQ(w.CurrentPage(), 2);
}

TEST(TabWizardBox, BackRetracesTheWayThroughSkippedPages) {
  ProbeWizard w;
  w.jumps[0] = 2;  // page 1 does not apply
  w.Start();
  EXPECT_FALSE(w.BackButton()->isEnabled());
  EXPECT_FALSE(w.Back());

  ASSERT_TRUE(w.Next());
  ASSERT_TRUE(w.Next());
  EXPECT_EQ(w.CurrentPage(), 3);
  EXPECT_TRUE(w.BackButton()->isEnabled());

  EXPECT_TRUE(w.Back());
  EXPECT_EQ(w.CurrentPage(), 2);
  EXPECT_TRUE(w.Back());
  EXPECT_EQ(w.CurrentPage(), 0);  // not the skipped page 1
  EXPECT_EQ(w.StackIndex(), 0);
  EXPECT_EQ(w.calls.last(), "Init 0");
  EXPECT_FALSE(w.BackButton()->isEnabled());

  // Walking on again starts a fresh history.
  w.jumps.clear();
  ASSERT_TRUE(w.Next());
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_TRUE(w.Back());
  EXPECT_EQ(w.CurrentPage(), 0);
  EXPECT_TRUE(w.Flow().History().empty());
}

TEST(TabWizardBox, OnlyTheLastPageFinishes) {
  ProbeWizard w;
  w.last_page = 2;
  w.Start();
  EXPECT_TRUE(w.NextButton()->isEnabled());
  EXPECT_FALSE(w.FinishButton()->isEnabled());
  EXPECT_FALSE(w.Finish());
  EXPECT_FALSE(w.calls.contains("Save"));

  ASSERT_TRUE(w.Next());
  ASSERT_TRUE(w.Next());
  EXPECT_FALSE(w.NextButton()->isEnabled());
  EXPECT_TRUE(w.FinishButton()->isEnabled());
  EXPECT_FALSE(w.Next());  // page 3 exists, but 2 is the last one
  EXPECT_EQ(w.CurrentPage(), 2);

  // The last page may depend on the data: the buttons follow on request.
  ASSERT_TRUE(w.Back());
  EXPECT_FALSE(w.FinishButton()->isEnabled());
  w.last_page = 1;
  w.UpdateButtons();
  EXPECT_TRUE(w.FinishButton()->isEnabled());
  EXPECT_FALSE(w.NextButton()->isEnabled());
}

TEST(TabWizardBox, RefusedSaveKeepsTheBoxOpenAndTheResultTellsHowItClosed) {
  ProbeWizard w;
  w.last_page = 1;
  w.save_ok = false;
  bool refused_finish = false;
  bool open_after_refusal = false;
  QTimer::singleShot(0, &w, [&] {
    w.Next();
    refused_finish = !w.Finish();
    open_after_refusal = w.isVisible();
    w.save_ok = true;
    w.Finish();
  });
  QTimer::singleShot(5000, &w, [&] { w.reject(); });  // a box that never closes fails, not hangs
  EXPECT_EQ(w.ShowBox(), 1);
  EXPECT_TRUE(refused_finish);
  EXPECT_TRUE(open_after_refusal);
  EXPECT_EQ(w.GetBoxResult(), 1);
  EXPECT_EQ(w.calls.count("Save"), 2);
  EXPECT_EQ(w.calls.count("Load"), 1);

  ProbeWizard cancelled;
  cancelled.last_page = 0;
  QTimer::singleShot(0, &cancelled, [&] { cancelled.CancelButton()->click(); });
  QTimer::singleShot(5000, &cancelled, [&] { cancelled.accept(); });
  EXPECT_EQ(cancelled.ShowBox(), 0);
  EXPECT_EQ(cancelled.GetBoxResult(), 0);
  EXPECT_FALSE(cancelled.calls.contains("Save"));
}

// ---- XML list ----

const xml::GroupDesc kTowar{QStringLiteral("Towar"), {Attr("Lp"), Elem("Opis"), Elem("Ilosc")}};
const xml::GroupDesc kZgloszenie{QStringLiteral("Zgloszenie"), {Elem("Numer"), Sub(kTowar, true), Elem("Uwagi")}};

std::vector<XmlListColumn> Columns() {
  return {{QString(), QStringLiteral("Lp.")},
          {QStringLiteral("Opis"), QStringLiteral("Opis")},
          {QStringLiteral("Ilosc"), QStringLiteral("Ilość")}};
}

class XmlListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_ = xml::XmlDocument::Parse(QStringLiteral(
        "<Zgloszenie><Numer>Z1</Numer>"
        "<Towar Lp=\"1\"><Opis>Kawa</Opis><Ilosc>5</Ilosc></Towar>"
        "<Towar Lp=\"2\"><Opis>Herbata</Opis></Towar>"
        "<Uwagi>pilne</Uwagi></Zgloszenie>"));
    root_ = xml::Group(doc_, doc_->DocumentElement(), &kZgloszenie);
  }
  QStringList Opisy() const {
    QStringList out;
    for (const xml::Group& t : root_.List(kTowar))
      out << t.Get(QStringLiteral("Lp")) + ":" + t.Get(QStringLiteral("Opis"));
    return out;
  }

  xml::XmlDocumentPtr doc_;
  xml::Group root_;
  ScriptedDialogs dialogs_;
};

TEST_F(XmlListTest, ModelListsTheRepeatedChildrenFieldByField) {
  XmlGroupListModel model;
  model.SetSource(root_, kTowar, Columns());
  ASSERT_EQ(model.rowCount(), 2);
  ASSERT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.data(model.index(1, 0)).toInt(), 2);  // ordinal column
  EXPECT_EQ(model.data(model.index(1, 1)).toString(), "Herbata");
  EXPECT_EQ(model.data(model.index(0, 2)).toString(), "5");
  EXPECT_EQ(model.data(model.index(1, 2)).toString(), "");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Ilość"));
  EXPECT_EQ(model.Item(1).Get(QStringLiteral("Opis")), "Herbata");
  EXPECT_TRUE(model.Item(2).IsNull());

  EXPECT_THROW(model.SetSource(root_, kTowar, {{QStringLiteral("Waga"), QStringLiteral("Waga")}}), std::logic_error);
}

TEST_F(XmlListTest, ModelSignalsAddedAndRemovedRowsAndKeepsSchemaOrder) {
  XmlGroupListModel model;
  model.SetSource(root_, kTowar, Columns());
  std::vector<std::pair<int, int>> inserted, removed;
  QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); });
  QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                   [&](const QModelIndex&, int first, int last) { removed.emplace_back(first, last); });

  const int row = model.AddItem();
  EXPECT_EQ(row, 2);
  EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{2, 2}}));
  model.Item(row).Set(QStringLiteral("Opis"), QStringLiteral("Cukier"));
  const QString text = doc_->ToXml();
  EXPECT_LT(text.indexOf("Cukier"), text.indexOf("<Uwagi>"));

  EXPECT_TRUE(model.RemoveItem(0));
  EXPECT_FALSE(model.RemoveItem(5));
  EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_EQ(Opisy(), QStringList({"2:Herbata", ":Cukier"}));
  EXPECT_EQ(model.data(model.index(1, 1)).toString(), "Cukier");
}

TEST_F(XmlListTest, RefreshResetsOnlyWhenTheElementsChanged) {
  XmlGroupListModel model;
  model.SetSource(root_, kTowar, Columns());
  int resets = 0, changes = 0;
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] { ++changes; });

  root_.List(kTowar)[0].Set(QStringLiteral("Opis"), QStringLiteral("Kakao"));
  model.Refresh();
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), "Kakao");

  root_.Add(kTowar);  // behind the model's back
  model.Refresh();
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(model.Count(), 3);
}

class TowarBox : public TQuorvikXmlBox {
 public:
  using TQuorvikXmlBox::TQuorvikXmlBox;

  bool accept = true;
  std::vector<bool> edits;  // is_new of every call

 protected:
  bool EditItem(xml::Group& item, bool is_new) override {
    edits.push_back(is_new);
    item.Set(QStringLiteral("Opis"), accept ? QStringLiteral("Cukier") : QStringLiteral("porzucony"));
    return accept;
  }
  void AfterChange() override {
    int lp = 1;
    for (xml::Group& t : Model().Parent().List(kTowar)) t.Set(QStringLiteral("Lp"), QString::number(lp++));
  }
};

TEST_F(XmlListTest, BoxAddKeepsTheEditedRecordAndACancelledOneLeavesNothing) {
  TowarBox box(dialogs_);
  box.SetSource(root_, kTowar, Columns());
  int changed = 0;
  QObject::connect(&box, &TQuorvikXmlBox::Changed, [&] { ++changed; });

  box.accept = false;
  EXPECT_FALSE(box.AddNew());
  EXPECT_EQ(Opisy(), QStringList({"1:Kawa", "2:Herbata"}));
  EXPECT_FALSE(doc_->ToXml().contains("porzucony"));
  EXPECT_EQ(box.Model().Count(), 2);
  EXPECT_EQ(changed, 0);

  box.accept = true;
  EXPECT_TRUE(box.AddNew());
  EXPECT_EQ(Opisy(), QStringList({"1:Kawa", "2:Herbata", "3:Cukier"}));
  EXPECT_EQ(box.Model().data(box.Model().index(2, 1)).toString(), "Cukier");
  EXPECT_EQ(box.CurrentRow(), 2);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(box.edits, (std::vector<bool>{true, true}));
}

TEST_F(XmlListTest, BoxEditsAndDeletesOnlyTheSelectedRowAndAsksBeforeDeleting) {
  TowarBox box(dialogs_);
  box.SetSource(root_, kTowar, Columns());

  box.SetCurrentRow(-1);
  EXPECT_FALSE(box.EditButton()->isEnabled());
  EXPECT_FALSE(box.DeleteButton()->isEnabled());
  EXPECT_FALSE(box.EditCurrent());
  EXPECT_FALSE(box.DeleteCurrent());
  EXPECT_TRUE(box.edits.empty());
  EXPECT_TRUE(dialogs_.ShownBoxes().empty());

  box.SetCurrentRow(0);
  EXPECT_TRUE(box.DeleteButton()->isEnabled());
  EXPECT_FALSE(box.DeleteCurrent());  // the question's default is "Nie"
  EXPECT_EQ(dialogs_.Texts(), QStringList({QStringLiteral("Czy usunąć zaznaczoną pozycję?")}));
  EXPECT_EQ(Opisy(), QStringList({"1:Kawa", "2:Herbata"}));

  dialogs_.Answer(kIdYes);
  EXPECT_TRUE(box.DeleteCurrent());
  EXPECT_EQ(Opisy(), QStringList({"1:Herbata"}));  // renumbered
  EXPECT_EQ(box.CurrentRow(), 0);

  EXPECT_TRUE(box.EditCurrent());
  EXPECT_EQ(box.edits, (std::vector<bool>{false}));
  EXPECT_EQ(Opisy(), QStringList({"1:Cukier"}));
  EXPECT_EQ(box.Model().data(box.Model().index(0, 1)).toString(), "Cukier");

  dialogs_.Answer(kIdYes);
  EXPECT_TRUE(box.DeleteCurrent());
  EXPECT_EQ(box.CurrentRow(), -1);
  EXPECT_FALSE(box.DeleteButton()->isEnabled());
}

TEST_F(XmlListTest, KeysInTheListAddEditAndDelete) {
  TowarBox box(dialogs_);
  box.SetSource(root_, kTowar, Columns());
  auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(box.View(), &event);
  };

  box.SetCurrentRow(1);
  dialogs_.Answer(kIdYes);
  press(Qt::Key_Delete);
  EXPECT_EQ(Opisy(), QStringList({"1:Kawa"}));

  press(Qt::Key_Insert);
  EXPECT_EQ(Opisy(), QStringList({"1:Kawa", "2:Cukier"}));

  box.SetCurrentRow(0);
  press(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(box.edits, (std::vector<bool>{true, false}));

  press(Qt::Key_Insert, Qt::ControlModifier);  // a copy shortcut, not "Dodaj"
  EXPECT_EQ(box.edits.size(), 2u);
}

// ---- Report ----

QString PdfText(const QString& file_name) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file_name, QStringLiteral("-")});
  if (!process.waitForFinished(30000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

bool HavePdfToText() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

QByteArray Head(const QString& file_name, int size) {
  QFile file(file_name);
  return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

class GoodsReport : public TConfigRptBox {
 public:
  QString file_name;
  QStringList calls;

 protected:
  QString Get_FileNamePDF() override { return file_name; }
  void Prepare() override {
    calls << QStringLiteral("Prepare");
    rows_ = {QStringLiteral("Zażółć gęślą jaźń"), QStringLiteral("ZAŻÓŁĆ GĘŚLĄ JAŹŃ")};
  }
  QString RenderHtml() override {
    calls << QStringLiteral("Render");
    QString html = QStringLiteral("<h2>Towary</h2><table>");
    for (const QString& r : rows_) html += QStringLiteral("<tr><td>%1</td></tr>").arg(Html(r));
    return html + QStringLiteral("</table>");
  }

 private:
  QStringList rows_;
};

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TConfigRptBox::SetOpenAfterPrint(false);
    ASSERT_TRUE(dir_.isValid());
  }
  QTemporaryDir dir_;
};

TEST_F(ReportTest, WritesThePreparedDataWithPolishLettersAndAFailedRunForgetsThePdf) {
  GoodsReport report;
  const QString good = dir_.filePath(QStringLiteral("towary.pdf"));
  report.file_name = good;
  ASSERT_TRUE(report.Execute()) << report.LastError().toStdString();
  EXPECT_EQ(report.calls, QStringList({"Prepare", "Render"}));
  EXPECT_EQ(report.LastPdf(), good);

  // A folder that is a file cannot be written into, not even by root.
  report.file_name = good + QStringLiteral("/zly.pdf");
  EXPECT_FALSE(report.Execute());
  EXPECT_TRUE(report.LastPdf().isEmpty());
  EXPECT_FALSE(report.LastError().isEmpty());
  EXPECT_TRUE(Head(good, 5).startsWith("%PDF-"));
  if (!HavePdfToText()) VELMORA_MISSING_PEER("pdftotext missing: only the PDF header was checked");
  const QString text = PdfText(good);
  EXPECT_TRUE(text.contains(QStringLiteral("Zażółć gęślą jaźń"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"))) << text.toStdString();
}

TEST_F(ReportTest, DefaultPdfGoesToTheTemporaryFolderNamedAfterTheReport) {
  TConfigRptBox report;
  report.SetAppRpt(QStringLiteral("TRANZYT"));
  report.SetObiektRpt(QStringLiteral("NCTS/DOK"));
  report.SetJezykRpt(QStringLiteral("PL"));
  report.SetTytulRpt(QStringLiteral("Wykaz zgłoszeń"));
  EXPECT_EQ(report.Get_RptFile(), QStringLiteral("TRANZYT_NCTS/DOK_PL"));
  const QString expected = QDir(QDir::tempPath()).filePath(QStringLiteral("TRANZYT_NCTS_DOK_PL.pdf"));
  EXPECT_EQ(report.Get_FileNamePDF(), expected);

  ASSERT_TRUE(report.Execute()) << report.LastError().toStdString();
  EXPECT_EQ(report.LastPdf(), expected);
  const QString text = HavePdfToText() ? PdfText(expected) : QString();
  QFile::remove(expected);
  if (!HavePdfToText()) VELMORA_MISSING_PEER("pdftotext missing");
  EXPECT_TRUE(text.contains(QStringLiteral("Wykaz zgłoszeń"))) << text.toStdString();
}

TEST(ReportFileStem, KeepsLettersAndReplacesWhatCouldLeaveTheFolder) {
  EXPECT_EQ(ReportFileStem(QStringLiteral("Zgłoszenie 12/2024")), QStringLiteral("Zgłoszenie_12_2024"));
  EXPECT_EQ(ReportFileStem(QStringLiteral("..")), QStringLiteral("raport"));
  EXPECT_EQ(ReportFileStem(QStringLiteral("../x")), QStringLiteral("_x"));
}

}  // namespace
}  // namespace velmora::host
