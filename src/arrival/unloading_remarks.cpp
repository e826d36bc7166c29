#include "unloading_remarks.h"

#include "frame/codes.h"
#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/dziesietna.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"
#include "reference/xml_slownik.h"
#include "frame/transit_store.h"

#include <QRegularExpression>
#include <QSet>

namespace velmora::arrival {

namespace {

using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }


void UsunWszystkie(const std::vector<Group>& lista) {
  for (const Group& g : lista) xml::XML_RemoveNode(g.Node());
}

void Przenumeruj(const std::vector<Group>& lista) {
  int n = 0;
  for (Group g : lista) g.Set(S("PozId"), QString::number(++n));
}

std::optional<int> Calkowita(const QString& t) {
  bool ok = false;
  const int v = t.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return v;
}

// A mass as the documents keep it; empty when it is not a number.
QString Masa(const QString& t) {
  bool ok = false;
  const host::Dziesietna d = host::Dziesietna::Z(t, &ok);
  if (!ok || t.trimmed().isEmpty()) return {};
  return frame::GetMasa(d.Surowa() / static_cast<double>(host::Dziesietna::kSkala));
}

bool MaWynik(const Group& towar, const char* kod) {
  for (const Group& w : towar.List(xml::kIE044_WynikiKontroli))
    if (w.Get(S("Kod")) == QLatin1String(kod)) return true;
  return false;
}

void DodajWynik(Group towar, const char* kod, const QString& wskaznik = {}, const QString& wartosc = {}) {
  Group w = towar.Add(xml::kIE044_WynikiKontroli);
  w.Set(S("PozId"), QString::number(towar.Count(xml::kIE044_WynikiKontroli)));
  w.Set(S("Kod"), S(kod));
  w.SetOrRemove(S("Wskaznik"), wskaznik);
  w.SetOrRemove(S("Wartosc"), wartosc);
}

// The four lists an IE044 item takes over; package counts that do not read stay behind.
void KopiujListy(const Group& z, Group na) {
  for (const Group& t : z.List(xml::kTowarWrazliwy)) {
    Group n = na.Add(xml::kTowarWrazliwy);
    for (const char* a : {"PozId", "Kod", "Ilosc"}) n.SetOrRemove(QString::fromLatin1(a), t.Get(S(a)));
  }
  for (const Group& o : z.List(xml::kOpakowanie)) {
    Group n = na.Add(xml::kOpakowanie);
    for (const char* a : {"PozId", "Rodzaj", "Znaki"}) n.SetOrRemove(QString::fromLatin1(a), o.Get(S(a)));
    for (const char* a : {"LiczbaOpakowan", "IloscSztuk"})
      if (Calkowita(o.Get(S(a)))) n.Set(S(a), o.Get(S(a)).trimmed());
  }
  for (const Group& k : z.List(xml::kKontener)) {
    Group n = na.Add(xml::kKontener);
    for (const char* a : {"PozId", "Numer"}) n.SetOrRemove(QString::fromLatin1(a), k.Get(S(a)));
  }
  for (const Group& d : z.List(xml::kDokumentWymagany)) {
    Group n = na.Add(xml::kDokumentWymagany);
    for (const char* a : {"PozId", "Kod", "Nr", "Uwagi"}) n.SetOrRemove(QString::fromLatin1(a), d.Get(S(a)));
  }
}

void KopiujWartosci(const Group& z, Group na) {
  for (const char* a : {"OpisTowaru", "KodTowarowy", "MasaBrutto", "MasaNetto"}) na.SetOrRemove(QString::fromLatin1(a), z.Get(S(a)));
}

QStringList Linie(const QString& text) {
  QStringList out;
  for (const QString& l : text.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts))
    if (!l.trimmed().isEmpty()) out << l.trimmed();
  return out;
}

// The stored text of the transit's newest message of a type, repaired; empty when none.
QString Najnowszy(host::HostContext& ctx, qint64 tranzyt, const char* typ) {
  const auto wiersz = frame::TransitStore(ctx.db).OstatniTypu(tranzyt, S(typ));
  const QString tekst = wiersz ? wiersz->Str(S("XML")) : QString();
  return tekst.isEmpty() ? tekst : frame::NaprawXML(tekst);
}

