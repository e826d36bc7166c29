#include "departure/declaration_guarantees.h"
#include "departure/guarantees_boxes.h"
#include "frame/shared_state.h"
#include "host/ui/gwarancje_win.h"
#include "host/xml/bodies.h"
#include "support/test_host.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace velmora::testing {
namespace {

using departure::DaneGwarancji;
using departure::GwarancjeDeklaracji;
using xml::Group;

QString S(const char* t) { return QString::fromUtf8(t); }

// The lists live in the document only, and the access codes need one table: SQLite will do.
class Gwarancje : public ::testing::Test {
 protected:
  // "type:position" of each group, in document order.
  QString Grupy() const {
    QStringList out;
    for (const Group& g : g_.Grupy()) out << g.Get(S("Rodzaj")) + ':' + g.Get(S("PozId"));
    return out.join(' ');
  }
  // The grid as it reads: type, position, number or GRN, access code, countries.
  QStringList Wiersze() const {
    QStringList out;
    for (const auto& w : g_.Wiersze())
      out << QStringList{w.rodzaj, QString::number(w.lp), w.numer_grn, w.kod_dostepu, w.niewazne}.join('|');
    return out;
  }
  // An editor that accepts what it is given after `zmien` (none: cancels).
  static GwarancjeDeklaracji::Edytor Edytor(std::function<void(DaneGwarancji&)> zmien) {
    return [zmien](DaneGwarancji& d) { return zmien && (zmien(d), true); };
  }
  bool Dodaj(const char* rodzaj, const char* numer, const char* grn = "", const char* kod = "") {
    return g_.SelectGwar(false, Edytor([=](DaneGwarancji& d) { d = {S(rodzaj), S(numer), S(grn), S(kod), d.niewazna_na_ue, d.niewazne_na_kraj}; }));
  }
  void DodajDoRejestru(const QString& symbol, const QString& grn, const QString& kody) {
    host_.db().Exec(S("insert into GWARANCJE (ID_GWARANCJE, SYMBOL, NUMER, GRN, RODZAJ, KOD_DOSTEPU, LISTA_KODOW, "
                      "Niewazna_Na_UE, Niewazna_Na) values (:ID, :S, '', :GRN, '1', 'AB12', :K, 1, 'de, ch')"),
                    {{S("ID"), host_.db().DBGetNewID(S("GID_GWARANCJE"))}, {S("S"), symbol}, {S("GRN"), grn}, {S("K"), kody}});
  }

  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
  xml::Message msg_ = xml::NewIE015();
  GwarancjeDeklaracji g_{msg_, ctx_};
};

TEST_F(Gwarancje, NewGroupsKeepTypeOrderAndTheGroupsAfterThemAreRenumbered) {
  const std::pair<std::vector<const char*>, const char*> cases[] = {
      {{"3", "1", "B"}, "1:1 3:2 B:3"},
      {{"A", "3", "0", "9"}, "0:1 3:2 9:3 A:4"},
      {{"1", "1"}, "1:1 1:2"},
  };
  for (const auto& [rodzaje, grupy] : cases) {
    g_.DeleteAllGwar();
    for (const char* r : rodzaje) g_.CreateGwar(S(r));
    EXPECT_EQ(Grupy(), S(grupy)) << grupy;
  }
  // The last group of a type is the one found.
  EXPECT_EQ(g_.FindGwar(S("1")).Get(S("PozId")), S("2"));
  EXPECT_FALSE(g_.FindGwar(S("B")));
}

TEST_F(Gwarancje, CountriesAreCleanedCutAndListedOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"de, pl,DE,x1, CZE", "1DE 2PL 3CZ"},
      {"PL;SK", "1PL"},  // the separator is the comma only
      {"", ""},
  };
  Group ref = g_.CreateGwar(S("1")).Add(xml::kIE015_Gwarancja);
  for (const auto& [tekst, oczekiwane] : cases) {
    GwarancjeDeklaracji::UpdateNiewazneNaKraj(ref, S(tekst));
    QStringList kraje;
    for (const Group& k : ref.List(xml::kIE015_NiewaznaNaKraj)) kraje << k.Get(S("PozId")) + k.Get(S("Kraj"));
    EXPECT_EQ(kraje.join(' '), S(oczekiwane)) << tekst;
  }
}

