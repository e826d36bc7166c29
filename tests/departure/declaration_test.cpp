#include "departure/declaration.h"
#include "host/base/host_context.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

using departure::DeklaracjaIE015;
using departure::Strona;

class DeclarationEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_ = std::make_unique<host::HostContext>(
        host_.Context());
    Db().Exec(QStringLiteral("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Nr_Dom, Kod, Miejscowosc, Kraj, NIP, EORI, NrAEO) values "
                             "(5, 'Bałtycka Spedycja Sp. z o.o.', 'Portowa', '1', '81-350', 'Gdynia', 'PL', '5860000017', "
                             "'PL586000001700000', 'PLAEOC000123')"));
    Db().Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, PU_NUMER, PU_MIEJSCE, IE015_TYP, IE015_UC_ZGLOSZENIA, "
                             "IE015_MIEJSCE_TYP, IE015_MIEJSCE_OPIS, IE015_MIEJSCE_ZAL, IE015_NADAWCA_ID) values "
                             "(1, 'Zwykły', 0, '', '', 'T1', 'PL322010', 2, 'Plac składowy', 'Gdynia', 5), "
                             "(2, 'Uproszczony', 1, 'PL/UP/7', 'MU-17', 'TIR', 'PL322020', 0, '', '', 0)"));
    Db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (1, 0, 'IE015', 1, '')"));
  }
  host::Db& Db() { return host_.db(); }
  DeklaracjaIE015 Nowa(int rejestr) {
    DeklaracjaIE015 d(*ctx_);
    d.UstawRejestr(rejestr);
    d.UstawTranzyt(1);
    d.SetXML(QString());
    return d;
  }
  static QStringList Kody(const xml::Group& towar, const xml::GroupDesc& lista) {
    QStringList out;
    for (const xml::Group& g : towar.List(lista)) out << g.Get(QStringLiteral("PozId")) + QLatin1Char(':') + g.Get(QStringLiteral("Kod"));
    return out;
  }

  TestHost host_{TestEngine::Sqlite};
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_F(DeclarationEditor, NewDeclarationTakesItsRegistersDefaults) {
  DeklaracjaIE015 zwykla = Nowa(1);
  EXPECT_EQ(zwykla.pola.deklaracja, QStringLiteral("T1"));
  EXPECT_FALSE(zwykla.pola.uproszczona);
  EXPECT_EQ(zwykla.pola.lokalizacja, 2);
  EXPECT_EQ(zwykla.pola.lokalizacja_opis, QStringLiteral("Plac składowy"));
  EXPECT_EQ(zwykla.pola.uc_zgloszenia, QStringLiteral("PL322010"));
  EXPECT_EQ(zwykla.NazwaStrony(Strona::Nadawca), QStringLiteral("Bałtycka Spedycja Sp. z o.o."));
  EXPECT_EQ(zwykla.Dokument().Root().Get(xml::kIE015_Nadawca).Get(QStringLiteral("TIN")), QStringLiteral("PL586000001700000"));
  ASSERT_EQ(zwykla.Towary().size(), 1u);

  DeklaracjaIE015 uproszczona = Nowa(2);
  EXPECT_TRUE(uproszczona.pola.uproszczona);
  EXPECT_EQ(uproszczona.pola.wk_kod, QStringLiteral("A3"));
  EXPECT_EQ(uproszczona.pola.lokalizacja, 4);
  EXPECT_EQ(uproszczona.pola.lokalizacja_opis, QStringLiteral("MU-17"));
  const xml::Group towar = uproszczona.Towar(1);
  EXPECT_EQ(Kody(towar, xml::kIE015_InformacjaDodatkowa), QStringList{QStringLiteral("1:2UP2")});
  EXPECT_EQ(towar.Get(xml::kIE015_InformacjaDodatkowa).Get(QStringLiteral("Tekst")), QStringLiteral("PL/UP/7"));
  EXPECT_EQ(uproszczona.Dokument().Root().Get(xml::kGlownyZobowiazany).Get(QStringLiteral("TIR")), QStringLiteral("1"));

  // Switching off removes the entry and says which way it went; on twice adds one entry.
  const QString ostrzezenie = uproszczona.UstawProcedureUproszczona(false, true);
  EXPECT_EQ(ostrzezenie, QStringLiteral("UWAGA! \rZmieniono tryb zgłoszenia z \"procedura uproszczona na \"procedura zwykła\" ! \r"
                                        "Zmiana zostanie przepisana na nagłówek przesyłki"));
  EXPECT_TRUE(Kody(uproszczona.Towar(1), xml::kIE015_InformacjaDodatkowa).isEmpty());
  EXPECT_TRUE(uproszczona.pola.wk_kod.isEmpty());
  uproszczona.UstawProcedureUproszczona(true, true);
  EXPECT_EQ(uproszczona.UstawProcedureUproszczona(true, true), QString());
  EXPECT_EQ(Kody(uproszczona.Towar(1), xml::kIE015_InformacjaDodatkowa), QStringList{QStringLiteral("1:2UP2")});
}

