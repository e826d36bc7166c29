#include "host/ui/scripted_dialogs.h"
#include "reference/slownik_ncts.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace velmora::reference {
namespace {

// An application root with its own dictionary directory, and an empty cache.
class Slowniki : public ::testing::Test {
 protected:
  void SetUp() override {
    ReleaseSlownikCache();
    ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("Slowniki")));
  }
  void TearDown() override { ReleaseSlownikCache(); }

  QString PathOf(const QString& name) const { return root_.filePath(QStringLiteral("Slowniki/") + name); }
  void Write(const QString& name, const QString& xml) {
    QFile f(PathOf(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(xml.toUtf8());
  }
  // A dictionary of the language-children layout: (code attribute text, description children).
  void WriteChildren(const QString& name, const QString& code, const QStringList& entries) {
    Write(name, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Slownik code=\"%1\" name=\"%2\">%3</Slownik>")
                    .arg(code, name, entries.join(QString())));
  }
  static QString Entry(const QString& code, const QString& pl) {
    return QStringLiteral("<Pozycja Kod=\"%1\"><Opis LanCod347=\"PL\" Des110=\"%2\"/></Pozycja>").arg(code, pl);
  }
  SlownikNCTS Lookup() { return SlownikNCTS(dialogs_, root_.path()); }

  QTemporaryDir root_;
  host::ScriptedDialogs dialogs_;
};

// ---- file names ----

TEST_F(Slowniki, FileNamesAreTriedInOrder) {
  const QStringList order = {QStringLiteral("39.xml"), QStringLiteral("RD39.xml"), QStringLiteral("039.xml"),
                             QStringLiteral("RD039.xml")};
  for (qsizetype first = 0; first < order.size(); ++first) {
    ReleaseSlownikCache();
    for (const QString& name : order) QFile::remove(PathOf(name));
    for (qsizetype i = first; i < order.size(); ++i) WriteChildren(order[i], QStringLiteral("39"), {});
    SlownikNCTS slownik = Lookup();
    ASSERT_TRUE(slownik.LoadSlownik(39)) << order[first].toStdString();
    EXPECT_EQ(slownik.Title(), QStringLiteral("(39) - ") + order[first]);
  }
  EXPECT_TRUE(dialogs_.Texts().isEmpty());
}

TEST_F(Slowniki, MissingFileIsReportedWithTheTrimmedKey) {
  SlownikNCTS slownik = Lookup();
  EXPECT_FALSE(slownik.JestKod(QStringLiteral(" 77 "), QStringLiteral("A")));
  EXPECT_EQ(slownik.GetOpis(77, QStringLiteral("A")), QString());
  EXPECT_EQ(dialogs_.Texts(), (QStringList{QStringLiteral("Plik ze słownikiem 77 nie istnieje"),
                                           QStringLiteral("Plik ze słownikiem 77 nie istnieje")}));
  EXPECT_EQ(SlownikCache::Instance().Count(), 0);
}

// ---- layouts ----

TEST_F(Slowniki, LanguageChildrenPreferPolishAndKeepTextsAsWritten) {
  auto e = [](const char* code, const char* children) {
    return QStringLiteral("<Pozycja Kod=\"%1\">%2</Pozycja>").arg(QLatin1String(code), QString::fromUtf8(children));
  };
  WriteChildren(QStringLiteral("500.xml"), QStringLiteral("500"),
                {e("A", R"(<d LanCod347="EN" Des110="Eng"/><d LanCod347="PL" Des110="Pol"/>)"),
                 e("B", R"(<d LanCod347="EN" Des110="Only English"/>)"),
                 e("C", R"(<d LanCod347="PL" Des110="Pierwszy"/><d LanCod347="EN" Des110="Later"/>)"),
                 e("D", R"(<d LanCod347="EN" Des110="First"/><d LanCod347="EN" Des110="Second"/>)"),
                 e("E", R"(<d LanCod347="PL" Des110=" z odstępami "/>)"),
                 e("F", R"(<d LanCod347="EN" Des110="English"/><d LanCod347="PL" Des110=""/><d LanCod347="PL" Des110="Za późno"/>)"),
                 e("G", R"(<d LanCod347="pl" Des110="mała litera"/><d LanCod347="DE" Des110="Deutsch"/>)")});
  SlownikNCTS slownik = Lookup();
  const std::pair<const char*, const char*> expected[] = {
      {"A", "Pol"}, {"B", "Only English"}, {"C", "Pierwszy"}, {"D", "Second"},
      {"E", " z odstępami "}, {"F", "English"}, {"G", ""}};
  for (const auto& [code, opis] : expected)
    EXPECT_EQ(slownik.GetOpis(500, QString::fromLatin1(code)), QString::fromUtf8(opis)) << code;
}

