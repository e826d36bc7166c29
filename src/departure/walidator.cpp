#include "walidator.h"

#include "host/xml/bodies.h"
#include "host/xml/schema.h"
#include "host/xml/xml_document.h"

#include <libxml/tree.h>

namespace velmora::departure {

namespace {

using xml::Group;
using xml::XmlNode;

QString S(const char* s) { return QString::fromUtf8(s); }

// Counts are given when not zero; absent or unreadable ones are 0.
int Liczba(const QString& text) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  return ok ? v : 0;
}

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

template <std::size_t N>
bool Na(const std::array<QLatin1String, N>& lista, const QString& rodzaj) {
  for (const QLatin1String& k : lista)
    if (rodzaj.compare(k, Qt::CaseInsensitive) == 0) return true;
  return false;
}

const char* const kPolaPodmiotu[] = {"Nazwa", "UlicaNumer", "KodPocztowy", "Miejscowosc", "Kraj"};

// Element and attribute names compared as libxml2 keeps them: the rules touch every goods
// item of a large declaration and must not build a string for each name.
bool Nazwa(const xmlChar* a, const char* name) { return xmlStrEqual(a, reinterpret_cast<const xmlChar*>(name)); }
bool Nazwa(const _xmlNode* n, const char* name) { return Nazwa(n->name, name); }

// An attribute's value as parsed (one text node), without a copy.
const char* Wartosc(const _xmlAttr* a) {
  const _xmlNode* t = a->children;
  if (t && !t->next && t->type == XML_TEXT_NODE && t->content) return reinterpret_cast<const char*>(t->content);
  return t ? "?" : "";  // anything else is text all the same
}

int Liczba(const char* text) { return Liczba(QString::fromUtf8(text)); }

// A party's values, read in one pass over its attributes.
struct Podmiot {
  bool tin = false;
  bool pola[5] = {};
};
Podmiot CzytajPodmiot(const _xmlNode* n) {
  Podmiot p;
  if (!n) return p;
  for (const _xmlAttr* a = n->properties; a; a = a->next) {
    const bool jest = *Wartosc(a) != 0;
    if (Nazwa(a->name, "TIN")) p.tin = jest;
    for (int i = 0; i < 5; ++i)
      if (Nazwa(a->name, kPolaPodmiotu[i])) p.pola[i] = jest;
  }
  return p;
}

QString C501Tresc(const Podmiot& p) {
  if (p.tin) {
    for (bool pole : p.pola)
      if (pole) return S("Jeśli podano TIN to atrybut Nazwa, UlicaNumer, KodPocztowy, Miejscowość, Kraj nie może zostać użyty");
    return {};
  }
  QString out;
  for (int i = 0; i < 5; ++i)
    if (!p.pola[i]) out += S("atrybut ") + S(kPolaPodmiotu[i]) + S(" jest wymagany ");
  return out;
}

// A package's values, read in one pass.
struct Paczka {
  QString rodzaj;
  bool znaki = false;
  int liczba = 0, sztuki = 0;
};
Paczka CzytajPaczke(const _xmlNode* n) {
  Paczka p;
  if (!n) return p;
  for (const _xmlAttr* a = n->properties; a; a = a->next) {
    if (Nazwa(a->name, "Rodzaj")) p.rodzaj = QString::fromUtf8(Wartosc(a));
    else if (Nazwa(a->name, "Znaki")) p.znaki = *Wartosc(a) != 0;
    else if (Nazwa(a->name, "LiczbaOpakowan")) p.liczba = Liczba(Wartosc(a));
    else if (Nazwa(a->name, "IloscSztuk")) p.sztuki = Liczba(Wartosc(a));
  }
  return p;
}

QString C060Tresc(const Paczka& p) {
  const bool l = p.liczba != 0, s = p.sztuki != 0;
  QString out;
  switch (RodzajTowaru(p.rodzaj)) {
    case RodzajOpakowania::Luzem:
      if (l) out = S("Pole LiczbaOpakowan nie może być użyte");
      if (s) out = S("Pole IloscSztuk nie może być użyte");
      break;
    case RodzajOpakowania::Nieopakowane:
      if (l) out = S("Pole LiczbaOpakowan nie może być użyte");
      if (!s) out = S("Pole IloscSztuk jest wymagane");
      break;
    case RodzajOpakowania::Opakowane:
      if (!p.znaki) out = S("Pole znaki jest wymagane");
      if (!l) out = S("Pole LiczbaOpakowan jest wymagane");
      if (s) out = S("Pole IloscSztuk nie może być użyte");
      break;
  }
  return out;
}

// What the header rules need of the goods items, gathered in one pass.
struct Pozycje {
  int wszystkie = 0, z_krajem_wysylki = 0, z_krajem_przeznaczenia = 0;
  long long opakowania = 0;  // R105's sum
};
void DodajPozycje(Pozycje& p, const _xmlNode* towar) {
  ++p.wszystkie;
  for (const _xmlAttr* a = towar->properties; a; a = a->next) {
    if (Nazwa(a->name, "KrajWysylki") && *Wartosc(a)) ++p.z_krajem_wysylki;
    else if (Nazwa(a->name, "KrajPrzeznaczenia") && *Wartosc(a)) ++p.z_krajem_przeznaczenia;
  }
}
void DodajPaczke(Pozycje& p, const Paczka& o) {
  const long long n = static_cast<long long>(o.liczba) + o.sztuki;
  p.opakowania += n == 0 ? 1 : n;
}
Pozycje CzytajPozycje(const Group& z) {
  Pozycje p;
  if (z.IsNull()) return p;
  for (const _xmlNode* t = z.Node().Raw()->children; t; t = t->next) {
    if (t->type != XML_ELEMENT_NODE || !Nazwa(t, "Towar")) continue;
    DodajPozycje(p, t);
    for (const _xmlNode* o = t->children; o; o = o->next)
      if (o->type == XML_ELEMENT_NODE && Nazwa(o, "Opakowanie")) DodajPaczke(p, CzytajPaczke(o));
  }
  return p;
}

QString KrajNaNaglowkuAlboPozycjach(const Group& zgloszenie, const Pozycje& p, bool wysylki) {
  const QString a = wysylki ? S("KrajWysylki") : S("KrajPrzeznaczenia");
  const QString h = zgloszenie.Get(xml::kIE015_Zgloszenie).Get(a);
  const int n = wysylki ? p.z_krajem_wysylki : p.z_krajem_przeznaczenia, c = p.wszystkie;
  if (!h.isEmpty() && n > 0)
    return S("Atrybut @") + a + S(" może być zadeklarowany albo na nagłówku zgłoszenia albo ona pozycjach towarowych");
  if (h.isEmpty() && n == 0) return S("Nie zdefiniowano atrybutu @") + a + S(" ani na nagłówku zgłoszenia ani ona pozycjach towarowych");
  if (h.isEmpty() && c > n) return S("Nie dla wszystkich pozycji towarowych zdefiniowano atrybut @") + a;
  if (c == 1 && n >= 1) return S("Jeśli zdefiniowano tylko jeden @") + a + S(" to jest on obowiązkowy na nagłówku zgłoszenia");
  return {};
}

QString R105Tresc(const Group& z, const Pozycje& p) {
  if (Liczba(z.Get(xml::kIE015_Zgloszenie).Get(S("LiczbaOpakowan"))) != p.opakowania)
    return S("Atrybut LiczbaOpakowan musi być równy sumie wszystkich opakowań, sumie wszystkich sztuk oraz ilości pozycji "
             "zadeklarowanych jako towar masowy");
  return {};
}

QString RP14Tresc(const Group& z, const Pozycje& p) {
  if (p.wszystkie != Liczba(z.Get(xml::kIE015_Zgloszenie).Get(S("LiczbaPozycji"))))
    return S("Wartość atrybytu LiczbaPozycji musi być równa liczbie pozycji towarowych zawartych w zgłoszeniu");
  return {};
}

// The security data's parties: stored under the binding's names, sent under the shared types'.
XmlNode StronaBezpieczenstwa(const XmlNode& bezp, const xml::GroupDesc& desc) {
  if (XmlNode n = bezp.ChildByLocalName(desc.name)) return n;
  return desc.name.endsWith(QLatin1String("Typy")) ? bezp.ChildByLocalName(desc.name.chopped(4)) : XmlNode();
}

bool PodmiotWypelniony(const XmlNode& n) {
  const Podmiot p = CzytajPodmiot(n.Raw());
  if (p.tin) return true;
  for (bool pole : p.pola)
    if (pole) return true;
  return false;
}

// How many siblings carry each name, and which of them a node is.
class Rodzenstwo {
 public:
  void Policz(const xmlChar* name) { ++Wpis(name).wszystkie; }
  int Kolejny(const xmlChar* name) { return ++Wpis(name).biezacy; }
  int Wszystkie(const xmlChar* name) { return Wpis(name).wszystkie; }

