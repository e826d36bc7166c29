#include "arrival/follow_up_boxes.h"
#include "host/base/host_context.h"
#include "frame/message_editors.h"
#include "lists/tranzyty_pozycje.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

QString Sample(const char* name) {
  QFile f(S(VELMORA_TEST_DATA "/incoming/") + S(name) + S(".xml"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(f.readAll());
}

class FollowUpBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    Tranzyt(1);
    Komunikat(1, 1, "IE015", S("24IE0150000010"), PrzykladowaDeklaracja(1).Xml(), 2);
    Komunikat(2, 1, "IE028", S("24IE028UC0000028"), Sample("IE028"));
    Komunikat(3, 1, "IE140", S("24IE140UC0000140"), Sample("IE140"));
    Komunikat(4, 1, "IE051", S("24IE051UC0000051"), Sample("IE051"));
    host_.db().CreateGenerator(S("GID_TRANZYTY_POZYCJE"));
    while (host_.db().DBGetNewID(S("GID_TRANZYTY_POZYCJE")) < 100) {
    }
  }
  void Tranzyt(qint64 id) {
    host_.db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (:ID, 0, 'IE051', 11, '24PL322010NS0001A7')"),
                    {{S("ID"), id}});
  }
  void Komunikat(qint64 id, qint64 tranzyt, const char* typ, const QString& nr, const QString& tekst, int status = 11) {
    host_.db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                      "values (:ID, :T, :ID, :TYP, :S, :NR, :XML)"),
                    {{S("ID"), id}, {S("T"), tranzyt}, {S("TYP"), S(typ)}, {S("S"), status}, {S("NR"), nr}, {S("XML"), tekst}});
  }
  // Runs `w` on the editor's box once it is shown modally.
  static void NaOknie(std::function<void(arrival::TWniosekBox*)> w) {
    QTimer::singleShot(0, [w] {
      auto* box = qobject_cast<arrival::TWniosekBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      w(box);
      if (box->isVisible()) box->reject();
    });
  }
  static void Ok(arrival::TWniosekBox* box) { box->findChild<QDialogButtonBox*>()->buttons().front()->click(); }

  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST_F(FollowUpBoxes, TitlesGroupsAndReadOnlyControls) {
  struct Przypadek {
    std::function<arrival::TWniosekBox*(host::HostContext&, const QVariantMap&)> utworz;
    const char* podpis;
    const char* tytul;
    std::vector<const char*> grupy;
    std::vector<const char*> do_odczytu;
    std::vector<const char*> edytowalne;
  };
  const std::vector<const char*> wspolne{"beNrWlasny", "beDataUtworzenia", "beNrMRN", "beGZNazwa", "beGZKodPoczt",
                                        "beGZMiejscowosc", "beGZUlica", "beGZKraj", "beGZTIN", "beGZPrzedstawiciel"};
  const Przypadek przypadki[] = {
      {[](host::HostContext& c, const QVariantMap& r) { return new arrival::TIE014PL_Box(c, r); }, "Informacja dla urzedu celnego",
       "  IE014 - Wniosek o unieważnienie zgłoszenia", {"  Decyzja    "}, {}, {"deDataWniosku", "beUCZglosz"}},
      {[](host::HostContext& c, const QVariantMap& r) { return new arrival::TIE141PL_Box(c, r); }, "Informacja dla urzedu celnego",
       "  IE140 - Zapytanie o przesyłkę w ramach procedury poszukiwawczej  ", {" Poszukiwanie tranzytu  ", "  Rzeczywisty odbiorca  "},
       {"beOdbiorcaNazwa", "beODbiorcaKodPocztowy", "beOdbiorcaMiejscowosc", "beOdbiorcaUlica", "beOdbiorcaKRaj", "beOdbiorcaTIN",
        "beUCOkazania", "beUCPoszukiwania"},
       {"deDataDostarczeniaTC11", "beInformacja"}},
      {[](host::HostContext& c, const QVariantMap& r) { return new arrival::TIE054PL_Box(c, r); }, "Informacja przesyłana do urzędu celnego",
       "  IE054 - Wniosek o zwolnienie zgłoszenia do procedury tranzytu", {"  Przyjęcie zmian   "}, {"deDataWniosku"}, {"beUCZgloszenia"}},
  };
  for (const Przypadek& p : przypadki) {
    std::unique_ptr<arrival::TWniosekBox> box(p.utworz(ctx_, {{S("ID_TRANZYTY_POZYCJE"), 0}, {S("TRANZYTY_ID"), 1}}));
    box->BeforeActivate();
    const std::string n = box->objectName().toStdString();
    EXPECT_EQ(box->windowTitle(), S(p.podpis)) << n;
    EXPECT_EQ(box->Tytul()->text(), S(p.tytul)) << n;
    for (const char* g : {" Nagłówek komunikatu  ", "  Główny zobowiązany  "}) EXPECT_NE(box->Grupa(S(g)), nullptr) << n << g;
    for (const char* g : p.grupy) EXPECT_NE(box->Grupa(S(g)), nullptr) << n << g;
    std::vector<const char*> do_odczytu = wspolne;
    do_odczytu.insert(do_odczytu.end(), p.do_odczytu.begin(), p.do_odczytu.end());
    for (const char* f : do_odczytu) EXPECT_TRUE(box->Pole(S(f)) && box->Pole(S(f))->isReadOnly()) << n << f;
    for (const char* f : p.edytowalne) EXPECT_TRUE(box->Pole(S(f)) && !box->Pole(S(f))->isReadOnly()) << n << f;
    EXPECT_FALSE(box->Znacznik(S("cbTIR"))->isEnabled()) << n;
    EXPECT_EQ(box->Pole(S("beNrMRN"))->text(), S("24PL322010NS0001A7")) << n;
  }
}

