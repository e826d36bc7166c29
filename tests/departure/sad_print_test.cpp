#include "departure/sad_conversion.h"
#include "frame/message_copy.h"
#include "host/reports/code128.h"
#include "host/xml/bodies.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <set>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

// Bars as '1' modules and spaces as '0', the way the symbology's tables write them.
QString Moduly(const host::Code128& code) {
  QString out;
  bool bar = true;
  for (const int w : code.widths) {
    out += QString(w, bar ? u'1' : u'0');
    bar = !bar;
  }
  return out;
}

TEST(Code128, SetBWithStartCheckAndStop) {
  const host::Code128 a = host::Code128B(S("A"));
  // Start B 104, 'A' 33, check (104 + 1*33) mod 103 = 34.
  EXPECT_EQ(a.symbols, (std::vector<int>{104, 33, 34}));
  EXPECT_EQ(Moduly(a), S("11010010000" "10100011000" "10001011000" "1100011101011"));

  // A weighted sum past several times 103: "MRN" = 45, 50, 46 -> 104 + 45 + 100 + 138 = 387, mod 103 = 78.
  EXPECT_EQ(host::Code128B(S("MRN")).symbols.back(), 78);
}

// Every character of set B: each symbol is 11 modules, its bars add up to an even width
// (the symbology's own parity) and no two symbols look alike, so a mistyped pattern shows.
TEST(Code128, EveryCharacterHasAWellFormedDistinctSymbol) {
  QString all;
  for (char16_t c = 32; c <= 126; ++c) all += QChar(c);
  const host::Code128 code = host::Code128B(all);
  ASSERT_EQ(code.widths.size(), 6u * (all.size() + 2) + 7);
  std::set<std::vector<int>> seen;
  for (size_t s = 0; s < code.symbols.size(); ++s) {
    const std::vector<int> symbol(code.widths.begin() + 6 * s, code.widths.begin() + 6 * s + 6);
    EXPECT_EQ(symbol[0] + symbol[1] + symbol[2] + symbol[3] + symbol[4] + symbol[5], 11) << s;
    EXPECT_EQ((symbol[0] + symbol[2] + symbol[4]) % 2, 0) << s;
    if (s + 1 < code.symbols.size()) {
      EXPECT_TRUE(seen.insert(symbol).second) << s;  // the check symbol may repeat one
    }
  }
}

TEST(Code128, OnlyCodeSetBCharacters) {
  for (const char* zly : {"", "24PL32201ł", "24PL\t1"}) EXPECT_TRUE(host::Code128B(S(zly)).IsNull()) << zly;
  EXPECT_FALSE(host::Code128B(S("~ ")).IsNull());
}

