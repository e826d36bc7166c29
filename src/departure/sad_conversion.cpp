#include "sad_conversion.h"

#include "frame/codes.h"
#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/reports/config_rpt_box.h"
#include "host/db/db.h"
#include "host/ui/display_text.h"
#include "host/xml/bodies.h"
#include "frame/transit_store.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::departure {

namespace {

using host::ZPrzecinkiem;
using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

QString Razem(const QStringList& parts, const QString& sep = QStringLiteral(" ")) {
  QStringList kept;
  for (const QString& p : parts)
    if (!p.trimmed().isEmpty()) kept << p.trimmed();
  return kept.join(sep);
}

host::SadPodmiot Podmiot(const Group& g) {
  host::SadPodmiot p;
  if (g.IsNull()) return p;
  p.nazwa = g.Get(S("Nazwa"));
  p.ulica_numer = g.Get(S("UlicaNumer"));
  p.kod_pocztowy = g.Get(S("KodPocztowy"));
  p.miejscowosc = g.Get(S("Miejscowosc"));
  p.kraj = g.Get(S("Kraj"));
  p.tin = g.Get(S("TIN"));
  return p;
}

// Identity and nationality of a means of transport (18, 21).
QString Srodek(const Group& g) { return g.IsNull() ? QString() : Razem({g.Get(S("Znaki")), g.Get(S("Kraj"))}); }

// A date-time of the document as people read it; the text as it stands when it is no date-time.
QString DataCzas(const QString& v) {
  const QDateTime dt = frame::GetDateTimeFromString(v);
  return dt.isValid() ? dt.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : v;
}

QString RodzajSprostowania(int rodzaj) {
  switch (rodzaj) {
    case 0: return S("0 – modyfikacja deklaracji");
    case 1: return S("1 – modyfikacja gwarancji");
    case 2: return S("2 – powiadomienie o przedstawieniu");
    default: return QString::number(rodzaj);
  }
}

QString Gwarancja(const QString& rodzaj, const Group& g) {
  QStringList l{S("Rodzaj ") + rodzaj};
  if (!g.IsNull()) {
    // The access code is the principal's secret: it stays off the paper.
    if (!g.Get(S("GRN")).isEmpty()) l << S("GRN ") + g.Get(S("GRN"));
    if (!g.Get(S("Numer")).isEmpty()) l << S("nr ") + g.Get(S("Numer"));
    if (Flaga(g.Get(S("NiewaznaNaUE")))) l << S("nieważna w UE");
    QStringList kraje;
    for (const Group& k : g.List(xml::kIE015_NiewaznaNaKraj)) kraje << k.Get(S("Kraj"));
    if (!kraje.isEmpty()) l << S("nieważna dla: ") + kraje.join(S(", "));
  }
  return l.join(S(", "));
}

host::SadTowar Towar(const Group& t) {
  host::SadTowar w;
  w.pozycja = t.Get(S("PozId")).toInt();
  w.deklaracja = t.Get(S("Deklaracja"));
  w.kraj_wysylki = t.Get(S("KrajWysylki"));
  w.kraj_przeznaczenia = t.Get(S("KrajPrzeznaczenia"));
  w.opis = t.Get(S("OpisTowaru"));
  w.kod_towarowy = t.Get(S("KodTowarowy"));
  w.masa_brutto = ZPrzecinkiem(t.Get(S("MasaBrutto")));
  w.masa_netto = ZPrzecinkiem(t.Get(S("MasaNetto")));
  w.nadawca = Podmiot(t.Get(xml::kIE015_Nadawca));
  w.odbiorca = Podmiot(t.Get(xml::kIE015_Odbiorca));
  for (const Group& o : t.List(xml::kOpakowanie)) {
    QStringList l{Razem({S("Opakowania:"), o.Get(S("LiczbaOpakowan")).isEmpty() ? QString() : o.Get(S("LiczbaOpakowan")) + S(" ×"),
                         o.Get(S("Rodzaj"))})};
    if (!o.Get(S("IloscSztuk")).isEmpty()) l << S("sztuk ") + o.Get(S("IloscSztuk"));
    if (!o.Get(S("Znaki")).isEmpty()) l << S("znaki: ") + o.Get(S("Znaki"));
    w.opakowania << Razem(l, S(", "));
  }
  for (const Group& k : t.List(xml::kKontener)) w.kontenery << k.Get(S("Numer"));
  for (const Group& d : t.List(xml::kIE015_DokumentPoprzedni))
    w.dokumenty_poprzednie << Razem({d.Get(S("Kod")), d.Get(S("Nr")), d.Get(S("Uwagi"))});
  for (const Group& d : t.List(xml::kDokumentWymagany)) w.informacje << Razem({d.Get(S("Kod")), d.Get(S("Nr")), d.Get(S("Uwagi"))});
  for (const Group& i : t.List(xml::kIE015_InformacjaDodatkowa)) {
    QStringList l{i.Get(S("Kod")), i.Get(S("Tekst"))};
    if (Flaga(i.Get(S("WywozZUE")))) l << S("wywóz z UE ") + i.Get(S("KrajWywozu"));
    w.informacje << Razem(l);
  }
  for (const Group& tw : t.List(xml::kTowarWrazliwy)) {
    QStringList l;
    if (!tw.Get(S("Kod")).isEmpty()) l << S("kod ") + tw.Get(S("Kod"));
    if (!tw.Get(S("Ilosc")).isEmpty()) l << S("ilość ") + ZPrzecinkiem(tw.Get(S("Ilosc")));
    if (!l.isEmpty()) w.towary_wrazliwe << l.join(S(", "));
  }
  if (const Group b = t.Get(xml::kIE015_TowarBezpieczenstwo)) {
    w.forma_platnosci = b.Get(S("FormaPlatnosci"));
    w.nr_ref_przesylki = b.Get(S("NrReferencyjnyPrzesylki"));
    w.kod_un = b.Get(S("KodUN"));
    w.nadawca_bezp = Podmiot(b.Get(xml::kIE015_Nadawca));
    w.odbiorca_bezp = Podmiot(b.Get(xml::kIE015_Odbiorca));
  }
  return w;
}

// The file sent to the office; one that cannot be read is passed over, the print does without it.
xml::Message Wyslany(const QString& plik) {
  if (plik.trimmed().isEmpty()) return {};
  try {
    return xml::GetAnyMessage(xml::LoadXMLData(frame::NaprawXML(plik)));
  } catch (const xml::XmlParseError&) {
  } catch (const xml::BindingError&) {
  }
  return {};
}

}  // namespace

