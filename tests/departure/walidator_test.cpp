#include "departure/walidator.h"
#include "host/xml/bodies.h"
#include "host/xml/messages.h"
#include "host/xml/xml_document.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace velmora::testing {
namespace {

using departure::TWalidator;

const QString kDane = QStringLiteral(VELMORA_TEST_DATA "/rules/");

const char* const kTin = "Jeśli podano TIN to atrybut Nazwa, UlicaNumer, KodPocztowy, Miejscowość, Kraj nie może zostać użyty";
const char* const kBezDanych = "atrybut Nazwa jest wymagany atrybut UlicaNumer jest wymagany atrybut KodPocztowy jest wymagany "
                               "atrybut Miejscowosc jest wymagany atrybut Kraj jest wymagany ";

// Each file is ok.xml with one fault; the place is the element the rule runs on (the root when empty).
struct Przypadek {
  const char* plik;
  const char* kod;
  const char* miejsce;
  const char* tekst;
};
const Przypadek kPrzypadki[] = {
    {"C135_1", "C135", "", "Atrybut @KrajWysylki może być zadeklarowany albo na nagłówku zgłoszenia albo ona pozycjach towarowych"},
    {"C135_2", "C135", "", "Nie zdefiniowano atrybutu @KrajWysylki ani na nagłówku zgłoszenia ani ona pozycjach towarowych"},
    {"C135_3", "C135", "", "Nie dla wszystkich pozycji towarowych zdefiniowano atrybut @KrajWysylki"},
    {"C135_4", "C135", "", "Jeśli zdefiniowano tylko jeden @KrajWysylki to jest on obowiązkowy na nagłówku zgłoszenia"},
    {"C140_1", "C140", "",
     "Atrybut @KrajPrzeznaczenia może być zadeklarowany albo na nagłówku zgłoszenia albo ona pozycjach towarowych"},
    {"C140_2", "C140", "", "Nie zdefiniowano atrybutu @KrajPrzeznaczenia ani na nagłówku zgłoszenia ani ona pozycjach towarowych"},
    {"C140_3", "C140", "", "Nie dla wszystkich pozycji towarowych zdefiniowano atrybut @KrajPrzeznaczenia"},
    {"C140_4", "C140", "", "Jeśli zdefiniowano tylko jeden @KrajPrzeznaczenia to jest on obowiązkowy na nagłówku zgłoszenia"},
    {"C191", "C191", "", "Atrybut @MiejsceZaladunku jest wymagany jeśli podano na nagłówku dane bezpieczeństwa"},
    {"R105", "R105", "", "Atrybut LiczbaOpakowan musi być równy sumie wszystkich opakowań, sumie wszystkich sztuk oraz ilości pozycji "
                         "zadeklarowanych jako towar masowy"},
    {"R160", "R160", "", "Jeżeli zgłoszenie jest w trybie procedury uproszczonej do wynik kontroli Kod musi mieć wartość A3"},
    {"R909", "R909", "", "Jeżeli kod kraju urzędu przeznaczenia = \"SM\" to typ deklaracji musi być \"T2\" lub \"T2F\""},
    {"RP14", "RP14", "", "Wartość atrybytu LiczbaPozycji musi być równa liczbie pozycji towarowych zawartych w zgłoszeniu"},
    {"RP18_two", "RP18", "Naglowek/KanalZwrotny", "Elementy Email, WebService, Seap i Epuap elementu KanalZwrotny  nie mogą wystąpić "
                                                  "jednocześnie. Wymagane jest podanie dokładnie jednego elementu."},
    {"RP18_none", "RP18", "Naglowek/KanalZwrotny",
     "Wymagane jest podanie dokładnie jednego podelementu elementu KanalZwrotny  (Email, WebService, Seap lub Epuap)"},
    {"C060_bulk_packages", "C060", "Towar[2]/Opakowanie", "Pole LiczbaOpakowan nie może być użyte"},
    {"C060_bulk_pieces", "C060", "Towar[2]/Opakowanie", "Pole IloscSztuk nie może być użyte"},
    {"C060_bulk_both", "C060", "Towar[2]/Opakowanie", "Pole IloscSztuk nie może być użyte"},
    {"C060_bulk_lower_case", "C060", "Towar[2]/Opakowanie", "Pole LiczbaOpakowan nie może być użyte"},
    {"C060_unpacked_packages", "C060", "Towar[3]/Opakowanie", "Pole LiczbaOpakowan nie może być użyte"},
    {"C060_unpacked_no_pieces", "C060", "Towar[3]/Opakowanie", "Pole IloscSztuk jest wymagane"},
    {"C060_unpacked_packages_no_pieces", "C060", "Towar[3]/Opakowanie", "Pole IloscSztuk jest wymagane"},
    {"C060_packed_no_marks", "C060", "Towar[1]/Opakowanie", "Pole znaki jest wymagane"},
    {"C060_packed_no_packages", "C060", "Towar[1]/Opakowanie", "Pole LiczbaOpakowan jest wymagane"},
    {"C060_packed_pieces", "C060", "Towar[1]/Opakowanie", "Pole IloscSztuk nie może być użyte"},
    {"C060_packed_pieces_only", "C060", "Towar[1]/Opakowanie", "Pole IloscSztuk nie może być użyte"},
    {"C501_tin_and_name", "C501", "Towar[1]/Odbiorca", kTin},
    {"C501_all_empty", "C501", "Nadawca", kBezDanych},
    {"C501_optional_tin_and_name", "C501", "Bezpieczenstwo/Przewoznik", kTin},
    {"C501_optional_all_empty", "C501", "Bezpieczenstwo/Nadawca", kBezDanych},
};

QString Plik(const QString& nazwa) { return kDane + nazwa + QStringLiteral(".xml"); }

QByteArray Czytaj(const QString& sciezka) {
  QFile f(sciezka);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Zapisz(const QString& sciezka, const QByteArray& tekst) {
  QFile f(sciezka);
  return f.open(QIODevice::WriteOnly) && f.write(tekst) == tekst.size();
}

// "Towar[2]/Opakowanie" below the root, by local names; null when there is no such element.
xml::XmlNode Wezel(const xml::Message& m, const QString& miejsce) {
  xml::XmlNode n = m.Document()->DocumentElement();
  for (const QString& krok : miejsce.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    const qsizetype nawias = krok.indexOf(QLatin1Char('['));
    const size_t i = nawias < 0 ? 0 : krok.mid(nawias + 1).chopped(1).toUInt() - 1;
    const std::vector<xml::XmlNode> dzieci = n.ChildrenByLocalName(krok.left(nawias));
    if (i >= dzieci.size()) return {};
    n = dzieci[i];
  }
  return n;
}

// The rule on the element it is meant for: a package, a party (optional under the security data),
// the return channel, or the declaration's root.
QString Regula(const QString& kod, const xml::Message& m, const xml::XmlNode& n) {
  const xml::XmlDocumentPtr& doc = m.Document();
  if (kod == QLatin1String("C060")) return TWalidator::C060(xml::Group(doc, n, &xml::kOpakowanie));
  if (kod == QLatin1String("RP18")) return TWalidator::RP18(xml::Group(doc, n, &xml::kKanalZwrotny));
  if (kod == QLatin1String("C501")) {
    const xml::Group p(doc, n, &xml::kIE015_Nadawca);
    return n.Parent().LocalName() == QLatin1String("Bezpieczenstwo") ? TWalidator::C501(departure::PodmiotOpcjonalnyTyp{p})
                                                                     : TWalidator::C501(departure::PodmiotTyp{p});
  }
  static const std::map<QString, QString (*)(const xml::Group&)> naglowek{
      {QStringLiteral("C135"), &TWalidator::C135}, {QStringLiteral("C140"), &TWalidator::C140}, {QStringLiteral("C191"), &TWalidator::C191},
      {QStringLiteral("R105"), &TWalidator::R105}, {QStringLiteral("R160"), &TWalidator::R160}, {QStringLiteral("R909"), &TWalidator::R909},
      {QStringLiteral("RP14"), &TWalidator::RP14}};
  return naglowek.at(kod)(m.Root());
}

QStringList Ustalenia(const QByteArray& tekst) {
  QStringList out;
  for (const departure::UstalenieKomunikatu& u : departure::SprawdzKomunikat(tekst))
    out << u.kod + QLatin1Char('|') + u.sciezka + QLatin1Char('|') + u.tekst;
  return out;
}

// Another prefix for each namespace, a comment and the signature: what the sending routine may write.
QByteArray JakWyslany(const QByteArray& tekst) {
  return QString::fromUtf8(tekst)
      .replace(QStringLiteral("typy:"), QStringLiteral("t:"))
      .replace(QStringLiteral("xmlns:typy="), QStringLiteral("xmlns:t="))
      .replace(QStringLiteral("xmlns="), QStringLiteral("xmlns:n="))
      .replace(QRegularExpression(QStringLiteral("<(/?)([A-Z])")), QStringLiteral("<\\1n:\\2"))
      .replace(QStringLiteral("?>\n"), QStringLiteral("?>\n<!-- NCTS -->\n"))
      .replace(QStringLiteral("</n:IE015>"), QStringLiteral("<ds:Signature xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"/></n:IE015>"))
      .toUtf8();
}

TEST(Walidator, EachFileBreaksOnlyItsOwnRule) {
  const xml::Message ok = xml::LoadIE015(Plik(QStringLiteral("ok")));
  EXPECT_EQ(Ustalenia(Czytaj(Plik(QStringLiteral("ok")))), QStringList());
  EXPECT_TRUE(TWalidator::IE015Ustalenia(Plik(QStringLiteral("ok"))).empty());
  const QStringList przebieg{"C135", "C140", "C191", "R105", "R909", "RP14"};
  for (const Przypadek& p : kPrzypadki) {
    SCOPED_TRACE(p.plik);
    const QString kod = QString::fromLatin1(p.kod), tekst = QString::fromUtf8(p.tekst), miejsce = QString::fromLatin1(p.miejsce);
    const xml::Message m = xml::LoadIE015(Plik(QString::fromLatin1(p.plik)));
    const xml::XmlNode zly = Wezel(m, miejsce), dobry = Wezel(ok, miejsce);
    ASSERT_FALSE(zly.IsNull() || dobry.IsNull());
    EXPECT_EQ(Regula(kod, m, zly), tekst);
    EXPECT_EQ(Regula(kod, ok, dobry), QString());
    // The whole check: the one finding, at the element it belongs to.
    const QString gdzie = miejsce.isEmpty() ? QString() : QStringLiteral("/IE015/") + miejsce;
    const QByteArray plik = Czytaj(Plik(QString::fromLatin1(p.plik)));
    const QStringList jedno{kod + QLatin1Char('|') + gdzie + QLatin1Char('|') + tekst};
    EXPECT_EQ(Ustalenia(plik), jedno);
    ASSERT_NE(JakWyslany(plik), plik);  // the sent form: the same finding
    EXPECT_EQ(Ustalenia(JakWyslany(plik)), jedno);
    // The file run keeps to its six rules.
    std::vector<departure::Ustalenie> oczekiwane;
    if (przebieg.contains(kod)) oczekiwane.emplace_back(kod, tekst);
    EXPECT_EQ(TWalidator::IE015Ustalenia(m), oczekiwane);
  }
}

TEST(Walidator, SeveralFaultsComeInTheRunsOrder) {
  QByteArray tekst = Czytaj(Plik(QStringLiteral("ok")));
  tekst.replace(R"(<Zgloszenie KrajWysylki="PL" KrajPrzeznaczenia="DE")", R"(<Zgloszenie KrajPrzeznaczenia="SM")")
      .replace(R"(LiczbaPozycji="3" LiczbaOpakowan="8")", R"(LiczbaPozycji="4" LiczbaOpakowan="9")")
      .replace(R"(<WynikKontroli Kod="A3"/>)", R"(<WynikKontroli Kod="A1"/>)")
      .replace(R"(Url="https://agencja.example/ncts")", R"(Url="")")
      .replace(R"(Znaki="BS/1" )", "");
  QTemporaryDir dir;
  const QString plik = dir.filePath(QStringLiteral("IE015.xml"));
  ASSERT_TRUE(Zapisz(plik, tekst));
  QStringList plikowe, wszystkie;
  for (const departure::Ustalenie& u : TWalidator::IE015Ustalenia(plik)) plikowe << u.first;
  for (const departure::UstalenieKomunikatu& u : departure::SprawdzKomunikat(tekst)) wszystkie << u.kod;
  EXPECT_EQ(plikowe, (QStringList{"C135", "R105", "R909", "RP14"}));
  EXPECT_EQ(wszystkie, (QStringList{"C135", "R105", "R160", "R909", "RP14", "RP18", "C060"}));
  EXPECT_EQ(TWalidator::IE015(plik), 0);

  // What does not load as an IE015 is the caller's; IE007 has nothing to say about anything.
  const QString zly = dir.filePath(QStringLiteral("zly.xml")), ie007 = dir.filePath(QStringLiteral("IE007.xml"));
  const QByteArray tylko_ie007 = R"(<IE007 xmlns="http://www.mf.gov.pl/schematy/NCTS2/IE007/2013/10/"/>)";
  ASSERT_TRUE(Zapisz(zly, "<IE015><Naglowek>") && Zapisz(ie007, tylko_ie007));
  EXPECT_THROW(TWalidator::IE015(dir.filePath(QStringLiteral("brak.xml"))), xml::XmlParseError);
  EXPECT_THROW(TWalidator::IE015(zly), xml::XmlParseError);
  EXPECT_THROW(TWalidator::IE015(ie007), xml::BindingError);
  EXPECT_THROW(TWalidator::IE015Ustalenia(ie007), xml::BindingError);
  for (const QString& p : {zly, plik, dir.filePath(QStringLiteral("brak.xml")), ie007}) EXPECT_EQ(TWalidator::IE007(p), 0);
}

TEST(Walidator, MrnIsCheckedStepByStepAsWritten) {
  const QString dlugosc = QStringLiteral("Długość numeru MRN to 18 znaków");
  const QString znaki = QStringLiteral("Numer MRN może zawiera tylko cyfry 0..9 i znaki A..Z");
  const QString format = QStringLiteral("Poprawny format numeru MRN to [0-9]{2}[A-Z]{2}[A-Z0-9]{13}[0-9]");
  const std::pair<QString, QString> przypadki[] = {
      {"12PL0000000000000X", format},   {"AB1200000000000001", format}, {"12P100000000000001", format},
      {"12pl00000000000001", znaki},    {" 2PL00000000000001", znaki},  {"12PL00000000-00001", znaki},
      {"12PLĄ0000000000001", znaki},    {"12PL0000000000001", dlugosc}, {" 12PL00000000000001", dlugosc},
      {"", dlugosc},                    {"12PL00000000000001", {}},     {"99ZZA1B2C3D4E5F6G0", {}},
  };
  for (const auto& [mrn, tekst] : przypadki) EXPECT_EQ(TWalidator::MRN(mrn), tekst) << mrn.toStdString();
}

}  // namespace
}  // namespace velmora::testing
