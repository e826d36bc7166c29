#include "declaration.h"

#include "contractor_party.h"
#include "declaration_guarantees.h"
#include "seals.h"

#include "frame/codes.h"
#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/base/host_context.h"
#include "host/xml/document_checks.h"
#include "host/xml/xml_document.h"
#include "frame/transit_store.h"

#include <QRegularExpression>

namespace velmora::departure {

namespace {

using xml::Group;

const QString kTIR = QStringLiteral("TIR");
const QString kZwykla = QStringLiteral("\"procedura zwykła\"");
const QString kUproszczona = QStringLiteral("\"procedura uproszczona");
const char* const kLokalizacje[] = {"KodMiejscaUznanego", "MiejsceUznane", "MiejsceOdprawy", "KodMiejscaWskazanegoWPozwoleniu"};

QString S(const char* s) { return QString::fromUtf8(s); }

QString Cut(const QString& text, int n) { return text.trimmed().left(n); }

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

void UsunWszystkie(const std::vector<Group>& lista) {
  for (const Group& g : lista) xml::XML_RemoveNode(g.Node());
}

const xml::GroupDesc& OpisStrony(Strona s) {
  switch (s) {
    case Strona::Nadawca: return xml::kIE015_Nadawca;
    case Strona::Odbiorca: return xml::kIE015_Odbiorca;
    case Strona::GlownyZobowiazany: return xml::kGlownyZobowiazany;
    case Strona::NadawcaB: return xml::kIE015_NadawcaTypy;
    case Strona::OdbiorcaB: return xml::kIE015_OdbiorcaTypy;
    case Strona::Przewoznik: return xml::kIE015_Przewoznik;
    case Strona::Przedstawiciel: return xml::kPrzedstawiciel;
    case Strona::UpowaznionyOdbiorca: return xml::kIE015_UpowaznionyOdbiorca;
  }
  return xml::kIE015_Nadawca;
}

QString KodAEO(Strona s) {
  switch (s) {
    case Strona::Nadawca: return S("Y022");
    case Strona::Odbiorca: return S("Y023");
    case Strona::GlownyZobowiazany: return S("Y026");
    case Strona::Przedstawiciel: return S("Y025");
    default: return {};
  }
}

bool StronaBezpieczenstwa(Strona s) { return s == Strona::NadawcaB || s == Strona::OdbiorcaB || s == Strona::Przewoznik; }

}  // namespace

DeklaracjaIE015::DeklaracjaIE015(host::HostContext& ctx) : ctx_(ctx), doc_(xml::NewIE015()) {}

void DeklaracjaIE015::Otworz(const QVariantMap& rekord, bool sprostowanie) {
  sprostowanie_ = sprostowanie;
  tylko_do_odczytu_ = rekord.value(S("STATUS")).toInt() >= 2;
  tranzyt_id_ = rekord.contains(S("TRANZYTY_ID")) ? rekord.value(S("TRANZYTY_ID")).toLongLong() : rekord.value(S("ID_TRANZYTY")).toLongLong();
  const bool nowy = rekord.value(S("ID_TRANZYTY_POZYCJE")).toLongLong() == 0;
  if (nowy) {
    tekst_ = frame::TransitStore(ctx_.db).NajnowszaDeklaracjaXml(tranzyt_id_);
  } else {
    tekst_ = rekord.value(S("XML")).toString().trimmed();
  }
  if (rejestr_id_ == 0 && tranzyt_id_ > 0)
    rejestr_id_ = ctx_.db.QueryValue(S("select REJESTRY_ID from TRANZYTY where ID_TRANZYTY = :T"), {{S("T"), tranzyt_id_}}).toInt();
  if (sprostowanie) pola.typ_modyfikacji = rekord.value(S("IE013_RODZAJ")).toInt();
}

QString DeklaracjaIE015::NazwaRejestru() const {
  return ctx_.db.QueryValue(S("select NAZWA from REJESTRY where ID_REJESTRY = :ID"), {{S("ID"), rejestr_id_}}).toString();
}

std::optional<host::Row> DeklaracjaIE015::WierszRejestru() const {
  return ctx_.db.QueryOne(S("select * from REJESTRY where ID_REJESTRY = :ID"), {{S("ID"), rejestr_id_}});
}

Group DeklaracjaIE015::Grupa(const xml::GroupDesc& desc) {
  Group root = doc_.Root();
  return root.Ensure(desc);
}

QString DeklaracjaIE015::SetXML(const QString& text, bool bez_tranzytu_wczytaj) {
  pola.karnet_tir.clear();
  QString blad;
  bool wczytano = false;
  if (!text.trimmed().isEmpty()) {
    try {
      doc_ = xml::GetIE015(xml::LoadXMLData(frame::NaprawXML(text)));
      wczytano = true;
    } catch (const xml::XmlParseError& e) {
      blad = QStringLiteral("%1 (wiersz %2)").arg(e.Message()).arg(e.Line());
    } catch (const xml::BindingError& e) {
      blad = e.Text();
    }
  }
  if (const auto t = ctx_.db.QueryOne(S("select TIR_NUMER, MRN, NADAWCA_ID, ODBIORCA_ID from TRANZYTY where ID_TRANZYTY = :ID"),
                                      {{S("ID"), tranzyt_id_}})) {
    pola.karnet_tir = t->Str(S("TIR_NUMER")).trimmed();
    mrn_ = t->Str(S("MRN")).trimmed();
    nadawca_id_ = t->Value(S("NADAWCA_ID"));
    odbiorca_id_ = t->Value(S("ODBIORCA_ID"));
  } else if (!bez_tranzytu_wczytaj) {
    wczytano = false;
  }
  if (!wczytano) NowyDokument();
  tekst_ = wczytano ? frame::NaprawXML(text) : doc_.Xml();
  CzytajPola();
  CzytajTowary();
  return blad;
}

void DeklaracjaIE015::NowyDokument() {
  doc_ = xml::NewIE015();
  frame::NaglowekNowego(doc_);
  Group root = doc_.Root();
  Group z = root.Add(xml::kIE015_Zgloszenie);
  Group rodzaj = root.Add(xml::kIE015_Rodzaj);
  Group uc = root.Add(xml::kIE015_UC);
  root.Add(xml::kIE015_Towar).Set(S("PozId"), S("1"));
  z.Set(S("LiczbaPozycji"), S("1"));
  z.Set(S("LiczbaOpakowan"), S("0"));
  z.Set(S("Kontener"), S("0"));
  const auto r = WierszRejestru();
  if (!r) return;
  auto str = [&r](const char* c) { return r->Str(S(c)).trimmed(); };
  const bool pu = r->Int(S("PU")) == 1;
  rodzaj.Set(S("ProceduraUproszczona"), pu ? S("1") : S("0"));
  if (pu) {
    Grupa(xml::kIE015_WynikKontroli).Set(S("Kod"), S("A3"));
    z.Set(S("KodMiejscaWskazanegoWPozwoleniu"), str("PU_MIEJSCE"));
    Group info = doc_.Root().List(xml::kIE015_Towar).front().Add(xml::kIE015_InformacjaDodatkowa);
    info.Set(S("PozId"), S("1"));
    info.Set(S("Kod"), S("2UP2"));
    if (!str("PU_NUMER").isEmpty()) info.Set(S("Tekst"), str("PU_NUMER"));
    info.Set(S("WywozZUE"), S("0"));
  } else if (const int typ = r->Int(S("IE015_MIEJSCE_TYP")); typ >= 1 && typ <= 3) {
    z.Set(S(kLokalizacje[typ - 1]), str("IE015_MIEJSCE_OPIS"));
  }
  if (r->Int(S("IE015_NADAWCA_ID")) > 0) {
    if (const auto k = ctx_.db.QueryOne(S("select * from KONTRAHENCI where ID_KONTRAHENCI = :ID"), {{S("ID"), r->Value(S("IE015_NADAWCA_ID"))}})) {
      nadawca_id_ = r->Value(S("IE015_NADAWCA_ID"));
      Group n = root.Add(xml::kIE015_Nadawca);
      n.Set(S("Nazwa"), Cut(k->Str(S("Nazwa")), 35));
      n.Set(S("UlicaNumer"), Cut(k->Str(S("Ulica")), 35));
      n.Set(S("Miejscowosc"), Cut(k->Str(S("Miejscowosc")), 35));
      n.Set(S("KodPocztowy"), Cut(k->Str(S("Kod")), 9));
      n.Set(S("Kraj"), Cut(k->Str(S("Kraj")), 2));
      const QString eori = k->Str(S("EORI")).trimmed();
      n.Set(S("TIN"), Cut(eori.isEmpty() ? k->Str(S("NIP")) : eori, 17));
    }
  }
  uc.Set(S("Wyjscia"), str("IE015_UC_ZGLOSZENIA"));
  z.Set(S("MiejsceZaladunku"), str("IE015_MIEJSCE_ZAL"));
  rodzaj.Set(S("Deklaracja"), str("IE015_TYP"));
  if (str("IE015_TYP") == kTIR) Grupa(xml::kGlownyZobowiazany).Set(S("TIR"), S("1"));
}

void DeklaracjaIE015::CzytajPola() {
  Group root = doc_.Root();
  const xml::Naglowek h = doc_.GetNaglowek();
  pola.nr_wlasny = h.NrWlasny();
  pola.data_utworzenia = h.DataUtworzenia();
  const Group rodzaj = root.Get(xml::kIE015_Rodzaj);
  pola.deklaracja = rodzaj.Get(S("Deklaracja"));
  pola.uproszczona = Flaga(rodzaj.Get(S("ProceduraUproszczona")));
  if (pola.karnet_tir.isEmpty()) pola.karnet_tir = rodzaj.Get(S("KarnetTIR"));
  const Group z = root.Get(xml::kIE015_Zgloszenie);
  pola.kraj_wysylki = z.Get(S("KrajWysylki"));
  pola.kraj_przeznaczenia = z.Get(S("KrajPrzeznaczenia"));
  pola.miejsce_zaladunku = z.Get(S("MiejsceZaladunku"));
  pola.lokalizacja = 0;
  pola.lokalizacja_opis.clear();
  for (int i = 0; i < 4; ++i)
    if (z.Has(S(kLokalizacje[i])) && !z.Get(S(kLokalizacje[i])).isEmpty()) {
      pola.lokalizacja = i + 1;
      pola.lokalizacja_opis = z.Get(S(kLokalizacje[i]));
    }
  pola.liczba_opakowan = z.Get(S("LiczbaOpakowan"));
  pola.masa_brutto = z.Get(S("MasaBrutto"));
  pola.data_przedstawienia = z.Get(S("DataPrzedstawienia"));
  const Group wk = root.Get(xml::kIE015_WynikKontroli);
  pola.wk_kod = wk.Get(S("Kod"));
  pola.termin_dostarczenia = wk.Get(S("TerminDostarczenia"));
  const Group uc = root.Get(xml::kIE015_UC);
  pola.uc_zgloszenia = uc.Get(S("Wyjscia"));
  pola.uc_przeznaczenia = uc.Get(S("Przeznaczenia"));
  const std::vector<Group> tranzytowe = uc.List(xml::kIE015_UCTranzytowy);
  pola.uc_tranzytowy = tranzytowe.empty() ? QString() : tranzytowe.front().Get(S("Kod"));
  pola.przedstawiciel = root.Get(xml::kGlownyZobowiazany).Get(xml::kPrzedstawiciel).Get(S("TIN"));
  pola.upowazniony_odbiorca = root.Get(xml::kIE015_UpowaznionyOdbiorca).Get(S("TIN"));
  const Group tw = root.Get(xml::kIE015_TransportWyjazd);
  pola.st = tw.Get(S("Znaki"));
  pola.st_rodz = tw.Get(S("Rodzaj"));
  pola.st_kraj = tw.Get(S("Kraj"));
  const Group tg = root.Get(xml::kIE015_TransportGranica);
  pola.stg = tg.Get(S("Znaki"));
  pola.stg_rodz = tg.Get(S("Rodzaj"));
  pola.stg_kraj = tg.Get(S("Kraj"));
  const Group b = root.Get(xml::kIE015_Bezpieczenstwo);
  pola.nr_ref_przesylki = b.Get(S("NrReferencyjnyPrzesylki"));
  pola.nr_ref_przewozu = b.Get(S("NrReferencyjnyPrzewozu"));
  pola.miejsce_rozladunku = b.Get(S("MiejsceRozladunku"));
  pola.spec_warunki = b.Get(S("SpecyficzneOkolicznosci"));
  pola.forma_platnosci = b.Get(S("FormaPlatnosci"));
  QStringList trasa;
  for (const Group& k : b.List(xml::kIE015_KrajTrasy)) trasa << k.Get(S("Kraj"));
  pola.trasa = trasa.join(QLatin1Char(','));
}

void DeklaracjaIE015::CzytajTowary() {
  towary_.clear();
  for (const Group& t : doc_.Root().List(xml::kIE015_Towar))
    towary_.push_back({t.Get(S("PozId")).toInt(), t.Get(S("KodTowarowy")), t.Get(S("KrajWysylki")), t.Get(S("MasaNetto")), t.Get(S("OpisTowaru"))});
}

QString DeklaracjaIE015::GetXML() {
  Group root = doc_.Root();
  bool kontener = false;
  for (const Group& t : root.List(xml::kIE015_Towar)) kontener = kontener || t.Count(xml::kKontener) > 0;

  xml::Naglowek h = doc_.EnsureNaglowek();
  h.SetNrWlasny(pola.nr_wlasny);
  h.SetDataUtworzenia(pola.data_utworzenia);
  Group rodzaj = Grupa(xml::kIE015_Rodzaj);
  rodzaj.Set(S("Deklaracja"), pola.deklaracja.trimmed().toUpper());
  rodzaj.Set(S("ProceduraUproszczona"), pola.uproszczona ? S("1") : S("0"));
  if (pola.deklaracja.trimmed() == kTIR && !pola.karnet_tir.trimmed().isEmpty()) rodzaj.Set(S("KarnetTIR"), pola.karnet_tir.trimmed());
  else rodzaj.Remove(S("KarnetTIR"));
  Group z = Grupa(xml::kIE015_Zgloszenie);
  z.Set(S("LiczbaPozycji"), QString::number(towary_.size()));
  z.Set(S("LiczbaOpakowan"), pola.liczba_opakowan.trimmed());
  z.Set(S("KrajWysylki"), pola.kraj_wysylki.trimmed().toUpper());
  z.Set(S("KrajPrzeznaczenia"), pola.kraj_przeznaczenia.trimmed().toUpper());
  z.Set(S("Kontener"), kontener ? S("1") : S("0"));
  z.Set(S("MasaBrutto"), pola.masa_brutto.trimmed());
  z.Set(S("MiejsceZaladunku"), pola.miejsce_zaladunku.trimmed());
  if (!pola.data_przedstawienia.trimmed().isEmpty()) z.Set(S("DataPrzedstawienia"), pola.data_przedstawienia.trimmed());
  else z.Remove(S("DataPrzedstawienia"));
  for (int i = 0; i < 4; ++i) z.Remove(S(kLokalizacje[i]));
  if (pola.lokalizacja >= 1 && pola.lokalizacja <= 4) z.Set(S(kLokalizacje[pola.lokalizacja - 1]), pola.lokalizacja_opis.trimmed().toUpper());

  Group uc = Grupa(xml::kIE015_UC);
  uc.Set(S("Wyjscia"), pola.uc_zgloszenia.trimmed().toUpper());
  uc.Set(S("Przeznaczenia"), pola.uc_przeznaczenia.trimmed().toUpper());
  // The list is rebuilt from the one office the window holds; under TIR there is none.
  if (!UCTranzytoweDostepne()) pola.uc_tranzytowy.clear();
  UsunWszystkie(uc.List(xml::kIE015_UCTranzytowy));
  if (!pola.uc_tranzytowy.trimmed().isEmpty()) {
    Group t = uc.Add(xml::kIE015_UCTranzytowy);
    t.Set(S("PozId"), S("1"));
    t.Set(S("Kod"), pola.uc_tranzytowy.trimmed().toUpper());
  }

  if (!pola.przedstawiciel.trimmed().isEmpty()) Grupa(xml::kGlownyZobowiazany).Ensure(xml::kPrzedstawiciel).Set(S("TIN"), pola.przedstawiciel.trimmed());
  else if (Group p = root.Get(xml::kGlownyZobowiazany).Get(xml::kPrzedstawiciel)) xml::XML_RemoveNode(p.Node());
  if (!pola.upowazniony_odbiorca.trimmed().isEmpty()) Grupa(xml::kIE015_UpowaznionyOdbiorca).Set(S("TIN"), pola.upowazniony_odbiorca.trimmed());
  else if (Group u = root.Get(xml::kIE015_UpowaznionyOdbiorca)) xml::XML_RemoveNode(u.Node());
  auto transport = [this](const xml::GroupDesc& d, const QString& znaki, const QString& rodz, const QString& kraj) {
    Group t = Grupa(d);
    t.Set(S("Znaki"), znaki.trimmed().toUpper());
    t.Set(S("Rodzaj"), rodz.trimmed());
    t.Set(S("Kraj"), kraj.trimmed().toUpper());
  };
  transport(xml::kIE015_TransportWyjazd, pola.st, pola.st_rodz, pola.st_kraj);
  transport(xml::kIE015_TransportGranica, pola.stg, pola.stg_rodz, pola.stg_kraj);

  // Goods items renumbered; the header's countries make the items' own ones needless.
  int n = 0;
  for (Group t : root.List(xml::kIE015_Towar)) {
    t.Set(S("PozId"), QString::number(++n));
    if (!pola.kraj_wysylki.trimmed().isEmpty()) t.Remove(S("KrajWysylki"));
    if (!pola.kraj_przeznaczenia.trimmed().isEmpty()) t.Remove(S("KrajPrzeznaczenia"));
  }
  for (size_t i = 0; i < towary_.size(); ++i) towary_[i].poz_id = static_cast<int>(i) + 1;

  Group wk = Grupa(xml::kIE015_WynikKontroli);
  wk.Set(S("Kod"), pola.wk_kod.trimmed().toUpper());
  if (pola.uproszczona && !pola.termin_dostarczenia.trimmed().isEmpty()) wk.Set(S("TerminDostarczenia"), pola.termin_dostarczenia.trimmed());
  else wk.Remove(S("TerminDostarczenia"));

  Group b = Grupa(xml::kIE015_Bezpieczenstwo);
  b.Set(S("NrReferencyjnyPrzesylki"), pola.nr_ref_przesylki.trimmed());
  b.Set(S("NrReferencyjnyPrzewozu"), pola.nr_ref_przewozu.trimmed());
  b.Set(S("MiejsceRozladunku"), pola.miejsce_rozladunku.trimmed());
  b.Set(S("SpecyficzneOkolicznosci"), pola.spec_warunki.trimmed().toUpper());
  b.Set(S("FormaPlatnosci"), pola.forma_platnosci.trimmed().toUpper());
  UsunWszystkie(b.List(xml::kIE015_KrajTrasy));
  if (!pola.trasa.isEmpty()) {
    int k = 0;
    for (const QString& czesc : pola.trasa.split(QLatin1Char(','))) {
      Group kraj = b.Add(xml::kIE015_KrajTrasy);
      kraj.Set(S("PozId"), QString::number(++k));
      kraj.Set(S("Kraj"), czesc);
    }
  }
  tekst_ = doc_.Xml();
  while (tekst_.endsWith(QLatin1Char('\n')) || tekst_.endsWith(QLatin1Char('\r'))) tekst_.chop(1);
  return tekst_;
}

QString DeklaracjaIE015::UstawProcedureUproszczona(bool wlaczona, bool ostrzegaj) {
  const bool byla = pola.uproszczona;
  pola.uproszczona = wlaczona;
  Group root = doc_.Root();
  if (!wlaczona) {
    pola.wk_kod.clear();
    pola.termin_dostarczenia.clear();
    const auto towary = root.List(xml::kIE015_Towar);
    if (!towary.empty()) {
      for (const Group& i : towary.front().List(xml::kIE015_InformacjaDodatkowa))
        if (i.Get(S("Kod")) == QLatin1String("2UP2")) xml::XML_RemoveNode(i.Node());
      Przenumeruj(towary.front().List(xml::kIE015_InformacjaDodatkowa));
    }
  } else {
    pola.wk_kod = S("A3");
    if (root.Count(xml::kIE015_Towar) == 0) DodajTowar();
    Group pierwszy = root.List(xml::kIE015_Towar).front();
    bool jest = false;
    for (const Group& i : pierwszy.List(xml::kIE015_InformacjaDodatkowa)) jest = jest || i.Get(S("Kod")) == QLatin1String("2UP2");
    if (!jest) {
      Group info = pierwszy.Add(xml::kIE015_InformacjaDodatkowa);
      info.Set(S("PozId"), QString::number(pierwszy.Count(xml::kIE015_InformacjaDodatkowa)));
      info.Set(S("Kod"), S("2UP2"));
      const auto r = WierszRejestru();
      if (r && !r->Str(S("PU_NUMER")).trimmed().isEmpty()) info.Set(S("Tekst"), r->Str(S("PU_NUMER")).trimmed());
      info.Set(S("WywozZUE"), S("0"));
    }
  }
  if (!ostrzegaj || byla == wlaczona) return {};
  return QStringLiteral("UWAGA! \rZmieniono tryb zgłoszenia z %1 na %2 ! \rZmiana zostanie przepisana na nagłówek przesyłki")
      .arg(wlaczona ? kZwykla : kUproszczona, wlaczona ? kUproszczona : kZwykla);
}

void DeklaracjaIE015::ZmienTyp(const QString& typ) {
  pola.deklaracja = typ;
  Grupa(xml::kGlownyZobowiazany).Set(S("TIR"), typ.trimmed() == kTIR ? S("1") : S("0"));
  if (!UCTranzytoweDostepne()) pola.uc_tranzytowy.clear();
}

void DeklaracjaIE015::OpuscTyp(const QString& typ_przy_wejsciu) {
  if (typ_przy_wejsciu.trimmed() != kTIR || pola.deklaracja.trimmed() == kTIR) return;
  Group root = doc_.Root();
  const auto towary = root.List(xml::kIE015_Towar);
  if (!towary.empty()) {
    for (const Group& d : towary.front().List(xml::kDokumentWymagany))
      if (d.Get(S("Kod")) == QLatin1String("952")) xml::XML_RemoveNode(d.Node());
    Przenumeruj(towary.front().List(xml::kDokumentWymagany));
  }
  UsunWszystkie(root.List(xml::kIE015_Gwarancje));
  if (!UCTranzytoweDostepne()) pola.uc_tranzytowy.clear();
}

void DeklaracjaIE015::OpuscKarnetTIR() {
  const QString karnet = pola.karnet_tir.trimmed();
  Group root = doc_.Root();
  UsunWszystkie(root.List(xml::kIE015_Gwarancje));
  Group g = root.Add(xml::kIE015_Gwarancje);
  g.Set(S("PozId"), S("1"));
  g.Set(S("Rodzaj"), S("B"));
  g.Add(xml::kIE015_Gwarancja).Set(S("Numer"), karnet);
  if (root.Count(xml::kIE015_Towar) == 0) DodajTowar();
  Group pierwszy = root.List(xml::kIE015_Towar).front();
  for (const Group& d : pierwszy.List(xml::kDokumentWymagany))
    if (d.Get(S("Kod")) == QLatin1String("952")) return;
  Group d = pierwszy.Add(xml::kDokumentWymagany);
  d.Set(S("PozId"), QString::number(pierwszy.Count(xml::kDokumentWymagany)));
  d.Set(S("Kod"), S("952"));
  d.Set(S("Nr"), karnet);
}

QString DeklaracjaIE015::UstawTypModyfikacji(int indeks) {
  if (mrn_.isEmpty() && indeks != 2) {
    pola.typ_modyfikacji = 2;
    return S("Przed otrzymaniem komunikatu IE028 możliwe jest tylko zgłoszenie w trybie powiadomienia");
  }
  pola.typ_modyfikacji = indeks;
  return {};
}

Group DeklaracjaIE015::GrupaStrony(Strona s, bool utworz) {
  Group root = doc_.Root();
  if (s == Strona::Przedstawiciel) {
    Group gz = utworz ? root.Ensure(xml::kGlownyZobowiazany) : root.Get(xml::kGlownyZobowiazany);
    return utworz ? gz.Ensure(xml::kPrzedstawiciel) : gz.Get(xml::kPrzedstawiciel);
  }
  if (StronaBezpieczenstwa(s)) {
    Group b = utworz ? root.Ensure(xml::kIE015_Bezpieczenstwo) : root.Get(xml::kIE015_Bezpieczenstwo);
    return utworz ? b.Ensure(OpisStrony(s)) : b.Get(OpisStrony(s));
  }
  return utworz ? root.Ensure(OpisStrony(s)) : root.Get(OpisStrony(s));
}

QString DeklaracjaIE015::WypelnijStrone(Strona s, const host::Row& k) {
  if (s == Strona::Przedstawiciel || s == Strona::UpowaznionyOdbiorca) {
    const QString tin = k.Str(S("EORI")).trimmed().left(17);
    (s == Strona::Przedstawiciel ? pola.przedstawiciel : pola.upowazniony_odbiorca) = tin;
    if (s == Strona::Przedstawiciel) DodajAEO(KodAEO(s), k.Str(S("NrAEO")).trimmed().left(35));
    return tin;
  }
  TinStrony tin = TinStrony::Handlowa;
  if (s == Strona::GlownyZobowiazany)
    tin = pola.deklaracja.trimmed() == kTIR ? TinStrony::GlownyZobowiazanyTIR : TinStrony::GlownyZobowiazany;
  else if (StronaBezpieczenstwa(s))
    tin = TinStrony::Bezpieczenstwa;
  const PodmiotZKontrahenta p = WypelnijPodmiot(GrupaStrony(s, true), k, AdresStrony::Naglowek, tin);
  if (s == Strona::Nadawca) {
    pola.kraj_wysylki = p.kraj;
    nadawca_id_ = k.Value(S("ID_KONTRAHENCI"));
  }
  if (s == Strona::Odbiorca) {
    pola.kraj_przeznaczenia = p.kraj;
    odbiorca_id_ = k.Value(S("ID_KONTRAHENCI"));
  }
  if (!KodAEO(s).isEmpty()) DodajAEO(KodAEO(s), p.nr_aeo);
  return p.pokazany;
}

void DeklaracjaIE015::WyczyscStrone(Strona s) {
  if (s == Strona::Nadawca) nadawca_id_ = QVariant();
  if (s == Strona::Odbiorca) odbiorca_id_ = QVariant();
  if (s == Strona::Przedstawiciel) pola.przedstawiciel.clear();
  if (s == Strona::UpowaznionyOdbiorca) pola.upowazniony_odbiorca.clear();
  if (!KodAEO(s).isEmpty()) UsunAEO(KodAEO(s));
  Group g = GrupaStrony(s, false);
  if (!g) return;
  if (StronaBezpieczenstwa(s) || s == Strona::Przedstawiciel || s == Strona::UpowaznionyOdbiorca) {
    xml::XML_RemoveNode(g.Node());
    return;
  }
  for (const char* a : {"Nazwa", "UlicaNumer", "Miejscowosc", "KodPocztowy", "Kraj", "TIN"}) g.Remove(S(a));
}

QString DeklaracjaIE015::NazwaStrony(Strona s) const {
  if (s == Strona::Przedstawiciel) return pola.przedstawiciel;
  if (s == Strona::UpowaznionyOdbiorca) return pola.upowazniony_odbiorca;
  const Group g = const_cast<DeklaracjaIE015*>(this)->GrupaStrony(s, false);
  const QString nazwa = g.Get(S("Nazwa"));
  return nazwa.isEmpty() && StronaBezpieczenstwa(s) ? g.Get(S("TIN")) : nazwa;
}

QVariantMap DeklaracjaIE015::KolumnyTranzytu() const {
  QVariantMap k = KolumnyTranzytuIE015(doc_);
  k.insert(S("REJESTRY_ID"), rejestr_id_);
  k.insert(S("NADAWCA_ID"), nadawca_id_);
  k.insert(S("ODBIORCA_ID"), odbiorca_id_);
  return k;
}

QVariantMap KolumnyTranzytuIE015(const xml::Message& doc) {
  const Group root = doc.Root();
  const Group rodzaj = root.Get(xml::kIE015_Rodzaj);
  const Group z = root.Get(xml::kIE015_Zgloszenie);
  const Group tw = root.Get(xml::kIE015_TransportWyjazd);
  const bool tir = rodzaj.Get(S("Deklaracja")).trimmed() == kTIR;
  bool ok = false;
  const int opakowania = z.Get(S("LiczbaOpakowan")).trimmed().toInt(&ok);
  QString masa = z.Get(S("MasaBrutto")).trimmed();
  masa.replace(QLatin1Char(','), QLatin1Char('.'));
  bool masa_ok = false;
  const double waga = masa.toDouble(&masa_ok);
  return {{S("PU"), Flaga(rodzaj.Get(S("ProceduraUproszczona"))) ? 1 : 0},
          {S("TIR"), tir ? 1 : 0},
          {S("TIR_NUMER"), tir ? rodzaj.Get(S("KarnetTIR")).trimmed() : QString()},
          {S("SAMOCHOD_NR"), tw.Get(S("Znaki")).trimmed()},
          {S("SAMOCHOD_RODZAJ"), tw.Get(S("Rodzaj")).trimmed()},
          {S("SAMOCHOD_KRAJ"), tw.Get(S("Kraj")).trimmed()},
          {S("WAGA_BRUTTO"), masa_ok ? QVariant(waga) : QVariant(0.0)},
          {S("LICZBA_OPAKOWAN"), ok ? opakowania : 0},
          {S("NADAWCA_NAZWA"), root.Get(xml::kIE015_Nadawca).Get(S("Nazwa")).trimmed()},
          {S("ODBIORCA_NAZWA"), root.Get(xml::kIE015_Odbiorca).Get(S("Nazwa")).trimmed()}};
}

void DeklaracjaIE015::DodajAEO(const QString& kod, const QString& numer) {
  const auto towary = doc_.Root().List(xml::kIE015_Towar);
  if (!towary.empty()) departure::DodajAEO(towary.front(), kod, numer);
}

void DeklaracjaIE015::UsunAEO(const QString& kod) {
  const auto towary = doc_.Root().List(xml::kIE015_Towar);
  if (!towary.empty()) departure::UsunAEO(towary.front(), kod);
}

void DeklaracjaIE015::PowtorzDane() {
  const std::pair<Strona, Strona> kopie[] = {{Strona::Nadawca, Strona::NadawcaB}, {Strona::Odbiorca, Strona::OdbiorcaB},
                                             {Strona::GlownyZobowiazany, Strona::Przewoznik}};
  for (const auto& [z, do_] : kopie) {
    const Group zrodlo = GrupaStrony(z, false);
    if (!zrodlo) continue;
    Group cel = GrupaStrony(do_, true);
    for (const char* a : {"Nazwa", "UlicaNumer", "KodPocztowy", "Miejscowosc", "Kraj", "TIN"}) cel.Set(S(a), zrodlo.Get(S(a)));
  }
}

void DeklaracjaIE015::TransportNaGranice() {
  pola.stg = pola.st;
  pola.stg_rodz = pola.st_rodz;
  pola.stg_kraj = pola.st_kraj;
}

void DeklaracjaIE015::TransportZGranicy() {
  pola.st = pola.stg;
  pola.st_rodz = pola.stg_rodz;
  pola.st_kraj = pola.stg_kraj;
}

QString DeklaracjaIE015::PodsumowanieGwarancji() const {
  return GwarancjeDeklaracji(const_cast<xml::Message&>(doc_), ctx_).Podsumowanie();
}

QString DeklaracjaIE015::SymbolGwarancji() const {
  const auto grupy = doc_.Root().List(xml::kIE015_Gwarancje);
  if (grupy.empty()) return {};
  const QString grn = grupy.front().Get(xml::kIE015_Gwarancja).Get(S("GRN")).trimmed();
  if (grn.isEmpty()) return {};
  return ctx_.db.QueryValue(S("select SYMBOL from GWARANCJE where GRN = :GRN"), {{S("GRN"), grn}}).toString();
}

void DeklaracjaIE015::DodajGwarancje(const host::Row& w, bool wymien) {
  Group root = doc_.Root();
  if (wymien) UsunWszystkie(root.List(xml::kIE015_Gwarancje));
  const QString rodzaj = w.Str(S("RODZAJ")).trimmed();
  Group grupa;
  for (const Group& g : root.List(xml::kIE015_Gwarancje))
    if (g.Get(S("Rodzaj")) == rodzaj) grupa = g;
  if (!grupa) {
    grupa = root.Add(xml::kIE015_Gwarancje);
    grupa.Set(S("PozId"), QString::number(root.Count(xml::kIE015_Gwarancje)));
    grupa.Set(S("Rodzaj"), rodzaj);
  }
  Group ref = grupa.Ensure(xml::kIE015_Gwarancja);
  ref.Set(S("Numer"), w.Str(S("NUMER")).trimmed());
  ref.Set(S("GRN"), w.Str(S("GRN")).trimmed());
  ref.Set(S("KodDostepu"), w.Str(S("KOD_DOSTEPU")).trimmed());
  ref.Set(S("NiewaznaNaUE"), w.Int(S("Niewazna_Na_UE")) == 1 ? S("1") : S("0"));
}

QString DeklaracjaIE015::OstrzezenieGwarancji() const {
  if (pola.deklaracja.trimmed() != kTIR) return {};
  const auto grupy = doc_.Root().List(xml::kIE015_Gwarancje);
  if (!grupy.empty() && grupy.front().Get(S("Rodzaj")) == QLatin1String("B")) return {};
  return S("W procedurze TIR należy wybrac gwarancję typu \"B\" !");
}

QStringList DeklaracjaIE015::Zamkniecia() const { return ZamknieciaCelne::Znaki(ZamknieciaCelne(doc_.Root()).Linie()); }

QString DeklaracjaIE015::Nakladajacy() const { return ZamknieciaCelne(doc_.Root()).Nakladajacy(); }

bool DeklaracjaIE015::UstawZamkniecia(const QStringList& linie, const QString& nakladajacy) {
  return ZamknieciaCelne(doc_.Root()).Zapisz(linie.join(QLatin1Char('\n')), nakladajacy);
}

int DeklaracjaIE015::DodajTowar() {
  if (towary_.size() >= 999) return 0;
  const int poz = static_cast<int>(towary_.size()) + 1;
  Group root = doc_.Root();
  root.Add(xml::kIE015_Towar).Set(S("PozId"), QString::number(poz));
  towary_.push_back({poz, {}, {}, {}, {}});
  return poz;
}

Group DeklaracjaIE015::Towar(int poz_id) {
  const auto towary = doc_.Root().List(xml::kIE015_Towar);
  return poz_id >= 1 && poz_id <= static_cast<int>(towary.size()) ? towary[poz_id - 1] : Group();
}

void DeklaracjaIE015::UsunTowar(int poz_id) {
  const Group t = Towar(poz_id);
  if (!t) return;
  xml::XML_RemoveNode(t.Node());
  towary_.erase(towary_.begin() + (poz_id - 1));
  for (WierszTowaru& w : towary_)
    if (w.poz_id > poz_id) --w.poz_id;
}

void DeklaracjaIE015::ZapiszKrajeNaglowka() {
  Group z = Grupa(xml::kIE015_Zgloszenie);
  z.Set(S("KrajWysylki"), pola.kraj_wysylki.trimmed());
  z.Set(S("KrajPrzeznaczenia"), pola.kraj_przeznaczenia.trimmed());
}

bool DeklaracjaIE015::PanelPozycjiWidoczny() const {
  const QString typ = pola.deklaracja.trimmed();
  if (typ == QLatin1String("T-")) return true;
  if (typ != kTIR) return false;
  return NazwaStrony(Strona::Nadawca).trimmed().isEmpty() || NazwaStrony(Strona::Odbiorca).trimmed().isEmpty();
}

void DeklaracjaIE015::OdswiezTowar(int poz_id) {
  const Group t = Towar(poz_id);
  if (!t || poz_id > static_cast<int>(towary_.size())) return;
  towary_[poz_id - 1] = {poz_id, t.Get(S("KodTowarowy")), t.Get(S("KrajWysylki")), t.Get(S("MasaNetto")), t.Get(S("OpisTowaru"))};
}

std::vector<BladPola> DeklaracjaIE015::Sprawdz(const JestKodFn& jest_kod, bool po_wyswietleniu) const {
  std::vector<BladPola> bledy;
  auto blad = [&bledy](const char* pole, const QString& tekst) { bledy.push_back({S(pole), tekst}); };
  const QString wymagane = S("Pole jest wymagane");
  const QString dodatnie = S("Wartość musi być większa od zera");
  const QString typ = pola.deklaracja.trimmed();
  if (typ.isEmpty()) blad("beDeklaracja", wymagane);
  else if (jest_kod && !jest_kod(1031, typ)) blad("beDeklaracja", S("Wartość pola @Deklaracja jest z poza słownika"));
  if (pola.uc_zgloszenia.trimmed().isEmpty()) blad("beUCZglosz", wymagane);
  if (pola.uc_przeznaczenia.trimmed().isEmpty()) blad("beUCPrzezn", wymagane);
  if (rejestr_id_ == 0) blad("beRejestr", wymagane);
  auto dodatnia = [](const QString& v) {
    bool ok = false;
    const double d = QString(v).replace(QLatin1Char(','), QLatin1Char('.')).trimmed().toDouble(&ok);
    return ok && d > 0;
  };
  if (!dodatnia(pola.masa_brutto)) blad("ceMasaBrutto", dodatnie);
  if (!dodatnia(pola.liczba_opakowan)) blad("ceLiczbaOpak", dodatnie);
  if (towary_.empty()) blad("ceLiczbaPoz", dodatnie);
  if ((pola.uproszczona && pola.wk_kod.trimmed() != QLatin1String("A3")) || (!pola.uproszczona && !pola.wk_kod.trimmed().isEmpty()))
    blad("beWK_Kod", S("Jeżeli zgłoszenie jest w trybie procedury uproszczonej to wynik kontroli musi mieć wartość A3\r\nW przeciwnik wypadku nie może by podany"));
  if (pola.uproszczona && pola.st_rodz.trimmed().isEmpty())
    blad("beST_Rodz", S("Jeżeli zgłoszenie w ramach procedury uproszczonej atrybut @Rodzaj jest wymagany"));
  if (pola.uproszczona && !QDate::fromString(pola.termin_dostarczenia.trimmed(), Qt::ISODate).isValid())
    blad("deTerminDost", S("Niepoprawna data"));
  if (!pola.uproszczona && pola.lokalizacja == 4) blad("peLokalizacja", S("Atrybut @KodMiejscaWskazanegoWPozwoleniu nie może wystąpić"));
  if (pola.uproszczona && pola.lokalizacja != 4) blad("peLokalizacja", S("Można wypełnić tylko atrybut @KodMiejscaWskazanegoWPozwoleniu"));
  if (po_wyswietleniu) {
    const Group gz = doc_.Root().Get(xml::kGlownyZobowiazany);
    bool pelny = true;
    for (const char* a : {"Nazwa", "UlicaNumer", "KodPocztowy", "Miejscowosc", "Kraj"}) pelny = pelny && !gz.Get(S(a)).trimmed().isEmpty();
    if (!pelny) blad("beGlownyZobowiazany", S("Pola Nazwa, Ulica, KodPocztowy, MIejscowosc, NIP muszą być wypełnione"));
    else if ((pola.uproszczona || pola.spec_warunki.trimmed() == QLatin1String("E")) && gz.Get(S("TIN")).trimmed().isEmpty())
      blad("beGlownyZobowiazany", S("Pole TIN musi być wypełnione"));
  }
  const int lp = static_cast<int>(pola.przedstawiciel.trimmed().size());
  if (lp != 0 && lp != 17) blad("bePrzedstawiciel", S("Pole Przedstawiciel musi mieć 17 znaków lub być puste"));
  const int lu = static_cast<int>(pola.upowazniony_odbiorca.trimmed().size());
  if (lu != 0 && lu != 17) blad("beUpowaznOdbiorca", S("Pole Upoważniony odbiorca musi mieć 17 znaków lub być puste"));
  static const QRegularExpression kKarnet(S("^[A-Z]{2}[0-9]{8}$"));
  if (typ == kTIR && !kKarnet.match(pola.karnet_tir.trimmed()).hasMatch())
    blad("beKarnetTIR", S("Numer karnetu TIR powinien być w formacie XX99999999 !"));
  return bledy;
}

QString SprawdzImportowanyTekst(const QString& text) {
  xml::XmlDocumentPtr doc;
  try {
    doc = xml::LoadXMLData(frame::NaprawXML(text));
  } catch (const xml::XmlParseError& e) {
    return QStringLiteral("%1 (wiersz %2)").arg(e.Message()).arg(e.Line());
  }
  const xml::XmlNode root = doc->DocumentElement();
  if (root.LocalName() != QLatin1String("IE015")) return QStringLiteral("Plik nie zawiera komunikatu IE015 (element główny %1)").arg(root.NodeName());
  if (const QString ns = xml::ForeignNamespace(root); !ns.isEmpty()) return QStringLiteral("Komunikat IE015 ma obcą przestrzeń nazw ") + ns;
  if (root.ChildrenByLocalName(QStringLiteral("Towar")).size() > 999) return QStringLiteral("Zgłoszenie może mieć najwyżej 999 pozycji towarowych");
  return {};
}

}  // namespace velmora::departure
