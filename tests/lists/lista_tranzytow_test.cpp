#include "lists/lista_tranzytow.h"

#include "departure/declaration.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/xml/messages.h"
#include "lists/wydruk_rejestru.h"
#include "support/test_host.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora::testing {
namespace {

using lists::FiltrListy;
using lists::ListaTranzytow;

class TransitLists : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    frame::AktywnyRejestr = {};
  }
  void TearDown() override { frame::AktywnyRejestr = {}; }
  void Transit(int id, int rodzaj, int rejestr, int nr, const QString& mrn = {}) {
    db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, ROK, NR, NUMER, MRN, TIR, WAGA_BRUTTO, NADAWCA_NAZWA) "
                             "values (:ID, :R, :REJ, 2024, :NR, :NUMER, :MRN, 1, 812.5, 'Bałtycka Spedycja')"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("R"), rodzaj}, {QStringLiteral("REJ"), rejestr}, {QStringLiteral("NR"), nr},
               {QStringLiteral("NUMER"), QStringLiteral("%1/2024").arg(nr)}, {QStringLiteral("MRN"), mrn}});
    db().DBGetNewID(QStringLiteral("GID_TRANZYTY"));
  }
  void Message(int id, int tranzyt, int lp, const QString& typ, int status, const QString& xml) {
    db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                             "values (:ID, :T, :LP, :TYP, :S, 'X', :XML)"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("T"), tranzyt}, {QStringLiteral("LP"), lp}, {QStringLiteral("TYP"), typ},
               {QStringLiteral("S"), status}, {QStringLiteral("XML"), xml}});
    db().DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
  }
};

TEST_P(TransitLists, QueryConditionsAndTheUserFilterKeptPerUser) {
  ListaTranzytow wywoz(*ctx_, frame::kRodzajWywoz);
  ListaTranzytow przywoz(*ctx_, frame::kRodzajPrzywoz);
  EXPECT_EQ(wywoz.Warunki({}), QStringLiteral("(t.RODZAJ = 0)"));
  EXPECT_EQ(przywoz.Warunki({3, 2, 7, {}}), QStringLiteral("(t.RODZAJ = 1) and (t.REJESTRY_ID = 3) and (t.TIR = 1) and (t.CREATE_ID_USER = 7)"));
  EXPECT_EQ(wywoz.Warunki({0, 1, lists::kWszyscyUzytkownicy, {}}), QStringLiteral("(t.RODZAJ = 0) and (t.TIR = 0)"));
  EXPECT_TRUE(przywoz.Select().contains(QStringLiteral("P.TYP = 'IE025'")));

  FiltrListy f = wywoz.WczytajFiltr();
  EXPECT_EQ(f.uzytkownik_id, lists::kWszyscyUzytkownicy);
  f.uzytkownik_id = host_->user.UserInfo().GetID();
  f.uzytkownik_nazwa = host_->user.UserInfo().GetNAZWA();
  wywoz.ZapiszFiltr(f);
  EXPECT_EQ(wywoz.WczytajFiltr().uzytkownik_nazwa, QStringLiteral("Jan Kowalski"));
  EXPECT_EQ(przywoz.WczytajFiltr().uzytkownik_id, lists::kWszyscyUzytkownicy);  // a section of its own

  // Both lists really show their own kind.
  Transit(1, frame::kRodzajWywoz, 1, 1);
  Transit(2, frame::kRodzajPrzywoz, 1, 1);
  Message(1, 2, 1, QStringLiteral("IE025"), 11, QStringLiteral("<IE025/>"));
  db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set DATA_WYSLANIA = :D"), {{QStringLiteral("D"), QDateTime(QDate(2024, 3, 8), QTime(0, 0))}});
  const auto rows = db().QueryAll(przywoz.Select() + QStringLiteral(" where ") + przywoz.Warunki({}) + QStringLiteral(" order by ") + ListaTranzytow::Order());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Value(QStringLiteral("DATA_WYSLANIA")).toDate(), QDate(2024, 3, 8));
}