TEST_F(DeclarationEditor, StoredDeclarationComesBackUnchangedWithWhatTheFormDoesNotShow) {
  DeklaracjaIE015 d(*ctx_);
  d.UstawTranzyt(1);
  d.UstawRejestr(1);
  ASSERT_EQ(d.SetXML(PrzykladowaDeklaracja(3).Xml()), QString());
  const QString first = d.GetXML();
  DeklaracjaIE015 again(*ctx_);
  again.UstawTranzyt(1);
  again.UstawRejestr(1);
  again.SetXML(first);
  EXPECT_EQ(again.GetXML(), first);
  for (const char* kept : {"DokumentPoprzedni", "Przewoznik", "NiewaznaNaKraj", "KodUN", "Robocze"})
    EXPECT_TRUE(first.contains(QString::fromLatin1(kept))) << kept;
  EXPECT_EQ(again.Towary().size(), 3u);

  // Routing: every part between commas is an entry; an empty field writes none.
  again.pola.trasa = QStringLiteral("DE,CZ");
  again.GetXML();
  EXPECT_EQ(again.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Count(xml::kIE015_KrajTrasy), 2);
  again.pola.trasa.clear();
  again.GetXML();
  EXPECT_EQ(again.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Count(xml::kIE015_KrajTrasy), 0);

  // The office of transit: the window's one office is the list's entry number 1; a list of
  // several from elsewhere shows its first and is written back as the window holds it.
  again.pola.uc_tranzytowy = QStringLiteral("de004057");
  again.GetXML();
  EXPECT_EQ(Kody(again.Dokument().Root().Get(xml::kIE015_UC), xml::kIE015_UCTranzytowy), QStringList{QStringLiteral("1:DE004057")});
  xml::Group uc = again.Dokument().Root().Get(xml::kIE015_UC);
  xml::Group drugi = uc.Add(xml::kIE015_UCTranzytowy);
  drugi.Set(QStringLiteral("PozId"), QStringLiteral("2"));
  drugi.Set(QStringLiteral("Kod"), QStringLiteral("CZ590000"));
  DeklaracjaIE015 dwa(*ctx_);
  dwa.UstawTranzyt(1);
  dwa.SetXML(again.Dokument().Xml());
  EXPECT_EQ(dwa.pola.uc_tranzytowy, QStringLiteral("DE004057"));
  dwa.pola.uc_tranzytowy.clear();
  dwa.GetXML();
  EXPECT_EQ(dwa.Dokument().Root().Get(xml::kIE015_UC).Count(xml::kIE015_UCTranzytowy), 0);

  // A text that does not parse opens a new document and tells why.
  DeklaracjaIE015 broken(*ctx_);
  broken.UstawTranzyt(1);
  broken.UstawRejestr(1);
  EXPECT_FALSE(broken.SetXML(QStringLiteral("<IE015><Towar></IE015>")).isEmpty());
  EXPECT_EQ(broken.pola.deklaracja, QStringLiteral("T1"));
}