QString Uruchom(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

constexpr qint64 kDeklaracja = 51;
constexpr qint64 kZmiana = 52;
constexpr qint64 kPrzybycie = 53;
constexpr qint64 kZepsuty = 54;
const QString kMrn = S("24PL322010NS0001A7");

xml::Group Ustaw(xml::Group g, std::initializer_list<std::pair<const char*, QString>> pola) {
  for (const auto& [k, v] : pola) g.Set(S(k), v);
  return g;
}

// Every text of `jest` is in `tekst`, none of `brak` is.
void Ma(const QString& tekst, std::initializer_list<QString> jest, std::initializer_list<QString> brak = {}) {
  for (const QString& s : jest) EXPECT_TRUE(tekst.contains(s)) << s.toStdString();
  for (const QString& s : brak) EXPECT_FALSE(tekst.contains(s)) << s.toStdString();
}

class SadPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    pdftotext_ = QStandardPaths::findExecutable(S("pdftotext"));
    pdfinfo_ = QStandardPaths::findExecutable(S("pdfinfo"));
    pdftoppm_ = QStandardPaths::findExecutable(S("pdftoppm"));
    if (pdftotext_.isEmpty() || pdfinfo_.isEmpty() || pdftoppm_.isEmpty()) VELMORA_MISSING_PEER("poppler-utils missing");

    xml::Message ie015 = PrzykladowaDeklaracja(5);
    for (const auto& [poz, kod] : {std::pair{"1", "DE004851"}, {"2", "CZ590000"}})
      Ustaw(ie015.Root().Get(xml::kIE015_UC).Add(xml::kIE015_UCTranzytowy), {{"PozId", S(poz)}, {"Kod", S(kod)}});
    xml::Message ie013 = xml::NewIE013();
    xml::Naglowek h = ie013.EnsureNaglowek();
    h.SetNrWlasny(S("24ZM000007"));
    h.SetDataUtworzenia(S("2024-03-05T08:00:00"));
    h.SetLRN(S("24DK000042"));
    frame::KopiujGrupy(ie015, ie013, {xml::kNaglowek.name});

    db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (5, 0, 'IE028', 11, :MRN), (6, 1, 'IE007', 1, '')"),
              {{S("MRN"), kMrn}});
    db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) values "
                "(51, 5, 1, 'IE015', 2, '24DK000042', :A), (52, 5, 4, 'IE013', 1, '24ZM000007', :B), "
                "(53, 6, 1, 'IE007', 1, '<AUTO>', :C), (54, 5, 5, 'IE015', 1, '<AUTO>', 'zgłoszenie <IE015><Naglowek')"),
              {{S("A"), S("\xEF\xBB\xBF") + ie015.Xml()}, {S("B"), ie013.Xml()}, {S("C"), PrzykladowePrzybycie(S("Gdańsk")).Xml()}});
  }
  host::Db& db() { return host_.db(); }
  QString Tekst(const QString& pdf, int strona = 0) {
    QStringList args{S("-layout")};
    if (strona > 0) args << S("-f") << QString::number(strona) << S("-l") << QString::number(strona);
    return Uruchom(pdftotext_, args << pdf << S("-"));
  }
  int Strony(const QString& pdf) {
    for (const QString& line : Uruchom(pdfinfo_, {pdf}).split(u'\n'))
      if (line.startsWith(S("Pages:"))) return line.mid(6).trimmed().toInt();
    return 0;
  }
  // The top right corner of the first page, where the barcode goes, at 600 dpi in grey.
  QImage Naroznik(const QString& pdf) {
    auto px = [](double mm) { return QString::number(qRound(mm / 25.4 * 600)); };
    const QString stem = root_.filePath(S("naroznik"));
    Uruchom(pdftoppm_, {S("-r"), S("600"), S("-gray"), S("-png"), S("-singlefile"), S("-f"), S("1"), S("-l"), S("1"), S("-x"), px(110),
                        S("-y"), px(9), S("-W"), px(90), S("-H"), px(12), pdf, stem});
    return QImage(stem + S(".png"));
  }

  TestHost host_{TestEngine::Sqlite};
  QTemporaryDir root_;
  host::HostContext ctx_ = host_.Context(root_.path());
  QString pdftotext_, pdfinfo_, pdftoppm_;
};