TEST_P(TransitLists, DeletingCopyingAndRepairing) {
  Transit(1, frame::kRodzajWywoz, 1, 14, QString());
  xml::Message declaration = xml::NewIE015();
  declaration.EnsureNaglowek().SetNrWlasny(QStringLiteral("24IE0150000010"));
  xml::Message amendment = xml::NewIE015();
  amendment.EnsureNaglowek().SetNrWlasny(QStringLiteral("24IE0130000020"));
  amendment.EnsureNaglowek().SetLRN(QStringLiteral("poprawka"));
  xml::Message ie028 = xml::NewIE028();
  ie028.EnsureNaglowek().SetMRN(QStringLiteral("24PL322010NS0001A7"));
  Message(1, 1, 1, QStringLiteral("IE015"), 2, declaration.Xml());
  Message(2, 1, 2, QStringLiteral("IE028"), 11, ie028.Xml());
  Message(3, 1, 3, QStringLiteral("IE013"), 1, amendment.Xml());

  ListaTranzytow lista(*ctx_, frame::kRodzajWywoz);
  EXPECT_EQ(lista.CzyMoznaUsunac(1), QStringLiteral("Nie można usunąć tranzytu ponieważ zawiera on wysłane do UC komunikaty"));

  QString info;
  const qint64 copy = lista.Kopiuj(1, &info);
  EXPECT_EQ(info, QStringLiteral("Utworzono nowe zgłoszenie 15/2024"));
  const auto t = db().QueryOne(QStringLiteral("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), copy}});
  EXPECT_EQ(t->Str(QStringLiteral("NUMER")), QStringLiteral("15/2024"));
  EXPECT_EQ(t->Str(QStringLiteral("NR_SAD_CELINA")), QStringLiteral("NCTS 14/2024"));
  EXPECT_EQ(t->Str(QStringLiteral("NADAWCA_NAZWA")), QStringLiteral("Bałtycka Spedycja"));
  EXPECT_EQ(t->Int(QStringLiteral("TIR")), 1);
  EXPECT_EQ(t->Str(QStringLiteral("TYP")), QStringLiteral("IE015"));
  const auto m = db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID = :ID"), {{QStringLiteral("ID"), copy}});
  EXPECT_EQ(m->Str(QStringLiteral("NR_WLASNY")), frame::kAuto);
  EXPECT_EQ(m->Int(QStringLiteral("STATUS")), 0);
  const xml::Message copied = xml::GetIE015(xml::LoadXMLData(m->Str(QStringLiteral("XML"))));
  EXPECT_EQ(copied.GetNaglowek().LRN(), QStringLiteral("poprawka"));  // the amendment, not the first declaration
  EXPECT_EQ(copied.GetNaglowek().NrWlasny(), frame::kAuto);
  EXPECT_FALSE(m->Str(QStringLiteral("XML")).endsWith(QLatin1Char('\n')));

  EXPECT_EQ(lista.CzyMoznaUsunac(copy), QString());
  lista.Usun(copy);
  EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("TRANZYTY_ID = :ID"), {{QStringLiteral("ID"), copy}}), 0);
  EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 1);

  EXPECT_TRUE(lista.NaprawMRN(1));
  EXPECT_EQ(db().QueryValue(QStringLiteral("select MRN from TRANZYTY where ID_TRANZYTY = 1")).toString(), QStringLiteral("24PL322010NS0001A7"));
  EXPECT_FALSE(lista.NaprawMRN(1));  // it has one now

  lista.UstawZakonczenieInfo(1);
  EXPECT_EQ(frame::Zakonczenie_Info.Numer, QStringLiteral("14/2024"));
  EXPECT_EQ(frame::Zakonczenie_Info.MRN, QStringLiteral("24PL322010NS0001A7"));
}

