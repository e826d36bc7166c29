#include "arrival/arrival_copies.h"
#include "departure/declaration_copies.h"
#include "host/base/host_context.h"
#include "host/xml/messages.h"
#include "host/xml/schema.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

// The copies read options and the user only; one engine is enough.
class ExportCopies : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<TestHost>(TestEngine::Sqlite);
    ctx_ = std::make_unique<host::HostContext>(
        host_->Context());
  }
  void Uzytkownik(const QString& lokalizacja, bool sysadmin) {
    host_->user.Set(host::TUser(1, QStringLiteral("jan"), QStringLiteral("Jan Kowalski"), lokalizacja, false, sysadmin, false));
  }
  void Miejsce(const QString& m) {
    host_->options->WriteOption(QStringLiteral("USER"), QStringLiteral("MIEJSCE"), m, host::OptionScope::User);
  }
  static xml::Message Parse(const QString& text, const char* code) {
    return xml::GetMessage(xml::LoadXMLData(text), QString::fromLatin1(code));
  }
  static QStringList ChildNames(const xml::Message& m) {
    QStringList names;
    for (const xml::XmlNode& c : m.Root().Node().Children()) names << c.LocalName();
    return names;
  }

  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_F(ExportCopies, DeclarationIsRebuiltInSchemaOrderWithItsValuesNormalised) {
  Uzytkownik(QString(), false);
  Miejsce(QStringLiteral("Łódź"));
  xml::Message stored = PrzykladowaDeklaracja(2);
  // The place and date group as an old copy left it, out of order.
  stored.Root().Add(xml::kIE015_MiejsceData).Set(QStringLiteral("Miejsce"), QStringLiteral("Sopot"));
  // The agency's own security computation stays at home.
  xml::Group towar = stored.Root().List(xml::kIE015_Towar)[0];
  towar.Ensure(xml::kIE015_DaneKrajowe).Ensure(xml::kIE015_Zabezpieczenie).Set(QStringLiteral("Razem"), QStringLiteral("1605.00"));
  const QString text = departure::KopiujIE015toIE015(*ctx_, stored.Xml());
  ASSERT_FALSE(text.isEmpty());
  EXPECT_FALSE(text.contains(QStringLiteral("DaneKrajowe")));
  EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
  const xml::Message m = Parse(text, "IE015");

  EXPECT_EQ(ChildNames(m), (QStringList{"Naglowek", "Zgloszenie", "Rodzaj", "Nadawca", "Odbiorca", "GlownyZobowiazany", "TransportWyjazd",
                                        "UC", "WynikKontroli", "ZamknieciaCelne", "Gwarancje", "Bezpieczenstwo", "MiejsceData", "Towar",
                                        "Towar"}));  // the editor's leftover is gone
  const xml::Group z = m.Root().Get(xml::kIE015_Zgloszenie);
  EXPECT_EQ(z.Get(QStringLiteral("MasaBrutto")), QStringLiteral("1234.500"));
  EXPECT_EQ(z.Get(QStringLiteral("MiejsceZaladunku")), QStringLiteral("Lodz Olechow"));
  EXPECT_EQ(z.Get(QStringLiteral("MiejsceUznane")), QStringLiteral("Gdynia, nabrzeże Bułgarskie"));  // not a place of loading
  const auto towary = m.Root().List(xml::kIE015_Towar);
  EXPECT_EQ(towary[1].Get(QStringLiteral("MasaBrutto")), QStringLiteral("12.500"));
  EXPECT_EQ(towary[1].Get(QStringLiteral("MasaNetto")), QStringLiteral("10.000"));
  EXPECT_EQ(towary[1].List(xml::kIE015_InformacjaDodatkowa)[0].Get(QStringLiteral("Tekst")), QStringLiteral("100.00 | 24PL322010000001A1"));
  EXPECT_EQ(m.Root().Get(xml::kIE015_Gwarancje).Get(xml::kIE015_Gwarancja).Get(xml::kIE015_NiewaznaNaKraj).Get(QStringLiteral("Kraj")),
            QStringLiteral("CH"));
  const xml::Group md = m.Root().Get(xml::kIE015_MiejsceData);
  EXPECT_EQ(md.Get(QStringLiteral("Miejsce")), QStringLiteral("Lodz"));
  EXPECT_EQ(md.Get(QStringLiteral("Data")), QStringLiteral("2024-03-05"));
  EXPECT_EQ(md.Get(QStringLiteral("Osoba")), QStringLiteral("Jan Kowalski"));
  EXPECT_EQ(m.GetNaglowek().NrWlasny(), QStringLiteral("<AUTO>"));
  EXPECT_TRUE(m.GetNaglowek().MRN().isEmpty());
}

TEST_F(ExportCopies, PlaceOfFillingComesFromTheOptionTheLocationOrForAnAdministratorTheProgram) {
  const QString stored = PrzykladowaDeklaracja(1).Xml();
  auto place = [&] {
    const QString t = departure::KopiujIE015toIE015(*ctx_, stored);
    return t.isEmpty() ? QStringLiteral("<brak>") : Parse(t, "IE015").Root().Get(xml::kIE015_MiejsceData).Get(QStringLiteral("Miejsce"));
  };
  Uzytkownik(QStringLiteral("Oddział Świnoujście"), false);
  EXPECT_EQ(place(), QStringLiteral("Oddzial Swinoujscie"));
  Uzytkownik(QString(), true);
  EXPECT_EQ(place(), QStringLiteral("Gdynia"));
  Uzytkownik(QString(), false);
  EXPECT_EQ(place(), QStringLiteral("<brak>"));
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Nie podano miejsca wypełnienia dokumentu. Informacją tą można wypełnić w oknie opcji "
                                                          "użytkownika zakładka NCTS, lub na lokalizacji użytkownika"));
}