 private:
  struct Licznik {
    const xmlChar* name;
    int wszystkie = 0, biezacy = 0;
  };
  Licznik& Wpis(const xmlChar* name) {
    for (Licznik& l : liczniki_)
      if (l.name == name || xmlStrEqual(l.name, name)) return l;
    return liczniki_.emplace_back(Licznik{name});
  }
  std::vector<Licznik> liczniki_;
};

// The rules run per element, in document order: parties, optional parties, packages; on the
// same walk the goods items' facts the header rules need are gathered. Paths are built on the
// way down, so a finding on every goods item costs no rescan of its siblings.
void RegulyElementow(_xmlNode* n, const QString& sciezka, int glebokosc, std::vector<UstalenieKomunikatu>& out, Pozycje& pozycje) {
  Rodzenstwo r;
  for (_xmlNode* c = n->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) r.Policz(c->name);
  const bool w_towarze = glebokosc == 1 && Nazwa(n, "Towar");
  const bool w_bezpieczenstwie = Nazwa(n, "Bezpieczenstwo");
  for (_xmlNode* c = n->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    const int nr = r.Kolejny(c->name);
    auto sciezka_dziecka = [&] {
      const QString name = QString::fromUtf8(reinterpret_cast<const char*>(c->name));
      return sciezka + QLatin1Char('/') + (r.Wszystkie(c->name) > 1 ? S("%1[%2]").arg(name).arg(nr) : name);
    };
    QString tekst;
    const char* kod = nullptr;
    if (w_towarze && Nazwa(c, "Opakowanie")) {
      const Paczka p = CzytajPaczke(c);
      DodajPaczke(pozycje, p);
      kod = "C060";
      tekst = C060Tresc(p);
    } else if (w_bezpieczenstwie && (Nazwa(c, "Nadawca") || Nazwa(c, "Odbiorca") || Nazwa(c, "NadawcaTypy") ||
                                     Nazwa(c, "OdbiorcaTypy") || Nazwa(c, "Przewoznik"))) {
      kod = "C501";
      tekst = C501Tresc(CzytajPodmiot(c));
    } else if ((glebokosc == 0 || w_towarze) && (Nazwa(c, "Nadawca") || Nazwa(c, "Odbiorca"))) {
      kod = "C501";
      tekst = C501Tresc(CzytajPodmiot(c));
    }
    if (!tekst.isEmpty()) out.push_back({S(kod), sciezka_dziecka(), tekst});
    if (glebokosc == 0 && Nazwa(c, "Towar")) DodajPozycje(pozycje, c);
    if (glebokosc < 2 && (Nazwa(c, "Towar") || Nazwa(c, "Bezpieczenstwo"))) RegulyElementow(c, sciezka_dziecka(), glebokosc + 1, out, pozycje);
  }
}

}  // namespace