TEST_P(TransitLists, NewTransitsAreNumberedOneAtATimeAndStartFromTheRegister) {
  db().Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, IE015_TYP, IE015_UC_ZGLOSZENIA, IE015_NADAWCA_ID, IE015_NADAWCA) "
                           "values (3, 'Gdynia', 'T1', 'PL322010', 17, 'Bałtycka Spedycja')"));
  db().Exec(QStringLiteral("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Kraj, EORI) values (17, 'Bałtycka Spedycja', 'PL', 'PL5860000017')"));
  frame::AktywnyRejestr = {3, QStringLiteral("Gdynia")};
  ListaTranzytow lista(*ctx_, frame::kRodzajWywoz);
  // The declaration editor's new document on the register's defaults.
  departure::DeklaracjaIE015 deklaracja(*ctx_);
  deklaracja.UstawRejestr(3);
  deklaracja.SetXML(QString());
  deklaracja.pola.masa_brutto = QStringLiteral("1500,25");
  deklaracja.pola.liczba_opakowan = QStringLiteral("12");
  deklaracja.pola.st = QStringLiteral("GD 12345");
  deklaracja.pola.st_kraj = QStringLiteral("PL");
  deklaracja.pola.uproszczona = true;
  deklaracja.DodajTowar();
  xml::Group odbiorca = deklaracja.Dokument().Root().Ensure(xml::kIE015_Odbiorca);
  odbiorca.Set(QStringLiteral("Nazwa"), QStringLiteral("Meyer GmbH"));
  const QString xml = deklaracja.GetXML();
  const qint64 first = lista.UtworzTranzyt(deklaracja.KolumnyTranzytu(), frame::kAuto, xml);
  const auto t = db().QueryOne(QStringLiteral("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), first}});
  EXPECT_EQ(t->Str(QStringLiteral("NUMER")), QStringLiteral("1/2024"));
  EXPECT_EQ(t->Int(QStringLiteral("REJESTRY_ID")), 3);
  // The row shows what the declaration holds: the list's columns and the printout's mass.
  EXPECT_EQ(t->Str(QStringLiteral("NADAWCA_NAZWA")), QStringLiteral("Bałtycka Spedycja"));
  EXPECT_EQ(t->Int(QStringLiteral("NADAWCA_ID")), 17);
  EXPECT_EQ(t->Str(QStringLiteral("ODBIORCA_NAZWA")), QStringLiteral("Meyer GmbH"));
  EXPECT_DOUBLE_EQ(t->Value(QStringLiteral("WAGA_BRUTTO")).toDouble(), 1500.25);
  EXPECT_EQ(t->Int(QStringLiteral("LICZBA_OPAKOWAN")), 12);
  EXPECT_EQ(t->Str(QStringLiteral("SAMOCHOD_NR")), QStringLiteral("GD 12345"));
  EXPECT_EQ(t->Str(QStringLiteral("SAMOCHOD_KRAJ")), QStringLiteral("PL"));
  EXPECT_EQ(t->Int(QStringLiteral("PU")), 1);
  EXPECT_EQ(t->Str(QStringLiteral("OPIS")), QStringLiteral("zgłoszenie otwarcia tranzytu IE015"));
  const auto m = db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID = :ID"), {{QStringLiteral("ID"), first}});
  EXPECT_EQ(m->Int(QStringLiteral("STATUS")), 1);
  EXPECT_EQ(m->Int(QStringLiteral("LP")), 1);
  const auto doc = xml::LoadXMLData(m->Str(QStringLiteral("XML")));
  EXPECT_EQ(doc->DocumentElement().ChildByLocalName(QStringLiteral("UC")).Attribute(QStringLiteral("Wyjscia")),
            QStringLiteral("PL322010"));

  // Another workstation in the middle of numbering in this register: this one waits, then gives up
  // with nothing stored; once the other is done, the next number follows.
  auto other = host_->database().OpenAnother();
  host::NamedLock their(*other);
  ASSERT_TRUE(their.TryLock(lista.NazwaBlokadyNumeru(3)));
  lista.UstawProbyBlokady(2);
  EXPECT_THROW(lista.UtworzTranzyt({}, frame::kAuto, xml), lists::NumeracjaZajeta);
  EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("TRANZYTY")), 1);
  their.Unlock(lista.NazwaBlokadyNumeru(3));
  // The register turns to phase 5: the transit made before keeps its phase 4.
  db().Exec(QStringLiteral("update REJESTRY set FAZA = 5"));
  const qint64 second = lista.UtworzTranzyt({}, frame::kAuto, xml);
  const auto column = [this](const char* name, qint64 id) {
    return db().QueryValue(QStringLiteral("select %1 from TRANZYTY where ID_TRANZYTY = :ID").arg(QLatin1String(name)),
                           {{QStringLiteral("ID"), id}}).toString();
  };
  EXPECT_EQ(column("FAZA", first), QStringLiteral("4"));
  EXPECT_EQ(column("FAZA", second), QStringLiteral("5"));
  EXPECT_EQ(column("NUMER", second), QStringLiteral("2/2024"));
  // The lock is free again for the other workstation.
  EXPECT_TRUE(their.TryLock(lista.NazwaBlokadyNumeru(3)));
  their.Unlock(lista.NazwaBlokadyNumeru(3));

  // Under "<wszystkie>" each transit is counted in the register it is stored in: the editor's
  // register, or none; two in a row never share a number.
  frame::AktywnyRejestr = {0, QStringLiteral("<wszystkie>")};
  const std::pair<int, const char*> numbered[] = {{3, "3/2024"}, {3, "4/2024"}, {0, "1/2024"}, {0, "2/2024"}};
  for (const auto& [rejestr, numer] : numbered) {
    const host::Params columns = rejestr ? host::Params{{QStringLiteral("REJESTRY_ID"), rejestr}} : host::Params{};
    EXPECT_EQ(column("NUMER", lista.UtworzTranzyt(columns, frame::kAuto, xml)), QLatin1String(numer));
  }
}