TEST_F(Gwarancje, ReferenceEditorRefusesWhatTheTypeDoesNotAllow) {
  const QString rw12 = S("RW12-1 [1] /SAD/Zgloszenie/Gwarancje/Gwarancja@KodDostepu:\r\"Kod dostępu\" jest wymagany");
  const QString rw78 = S("RW78-1 [1] /SAD/Zgloszenie/Gwarancje/Gwarancja:\r\"Należy podać \"Numer gwarancji\" albo \"Numer GRN\"");
  const struct {
    const char *rodzaj, *numer, *grn, *kod;
    const char* pole;  // "" accepted
    QString tekst;
  } cases[] = {
      {"1", "", "24PL1", "", "peKodDostepu", rw12},
      {"A", "", "24PL1", "", "peKodDostepu", rw12},
      {"4", "", "24PL1", "", "peKodDostepu", rw12},
      {"3", "", "24PL1", "", "", {}},
      {"1", "", "24PL1", "AB12", "", {}},
      {"0", "N1", "24PL1", "AB12", "beNr", rw78},
      {"B", "", "", "", "beNr", rw78},
      {"3", "", "", "AB12", "beNr", rw78},
      {"5", "", "", "", "", {}},
      {" ", "N1", "", "", "beRodzaj", S("Pole \"Rodzaj gwarancji\" musi być wypełnione")},
  };
  for (const auto& c : cases) {
    DaneGwarancji d{S(c.rodzaj), S(c.numer), S(c.grn), S(c.kod), true, S("DE")};
    const auto blad = GwarancjeDeklaracji::Sprawdz(d);
    EXPECT_EQ(blad ? blad->pole : QString(), S(c.pole)) << c.rodzaj << c.numer << c.grn << c.kod;
    EXPECT_EQ(blad ? blad->tekst : QString(), c.tekst);
  }
  // A group-only entry takes no countries; texts come back trimmed.
  DaneGwarancji grupa{S(" 5 "), {}, {}, {}, true, S("DE")};
  EXPECT_FALSE(GwarancjeDeklaracji::Sprawdz(grupa));
  EXPECT_EQ(std::tuple(grupa.rodzaj, grupa.niewazna_na_ue, grupa.niewazne_na_kraj), std::tuple(S("5"), false, QString()));
}

TEST_F(Gwarancje, AddChangeAndDeleteKeepGroupsAndGridInStep) {
  EXPECT_FALSE(g_.SelectGwar(false, Edytor(nullptr)));  // cancelled
  ASSERT_TRUE(Dodaj("1", "", "24PL1", "AB12"));
  ASSERT_TRUE(Dodaj("1", "N2"));
  ASSERT_TRUE(Dodaj("3", ""));  // the group only
  EXPECT_FALSE(Dodaj("3", ""));
  EXPECT_EQ(host_.dialogs.Texts().last(), S("Grupa gwarancji rodzaju \"3\" już istnieje."));
  EXPECT_EQ(Wiersze(), (QStringList{"1|1|GRN:  24PL1|AB12|", "1|2|N2||", "3|0|||"}));
  EXPECT_EQ(g_.Biezacy(), 2);

  // The first reference of group 1 moves to type B; the second one stays behind.
  g_.UstawBiezacy(0);
  ASSERT_TRUE(g_.SelectGwar(true, Edytor([](DaneGwarancji& d) {
    EXPECT_EQ(d.grn, S("24PL1"));
    d.rodzaj = S("B");
    d.niewazna_na_ue = true;
    d.niewazne_na_kraj = S("ch");
  })));
  EXPECT_EQ(Grupy(), S("1:1 3:2 B:3"));
  EXPECT_EQ(Wiersze(), (QStringList{"1|1|N2||", "3|0|||", "B|1|GRN:  24PL1|AB12|(UE)  CH"}));
  EXPECT_EQ(g_.Biezacy(), 2);

  // The group-only entry of type 3 is changed into a reference of its own type.
  g_.UstawBiezacy(1);
  ASSERT_TRUE(g_.SelectGwar(true, Edytor([](DaneGwarancji& d) { d.numer = S("N3"); })));
  EXPECT_EQ(Wiersze()[1], S("3|1|N3||"));

  host_.dialogs.Answer(host::kIdNo);
  EXPECT_FALSE(g_.DeleteGwar());
  host_.dialogs.Answer(host::kIdYes);
  g_.UstawBiezacy(0);
  ASSERT_TRUE(g_.DeleteGwar());  // its group goes with its last reference
  EXPECT_EQ(Grupy(), S("3:2 B:3"));
  g_.DeleteAllGwar();
  EXPECT_TRUE(g_.Wiersze().empty());
  host_.dialogs.Clear();
  EXPECT_FALSE(g_.DeleteGwar());
  EXPECT_EQ(host_.dialogs.Texts(), QStringList{S("Lista jest pusta.")});
}

