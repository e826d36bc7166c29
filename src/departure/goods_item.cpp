#include "goods_item.h"

#include "contractor_party.h"
#include "goods_subrecords.h"

#include "frame/text_formats.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/base/rounding.h"
#include "host/ui/taric.h"
#include "host/db/users.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"

#include <QRegularExpression>

namespace velmora::departure {

namespace {

using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

const QString kCAL = QStringLiteral("CAL");
const QString kPln = QStringLiteral("PLN");

QString ZapamietanaWalutaWartosci;
QString ZapamietanyGRNTowaru;

const xml::GroupDesc& Opis(ListaTowaru l) {
  switch (l) {
    case ListaTowaru::Opakowania: return xml::kOpakowanie;
    case ListaTowaru::DokumentyWymagane: return xml::kDokumentWymagany;
    case ListaTowaru::DokumentyPoprzednie: return xml::kIE015_DokumentPoprzedni;
    case ListaTowaru::InformacjeDodatkowe: return xml::kIE015_InformacjaDodatkowa;
    case ListaTowaru::TowaryWrazliwe: return xml::kTowarWrazliwy;
  }
  return xml::kOpakowanie;
}

// An empty value leaves no attribute behind.
void Ustaw(Group g, const char* pole, const QString& wartosc) {
  if (wartosc.isEmpty()) g.Remove(S(pole));
  else g.Set(S(pole), wartosc);
}

// A one-line field: pasted line breaks and tabs become blanks.
QString JednaLinia(const QString& text) {
  QString t = text;
  for (QChar& c : t)
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
  return t.trimmed();
}

// A number as typed, with a decimal comma or point.
std::optional<double> Liczba(const QString& text) {
  QString t = text.trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok) return std::nullopt;
  return v;
}

std::optional<int> Calkowita(const QString& text) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return v;
}

QString Masa(const QString& text) {
  if (text.trimmed().isEmpty()) return {};
  return frame::GetMasa(host::RoundTo(Liczba(text).value_or(0.0), 3));
}

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

// A package's counts as the item keeps them: the number of packages when 0 or more, the
// pieces when more than 0.
void UstawLiczbyOpakowania(Group cel, const QString& liczba, const QString& sztuki) {
  const std::optional<int> l = Calkowita(liczba);
  const std::optional<int> s = Calkowita(sztuki);
  if (l && *l >= 0) cel.Set(S("LiczbaOpakowan"), QString::number(*l));
  else cel.Remove(S("LiczbaOpakowan"));
  if (s && *s > 0) cel.Set(S("IloscSztuk"), QString::number(*s));
  else cel.Remove(S("IloscSztuk"));
}

// The "CAL" entries of an item replaced by one holding the guarantee data, numbered last.
void ZapiszCAL(Group towar, const QString& grn, const QString& waluta, double kwota) {
  for (const Group& i : towar.List(xml::kIE015_InformacjaDodatkowa))
    if (i.Get(S("Kod")) == kCAL) xml::XML_RemoveNode(i.Node());
  Przenumeruj(towar.List(xml::kIE015_InformacjaDodatkowa));
  Group i = towar.Add(xml::kIE015_InformacjaDodatkowa);
  i.Set(S("PozId"), QString::number(towar.Count(xml::kIE015_InformacjaDodatkowa)));
  i.Set(S("Kod"), kCAL);
  i.Set(S("Tekst"), host::TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(grn, waluta, kwota));
}

// Equal entries are not copied twice onto one item.
bool Rowne(ListaTowaru l, const Group& a, const Group& b) {
  auto eq = [&](const char* pole) { return a.Get(S(pole)) == b.Get(S(pole)); };
  switch (l) {
    case ListaTowaru::Opakowania: return eq("Rodzaj") && eq("Znaki");
    case ListaTowaru::DokumentyWymagane:
    case ListaTowaru::DokumentyPoprzednie: return eq("Kod") && eq("Nr");
    case ListaTowaru::InformacjeDodatkowe: return eq("Kod") && Flaga(a.Get(S("WywozZUE"))) == Flaga(b.Get(S("WywozZUE"))) && eq("KrajWywozu");
    case ListaTowaru::TowaryWrazliwe: return false;
  }
  return false;
}