long long SumaOpakowan(const xml::XmlNode& deklaracja) { return CzytajPozycje(Group(nullptr, deklaracja, &xml::kIE015)).opakowania; }

RodzajOpakowania RodzajTowaru(const QString& rodzaj) {
  if (Na(cC060_1, rodzaj)) return RodzajOpakowania::Luzem;
  if (Na(cC060_2, rodzaj)) return RodzajOpakowania::Nieopakowane;
  return RodzajOpakowania::Opakowane;
}

QString TWalidator::C060(const Group& o) { return C060Tresc(CzytajPaczke(o.Node().Raw())); }

QString TWalidator::C501(const PodmiotTyp& p) { return C501Tresc(CzytajPodmiot(p.g.Node().Raw())); }
QString TWalidator::C501(const PodmiotOpcjonalnyTyp& p) { return C501Tresc(CzytajPodmiot(p.g.Node().Raw())); }

QString TWalidator::C135(const Group& z) { return KrajNaNaglowkuAlboPozycjach(z, CzytajPozycje(z), true); }
QString TWalidator::C140(const Group& z) { return KrajNaNaglowkuAlboPozycjach(z, CzytajPozycje(z), false); }

QString TWalidator::C191(const Group& z) {
  const XmlNode bezp = z.Node().IsNull() ? XmlNode() : z.Node().ChildByLocalName(xml::kIE015_Bezpieczenstwo.name);
  bool dane = false;
  if (bezp) {
    for (const char* a : {"SpecyficzneOkolicznosci", "FormaPlatnosci", "NrReferencyjnyPrzesylki", "NrReferencyjnyPrzewozu", "MiejsceRozladunku"})
      dane = dane || !bezp.Attribute(S(a)).isEmpty();
    dane = dane || !bezp.ChildByLocalName(xml::kIE015_KrajTrasy.name).IsNull();
    for (const xml::GroupDesc* d : {&xml::kIE015_NadawcaTypy, &xml::kIE015_OdbiorcaTypy, &xml::kIE015_Przewoznik})
      dane = dane || PodmiotWypelniony(StronaBezpieczenstwa(bezp, *d));
  }
  if (dane && z.Get(xml::kIE015_Zgloszenie).Get(S("MiejsceZaladunku")).isEmpty())
    return S("Atrybut @MiejsceZaladunku jest wymagany jeśli podano na nagłówku dane bezpieczeństwa");
  return {};
}