host::SadDocument NCTS2_SAD(const xml::Message& deklaracja, const DaneWydrukuSAD& dane) {
  host::SadDocument sad;
  sad.mrn = dane.mrn.trimmed();
  const bool zmiana = dane.sprostowanie || deklaracja.Type().code == frame::typ::IE013;
  sad.tytul = zmiana ? S("IE013 – sprostowanie zgłoszenia tranzytowego") : S("IE015 – zgłoszenie tranzytowe");
  if (zmiana && dane.rodzaj_sprostowania) sad.rodzaj_sprostowania = RodzajSprostowania(*dane.rodzaj_sprostowania);
  const Group root = deklaracja.Root();

  const xml::Naglowek h = deklaracja.GetNaglowek();
  if (zmiana) {
    // An amendment names its declaration by the LRN; its own number is not the declaration's.
    sad.numer_referencyjny = h.IsNull() || h.LRN().isEmpty() ? dane.lrn.trimmed() : h.LRN();
  } else if (!h.IsNull() && h.NrWlasny() != frame::kAuto) {
    sad.numer_referencyjny = h.NrWlasny();
  }

  if (const Group z = root.Get(xml::kIE015_Zgloszenie)) {
    sad.kraj_wysylki = z.Get(S("KrajWysylki"));
    sad.kraj_przeznaczenia = z.Get(S("KrajPrzeznaczenia"));
    sad.miejsce_zaladunku = z.Get(S("MiejsceZaladunku"));
    sad.lokalizacja = Razem({z.Get(S("KodMiejscaUznanego")), z.Get(S("MiejsceUznane")), z.Get(S("MiejsceOdprawy")),
                             z.Get(S("KodMiejscaWskazanegoWPozwoleniu"))},
                            S(", "));
    sad.kontener = Flaga(z.Get(S("Kontener")));
    sad.liczba_pozycji = z.Get(S("LiczbaPozycji"));
    sad.liczba_opakowan = z.Get(S("LiczbaOpakowan"));
    sad.masa_brutto = ZPrzecinkiem(z.Get(S("MasaBrutto")));
    sad.data_przedstawienia = DataCzas(z.Get(S("DataPrzedstawienia")));
  }
  if (const Group r = root.Get(xml::kIE015_Rodzaj)) {
    sad.deklaracja = r.Get(S("Deklaracja"));
    if (!r.Get(S("KarnetTIR")).isEmpty()) sad.deklaracja += S(" TIR ") + r.Get(S("KarnetTIR"));
  }
  sad.nadawca = Podmiot(root.Get(xml::kIE015_Nadawca));
  sad.odbiorca = Podmiot(root.Get(xml::kIE015_Odbiorca));
  if (const Group gz = root.Get(xml::kGlownyZobowiazany)) {
    sad.glowny_zobowiazany = Podmiot(gz);
    sad.przedstawiciel_tin = gz.Get(xml::kPrzedstawiciel).Get(S("TIN"));
  }
  if (const Group t = root.Get(xml::kIE015_TransportWyjazd)) {
    sad.transport_wyjazd = Srodek(t);
    sad.rodzaj_transportu_wewnetrzny = t.Get(S("Rodzaj"));
  }
  if (const Group t = root.Get(xml::kIE015_TransportGranica)) {
    sad.transport_granica = Srodek(t);
    sad.rodzaj_transportu_granica = t.Get(S("Rodzaj"));
  }
  if (const Group uc = root.Get(xml::kIE015_UC)) {
    sad.uc_wyjscia = uc.Get(S("Wyjscia"));
    for (const Group& t : uc.List(xml::kIE015_UCTranzytowy))
      if (!t.Get(S("Kod")).isEmpty()) sad.uc_tranzytowe << t.Get(S("Kod"));
    sad.uc_przeznaczenia = uc.Get(S("Przeznaczenia"));
  }
  sad.upowazniony_odbiorca = root.Get(xml::kIE015_UpowaznionyOdbiorca).Get(S("TIN"));
  if (const Group wk = root.Get(xml::kIE015_WynikKontroli)) {
    sad.wynik_kontroli = wk.Get(S("Kod"));
    sad.termin_dostarczenia = wk.Get(S("TerminDostarczenia"));
  }
  if (const Group zc = root.Get(xml::kIE015_ZamknieciaCelne)) {
    sad.liczba_zamkniec = zc.Get(S("Liczba")).toInt();
    sad.nakladajacy = zc.Get(S("Nakladajacy"));
    for (const Group& z : zc.List(xml::kZamkniecie)) sad.zamkniecia << z.Get(S("Znak"));
  }
  for (const Group& gw : root.List(xml::kIE015_Gwarancje)) {
    const std::vector<Group> referencje = gw.List(xml::kIE015_Gwarancja);
    if (referencje.empty()) sad.gwarancje << Gwarancja(gw.Get(S("Rodzaj")), Group());
    for (const Group& g : referencje) sad.gwarancje << Gwarancja(gw.Get(S("Rodzaj")), g);
  }
  if (const Group b = root.Get(xml::kIE015_Bezpieczenstwo)) {
    host::SadBezpieczenstwo& s = sad.bezpieczenstwo;
    s.okolicznosci = b.Get(S("SpecyficzneOkolicznosci"));
    s.forma_platnosci = b.Get(S("FormaPlatnosci"));
    s.nr_ref_przesylki = b.Get(S("NrReferencyjnyPrzesylki"));
    s.nr_ref_przewozu = b.Get(S("NrReferencyjnyPrzewozu"));
    // The security data have no loading place of their own: it is the declaration's (27).
    s.miejsce_zaladunku = sad.miejsce_zaladunku;
    s.miejsce_rozladunku = b.Get(S("MiejsceRozladunku"));
    for (const Group& k : b.List(xml::kIE015_KrajTrasy)) s.kraje_trasy << k.Get(S("Kraj"));
    s.nadawca = Podmiot(b.Get(xml::kIE015_NadawcaTypy));
    s.odbiorca = Podmiot(b.Get(xml::kIE015_OdbiorcaTypy));
    s.przewoznik = Podmiot(b.Get(xml::kIE015_Przewoznik));
  }
  // The stored declaration is the editor's and carries no place and date: the sent copy adds
  // them. So box 50 shows what the office got when the row was sent, else what its copy will
  // carry: the place of filling and the day it is written, which for a sent row without its
  // file is the header's creation date (set when the message got its own number).
  Group md = root.Get(xml::kIE015_MiejsceData);
  if (md.IsNull() && !dane.wyslany.IsNull()) md = dane.wyslany.Root().Get(xml::kIE015_MiejsceData);
  if (!md.IsNull()) {
    sad.miejsce = md.Get(S("Miejsce"));
    sad.data = md.Get(S("Data"));
    sad.osoba = md.Get(S("Osoba"));
  } else {
    sad.miejsce = dane.miejsce.trimmed().isEmpty() ? sad.glowny_zobowiazany.miejscowosc : dane.miejsce.trimmed();
    const QDateTime utworzono = h.IsNull() || !dane.wyslane ? QDateTime() : frame::GetDateTimeFromString(h.DataUtworzenia());
    const QDate data = utworzono.isValid() ? utworzono.date() : dane.dzisiaj;
    if (data.isValid()) sad.data = frame::GetDateAsString(data);
  }
  for (const Group& t : root.List(xml::kIE015_Towar)) sad.towary.push_back(Towar(t));
  return sad;
}

