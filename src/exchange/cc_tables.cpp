#include "cc_tables.h"

#include "departure/walidator.h"
#include "host/ui/taric.h"

#include <map>
#include <optional>
#include <stdexcept>

// The CC messages of phases 5 and 6 as tables over the phase-4 shapes, in the XSDs' order.
// Phase 6 is phase 5's tables with the differences of its schemas applied.
namespace velmora::exchange {

namespace {

using xml::CcAppend;
using xml::CcChild;
using xml::CcEnsure;
using xml::CcInFn;
using xml::CcKind;
using xml::CcMap;
using xml::CcOutFn;
using xml::CcReadFn;
using xml::CcTable;
using xml::CcWriteFn;
using xml::XmlNode;

using Maps = std::vector<CcMap>;

CcMap Map(const char* name, CcKind kind, const char* from, Maps children = {}) {
  CcMap m;
  m.name = QString::fromLatin1(name);
  m.kind = kind;
  m.from = QString::fromLatin1(from);
  m.children = std::move(children);
  return m;
}
CcMap V(const char* name, const char* from, CcOutFn out = nullptr, CcInFn in = nullptr) {
  CcMap m = Map(name, CcKind::Value, from);
  m.out = out;
  m.in = in;
  return m;
}
CcMap K(const char* name, const char* text) { return Map(name, CcKind::Const, text); }
CcMap S(const char* name = "sequenceNumber", const char* from = "") { return Map(name, CcKind::Seq, from); }
CcMap G(const char* name, const char* from, Maps children) { return Map(name, CcKind::Group, from, std::move(children)); }
CcMap E(const char* name, const char* from, Maps children) { return Map(name, CcKind::Each, from, std::move(children)); }
CcMap C(const char* name, CcWriteFn write, CcReadFn read) {
  CcMap m = Map(name, CcKind::Custom, "");
  m.write = write;
  m.read = read;
  return m;
}
CcMap OutOnly(CcMap m) {
  m.out_only = true;
  return m;
}

// Value conversions ---------------------------------------------------------------------------

QString DateTime(const QString& v) {
  if (v.isEmpty()) return v;
  if (v.size() == 10) return v + QStringLiteral("T00:00:00");
  return v.left(19);
}
QString DateOnly(const QString& v) { return v.left(10); }
QString DateOnlyIn(const QString& v, const QString&) { return v.left(10); }
QString FlagOrZero(const QString& v) { return v == QLatin1String("1") ? v : QStringLiteral("0"); }
// Safety and security: the phase-4 flag marks the exit summary data.
QString Security(const QString& v) { return v == QLatin1String("1") ? QStringLiteral("2") : QStringLiteral("0"); }
QString SecurityIn(const QString& v, const QString&) { return v == QLatin1String("0") || v.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"); }
// Modes of transport: one digit in the EU's list, two in the national one ("30").
QString Mode(const QString& v) { return v.left(1); }
QString ModeIn(const QString& v, const QString&) { return v.size() == 1 ? v + QLatin1Char('0') : v; }
QString Hs6(const QString& v) { return v.size() >= 6 ? v.left(6) : QString(); }
QString Cn2(const QString& v) { return v.size() >= 8 ? v.mid(6, 2) : QString(); }
QString Append(const QString& v, const QString& current) { return current + v; }
// A road vehicle's registration is what the national declaration identifies the means by.
QString RoadVehicle(const QString& v) { return v.isEmpty() ? QString() : QStringLiteral("30"); }
QString Representative(const QString& v) { return v.isEmpty() ? QString() : QStringLiteral("2"); }

// Shared pieces -------------------------------------------------------------------------------

Maps Header(const char* cc) {
  return {V("messageSender", "$sender"),
          V("messageRecipient", "$recipient"),
          V("preparationDateAndTime", "Naglowek@DataUtworzenia", DateTime),
          V("messageIdentification", "Naglowek@NrWlasny"),
          K("messageType", cc),
          V("correlationIdentifier", "Naglowek@NrWlasnyKomunikatuPowiazanego")};
}

Maps Address() {
  return {V("streetAndNumber", "@UlicaNumer"), V("postcode", "@KodPocztowy"), V("city", "@Miejscowosc"), V("country", "@Kraj")};
}

// A trader of the phase-4 shape: TIN, name and address in one element.
CcMap Party(const char* name, const char* from) {
  return G(name, from, {V("identificationNumber", "@TIN"), V("name", "@Nazwa"), G("Address", "", Address())});
}

// Transport equipment: the containers the goods items declare, each with the items it holds,
// and the seals on the first of them (or on equipment of their own without containers).
bool WriteEquipment(void* parent, const XmlNode& ie) {
  std::vector<std::pair<QString, QStringList>> containers;
  for (const XmlNode& towar : ie.ChildrenByLocalName(QStringLiteral("Towar"))) {
    const QString item = towar.Attribute(QStringLiteral("PozId")).trimmed();
    for (const XmlNode& k : towar.ChildrenByLocalName(QStringLiteral("Kontener"))) {
      const QString number = k.Attribute(QStringLiteral("Numer")).trimmed();
      if (number.isEmpty()) continue;
      auto it = std::find_if(containers.begin(), containers.end(), [&](const auto& c) { return c.first == number; });
      if (it == containers.end()) it = containers.insert(containers.end(), {number, {}});
      if (!it->second.contains(item)) it->second << item;
    }
  }
  const XmlNode zamkniecia = ie.ChildByLocalName(QStringLiteral("ZamknieciaCelne"));
  QStringList seals;
  if (zamkniecia)
    for (const XmlNode& z : zamkniecia.ChildrenByLocalName(QStringLiteral("Zamkniecie")))
      if (const QString s = z.Attribute(QStringLiteral("Znak")).trimmed(); !s.isEmpty()) seals << s;
  QString count = zamkniecia ? zamkniecia.Attribute(QStringLiteral("Liczba")).trimmed() : QString();
  if (count.isEmpty() && !seals.isEmpty()) count = QString::number(seals.size());
  if (containers.empty() && count.isEmpty()) return false;
  if (containers.empty()) containers.push_back({});
  auto child = [](void* p, const char* name, const QString& text = QString()) { return CcAppend(p, name, text); };
  for (size_t i = 0; i < containers.size(); ++i) {
    void* te = child(parent, "TransportEquipment");
    child(te, "sequenceNumber", QString::number(i + 1));
    if (!containers[i].first.isEmpty()) child(te, "containerIdentificationNumber", containers[i].first);
    child(te, "numberOfSeals", i == 0 && !count.isEmpty() ? count : QStringLiteral("0"));
    if (i == 0)
      for (int s = 0; s < seals.size(); ++s) {
        void* seal = child(te, "Seal");
        child(seal, "sequenceNumber", QString::number(s + 1));
        child(seal, "identifier", seals[s]);
      }
    for (int g = 0; g < containers[i].second.size(); ++g) {
      void* ref = child(te, "GoodsReference");
      child(ref, "sequenceNumber", QString::number(g + 1));
      child(ref, "declarationGoodsItemNumber", containers[i].second[g]);
    }
  }
  return true;
}

void ReadEquipment(const XmlNode& cc_root, XmlNode ie_root) {
  const XmlNode consignment = cc_root.ChildByLocalName(QStringLiteral("Consignment"));
  if (!consignment) return;
  int seals = 0;
  bool any = false;
  XmlNode zamkniecia;
  for (const XmlNode& te : consignment.ChildrenByLocalName(QStringLiteral("TransportEquipment"))) {
    const XmlNode n = te.ChildByLocalName(QStringLiteral("numberOfSeals"));
    if (n) {
      seals += n.Text().trimmed().toInt();
      any = true;
    }
    for (const XmlNode& seal : te.ChildrenByLocalName(QStringLiteral("Seal"))) {
      if (!zamkniecia) zamkniecia = ie_root.AppendChild(QStringLiteral("ZamknieciaCelne"));
      zamkniecia.AppendChild(QStringLiteral("Zamkniecie"))
          .SetAttribute(QStringLiteral("Znak"), seal.ChildByLocalName(QStringLiteral("identifier")).Text().trimmed());
    }
    const XmlNode container = te.ChildByLocalName(QStringLiteral("containerIdentificationNumber"));
    if (!container) continue;
    for (const XmlNode& ref : te.ChildrenByLocalName(QStringLiteral("GoodsReference"))) {
      const QString item = ref.ChildByLocalName(QStringLiteral("declarationGoodsItemNumber")).Text().trimmed();
      for (XmlNode towar : ie_root.ChildrenByLocalName(QStringLiteral("Towar"))) {
        if (towar.Attribute(QStringLiteral("PozId")) != item) continue;
        XmlNode k = towar.AppendChild(QStringLiteral("Kontener"));
        k.SetAttribute(QStringLiteral("PozId"), QString::number(towar.ChildrenByLocalName(QStringLiteral("Kontener")).size()));
        k.SetAttribute(QStringLiteral("Numer"), container.Text().trimmed());
      }
    }
  }
  if (any && seals > 0) {
    if (!zamkniecia) zamkniecia = ie_root.AppendChild(QStringLiteral("ZamknieciaCelne"));
    zamkniecia.SetAttribute(QStringLiteral("Liczba"), QString::number(seals));
  }
}

// The place of the goods: an authorised place by its authorisation, else a customs office.
bool WriteLocation(void* parent, const XmlNode& ie) {
  const XmlNode z = ie.ChildByLocalName(QStringLiteral("Zgloszenie"));
  if (!z) return false;
  QString authorisation = z.Attribute(QStringLiteral("KodMiejscaUznanego")).trimmed();
  if (authorisation.isEmpty()) authorisation = z.Attribute(QStringLiteral("KodMiejscaWskazanegoWPozwoleniu")).trimmed();
  const QString office = z.Attribute(QStringLiteral("MiejsceOdprawy")).trimmed();
  if (authorisation.isEmpty() && office.isEmpty()) return false;
  auto child = [](void* p, const char* name, const QString& text = QString()) { return CcAppend(p, name, text); };
  void* loc = child(parent, "LocationOfGoods");
  if (!authorisation.isEmpty()) {
    child(loc, "typeOfLocation", QStringLiteral("B"));
    child(loc, "qualifierOfIdentification", QStringLiteral("Y"));
    child(loc, "authorisationNumber", authorisation);
  } else {
    child(loc, "typeOfLocation", QStringLiteral("A"));
    child(loc, "qualifierOfIdentification", QStringLiteral("V"));
    child(child(loc, "CustomsOffice"), "referenceNumber", office);
  }
  return true;
}

void ReadLocation(const XmlNode& cc_root, XmlNode ie_root) {
  const XmlNode loc = CcChild(cc_root, QStringLiteral("Consignment/LocationOfGoods"));
  if (!loc) return;
  XmlNode z = CcEnsure(ie_root, QStringLiteral("Zgloszenie"));
  // An authorised consignor's place (a declaration with a time limit) is the one its permit names.
  const bool uproszczona = !CcChild(cc_root, QStringLiteral("TransitOperation/limitDate")).IsNull();
  if (const XmlNode a = loc.ChildByLocalName(QStringLiteral("authorisationNumber")))
    z.SetAttribute(uproszczona ? QStringLiteral("KodMiejscaWskazanegoWPozwoleniu") : QStringLiteral("KodMiejscaUznanego"), a.Text().trimmed());
  if (const XmlNode o = loc.ChildByLocalName(QStringLiteral("CustomsOffice")))
    z.SetAttribute(QStringLiteral("MiejsceOdprawy"), o.ChildByLocalName(QStringLiteral("referenceNumber")).Text().trimmed());
}

// The amount a guarantee reference covers: the goods items' security entries ("CAL") on its GRN,
// in the currency of the first.
bool WriteAmount(void* parent, const XmlNode& gwarancja) {
  const QString grn = gwarancja.Attribute(QStringLiteral("GRN")).trimmed();
  XmlNode root = gwarancja;
  while (root.Parent()) root = root.Parent();
  std::optional<host::ZabezpieczenieInfo> sum;
  for (const XmlNode& towar : root.ChildrenByLocalName(QStringLiteral("Towar")))
    for (const XmlNode& info : towar.ChildrenByLocalName(QStringLiteral("InformacjaDodatkowa"))) {
      if (info.Attribute(QStringLiteral("Kod")).trimmed() != QLatin1String("CAL")) continue;
      const auto cal = host::TZabezpieczenieCALBox::StringNaZabezpieczenieInfo(info.Attribute(QStringLiteral("Tekst")));
      if (!cal || cal->grn != grn || (sum && sum->waluta != cal->waluta)) continue;
      if (sum) sum->kwota += cal->kwota;
      else sum = cal;
    }
  if (!sum) return false;
  CcAppend(parent, "amountToBeCovered", QString::number(sum->kwota, 'f', 2));
  CcAppend(parent, "currency", sum->waluta);
  return true;
}

// Read back as one security entry on the first goods item, which writes the same amount again.
void ReadAmount(const XmlNode& cc_root, XmlNode ie_root) {
  XmlNode towar = ie_root.ChildByLocalName(QStringLiteral("Towar"));
  if (!towar) return;
  for (const XmlNode& g : cc_root.ChildrenByLocalName(QStringLiteral("Guarantee")))
    for (const XmlNode& r : g.ChildrenByLocalName(QStringLiteral("GuaranteeReference"))) {
      const XmlNode amount = r.ChildByLocalName(QStringLiteral("amountToBeCovered"));
      if (!amount) continue;
      XmlNode info = towar.AppendChild(QStringLiteral("InformacjaDodatkowa"));
      info.SetAttribute(QStringLiteral("PozId"), QString::number(towar.ChildrenByLocalName(QStringLiteral("InformacjaDodatkowa")).size()));
      info.SetAttribute(QStringLiteral("Kod"), QStringLiteral("CAL"));
      info.SetAttribute(QStringLiteral("Tekst"), host::TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(
                                                     r.ChildByLocalName(QStringLiteral("GRN")).Text(),
                                                     r.ChildByLocalName(QStringLiteral("currency")).Text(), amount.Text().toDouble()));
    }
}

// A time limit is an authorised consignor's: the national declaration holds it in the control
// result of the simplified procedure.
void ReadLimitDate(const XmlNode& cc_root, XmlNode ie_root) {
  const XmlNode limit = CcChild(cc_root, QStringLiteral("TransitOperation/limitDate"));
  if (!limit) return;
  CcEnsure(ie_root, QStringLiteral("Rodzaj")).SetAttribute(QStringLiteral("ProceduraUproszczona"), QStringLiteral("1"));
  XmlNode wk = ie_root.AppendChild(QStringLiteral("WynikKontroli"));
  wk.SetAttribute(QStringLiteral("Kod"), QStringLiteral("A3"));
  wk.SetAttribute(QStringLiteral("TerminDostarczenia"), limit.Text().trimmed().left(10));
}

// The totals the national declaration carries and the EU's does not, and the pieces of unpacked
// goods, which the EU's counts as packages.
void ReadTotals(const XmlNode&, XmlNode ie_root) {
  XmlNode z = CcEnsure(ie_root, QStringLiteral("Zgloszenie"));
  const std::vector<XmlNode> towary = ie_root.ChildrenByLocalName(QStringLiteral("Towar"));
  for (const XmlNode& towar : towary)
    for (XmlNode o : towar.ChildrenByLocalName(QStringLiteral("Opakowanie"))) {
      const auto kind = departure::RodzajTowaru(o.Attribute(QStringLiteral("Rodzaj")));
      const QString liczba = o.Attribute(QStringLiteral("LiczbaOpakowan"));
      if (kind == departure::RodzajOpakowania::Opakowane || liczba.isEmpty()) continue;
      if (kind == departure::RodzajOpakowania::Nieopakowane) o.SetAttribute(QStringLiteral("IloscSztuk"), liczba);
      o.RemoveAttribute(QStringLiteral("LiczbaOpakowan"));
    }
  z.SetAttribute(QStringLiteral("LiczbaPozycji"), QString::number(towary.size()));
  z.SetAttribute(QStringLiteral("LiczbaOpakowan"), QString::number(departure::SumaOpakowan(ie_root)));
}

// The permission's totals, which the national one carries and the EU's does not.
void ReadPermissionTotals(const XmlNode&, XmlNode ie_root) {
  const std::vector<XmlNode> towary = ie_root.ChildrenByLocalName(QStringLiteral("Towar"));
  long long opakowania = 0;
  for (const XmlNode& towar : towary)
    for (const XmlNode& o : towar.ChildrenByLocalName(QStringLiteral("Opakowanie"))) opakowania += o.Attribute(QStringLiteral("LiczbaOpakowan")).toLongLong();
  XmlNode tranzyt = CcEnsure(ie_root, QStringLiteral("Tranzyt"));
  tranzyt.SetAttribute(QStringLiteral("LiczbaPozycji"), QString::number(towary.size()));
  tranzyt.SetAttribute(QStringLiteral("LiczbaOpakowan"), QString::number(opakowania));
}

// An en-route event's kind: a transhipment, new seals, or another incident.
bool WriteIncidentCode(void* parent, const XmlNode& zdarzenie) {
  const char* code = zdarzenie.ChildByLocalName(QStringLiteral("Przeladunek"))       ? "3"
                     : zdarzenie.ChildByLocalName(QStringLiteral("ZamknieciaCelne")) ? "2"
                                                                                    : "1";
  CcAppend(parent, "code", QString::fromLatin1(code));
  return false;
}

Maps Item() {
  Maps m{S("goodsItemNumber"),
         V("declarationGoodsItemNumber", "@PozId"),
         V("declarationType", "@Deklaracja"),
         V("countryOfDispatch", "@KrajWysylki"),
         V("countryOfDestination", "@KrajPrzeznaczenia")};
  m.push_back(Party("Consignee", "Odbiorca"));
  m.push_back(G("Commodity", "",
                {V("descriptionOfGoods", "@OpisTowaru"),
                 G("CommodityCode", "", {V("harmonizedSystemSubHeadingCode", "@KodTowarowy", Hs6), V("combinedNomenclatureCode", "@KodTowarowy", Cn2, Append)}),
                 G("DangerousGoods", "Bezpieczenstwo", {K("sequenceNumber", "1"), V("UNNumber", "@KodUN")}),
                 G("GoodsMeasure", "", {V("grossMass", "@MasaBrutto"), V("netMass", "@MasaNetto")})}));
  m.push_back(E("Packaging", "Opakowanie",
                {S(), V("typeOfPackages", "@Rodzaj"), V("numberOfPackages", "@LiczbaOpakowan|@IloscSztuk"), V("shippingMarks", "@Znaki")}));
  m.push_back(E("PreviousDocument", "DokumentPoprzedni",
                {S(), V("type", "@Kod"), V("referenceNumber", "@Nr"), V("complementOfInformation", "@Uwagi")}));
  m.push_back(E("SupportingDocument", "DokumentWymagany",
                {S(), V("type", "@Kod"), V("referenceNumber", "@Nr"), V("complementOfInformation", "@Uwagi")}));
  CcMap info = E("AdditionalInformation", "InformacjaDodatkowa", {S(), V("code", "@Kod"), V("text", "@Tekst")});
  // The security entries ("CAL") are the national declaration's; the EU's has the amount on the guarantee.
  info.keep = [](const XmlNode& ie) { return ie.Attribute(QStringLiteral("Kod")).trimmed() != QLatin1String("CAL"); };
  m.push_back(std::move(info));
  m.push_back(G("TransportCharges", "Bezpieczenstwo", {V("methodOfPayment", "@FormaPlatnosci")}));
  return m;
}

Maps TransitOperation(bool amendment) {
  // A declaration's LRN is its own number; an amendment names the declaration's.
  Maps m{V("LRN", amendment ? "Naglowek@LRN" : "Naglowek@NrWlasny")};
  if (amendment) m.push_back(V("MRN", "Naglowek@MRN"));
  for (CcMap x : {V("declarationType", "Rodzaj@Deklaracja"), K("additionalDeclarationType", "A"), V("TIRCarnetNumber", "Rodzaj@KarnetTIR"),
                  V("presentationOfTheGoodsDateAndTime", "Zgloszenie@DataPrzedstawienia", DateTime),
                  V("security", "Rodzaj@Bezpieczenstwo", Security, SecurityIn), K("reducedDatasetIndicator", "0"), K("bindingItinerary", "0")})
    m.push_back(std::move(x));
  if (amendment) m.push_back(K("amendmentTypeFlag", "0"));
  m.push_back(OutOnly(V("limitDate", "WynikKontroli@TerminDostarczenia", DateOnly)));
  m.push_back(C("limitDate", nullptr, ReadLimitDate));
  return m;
}

Maps Declaration(const char* cc, bool amendment) {
  Maps body = Header(cc);
  body.push_back(G("TransitOperation", "", TransitOperation(amendment)));
  body.push_back(G("CustomsOfficeOfDeparture", "UC", {V("referenceNumber", "@Wyjscia")}));
  body.push_back(G("CustomsOfficeOfDestinationDeclared", "UC", {V("referenceNumber", "@Przeznaczenia")}));
  body.push_back(E("CustomsOfficeOfTransitDeclared", "UC/Tranzytowy", {S(), V("referenceNumber", "@Kod")}));
  body.push_back(Party("HolderOfTheTransitProcedure", "GlownyZobowiazany"));
  body.push_back(G("Representative", "GlownyZobowiazany/Przedstawiciel",
                   {V("identificationNumber", "@TIN"), OutOnly(V("status", "@TIN", Representative))}));
  body.push_back(E("Guarantee", "Gwarancje",
                   {S(), V("guaranteeType", "@Rodzaj"), V("otherGuaranteeReference", "Gwarancja@Numer"),
                    E("GuaranteeReference", "Gwarancja",
                      {S(), V("GRN", "@GRN"), V("accessCode", "@KodDostepu"), C("amountToBeCovered", WriteAmount, ReadAmount)})}));
  Maps consignment{V("countryOfDispatch", "Zgloszenie@KrajWysylki"),
                   V("countryOfDestination", "Zgloszenie@KrajPrzeznaczenia"),
                   V("containerIndicator", "Zgloszenie@Kontener"),
                   V("inlandModeOfTransport", "TransportWyjazd@Rodzaj", Mode, ModeIn),
                   V("modeOfTransportAtTheBorder", "TransportGranica@Rodzaj", Mode, ModeIn),
                   V("grossMass", "Zgloszenie@MasaBrutto"),
                   V("referenceNumberUCR", "Bezpieczenstwo@NrReferencyjnyPrzesylki"),
                   G("Carrier", "Bezpieczenstwo/Przewoznik", {V("identificationNumber", "@TIN")}),
                   Party("Consignor", "Nadawca"),
                   Party("Consignee", "Odbiorca"),
                   C("TransportEquipment", WriteEquipment, ReadEquipment),
                   C("LocationOfGoods", WriteLocation, ReadLocation),
                   G("DepartureTransportMeans", "TransportWyjazd",
                     {K("sequenceNumber", "1"), OutOnly(V("typeOfIdentification", "@Znaki", RoadVehicle)), V("identificationNumber", "@Znaki"),
                      V("nationality", "@Kraj")}),
                   E("CountryOfRoutingOfConsignment", "Bezpieczenstwo/KrajTrasy", {S(), V("country", "@Kraj")}),
                   G("ActiveBorderTransportMeans", "TransportGranica",
                     {K("sequenceNumber", "1"), OutOnly(V("typeOfIdentification", "@Znaki", RoadVehicle)), V("identificationNumber", "@Znaki"),
                      V("nationality", "@Kraj")}),
                   G("PlaceOfLoading", "Zgloszenie", {V("location", "@MiejsceZaladunku")}),
                   G("PlaceOfUnloading", "Bezpieczenstwo", {V("location", "@MiejsceRozladunku")}),
                   G("TransportCharges", "Bezpieczenstwo", {V("methodOfPayment", "@FormaPlatnosci")}),
                   G("HouseConsignment", "",
                     {K("sequenceNumber", "1"), V("grossMass", "Zgloszenie@MasaBrutto"), E("ConsignmentItem", "Towar", Item())}),
                   C("totals", nullptr, ReadTotals)};
  body.push_back(G("Consignment", "", std::move(consignment)));
  return body;
}

// The answers, read into the phase-4 shapes the viewers and the routines know ---------------

Maps Holder() { return {Party("HolderOfTheTransitProcedure", "GlownyZobowiazany")}; }

Maps Answer(const char* cc, Maps operation, Maps rest) {
  Maps body = Header(cc);
  // The error answers carry the transit's numbers in a header of their own.
  const bool error = qstrcmp(cc, "CC906C") == 0 || qstrcmp(cc, "CC917C") == 0;
  body.push_back(G(error ? "Header" : "TransitOperation", "", std::move(operation)));
  for (CcMap& m : rest) body.push_back(std::move(m));
  return body;
}

CcMap Office(const char* element) {
  return G("CustomsOfficeOfDeparture", element, {V("referenceNumber", "@UCZgloszenia")});
}

CcMap Errors(const char* name = "FunctionalError") {
  return E(name, "Blad",
           {S("", "@PozId"), V("errorPointer", "@Wskaznik"), V("errorCode", "@Kod"), V("errorReason", "@Przyczyna"),
            V("originalAttributeValue", "@BlednaWartosc")});
}

std::vector<CcTable> Phase5() {
  std::vector<CcTable> t;
  auto add = [&t](const char* cc, const char* ie, Maps body) {
    t.push_back({QString::fromLatin1(cc), QString::fromLatin1(ie), 5, std::move(body)});
  };
  add("CC015C", "IE015", Declaration("CC015C", false));
  add("CC013C", "IE013", Declaration("CC013C", true));
  {
    Maps b = Header("CC014C");
    b.push_back(G("TransitOperation", "", {V("MRN", "Naglowek@MRN")}));
    b.push_back(G("Invalidation", "Wniosek",
                  {V("requestDateAndTime", "@Data", DateTime, DateOnlyIn), K("initiatedByCustoms", "0"), V("justification", "@Powod")}));
    b.push_back(G("CustomsOfficeOfDeparture", "UCZgloszenia", {V("referenceNumber", "@Kod")}));
    b.push_back(Party("HolderOfTheTransitProcedure", "GlownyZobowiazany"));
    add("CC014C", "IE014", std::move(b));
  }
  {
    Maps b = Header("CC007C");
    b.push_back(G("TransitOperation", "",
                  {V("MRN", "Naglowek@MRN"), V("arrivalNotificationDateAndTime", "Przybycie@Data", DateTime, DateOnlyIn),
                   V("simplifiedProcedure", "Przybycie@ProceduraUproszczona", FlagOrZero),
                   OutOnly(V("incidentFlag", "Zdarzenie@Miejsce", [](const QString& v) { return v.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"); }))}));
    b.push_back(G("Authorisation", "Przybycie", {K("sequenceNumber", "1"), OutOnly(V("type", "@NrPozwolenia", [](const QString& v) {
                                                  return v.isEmpty() ? QString() : QStringLiteral("C522");
                                                })),
                                                V("referenceNumber", "@NrPozwolenia")}));
    b.push_back(G("CustomsOfficeOfDestinationActual", "Przybycie", {V("referenceNumber", "@UCPrzedstawienia")}));
    b.push_back(G("TraderAtDestination", "Odbiorca", {V("identificationNumber", "@TIN")}));
    b.push_back(G("Consignment", "",
                  {G("LocationOfGoods", "Lokalizacja",
                     {OutOnly(V("typeOfLocation", "@MiejsceUznane|@MiejsceWskazane|@MiejsceOdpraw", [](const QString& v) {
                        return v.isEmpty() ? QString() : QStringLiteral("B");
                      })),
                      OutOnly(V("qualifierOfIdentification", "@MiejsceUznane|@MiejsceWskazane|@MiejsceOdpraw", [](const QString& v) {
                        return v.isEmpty() ? QString() : QStringLiteral("Y");
                      })),
                      V("authorisationNumber", "@MiejsceUznane|@MiejsceWskazane|@MiejsceOdpraw")}),
                   E("Incident", "Zdarzenie",
                     {S(), C("code", WriteIncidentCode, nullptr), V("text", "Incydent@Opis|@Miejsce"),
                      G("Endorsement", "",
                        {V("date", "Incydent@DataAdnotacji|Przeladunek@DataAdnotacji"),
                         V("authority", "Incydent@WladzeAdnotacji|Przeladunek@WladzeAdnotacji"),
                         V("place", "Incydent@MiejsceAdnotacji|Przeladunek@MiejsceAdnotacji"),
                         V("country", "Incydent@KrajAdnotacji|Przeladunek@KrajAdnotacji")}),
                      G("Location", "",
                        {K("qualifierOfIdentification", "Z"), V("country", "@Kraj"),
                         G("Address", "", {V("streetAndNumber", "@Miejsce"), V("city", "@Miejsce")})}),
                      E("TransportEquipment", "ZamknieciaCelne",
                        {S(), V("numberOfSeals", "@Liczba"), E("Seal", "Zamkniecie", {S(), V("identifier", "@Znak")})}),
                      G("Transhipment", "Przeladunek",
                        {OutOnly(V("containerIndicator", "Kontener@Numer", [](const QString& v) {
                           return v.isEmpty() ? QStringLiteral("0") : QStringLiteral("1");
                         })),
                         G("TransportMeans", "",
                           {OutOnly(V("typeOfIdentification", "@Znaki", RoadVehicle)), V("identificationNumber", "@Znaki"),
                            V("nationality", "@Kraj")})})})}));
    add("CC007C", "IE007", std::move(b));
  }
  {
    Maps b = Header("CC044C");
    b.push_back(G("TransitOperation", "", {V("MRN", "Naglowek@MRN")}));
    b.push_back(G("CustomsOfficeOfDestinationActual", "UCPrzedstawienia", {V("referenceNumber", "@Kod")}));
    b.push_back(G("TraderAtDestination", "Odbiorca", {V("identificationNumber", "@TIN")}));
    b.push_back(G("UnloadingRemark", "UwagiRozladunkowe",
                  {V("conform", "@Zgodnosc", FlagOrZero), V("unloadingCompletion", "@Zakonczony", FlagOrZero), V("unloadingDate", "@Data"),
                   V("stateOfSeals", "@StanZamkniec"), V("unloadingRemark", "@Uwagi")}));
    b.push_back(G("Consignment", "",
                  {V("grossMass", "UwagiDoRozladunku@MasaBrutto"),
                   E("TransportEquipment", "UwagiRozladunkowe/ZamknieciaCelne",
                     {S(), V("numberOfSeals", "@Liczba"), E("Seal", "Zamkniecie", {S(), V("identifier", "@Znak")})}),
                   G("DepartureTransportMeans", "Transport",
                     {K("sequenceNumber", "1"), OutOnly(V("typeOfIdentification", "@Znaki", RoadVehicle)), V("identificationNumber", "@Znaki"),
                      V("nationality", "@Kraj")}),
                   G("HouseConsignment", "",
                     {K("sequenceNumber", "1"),
                      E("ConsignmentItem", "Towar",
                        {S("goodsItemNumber"), V("declarationGoodsItemNumber", "@PozId"),
                         G("Commodity", "",
                           {V("descriptionOfGoods", "@OpisTowaru"),
                            G("CommodityCode", "", {V("harmonizedSystemSubHeadingCode", "@KodTowarowy", Hs6),
                                                    V("combinedNomenclatureCode", "@KodTowarowy", Cn2, Append)}),
                            G("GoodsMeasure", "", {V("grossMass", "@MasaBrutto"), V("netMass", "@MasaNetto")})}),
                         E("Packaging", "Opakowanie",
                           {S(), V("typeOfPackages", "@Rodzaj"), V("numberOfPackages", "@LiczbaOpakowan|@IloscSztuk"), V("shippingMarks", "@Znaki")}),
                         E("SupportingDocument", "DokumentWymagany",
                           {S(), V("type", "@Kod"), V("referenceNumber", "@Nr"), V("complementOfInformation", "@Uwagi")})})})}));
    add("CC044C", "IE044", std::move(b));
  }

  add("CC028C", "IE028",
      Answer("CC028C", {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN"), V("declarationAcceptanceDate", "Przyjecie@DataPrzyjecia")},
             {Office("Przyjecie"), Holder()[0]}));
  add("CC928C", "IE928", Answer("CC928C", {V("LRN", "Naglowek@LRN")}, {Office("ZlozenieZgloszenia"), Holder()[0]}));
  add("CC029C", "IE029",
      Answer("CC029C",
             {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN"), V("releaseDate", "Zwolnienie@DataZwolnienia"),
              V("limitDate", "Zwolnienie@TerminDostarczenia")},
             {Office("Zwolnienie"), Holder()[0],
              G("Consignment", "",
                {C("TransportEquipment", nullptr, ReadEquipment),
                 G("HouseConsignment", "",
                   {E("ConsignmentItem", "Towar",
                      {V("declarationGoodsItemNumber", "@PozId"),
                       G("Commodity", "",
                         {V("descriptionOfGoods", "@OpisTowaru"), G("CommodityCode", "", {V("harmonizedSystemSubHeadingCode", "@KodTowarowy"),
                                                                                            V("combinedNomenclatureCode", "@KodTowarowy", nullptr, Append)}),
                          G("GoodsMeasure", "", {V("grossMass", "@MasaBrutto"), V("netMass", "@MasaNetto")})}),
                       E("Packaging", "Opakowanie", {S("sequenceNumber", "@PozId"), V("typeOfPackages", "@Rodzaj"), V("numberOfPackages", "@LiczbaOpakowan"),
                                                     V("shippingMarks", "@Znaki")})})})})}));
  add("CC056C", "IE016",
      Answer("CC056C",
             {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN"), V("businessRejectionType", "OdrzucenieZgloszenia@Rodzaj"),
              V("rejectionDateAndTime", "OdrzucenieZgloszenia@DataOdrzucenia", DateTime, DateOnlyIn),
              V("rejectionReason", "OdrzucenieZgloszenia@PowodOdrzucenia")},
             {Office("OdrzucenieZgloszenia"), Errors()}));
  add("CC057C", "IE008",
      Answer("CC057C",
             {V("MRN", "Naglowek@MRN"), V("businessRejectionType", "OdrzucenieZgloszenia@Rodzaj"),
              V("rejectionDateAndTime", "OdrzucenieZgloszenia@DataOdrzucenia", DateTime, DateOnlyIn),
              V("rejectionReason", "OdrzucenieZgloszenia@PowodOdrzucenia")},
             {G("CustomsOfficeOfDestinationActual", "OdrzucenieZgloszenia", {V("referenceNumber", "@UCZgloszenia")}),
              G("TraderAtDestination", "Odbiorca", {V("identificationNumber", "@TIN")}), Errors()}));
  add("CC004C", "IE004",
      Answer("CC004C",
             {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN"),
              V("amendmentAcceptanceDateAndTime", "PrzyjecieZmian@DataZlozenia", DateTime, DateOnlyIn)},
             {Office("PrzyjecieZmian"), Holder()[0]}));
  add("CC009C", "IE009",
      Answer("CC009C", {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN")},
             {G("Invalidation", "DecyzjaOUniewaznieniu",
                {V("requestDateAndTime", "@DataWniosku", DateTime, DateOnlyIn), V("decisionDateAndTime", "@DataDecyzji", DateTime, DateOnlyIn),
                 V("decision", "@DecyzjaDoWniosku"), V("initiatedByCustoms", "@InicjowanaPrzezUC"), V("justification", "@Uzasadnienie")}),
              Office("DecyzjaOUniewaznieniu"), Holder()[0]}));
  add("CC051C", "IE051",
      Answer("CC051C",
             {V("MRN", "Naglowek@MRN"), V("declarationSubmissionDateAndTime", "OdmowaZwolnienia@DataZlozenia", DateTime, DateOnlyIn),
              V("noReleaseMotivationCode", "OdmowaZwolnienia@Kod"), V("noReleaseMotivationText", "OdmowaZwolnienia@Powod")},
             {Office("OdmowaZwolnienia"), Holder()[0]}));
  add("CC060C", "IE060",
      Answer("CC060C",
             {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN"),
              V("controlNotificationDateAndTime", "Zawiadomienie@DataZawiadomienia", DateTime, DateOnlyIn),
              V("notificationType", "Zawiadomienie@Rodzaj")},
             {Office("Zawiadomienie"), Holder()[0],
              E("TypeOfControls", "Kontrola", {S("sequenceNumber", "@PozId"), V("type", "@Kod"), V("text", "@Tekst")})}));
  add("CC045C", "IE045",
      Answer("CC045C", {V("MRN", "Naglowek@MRN"), V("writeOffDate", "Zamkniecie@DataZamkniecia")},
             {Office("Zamkniecie"), Holder()[0], Party("Guarantor", "Gwarant")}));
  add("CC025C", "IE025",
      Answer("CC025C", {V("MRN", "Naglowek@MRN"), V("releaseDate", "Zwolnienie@DataZwolnienia")},
             {G("CustomsOfficeOfDestinationActual", "Zwolnienie", {V("referenceNumber", "@UCZgloszenia")}),
              G("TraderAtDestination", "Odbiorca", {V("identificationNumber", "@TIN")})}));
  add("CC043C", "IE043",
      Answer("CC043C", {V("MRN", "Naglowek@MRN"), V("declarationType", "Tranzyt@Deklaracja")},
             {G("CustomsOfficeOfDestinationActual", "Rozladunek", {V("referenceNumber", "@UCPrzeznaczenia")}),
              Party("TraderAtDestination", "UpowaznionyOdbiorca"),
              G("Consignment", "",
                {V("grossMass", "Tranzyt@MasaBrutto"), C("TransportEquipment", nullptr, ReadEquipment),
                 G("DepartureTransportMeans", "Transport", {V("identificationNumber", "@Znaki"), V("nationality", "@Kraj")}),
                 G("HouseConsignment", "",
                   {E("ConsignmentItem", "Towar",
                      {V("declarationGoodsItemNumber", "@PozId"),
                       G("Commodity", "",
                         {V("descriptionOfGoods", "@OpisTowaru"),
                          G("CommodityCode", "", {V("harmonizedSystemSubHeadingCode", "@KodTowarowy"),
                                                  V("combinedNomenclatureCode", "@KodTowarowy", nullptr, Append)}),
                          G("GoodsMeasure", "", {V("grossMass", "@MasaBrutto"), V("netMass", "@MasaNetto")})}),
                       E("Packaging", "Opakowanie", {S("sequenceNumber", "@PozId"), V("typeOfPackages", "@Rodzaj"), V("numberOfPackages", "@LiczbaOpakowan"),
                                                     V("shippingMarks", "@Znaki")}),
                       E("SupportingDocument", "DokumentWymagany", {S("sequenceNumber", "@PozId"), V("type", "@Kod"), V("referenceNumber", "@Nr")})})}),
                 C("totals", nullptr, ReadPermissionTotals)})}));
  add("CC906C", "IE906", Answer("CC906C", {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN")}, {Errors()}));
  add("CC917C", "IE906",
      Answer("CC917C", {V("LRN", "Naglowek@LRN"), V("MRN", "Naglowek@MRN")},
             {E("XMLError", "Blad",
                {S("", "@PozId"), V("errorPointer", "@Wskaznik"), V("errorCode", "@Kod"), V("errorText", "@Opis"),
                 V("originalAttributeValue", "@BlednaWartosc")})}));
  return t;
}

// Removes the map at `path` ("Consignment/HouseConsignment/ConsignmentItem/Consignee").
void Without(Maps& maps, const QString& path) {
  const QString first = path.section(QLatin1Char('/'), 0, 0), rest = path.section(QLatin1Char('/'), 1);
  for (auto it = maps.begin(); it != maps.end(); ++it) {
    if (it->name != first) continue;
    if (rest.isEmpty()) maps.erase(it);
    else Without(it->children, rest);
    return;
  }
  throw std::logic_error(("No element " + path + " in the table").toStdString());
}

// What phase 6's schemas no longer have.
struct Difference {
  const char* cc;
  const char* path;
};
const Difference kPhase6[] = {
    {"CC015C", "Consignment/HouseConsignment/ConsignmentItem/Consignee"},
    {"CC015C", "Consignment/HouseConsignment/ConsignmentItem/TransportCharges"},
    {"CC013C", "Consignment/HouseConsignment/ConsignmentItem/Consignee"},
    {"CC013C", "Consignment/HouseConsignment/ConsignmentItem/TransportCharges"},
    {"CC007C", "TransitOperation/incidentFlag"},
    {"CC007C", "Consignment/Incident"},
};

std::vector<CcTable> Phase6(const std::vector<CcTable>& phase5) {
  std::vector<CcTable> t = phase5;
  for (CcTable& six : t) {
    six.faza = 6;
    for (const Difference& d : kPhase6)
      if (six.cc == QLatin1String(d.cc)) Without(six.body, QString::fromLatin1(d.path));
  }
  return t;
}

const std::map<int, std::vector<CcTable>>& Tables() {
  static const std::map<int, std::vector<CcTable>> tables = [] {
    std::map<int, std::vector<CcTable>> m;
    m[5] = Phase5();
    m[6] = Phase6(m[5]);
    return m;
  }();
  return tables;
}

}  // namespace

const xml::CcTable* FindCcTable(int faza, const QString& cc_or_ie) {
  const auto it = Tables().find(faza);
  if (it == Tables().end()) return nullptr;
  for (const CcTable& t : it->second)
    if (t.cc == cc_or_ie) return &t;
  // By the phase-4 type: the first table that writes it (answers never share an outgoing type).
  for (const CcTable& t : it->second)
    if (t.ie == cc_or_ie) return &t;
  return nullptr;
}

}  // namespace velmora::exchange
