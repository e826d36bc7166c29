#include "lists/tranzyty_pozycje.h"

#include "frame/codes.h"
#include "host/base/host_context.h"
#include "support/test_host.h"

#include <QFile>

namespace velmora::testing {
namespace {

using lists::NastepnyKomunikat;
using A = NastepnyKomunikat::Akcja;

class MessagesOfATransit : public HostTest {
 protected:
  void Transit(int id, int rodzaj) {
    db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ) values (:ID, :R)"), {{QStringLiteral("ID"), id}, {QStringLiteral("R"), rodzaj}});
  }
  void Message(int id, int tranzyt, int lp, const QString& typ, int status, const QString& powiazany = {}) {
    db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, TYP_POWIAZANY, OPIS, XML, PLIK) "
                             "values (:ID, :T, :LP, :TYP, :S, :NR, :TP, :OPIS, :XML, :PLIK)"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("T"), tranzyt}, {QStringLiteral("LP"), lp}, {QStringLiteral("TYP"), typ},
               {QStringLiteral("S"), status}, {QStringLiteral("NR"), QStringLiteral("N%1").arg(id)}, {QStringLiteral("TP"), powiazany},
               {QStringLiteral("OPIS"), QStringLiteral("opis %1").arg(id)}, {QStringLiteral("XML"), QStringLiteral("<%1 nr=\"%2\"/>").arg(typ).arg(id)},
               {QStringLiteral("PLIK"), QStringLiteral("plik %1").arg(id)}});
    db().DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
  }
  lists::TranzytyPozycje List(int tranzyt, int rodzaj) { return lists::TranzytyPozycje(*ctx_, tranzyt, rodzaj); }
};

TEST_P(MessagesOfATransit, NextMessageFollowsTheLastOne) {
  struct Case {
    int rodzaj;
    std::vector<std::pair<QString, int>> messages;  // type, status in LP order
    A akcja;
    QString typ;
  };
  const int W = frame::kRodzajWywoz, P = frame::kRodzajPrzywoz;
  const Case cases[] = {
      {W, {}, A::Utworz, "IE015"},
      {P, {}, A::Utworz, "IE007"},
      {W, {{"IE015", 2}}, A::Odmowa, ""},
      {W, {{"IE015", 2}, {"IE016", 11}}, A::Utworz, "IE015"},
      {W, {{"IE015", 2}, {"IE928", 11}}, A::Utworz, "IE013"},
      {W, {{"IE015", 2}, {"IE928", 11}, {"UPO", 11}, {"IE060", 11}}, A::Utworz, "IE013"},  // not counted
      {W, {{"IE015", 2}, {"IE028", 11}}, A::MenuZPrzycisku, ""},
      {W, {{"IE013", 2}, {"IE005", 11}}, A::Menu, ""},
      {W, {{"IE014", 2}, {"IE009", 10}}, A::Menu, ""},
      {W, {{"IE014", 2}, {"IE009", 11}}, A::Odmowa, ""},
      {W, {{"IE015", 2}, {"IE051", 11}}, A::Utworz, "IE054"},
      {W, {{"IE029", 11}, {"IE140", 11}}, A::Utworz, "IE141"},
      {P, {{"IE007", 2}, {"IE008", 11}}, A::Utworz, "IE007"},
      {P, {{"IE007", 2}, {"IE043", 11}}, A::Utworz, "IE044"},
      {P, {{"IE044", 2}, {"IE058", 11}}, A::Utworz, "IE044"},
      {P, {{"IE007", 2}, {"IE025", 11}}, A::Odmowa, ""},
  };
  int id = 1, tranzyt = 1;
  for (const Case& c : cases) {
    Transit(tranzyt, c.rodzaj);
    int lp = 1;
    for (const auto& [typ, status] : c.messages) Message(id++, tranzyt, lp++, typ, status);
    auto list = List(tranzyt, c.rodzaj);
    const NastepnyKomunikat n = list.WybierzTyp();
    EXPECT_EQ(n.akcja, c.akcja) << "case " << tranzyt;
    EXPECT_EQ(n.typ, c.typ) << "case " << tranzyt;
    ++tranzyt;
  }
  // The refusal names the state; a preset from the menu is used once.
  Transit(100, W);
  Message(id++, 100, 1, QStringLiteral("IE015"), 2);
  auto list = List(100, W);
  EXPECT_EQ(list.WybierzTyp().komunikat, QStringLiteral("Dla zgłoszenia w stanie IE015 nie można tworzyć nowych komunikatów"));
  list.UstawTypZMenu(QStringLiteral("IE014"));
  EXPECT_EQ(list.WybierzTyp().typ, QStringLiteral("IE014"));
  EXPECT_EQ(list.WybierzTyp().akcja, A::Odmowa);
  // After a negative platform notice the related type comes again.
  Message(id++, 100, 2, QStringLiteral("NPP"), 11, QStringLiteral("IE015"));
  EXPECT_EQ(list.WybierzTyp().typ, QStringLiteral("IE015"));
}

