#include "viewers.h"

#include "frame/text_formats.h"
#include "host/xml/xml_document.h"

#include <QStringDecoder>

#include <deque>
#include <functional>

namespace velmora::exchange {

const ViewField* IncomingView::Field(const QString& name) const {
  for (const ViewGroup& g : groups)
    for (const ViewField& f : g.fields)
      if (f.name == name) return &f;
  return nullptr;
}

namespace {

using Kind = ViewField::Kind;

// A field: control name, label, element (local name; empty = the header) and attribute.
struct FieldDef {
  const char* name;
  const char* label;
  const char* element;
  const char* attribute;
  Kind kind = Kind::Text;
};

struct GroupDef {
  const char* caption;
  std::vector<FieldDef> fields;
};

struct BoxDef {
  const char* typ;
  const char* box;
  const char* title;
  std::vector<FieldDef> header_extras;
  std::vector<GroupDef> groups;
  bool errors = false;
  bool guarantees = false;
  int principal = 0;  // 0 none, 1 with TIR, 2 without TIR
};

const char* const kNaglowek = "Naglowek";

FieldDef Mrn() { return {"beNrMRN", "Nr MRN :", kNaglowek, "MRN"}; }
FieldDef Lrn() { return {"beNrLRN", "Nr LRN :", kNaglowek, "LRN"}; }
FieldDef Related(const char* typ_label) {
  static std::deque<std::string> labels;  // stable addresses for the labels handed out
  labels.push_back(std::string("Nr własny ") + typ_label + " :");
  return {"beNrWlasnyIE", labels.back().c_str(), kNaglowek, "NrWlasnyKomunikatuPowiazanego"};
}
FieldDef Uc(const char* element) { return {"beUCZgloszenia", "UC zgłoszenia :", element, "UCZgloszenia"}; }

const std::vector<BoxDef>& Boxes() {
  static const std::vector<BoxDef> boxes = {
      {"IE004", "TIE004PL_Box", "  IE004 - Przyjęcie sprostowania nadesłanego komunikatem IE013",
       {Mrn(), Related("IE013")},
       {{"  Przyjęcie zmian   ", {{"beDataZlozenia", "Data złożenia :", "PrzyjecieZmian", "DataZlozenia"}, Uc("PrzyjecieZmian")}}},
       false, false, 1},
      {"IE005", "TIE005PL_Box", "  IE005 - Odrzucenie sprostowania zgłoszenia nadesłanego komunikatem IE013",
       {Mrn(), Related("IE013")},
       {{" Odrzucenie zmian   ",
         {{"beDataOdrzucenia", "Data odrzucenia :", "OdrzucenieZmian", "DataOdrzucenia"},
          {"mePowodOdrzucenia", "Powód odrzucenia :", "OdrzucenieZmian", "PowodOdrzucenia", Kind::Memo},
          {"meOpisPowodu", "Opis powodu :", "OdrzucenieZmian", "OpisPowodu", Kind::Memo}}}},
       true, false, 1},
      {"IE008", "TIE008PL_Box",
       "  IE008 - Odrzucenie zawiadomienia o przybyciu towaru przesłanego w formie komunikatu IE007",
       {Mrn(), Related("IE007")},
       {{"  Odrzucenie zawiadomienia   ",
         {{"beDataOdrzucenia", "Data odrzucenia :", "OdrzucenieZawiadomienia", "DataOdrzucenia"},
          {"mePowodOdrzucenia", "Powód odrzucenia :", "OdrzucenieZawiadomienia", "PowodOdrzucenia", Kind::Memo},
          {"meDzialania", "Działania do podjęcia :", "OdrzucenieZawiadomienia", "DzialaniaDoPodjecia", Kind::Memo}}}},
       true, false, 0},
      {"IE009", "TIE009PL_Box", "  IE009 - Decyzję o unieważnieniu zgłoszenia (Unieważniono lub nie)",
       {Mrn(), Related("IE014")},
       {{"  Decyzja    ",
         {{"beDataDecyzji", "Data decyzji :", "DecyzjaOUniewaznieniu", "DataDecyzji"},
          {"meUzasadnienie", "Uzasadnienie :", "DecyzjaOUniewaznieniu", "Uzasadnienie", Kind::Memo},
          {"beDataWniosku", "Data wniosku :", "DecyzjaOUniewaznieniu", "DataWniosku"},
          Uc("DecyzjaOUniewaznieniu"),
          {"cbInicjowanaPrzezUC", "Inicjowana przez UC", "DecyzjaOUniewaznieniu", "InicjowanaPrzezUC", Kind::Check},
          {"cbUniewazniono", "Unieważniono ", "DecyzjaOUniewaznieniu", "DecyzjaDoWniosku", Kind::Check}}}},
       false, false, 1},
      {"IE016", "TIE016PL_Box", "  IE016 - Odrzucenie zgłoszenia nadesłanego komunikatem IE015",
       {Related("IE015")},
       {{" Odrzucenie zgłoszenia   ",
         {{"beDataOdrzucenia", "Data odrzucenia :", "OdrzucenieZgloszenia", "DataOdrzucenia"},
          {"mePowodOdrzucenia", "Powód odrzucenia:", "OdrzucenieZgloszenia", "PowodOdrzucenia", Kind::Memo}}}},
       true, false, 0},
      {"IE025", "TIE025PL_Box", "  IE025 - Zwolnienie towaru z procedury tranzytu",
       {Mrn()},
       {{"  Przyjęcie zwolnienia  ", {{"beDataZwolnienia", "Data zwolnienia :", "Zwolnienie", "DataZwolnienia"}, Uc("Zwolnienie")}}},
       false, false, 2},
      {"IE028", "TIE028PL_Box", "  IE028 - Informacja o przyjęciu i nadaniu numeru MRN dla IE015",
       {Mrn(), Related("IE015"), Lrn()},
       {{"  Przyjęcie ", {{"beDataPrzyjecia", "Data przyjęcia :", "Przyjecie", "DataPrzyjecia"}, Uc("Przyjecie")}}},
       false, false, 1},
      {"IE045", "TIE045PL_Box", "  IE045 - Informacja o o zamknięciu operacji tranzytowej.",
       {Mrn()},
       {{"  Zamknięcie   ", {{"beDataZamkniecia", "Data zamknięcia :", "Zamkniecie", "DataZamkniecia"}, Uc("Zamkniecie")}},
        {"  Gwarant    ",
         {{"beGwarantNazwa", "Nazwa :", "Gwarant", "Nazwa"},
          {"beGwarantKodPoczt", "Kod poczt. :", "Gwarant", "KodPocztowy"},
          {"beGwarantMiejscowosc", "Miejscowość :", "Gwarant", "Miejscowosc"},
          {"beGwarantUlica", "Ulica :", "Gwarant", "UlicaNumer"},
          {"beGwarantKraj", "Kraj :", "Gwarant", "Kraj"}}}},
       false, false, 1},
      {"IE055", "TIE055PL_Box", "  IE055 - Informacja o nieważności gwarancji, zadeklarowanych  w  zgłoszeniu.",
       {Mrn(), {"beUCZgloszenia", "UC Zgłoszenia :", "Zgloszenie", "UCZgloszenia"}},
       {},
       false, true, 1},
      {"IE058", "TIE058PL_Box", "  IE058 - Odrzucenie uwag rozładunkowych nadesłanych komunikatem IE044",
       {Mrn(), Related("IE007")},
       {{"  Odrzucenie uwag    ",
         {{"beDataOdrzucenia", "Data odrzucenia :", "OdrzucenieUwag", "DataOdrzucenia"},
          {"mePowodOdrzucenia", "Powód odrzucenia :", "OdrzucenieUwag", "PowodOdrzucenia", Kind::Memo}}}},
       true, false, 0},
      {"IE060", "TIE060PL_Box", "  IE060 - Informacja o planowanej kontroli dotyczącej zgłoszenia IE015.",
       {Mrn()},
       {{"  Zawiadomienie  ",
         {{"meZakresKontroli", "Zakres kontroli :", "Zawiadomienie", "ZakresKontroli", Kind::Memo},
          {"beDataZawiadomienia", "Data zawiadom :", "Zawiadomienie", "DataZawiadomienia"},
          Uc("Zawiadomienie")}}},
       false, false, 1},
      {"IE062", "TIE062PL_Box",
       "  IE062 - Odrzucenie wniosku o zwolnienie zgłoszenia do procedury tranzytu nadesłanego komunikatem IE054\n\n",
       {Mrn(), Related("IE054")},
       {{" Odrzucenie zmian   ",
         {{"beDataOdrzucenia", "Data odrzucenia :", "OdrzucenieWniosku", "DataOdrzucenia"},
          {"mePowodOdrzucenia", "Powód odrzucenia :", "OdrzucenieWniosku", "PowodOdrzucenia", Kind::Memo},
          {"beDataWniosku", "Data wniosku :", "OdrzucenieWniosku", "DataWniosku"},
          {"beUCZgloszenia", "UC Zgłoszenia :", "OdrzucenieWniosku", "UCZgloszenia"},
          {"cbWniosekOZwolnienie", "Wniosek o zwolnienie ", "OdrzucenieWniosku", "WniosekOZwolnienie", Kind::Check}}}},
       true, false, 1},
      {"IE140", "TIE140PL_Box", "  IE140 - Zapytanie o przesyłkę w ramach procedury poszukiwawczej  ",
       {Mrn()},
       {{" Poszukiwanie tranzytu  ",
         {{"beCzasNaOdp", "Czas na odp :", "Poszukiwanie", "CzasNaOdpowiedz"},
          Uc("Poszukiwanie"),
          {"beDataRozpoczecia", "Data rozpoczęcia :", "Poszukiwanie", "DataRozpoczecia"},
          {"beUCPoszukiwania", "UC poszukiwania :", "Poszukiwanie", "UCPoszukiwania"}}}},
       false, false, 1},
      {"IE906", "TIE906PL_Box", "  IE906 - Odrzucenie wniosku nadesłanego komunikatem IE014 lub IE0141",
       {Mrn(), Related("IE")},
       {},
       true, false, 0},
      {"IE928", "TIE928PL_Box", "  IE928 - Informacja o poprawnym zapisaniu zgłoszenia IE015",
       {Lrn(), Related("IE015")},
       {{"  Złożenie zgłoszenia  ",
         {{"beDataZlozenia", "Data złożenia :", "ZlozenieZgloszenia", "DataZlozenia"}, Uc("ZlozenieZgloszenia")}}},
       false, false, 1},
  };
  return boxes;
}

xml::XmlNode FindLocal(xml::XmlNode node, const QString& local) {
  for (xml::XmlNode c = node.FirstChild(); c; c = c.NextSibling()) {
    if (c.LocalName() == local) return c;
    if (xml::XmlNode d = FindLocal(c, local)) return d;
  }
  return {};
}

std::vector<xml::XmlNode> AllLocal(xml::XmlNode node, const QString& local) {
  std::vector<xml::XmlNode> out;
  std::function<void(xml::XmlNode)> walk = [&](xml::XmlNode n) {
    for (xml::XmlNode c = n.FirstChild(); c; c = c.NextSibling()) {
      if (c.LocalName() == local) out.push_back(c);
      walk(c);
    }
  };
  if (node) walk(node);
  return out;
}

ViewField Read(const FieldDef& f, const xml::XmlNode& root) {
  ViewField out{QString::fromUtf8(f.name), QString::fromUtf8(f.label), {}, f.kind};
  if (root) {
    // An empty element name reads the root's own attributes.
    const xml::XmlNode element = f.element[0] == '\0' ? root : FindLocal(root, QString::fromUtf8(f.element));
    if (element) out.value = element.Attribute(QString::fromUtf8(f.attribute));
  }
  return out;
}

ViewGroup Principal(const xml::XmlNode& root, bool with_tir) {
  const char* e = "GlownyZobowiazany";
  ViewGroup g{QStringLiteral("  Główny zobowiązany  "),
              {Read({"beGZNazwa", "Nazwa :", e, "Nazwa"}, root), Read({"beGZKodPoczt", "Kod poczt. :", e, "KodPocztowy"}, root),
               Read({"beGZMiejscowosc", "Miejscowość :", e, "Miejscowosc"}, root),
               Read({"beGZUlica", "Ulica :", e, "UlicaNumer"}, root), Read({"beGZKraj", "Kraj :", e, "Kraj"}, root),
               Read({"beGZTIN", "TIN :", e, "TIN"}, root)}};
  if (with_tir) g.fields.push_back(Read({"cbTIR", "TIR", e, "TIR", Kind::Check}, root));
  return g;
}

ViewTable Rows(const xml::XmlNode& root, const QString& caption, const char* element, const QStringList& columns,
               const std::vector<const char*>& attributes) {
  ViewTable t{caption, columns, {}};
  for (const xml::XmlNode& n : AllLocal(root, QString::fromUtf8(element))) {
    QStringList row;
    for (const char* a : attributes) row << n.Attribute(QString::fromUtf8(a));
    t.rows.push_back(row);
  }
  return t;
}

IncomingView BuildUpo(const xml::XmlNode& root) {
  IncomingView v;
  v.box = QStringLiteral("TUPO_Box");
  v.title = QStringLiteral("UPO - Urzędowe  poświadczenie  odbioru");
  v.groups.push_back({QStringLiteral("  Nagłówek  "),
                      {Read({"beNrWlasny", "Nr własny :", "", "NumerIdentyfikacyjny"}, root),
                       Read({"beDataDoreczenia", "Data doręczenia :", "", "DataDoreczenia"}, root),
                       Read({"beECIPSEAP", "ECIP/SEAP :", "", "IdentyfikatorECIPSEAP"}, root),
                       Read({"beDataWytworzenia", "Data wytworzenia :", "", "DataWytworzenia"}, root),
                       Read({"beWydajacy", "Wydający :", "", "Wydajacy"}, root)}});
  v.groups.push_back({QStringLiteral("  Dokument    "),
                      {Read({"beSkrot", "Skrót :", "Dokument", "Skrot"}, root),
                       Read({"beNrWlasnyIE", "Nr własny IE :", "Dokument", "NrWlasny"}, root),
                       Read({"beTypIE", "Typ IE :", "Dokument", "Typ"}, root)}});
  const xml::XmlNode tresc = root ? FindLocal(root, QStringLiteral("Tresc")) : xml::XmlNode();
  v.groups.push_back({QStringLiteral("  Treść  "), {{QStringLiteral("meTresc"), QString(), tresc ? tresc.Text() : QString(), Kind::Memo}}});
  return v;
}

}  // namespace

QStringList ViewerTypes() {
  QStringList out;
  for (const BoxDef& b : Boxes()) out << QString::fromLatin1(b.typ);
  out << QStringLiteral("UPO");
  return out;
}

bool HasViewer(const QString& typ) { return ViewerTypes().contains(typ); }

IncomingView BuildIncomingView(const QString& typ, const QString& xml) {
  xml::XmlDocumentPtr doc;
  xml::XmlNode root;
  try {
    doc = xml::LoadXMLData(frame::NaprawXML(xml));
    root = doc->DocumentElement();
    if (root.LocalName() != typ) root = {};
  } catch (const std::exception&) {
    root = {};
  }
  if (typ == QLatin1String("UPO")) {
    IncomingView v = BuildUpo(root);
    v.bound = !root.IsNull();
    return v;
  }
  IncomingView v;
  for (const BoxDef& b : Boxes()) {
    if (typ != QLatin1String(b.typ)) continue;
    v.box = QString::fromLatin1(b.box);
    v.title = QString::fromUtf8(b.title);
    v.bound = !root.IsNull();
    ViewGroup header{QStringLiteral("  Nagłówek komunikatu  "),
                     {Read({"beNrWlasny", "Nr własny :", kNaglowek, "NrWlasny"}, root),
                      Read({"beDataUtworzenia", "Data utworzenia :", kNaglowek, "DataUtworzenia"}, root)}};
    for (const FieldDef& f : b.header_extras) header.fields.push_back(Read(f, root));
    v.groups.push_back(header);
    for (const GroupDef& g : b.groups) {
      ViewGroup group{QString::fromUtf8(g.caption), {}};
      for (const FieldDef& f : g.fields) group.fields.push_back(Read(f, root));
      v.groups.push_back(group);
    }
    if (b.errors)
      v.tables.push_back(Rows(root, QStringLiteral("  Lista błędów  "), "Blad",
                              {QStringLiteral("Lp"), QStringLiteral("Kod"), QStringLiteral("Wskaźnik"), QStringLiteral("Przyczyna"),
                               QStringLiteral("Błędna wartość"), QStringLiteral("Opis")},
                              {"PozId", "Kod", "Wskaznik", "Przyczyna", "BlednaWartosc", "Opis"}));
    if (b.guarantees)
      v.tables.push_back(Rows(root, QStringLiteral("  Lista gwarancji  "), "Gwarancja",
                              {QStringLiteral("Lp"), QStringLiteral("Kod"), QStringLiteral("Wskaźnik"), QStringLiteral("Przyczyna")},
                              {"PozId", "Kod", "Wskaznik", "Przyczyna"}));
    if (b.principal) v.groups.push_back(Principal(root, b.principal == 1));
  }
  return v;
}

QByteArray XmlDisplayText(const QByteArray& stored) {
  auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString as_utf8 = decoder(stored);
  const bool valid_utf8 = !decoder.hasError();
  QString text = valid_utf8 ? as_utf8 : QStringDecoder(QStringConverter::Latin1)(stored);
  if (!valid_utf8) {
    // Text that is not UTF-8 comes from the Polish code page.
    auto cp1250 = QStringDecoder("windows-1250");
    if (cp1250.isValid()) text = cp1250(stored);
  }
  if (text.contains(QStringLiteral("<?"))) return text.toUtf8();
  const QString declaration = valid_utf8 ? QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")
                                         : QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1250\"?>");
  return (declaration + QLatin1Char('\r') + frame::NaprawXML(text)).toUtf8();
}

}  // namespace velmora::exchange
