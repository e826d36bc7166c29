#include "host/base/host_context.h"
#include "host/base/plugin_paths.h"
#include "host/ui/scripted_dialogs.h"
#include "host/db/urzedy_celne.h"
#include "reference/slownik_ncts.h"
#include "support/test_host.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace velmora::reference {
namespace {

// The code lists shipped in data/Slowniki, found the way a fresh application root finds them.
class ShippedLists : public ::testing::Test {
 protected:
  void SetUp() override { ReleaseSlownikCache(); }
  void TearDown() override { ReleaseSlownikCache(); }
  SlownikNCTS Lookup() { return SlownikNCTS(dialogs_, root_.path()); }

  QTemporaryDir root_;
  host::ScriptedDialogs dialogs_;
};

TEST_F(ShippedLists, EveryDictionaryTheEditorsUseLoadsCleanly) {
  const int keys[] = {1031, 84, 1047, 1008, 1009, 1018, 1096, 1116, 1101, 1063, 1017, 1013, 1014, 39, 1146, 1051};
  // Lists whose codes are national and not public ship empty.
  const std::set<int> empty = {84, 1146};
  for (int key : keys) {
    SlownikNCTS slownik = Lookup();
    ASSERT_TRUE(slownik.LoadSlownik(key)) << key << ": " << dialogs_.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(slownik.Title().startsWith(QStringLiteral("(%1) - ").arg(key))) << key;
    EXPECT_GT(slownik.Title().size(), QStringLiteral("(%1) - ").arg(key).size()) << key;
    const SlownikTable& t = slownik.Table();
    EXPECT_EQ(t.Count() == 0, empty.count(key) == 1) << key;
    std::set<QString> codes;
    for (qsizetype i = 0; i < t.Count(); ++i) {
      EXPECT_FALSE(t.Row(i).kod.isEmpty()) << key << " row " << i;
      EXPECT_FALSE(t.Row(i).opis.trimmed().isEmpty()) << key << " " << t.Row(i).kod.toStdString();
      EXPECT_TRUE(codes.insert(t.Row(i).kod).second) << key << " repeats " << t.Row(i).kod.toStdString();
    }
  }
  EXPECT_TRUE(dialogs_.Texts().isEmpty());
}

// Real codes with their descriptions; a complete list (ISO 3166-1 with the transit's XC, XI, XK,
// XL; ISO 4217; the reference data's codes with ours) has every code.
TEST_F(ShippedLists, RealCodesTheirDescriptionsAndCompleteLists) {
  struct Case {
    const char* key;
    const char* code;
    const char* opis;  // null: the code must not be there
    qsizetype count = -1;  // the list's size, when it is complete
  };
  const Case cases[] = {
      {"1008", "PL", "Polska"},
      {"1008", "DE", "Niemcy"},
      {"1008", "XI", "Zjednoczone Królestwo (Irlandia Północna)", 253},
      {"1009", "UA", "Ukraina"},
      {"1009", "US", nullptr},  // not a common-transit country
      {"1063", "US", "Stany Zjednoczone"},
      {"1063", "XK", "Kosowo", 253},
      {"026a", "PLN", "Złoty polski", 181},
      {"026a", "EUR", "Euro"},
      {"026a", "UAH", "Hrywna ukraińska"},
      {"1031", "T2F", "Towary unijne przewożone do, z lub między terytoriami specjalnymi"},
      {"1031", "TIR", "Przewóz towarów na podstawie karnetu TIR"},
      {"1017", "CT", "Karton", 406},
      {"1017", "PX", "Paleta"},
      {"1017", "SX", "Set"},
      {"1101", "1203", "Benzyna silnikowa lub benzyna"},
      {"1101", "3480", "Baterie litowo-jonowe (włącznie z bateriami litowo-polimerowymi)"},
      {"39", "DG1", "Wywóz z jednego z państw EFTA objęty należnościami lub wywóz z Unii objęty należnościami"},
      {"1051", "1", "Zabezpieczenie generalne"},
      {"1018", "30", "Transport drogowy"},
      {"1116", "Z", "Bez przedpłaty"},
      {"1096", "E", "Upoważnieni przedsiębiorcy"},
      {"1047", "A3", "Zgodny"},
      {"1013", "730", "Drogowy list przewozowy (CMR)", 55},
      {"1013", "C673", "Catch certificate"},
      {"1013", "Y927", "The declared goods are not concerned by Council Regulation (EC) No. 1005/2008"},
      {"1014", "355", "Przywozowa deklaracja skrócona", 41},
      {"1014", "T2L", "T2L"},
      {"1014", "CO", "SAD - Community goods subject"},
      {"1014", "Test", nullptr},  // the source's own test entries are not codes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.code);
    SlownikNCTS slownik = Lookup();
    const QString key = QString::fromLatin1(c.key), code = QString::fromLatin1(c.code);
    EXPECT_EQ(slownik.JestKod(key, code), c.opis != nullptr);
    if (c.opis) EXPECT_EQ(slownik.GetOpis(key, code), QString::fromUtf8(c.opis));
    if (c.count >= 0) {
      ASSERT_TRUE(slownik.LoadSlownik(key));
      EXPECT_EQ(slownik.Table().Count(), c.count);
    }
  }
}

// The customs office list shipped beside the program, as init and the first start fill it.
class ShippedOffices : public testing::DbTest {};

TEST_P(ShippedOffices, FillTheTableOnceWithEveryOffice) {
  testing::TestHost host(GetParam());
  host::HostContext ctx = host.Context();
  host::UrzedyCelne urzedy(ctx);
  const auto zmiany = urzedy.WczytajDostarczony(host::ShippedSlownikiDir());
  ASSERT_TRUE(zmiany);
  EXPECT_EQ(zmiany->dodane.size(), 3874);
  EXPECT_TRUE(zmiany->zmienione.isEmpty() && zmiany->wycofane.isEmpty());
  host::Db& db = host.db();
  EXPECT_EQ(db.GetCountFieldVal(QStringLiteral("UC")), 3874);
  // The keys were taken from the generator in one block: the next office gets a new one.
  EXPECT_GT(db.DBGetNewID(QStringLiteral("GID_UC")), db.GetMaxFieldVal(QStringLiteral("UC"), QStringLiteral("ID_UC")).toLongLong());
  // A Polish office of departure, a German office of destination, Northern Ireland's.
  EXPECT_EQ(urzedy.Ostrzezenie(QStringLiteral("PL322010"), host::RolaUC::Wyjscia), QString());
  EXPECT_EQ(urzedy.Ostrzezenie(QStringLiteral("DE004851"), host::RolaUC::Przeznaczenia), QString());
  EXPECT_EQ(urzedy.Ostrzezenie(QStringLiteral("XI000142"), host::RolaUC::Tranzytowy), QString());
  const auto hamburg = db.QueryOne(QStringLiteral("select NazwaKrotka, Kraj, Rola, Reczny from UC where Kod = 'DE004851'"));
  ASSERT_TRUE(hamburg);
  EXPECT_EQ(hamburg->Str(QStringLiteral("NazwaKrotka")), QStringLiteral("Hamburg-Waltershof"));
  EXPECT_EQ(hamburg->Str(QStringLiteral("Kraj")), QStringLiteral("DE"));
  EXPECT_EQ(hamburg->Str(QStringLiteral("Rola")), QStringLiteral("DEP,DES,ENT,EXC,EXT,TRA"));
  EXPECT_EQ(hamburg->Int(QStringLiteral("Reczny"), -1), 0);
  // The roles of the largest office are cut to fit their column, at a role.
  const QString rola = db.QueryValue(QStringLiteral("select Rola from UC where Kod = 'XIREX001'")).toString();
  EXPECT_LE(rola.size(), 100);
  EXPECT_TRUE(rola.endsWith(QStringLiteral(",ENQ,ENT"))) << rola.toStdString();
  // The next start finds the list applied.
  EXPECT_FALSE(urzedy.WczytajDostarczony(host::ShippedSlownikiDir()));
}

VELMORA_ON_BOTH_ENGINES(ShippedOffices);

}  // namespace
}  // namespace velmora::reference