bool PustaGrupa(const Group& g) { return g.Node().Attributes().empty() && g.Node().Children().empty(); }

}  // namespace

const QString kInfoTowaryWrazliwe = QStringLiteral(
    "Dotyczy wyłącznie WPT.\rInformację należy podać gdy kod towarowy dotyczy\rtowaru wrażliwego, jak również \"potencjalnie "
    "wrażliwego\"\r(gdy towar faktycznie jest wrażliwy) [słownik 47]");
const QString kInfoKontenery = QStringLiteral(
    "Numery kontenerów należy podawać w osobnych liniach.\rNumery dłuższe niż 17 znaków zostaną obcięte.\rDozwolone znaki to: "
    "A-Z,0-9 (inne znaki są usuwane).");
const QString kLimitDokumentowPoprzednich = QStringLiteral(
    "Zgodnie ze specyfikacją PUESC na jednej pozycji towarowej \r\nznajdować się może maksymalnie 9 dokumentów poprzednich");

QString TowarIE015::ZapamietanaWaluta() { return ZapamietanaWalutaWartosci; }
QString TowarIE015::ZapamietanyGRN() { return ZapamietanyGRNTowaru; }
void TowarIE015::ZapomnijZapamietane() {
  ZapamietanaWalutaWartosci.clear();
  ZapamietanyGRNTowaru.clear();
}

TowarIE015::TowarIE015(host::HostContext& ctx, xml::Message& deklaracja, int poz_id)
    : ctx_(ctx), deklaracja_(deklaracja), poz_id_(poz_id) {}

bool TowarIE015::ZabezpieczenieZablokowane() const { return FTowarXBox_Tir && !ctx_.user.UserInfo().isAdmin(); }

Group TowarIE015::Pozycja() const {
  const std::vector<Group> towary = deklaracja_.Root().List(xml::kIE015_Towar);
  return poz_id_ >= 1 && poz_id_ <= static_cast<int>(towary.size()) ? towary[poz_id_ - 1] : Group();
}

Group TowarIE015::Naglowek(const xml::GroupDesc& desc) const { return deklaracja_.Root().Get(desc); }

Group TowarIE015::GrupaStrony(StronaTowaru s, bool utworz) {
  if (s == StronaTowaru::Nadawca || s == StronaTowaru::Odbiorca) {
    const xml::GroupDesc& d = s == StronaTowaru::Nadawca ? xml::kIE015_Nadawca : xml::kIE015_Odbiorca;
    return utworz ? robocza_.Ensure(d) : robocza_.Get(d);
  }
  Group b = utworz ? robocza_.Ensure(xml::kIE015_TowarBezpieczenstwo) : robocza_.Get(xml::kIE015_TowarBezpieczenstwo);
  const xml::GroupDesc& d = s == StronaTowaru::NadawcaB ? xml::kIE015_Nadawca : xml::kIE015_Odbiorca;
  return utworz ? b.Ensure(d) : b.Get(d);
}