std::optional<xml::Message> Wczytaj(const QString& text, const char* typ) {
  try {
    return xml::GetMessage(xml::LoadXMLData(text), S(typ));
  } catch (const std::exception&) {
  }
  try {
    return xml::GetMessage(xml::XmlDocument::ParseBytes(text.toUtf8()), S(typ));
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace

const QStringList kStronyTIR = {S("02"), S("04"), S("06"), S("08"), S("10"), S("12"), S("14"), S("16"), S("18"), S("20")};
const QStringList kRozladunkiTIR = {S("D1"), S("D2"), S("D3")};

QString OpisTypu(int typ) {
  switch (typ) {
    case 1: return S("rozbieżność");
    case 2: return S("brak pozycji");
    case 3: return S("nowa pozycja");
    case 5: return S("rozbieżność + uwagi");
    case 6: return S("uwagi rozładunkowe");
    case 7: return S("nowa pozycja + uwagi");
    default: return S("stan nieokreślony");
  }
}

int AnalizujTypTowaru(const Group& towar) {
  const std::vector<Group> wyniki = towar.List(xml::kIE044_WynikiKontroli);
  if (wyniki.empty()) return 2;
  int typ = 0;
  for (const Group& w : wyniki) {
    const QString k = w.Get(S("Kod"));
    if (k == QLatin1String("DI")) typ = typ == 0 ? 1 : 5;
    else if (k == QLatin1String("NE")) typ = typ == 0 ? 3 : 7;
    else if (k == QLatin1String("OT")) typ = typ == 0 ? 6 : typ == 1 ? 5 : typ == 3 ? 7 : typ;
  }
  return typ;
}

// --- the editor -----------------------------------------------------------------------------

UwagiRozladunkoweIE044::UwagiRozladunkoweIE044(host::HostContext& ctx) : ctx_(ctx), doc_(xml::NewIE044()) {}

bool UwagiRozladunkoweIE044::SetXML(const QVariantMap& w, const QString& text) {
  const qint64 tranzyt = w.contains(S("ID_TRANZYTY")) ? w.value(S("ID_TRANZYTY")).toLongLong() : w.value(S("TRANZYTY_ID")).toLongLong();
  tylko_do_odczytu_ = w.value(S("STATUS")).toInt() >= 2;
  pola = PolaUwag{};
  if (const auto t = ctx_.db.QueryOne(S("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{S("ID"), tranzyt}})) {
    pola.gwarancja.numer = t->Str(S("GWARANCJA_NUMER")).trimmed();
    pola.gwarancja.kwota = QString::number(qRound64(t->Float(S("GWARANCJA_KWOTA"))));
    pola.gwarancja.id = t->Int64(S("GWARANCJA_ID"));
  }
  // The received seals keep the shared types' prefix; read here as the permission's own.
  QString t43 = Najnowszy(ctx_, tranzyt, "IE043");
  t43.replace(S("<typy:Zamkniecie"), S("<Zamkniecie")).replace(S("</typy:Zamkniecie"), S("</Zamkniecie"));
  const auto ie043 = t43.isEmpty() ? std::nullopt : Wczytaj(t43, "IE043");
  if (!ie043) {
    ctx_.dialogs.Blad(S("Brak komunikatu IE043 dla wybranego tranzytu"));
    return false;
  }
  const QString t07 = Najnowszy(ctx_, tranzyt, "IE007");
  const auto ie007 = t07.isEmpty() ? std::nullopt : Wczytaj(t07, "IE007");
  if (!ie007) {
    ctx_.dialogs.Blad(S("Brak komunikatu IE007 dla wybranego tranzytu"));
    return false;
  }
  ie043_ = *ie043;
  ie007_ = *ie007;
  if (const auto d = Wczytaj(frame::NaprawXML(text), "IE044")) doc_ = *d;
  else NowyDokument();

  const Group root = doc_.Root();
  const xml::Naglowek h = doc_.GetNaglowek();
  pola.nr_wlasny = h.NrWlasny();
  pola.data_utworzenia = h.DataUtworzenia();
  pola.mrn = h.MRN();
  const Group tr = ie043_.Root().Get(xml::kIE043_Tranzyt);
  auto liczba = [](const QString& v) { return Calkowita(v) ? QString::number(*Calkowita(v)) : QString(); };
  pola.liczba_pozycji_43 = liczba(tr.Get(S("LiczbaPozycji")));
  pola.liczba_opakowan_43 = liczba(tr.Get(S("LiczbaOpakowan")));
  pola.masa_brutto_43 = Masa(tr.Get(S("MasaBrutto")));
  tir_ = tr.Get(S("Deklaracja")).trimmed() == QLatin1String("TIR");
  const Group sumy = root.Get(xml::kIE044_UwagiDoRozladunku);
  pola.liczba_pozycji = sumy.Get(S("LiczbaPozycji"));
  pola.liczba_opakowan = sumy.Get(S("LiczbaOpakowan"));
  pola.masa_brutto = sumy.Get(S("MasaBrutto"));
  for (const Group& wk : root.List(xml::kIE044_WynikiKontroli)) {
    if (wk.Get(S("Kod")) != QLatin1String("DI")) continue;
    const QString wskaznik = wk.Get(S("Wskaznik"));
    if (wskaznik == QLatin1String("5")) pola.liczba_pozycji = wk.Get(S("Wartosc"));
    if (wskaznik == QLatin1String("6")) pola.liczba_opakowan = wk.Get(S("Wartosc"));
    if (wskaznik == QLatin1String("35")) pola.masa_brutto = wk.Get(S("Wartosc"));
  }
  const Group u = root.Get(xml::kIE044_UwagiRozladunkowe);
  pola.zakonczony = Flaga(u.Get(S("Zakonczony")));
  pola.data_rozladunku = QDate::fromString(u.Get(S("Data")).left(10), Qt::ISODate);
  if (!pola.data_rozladunku.isValid()) pola.data_rozladunku = ctx_.clock.Today();
  pola.tir_strona = u.Get(S("StronaTIR"));
  pola.tir_rozladunek = u.Get(S("RozladunekTIR"));
  const QString stan = u.Get(S("StanZamkniec"));
  pola.stan_zamkniec = stan.isEmpty() ? -1 : Flaga(stan) ? 1 : 0;
  const Group zc = u.Get(xml::kIE044_ZamknieciaCelne);
  QStringList znaki;
  for (const Group& z : zc.List(xml::kZamkniecie)) znaki << z.Get(S("Znak"));
  pola.zamkniecia = znaki.join(QLatin1Char('\n'));
  if (!znaki.isEmpty()) pola.ilosc = zc.Get(S("Liczba"));
  pola.uwagi = u.Get(S("Uwagi"));
  pola.sa_uwagi = !Flaga(u.Get(S("Zgodnosc")));
  const Group o = root.Get(xml::kIE044_Odbiorca);
  pola.odbiorca = CzytajPodmiot(o);
  pola.przedstawiciel = o.Get(xml::kPrzedstawiciel).Get(S("TIN"));
  const Group trans = root.Get(xml::kIE044_Transport);
  pola.st = trans.Get(S("Znaki"));
  pola.st_kraj = trans.Get(S("Kraj"));
  ZmienZgodnosc(pola.sa_uwagi);
  WczytajTowary();
  return true;
}

void UwagiRozladunkoweIE044::NowyDokument() {
  doc_ = xml::NewIE044();
  xml::Naglowek h = frame::NaglowekNowego(doc_);
  const Group z = ie043_.Root();
  Group root = doc_.Root();
  if (const QString mrn = z.Get(xml::kIE043_Naglowek).Get(S("MRN")); !mrn.isEmpty()) h.SetMRN(mrn);
  if (const QString uc = z.Get(xml::kIE043_Rozladunek).Get(S("UCPrzeznaczenia")); !uc.isEmpty())
    root.Ensure(xml::kIE044_UCPrzedstawienia).Set(S("Kod"), uc);
  const Group tr = z.Get(xml::kIE043_Tranzyt);
  Group sumy = root.Ensure(xml::kIE044_UwagiDoRozladunku);
  for (const char* a : {"LiczbaPozycji", "LiczbaOpakowan"})
    if (Calkowita(tr.Get(S(a)))) sumy.Set(S(a), tr.Get(S(a)).trimmed());
  if (const QString m = Masa(tr.Get(S("MasaBrutto"))); !m.isEmpty()) sumy.Set(S("MasaBrutto"), m);
  Group u = root.Ensure(xml::kIE044_UwagiRozladunkowe);
  u.Set(S("Zgodnosc"), S("1"));
  const Group zc = z.Get(xml::kIE043_ZamknieciaCelne);
  if (zc) {
    Group nowe = u.Ensure(xml::kIE044_ZamknieciaCelne);
    if (Calkowita(zc.Get(S("Liczba")))) nowe.Set(S("Liczba"), zc.Get(S("Liczba")).trimmed());
    for (const Group& s : zc.List(xml::kZamkniecie)) nowe.Add(xml::kZamkniecie).Set(S("Znak"), s.Get(S("Znak")));
  }
  Group o = root.Ensure(xml::kIE044_Odbiorca);
  ZapiszPodmiot(o, CzytajPodmiot(z.Get(xml::kIE043_UpowaznionyOdbiorca)));
  const QString przedstawiciel = ie007_.Root().Get(xml::kIE007_Odbiorca).Get(xml::kPrzedstawiciel).Get(S("TIN"));
  if (!przedstawiciel.isEmpty()) o.Ensure(xml::kPrzedstawiciel).Set(S("TIN"), przedstawiciel);
  const Group t = z.Get(xml::kIE043_Transport);
  if (t) {
    Group nt = root.Ensure(xml::kIE044_Transport);
    nt.SetOrRemove(S("Znaki"), t.Get(S("Znaki")));
    nt.SetOrRemove(S("Kraj"), t.Get(S("Kraj")));
  }
}

void UwagiRozladunkoweIE044::ZmienZgodnosc(bool sa_uwagi) {
  pola.sa_uwagi = sa_uwagi;
  if (sa_uwagi) return;
  pola.liczba_pozycji = pola.liczba_pozycji_43;
  pola.liczba_opakowan = pola.liczba_opakowan_43;
  pola.masa_brutto = pola.masa_brutto_43;
  const Group t = ie043_.Root().Get(xml::kIE043_Transport);
  pola.st = t.Get(S("Znaki"));
  pola.st_kraj = t.Get(S("Kraj"));
  UsunWszystkie(doc_.Root().List(xml::kIE044_WynikiKontroli));
  UsunWszystkie(doc_.Root().List(xml::kIE044_Towar));
  towary_.clear();
}

void UwagiRozladunkoweIE044::WczytajTowary() {
  towary_.clear();
  for (const Group& t : doc_.Root().List(xml::kIE044_Towar)) {
    if (MaWynik(t, "OR")) continue;
    towary_.push_back({static_cast<int>(towary_.size()) + 1, t.Get(S("PozId")).toInt(), AnalizujTypTowaru(t), t.Get(S("KodTowarowy")),
                       t.Get(S("OpisTowaru"))});
  }
}

Group UwagiRozladunkoweIE044::NowyTowar(int nr, const char* kod_wyniku, const QString& wartosc) {
  Group t = doc_.Root().Add(xml::kIE044_Towar);
  t.Set(S("PozId"), QString::number(nr));
  DodajWynik(t, kod_wyniku, {}, wartosc);
  return t;
}

Group UwagiRozladunkoweIE044::KopiujTowar_IE043(int nr) {
  Group nowy;
  for (const Group& z : ie043_.Root().List(xml::kIE043_Towar)) {
    if (Calkowita(z.Get(S("PozId"))) != nr) continue;
    nowy = doc_.Root().Add(xml::kIE044_Towar);
    nowy.Set(S("PozId"), QString::number(nr));
    KopiujWartosci(z, nowy);
    KopiujListy(z, nowy);
  }
  return nowy;
}

Group UwagiRozladunkoweIE044::DuplikujTowar(const Group& towar) {
  Group nowy = doc_.Root().Add(xml::kIE044_Towar);
  nowy.Set(S("PozId"), towar.Get(S("PozId")));
  KopiujWartosci(towar, nowy);
  KopiujListy(towar, nowy);
  return nowy;
}

UwagiRozladunkoweIE044::Dodane UwagiRozladunkoweIE044::DodajTowar(int rodzaj, int nr_ie043, int max_ie043, const QString& uwagi) {
  Dodane d;
  if (rodzaj == kRozbieznosc || rodzaj == kUwagiRozladunkowe) {
    Group oryginal = KopiujTowar_IE043(nr_ie043);
    if (!oryginal) return d;
    DodajWynik(oryginal, "OR");
    Group kopia = DuplikujTowar(oryginal);
    if (rodzaj == kRozbieznosc) {
      DodajWynik(kopia, "DI");
      d.do_edycji = kopia;
    } else {
      DodajWynik(kopia, "OT", {}, uwagi.left(140));
    }
    d.dodane = {oryginal, kopia};
    d.typ = AnalizujTypTowaru(kopia);
  } else if (rodzaj == kBrakPozycji) {
    d.dodane = {NowyTowar(nr_ie043, "DI")};
    d.typ = AnalizujTypTowaru(d.dodane.front());
  } else if (rodzaj == kNowaPozycja) {
    int max = max_ie043;
    for (const Group& t : doc_.Root().List(xml::kIE044_Towar)) max = std::max(max, Calkowita(t.Get(S("PozId"))).value_or(0));
    d.do_edycji = NowyTowar(max + 1, "NE");
    d.dodane = {d.do_edycji};
    d.typ = 3;
  }
  WczytajTowary();
  return d;
}

void UwagiRozladunkoweIE044::Cofnij(const Dodane& d) {
  for (const Group& g : d.dodane)
    if (g) xml::XML_RemoveNode(g.Node());
  WczytajTowary();
}

Group UwagiRozladunkoweIE044::ZwrocTowar(int nr) {
  for (const Group& t : doc_.Root().List(xml::kIE044_Towar))
    if (Calkowita(t.Get(S("PozId"))) == nr && !MaWynik(t, "OR")) return t;
  return {};
}

Group UwagiRozladunkoweIE044::EdytujTowar(int wiersz) {
  if (wiersz < 0 || wiersz >= static_cast<int>(towary_.size())) return {};
  if (towary_[wiersz].typ == 2) {
    ctx_.dialogs.Informacja(S("Tej pozycji nie można edytować"));
    return {};
  }
  return ZwrocTowar(towary_[wiersz].nr_poz);
}

bool UwagiRozladunkoweIE044::UsunTowar(int wiersz) {
  if (wiersz < 0 || wiersz >= static_cast<int>(towary_.size())) return false;
  if (ctx_.dialogs.PytanieNieTak(S("Czy usunąć pozycję towarową ?")) != host::kIdYes) return false;
  const int nr = towary_[wiersz].nr_poz;
  for (const Group& t : doc_.Root().List(xml::kIE044_Towar))
    if (Calkowita(t.Get(S("PozId"))) == nr) xml::XML_RemoveNode(t.Node());
  WczytajTowary();
  return true;
}

QString UwagiRozladunkoweIE044::GetXML() {
  Group root = doc_.Root();
  xml::Naglowek h = doc_.EnsureNaglowek();
  h.SetOrRemove(S("MRN"), pola.mrn.trimmed());
  h.SetNrWlasny(pola.nr_wlasny);
  h.SetDataUtworzenia(pola.data_utworzenia);
  Group sumy = root.Ensure(xml::kIE044_UwagiDoRozladunku);
  sumy.SetOrRemove(S("LiczbaPozycji"), pola.liczba_pozycji_43.trimmed());
  sumy.SetOrRemove(S("LiczbaOpakowan"), pola.liczba_opakowan_43.trimmed());
  sumy.SetOrRemove(S("MasaBrutto"), Masa(pola.masa_brutto_43));

  Group u = root.Ensure(xml::kIE044_UwagiRozladunkowe);
  u.Set(S("Zakonczony"), pola.zakonczony ? S("1") : S("0"));
  u.Set(S("Data"), frame::GetDateAsString(pola.data_rozladunku.isValid() ? pola.data_rozladunku : ctx_.clock.Today()));
  u.SetOrRemove(S("StronaTIR"), pola.tir_strona.trimmed());
  u.SetOrRemove(S("RozladunekTIR"), pola.tir_rozladunek.trimmed());
  if (pola.stan_zamkniec >= 0) u.Set(S("StanZamkniec"), QString::number(pola.stan_zamkniec));
  else u.Remove(S("StanZamkniec"));
  if (Group zc = u.Get(xml::kIE044_ZamknieciaCelne)) xml::XML_RemoveNode(zc.Node());
  const QStringList znaki = Linie(pola.zamkniecia);
  if (!znaki.isEmpty()) {
    Group zc = u.Ensure(xml::kIE044_ZamknieciaCelne);
    int n = 0;
    for (const QString& z : znaki) {
      if (n++ == 9999) break;
      zc.Add(xml::kZamkniecie).Set(S("Znak"), z.left(20));
    }
    const int liczba = Calkowita(pola.ilosc).value_or(0);
    zc.Set(S("Liczba"), QString::number(liczba > 0 ? liczba : std::min(n, 9999)));
  }
  u.SetOrRemove(S("Uwagi"), pola.uwagi.trimmed().left(350));
  u.Set(S("Zgodnosc"), pola.sa_uwagi ? S("0") : S("1"));

  ZapiszOdbiorce(root.Ensure(xml::kIE044_Odbiorca), pola.odbiorca, pola.przedstawiciel);
  Group t = root.Ensure(xml::kIE044_Transport);
  t.SetOrRemove(S("Znaki"), pola.st.trimmed());
  t.SetOrRemove(S("Kraj"), pola.st_kraj.trimmed().toUpper());

  // The header's differences, in their order: items, packages, mass, transport.
  UsunWszystkie(root.List(xml::kIE044_WynikiKontroli));
  if (pola.sa_uwagi) {
    const Group t43 = ie043_.Root().Get(xml::kIE043_Transport);
    const std::tuple<const char*, QString, QString> roznice[] = {
        {"5", pola.liczba_pozycji.trimmed(), pola.liczba_pozycji_43.trimmed()},
        {"6", pola.liczba_opakowan.trimmed(), pola.liczba_opakowan_43.trimmed()},
        {"35", Masa(pola.masa_brutto), Masa(pola.masa_brutto_43)},
        {"18#1", pola.st.trimmed(), t43.Get(S("Znaki"))},
        {"18#2", pola.st_kraj.trimmed().toUpper(), t43.Get(S("Kraj"))}};
    for (const auto& [wskaznik, rzeczywista, dozwolona] : roznice)
      if (rzeczywista != dozwolona) DodajWynik(root, "DI", S(wskaznik), rzeczywista);
  }
  QString text = doc_.Xml();
  while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}

host::FieldErrors UwagiRozladunkoweIE044::Sprawdz() const {
  host::FieldErrors out;
  auto tir = [&](const char* pole, const QString& wartosc, const QStringList& dozwolone, const char* nazwa, const char* puste) {
    const QString v = wartosc.trimmed();
    if (tir_ && v.isEmpty()) out.push_back({S(pole), S("Pole \"%1\" powinno być wypełnione").arg(S(nazwa))});
    else if (tir_ && !dozwolone.join(QLatin1Char('\n')).contains(v))
      out.push_back({S(pole), S("Pole \"%1\" powinno mieć jedną z wartości: ").arg(S(nazwa)) + dozwolone.join(S(", "))});
    else if (!tir_ && !v.isEmpty()) out.push_back({S(pole), S(puste)});
  };
  tir("peTIRStrona", pola.tir_strona, kStronyTIR, "TIR strona", "Pole \"TIR strona\" powinno być puste");
  tir("peTIRRozladunek", pola.tir_rozladunek, kRozladunkiTIR, "TIR Rozładunek", "Pole \"TIR Rozładunek\" powinno być puste.");
  if (pola.stan_zamkniec < 0) out.push_back({S("peStanZamkniec"), S("Pole jest wymagane")});
  if (pola.sa_uwagi && pola.uwagi.trimmed().isEmpty()) out.push_back({S("meUwagi"), S("Pole jest wymagane")});
  const std::tuple<const char*, const QString*, int, int> liczby[] = {{"ceLiczbaPozycjiIE44", &pola.liczba_pozycji, 3, 0},
                                                                      {"ceLiczbaOpakowanIE44", &pola.liczba_opakowan, 7, 0},
                                                                      {"ceMasaBruttoIE44", &pola.masa_brutto, 11, 3},
                                                                      {"ceIlosc", &pola.ilosc, 4, 0}};
  for (const auto& [pole, wartosc, cyfry, miejsca] : liczby)
    if (!wartosc->trimmed().isEmpty())
      if (const QString b = reference::Test09Msg(*wartosc, cyfry + (miejsca > 0 ? 1 : 0), miejsca); !b.isEmpty()) out.push_back({S(pole), b});
  if (!pola.gwarancja.numer.trimmed().isEmpty() || host::Dziesietna::Z(pola.gwarancja.kwota).Surowa() <= 0) return out;
  out.push_back({S("beGwarancja"), S("Pole jest wymagane")});
  return out;
}

// --- the wizard -----------------------------------------------------------------------------

WynikKontroliIE044::WynikKontroliIE044(const xml::Message& ie043, const xml::Message& ie044) {
  QSet<int> uzyte;
  for (const Group& t : ie044.Root().List(xml::kIE044_Towar)) uzyte.insert(t.Get(S("PozId")).toInt());
  for (const Group& t : ie043.Root().List(xml::kIE043_Towar)) {
    const int nr = Calkowita(t.Get(S("PozId"))).value_or(0);
    if (nr <= 0) continue;
    wiersze_.push_back({false, uzyte.contains(nr), nr, t.Get(S("KodTowarowy")), t.Get(S("OpisTowaru"))});
    max_ = std::max(max_, nr);
  }
}

void WynikKontroliIE044::Przelacz(int w) {
  if (w < 0 || w >= static_cast<int>(wiersze_.size()) || wiersze_[w].uzyty) return;
  const bool zaznacz = !wiersze_[w].zaznaczony;
  for (Wiersz& r : wiersze_) r.zaznaczony = false;
  wiersze_[w].zaznaczony = zaznacz;
  wybrany_ = zaznacz ? wiersze_[w].poz_id : 0;
}

QString WynikKontroliIE044::EtykietaPozycji() const {
  const QString base = S("Wskaż pozycję towarową której dotyczy");
  if (rodzaj == kRozbieznosc) return base + S(" rozbieżność");
  if (rodzaj == kBrakPozycji) return base + S(" brak pozycji");
  if (rodzaj == kUwagiRozladunkowe) return base.chopped(1) + S("ą uwagi");
  return base;
}

int WynikKontroliIE044::Dalej(int strona, QString* informacja) const {
  auto zostan = [&](const char* tekst) {
    if (informacja) *informacja = S(tekst);
    return kZostan;
  };
  if (strona == 0) {
    if (rodzaj < 0) return zostan("Proszę podać rodzaj niezgodności");
    return rodzaj == kNowaPozycja ? kKoniec : 1;
  }
  if (strona == 1) {
    if (wybrany_ == 0) return zostan("Proszę wybrać pozycję towarową");
    return rodzaj == kUwagiRozladunkowe ? 2 : kKoniec;
  }
  if (uwagi.trimmed().isEmpty()) return zostan("Proszę wpisać uwagi rozładunkowe");
  return kKoniec;
}

// --- the goods item editor ------------------------------------------------------------------

TowarIE044::TowarIE044(Group towar, int typ) : towar_(std::move(towar)), typ_(typ) {}

void TowarIE044::WczytajDoKontrolek() {
  const xml::XmlDocumentPtr doc = xml::XmlDocument::Create(S("Towar"));
  robocza_ = Group(doc, doc->DocumentElement(), &xml::kIE044_Towar);
  xml::CopyGroup(towar_, robocza_);
  for (Group o : robocza_.List(xml::kOpakowanie))
    for (const char* a : {"LiczbaOpakowan", "IloscSztuk"})
      if (o.Has(S(a)) && !Calkowita(o.Get(S(a)))) o.Remove(S(a));
  opis = towar_.Get(S("OpisTowaru"));
  cn8 = towar_.Get(S("KodTowarowy"));
  masa_brutto = towar_.Get(S("MasaBrutto"));
  masa_netto = towar_.Get(S("MasaNetto"));
  uwagi.clear();
  QSet<QString> braki;
  for (const Group& w : towar_.List(xml::kIE044_WynikiKontroli)) {
    if (w.Get(S("Kod")) == QLatin1String("OT")) uwagi = w.Get(S("Wartosc"));
    if (w.Get(S("Kod")) == QLatin1String("NP")) braki.insert(w.Get(S("Wskaznik")));
  }
  brak.clear();
  for (const Group& d : robocza_.List(xml::kDokumentWymagany)) brak.push_back(braki.contains(S("44#") + d.Get(S("PozId"))));
  QStringList k;
  for (const Group& c : towar_.List(xml::kKontener)) k << c.Get(S("Numer"));
  kontenery = k.join(QLatin1Char('\n'));
}

static const xml::GroupDesc& OpisListy(TowarIE044::Lista l) {
  return l == TowarIE044::kOpakowania ? xml::kOpakowanie : l == TowarIE044::kTowaryWrazliwe ? xml::kTowarWrazliwy : xml::kDokumentWymagany;
}

std::vector<Group> TowarIE044::Wiersze(Lista l) const { return robocza_.List(OpisListy(l)); }

Group TowarIE044::Dodaj(Lista l) {
  Group g = robocza_.Add(OpisListy(l));
  g.Set(S("PozId"), QString::number(robocza_.Count(OpisListy(l))));
  if (l == kDokumenty) brak.push_back(false);
  return g;
}

void TowarIE044::Cofnij(Lista l, const Group& wiersz) {
  const std::vector<Group> lista = Wiersze(l);
  for (int i = 0; i < static_cast<int>(lista.size()); ++i)
    if (lista[i].Node() == wiersz.Node()) Usun(l, i);
}

void TowarIE044::Usun(Lista l, int wiersz) {
  const std::vector<Group> lista = Wiersze(l);
  if (wiersz < 0 || wiersz >= static_cast<int>(lista.size())) return;
  xml::XML_RemoveNode(lista[wiersz].Node());
  if (l == kDokumenty && wiersz < static_cast<int>(brak.size())) brak.erase(brak.begin() + wiersz);
  Przenumeruj(Wiersze(l));
}

void TowarIE044::PrzelaczBrak(int wiersz) {
  if (wiersz >= 0 && wiersz < static_cast<int>(brak.size())) brak[wiersz] = !brak[wiersz];
}

host::FieldErrors TowarIE044::Sprawdz() const {
  host::FieldErrors out;
  for (const auto& [pole, wartosc] : {std::pair{"ceMasaBrutto", &masa_brutto}, std::pair{"ceMasaNetto", &masa_netto}})
    if (!wartosc->trimmed().isEmpty() && !reference::Test09Msg(*wartosc, 12, 3).isEmpty())
      out.push_back({S(pole), S("Wartość musi być liczbą (11,3)")});
  return out;
}

void TowarIE044::ZapiszZKontrolek() {
  Group t = towar_;
  t.SetOrRemove(S("KodTowarowy"), cn8.trimmed());
  t.SetOrRemove(S("OpisTowaru"), opis.trimmed());
  t.SetOrRemove(S("MasaBrutto"), Masa(masa_brutto));
  t.SetOrRemove(S("MasaNetto"), Masa(masa_netto));
  for (const Group& w : t.List(xml::kIE044_WynikiKontroli)) {
    const QString k = w.Get(S("Kod"));
    if (k != QLatin1String("DI") && k != QLatin1String("NE")) xml::XML_RemoveNode(w.Node());
  }
  if (!uwagi.trimmed().isEmpty()) DodajWynik(t, "OT", {}, uwagi.trimmed().left(140));

  UsunWszystkie(t.List(xml::kKontener));
  static const QRegularExpression kInne(QStringLiteral("[^A-Z0-9]"));
  for (QString l : kontenery.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts)) {
    l = l.toUpper().remove(kInne);
    if (l.isEmpty()) continue;
    Group k = t.Add(xml::kKontener);
    k.Set(S("PozId"), QString::number(t.Count(xml::kKontener)));
    k.Set(S("Numer"), l.left(17));
  }

  UsunWszystkie(t.List(xml::kDokumentWymagany));
  const std::vector<Group> dokumenty = Wiersze(kDokumenty);
  for (int i = 0; i < static_cast<int>(dokumenty.size()); ++i) {
    Group d = t.Add(xml::kDokumentWymagany);
    d.Set(S("PozId"), QString::number(i + 1));
    for (const char* a : {"Kod", "Nr", "Uwagi"}) d.SetOrRemove(QString::fromLatin1(a), dokumenty[i].Get(S(a)).trimmed());
    if (i < static_cast<int>(brak.size()) && brak[i]) DodajWynik(t, "NP", S("44#%1").arg(i + 1));
  }
  Przenumeruj(t.List(xml::kIE044_WynikiKontroli));

  UsunWszystkie(t.List(xml::kOpakowanie));
  for (const Group& o : Wiersze(kOpakowania)) {
    Group n = t.Add(xml::kOpakowanie);
    n.Set(S("PozId"), QString::number(t.Count(xml::kOpakowanie)));
    n.SetOrRemove(S("Rodzaj"), o.Get(S("Rodzaj")).trimmed());
    n.SetOrRemove(S("Znaki"), o.Get(S("Znaki")).trimmed());
    for (const char* a : {"LiczbaOpakowan", "IloscSztuk"})
      if (Calkowita(o.Get(S(a))).value_or(0) > 0) n.Set(S(a), QString::number(*Calkowita(o.Get(S(a)))));
  }
  UsunWszystkie(t.List(xml::kTowarWrazliwy));
  for (const Group& w : Wiersze(kTowaryWrazliwe)) {
    Group n = t.Add(xml::kTowarWrazliwy);
    n.Set(S("PozId"), QString::number(t.Count(xml::kTowarWrazliwy)));
    n.SetOrRemove(S("Kod"), w.Get(S("Kod")).trimmed());
    n.SetOrRemove(S("Ilosc"), w.Get(S("Ilosc")).trimmed());
  }
}

}  // namespace velmora::arrival