TEST_F(DeclarationEditor, TirCarnetBringsItsGuaranteeAndDocumentAndLeavingTirTakesThemAway) {
  DeklaracjaIE015 d = Nowa(1);
  d.pola.uc_tranzytowy = QStringLiteral("DE004851");
  d.ZmienTyp(QStringLiteral("TIR"));
  // Under TIR no office of transit is sent, though the field was filled before.
  d.GetXML();
  EXPECT_EQ(d.Dokument().Root().Get(xml::kIE015_UC).Count(xml::kIE015_UCTranzytowy), 0);
  d.pola.karnet_tir = QStringLiteral("AB12345678");
  d.OpuscKarnetTIR();
  d.OpuscKarnetTIR();  // twice: still one of each
  EXPECT_EQ(d.PodsumowanieGwarancji(), QStringLiteral("B Nr: AB12345678"));
  EXPECT_EQ(d.Dokument().Root().Count(xml::kIE015_Gwarancje), 1);
  EXPECT_EQ(Kody(d.Towar(1), xml::kDokumentWymagany), QStringList{QStringLiteral("1:952")});
  EXPECT_EQ(d.Dokument().Root().Get(xml::kGlownyZobowiazany).Get(QStringLiteral("TIR")), QStringLiteral("1"));
  EXPECT_EQ(d.OstrzezenieGwarancji(), QString());

  d.ZmienTyp(QStringLiteral("T1"));
  d.OpuscTyp(QStringLiteral("TIR"));
  EXPECT_EQ(d.PodsumowanieGwarancji(), QString());
  EXPECT_TRUE(Kody(d.Towar(1), xml::kDokumentWymagany).isEmpty());
}

TEST_F(DeclarationEditor, ContractorsFillThePartiesAndTheirAeoEntriesOnce) {
  DeklaracjaIE015 d = Nowa(1);
  const auto k = Db().QueryOne(QStringLiteral("select * from KONTRAHENCI where ID_KONTRAHENCI = 5"));
  EXPECT_EQ(d.WypelnijStrone(Strona::Nadawca, *k), QStringLiteral("Bałtycka Spedycja Sp. z o.o."));
  d.WypelnijStrone(Strona::Nadawca, *k);
  d.GetXML();
  EXPECT_EQ(d.KolumnyTranzytu().value(QStringLiteral("NADAWCA_ID")).toInt(), 5);
  EXPECT_EQ(d.KolumnyTranzytu().value(QStringLiteral("NADAWCA_NAZWA")).toString(), QStringLiteral("Bałtycka Spedycja Sp. z o.o."));
  EXPECT_EQ(d.pola.kraj_wysylki, QStringLiteral("PL"));
  EXPECT_EQ(d.Dokument().Root().Get(xml::kIE015_Nadawca).Get(QStringLiteral("UlicaNumer")), QStringLiteral("Portowa 1"));
  EXPECT_EQ(Kody(d.Towar(1), xml::kDokumentWymagany), QStringList{QStringLiteral("1:Y022")});
  // A security party known by its TIN carries neither name nor address.
  EXPECT_EQ(d.WypelnijStrone(Strona::Przewoznik, *k), QStringLiteral("PL586000001700000"));
  EXPECT_TRUE(d.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Get(xml::kIE015_Przewoznik).Get(QStringLiteral("Nazwa")).isEmpty());
  EXPECT_EQ(d.WypelnijStrone(Strona::Przedstawiciel, *k), QStringLiteral("PL586000001700000"));
  d.WyczyscStrone(Strona::Nadawca);
  EXPECT_EQ(Kody(d.Towar(1), xml::kDokumentWymagany), QStringList{QStringLiteral("1:Y025")});
  EXPECT_TRUE(d.KolumnyTranzytu().value(QStringLiteral("NADAWCA_ID")).isNull());
  d.WyczyscStrone(Strona::Przewoznik);
  EXPECT_FALSE(d.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Get(xml::kIE015_Przewoznik));
}

TEST_F(DeclarationEditor, GoodsItemsAreRenumberedAndStopAt999) {
  DeklaracjaIE015 d = Nowa(1);
  d.Towar(1).Set(QStringLiteral("OpisTowaru"), QStringLiteral("pierwsza"));
  d.Towar(d.DodajTowar()).Set(QStringLiteral("OpisTowaru"), QStringLiteral("druga"));
  d.Towar(d.DodajTowar()).Set(QStringLiteral("OpisTowaru"), QStringLiteral("trzecia"));
  d.UsunTowar(2);
  d.GetXML();
  ASSERT_EQ(d.Towary().size(), 2u);
  EXPECT_EQ(d.Towary()[1].poz_id, 2);
  EXPECT_EQ(d.Towar(2).Get(QStringLiteral("OpisTowaru")), QStringLiteral("trzecia"));
  EXPECT_EQ(d.Towar(2).Get(QStringLiteral("PozId")), QStringLiteral("2"));
  while (d.Towary().size() < 999) d.DodajTowar();
  EXPECT_EQ(d.DodajTowar(), 0);
}