void TowarIE015::Load() {
  const Group item = Pozycja();
  if (item.IsNull()) throw xml::BindingError(S("Brak pozycji towarowej %1").arg(poz_id_));
  const xml::XmlDocumentPtr doc = xml::XmlDocument::Create(S("Towar"));
  robocza_ = Group(doc, doc->DocumentElement(), &xml::kIE015_Towar);
  xml::CopyGroup(item, robocza_);
  // A count that cannot be read loads as empty.
  for (Group o : robocza_.List(xml::kOpakowanie))
    for (const char* a : {"LiczbaOpakowan", "IloscSztuk"})
      if (o.Has(S(a)) && !Calkowita(o.Get(S(a)))) o.Remove(S(a));

  pola = PolaTowaru{};
  const Group w = robocza_;
  const Group zgloszenie = Naglowek(xml::kIE015_Zgloszenie);
  pola.p1c = w.Get(S("Deklaracja"));
  pola.nadawca = w.Get(xml::kIE015_Nadawca).Get(S("Nazwa"));
  pola.odbiorca = w.Get(xml::kIE015_Odbiorca).Get(S("Nazwa"));
  pola.kraj_wysylki = zgloszenie.Get(S("KrajWysylki")).trimmed().isEmpty() ? w.Get(S("KrajWysylki")) : QString();
  pola.kraj_przeznaczenia = zgloszenie.Get(S("KrajPrzeznaczenia")).trimmed().isEmpty() ? w.Get(S("KrajPrzeznaczenia")) : QString();
  pola.opis = w.Get(S("OpisTowaru"));
  pola.cn8 = w.Get(S("KodTowarowy"));
  pola.masa_netto = w.Get(S("MasaNetto"));
  pola.masa_brutto = w.Get(S("MasaBrutto"));

  pola.nr_linii_zam = w.Get(S("NrLiniiZam"));
  const Group z = w.Get(xml::kIE015_DaneKrajowe).Get(xml::kIE015_Zabezpieczenie);
  pola.clo = z.Get(S("StawkaCla"));
  pola.clo_dodatkowe = z.Get(S("StawkaClaDodatkowego"));
  if (pola.clo_dodatkowe.isEmpty()) pola.clo_dodatkowe = S("0");
  pola.vat = z.Get(S("StawkaVAT"));
  pola.wartosc = z.Get(S("Wartosc"));
  pola.wartosc_waluta = z.Get(S("WalutaWartosci"));
  pola.gwarancja = z.Get(S("GRN"));
  // Even an empty GRN: an item without one is not charged to the previous item's guarantee.
  ZapamietanyGRNTowaru = pola.gwarancja.left(30);
  if (pola.wartosc_waluta.isEmpty()) pola.wartosc_waluta = ZapamietanaWalutaWartosci;

  const Group bezp = w.Get(xml::kIE015_TowarBezpieczenstwo);
  pola.forma_platnosci = bezp.Get(S("FormaPlatnosci"));
  pola.nr_ref_przesylki = bezp.Get(S("NrReferencyjnyPrzesylki"));
  pola.kod_un = bezp.Get(S("KodUN"));
  pola.nadawca_b = NazwaLubTin(bezp.Get(xml::kIE015_Nadawca));
  pola.odbiorca_b = NazwaLubTin(bezp.Get(xml::kIE015_Odbiorca));

  QStringList kontenery;
  for (const Group& k : w.List(xml::kKontener)) kontenery << k.Get(S("Numer"));
  pola.kontenery = kontenery.join(QLatin1Char('\n'));

  wczytany_cal_.clear();
  std::vector<Group> cal;
  for (const Group& i : w.List(xml::kIE015_InformacjaDodatkowa))
    if (i.Get(S("Kod")) == kCAL) cal.push_back(i);
  if (cal.size() == 1) {
    if (const auto info = host::TZabezpieczenieCALBox::StringNaZabezpieczenieInfo(cal.front().Get(S("Tekst")))) {
      pola.gwarancja = info->grn;
      pola.waluta = info->waluta;
      pola.kwota = QString::number(info->kwota, 'f', 2);
      wczytany_cal_ = host::TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(info->grn, info->waluta, info->kwota);
      ZapamietanyGRNTowaru = pola.gwarancja.left(30);
    }
  }
}

QString TowarIE015::NazwaLubTin(const Group& strona) {
  const QString nazwa = strona.Get(S("Nazwa"));
  return nazwa.isEmpty() ? strona.Get(S("TIN")) : nazwa;
}