TEST_F(SadPrint, DeclarationPrintsItsBoxesWithItemsOnContinuationPages) {
  const departure::WydrukSAD w = departure::DrukujSAD(ctx_, kDeklaracja);
  ASSERT_TRUE(w.Ok()) << w.blad.toStdString();
  EXPECT_EQ(w.pdf, root_.filePath(S("TEMP/SAD_51.pdf")));
  ASSERT_TRUE(QFile::exists(w.pdf));
  // Kept beside the window pictures for people to look at.
  QFile::remove(S(VELMORA_ARTIFACT_DIR "/sad.pdf"));
  QFile::copy(w.pdf, S(VELMORA_ARTIFACT_DIR "/sad.pdf"));
  EXPECT_EQ(Strony(w.pdf), 4);  // item 1, items 2 to 4, item 5, the back page

  // Masses with a decimal comma, the header's total as the items' ones; never the guarantee's access code.
  const QString all = Tekst(w.pdf);
  Ma(all, {"1 DEKLARACJA", "2 Nadawca/Eksporter", "8 Odbiorca", "31 Opakowania i opis towarów", "33 Kod towaru", "35 Masa brutto (kg)",
           "38 Masa netto (kg)", "40 Dokument poprzedni", "44 Informacje dodatkowe/Przedstawione dokumenty", "50 Główny zobowiązany",
           "52 Gwarancja", "53 Urząd przeznaczenia", "C URZĄD WYJŚCIA", "D KONTROLA PRZEZ URZĄD WYJŚCIA", "Hansa Logistik GmbH",
           "Nr PL5860000017", "reprezentowany przez: PL5860000024", "GD 12345 PL", "Gdynia, nabrzeże Bułgarskie", "PL322010", "DE004057",
           "DE004851, CZ590000", "GRN 24PL322010000001A1, nieważna dla: CH", "Zamknięcia nałożone: liczba 2, znaki: PL001, PL002",
           "Termin (ostateczny): 2024-03-12", "24DK000042", "Opakowania: 10 × CT, znaki: BS/1", "T1 24PL322010NS0001",
           "CAL 100.00 | 24PL322010000001A1", "84713000", "1234,5", "12,5", "Bałtycka Spedycja Sp. z o.o.", kMrn},
     {"AB12", "1234.5", host::kSadCiagDalszy, "LISTA TOWAROWA"});
  Ma(Tekst(w.pdf, 1), {"Komputery przenośne, pozycja 1", "1/3"});
  Ma(Tekst(w.pdf, 2), {"Komputery przenośne, pozycja 2", "Komputery przenośne, pozycja 3", "Komputery przenośne, pozycja 4", "2/3"},
     {"Komputery przenośne, pozycja 1"});
  Ma(Tekst(w.pdf, 3), {"Komputery przenośne, pozycja 5", "3/3", kMrn});  // every sheet names its transit

  // The back page comes once, last, empty for the authorities en route and at destination.
  Ma(Tekst(w.pdf, 4), {"55 Przeładunki", "56 Inne zdarzenia podczas przewozu", "F Poświadczenie właściwych władz",
                       "G Poświadczenie właściwych władz", "H ", "I KONTROLA PRZEZ URZĄD PRZEZNACZENIA", "Strona 4 z 4"},
     {"Komputery przenośne"});
  EXPECT_EQ(all.count(S("55 Przeładunki")), 2);  // two transhipments side by side, on that page only

  // The barcode read back from the page: its bars, measured in modules, are the MRN's symbol.
  const QImage naroznik = Naroznik(w.pdf);
  ASSERT_FALSE(naroznik.isNull());
  auto ciemny = [&naroznik, y = naroznik.height() / 2](int x) { return qGray(naroznik.pixel(x, y)) < 128; };
  int first = 0, last = naroznik.width() - 1;
  while (first <= last && !ciemny(first)) ++first;
  while (last > first && !ciemny(last)) --last;
  ASSERT_LE(first, last);
  const host::Code128 code = host::Code128B(kMrn);
  const double modul = double(last - first + 1) / code.Modules();
  std::vector<int> czytane;
  for (int x = first, od = first; x <= last + 1; ++x)
    if (x > last || ciemny(x) != ciemny(od)) {
      czytane.push_back(qRound((x - od) / modul));
      od = x;
    }
  EXPECT_EQ(czytane, code.widths);
}

TEST_F(SadPrint, WithoutAnMrnNeitherTheNumberNorTheBarcode) {
  db().Exec(S("update TRANZYTY set MRN = null where ID_TRANZYTY = 5"));
  const QString plik = root_.filePath(S("bez_mrn.pdf"));
  const departure::WydrukSAD w = departure::DrukujSAD(ctx_, kDeklaracja, plik);
  ASSERT_TRUE(w.Ok()) << w.blad.toStdString();
  EXPECT_EQ(w.pdf, plik);
  Ma(Tekst(plik), {"Komputery przenośne, pozycja 5"}, {"MRN", kMrn});
  const QImage naroznik = Naroznik(plik);
  ASSERT_FALSE(naroznik.isNull());
  int ciemne = 0;
  for (int y = 0; y < naroznik.height(); ++y)
    for (int x = 0; x < naroznik.width(); ++x) ciemne += qGray(naroznik.pixel(x, y)) < 128;
  EXPECT_EQ(ciemne, 0);
}

