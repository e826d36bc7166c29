#include "arrival/arrival_copies.h"
#include "departure/declaration_copies.h"
#include "host/xml/messages.h"
#include "host/xml/schema.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

QString S(const char* t) { return QString::fromUtf8(t); }

// The copies read options and the user only; one engine is enough.
class ExportCopies : public ::testing::Test {
 protected:
  void Uzytkownik(const QString& lokalizacja, bool sysadmin) {
    host_.user.Set(host::TUser(1, S("jan"), S("Jan Kowalski"), lokalizacja, false, sysadmin, false));
  }
  void Miejsce(const QString& m) {
    host_.options->WriteOption(S("USER"), S("MIEJSCE"), m, host::OptionScope::User);
  }
  static xml::Message Parse(const QString& text, const char* code) {
    return xml::GetMessage(xml::LoadXMLData(text), QString::fromLatin1(code));
  }
  static QStringList ChildNames(const xml::Message& m) {
    QStringList names;
    for (const xml::XmlNode& c : m.Root().Node().Children()) names << c.LocalName();
    return names;
  }

  TestHost host_{TestEngine::Sqlite};
  host::HostContext ctx_ = host_.Context();
};

TEST_F(ExportCopies, DeclarationIsRebuiltInSchemaOrderWithItsValuesNormalised) {
  Uzytkownik(QString(), false);
  Miejsce(S("Łódź"));
  xml::Message stored = PrzykladowaDeklaracja(2);
  // The place and date group as an old copy left it, out of order.
  stored.Root().Add(xml::kIE015_MiejsceData).Set(S("Miejsce"), S("Sopot"));
  // The agency's own security computation stays at home.
  xml::Group towar = stored.Root().List(xml::kIE015_Towar)[0];
  towar.Ensure(xml::kIE015_DaneKrajowe).Ensure(xml::kIE015_Zabezpieczenie).Set(S("Razem"), S("1605.00"));
  const QString text = departure::KopiujIE015toIE015(ctx_, stored.Xml());
  ASSERT_FALSE(text.isEmpty());
  EXPECT_FALSE(text.contains(S("DaneKrajowe")));
  EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
  const xml::Message m = Parse(text, "IE015");

  EXPECT_EQ(ChildNames(m), (QStringList{"Naglowek", "Zgloszenie", "Rodzaj", "Nadawca", "Odbiorca", "GlownyZobowiazany", "TransportWyjazd",
                                        "UC", "WynikKontroli", "ZamknieciaCelne", "Gwarancje", "Bezpieczenstwo", "MiejsceData", "Towar",
                                        "Towar"}));  // the editor's leftover is gone
  const xml::Group z = m.Root().Get(xml::kIE015_Zgloszenie);
  EXPECT_EQ(z.Get(S("MasaBrutto")), S("1234.500"));
  EXPECT_EQ(z.Get(S("MiejsceZaladunku")), S("Lodz Olechow"));
  EXPECT_EQ(z.Get(S("MiejsceUznane")), S("Gdynia, nabrzeże Bułgarskie"));  // not a place of loading
  const auto towary = m.Root().List(xml::kIE015_Towar);
  EXPECT_EQ((QStringList{towary[1].Get(S("MasaBrutto")), towary[1].Get(S("MasaNetto"))}), (QStringList{S("12.500"), S("10.000")}));
  EXPECT_EQ(towary[1].List(xml::kIE015_InformacjaDodatkowa)[0].Get(S("Tekst")), S("100.00 | 24PL322010000001A1"));
  EXPECT_EQ(m.Root().Get(xml::kIE015_Gwarancje).Get(xml::kIE015_Gwarancja).Get(xml::kIE015_NiewaznaNaKraj).Get(S("Kraj")), S("CH"));
  const xml::Group md = m.Root().Get(xml::kIE015_MiejsceData);
  EXPECT_EQ((QStringList{md.Get(S("Miejsce")), md.Get(S("Data")), md.Get(S("Osoba"))}), (QStringList{"Lodz", "2024-03-05", "Jan Kowalski"}));
  EXPECT_EQ((QStringList{m.GetNaglowek().NrWlasny(), m.GetNaglowek().MRN()}), (QStringList{S("<AUTO>"), QString()}));
}

TEST_F(ExportCopies, PlaceOfFillingComesFromTheOptionTheLocationOrForAnAdministratorTheProgram) {
  const QString stored = PrzykladowaDeklaracja(1).Xml();
  auto place = [&] {
    const QString t = departure::KopiujIE015toIE015(ctx_, stored);
    return t.isEmpty() ? S("<brak>") : Parse(t, "IE015").Root().Get(xml::kIE015_MiejsceData).Get(S("Miejsce"));
  };
  Uzytkownik(S("Oddział Świnoujście"), false);
  EXPECT_EQ(place(), S("Oddzial Swinoujscie"));
  Uzytkownik(QString(), true);
  EXPECT_EQ(place(), S("Gdynia"));
  Uzytkownik(QString(), false);
  EXPECT_EQ(place(), S("<brak>"));
  EXPECT_EQ(host_.dialogs.Texts().last(), S("Nie podano miejsca wypełnienia dokumentu. Informacją tą można wypełnić w oknie opcji "
                                            "użytkownika zakładka NCTS, lub na lokalizacji użytkownika"));
}

