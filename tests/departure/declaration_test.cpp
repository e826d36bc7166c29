#include "departure/declaration.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

using departure::DeklaracjaIE015;
using departure::Strona;

QString S(const char* t) { return QString::fromUtf8(t); }

class DeclarationEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    Db().Exec(S("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Nr_Dom, Kod, Miejscowosc, Kraj, NIP, EORI, NrAEO) values "
                             "(5, 'Bałtycka Spedycja Sp. z o.o.', 'Portowa', '1', '81-350', 'Gdynia', 'PL', '5860000017', "
                             "'PL586000001700000', 'PLAEOC000123')"));
    Db().Exec(S("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, PU_NUMER, PU_MIEJSCE, IE015_TYP, IE015_UC_ZGLOSZENIA, "
                             "IE015_MIEJSCE_TYP, IE015_MIEJSCE_OPIS, IE015_MIEJSCE_ZAL, IE015_NADAWCA_ID) values "
                             "(1, 'Zwykły', 0, '', '', 'T1', 'PL322010', 2, 'Plac składowy', 'Gdynia', 5), "
                             "(2, 'Uproszczony', 1, 'PL/UP/7', 'MU-17', 'TIR', 'PL322020', 0, '', '', 0)"));
    Db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (1, 0, 'IE015', 1, '')"));
  }
  host::Db& Db() { return host_.db(); }
  // The editor of transit 1 under `rejestr` (0: none) on `xml` (empty: a new declaration).
  DeklaracjaIE015 Nowa(int rejestr, const QString& xml = {}, QString* blad = nullptr) {
    DeklaracjaIE015 d(ctx_);
    d.UstawRejestr(rejestr);
    d.UstawTranzyt(1);
    const QString b = d.SetXML(xml);
    if (blad) *blad = b;
    return d;
  }
  static QStringList Kody(const xml::Group& towar, const xml::GroupDesc& lista) {
    QStringList out;
    for (const xml::Group& g : towar.List(lista)) out << g.Get(S("PozId")) + QLatin1Char(':') + g.Get(S("Kod"));
    return out;
  }

  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST_F(DeclarationEditor, NewDeclarationTakesItsRegistersDefaults) {
  // Type, simplified procedure, location kind and text, office of departure, control result.
  auto pola = [](const DeklaracjaIE015& d) {
    const departure::PolaDeklaracji& p = d.pola;
    return QStringList{p.deklaracja, QString::number(p.uproszczona), QString::number(p.lokalizacja), p.lokalizacja_opis, p.uc_zgloszenia, p.wk_kod}
        .join(u'|');
  };
  DeklaracjaIE015 zwykla = Nowa(1);
  EXPECT_EQ(pola(zwykla), S("T1|0|2|Plac składowy|PL322010|"));
  EXPECT_EQ(zwykla.NazwaStrony(Strona::Nadawca), S("Bałtycka Spedycja Sp. z o.o."));
  EXPECT_EQ(zwykla.Dokument().Root().Get(xml::kIE015_Nadawca).Get(S("TIN")), S("PL586000001700000"));
  ASSERT_EQ(zwykla.Towary().size(), 1u);

  DeklaracjaIE015 uproszczona = Nowa(2);
  EXPECT_EQ(pola(uproszczona), S("TIR|1|4|MU-17|PL322020|A3"));
  const xml::Group towar = uproszczona.Towar(1);
  EXPECT_EQ(Kody(towar, xml::kIE015_InformacjaDodatkowa), QStringList{S("1:2UP2")});
  EXPECT_EQ(towar.Get(xml::kIE015_InformacjaDodatkowa).Get(S("Tekst")), S("PL/UP/7"));
  EXPECT_EQ(uproszczona.Dokument().Root().Get(xml::kGlownyZobowiazany).Get(S("TIR")), S("1"));

  // Switching off removes the entry and says which way it went; on twice adds one entry.
  EXPECT_EQ(uproszczona.UstawProcedureUproszczona(false, true),
            S("UWAGA! \rZmieniono tryb zgłoszenia z \"procedura uproszczona na \"procedura zwykła\" ! \r"
              "Zmiana zostanie przepisana na nagłówek przesyłki"));
  EXPECT_TRUE(Kody(uproszczona.Towar(1), xml::kIE015_InformacjaDodatkowa).isEmpty());
  EXPECT_TRUE(uproszczona.pola.wk_kod.isEmpty());
  uproszczona.UstawProcedureUproszczona(true, true);
  EXPECT_EQ(uproszczona.UstawProcedureUproszczona(true, true), QString());
  EXPECT_EQ(Kody(uproszczona.Towar(1), xml::kIE015_InformacjaDodatkowa), QStringList{S("1:2UP2")});
}