TEST_P(MessagesOfATransit, MenuHidesAmendmentsAfterReleaseAndShowsTheEnquiryAnswer) {
  Transit(1, frame::kRodzajWywoz);
  Message(1, 1, 1, QStringLiteral("IE015"), 2);
  Message(2, 1, 2, QStringLiteral("IE028"), 11);
  db().Exec(QStringLiteral("update TRANZYTY set TYP = 'IE028' where ID_TRANZYTY = 1"));
  auto list = List(1, frame::kRodzajWywoz);
  lists::MenuKomunikatow m = list.Menu();
  EXPECT_TRUE(m.ie013 && m.ie014);
  EXPECT_FALSE(m.ie141);
  Message(3, 1, 3, QStringLiteral("IE029"), 11);
  Message(4, 1, 4, QStringLiteral("IE140"), 11);
  db().Exec(QStringLiteral("update TRANZYTY set TYP = 'IE906' where ID_TRANZYTY = 1"));
  m = list.Menu();
  EXPECT_FALSE(m.ie013 || m.ie014);
  EXPECT_TRUE(m.ie141);
}

TEST_P(MessagesOfATransit, NewMessageIsSeededStoredAndCarriedToTheTransit) {
  Transit(1, frame::kRodzajWywoz);
  Message(1, 1, 1, QStringLiteral("IE015"), 2);
  Message(2, 1, 2, QStringLiteral("IE928"), 11);
  auto list = List(1, frame::kRodzajWywoz);
  QVariantMap row = list.NowyWiersz(QStringLiteral("IE013"));  // an amendment starts from the declaration
  EXPECT_EQ(row.value(QStringLiteral("XML")).toString(), QStringLiteral("<IE015 nr=\"1\"/>"));
  EXPECT_TRUE(row.value(QStringLiteral("PLIK")).isNull());
  EXPECT_EQ(row.value(QStringLiteral("LP")).toInt(), 3);
  EXPECT_EQ(row.value(QStringLiteral("NR_WLASNY")).toString(), frame::kAuto);
  EXPECT_EQ(row.value(QStringLiteral("STATUS")).toInt(), frame::kStatusNowy);
  EXPECT_EQ(row.value(QStringLiteral("OPIS")).toString(), QStringLiteral("zgłoszenie modyfikacji tranzytu IE013"));

  const qint64 id = list.Zapisz(row, QStringLiteral("<IE015 zmiana=\"1\"/>"), true, {{QStringLiteral("WAGA_BRUTTO"), 1250.5}});
  const auto stored = db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = :ID"), {{QStringLiteral("ID"), id}});
  EXPECT_EQ(stored->Str(QStringLiteral("TYP")), QStringLiteral("IE013"));
  EXPECT_EQ(stored->Str(QStringLiteral("XML")), QStringLiteral("<IE015 zmiana=\"1\"/>"));
  EXPECT_EQ(stored->Str(QStringLiteral("CREATE_USER_NAME")), QStringLiteral("Jan Kowalski"));
  auto transit = db().QueryOne(QStringLiteral("select TYP, OPIS, STATUS, WAGA_BRUTTO from TRANZYTY where ID_TRANZYTY = 1"));
  EXPECT_EQ(transit->Str(QStringLiteral("TYP")), QStringLiteral("IE013"));
  EXPECT_EQ(transit->Int(QStringLiteral("STATUS")), 0);
  EXPECT_DOUBLE_EQ(transit->Float(QStringLiteral("WAGA_BRUTTO")), 1250.5);

  // Edited again before sending: status 1, modified by the current user.
  list.Zapisz(list.IstniejacyWiersz(id), QStringLiteral("<IE015 zmiana=\"2\"/>"), false);
  const auto edited = db().QueryOne(QStringLiteral("select STATUS, XML, MODIFY_USER_NAME from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = :ID"), {{QStringLiteral("ID"), id}});
  EXPECT_EQ(edited->Int(QStringLiteral("STATUS")), frame::kStatusZmieniony);
  EXPECT_EQ(edited->Str(QStringLiteral("XML")), QStringLiteral("<IE015 zmiana=\"2\"/>"));
  EXPECT_EQ(edited->Str(QStringLiteral("MODIFY_USER_NAME")), QStringLiteral("Jan Kowalski"));
}