QString TWalidator::R105(const Group& z) { return R105Tresc(z, CzytajPozycje(z)); }

QString TWalidator::R160(const Group& z) {
  if (Flaga(z.Get(xml::kIE015_Rodzaj).Get(S("ProceduraUproszczona"))) && z.Get(xml::kIE015_WynikKontroli).Get(S("Kod")) != QLatin1String("A3"))
    return S("Jeżeli zgłoszenie jest w trybie procedury uproszczonej do wynik kontroli Kod musi mieć wartość A3");
  return {};
}

QString TWalidator::R909(const Group& z) {
  const QString typ = z.Get(xml::kIE015_Rodzaj).Get(S("Deklaracja"));
  if (z.Get(xml::kIE015_Zgloszenie).Get(S("KrajPrzeznaczenia")) == QLatin1String("SM") && typ != QLatin1String("T2") &&
      typ != QLatin1String("T2F"))
    return S("Jeżeli kod kraju urzędu przeznaczenia = \"SM\" to typ deklaracji musi być \"T2\" lub \"T2F\"");
  return {};
}

QString TWalidator::RP14(const Group& z) { return RP14Tresc(z, CzytajPozycje(z)); }

QString TWalidator::RP18(const Group& k) {
  int ile = 0;
  if (!k.Get(xml::kKanalEmail).Get(S("Email")).isEmpty()) ++ile;
  if (!k.Get(xml::kKanalWebService).Get(S("Url")).isEmpty()) ++ile;
  if (!k.Get(xml::kKanalSeap).Get(S("SeapId")).isEmpty()) ++ile;
  const Group e = k.Get(xml::kKanalEpuap);
  if (!e.Get(S("PodmiotId")).isEmpty() || !e.Get(S("SkrytkaId")).isEmpty()) ++ile;
  if (ile > 1)
    return S("Elementy Email, WebService, Seap i Epuap elementu KanalZwrotny  nie mogą wystąpić jednocześnie. Wymagane jest "
             "podanie dokładnie jednego elementu.");
  if (ile == 0) return S("Wymagane jest podanie dokładnie jednego podelementu elementu KanalZwrotny  (Email, WebService, Seap lub Epuap)");
  return {};
}

QString TWalidator::MRN(const QString& mrn) {
  if (mrn.size() != 18) return S("Długość numeru MRN to 18 znaków");
  auto cyfra = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
  auto litera = [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); };
  for (const QChar c : mrn)
    if (!cyfra(c) && !litera(c)) return S("Numer MRN może zawiera tylko cyfry 0..9 i znaki A..Z");
  if (!cyfra(mrn[0]) || !cyfra(mrn[1]) || !litera(mrn[2]) || !litera(mrn[3]) || !cyfra(mrn[17]))
    return S("Poprawny format numeru MRN to [0-9]{2}[A-Z]{2}[A-Z0-9]{13}[0-9]");
  return {};
}