TEST_F(DeclarationEditor, FieldChecksAndTheAmendmentKind) {
  DeklaracjaIE015 d = Nowa(1);
  auto pola = [&d](const std::function<void(departure::PolaDeklaracji&)>& zmiana) {
    departure::PolaDeklaracji zapis = d.pola;
    zmiana(d.pola);
    QStringList out;
    for (const auto& b : d.Sprawdz([](int, const QString& k) { return k == QLatin1String("T1") || k == QLatin1String("TIR"); }, false))
      out << b.pole + QLatin1Char('=') + b.tekst;
    d.pola = zapis;
    return out;
  };
  auto ok = [](departure::PolaDeklaracji& p) {
    p.uc_przeznaczenia = QStringLiteral("DE004851");
    p.masa_brutto = QStringLiteral("1200.5");
    p.liczba_opakowan = QStringLiteral("10");
  };
  EXPECT_EQ(pola(ok), QStringList());
  struct Case {
    std::function<void(departure::PolaDeklaracji&)> zmiana;
    QString oczekiwane;
  };
  const Case cases[] = {
      {[](auto& p) { p.deklaracja = QStringLiteral("T9"); }, QStringLiteral("beDeklaracja=Wartość pola @Deklaracja jest z poza słownika")},
      {[](auto& p) { p.masa_brutto = QStringLiteral("0"); }, QStringLiteral("ceMasaBrutto=Wartość musi być większa od zera")},
      {[](auto& p) { p.wk_kod = QStringLiteral("A3"); }, QStringLiteral("beWK_Kod=")},
      {[](auto& p) { p.lokalizacja = 4; }, QStringLiteral("peLokalizacja=Atrybut @KodMiejscaWskazanegoWPozwoleniu nie może wystąpić")},
      {[](auto& p) { p.przedstawiciel = QStringLiteral("PL123"); }, QStringLiteral("bePrzedstawiciel=Pole Przedstawiciel musi mieć 17 znaków lub być puste")},
      {[](auto& p) { p.upowazniony_odbiorca = QStringLiteral("X"); }, QStringLiteral("beUpowaznOdbiorca=Pole Upoważniony odbiorca musi mieć 17 znaków lub być puste")},
      {[](auto& p) { p.deklaracja = QStringLiteral("TIR"); p.karnet_tir = QStringLiteral("AB1234567"); }, QStringLiteral("beKarnetTIR=Numer karnetu TIR")},
      {[](auto& p) { p.deklaracja = QStringLiteral("TIR"); p.karnet_tir = QStringLiteral("A112345678"); }, QStringLiteral("beKarnetTIR=Numer karnetu TIR")},
      {[](auto& p) { p.uproszczona = true; p.wk_kod = QStringLiteral("A3"); p.termin_dostarczenia = QStringLiteral("2024-03-12"); p.st_rodz = QStringLiteral("30"); },
       QStringLiteral("peLokalizacja=Można wypełnić tylko atrybut @KodMiejscaWskazanegoWPozwoleniu")},
  };
  for (const Case& c : cases) {
    const QStringList bledy = pola([&](auto& p) { ok(p); c.zmiana(p); });
    ASSERT_EQ(bledy.size(), 1) << c.oczekiwane.toStdString() << " got " << bledy.join(" | ").toStdString();
    EXPECT_TRUE(bledy.first().startsWith(c.oczekiwane)) << bledy.first().toStdString();
  }
  EXPECT_EQ(pola([&](auto& p) { ok(p); p.deklaracja = QStringLiteral("TIR"); p.karnet_tir = QStringLiteral("AB12345678"); }), QStringList());

  // Before the IE028 an amendment can only be a notice of presentation.
  EXPECT_EQ(d.UstawTypModyfikacji(0), QStringLiteral("Przed otrzymaniem komunikatu IE028 możliwe jest tylko zgłoszenie w trybie powiadomienia"));
  EXPECT_EQ(d.pola.typ_modyfikacji, 2);
}

}  // namespace
}  // namespace velmora::testing