bool TowarIE015::Save(QString* fokus) {
  const QString grn = JednaLinia(pola.gwarancja);
  const QString waluta = JednaLinia(pola.waluta).toUpper();
  const double kwota = Liczba(pola.kwota).value_or(0.0);
  if (!grn.isEmpty() && (kwota <= 0 || waluta.isEmpty())) {
    if (ctx_.dialogs.PytanieNieTak(S("Nie podano kwoty lub waluty zabezpieczenia. \r\rCzy na pewno zapisać dane ?")) != host::kIdYes) {
      if (fokus) *fokus = waluta.isEmpty() ? S("beWaluta") : S("beKwota");
      return false;
    }
  }
  Group item = Pozycja();
  if (item.IsNull()) return false;
  Group w = robocza_;
  Ustaw(w, "Deklaracja", JednaLinia(pola.p1c).toUpper());
  Ustaw(w, "KrajWysylki", JednaLinia(pola.kraj_wysylki).toUpper());
  Ustaw(w, "KrajPrzeznaczenia", JednaLinia(pola.kraj_przeznaczenia).toUpper());
  Ustaw(w, "OpisTowaru", QString(pola.opis).replace(QLatin1Char('\t'), QLatin1Char(' ')).trimmed());
  Ustaw(w, "KodTowarowy", JednaLinia(pola.cn8).left(8));
  Ustaw(w, "MasaNetto", Masa(pola.masa_netto));
  Ustaw(w, "MasaBrutto", Masa(pola.masa_brutto));
  Ustaw(w, "NrLiniiZam", pola.nr_linii_zam);

  Group z = ElementZabezpieczenia(w);
  Ustaw(z, "StawkaCla", JednaLinia(pola.clo));
  Ustaw(z, "StawkaClaDodatkowego", JednaLinia(pola.clo_dodatkowe));
  Ustaw(z, "StawkaVAT", JednaLinia(pola.vat));
  Ustaw(z, "Wartosc", JednaLinia(pola.wartosc));
  Ustaw(z, "WalutaWartosci", JednaLinia(pola.wartosc_waluta).toUpper());
  Ustaw(z, "GRN", grn);
  if (PustaGrupa(z)) xml::XML_RemoveNode(w.Get(xml::kIE015_DaneKrajowe).Node());
  ZapamietanaWalutaWartosci = JednaLinia(pola.wartosc_waluta).toUpper().left(30);
  ZapamietanyGRNTowaru = grn.left(30);

  for (ListaTowaru l : {ListaTowaru::Opakowania, ListaTowaru::DokumentyWymagane, ListaTowaru::DokumentyPoprzednie,
                        ListaTowaru::InformacjeDodatkowe, ListaTowaru::TowaryWrazliwe})
    Przenumeruj(w.List(Opis(l)));
  for (const Group& o : w.List(xml::kOpakowanie)) UstawLiczbyOpakowania(o, o.Get(S("LiczbaOpakowan")), o.Get(S("IloscSztuk")));

  for (const Group& k : w.List(xml::kKontener)) xml::XML_RemoveNode(k.Node());
  static const QRegularExpression kInneZnaki(QStringLiteral("[^A-Z0-9]"));
  for (QString linia : pola.kontenery.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts)) {
    linia = linia.toUpper().remove(kInneZnaki);
    if (linia.isEmpty()) continue;
    Group k = w.Add(xml::kKontener);
    k.Set(S("PozId"), QString::number(w.Count(xml::kKontener)));
    k.Set(S("Numer"), linia.left(17));
  }

  if (!grn.isEmpty()) {
    ZapiszCAL(w, grn, waluta, kwota);
  } else if (!wczytany_cal_.isEmpty()) {
    for (const Group& i : w.List(xml::kIE015_InformacjaDodatkowa))
      if (i.Get(S("Kod")) == kCAL && i.Get(S("Tekst")) == wczytany_cal_) xml::XML_RemoveNode(i.Node());
    Przenumeruj(w.List(xml::kIE015_InformacjaDodatkowa));
  }

  Group bezp = w.Ensure(xml::kIE015_TowarBezpieczenstwo);
  Ustaw(bezp, "FormaPlatnosci", JednaLinia(pola.forma_platnosci).toUpper());
  Ustaw(bezp, "NrReferencyjnyPrzesylki", JednaLinia(pola.nr_ref_przesylki));
  Ustaw(bezp, "KodUN", JednaLinia(pola.kod_un));
  if (PustaGrupa(bezp)) xml::XML_RemoveNode(bezp.Node());

  // The item takes the working copy whole.
  for (const auto& [name, value] : item.Node().Attributes()) item.Node().RemoveAttribute(name);
  for (const xml::XmlNode& c : item.Node().Children()) xml::XML_RemoveNode(c);
  xml::CopyGroup(w, item);
  wczytany_cal_ = grn.isEmpty() ? QString() : host::TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(grn, waluta, kwota);
  return true;
}

