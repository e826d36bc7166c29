// Pictures of the editors as a clerk first sees them, for the guide (scripts/screenshots.sh
// copies them to docs/img). Each test also checks what a person would read on the window.
#include "arrival/arrival_notification.h"
#include "departure/goods_item_box.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "arrival/arrival_notification_box.h"
#include "departure/declaration_box.h"
#include "arrival/unloading_remarks_box.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableWidget>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

void Zapisz(QWidget& w, const char* nazwa, QSize rozmiar) {
  w.resize(rozmiar);
  w.show();
  QApplication::processEvents();
  const QString dir = QStringLiteral(VELMORA_ARTIFACT_DIR);
  QDir().mkpath(dir);
  const QString path = dir + QLatin1Char('/') + S(nazwa) + S(".png");
  ASSERT_TRUE(w.grab().save(path));
  EXPECT_GT(QFileInfo(path).size(), 5000) << nazwa;
}

class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    db().Exec(S("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP, IE015_UC_ZGLOSZENIA, IE007_UC_PRZEDSTAW) values "
                "(1, 'Rejestr główny', 0, 'T1', 'PL322010', 'PL322010')"));
    db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN, REJESTRY_ID) values (5, 0, 'IE028', 11, '24PL322010NS0001A7', 1)"));
    db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, XML) values (50, 5, 1, 'IE015', 1, :X)"),
              {{S("X"), PrzykladowaDeklaracja(3).Xml()}});
  }
  host::Db& db() { return host_.db(); }
  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST_F(Screenshots, DeclarationAndItsGoodsItem) {
  departure::TIE015PL_Box box(ctx_, {{S("ID_TRANZYTY_POZYCJE"), 50}, {S("TRANZYTY_ID"), 5}, {S("STATUS"), 1}, {S("REJESTRY_ID"), 1}}, false);
  box.SetXML(PrzykladowaDeklaracja(3).Xml());
  box.BeforeActivate();
  EXPECT_EQ(box.windowTitle(), S("IE15 - Zgłoszenie otwarcia tranzytu."));
  EXPECT_EQ(box.Towary()->rowCount(), 3);
  Zapisz(box, "declaration_box", {900, 640});

  departure::TowarIE015::FTowarXBox_Tir = false;
  departure::TIE015_TowarBox towar(ctx_, box.Logika().Dokument(), 2);
  towar.BeforeActivate();
  EXPECT_EQ(towar.Pole(S("beCN8"))->text(), S("84713000"));
  Zapisz(towar, "goods_item_box", {820, 700});
}

TEST_F(Screenshots, ArrivalNotificationAndUnloadingRemarks) {
  arrival::TIE007PL_Box arrival(ctx_, {{S("ID_TRANZYTY"), 0}, {S("REJESTRY_ID"), 1}, {S("STATUS"), 0}});
  arrival.SetXML(PrzykladowePrzybycie(S("Gdańsk")).Xml());
  arrival.BeforeActivate();
  EXPECT_EQ(arrival.Zdarzenia()->rowCount(), 2);
  Zapisz(arrival, "arrival_box", {820, 760});

  db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS) values (6, 1, 'IE043', 11)"));
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/IE043.xml"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  for (const auto& [id, lp, typ, xml] : {std::tuple{60, 1, "IE007", PrzykladowePrzybycie(S("Gdańsk")).Xml()},
                                         std::tuple{61, 2, "IE043", QString::fromUtf8(f.readAll())}})
    db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, XML) values (:ID, 6, :LP, :T, 11, :X)"),
              {{S("ID"), id}, {S("LP"), lp}, {S("T"), S(typ)}, {S("X"), xml}});
  arrival::TIE044PL_Box unloading(ctx_, {{S("TRANZYTY_ID"), 6}, {S("STATUS"), 0}});
  unloading.SetXML(QString());
  unloading.BeforeActivate();
  ASSERT_TRUE(unloading.Wczytany());
  EXPECT_EQ(unloading.Pole(S("beNrMRN"))->text(), S("24PL322010NS0001A7"));
  unloading.Logika().ZmienZgodnosc(true);
  unloading.Logika().DodajTowar(arrival::kBrakPozycji, 3, 3, {});
  unloading.Zgodnosc()->setChecked(true);
  Zapisz(unloading, "unloading_box", {900, 760});
}

}  // namespace
}  // namespace velmora::testing
