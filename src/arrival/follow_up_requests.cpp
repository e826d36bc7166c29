#include "follow_up_requests.h"

#include "frame/codes.h"
#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"
#include "frame/transit_store.h"

#include <QDate>

namespace velmora::arrival {

namespace {

using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

// Which source value fills which value of a new request. For each request value the rows are
// read in order and the first source that holds a value wins; a "*" row takes every attribute
// of the request's group from the source element's attribute of the same name.
const std::vector<Przeniesienie> kPrzeniesienia = {
    // request  request group                       value           source   source element                       source value
    {"IE014",   "Naglowek",                         "MRN",          "IE028", "Naglowek",                          "MRN"},
    {"IE141",   "Naglowek",                         "MRN",          "IE140", "Naglowek",                          "MRN"},
    {"IE054",   "Naglowek",                         "MRN",          "IE051", "Naglowek",                          "MRN"},
    {"IE014",   "UCZgloszenia",                     "Kod",          "IE028", "Przyjecie",                         "UCZgloszenia"},
    {"IE014",   "UCZgloszenia",                     "Kod",          "IE015", "UC",                                "Wyjscia"},
    {"IE054",   "UCZgloszenia",                     "Kod",          "IE051", "OdmowaZwolnienia",                  "UCZgloszenia"},
    {"IE054",   "UCZgloszenia",                     "Kod",          "IE015", "UC",                                "Wyjscia"},
    {"IE141",   "UC",                               "Poszukiwania", "IE140", "Poszukiwanie",                      "UCPoszukiwania"},
    {"IE141",   "UC",                               "Okazania",     "IE015", "UC",                                "Przeznaczenia"},
    {"IE014",   "GlownyZobowiazany",                "*",            "IE028", "GlownyZobowiazany",                 "*"},
    {"IE141",   "GlownyZobowiazany",                "*",            "IE140", "GlownyZobowiazany",                 "*"},
    {"IE054",   "GlownyZobowiazany",                "*",            "IE051", "GlownyZobowiazany",                 "*"},
    {"*",       "GlownyZobowiazany",                "*",            "IE015", "GlownyZobowiazany",                 "*"},
    {"*",       "GlownyZobowiazany/Przedstawiciel", "TIN",          "IE015", "GlownyZobowiazany/Przedstawiciel",  "TIN"},
    {"IE141",   "Odbiorca",                         "*",            "IE015", "Odbiorca",                          "*"},
};

bool JestFlaga(const QString& v) { return v.trimmed() == QLatin1String("1") || v.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }
QString Flaga(bool v) { return v ? S("1") : S("0"); }


QDate Data(const QString& tekst) { return QDate::fromString(tekst.trimmed(), Qt::ISODate); }

// The source element at `path` (local names from the root); null when any step is missing.
xml::XmlNode Element(const xml::Message& m, const char* path) {
  xml::XmlNode n = m.Document()->DocumentElement();
  for (const QString& krok : S(path).split(QLatin1Char('/'))) {
    if (!n) break;
    n = n.ChildByLocalName(krok);
  }
  return n;
}

const xml::FieldDesc* Podgrupa(const xml::GroupDesc& desc, const QString& nazwa) {
  const xml::FieldDesc* f = desc.Find(nazwa);
  return f && f->kind == xml::FieldKind::Group ? f : nullptr;
}

// The request's group at `path`, created when `utworz`; null when the description has no such group.
Group Grupa(Group g, const char* path, bool utworz) {
  for (const QString& krok : S(path).split(QLatin1Char('/'))) {
    const xml::FieldDesc* f = Podgrupa(*g.Desc(), krok);
    if (!f) return {};
    const Group next = g.Get(*f->group);
    if (!next && !utworz) return Group(g.Document(), xml::XmlNode(), f->group);
    g = next ? next : g.Add(*f->group);
  }
  return g;
}

void Przenies(const Przeniesienie& p, const xml::Message& zrodlo, Group root) {
  const xml::XmlNode element = Element(zrodlo, p.element);
  if (!element) return;
  const Group cel = Grupa(root, p.grupa, false);
  if (!cel.Desc()) return;
  std::vector<std::pair<const xml::FieldDesc*, QString>> wartosci;
  for (const xml::FieldDesc& f : cel.Desc()->fields) {
    if (f.kind != xml::FieldKind::Attribute) continue;
    const bool wszystkie = qstrcmp(p.pole, "*") == 0;
    if (!wszystkie && f.name != S(p.pole)) continue;
    if (!cel.Get(f.name).isEmpty()) continue;  // an earlier source gave it
    QString v = element.Attribute(wszystkie ? f.name : S(p.atrybut)).trimmed();
    if (f.type == xml::ValueType::Text && f.length > 0) v = v.left(f.length);
    if (!v.isEmpty()) wartosci.emplace_back(&f, v);
  }
  if (wartosci.empty()) return;
  Group g = Grupa(root, p.grupa, true);
  for (const auto& [f, v] : wartosci) g.Set(f->name, v);
}

}  // namespace

const std::vector<Przeniesienie>& Przeniesienia() { return kPrzeniesienia; }

PolaPodmiotu OdbiorcaZKontrahenta(const host::Row& k) {
  auto kol = [&k](const char* c, int n) { return k.Str(S(c)).trimmed().left(n); };
  const QString tir = k.Str(S("TIRholder")).trimmed();
  const bool posiadacz_tir = !tir.isEmpty() && tir != QLatin1String("0");
  PolaPodmiotu p;
  if (!posiadacz_tir) p.tin = kol("EORI", 17);
  if (p.tin.isEmpty()) p.tin = kol("NIP", 17);
  // No number: the street alone, without a trailing space.
  QStringList ulica{k.Str(S("Ulica")).trimmed(), k.Str(S("Nr_Dom")).trimmed()};
  ulica.removeAll(QString());
  p.ulica = ulica.join(QLatin1Char(' ')).left(35);
  p.miejscowosc = kol("Miejscowosc", 35);
  p.kod_pocztowy = kol("Kod", 9);
  p.kraj = kol("Kraj", 2);
  p.nazwa = kol("Nazwa", 35);
  return p;
}

// --- common ---------------------------------------------------------------------------------

WniosekNastepczy::WniosekNastepczy(host::HostContext& ctx, QString typ, QString odpowiedz)
    : ctx_(ctx), doc_(xml::NewMessage(typ)), typ_(std::move(typ)), odpowiedz_(std::move(odpowiedz)) {}

void WniosekNastepczy::BeforeActivate(const QVariantMap& wiersz) {
  const qint64 id = wiersz.value(S("ID_TRANZYTY_POZYCJE")).toLongLong();
  tranzyt_id_ = wiersz.value(S("TRANZYTY_ID")).toLongLong();
  tylko_do_odczytu_ = false;
  QString tekst;
  // The list hands a stored row over as "changed": the status that counts is the stored one.
  frame::TransitStore store(ctx_.db);
  if (const auto r = id > 0 ? store.Komunikat(id) : std::nullopt) {
    tranzyt_id_ = r->Int64(S("TRANZYTY_ID"));
    tylko_do_odczytu_ = r->Int(S("STATUS")) >= frame::kStatusWyslany;
    tekst = store.Xml(id);
  }
  SetXML(tekst);
}

void WniosekNastepczy::SetXML(const QString& text) {
  brak_zrodla_.clear();
  bool wczytany = false;
  try {
    doc_ = xml::GetMessage(xml::LoadXMLData(frame::NaprawXML(text)), typ_);
    wczytany = true;
  } catch (const std::exception&) {
  }
  if (!wczytany) NowyDokument();
  CzytajWspolne();
  CzytajPola();
}

std::optional<xml::Message> WniosekNastepczy::Zrodlo(const QString& typ, const std::optional<QString>& nr_wlasny) {
  const auto r = frame::TransitStore(ctx_.db).OstatniTypu(tranzyt_id_, typ, nr_wlasny);
  if (!r) {
    brak_zrodla_ = S("Brak komunikatu ") + typ + S(" dla wybranego tranzytu");
  } else {
    try {
      return xml::GetMessage(xml::LoadXMLData(frame::NaprawXML(r->Str(S("XML")))), typ);
    } catch (const xml::XmlParseError& e) {
      brak_zrodla_ = e.Message();
    } catch (const xml::BindingError& e) {
      brak_zrodla_ = e.Text();
    }
  }
  ctx_.dialogs.Blad(brak_zrodla_);
  return std::nullopt;
}

void WniosekNastepczy::NowyDokument() {
  doc_ = xml::NewMessage(typ_);
  const std::optional<xml::Message> odpowiedz = Zrodlo(odpowiedz_);
  if (!odpowiedz) return;
  // The cancellation concerns the declaration the acceptance answered, not the latest one.
  std::optional<QString> nr;
  if (typ_ == frame::typ::IE014) nr = odpowiedz->GetNaglowek().NrWlasnyKomunikatuPowiazanego().trimmed();
  const std::optional<xml::Message> deklaracja = Zrodlo(frame::typ::IE015, nr);
  if (!deklaracja) return;

  xml::Naglowek h = frame::NaglowekNowego(doc_);
  for (const Przeniesienie& p : kPrzeniesienia) {
    if (qstrcmp(p.wniosek, "*") != 0 && typ_ != S(p.wniosek)) continue;
    Przenies(p, S(p.zrodlo) == frame::typ::IE015 ? *deklaracja : *odpowiedz, doc_.Root());
  }
  UzupelnijNowy();
}

void WniosekNastepczy::CzytajWspolne() {
  const xml::Naglowek h = doc_.GetNaglowek();
  naglowek = {h.NrWlasny(), h.DataUtworzenia(), h.MRN()};
  const Group gz = doc_.Root().Get(xml::kGlownyZobowiazany);
  zobowiazany = {CzytajPodmiot(gz), JestFlaga(gz.Get(S("TIR"))), gz.Get(xml::kPrzedstawiciel).Get(S("TIN"))};
}

void WniosekNastepczy::ZapiszNaglowek() {
  xml::Naglowek h = doc_.EnsureNaglowek();
  h.SetNrWlasny(naglowek.nr_wlasny);
  h.SetDataUtworzenia(naglowek.data_utworzenia);
  h.SetMRN(naglowek.mrn.trimmed());
}

QString WniosekNastepczy::Tekst() const {
  QString text = doc_.Xml();
  while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}

host::FieldErrors WniosekNastepczy::Sprawdz() const {
  host::FieldErrors out;
  if (!brak_zrodla_.isEmpty()) out.push_back({S("beNrMRN"), brak_zrodla_});
  return out;
}

// --- IE014 ----------------------------------------------------------------------------------

WniosekIE014::WniosekIE014(host::HostContext& ctx) : WniosekNastepczy(ctx, frame::typ::IE014, frame::typ::IE028) {}

void WniosekIE014::UzupelnijNowy() {
  doc_.Root().Ensure(xml::kIE014_Wniosek).Set(S("Data"), frame::GetDateAsString(ctx_.clock.Today()));
}

void WniosekIE014::CzytajPola() {
  const Group w = doc_.Root().Get(xml::kIE014_Wniosek);
  powod = w.Get(S("Powod"));
  data_wniosku = w.Get(S("Data"));
  uc_zgloszenia = doc_.Root().Get(xml::kUCZgloszenia).Get(S("Kod"));
}

void WniosekIE014::UstawUC(const host::Row& uc) { uc_zgloszenia = uc.Str(S("Kod")).trimmed(); }

QString WniosekIE014::GetXML() {
  ZapiszNaglowek();
  Group root = doc_.Root();
  Group w = root.Ensure(xml::kIE014_Wniosek);
  const QDate data = Data(data_wniosku);
  w.SetOrRemove(S("Data"), data.isValid() ? frame::GetDateAsString(data) : QString());
  w.Set(S("Powod"), powod.trimmed().left(350));
  root.Ensure(xml::kUCZgloszenia).Set(S("Kod"), uc_zgloszenia.trimmed());
  return Tekst();
}

host::FieldErrors WniosekIE014::Sprawdz() const {
  host::FieldErrors out = WniosekNastepczy::Sprawdz();
  const QString wymagane = S("Pole jest wymagane");
  if (powod.trimmed().isEmpty()) out.push_back({S("mePowod"), wymagane});
  if (data_wniosku.trimmed().isEmpty()) out.push_back({S("deDataWniosku"), wymagane});
  else if (!Data(data_wniosku).isValid()) out.push_back({S("deDataWniosku"), S("Niepoprawna data")});
  const QString uc = uc_zgloszenia.trimmed();
  if (uc.isEmpty()) out.push_back({S("beUCZglosz"), wymagane});
  else if (!uc.startsWith(QLatin1String("PL"))) out.push_back({S("beUCZglosz"), S("UC zgłoszenia musi zaczynać się od \"PL\"")});
  return out;
}

// --- IE141 ----------------------------------------------------------------------------------

OdpowiedzIE141::OdpowiedzIE141(host::HostContext& ctx) : WniosekNastepczy(ctx, frame::typ::IE141, frame::typ::IE140) {}

void OdpowiedzIE141::UzupelnijNowy() {
  Group p = doc_.Root().Ensure(xml::kIE141_Poszukiwanie);
  p.Set(S("DostarczonoTC11"), S("0"));
  p.Set(S("FormaPapierowa"), S("0"));
}

void OdpowiedzIE141::CzytajPola() {
  const Group root = doc_.Root();
  const Group p = root.Get(xml::kIE141_Poszukiwanie);
  tc11 = JestFlaga(p.Get(S("DostarczonoTC11")));
  data_tc11 = p.Get(S("DataDostarczeniaTC11"));
  forma_papierowa = JestFlaga(p.Get(S("FormaPapierowa")));
  informacja = p.Get(S("Informacja"));
  odbiorca = CzytajPodmiot(root.Get(xml::kIE141_Odbiorca));
  const Group uc = root.Get(xml::kIE141_UC);
  uc_okazania = uc.Get(S("Okazania"));
  uc_poszukiwania = uc.Get(S("Poszukiwania"));
}

void OdpowiedzIE141::UstawOdbiorce(const host::Row& kontrahent) {
  odbiorca = OdbiorcaZKontrahenta(kontrahent);
  ZapiszPodmiot(doc_.Root().Ensure(xml::kIE141_Odbiorca), odbiorca);
}

QString OdpowiedzIE141::GetXML() {
  Group p = doc_.Root().Ensure(xml::kIE141_Poszukiwanie);
  p.Set(S("DostarczonoTC11"), Flaga(tc11));
  const QDate data = Data(data_tc11);
  p.SetOrRemove(S("DataDostarczeniaTC11"), data.isValid() ? frame::GetDateAsString(data) : QString());
  p.Set(S("FormaPapierowa"), Flaga(forma_papierowa));
  p.SetOrRemove(S("Informacja"), informacja.trimmed().left(140));
  return Tekst();
}

host::FieldErrors OdpowiedzIE141::Sprawdz() const {
  host::FieldErrors out = WniosekNastepczy::Sprawdz();
  if (!data_tc11.trimmed().isEmpty() && !Data(data_tc11).isValid()) out.push_back({S("deDataDostarczeniaTC11"), S("Niepoprawna data")});
  return out;
}

// --- IE054 ----------------------------------------------------------------------------------

WniosekIE054::WniosekIE054(host::HostContext& ctx) : WniosekNastepczy(ctx, frame::typ::IE054, frame::typ::IE051) {}

void WniosekIE054::UzupelnijNowy() {
  Group w = doc_.Root().Ensure(xml::kIE054_Wniosek);
  w.Set(S("BrakSprzeciwu"), S("0"));
  w.Set(S("Data"), frame::GetDateAsString(ctx_.clock.Today()));
}

void WniosekIE054::CzytajPola() {
  const Group w = doc_.Root().Get(xml::kIE054_Wniosek);
  brak_sprzeciwu = JestFlaga(w.Get(S("BrakSprzeciwu")));
  data_wniosku = w.Get(S("Data"));
  uc_zgloszenia = doc_.Root().Get(xml::kUCZgloszenia).Get(S("Kod"));
}

QString WniosekIE054::GetXML() {
  xml::Message m = xml::NewIE054();
  xml::Naglowek h = m.EnsureNaglowek();
  h.SetNrWlasny(naglowek.nr_wlasny);
  h.SetDataUtworzenia(naglowek.data_utworzenia);
  h.SetMRN(naglowek.mrn.trimmed());
  Group root = m.Root();
  Group w = root.Add(xml::kIE054_Wniosek);
  w.Set(S("BrakSprzeciwu"), Flaga(brak_sprzeciwu));
  // The creation date is "<AUTO>" until sending: the request carries the date it was made.
  const QDate data = Data(data_wniosku);
  if (data.isValid()) w.Set(S("Data"), frame::GetDateAsString(data));
  if (const QString uc = uc_zgloszenia.trimmed(); !uc.isEmpty()) root.Add(xml::kUCZgloszenia).Set(S("Kod"), uc);
  const PolaPodmiotu& z = zobowiazany.podmiot;
  const std::pair<const char*, QString> podmiot[] = {{"TIN", z.tin.trimmed()},
                                                     {"Nazwa", z.nazwa.trimmed()},
                                                     {"UlicaNumer", z.ulica.trimmed()},
                                                     {"KodPocztowy", z.kod_pocztowy.trimmed()},
                                                     {"Miejscowosc", z.miejscowosc.trimmed()},
                                                     {"Kraj", z.kraj.trimmed()}};
  const QString przedstawiciel = zobowiazany.przedstawiciel_tin.trimmed();
  bool jest = !przedstawiciel.isEmpty();
  for (const auto& [pole, wartosc] : podmiot) jest = jest || !wartosc.isEmpty();
  if (jest) {
    Group gz = root.Add(xml::kGlownyZobowiazany);
    gz.Set(S("TIR"), Flaga(zobowiazany.tir));
    for (const auto& [pole, wartosc] : podmiot) gz.SetOrRemove(QString::fromLatin1(pole), wartosc);
    if (!przedstawiciel.isEmpty()) gz.Add(xml::kPrzedstawiciel).Set(S("TIN"), przedstawiciel);
  }
  doc_ = m;
  return Tekst();
}

}  // namespace velmora::arrival