TEST_F(SadPrint, AmendmentPrintsUnderItsOwnTitleWithTheDeclarationsLrn) {
  const departure::WydrukSAD w = departure::DrukujSAD(ctx_, kZmiana, root_.filePath(S("ie013.pdf")));
  ASSERT_TRUE(w.Ok()) << w.blad.toStdString();
  // The row names no kind.
  Ma(Tekst(w.pdf), {"IE013 – sprostowanie zgłoszenia tranzytowego", "24DK000042", kMrn, "Komputery przenośne, pozycja 4"},
     {"24ZM000007", "Rodzaj sprostowania"});

  // As the editor stores it: the declaration's shape, its own number in the header, the kind
  // and the presentation in the row and the document; the LRN is the transit's.
  xml::Message zmiana = PrzykladowaDeklaracja(1);
  zmiana.GetNaglowek().SetNrWlasny(S("24ZM000008"));
  zmiana.Root().Get(xml::kIE015_Zgloszenie).Set(S("DataPrzedstawienia"), S("2024-03-05T10:30:00"));
  db().Exec(S("update TRANZYTY set LRN = '24DK000042' where ID_TRANZYTY = 5"));
  db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, IE013_RODZAJ, XML) "
              "values (55, 5, 6, 'IE013', 1, '24ZM000008', 2, :X)"),
            {{S("X"), zmiana.Xml()}});
  const departure::WydrukSAD w2 = departure::DrukujSAD(ctx_, 55, root_.filePath(S("ie013_ie015.pdf")));
  ASSERT_TRUE(w2.Ok()) << w2.blad.toStdString();
  Ma(Tekst(w2.pdf, 1), {"IE013 – sprostowanie zgłoszenia tranzytowego", "Rodzaj sprostowania: 2 – powiadomienie o przedstawieniu",
                        "Data przedstawienia: 2024-03-05 10:30", "24DK000042",
                        // Not sent yet: the place its copy will carry (the user's, without Polish letters) and today.
                        "Miejsce i data: Oddzial Gdynia, 2024-03-05"},
     {"24ZM000008", "IE015 – zgłoszenie tranzytowe"});
}

// The security data of the declaration and of its items, the sensitive goods, and box 50 as
// the office got it in the sent file.
TEST_F(SadPrint, SecurityDataSensitiveGoodsAndThePlaceAndDateSent) {
  xml::Message m = PrzykladowaDeklaracja(2);
  xml::Group root = m.Root();
  xml::Group b = Ustaw(root.Get(xml::kIE015_Bezpieczenstwo), {{"SpecyficzneOkolicznosci", "E"}, {"FormaPlatnosci", "A"},
                                                              {"NrReferencyjnyPrzesylki", "UCR-2024-77"}, {"MiejsceRozladunku", "Hamburg Waltershof"}});
  for (const char* k : {"PL", "DE"}) b.Add(xml::kIE015_KrajTrasy).Set(S("Kraj"), S(k));
  b.Add(xml::kIE015_NadawcaTypy).Set(S("Nazwa"), S("Nadawca Bezp Sp. z o.o."));
  b.Add(xml::kIE015_OdbiorcaTypy).Set(S("Nazwa"), S("Empfänger Sicher GmbH"));
  xml::Group towar = root.List(xml::kIE015_Towar).back();
  Ustaw(towar.Get(xml::kIE015_TowarBezpieczenstwo), {{"FormaPlatnosci", "B"}, {"NrReferencyjnyPrzesylki", "POZ-REF-2"}})
      .Add(xml::kIE015_Odbiorca).Set(S("Nazwa"), S("Hansa Empfang"));
  Ustaw(towar.Add(xml::kTowarWrazliwy), {{"Kod", "01"}, {"Ilosc", "1500.000"}});

  xml::Message wyslany = PrzykladowaDeklaracja(2);
  Ustaw(wyslany.Root().Add(xml::kIE015_MiejsceData), {{"Miejsce", "Gdynia Port"}, {"Data", "2024-03-04"}, {"Osoba", "Anna Nowak"}});
  db().Exec(S("update TRANZYTY_POZYCJE set XML = :X, PLIK = :P where ID_TRANZYTY_POZYCJE = 51"),
            {{S("X"), m.Xml()}, {S("P"), wyslany.Xml()}});

  const departure::WydrukSAD w = departure::DrukujSAD(ctx_, kDeklaracja, root_.filePath(S("bezp.pdf")));
  ASSERT_TRUE(w.Ok()) << w.blad.toStdString();
  ASSERT_EQ(Strony(w.pdf), 3);
  // Item 1 keeps what the sample gives every item (UN 3480, its consignor); item 2 has its own.
  Ma(Tekst(w.pdf, 1), {"S Szczególne okoliczności", "S Nr referencyjny przewozu", "PRZEWOZ-1", "UCR-2024-77", "Hamburg Waltershof",
                        "Łódź Olechów", "PL, DE", "Nadawca Bezp Sp. z o.o.", "Empfänger Sicher GmbH", "Trans-Bałt", "Nr PL5860000031",
                        "Miejsce i data: Gdynia Port, 2024-03-04", "Podpis: Anna Nowak", "3480", "Nadawca: Bałtycka Spedycja"},
     {"POZ-REF-2"});
  Ma(Tekst(w.pdf, 2), {"POZ-REF-2", "3480", "Odbiorca: Hansa Empfang", "Towary wrażliwe: kod 01, ilość 1500,000"});
}