TEST_F(ExportCopies, AmendmentNamesTheDeclarationByLrnForAPresentationNoticeAndByMrnOtherwise) {
  Uzytkownik(S("Gdańsk"), false);
  const QString stored = PrzykladowaDeklaracja(1).Xml();
  const xml::Message przedstawienie = Parse(departure::KopiujIE015toIE013(ctx_, stored, "24PL322010NS0001A7", "LRN-7", 2), "IE013");
  EXPECT_EQ(przedstawienie.GetNaglowek().LRN(), S("LRN-7"));
  EXPECT_FALSE(przedstawienie.GetNaglowek().Node().HasAttribute(S("MRN")));
  const xml::Message zmiana = Parse(departure::KopiujIE015toIE013(ctx_, stored, "24PL322010NS0001A7", "LRN-7", 1), "IE013");
  EXPECT_EQ(zmiana.GetNaglowek().MRN(), S("24PL322010NS0001A7"));
  EXPECT_FALSE(zmiana.GetNaglowek().Node().HasAttribute(S("LRN")));
  EXPECT_EQ(zmiana.Root().List(xml::kIE015_Towar).size(), 1u);
  EXPECT_EQ(zmiana.Root().Get(xml::kIE015_MiejsceData).Get(S("Miejsce")), S("Gdansk"));
}

TEST_F(ExportCopies, ArrivalNotificationIsDatedTodayAtAPlaceInPlainLetters) {
  Uzytkownik(QString(), false);
  Miejsce(S("Łódź"));
  const xml::Message m = Parse(arrival::KopiujIE007toIE007(ctx_, PrzykladowePrzybycie(QString()).Xml()), "IE007");
  const xml::Group p = m.Root().Get(xml::kIE007_Przybycie);
  EXPECT_EQ(p.Get(S("Miejsce")), S("Lodz"));
  EXPECT_EQ(p.Get(S("Data")), S("2024-03-05"));  // stored on 2024-02-20
  EXPECT_EQ(p.Get(S("UCPrzedstawienia")), S("PL322020"));
  const auto zdarzenia = m.Root().List(xml::kIE007_Zdarzenie);
  ASSERT_EQ(zdarzenia.size(), 2u);
  EXPECT_EQ((QStringList{zdarzenia[0].Get(S("Kraj")), zdarzenia[1].Get(S("Kraj"))}), (QStringList{"DE", "CZ"}));
  EXPECT_EQ(zdarzenia[1].Get(xml::kIE007_ZamknieciaCelne).Get(xml::kZamkniecie).Get(S("Znak")), S("NEW-cz"));
  EXPECT_TRUE(m.Root().Get(xml::kIE007_Lokalizacja));  // kept for the sending routine

  // The document's own place wins; none anywhere: nothing to send.
  const xml::Message krakow = Parse(arrival::KopiujIE007toIE007(ctx_, PrzykladowePrzybycie(S("Kraków")).Xml()), "IE007");
  EXPECT_EQ(krakow.Root().Get(xml::kIE007_Przybycie).Get(S("Miejsce")), S("Krakow"));
  Miejsce(QString());
  EXPECT_TRUE(arrival::KopiujIE007toIE007(ctx_, PrzykladowePrzybycie(QString()).Xml()).isEmpty());
}

TEST_F(ExportCopies, UnloadingRemarksMassWithACommaIsSentWithAFullStop) {
  xml::Message m = xml::NewIE044();
  m.EnsureNaglowek().SetMRN(S("24PL322010NS0001A7"));
  xml::Group root = m.Root();
  root.Add(xml::kIE044_UwagiDoRozladunku).Set(S("MasaBrutto"), S("1500,25"));
  for (const char* poz : {"2", "1"}) root.Add(xml::kIE044_Towar).Set(S("PozId"), QString::fromLatin1(poz));
  root.Add(xml::kIE044_Transport).Set(S("Kraj"), S("de"));
  const xml::Message c = Parse(arrival::KopiujIE044toIE044(ctx_, m.Xml()), "IE044");
  EXPECT_EQ(c.Root().Get(xml::kIE044_UwagiDoRozladunku).Get(S("MasaBrutto")), S("1500.250"));
  EXPECT_EQ(c.Root().Get(xml::kIE044_Transport).Get(S("Kraj")), S("DE"));
  const auto towary = c.Root().List(xml::kIE044_Towar);
  ASSERT_EQ(towary.size(), 2u);
  EXPECT_EQ(towary[0].Get(S("PozId")), S("2"));
  EXPECT_EQ(ChildNames(c), (QStringList{"Naglowek", "UwagiDoRozladunku", "Transport", "Towar", "Towar"}));
}

}  // namespace
}  // namespace velmora::testing