TEST_P(MessagesOfATransit, OnlyTheLastUnsentMessageGoesAndTheTransitFollows) {
  Transit(1, frame::kRodzajPrzywoz);
  Message(1, 1, 1, QStringLiteral("IE007"), 2);
  Message(2, 1, 2, QStringLiteral("IE043"), 11);
  Message(3, 1, 3, QStringLiteral("IE044"), 0);
  db().Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, IE043) values (1, 1, 1)"));
  auto list = List(1, frame::kRodzajPrzywoz);
  EXPECT_EQ(list.CzyMoznaUsunac(1), QStringLiteral("Nie można usunąć wysłanego komunikatu"));
  EXPECT_EQ(list.CzyMoznaUsunac(2), QStringLiteral("Nie można usunąć komunikatu ponieważ nie jest ostatni na liście"));
  EXPECT_EQ(list.CzyMoznaUsunac(3), QString());
  list.Usun(3);
  EXPECT_EQ(list.CzyMoznaUsunac(2), QString());
  list.Usun(2);  // an IE043: the clearances lose their flag
  EXPECT_EQ(db().QueryValue(QStringLiteral("select IE043 from TRANZYTY_ODPRAWY")).toInt(), 0);
  auto transit = db().QueryOne(QStringLiteral("select TYP, STATUS, OPIS from TRANZYTY where ID_TRANZYTY = 1"));
  EXPECT_EQ(transit->Str(QStringLiteral("TYP")), QStringLiteral("IE007"));
  EXPECT_EQ(transit->Int(QStringLiteral("STATUS")), 2);
  EXPECT_EQ(transit->Str(QStringLiteral("OPIS")), QStringLiteral("opis 1"));
}

TEST_P(MessagesOfATransit, SendStatusIsWithdrawnOnlyFromTheLastUnlessByAServiceUser) {
  Transit(1, frame::kRodzajWywoz);
  Message(1, 1, 1, QStringLiteral("IE015"), 2);
  Message(2, 1, 2, QStringLiteral("IE013"), 2);
  Message(3, 1, 3, QStringLiteral("IE928"), 11);
  auto list = List(1, frame::kRodzajWywoz);
  auto& d = host_->dialogs;
  EXPECT_FALSE(list.CofnijWyslanie(3));
  EXPECT_EQ(d.Texts().last(), QStringLiteral("Komnukat nie podlega wysyłce"));
  EXPECT_FALSE(list.CofnijWyslanie(2));  // the question answered "no"
  d.Answer(host::kIdYes);
  EXPECT_FALSE(list.CofnijWyslanie(2));
  EXPECT_EQ(d.Texts().last(), QStringLiteral("Status wysłania można cofnąć tylko dla ostatniego wysłanego komnukatu"));
  EXPECT_EQ(db().QueryValue(QStringLiteral("select STATUS from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 2")).toInt(), 2);

  host_->user.Set(host::TUser(99, QStringLiteral("SYSTEM"), QStringLiteral("Konto usługowe"), {}, false, false, true));
  d.Answer(host::kIdYes);
  EXPECT_TRUE(list.CofnijWyslanie(2));
  const auto row = db().QueryOne(QStringLiteral("select STATUS, DATA_WYSLANIA from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 2"));
  EXPECT_EQ(row->Int(QStringLiteral("STATUS")), 1);
  EXPECT_TRUE(row->IsNull(QStringLiteral("DATA_WYSLANIA")));
  EXPECT_FALSE(list.CofnijWyslanie(2));
  EXPECT_EQ(d.Texts().last(), QStringLiteral("Komnukat nie został jeszcze wysłany"));
}