namespace {

// The declaration's rules over the whole document, in the order they are reported. R160 is
// checked on sending only: the file run reports the six others.
struct RegulaDeklaracji {
  const char* kod;
  QString (*tresc)(const Group& z, const Pozycje& p);
  bool tylko_przy_wysylce = false;
};

const RegulaDeklaracji kRegulyDeklaracji[] = {
    {"C135", [](const Group& z, const Pozycje& p) { return KrajNaNaglowkuAlboPozycjach(z, p, true); }},
    {"C140", [](const Group& z, const Pozycje& p) { return KrajNaNaglowkuAlboPozycjach(z, p, false); }},
    {"C191", [](const Group& z, const Pozycje&) { return TWalidator::C191(z); }},
    {"R105", R105Tresc},
    {"R160", [](const Group& z, const Pozycje&) { return TWalidator::R160(z); }, true},
    {"R909", [](const Group& z, const Pozycje&) { return TWalidator::R909(z); }},
    {"RP14", RP14Tresc},
};

template <class Dodaj>
void RegulyDeklaracji(const Group& z, const Pozycje& p, bool przy_wysylce, Dodaj dodaj) {
  for (const RegulaDeklaracji& r : kRegulyDeklaracji)
    if (przy_wysylce || !r.tylko_przy_wysylce)
      if (QString t = r.tresc(z, p); !t.isEmpty()) dodaj(S(r.kod), std::move(t));
}

}  // namespace

std::vector<Ustalenie> TWalidator::IE015Ustalenia(const xml::Message& deklaracja) {
  const Group z = deklaracja.Root();
  std::vector<Ustalenie> out;
  RegulyDeklaracji(z, CzytajPozycje(z), false, [&out](QString kod, QString t) { out.emplace_back(std::move(kod), std::move(t)); });
  return out;
}

std::vector<Ustalenie> TWalidator::IE015Ustalenia(const QString& file_name) {
  return IE015Ustalenia(xml::LoadIE015(file_name));
}

int TWalidator::IE015(const QString& file_name) {
  IE015Ustalenia(file_name);
  return 0;
}

int TWalidator::IE007(const QString& file_name) {
  try {
    xml::LoadIE007(file_name);
  } catch (...) {
    // No rule is defined for IE007: a file that does not load is no finding either.
  }
  return 0;
}

std::vector<UstalenieKomunikatu> SprawdzKomunikat(const QByteArray& bytes) {
  const xml::XmlDocumentPtr doc = xml::XmlDocument::ParseBytes(bytes);
  const XmlNode root = doc->DocumentElement();
  std::vector<UstalenieKomunikatu> out;
  const xml::MessageType* type = root ? xml::FindMessageTypeByRoot(root.LocalName()) : nullptr;
  if (!type || type->direction != xml::Direction::Outgoing) {
    out.push_back({QString(), QString(), S("Brak schematu dla komunikatu ") + (root ? root.NodeName() : QString())});
    return out;
  }
  for (const xml::SchemaFault& f : xml::ValidateMessage(doc, *type))
    out.push_back({S("XSD"), f.path, f.message + (f.line > 0 ? S(" (wiersz %1)").arg(f.line) : QString())});
  for (UstalenieKomunikatu& u : RegulyKomunikatu(xml::GetMessage(doc, type->code))) out.push_back(std::move(u));
  return out;
}

std::vector<UstalenieKomunikatu> RegulyKomunikatu(const xml::Message& m) {
  std::vector<UstalenieKomunikatu> out;
  const XmlNode root = m.Root().Node();
  const xml::MessageType* type = &m.Type();
  const Group naglowek = m.Root().Get(xml::kNaglowek);
  const Group kanal = naglowek.Get(xml::kKanalZwrotny);
  auto rp18 = [&] {
    if (kanal.IsNull()) return;
    if (QString t = TWalidator::RP18(kanal); !t.isEmpty()) out.push_back({S("RP18"), xml::NodePath(kanal.Node()), t});
  };
  if (type->code == QLatin1String("IE015")) {
    const Group z = m.Root();
    std::vector<UstalenieKomunikatu> elementy;
    Pozycje p;
    RegulyElementow(root.Raw(), QLatin1Char('/') + root.LocalName(), 0, elementy, p);
    RegulyDeklaracji(z, p, true, [&out](QString kod, QString t) { out.push_back({std::move(kod), QString(), std::move(t)}); });
    rp18();
    for (UstalenieKomunikatu& u : elementy) out.push_back(std::move(u));
    return out;
  }
  if (naglowek && naglowek.Node().HasAttribute(S("MRN")))
    if (QString t = TWalidator::MRN(naglowek.Get(S("MRN"))); !t.isEmpty()) out.push_back({S("MRN"), xml::NodePath(naglowek.Node()), t});
  rp18();
  return out;
}

}  // namespace velmora::departure
