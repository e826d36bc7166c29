#include "sample_messages.h"

namespace velmora::testing {

namespace {

void Podmiot(xml::Group g, const QString& nazwa, const QString& tin) {
  g.Set(QStringLiteral("Nazwa"), nazwa);
  g.Set(QStringLiteral("UlicaNumer"), QStringLiteral("Portowa 1"));
  g.Set(QStringLiteral("KodPocztowy"), QStringLiteral("81-350"));
  g.Set(QStringLiteral("Miejscowosc"), QStringLiteral("Gdynia"));
  g.Set(QStringLiteral("Kraj"), QStringLiteral("PL"));
  g.Set(QStringLiteral("TIN"), tin);
}

}  // namespace

xml::Message PrzykladowaDeklaracja(int towary) {
  using namespace xml;
  Message m = NewIE015();
  Naglowek h = m.EnsureNaglowek();
  h.SetNrWlasny(QStringLiteral("<AUTO>"));
  h.SetDataUtworzenia(QStringLiteral("2024-03-04T12:00:00"));
  Group root = m.Root();
  Group z = root.Add(kIE015_Zgloszenie);
  z.Set(QStringLiteral("KrajWysylki"), QStringLiteral("PL"));
  z.Set(QStringLiteral("KrajPrzeznaczenia"), QStringLiteral("DE"));
  z.Set(QStringLiteral("MiejsceZaladunku"), QStringLiteral("Łódź Olechów"));
  z.Set(QStringLiteral("MiejsceUznane"), QStringLiteral("Gdynia, nabrzeże Bułgarskie"));
  z.Set(QStringLiteral("Kontener"), QStringLiteral("false"));
  z.Set(QStringLiteral("LiczbaPozycji"), QString::number(towary));
  z.Set(QStringLiteral("LiczbaOpakowan"), QString::number(towary * 10));
  z.Set(QStringLiteral("MasaBrutto"), QStringLiteral("1234.5"));
  root.Add(kIE015_Rodzaj).Set(QStringLiteral("Deklaracja"), QStringLiteral("T1"));
  Podmiot(root.Add(kIE015_Nadawca), QStringLiteral("Bałtycka Spedycja Sp. z o.o."), QStringLiteral("PL5860000017"));
  Podmiot(root.Add(kIE015_Odbiorca), QStringLiteral("Hansa Logistik GmbH"), QStringLiteral("DE123456789"));
  Group gz = root.Add(kGlownyZobowiazany);
  Podmiot(gz, QStringLiteral("Bałtycka Spedycja Sp. z o.o."), QStringLiteral("PL5860000017"));
  gz.Set(QStringLiteral("TIR"), QStringLiteral("0"));
  gz.Add(kPrzedstawiciel).Set(QStringLiteral("TIN"), QStringLiteral("PL5860000024"));
  Group tw = root.Add(kIE015_TransportWyjazd);
  tw.Set(QStringLiteral("Znaki"), QStringLiteral("GD 12345"));
  tw.Set(QStringLiteral("Kraj"), QStringLiteral("PL"));
  Group uc = root.Add(kIE015_UC);
  uc.Set(QStringLiteral("Wyjscia"), QStringLiteral("PL322010"));
  uc.Set(QStringLiteral("Przeznaczenia"), QStringLiteral("DE004057"));
  Group wk = root.Add(kIE015_WynikKontroli);
  wk.Set(QStringLiteral("Kod"), QStringLiteral("A3"));
  wk.Set(QStringLiteral("TerminDostarczenia"), QStringLiteral("2024-03-12"));
  Group zc = root.Add(kIE015_ZamknieciaCelne);
  zc.Set(QStringLiteral("Liczba"), QStringLiteral("2"));
  zc.Add(kZamkniecie).Set(QStringLiteral("Znak"), QStringLiteral("PL001"));
  zc.Add(kZamkniecie).Set(QStringLiteral("Znak"), QStringLiteral("PL002"));
  Group gw = root.Add(kIE015_Gwarancje);
  gw.Set(QStringLiteral("PozId"), QStringLiteral("1"));
  gw.Set(QStringLiteral("Rodzaj"), QStringLiteral("1"));
  Group ref = gw.Add(kIE015_Gwarancja);
  ref.Set(QStringLiteral("GRN"), QStringLiteral("24PL322010000001A1"));
  ref.Set(QStringLiteral("KodDostepu"), QStringLiteral("AB12"));
  Group nk = ref.Add(kIE015_NiewaznaNaKraj);
  nk.Set(QStringLiteral("PozId"), QStringLiteral("1"));
  nk.Set(QStringLiteral("Kraj"), QStringLiteral("CH"));
  Group b = root.Add(kIE015_Bezpieczenstwo);
  b.Set(QStringLiteral("NrReferencyjnyPrzewozu"), QStringLiteral("PRZEWOZ-1"));
  Podmiot(b.Add(kIE015_Przewoznik), QStringLiteral("Trans-Bałt"), QStringLiteral("PL5860000031"));
  // What an editor leaves behind and the schema does not know.
  root.Node().AppendChild(QStringLiteral("Robocze")).SetAttribute(QStringLiteral("Notatka"), QStringLiteral("do sprawdzenia"));
  for (int i = 1; i <= towary; ++i) {
    Group t = root.Add(kIE015_Towar);
    t.Set(QStringLiteral("PozId"), QString::number(i));
    t.Set(QStringLiteral("KodTowarowy"), QStringLiteral("84713000"));
    t.Set(QStringLiteral("OpisTowaru"), QStringLiteral("Komputery przenośne, pozycja %1").arg(i));
    t.Set(QStringLiteral("MasaBrutto"), QStringLiteral("12,5"));
    t.Set(QStringLiteral("MasaNetto"), QStringLiteral("10"));
    Group o = t.Add(kOpakowanie);
    o.Set(QStringLiteral("PozId"), QStringLiteral("1"));
    o.Set(QStringLiteral("Rodzaj"), QStringLiteral("CT"));
    o.Set(QStringLiteral("Znaki"), QStringLiteral("BS/%1").arg(i));
    o.Set(QStringLiteral("LiczbaOpakowan"), QStringLiteral("10"));
    Group dp = t.Add(kIE015_DokumentPoprzedni);
    dp.Set(QStringLiteral("PozId"), QStringLiteral("1"));
    dp.Set(QStringLiteral("Kod"), QStringLiteral("T1"));
    dp.Set(QStringLiteral("Nr"), QStringLiteral("24PL322010NS000%1").arg(i % 10));
    Group cal = t.Add(kIE015_InformacjaDodatkowa);
    cal.Set(QStringLiteral("PozId"), QStringLiteral("1"));
    cal.Set(QStringLiteral("Kod"), QStringLiteral("CAL"));
    cal.Set(QStringLiteral("Tekst"), QStringLiteral("100.00 | 24PL322010000001A1"));
    Group tb = t.Add(kIE015_TowarBezpieczenstwo);
    tb.Set(QStringLiteral("KodUN"), QStringLiteral("3480"));
    Podmiot(tb.Add(kIE015_Nadawca), QStringLiteral("Bałtycka Spedycja"), QString());
  }
  return m;
}

xml::Message PrzykladowaDeklaracjaCC(int towary) {
  using namespace xml;
  Message m = PrzykladowaDeklaracja(towary);
  m.EnsureNaglowek().SetNrWlasny(QStringLiteral("24IE0150000010"));
  Group root = m.Root();
  root.Get(kIE015_Zgloszenie).Set(QStringLiteral("Kontener"), QStringLiteral("1"));
  root.Get(kIE015_Rodzaj).Set(QStringLiteral("Bezpieczenstwo"), QStringLiteral("1"));
  root.Get(kIE015_Gwarancje).Get(kIE015_Gwarancja).Set(QStringLiteral("GRN"), QStringLiteral("24PL3220100000011"));
  root.Get(kIE015_TransportWyjazd).Set(QStringLiteral("Rodzaj"), QStringLiteral("30"));
  int i = 0;
  for (Group t : root.List(kIE015_Towar)) {
    t.Set(QStringLiteral("MasaBrutto"), QStringLiteral("12.5"));
    t.Get(kIE015_DokumentPoprzedni).Set(QStringLiteral("Kod"), QStringLiteral("N821"));
    t.Get(kIE015_InformacjaDodatkowa).Set(QStringLiteral("Tekst"), QStringLiteral("100.50; 24PL3220100000011"));
    if (i == 0) {
      Group o = t.Ensure(kIE015_Odbiorca);
      o.Set(QStringLiteral("Nazwa"), QStringLiteral("Hansa Lager"));
      o.Set(QStringLiteral("TIN"), QStringLiteral("DE987654321"));
    }
    if (++i <= 2) {
      Group k = t.Add(kKontener);
      k.Set(QStringLiteral("PozId"), QStringLiteral("1"));
      k.Set(QStringLiteral("Numer"), QStringLiteral("MSKU1234567"));
    }
  }
  return m;
}

xml::Message PrzykladowePrzybycie(const QString& miejsce) {
  using namespace xml;
  Message m = NewIE007();
  Naglowek h = m.EnsureNaglowek();
  h.SetNrWlasny(QStringLiteral("<AUTO>"));
  h.SetDataUtworzenia(QStringLiteral("2024-02-20T09:00:00"));
  h.SetMRN(QStringLiteral("24PL322010NS0001A7"));
  Group root = m.Root();
  Group p = root.Add(kIE007_Przybycie);
  p.Set(QStringLiteral("Miejsce"), miejsce);
  p.Set(QStringLiteral("Data"), QStringLiteral("2024-02-20"));
  p.Set(QStringLiteral("UCPrzedstawienia"), QStringLiteral("pl322020"));
  root.Add(kIE007_Lokalizacja);
  Group o = root.Add(kIE007_Odbiorca);
  Podmiot(o, QStringLiteral("Bałtycka Spedycja Sp. z o.o."), QStringLiteral("PL5860000017"));
  o.Add(kPrzedstawiciel).Set(QStringLiteral("TIN"), QStringLiteral("PL5860000024"));
  for (const char* kraj : {"de", "cz"}) {
    Group z = root.Add(kIE007_Zdarzenie);
    z.Set(QStringLiteral("Miejsce"), QStringLiteral("Przejście ") + QString::fromLatin1(kraj));
    z.Set(QStringLiteral("Kraj"), QString::fromLatin1(kraj));
    z.Add(kIE007_Incydent).Set(QStringLiteral("Opis"), QStringLiteral("Wymiana naczepy"));
    z.Add(kIE007_ZamknieciaCelne).Add(kZamkniecie).Set(QStringLiteral("Znak"), QStringLiteral("NEW-") + QString::fromLatin1(kraj));
  }
  return m;
}

}  // namespace velmora::testing