TEST_P(MessagesOfATransit, ExportWritesTheStoredFileText) {
  Transit(1, frame::kRodzajWywoz);
  Message(1, 1, 1, QStringLiteral("IE015"), 1);
  Message(2, 1, 2, QStringLiteral("IE029"), 11);
  auto list = List(1, frame::kRodzajWywoz);
  QString name, filter;
  EXPECT_EQ(list.EksportPrzygotuj(1, &name, &filter), QStringLiteral("Komunikat nie ma statusu wysłany lub odebrany"));
  EXPECT_EQ(list.EksportPrzygotuj(2, &name, &filter), QString());
  EXPECT_EQ(name, QStringLiteral("IE029_N2"));
  EXPECT_TRUE(filter.contains(QStringLiteral("*.pdf")));
  const QString path = root_.filePath(name + QStringLiteral(".xml"));
  ASSERT_TRUE(list.EksportZapisz(2, path));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("plik 2"));
}

TEST(MessageRows, ColoursAndPrefixes) {
  struct Case {
    const char* typ;
    int status, blad;
    QColor colour;
  };
  const Case cases[] = {{"IE029", 11, 0, QColor(0, 128, 128)}, {"UPO", 11, 0, QColor(0, 0, 255)},
                        {"NPP", 11, 0, QColor(255, 0, 0)},     {"IE015", 1, 0, QColor(0, 128, 0)},
                        {"IE015", 1, 1, QColor(255, 128, 0)},  {"IE009", 10, 0, QColor(255, 0, 0)},
                        {"IE009", 11, 0, QColor(128, 128, 128)}, {"IE045", 11, 0, QColor(128, 128, 128)},
                        {"IE140", 11, 0, QColor(128, 0, 0)},   {"IE999", 11, 0, QColor(0, 0, 0)}};
  for (const Case& c : cases) EXPECT_EQ(lists::KolorKomunikatu(QString::fromLatin1(c.typ), c.status, c.blad), c.colour) << c.typ;
  EXPECT_EQ(lists::OpisKomunikatu(0, QStringLiteral("x")), QStringLiteral("Nowe x"));
  EXPECT_EQ(lists::OpisKomunikatu(2, QStringLiteral("x")), QStringLiteral("Wysłano x"));
  EXPECT_EQ(lists::OpisKomunikatu(11, QStringLiteral("x")), QStringLiteral("x"));
}

TEST_P(MessagesOfATransit, CostsFollowTheEditorsList) {
  Transit(1, frame::kRodzajPrzywoz);
  auto list = List(1, frame::kRodzajPrzywoz);
  auto cost = [](qint64 id, int lp, const char* kod, double wal) {
    return QVariantMap{{QStringLiteral("ID_TRANZYTY_KOSZTY"), id}, {QStringLiteral("LP"), lp}, {QStringLiteral("KOD"), QString::fromLatin1(kod)},
                       {QStringLiteral("WARTOSC_WAL"), wal}, {QStringLiteral("WALUTA"), QStringLiteral("EUR")}, {QStringLiteral("KURS"), 4.3},
                       {QStringLiteral("WARTOSC_PLN"), wal * 4.3}};
  };
  list.SynchronizujKoszty({cost(0, 1, "TR", 100), cost(0, 2, "UB", 20)});
  auto rows = db().QueryAll(QStringLiteral("select ID_TRANZYTY_KOSZTY, LP, KOD from TRANZYTY_KOSZTY where TRANZYTY_ID = 1 order by LP"));
  ASSERT_EQ(rows.size(), 2u);
  const qint64 kept = rows[1].Int64(QStringLiteral("ID_TRANZYTY_KOSZTY"));
  // The first cost removed, the second renumbered and changed, a third added.
  list.SynchronizujKoszty({cost(kept, 1, "UB", 25), cost(0, 2, "SK", 7)});
  rows = db().QueryAll(QStringLiteral("select ID_TRANZYTY_KOSZTY, LP, KOD, WARTOSC_WAL from TRANZYTY_KOSZTY where TRANZYTY_ID = 1 order by LP"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Int64(QStringLiteral("ID_TRANZYTY_KOSZTY")), kept);
  EXPECT_DOUBLE_EQ(rows[0].Float(QStringLiteral("WARTOSC_WAL")), 25);
  EXPECT_EQ(rows[1].Str(QStringLiteral("KOD")), QStringLiteral("SK"));
  list.SynchronizujKoszty({});
  EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("TRANZYTY_KOSZTY")), 0);
}

VELMORA_ON_BOTH_ENGINES(MessagesOfATransit);

}  // namespace
}  // namespace velmora::testing