// Up to 99 packages and containers in box 31 and more seals than box D holds: each box keeps
// what fits and says where the rest is; nothing is lost.
TEST_F(SadPrint, WhatDoesNotFitGoesOnToTheLoadingLists) {
  xml::Message m = PrzykladowaDeklaracja(1);
  xml::Group root = m.Root();
  xml::Group towar = root.Get(xml::kIE015_Towar);
  QStringList kontenery, opakowania, zamkniecia;
  for (int i = 1; i <= 99; ++i) {
    opakowania << S("ZNAK-%1").arg(i, 3, 10, QChar(u'0'));
    Ustaw(towar.Add(xml::kOpakowanie), {{"Rodzaj", "PK"}, {"Znaki", opakowania.back()}});
    kontenery << S("MSKU%1").arg(i, 7, 10, QChar(u'0'));
    towar.Add(xml::kKontener).Set(S("Numer"), kontenery.back());
  }
  xml::Group zc = root.Get(xml::kIE015_ZamknieciaCelne);
  zc.Set(S("Liczba"), S("402"));
  for (int i = 1; i <= 400; ++i) {
    zamkniecia << S("PLZ%1").arg(i, 4, 10, QChar(u'0'));
    zc.Add(xml::kZamkniecie).Set(S("Znak"), zamkniecia.back());
  }
  db().Exec(S("update TRANZYTY_POZYCJE set XML = :X where ID_TRANZYTY_POZYCJE = 51"), {{S("X"), m.Xml()}});

  const departure::WydrukSAD w = departure::DrukujSAD(ctx_, kDeklaracja, root_.filePath(S("listy.pdf")));
  ASSERT_TRUE(w.Ok()) << w.blad.toStdString();
  const int stron = Strony(w.pdf), listy = stron - 2;  // the form's one sheet and its back page
  ASSERT_GE(listy, 1);
  const QString pierwsza = Tekst(w.pdf, 1);
  EXPECT_EQ(pierwsza.count(host::kSadCiagDalszy + S(" nr ")), 2);  // boxes 31 and D
  // The short facts stay on the form.
  Ma(pierwsza, {"PLZ0001", "Zamknięcia nałożone: liczba 402", "Termin (ostateczny): 2024-03-12"}, {"PLZ0400"});
  // Box 4 holds the number of loading lists, beside box 3's "1/1".
  EXPECT_TRUE(QRegularExpression(S("1/1\\s+%1\\s+1\\s+10\\b").arg(listy)).match(pierwsza).hasMatch()) << pierwsza.toStdString();

  QString lista;
  for (int i = 1; i <= listy; ++i) {
    const QString strona = Tekst(w.pdf, 1 + i);
    Ma(strona, {S("LISTA TOWAROWA nr %1 z %2").arg(i).arg(listy), kMrn});
    lista += strona;
  }
  Ma(lista, {"Pozycja 1 – pole 31 Opakowania i opis towarów", "Zgłoszenie – pole D KONTROLA PRZEZ URZĄD WYJŚCIA", "PLZ0400"});
  EXPECT_TRUE(Tekst(w.pdf, stron).contains(S("55 Przeładunki")));

  // Every container, package and seal is on the form or on a list.
  const QString all = Tekst(w.pdf);
  for (const QStringList* l : {&kontenery, &opakowania, &zamkniecia})
    for (const QString& s : *l) EXPECT_TRUE(all.contains(s)) << s.toStdString();
}

TEST_F(SadPrint, OtherDocumentsAreRefusedAndNothingIsWritten) {
  const QString plik = root_.filePath(S("odmowa.pdf"));
  const std::pair<qint64, const char*> przypadki[] = {
      {kPrzybycie, "Wydruk SAD jest możliwy tylko dla zgłoszenia IE015 lub IE013, a komunikat jest typu IE007"},
      {kZepsuty, "Nie można odczytać dokumentu komunikatu"},
      {999, "Komunikat nie zawiera dokumentu XML - wydruk SAD nie jest możliwy"},
  };
  for (const auto& [id, blad] : przypadki) {
    const departure::WydrukSAD w = departure::DrukujSAD(ctx_, id, plik);
    EXPECT_FALSE(w.Ok()) << id;
    EXPECT_TRUE(w.blad.startsWith(S(blad))) << w.blad.toStdString();
    EXPECT_TRUE(w.pdf.isEmpty());
    EXPECT_FALSE(QFile::exists(plik)) << id;
  }
}

}  // namespace
}  // namespace velmora::testing
