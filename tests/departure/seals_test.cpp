#include "departure/seals.h"
#include "departure/seals_box.h"
#include "host/xml/messages.h"
#include "support/test_host.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace velmora::testing {
namespace {

using departure::ZamknieciaCelne;

QString S(const char* t) { return QString::fromUtf8(t); }

QString Linie(int n) {
  QStringList l;
  for (int i = 1; i <= n; ++i) l << QStringLiteral("PL%1").arg(i, 3, 10, QLatin1Char('0'));
  return l.join(QLatin1Char('\n'));
}

QStringList Zapisane(const xml::Group& root) {
  const xml::Group zc = root.Get(xml::kIE015_ZamknieciaCelne);
  QStringList out{zc.Get(S("Liczba")), zc.Get(S("Nakladajacy"))};
  for (const xml::Group& z : zc.List(xml::kZamkniecie)) out << z.Get(S("Znak"));
  return out;
}

TEST(Seals, WritesTrimmedNonBlankLinesAndReadsThemBack) {
  xml::Message m = xml::NewIE015();
  ZamknieciaCelne zamkniecia(m.Root());
  ASSERT_TRUE(zamkniecia.Zapisz(S(" PL001 \n\n   \r\nPL002\rABCDEFGHIJKLMNOPQRSTUVWXYZ\n"), S("  Urząd Celny Gdynia ")));
  EXPECT_EQ(Zapisane(m.Root()), (QStringList{S("3"), S("Urząd Celny Gdynia"), S("PL001"), S("PL002"), S("ABCDEFGHIJKLMNOPQRST")}));
  const ZamknieciaCelne znowu(m.Root());
  EXPECT_EQ(znowu.Linie(), S("PL001\nPL002\nABCDEFGHIJKLMNOPQRST"));
  EXPECT_EQ(znowu.Nakladajacy(), S("Urząd Celny Gdynia"));

  // Writing again replaces the list instead of adding to it.
  for (const auto& [linie, nakladajacy, zapisane] :
       {std::tuple{"PL009", "", QStringList{"1", "", "PL009"}}, {" \n\n", "Spedytor", {"0", "Spedytor"}}}) {
    ASSERT_TRUE(zamkniecia.Zapisz(S(linie), S(nakladajacy)));
    EXPECT_EQ(Zapisane(m.Root()), zapisane);
    EXPECT_EQ(m.Root().Get(xml::kIE015_ZamknieciaCelne).Has(S("Nakladajacy")), *nakladajacy != '\0');
  }

  ASSERT_TRUE(zamkniecia.Zapisz(S(" \n"), S("  ")));
  EXPECT_TRUE(m.Root().Get(xml::kIE015_ZamknieciaCelne).IsNull());
  EXPECT_EQ(zamkniecia.Linie(), QString());
}

TEST(Seals, MoreThanTheMessageCarriesIsRefusedAndNothingWritten) {
  xml::Message m = xml::NewIE015();
  ZamknieciaCelne zamkniecia(m.Root());
  ASSERT_TRUE(zamkniecia.Zapisz(Linie(9999) + S("\n\n"), S("UC")));
  EXPECT_EQ(zamkniecia.Liczba(), 9999);
  EXPECT_EQ(ZamknieciaCelne::Sprawdz(Linie(10000)), S("Można podać najwyżej 9999 zamknięć celnych (podano 10000)."));
  EXPECT_FALSE(zamkniecia.Zapisz(Linie(10000), S("Inny")));
  EXPECT_EQ(zamkniecia.Liczba(), 9999);
  EXPECT_EQ(zamkniecia.Nakladajacy(), S("UC"));
}

TEST(Seals, BoxLoadsKeepsOpenOnRefusalAndWritesOnConfirmation) {
  TestHost host(TestEngine::Sqlite);
  host::HostContext ctx = host.Context();
  xml::Message m = xml::NewIE015();
  ZamknieciaCelne(m.Root()).Zapisz(S("PL001\nPL002"), S("UC Gdynia"));

  departure::TIE015_ZamknieciaBox box(ctx, m.Root());
  box.BeforeActivate();
  EXPECT_EQ(box.windowTitle(), S("Lista zamknięć celnych"));
  EXPECT_EQ(box.meDane()->toPlainText(), S("PL001\nPL002"));
  EXPECT_EQ(box.beNakladajacy()->text(), S("UC Gdynia"));

  box.meDane()->setPlainText(Linie(10000));
  EXPECT_FALSE(box.actOkExecute());
  EXPECT_EQ(host.dialogs.Texts(), QStringList{S("Można podać najwyżej 9999 zamknięć celnych (podano 10000).")});
  EXPECT_EQ(ZamknieciaCelne(m.Root()).Liczba(), 2);

  box.meDane()->setPlainText(S("PL003\n"));
  box.beNakladajacy()->setText(S("Spedytor"));
  EXPECT_TRUE(box.actOkExecute());
  EXPECT_EQ(Zapisane(m.Root()), (QStringList{S("1"), S("Spedytor"), S("PL003")}));
}

}  // namespace
}  // namespace velmora::testing