TEST_F(Slowniki, DescriptionAttributesOnlyForTheirRootCodes) {
  const QString entries =
      QStringLiteral("<P code=\"A\" description=\"  Polski  \" descriptionEng=\"English\"/>"
                     "<P code=\"B\" description=\" \" descriptionEng=\"  English only \"/>");
  struct Case {
    const char* file;
    const char* root_code;
    const char* a;
    const char* b;
  };
  const Case cases[] = {{"1009.xml", "1009", "Polski", "English only"},
                        {"039.xml", "039", "Polski", "English only"},
                        {"1168.xml", "1168", "Polski", "English only"},
                        {"600.xml", "39", "", ""},       // not the list's spelling
                        {"601.xml", "1009 ", "", ""},    // compared exactly
                        {"602.xml", "", "", ""}};
  for (const Case& c : cases) {
    Write(QString::fromLatin1(c.file),
          QStringLiteral("<S code=\"%1\" name=\"n\">%2</S>").arg(QLatin1String(c.root_code), entries));
    const int key = QString::fromLatin1(c.file).section(QLatin1Char('.'), 0, 0).toInt();
    SlownikNCTS slownik = Lookup();
    EXPECT_EQ(slownik.GetOpis(key, QStringLiteral("A")), QString::fromLatin1(c.a)) << c.file;
    EXPECT_EQ(slownik.GetOpis(key, QStringLiteral("B")), QString::fromLatin1(c.b)) << c.file;
  }
}

TEST_F(Slowniki, CodeComesFromTheFirstNonBlankAttributeInOrder) {
  Write(QStringLiteral("700.xml"),
        QStringLiteral("<S code=\"700\" name=\"n\">"
                       "<P Kod=\"LAST\" code=\"MID\" DecTyp140=\"FIRST\"><d LanCod347=\"PL\" Des110=\"1\"/></P>"
                       "<P DecTyp140=\"   \" Kod=\" ONLYKOD \"><d LanCod347=\"PL\" Des110=\"2\"/></P>"
                       "<P Inny=\"X\"><d LanCod347=\"PL\" Des110=\"3\"/></P>"
                       "<P ComCod308=\"CC\" GuaTypCod217=\"GT\"><d LanCod347=\"PL\" Des110=\"4\"/></P>"
                       "</S>"));
  SlownikNCTS slownik = Lookup();
  ASSERT_TRUE(slownik.LoadSlownik(700));
  const SlownikTable& t = slownik.Table();
  ASSERT_EQ(t.Count(), 4);
  EXPECT_EQ(t.Row(0).kod, QStringLiteral("FIRST"));
  EXPECT_EQ(t.Row(1).kod, QStringLiteral("ONLYKOD"));
  EXPECT_EQ(t.Row(2).kod, QString());  // still a row
  EXPECT_EQ(t.Row(2).opis, QStringLiteral("3"));
  EXPECT_EQ(t.Row(3).kod, QStringLiteral("GT"));
  EXPECT_EQ(slownik.Title(), QStringLiteral("(700) - n"));
}

// ---- search ----