QString PlikSAD(const host::HostContext& ctx, qint64 id_pozycji) {
  const QString dir = ctx.root.isEmpty() ? QDir::tempPath() : QDir(ctx.root).filePath(S("TEMP"));
  return QDir(dir).filePath(host::ReportFileStem(S("SAD_%1").arg(id_pozycji)) + S(".pdf"));
}

WydrukSAD DrukujSAD(host::HostContext& ctx, qint64 id_pozycji, const QString& pdf_file) {
  WydrukSAD wynik;
  xml::Message deklaracja;
  DaneWydrukuSAD dane;
  QString typ, nr_wlasny;
  try {
    const QString tekst = frame::TransitStore(ctx.db).Xml(id_pozycji);
    if (tekst.trimmed().isEmpty()) {
      wynik.blad = S("Komunikat nie zawiera dokumentu XML - wydruk SAD nie jest możliwy");
      return wynik;
    }
    deklaracja = xml::GetAnyMessage(xml::LoadXMLData(frame::NaprawXML(tekst)));
    const auto wiersz = frame::TransitStore(ctx.db).Komunikat(id_pozycji);
    if (wiersz) {
      typ = wiersz->Str(S("TYP")).trimmed();
      nr_wlasny = wiersz->Str(S("NR_WLASNY")).trimmed();
      dane.wyslane = wiersz->Int(S("STATUS")) >= 2;
      if (!wiersz->IsNull(S("IE013_RODZAJ"))) dane.rodzaj_sprostowania = wiersz->Int(S("IE013_RODZAJ"));
      if (const auto tranzyt = ctx.db.QueryOne(S("select MRN, LRN from TRANZYTY where ID_TRANZYTY = :T"),
                                               {{S("T"), wiersz->Int64(S("TRANZYTY_ID"))}})) {
        dane.mrn = tranzyt->Str(S("MRN"));
        dane.lrn = tranzyt->Str(S("LRN"));
      }
    }
    dane.wyslany = Wyslany(frame::TransitStore(ctx.db).Plik(id_pozycji));
  } catch (const xml::XmlParseError& e) {
    wynik.blad = S("Nie można odczytać dokumentu komunikatu: %1").arg(e.Message());
    return wynik;
  } catch (const xml::BindingError& e) {
    wynik.blad = S("Wydruk SAD jest możliwy tylko dla zgłoszenia IE015 lub IE013: %1").arg(e.Text());
    return wynik;
  } catch (const host::DbError& e) {
    wynik.blad = S("Błąd bazy danych: %1").arg(e.Message());
    return wynik;
  }
  const QString kod = deklaracja.Type().code;
  if (kod != frame::typ::IE015 && kod != frame::typ::IE013) {
    wynik.blad = S("Wydruk SAD jest możliwy tylko dla zgłoszenia IE015 lub IE013, a komunikat jest typu %1").arg(kod);
    return wynik;
  }
  // The editor stores an amendment in the declaration's shape: the row tells which it is.
  dane.sprostowanie = typ == frame::typ::IE013;
  dane.miejsce = frame::MiejsceWypelnienia(ctx, QString(), false);
  dane.dzisiaj = ctx.clock.Today();

  const QString plik = pdf_file.isEmpty() ? PlikSAD(ctx, id_pozycji) : pdf_file;
  QDir().mkpath(QFileInfo(plik).absolutePath());
  host::SadDocument sad = NCTS2_SAD(deklaracja, dane);
  // The own number assigned on sending is kept by the row when the stored document still has the placeholder.
  if (sad.numer_referencyjny.isEmpty() && !dane.sprostowanie && nr_wlasny != frame::kAuto) sad.numer_referencyjny = nr_wlasny;
  if (!host::TSAD_WYDRUK::PrintSAD(sad, plik, &wynik.blad)) return wynik;
  wynik.pdf = QFileInfo(plik).absoluteFilePath();
  return wynik;
}

}  // namespace velmora::departure