TEST_P(TransitLists, RegisterPrintoutListsThePeriodsTransitsWithTheirClearances) {
  QTemporaryDir root;
  ctx_->root = root.path();
  host_->user.Set(host::TUser(1, QStringLiteral("admin"), QStringLiteral("Administrator"), {}, true, false, false));
  Transit(1, frame::kRodzajPrzywoz, 3, 1, QStringLiteral("24PL322010NS0001A7"));
  Transit(2, frame::kRodzajPrzywoz, 3, 2, QStringLiteral("24PL322010NS0002B8"));
  Transit(3, frame::kRodzajWywoz, 3, 1, QStringLiteral("24PL322010NS0003C9"));   // another kind
  Transit(4, frame::kRodzajPrzywoz, 5, 1, QStringLiteral("24PL322010NS0004D0"));  // another register
  db().Exec(QStringLiteral("update TRANZYTY set CREATE_DATE = :D, CREATE_USER_NAME = 'Administrator'"), {{QStringLiteral("D"), QDate(2024, 3, 4)}});
  db().Exec(QStringLiteral("update TRANZYTY set CREATE_DATE = :D where ID_TRANZYTY = 2"), {{QStringLiteral("D"), QDate(2024, 1, 4)}});
  db().Exec(QStringLiteral("insert into TRANZYTY_ODPRAWY (ID_TRANZYTY_ODPRAWY, TRANZYTY_ID, NUMER, DATA, PROCEDURA) values (1, 1, 'ODP/77/2024', :D, '4000')"),
            {{QStringLiteral("D"), QDate(2024, 3, 5)}});

  lists::TWydrukRejestruRpt report(*ctx_);
  report.SetID_REJ(3);
  report.SetTR_TYP(frame::kRodzajPrzywoz);
  EXPECT_EQ(report.DataOd(), QDate(2024, 3, 1));
  EXPECT_EQ(report.DataDo(), QDate(2024, 3, 5));
  host::TConfigRptBox::SetOpenAfterPrint(false);
  ASSERT_TRUE(report.Execute()) << report.LastError().toStdString();
  ASSERT_EQ(report.Pozycje().size(), 1u);
  EXPECT_EQ(report.Pozycje()[0].Str(QStringLiteral("NrOdprawy")), QStringLiteral("ODP/77/2024"));
  EXPECT_TRUE(report.LastPdf().endsWith(QStringLiteral("-2024-03-01-2024-03-05.pdf")));
  EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("TTX/") + report.Get_RptFile() + QStringLiteral(".Poz.TTX"))));

  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (pdftotext.isEmpty()) VELMORA_MISSING_PEER("pdftotext missing");
  QString text;
  ASSERT_EQ(RunTool(pdftotext, {report.LastPdf(), QStringLiteral("-")}, &text), 0);
  EXPECT_TRUE(text.contains(QStringLiteral("24PL322010NS0001A7"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Osoba zgłaszająca")));
  for (const char* s : {"Okres od: 01.03.2024 do: 05.03.2024", "05.03.2024", "04.03.2024"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s;
  EXPECT_FALSE(text.contains(QStringLiteral("24PL322010NS0002B8")));  // before the period
  EXPECT_FALSE(text.contains(QStringLiteral("NS0003C9")));
  if (!HasFailure()) QFile::remove(report.LastPdf());

  // A long register prints page by page, each told before it is printed and every row on one
  // of them; stopped, it leaves the earlier file as it was and reports no error.
  db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, REJESTRY_ID, MRN) with recursive s(i) as (select 100 union all "
                           "select i + 1 from s where i < 279) select i, 1, 3, 'MRN' || i || 'X' from s"));
  db().Exec(QStringLiteral("update TRANZYTY set CREATE_DATE = :D where ID_TRANZYTY >= 100"), {{QStringLiteral("D"), QDate(2024, 3, 4)}});
  QList<int> strony;
  report.SetPrintStep([&strony](int done, int total) {
    strony << done << total;
    return true;
  });
  ASSERT_TRUE(report.Execute()) << report.LastError().toStdString();
  ASSERT_GE(strony.size(), 4);
  const int pages = strony[1];
  for (int i = 0; i < pages; ++i) EXPECT_EQ(strony.mid(2 * i, 2), (QList<int>{i, pages}));
  const qint64 size = QFileInfo(report.LastPdf()).size();
  const QString pdf = report.LastPdf();
  report.SetPrintStep([](int done, int) { return done < 1; });
  EXPECT_FALSE(report.Execute());
  EXPECT_TRUE(report.Stopped());
  EXPECT_EQ(report.LastError(), QString());
  EXPECT_EQ(QFileInfo(pdf).size(), size);
  QString all;
  ASSERT_EQ(RunTool(pdftotext, {pdf, QStringLiteral("-")}, &all), 0);
  for (int i = 100; i <= 279; ++i) EXPECT_TRUE(all.contains(QStringLiteral("MRN%1X").arg(i))) << i;
  if (!HasFailure()) QFile::remove(pdf);
}

VELMORA_ON_BOTH_ENGINES(TransitLists);

}  // namespace
}  // namespace velmora::testing