TEST_F(DeclarationEditor, StoredDeclarationComesBackUnchangedWithWhatTheFormDoesNotShow) {
  QString blad;
  const QString first = Nowa(1, PrzykladowaDeklaracja(3).Xml(), &blad).GetXML();
  ASSERT_EQ(blad, QString());
  DeklaracjaIE015 again = Nowa(1, first);
  EXPECT_EQ(again.GetXML(), first);
  for (const char* kept : {"DokumentPoprzedni", "Przewoznik", "NiewaznaNaKraj", "KodUN", "Robocze"})
    EXPECT_TRUE(first.contains(QString::fromLatin1(kept))) << kept;
  EXPECT_EQ(again.Towary().size(), 3u);

  // Routing: every part between commas is an entry; an empty field writes none.
  for (const auto& [trasa, wpisy] : {std::pair{"DE,CZ", 2}, {"", 0}}) {
    again.pola.trasa = S(trasa);
    again.GetXML();
    EXPECT_EQ(again.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Count(xml::kIE015_KrajTrasy), wpisy) << trasa;
  }

  // The office of transit: the window's one office is the list's entry number 1; a list of
  // several from elsewhere shows its first and is written back as the window holds it.
  again.pola.uc_tranzytowy = S("de004057");
  again.GetXML();
  EXPECT_EQ(Kody(again.Dokument().Root().Get(xml::kIE015_UC), xml::kIE015_UCTranzytowy), QStringList{S("1:DE004057")});
  xml::Group uc = again.Dokument().Root().Get(xml::kIE015_UC);
  xml::Group drugi = uc.Add(xml::kIE015_UCTranzytowy);
  drugi.Set(S("PozId"), S("2"));
  drugi.Set(S("Kod"), S("CZ590000"));
  DeklaracjaIE015 dwa = Nowa(0, again.Dokument().Xml());
  EXPECT_EQ(dwa.pola.uc_tranzytowy, S("DE004057"));
  dwa.pola.uc_tranzytowy.clear();
  dwa.GetXML();
  EXPECT_EQ(dwa.Dokument().Root().Get(xml::kIE015_UC).Count(xml::kIE015_UCTranzytowy), 0);

  // A text that does not parse opens a new document and tells why.
  DeklaracjaIE015 broken = Nowa(1, S("<IE015><Towar></IE015>"), &blad);
  EXPECT_FALSE(blad.isEmpty());
  EXPECT_EQ(broken.pola.deklaracja, S("T1"));
}

TEST_F(DeclarationEditor, TirCarnetBringsItsGuaranteeAndDocumentAndLeavingTirTakesThemAway) {
  DeklaracjaIE015 d = Nowa(1);
  d.pola.uc_tranzytowy = S("DE004851");
  d.ZmienTyp(S("TIR"));
  // Under TIR no office of transit is sent, though the field was filled before.
  d.GetXML();
  EXPECT_EQ(d.Dokument().Root().Get(xml::kIE015_UC).Count(xml::kIE015_UCTranzytowy), 0);
  d.pola.karnet_tir = S("AB12345678");
  d.OpuscKarnetTIR();
  d.OpuscKarnetTIR();  // twice: still one of each
  EXPECT_EQ(d.PodsumowanieGwarancji(), S("B Nr: AB12345678"));
  EXPECT_EQ(d.Dokument().Root().Count(xml::kIE015_Gwarancje), 1);
  EXPECT_EQ(Kody(d.Towar(1), xml::kDokumentWymagany), QStringList{S("1:952")});
  EXPECT_EQ(d.Dokument().Root().Get(xml::kGlownyZobowiazany).Get(S("TIR")), S("1"));
  EXPECT_EQ(d.OstrzezenieGwarancji(), QString());

  d.ZmienTyp(S("T1"));
  d.OpuscTyp(S("TIR"));
  EXPECT_EQ(d.PodsumowanieGwarancji(), QString());
  EXPECT_TRUE(Kody(d.Towar(1), xml::kDokumentWymagany).isEmpty());
}