TEST_F(FollowUpBoxes, TheMessageListStoresANewRequestAndNeverASentOrIncompleteOne) {
  QWidget okno;
  lists::TranzytyPozycje lista(ctx_, 1, 0);

  // An older request seeds the new row; the editor starts afresh all the same.
  Komunikat(5, 1, "IE054", S("24IE0540000005"), S("<IE054><UCZgloszenia Kod=\"PL999999\"/></IE054>"), 2);
  QVariantMap wiersz = lista.NowyWiersz(S("IE054"));
  std::unique_ptr<frame::MessageEditor> edytor(frame::CreateMessageEditor(S("IE054"), ctx_, wiersz, &okno));
  ASSERT_NE(edytor, nullptr);
  edytor->SetXML(wiersz.value(S("XML")).toString());
  NaOknie([](arrival::TWniosekBox* box) {
    EXPECT_EQ(box->Pole(S("beUCZgloszenia"))->text(), S("PL322010"));
    box->Znacznik(S("cbBrakSprzeciwu"))->setChecked(true);
    Ok(box);
  });
  ASSERT_EQ(edytor->ShowBox(), 1);
  const qint64 id = lista.Zapisz(wiersz, edytor->GetXML(), true, edytor->KolumnyTranzytu());
  const QString zapisany = host_.db().QueryMemoField(S("TRANZYTY_POZYCJE"), S("XML"), S("ID_TRANZYTY_POZYCJE = :ID"), {{S("ID"), id}});
  EXPECT_TRUE(zapisany.contains(S("BrakSprzeciwu=\"1\""))) << zapisany.toStdString();
  EXPECT_TRUE(zapisany.contains(S("Kod=\"PL322010\"")));
  EXPECT_EQ(host_.db().QueryValue(S("select TYP from TRANZYTY where ID_TRANZYTY = 1")).toString(), S("IE054"));

  // Without an IE028 the box says so, and OK does not close it.
  Tranzyt(2);
  Komunikat(6, 2, "IE015", S("24IE0150000010"), PrzykladowaDeklaracja(1).Xml(), 2);
  host_.dialogs.Clear();
  edytor.reset(frame::CreateMessageEditor(S("IE014"), ctx_, {{S("ID_TRANZYTY_POZYCJE"), 0}, {S("TRANZYTY_ID"), 2}}, &okno));
  NaOknie([](arrival::TWniosekBox* box) {
    box->findChild<QPlainTextEdit*>(S("mePowod"))->setPlainText(S("Pomyłka"));
    Ok(box);
    EXPECT_TRUE(box->isVisible());
  });
  EXPECT_EQ(edytor->ShowBox(), 0);
  EXPECT_EQ(host_.dialogs.Texts(), QStringList({S("Brak komunikatu IE028 dla wybranego tranzytu"), S("Brak komunikatu IE028 dla wybranego tranzytu")}));

  // A sent answer is only shown: nothing to tick, nothing to accept.
  lists::TranzytyPozycje druga(ctx_, 1, 0);
  const QVariantMap nowa = druga.NowyWiersz(S("IE141"));
  arrival::OdpowiedzIE141 odpowiedz(ctx_);
  odpowiedz.BeforeActivate(nowa);
  const qint64 wyslany = druga.Zapisz(nowa, odpowiedz.GetXML(), true);
  host_.db().Exec(S("update TRANZYTY_POZYCJE set STATUS = 2 where ID_TRANZYTY_POZYCJE = :ID"), {{S("ID"), wyslany}});
  edytor.reset(frame::CreateMessageEditor(S("IE141"), ctx_, druga.IstniejacyWiersz(wyslany), &okno));
  NaOknie([](arrival::TWniosekBox* box) {
    EXPECT_TRUE(box->ViewMode());
    EXPECT_EQ(box->findChild<QDialogButtonBox*>()->buttons().size(), 1);
    EXPECT_FALSE(box->Znacznik(S("cbTC11"))->isEnabled());
    EXPECT_TRUE(box->Pole(S("beInformacja"))->isReadOnly());
    EXPECT_FALSE(box->findChild<QWidget*>(S("beOdbiorcaNazwa_Wybierz"))->isEnabled());
  });
  EXPECT_EQ(edytor->ShowBox(), 0);
}

}  // namespace
}  // namespace velmora::testing