std::vector<Group> TowarIE015::Wiersze(ListaTowaru l) const { return robocza_.List(Opis(l)); }

Group TowarIE015::Dodaj(ListaTowaru l) {
  if (l == ListaTowaru::DokumentyPoprzednie && robocza_.Count(Opis(l)) >= 9) {
    ctx_.dialogs.Informacja(kLimitDokumentowPoprzednich);
    return {};
  }
  Group g = robocza_.Add(Opis(l));
  g.Set(S("PozId"), QString::number(robocza_.Count(Opis(l))));
  return g;
}

void TowarIE015::Cofnij(ListaTowaru l, const Group& wiersz) {
  if (wiersz.IsNull()) return;
  xml::XML_RemoveNode(wiersz.Node());
  Przenumeruj(robocza_.List(Opis(l)));
}

bool TowarIE015::Usun(ListaTowaru l, int indeks) {
  const std::vector<Group> wiersze = Wiersze(l);
  if (indeks < 0 || indeks >= static_cast<int>(wiersze.size())) return false;
  static const char* const kPytania[] = {"Usunać pozycję z listy opakowań ?", "Usunać pozycję z listy dokumentów wymaganych ?",
                                         "Usunąć pozycję z listy dokumentów poprzednich ?",
                                         "Usunąć pozycję z listy informacji dodatkowych ?", "Usunać pozycję z towarów wrażliwych ?"};
  if (ctx_.dialogs.PytanieNieTak(S(kPytania[static_cast<int>(l)])) != host::kIdYes) return false;
  xml::XML_RemoveNode(wiersze[indeks].Node());
  Przenumeruj(Wiersze(l));
  return true;
}

std::optional<int> TowarIE015::Kopiuj(ListaTowaru l, int indeks) {
  if (l == ListaTowaru::TowaryWrazliwe) return std::nullopt;
  const std::vector<Group> wiersze = Wiersze(l);
  if (indeks < 0 || indeks >= static_cast<int>(wiersze.size())) return std::nullopt;
  if (ctx_.dialogs.PytanieNieTak(S("Skopiować dokument na wszystkie pozycje towarowe ?")) != host::kIdYes) return std::nullopt;
  const Group zrodlo = wiersze[indeks];
  const xml::GroupDesc& desc = Opis(l);
  int skopiowano = 0;
  int numer = 0;
  for (Group towar : deklaracja_.Root().List(xml::kIE015_Towar)) {
    const QString poz = QString::number(++numer);
    // This item's own list is its table: Save writes it.
    if (numer == poz_id_) continue;
    const std::vector<Group> lista = towar.List(desc);
    bool jest = false;
    for (const Group& g : lista) jest = jest || Rowne(l, g, zrodlo);
    if (jest) continue;
    if (l == ListaTowaru::DokumentyPoprzednie && lista.size() >= 9) {
      ctx_.dialogs.Informacja(kLimitDokumentowPoprzednich + S("\r\nNie można skopiować dokumentu na pozycje towarową numer ") + poz);
      continue;
    }
    Group kopia = towar.Add(desc);
    xml::CopyGroup(zrodlo, kopia);
    kopia.Set(S("PozId"), QString::number(lista.size() + 1));
    if (l == ListaTowaru::Opakowania) UstawLiczbyOpakowania(kopia, zrodlo.Get(S("LiczbaOpakowan")), zrodlo.Get(S("IloscSztuk")));
    ++skopiowano;
  }
  return skopiowano;
}