TEST_F(DeclarationEditor, ContractorsFillThePartiesAndTheirAeoEntriesOnce) {
  DeklaracjaIE015 d = Nowa(1);
  const auto k = Db().QueryOne(S("select * from KONTRAHENCI where ID_KONTRAHENCI = 5"));
  EXPECT_EQ(d.WypelnijStrone(Strona::Nadawca, *k), S("Bałtycka Spedycja Sp. z o.o."));
  d.WypelnijStrone(Strona::Nadawca, *k);
  d.GetXML();
  EXPECT_EQ(d.KolumnyTranzytu().value(S("NADAWCA_ID")).toInt(), 5);
  EXPECT_EQ(d.KolumnyTranzytu().value(S("NADAWCA_NAZWA")).toString(), S("Bałtycka Spedycja Sp. z o.o."));
  EXPECT_EQ(d.pola.kraj_wysylki, S("PL"));
  EXPECT_EQ(d.Dokument().Root().Get(xml::kIE015_Nadawca).Get(S("UlicaNumer")), S("Portowa 1"));
  EXPECT_EQ(Kody(d.Towar(1), xml::kDokumentWymagany), QStringList{S("1:Y022")});
  // A security party known by its TIN carries neither name nor address.
  EXPECT_EQ(d.WypelnijStrone(Strona::Przewoznik, *k), S("PL586000001700000"));
  EXPECT_TRUE(d.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Get(xml::kIE015_Przewoznik).Get(S("Nazwa")).isEmpty());
  EXPECT_EQ(d.WypelnijStrone(Strona::Przedstawiciel, *k), S("PL586000001700000"));
  d.WyczyscStrone(Strona::Nadawca);
  EXPECT_EQ(Kody(d.Towar(1), xml::kDokumentWymagany), QStringList{S("1:Y025")});
  EXPECT_TRUE(d.KolumnyTranzytu().value(S("NADAWCA_ID")).isNull());
  d.WyczyscStrone(Strona::Przewoznik);
  EXPECT_FALSE(d.Dokument().Root().Get(xml::kIE015_Bezpieczenstwo).Get(xml::kIE015_Przewoznik));
}

TEST_F(DeclarationEditor, GoodsItemsAreRenumberedAndStopAt999) {
  DeklaracjaIE015 d = Nowa(1);
  d.Towar(1).Set(S("OpisTowaru"), S("pierwsza"));
  d.Towar(d.DodajTowar()).Set(S("OpisTowaru"), S("druga"));
  d.Towar(d.DodajTowar()).Set(S("OpisTowaru"), S("trzecia"));
  d.UsunTowar(2);
  d.GetXML();
  ASSERT_EQ(d.Towary().size(), 2u);
  EXPECT_EQ(d.Towary()[1].poz_id, 2);
  EXPECT_EQ(d.Towar(2).Get(S("OpisTowaru")), S("trzecia"));
  EXPECT_EQ(d.Towar(2).Get(S("PozId")), S("2"));
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
    p.uc_przeznaczenia = S("DE004851");
    p.masa_brutto = S("1200.5");
    p.liczba_opakowan = S("10");
  };
  EXPECT_EQ(pola(ok), QStringList());
  struct Case {
    std::function<void(departure::PolaDeklaracji&)> zmiana;
    QString oczekiwane;
  };
  const Case cases[] = {
      {[](auto& p) { p.deklaracja = S("T9"); }, S("beDeklaracja=Wartość pola @Deklaracja jest z poza słownika")},
      {[](auto& p) { p.masa_brutto = S("0"); }, S("ceMasaBrutto=Wartość musi być większa od zera")},
      {[](auto& p) { p.wk_kod = S("A3"); }, S("beWK_Kod=")},
      {[](auto& p) { p.lokalizacja = 4; }, S("peLokalizacja=Atrybut @KodMiejscaWskazanegoWPozwoleniu nie może wystąpić")},
      {[](auto& p) { p.przedstawiciel = S("PL123"); }, S("bePrzedstawiciel=Pole Przedstawiciel musi mieć 17 znaków lub być puste")},
      {[](auto& p) { p.upowazniony_odbiorca = S("X"); }, S("beUpowaznOdbiorca=Pole Upoważniony odbiorca musi mieć 17 znaków lub być puste")},
      {[](auto& p) { p.deklaracja = S("TIR"); p.karnet_tir = S("AB1234567"); }, S("beKarnetTIR=Numer karnetu TIR")},
      {[](auto& p) { p.deklaracja = S("TIR"); p.karnet_tir = S("A112345678"); }, S("beKarnetTIR=Numer karnetu TIR")},
      {[](auto& p) { p.uproszczona = true; p.wk_kod = S("A3"); p.termin_dostarczenia = S("2024-03-12"); p.st_rodz = S("30"); },
       S("peLokalizacja=Można wypełnić tylko atrybut @KodMiejscaWskazanegoWPozwoleniu")},
  };
  for (const Case& c : cases) {
    const QStringList bledy = pola([&](auto& p) { ok(p); c.zmiana(p); });
    ASSERT_EQ(bledy.size(), 1) << c.oczekiwane.toStdString() << " got " << bledy.join(" | ").toStdString();
    EXPECT_TRUE(bledy.first().startsWith(c.oczekiwane)) << bledy.first().toStdString();
  }
  EXPECT_EQ(pola([&](auto& p) { ok(p); p.deklaracja = S("TIR"); p.karnet_tir = S("AB12345678"); }), QStringList());

  // Before the IE028 an amendment can only be a notice of presentation.
  EXPECT_EQ(d.UstawTypModyfikacji(0), S("Przed otrzymaniem komunikatu IE028 możliwe jest tylko zgłoszenie w trybie powiadomienia"));
  EXPECT_EQ(d.pola.typ_modyfikacji, 2);
}

}  // namespace
}  // namespace velmora::testing