TEST_F(Gwarancje, AddedFromTheRegisterAndAccessCodesOfTheGrn) {
  DodajDoRejestru(S("G1"), S("24PL2"), S("AB12\r\nCD34, EF56\nAB12,"));
  DaneGwarancji otwarte;
  ASSERT_TRUE(g_.SelectGwar(false, Edytor([&](DaneGwarancji& d) { otwarte = d; }), host_.db().QueryOne(S("select * from GWARANCJE"))));
  EXPECT_EQ(otwarte.rodzaj, S("1"));
  EXPECT_EQ(Wiersze(), QStringList{S("1|1|GRN:  24PL2|AB12|(UE)  DE,CH")});

  EXPECT_EQ(GwarancjeDeklaracji::KodyDostepu(host_.db(), S(" 24PL2 ")), (QStringList{"AB12", "CD34", "EF56"}));
  EXPECT_TRUE(GwarancjeDeklaracji::KodyDostepu(host_.db(), S("x' or '1'='1")).isEmpty());
}

TEST_F(Gwarancje, ChoosingSummaryAndTheCopyWrittenBack) {
  EXPECT_FALSE(g_.Wybierz());
  EXPECT_TRUE(g_.Podsumowanie().isEmpty());
  ASSERT_TRUE(Dodaj("1", "", "24PL1", "AB12"));
  ASSERT_TRUE(Dodaj("0", "N0"));
  EXPECT_EQ(g_.Podsumowanie(), S("0 Nr: N0"));
  g_.UstawBiezacy(1);
  EXPECT_EQ(g_.Wybierz(), S("24PL1"));

  // Edits on the copy reach the declaration only when written back, renumbered.
  xml::Message kopia = GwarancjeDeklaracji::Kopia(msg_);
  GwarancjeDeklaracji g(kopia, ctx_);
  g.ReloadMD();
  g.UstawBiezacy(0);
  host_.dialogs.Answer(host::kIdYes);
  ASSERT_TRUE(g.DeleteGwar());
  EXPECT_EQ(Grupy(), S("0:1 1:2"));
  g.ZapiszDo(msg_);
  EXPECT_EQ(Grupy(), S("1:1"));
  EXPECT_EQ(g_.Podsumowanie(), S("1 GRN: 24PL1"));
}

// Runs `act` on the modal box as soon as it shows; a box left open fails instead of hanging.
template <typename Box>
void GdyPokaze(std::function<void(Box*)> act) {
  QTimer::singleShot(0, [act] {
    auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
    if (!box) {
      ADD_FAILURE() << "no box";
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
      return;
    }
    QTimer::singleShot(5000, box, [box] { box->reject(); });
    act(box);
  });
}

TEST_F(Gwarancje, BoxShowsTheGridAndEnterChoosesTheCurrentGrn) {
  ASSERT_TRUE(Dodaj("1", "", "24PL1", "AB12"));
  ASSERT_TRUE(Dodaj("B", "N2"));
  GdyPokaze<departure::TIE015_GwarancjeBox>([](departure::TIE015_GwarancjeBox* box) {
    EXPECT_EQ(box->windowTitle(), S("Pole 52 - Gwarancje"));
    QAbstractItemModel* m = box->Grid()->model();
    QStringList naglowki, wiersz;
    for (int c = 0; c < m->columnCount(); ++c) {
      naglowki << m->headerData(c, Qt::Horizontal).toString();
      wiersz << m->index(1, c).data().toString();
    }
    EXPECT_EQ(naglowki, (QStringList{" Rodzaj", "Lp", " Numer / GRN", " K.dost.", " Nieważne na kraje:"}));
    EXPECT_EQ(wiersz, (QStringList{"B", "/1", "N2", "", ""}));
    EXPECT_TRUE(frame::FGwarancjaWybierz);
    box->Grid()->selectRow(0);
    QTest::keyClick(box->Grid(), Qt::Key_Return);
  });
  EXPECT_EQ(GwarancjeDeklaracji::WybierzGRN(ctx_, msg_, nullptr), S("24PL1"));
  EXPECT_EQ(frame::FGwarancjaWybrana, S("24PL1"));
  EXPECT_FALSE(frame::FGwarancjaWybierz);

  // The host register lists its guarantees by SYMBOL.
  DodajDoRejestru(S("Z"), S("24PL9"), {});
  DodajDoRejestru(S("A"), S("24PL8"), {});
  host::TGwarancjeWin win(ctx_);
  win.Init();
  ASSERT_EQ(win.Model()->rowCount(), 2);
  EXPECT_EQ(win.Stored(0, S("GRN")), S("24PL8"));
  EXPECT_TRUE(win.Locate(S("GRN"), S("24PL9")));
  EXPECT_EQ(win.GetBoxQuery()->Str(S("GRN")), S("24PL9"));
}

}  // namespace
}  // namespace velmora::testing