QString TowarIE015::OdmowaStrony(StronaTowaru s) const {
  if (s == StronaTowaru::Nadawca && !Naglowek(xml::kIE015_Nadawca).Get(S("Nazwa")).trimmed().isEmpty())
    return S("Na pozycji towarowej nie podaje się \"Nadawcy\"\rjeśli jest on już podany dla całego zgłoszenia.");
  if (s == StronaTowaru::Odbiorca && !Naglowek(xml::kIE015_Odbiorca).Get(S("Nazwa")).trimmed().isEmpty())
    return S("RW74:\rNa pozycji towarowej nie podaje się \"Odbiorcy\"\rjeśli jest on już podany dla całego zgłoszenia.");
  return {};
}

QString TowarIE015::WybierzStrone(StronaTowaru s, const host::Row& k) {
  if (s == StronaTowaru::NadawcaB || s == StronaTowaru::OdbiorcaB) {
    const QString pokazany = WypelnijPodmiot(GrupaStrony(s, true), k, AdresStrony::Naglowek, TinStrony::Bezpieczenstwa).pokazany;
    (s == StronaTowaru::NadawcaB ? pola.nadawca_b : pola.odbiorca_b) = pokazany;
    return pokazany;
  }
  const PodmiotZKontrahenta p = WypelnijPodmiot(GrupaStrony(s, true), k, AdresStrony::Towar, TinStrony::Handlowa);
  if (s == StronaTowaru::Nadawca) {
    pola.nadawca = p.pokazany;
    pola.kraj_wysylki = p.kraj;
    DodajAEO(S("Y022"), p.nr_aeo);
  } else {
    pola.odbiorca = p.pokazany;
    pola.kraj_przeznaczenia = p.kraj;
    DodajAEO(S("Y023"), p.nr_aeo);
  }
  return p.pokazany;
}

void TowarIE015::WyczyscStrone(StronaTowaru s) {
  if (Group g = GrupaStrony(s, false)) xml::XML_RemoveNode(g.Node());
  switch (s) {
    case StronaTowaru::Nadawca:
      pola.nadawca.clear();
      pola.kraj_wysylki.clear();
      UsunAEO(S("Y022"));
      break;
    case StronaTowaru::Odbiorca:
      pola.odbiorca.clear();
      pola.kraj_przeznaczenia.clear();
      UsunAEO(S("Y023"));
      break;
    case StronaTowaru::NadawcaB: pola.nadawca_b.clear(); break;
    case StronaTowaru::OdbiorcaB: pola.odbiorca_b.clear(); break;
  }
}

void TowarIE015::DodajAEO(const QString& kod, const QString& numer) { departure::DodajAEO(robocza_, kod, numer); }
void TowarIE015::UsunAEO(const QString& kod) { departure::UsunAEO(robocza_, kod); }

void TowarIE015::UstawCN(const QString& kod) {
  pola.cn8 = JednaLinia(kod).left(8);
  if (pola.cn8.isEmpty()) return;
  if (const auto stawki = host::TStawkiBox::MaxCloVat(ctx_.db, pola.cn8)) {
    pola.clo = QString::number(stawki->clo);
    pola.vat = QString::number(stawki->vat);
  }
}

WynikZabezpieczenia TowarIE015::Oblicz() {
  WejscieZabezpieczenia we;
  we.stawka_cla = pola.clo;
  we.stawka_cla_dodatkowego = pola.clo_dodatkowe;
  we.stawka_vat = pola.vat;
  we.wartosc = pola.wartosc;
  we.waluta_wartosci = pola.wartosc_waluta;
  we.tir = FTowarXBox_Tir;
  we.automatycznie = pola.oblicz;
  we.grn = pola.gwarancja.trimmed().isEmpty() ? ZapamietanyGRNTowaru : pola.gwarancja.trimmed();
  const Group z = ElementZabezpieczenia(robocza_);
  const WynikZabezpieczenia w = ObliczZabezp(ctx_, z, we);
  if (w.kwota_wpisana) {
    pola.kwota = z.Get(S("Kwota"));
    pola.waluta = z.Get(S("Waluta"));
    pola.gwarancja = z.Get(S("GRN"));
  }
  return w;
}