TEST(SlownikTableSearch, ExactFirstThenFirstRowInFileOrderWithThePrefix) {
  SlownikTable t;
  const char* const codes[] = {"B2", "A1", "PLZ", "PLN", "AB", "A", "A", "Ą"};
  for (int i = 0; i < 8; ++i) t.Append(QString::fromUtf8(codes[i]), QString::number(i));
  t.BuildIndex();
  const std::pair<const char*, qsizetype> cases[] = {
      {"A1", 1}, {"A", 5},     // exact, the first of equal codes
      {"PL", 2},               // prefix: first in the file, not first in sorted order
      {"PLN", 3}, {"B", 0}, {"Ą", 7},
      {"a1", -1},              // case-sensitive
      {"C", -1}, {"A12", -1}, {"PLNX", -1},
      {"", 0}};                // every code begins with nothing
  for (const auto& [code, row] : cases) EXPECT_EQ(t.Locate(QString::fromUtf8(code)), row) << code;
}

TEST(SlownikTableSearch, AgreesWithALinearSearchOnALargeTable) {
  std::mt19937 rng(7);
  auto random_code = [&](int max_len) {
    QString s;
    const int len = 1 + static_cast<int>(rng() % static_cast<unsigned>(max_len));
    for (int i = 0; i < len; ++i) s += QLatin1Char(static_cast<char>('A' + rng() % 4));
    return s;
  };
  SlownikTable t;
  std::vector<QString> codes;
  for (int i = 0; i < 3000; ++i) {
    codes.push_back(random_code(6));
    t.Append(codes.back(), {});
  }
  t.BuildIndex();
  auto linear = [&](const QString& code) -> qsizetype {
    for (size_t i = 0; i < codes.size(); ++i)
      if (codes[i] == code) return static_cast<qsizetype>(i);
    for (size_t i = 0; i < codes.size(); ++i)
      if (codes[i].startsWith(code)) return static_cast<qsizetype>(i);
    return -1;
  };
  for (int q = 0; q < 2000; ++q) {
    const QString code = random_code(7);
    ASSERT_EQ(t.Locate(code), linear(code)) << code.toStdString();
  }
}

// ---- cache ----

TEST_F(Slowniki, LaterCallsReadNothingFromDisk) {
  WriteChildren(QStringLiteral("ab.xml"), QStringLiteral("ab"), {Entry(QStringLiteral("X"), QStringLiteral("Iks"))});
  {
    SlownikNCTS slownik = Lookup();
    ASSERT_TRUE(slownik.LoadSlownik(QStringLiteral("ab")));
  }
  ASSERT_TRUE(QFile::remove(PathOf(QStringLiteral("ab.xml"))));
  SlownikNCTS again = Lookup();
  ASSERT_TRUE(again.LoadSlownik(QStringLiteral("ab")));
  EXPECT_EQ(again.Title(), QStringLiteral("(ab) - ab.xml"));
  EXPECT_EQ(again.GetOpis(QStringLiteral("AB"), QStringLiteral("X")), QStringLiteral("Iks"));  // keys ignore case
  EXPECT_EQ(SlownikCache::Instance().Count(), 1);
  EXPECT_TRUE(dialogs_.Texts().isEmpty());

  ReleaseSlownikCache();
  EXPECT_FALSE(Lookup().LoadSlownik(QStringLiteral("ab")));
}

TEST_F(Slowniki, AFileThatFailsLeavesNothingCached) {
  Write(QStringLiteral("900.xml"), QStringLiteral("<S code=\"900\" name=\"n\"><P Kod=\"A\"></S>"));
  SlownikNCTS slownik = Lookup();
  EXPECT_FALSE(slownik.JestKod(900, QStringLiteral("A")));
  ASSERT_EQ(dialogs_.Texts().size(), 1);
  EXPECT_TRUE(dialogs_.Texts()[0].startsWith(QStringLiteral("Wystąpił błąd podczas wczytywania słownika \n")));
  EXPECT_FALSE(dialogs_.Texts()[0].section(QLatin1Char('\n'), 1).isEmpty());  // the parser's own text
  EXPECT_EQ(SlownikCache::Instance().Count(), 0);

  WriteChildren(QStringLiteral("900.xml"), QStringLiteral("900"), {Entry(QStringLiteral("A"), QStringLiteral("Jest"))});
  EXPECT_EQ(slownik.GetOpis(900, QStringLiteral("A")), QStringLiteral("Jest"));
}

}  // namespace
}  // namespace velmora::reference