TEST_F(ExportCopies, AmendmentNamesTheDeclarationByLrnForAPresentationNoticeAndByMrnOtherwise) {
  Uzytkownik(QStringLiteral("Gdańsk"), false);
  const QString stored = PrzykladowaDeklaracja(1).Xml();
  const xml::Message przedstawienie = Parse(departure::KopiujIE015toIE013(*ctx_, stored, "24PL322010NS0001A7", "LRN-7", 2), "IE013");
  EXPECT_EQ(przedstawienie.GetNaglowek().LRN(), QStringLiteral("LRN-7"));
  EXPECT_FALSE(przedstawienie.GetNaglowek().Node().HasAttribute(QStringLiteral("MRN")));
  const xml::Message zmiana = Parse(departure::KopiujIE015toIE013(*ctx_, stored, "24PL322010NS0001A7", "LRN-7", 1), "IE013");
  EXPECT_EQ(zmiana.GetNaglowek().MRN(), QStringLiteral("24PL322010NS0001A7"));
  EXPECT_FALSE(zmiana.GetNaglowek().Node().HasAttribute(QStringLiteral("LRN")));
  EXPECT_EQ(zmiana.Root().List(xml::kIE015_Towar).size(), 1u);
  EXPECT_EQ(zmiana.Root().Get(xml::kIE015_MiejsceData).Get(QStringLiteral("Miejsce")), QStringLiteral("Gdansk"));
}

TEST_F(ExportCopies, ArrivalNotificationIsDatedTodayAtAPlaceInPlainLetters) {
  Uzytkownik(QString(), false);
  Miejsce(QStringLiteral("Łódź"));
  const xml::Message m = Parse(arrival::KopiujIE007toIE007(*ctx_, PrzykladowePrzybycie(QString()).Xml()), "IE007");
  const xml::Group p = m.Root().Get(xml::kIE007_Przybycie);
  EXPECT_EQ(p.Get(QStringLiteral("Miejsce")), QStringLiteral("Lodz"));
  EXPECT_EQ(p.Get(QStringLiteral("Data")), QStringLiteral("2024-03-05"));  // stored on 2024-02-20
  EXPECT_EQ(p.Get(QStringLiteral("UCPrzedstawienia")), QStringLiteral("PL322020"));
  const auto zdarzenia = m.Root().List(xml::kIE007_Zdarzenie);
  ASSERT_EQ(zdarzenia.size(), 2u);
  EXPECT_EQ(zdarzenia[0].Get(QStringLiteral("Kraj")), QStringLiteral("DE"));
  EXPECT_EQ(zdarzenia[1].Get(QStringLiteral("Kraj")), QStringLiteral("CZ"));
  EXPECT_EQ(zdarzenia[1].Get(xml::kIE007_ZamknieciaCelne).Get(xml::kZamkniecie).Get(QStringLiteral("Znak")), QStringLiteral("NEW-cz"));
  EXPECT_TRUE(m.Root().Get(xml::kIE007_Lokalizacja));  // kept for the sending routine

  // The document's own place wins; none anywhere: nothing to send.
  EXPECT_EQ(Parse(arrival::KopiujIE007toIE007(*ctx_, PrzykladowePrzybycie(QStringLiteral("Kraków")).Xml()), "IE007")
                .Root().Get(xml::kIE007_Przybycie).Get(QStringLiteral("Miejsce")),
            QStringLiteral("Krakow"));
  Miejsce(QString());
  EXPECT_TRUE(arrival::KopiujIE007toIE007(*ctx_, PrzykladowePrzybycie(QString()).Xml()).isEmpty());
}

TEST_F(ExportCopies, UnloadingRemarksMassWithACommaIsSentWithAFullStop) {
  xml::Message m = xml::NewIE044();
  m.EnsureNaglowek().SetMRN(QStringLiteral("24PL322010NS0001A7"));
  xml::Group root = m.Root();
  root.Add(xml::kIE044_UwagiDoRozladunku).Set(QStringLiteral("MasaBrutto"), QStringLiteral("1500,25"));
  for (const char* poz : {"2", "1"}) root.Add(xml::kIE044_Towar).Set(QStringLiteral("PozId"), QString::fromLatin1(poz));
  root.Add(xml::kIE044_Transport).Set(QStringLiteral("Kraj"), QStringLiteral("de"));
  const xml::Message c = Parse(arrival::KopiujIE044toIE044(*ctx_, m.Xml()), "IE044");
  EXPECT_EQ(c.Root().Get(xml::kIE044_UwagiDoRozladunku).Get(QStringLiteral("MasaBrutto")), QStringLiteral("1500.250"));
  EXPECT_EQ(c.Root().Get(xml::kIE044_Transport).Get(QStringLiteral("Kraj")), QStringLiteral("DE"));
  const auto towary = c.Root().List(xml::kIE044_Towar);
  ASSERT_EQ(towary.size(), 2u);
  EXPECT_EQ(towary[0].Get(QStringLiteral("PozId")), QStringLiteral("2"));
  EXPECT_EQ(ChildNames(c), (QStringList{"Naglowek", "UwagiDoRozladunku", "Transport", "Towar", "Towar"}));
}

}  // namespace
}  // namespace velmora::testing