bool TowarIE015::WalutaKwotyOpuszczona() {
  if (pola.waluta.trimmed().isEmpty()) return true;
  return UstawKursWalutyKwoty(ctx_, ElementZabezpieczenia(robocza_), pola.waluta);
}

QString TowarIE015::Obliczenia() const {
  return PokazObliczenia(robocza_.Get(xml::kIE015_DaneKrajowe).Get(xml::kIE015_Zabezpieczenie), FTowarXBox_Tir);
}

std::vector<BladPola> TowarIE015::Sprawdz() const {
  std::vector<BladPola> bledy;
  if (pola.opis.trimmed().isEmpty()) bledy.push_back({S("meOpis"), S("Pole jest wymagane")});
  if (const QString b = host::SprawdzKodTowarowy(pola.cn8.trimmed()); !b.isEmpty()) bledy.push_back({S("beCN8"), b});
  for (const auto& [pole, wartosc] : {std::pair{"ceMasaBrutto", &pola.masa_brutto}, std::pair{"ceMasaNetto", &pola.masa_netto}}) {
    if (wartosc->trimmed().isEmpty()) continue;
    const std::optional<double> m = Liczba(*wartosc);
    if (!m || *m < 0) bledy.push_back({S(pole), S("Masa musi być liczbą nieujemną (3 miejsca po przecinku)")});
  }
  for (const auto& [pole, wartosc] : {std::pair{"beKwota", &pola.kwota}, std::pair{"beWartosc", &pola.wartosc},
                                      std::pair{"beClo", &pola.clo}, std::pair{"beClo2", &pola.clo_dodatkowe},
                                      std::pair{"beVAT", &pola.vat}}) {
    if (wartosc->trimmed().isEmpty()) continue;
    const std::optional<double> v = Liczba(*wartosc);
    if (!v || *v < 0) bledy.push_back({S(pole), S("Wartość musi być liczbą nieujemną")});
  }
  return bledy;
}

std::vector<BladPola> SprawdzTowary(const xml::Message& deklaracja) {
  std::vector<BladPola> bledy;
  for (const Group& t : deklaracja.Root().List(xml::kIE015_Towar)) {
    const QString poz = S("Pozycja towarowa ") + t.Get(S("PozId")).trimmed();
    if (t.Get(S("OpisTowaru")).trimmed().isEmpty()) bledy.push_back({poz + S(", opis towaru"), S("Pole jest wymagane")});
    for (const Group& o : t.List(xml::kOpakowanie))
      for (const BladPola& b : SprawdzOpakowanie({o.Get(S("Rodzaj")), o.Get(S("Znaki")), o.Get(S("LiczbaOpakowan")), o.Get(S("IloscSztuk"))}))
        bledy.push_back({poz + S(", opakowanie ") + o.Get(S("PozId")).trimmed(), b.tekst});
    if (t.Count(xml::kIE015_DokumentPoprzedni) > 9)
      bledy.push_back({poz, QString(kLimitDokumentowPoprzednich).replace(S(" \r\n"), S(" "))});
  }
  return bledy;
}

int ZastosujZabezpieczenie(host::HostContext& ctx, xml::Message& deklaracja, const QString& grn) {
  const Group root = deklaracja.Root();
  const bool tir = root.Get(xml::kIE015_Rodzaj).Get(S("Deklaracja")).trimmed() == QLatin1String("TIR");
  if (tir) return 0;
  const KursyWalut kursy = KursyNaDzisZPamiecia(ctx);
  int zapisane = 0;
  for (Group towar : root.List(xml::kIE015_Towar)) {
    Group z = ElementZabezpieczenia(towar);
    WejscieZabezpieczenia we = WejscieZabezpieczenia::ZElementu(z);
    we.grn = grn.trimmed().isEmpty() ? z.Get(S("GRN")) : grn.trimmed();
    const WynikZabezpieczenia w = ObliczZabezp(kursy, z, we);
    if (!w.kwota_wpisana || we.grn.isEmpty()) continue;
    ZapiszCAL(towar, we.grn, kPln, static_cast<double>(w.razem));
    ++zapisane;
  }
  return zapisane;
}

}  // namespace velmora::departure
