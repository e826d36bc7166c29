#include "arrival_notification.h"

#include "frame/codes.h"
#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/ui/display_text.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/db/users.h"
#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"
#include "frame/transit_store.h"

#include <QRegularExpression>

#include <utility>

namespace velmora::arrival {

namespace {

using host::Dziesietna;
using host::ZPrzecinkiem;
using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

const char* const kPolaLokalizacji[] = {"MiejsceUznane", "Opis", "MiejsceOdpraw", "MiejsceWskazane"};

// A trader's fields under their names in the documents, in the documents' order.
const std::pair<const char*, QString PolaPodmiotu::*> kPolaPodmiotu[] = {
    {"Nazwa", &PolaPodmiotu::nazwa},     {"UlicaNumer", &PolaPodmiotu::ulica}, {"KodPocztowy", &PolaPodmiotu::kod_pocztowy},
    {"Miejscowosc", &PolaPodmiotu::miejscowosc}, {"Kraj", &PolaPodmiotu::kraj}, {"TIN", &PolaPodmiotu::tin}};

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

double Liczba(const QString& text) { return Dziesietna::Z(text).Surowa() / static_cast<double>(Dziesietna::kSkala); }

QString TekstZKolumny(const QVariant& v, int miejsca) {
  if (v.isNull() || v.toString().trimmed().isEmpty()) return ZPrzecinkiem(Dziesietna().Tekst(miejsca));
  return ZPrzecinkiem(Dziesietna::ZKursu(v.toDouble()).Tekst(miejsca));
}


}  // namespace

const QStringList kLokalizacje = {QString(), S("Miejsce uznane"), S("Opis lokalizacji"), S("Miejsce odpraw celnych"),
                                  S("Miejsce wskazane w pozwoleniu")};

const QStringList& PolaGwarancji::Rodzaje() {
  static const QStringList rodzaje{S("MCS"), S("KCS"), S("KCS-MCS")};
  return rodzaje;
}

void PolaGwarancji::Wybierz(const host::Row& g) {
  id = g.Int64(S("ID_GWARANCJE"));
  numer = g.Str(S("GRN")).trimmed();
}

void PolaGwarancji::Wyczysc() {
  id = 0;
  numer.clear();
}

QString TinZKontrahenta(const host::Row& k, TinKontrahenta tin) {
  const QString eori = k.Str(S("EORI")).left(17);
  if (!eori.isEmpty()) return eori;
  switch (tin) {
    case TinKontrahenta::NipZZerami: return k.Str(S("NIP")).left(17) + S("00000");
    case TinKontrahenta::NipZZeramiPelny: return k.Str(S("NIP")).trimmed() + S("00000");
    case TinKontrahenta::Nip: return k.Str(S("NIP")).left(17);
  }
  return {};
}

PolaPodmiotu CzytajPodmiot(const Group& g) {
  PolaPodmiotu p;
  for (const auto& [pole, wartosc] : kPolaPodmiotu) p.*wartosc = g.Get(S(pole));
  return p;
}

void ZapiszPodmiot(Group g, const PolaPodmiotu& p, bool puste) {
  for (const auto& [pole, wartosc] : kPolaPodmiotu)
    if (puste) g.Set(S(pole), p.*wartosc);
    else g.SetOrRemove(S(pole), p.*wartosc);
}

void ZapiszOdbiorce(Group o, const PolaPodmiotu& odbiorca, const QString& przedstawiciel_tin) {
  PolaPodmiotu przyciety = odbiorca;
  for (const auto& [pole, wartosc] : kPolaPodmiotu) przyciety.*wartosc = (odbiorca.*wartosc).trimmed();
  ZapiszPodmiot(o, przyciety);
  if (przedstawiciel_tin.trimmed().isEmpty()) {
    if (Group r = o.Get(xml::kPrzedstawiciel)) xml::XML_RemoveNode(r.Node());
  } else {
    o.Ensure(xml::kPrzedstawiciel).Set(S("TIN"), przedstawiciel_tin.trimmed());
  }
}

PolaPodmiotu PodmiotZKontrahenta(const host::Row& k, TinKontrahenta tin) {
  const bool przyciety = tin == TinKontrahenta::NipZZeramiPelny;
  auto col = [&](const char* c, int n) {
    const QString v = k.Str(S(c)).left(n);
    return przyciety ? v.trimmed() : v;
  };
  return {col("Nazwa", 35), col("Kod", 9), col("Miejscowosc", 35), col("Ulica", 35), col("Kraj", 2), TinZKontrahenta(k, tin)};
}

ZawiadomienieIE007::ZawiadomienieIE007(host::HostContext& ctx) : ctx_(ctx), doc_(xml::NewIE007()) {}

std::optional<host::Row> ZawiadomienieIE007::Kontrahent(qint64 id) const {
  if (id <= 0) return std::nullopt;
  return ctx_.db.QueryOne(S("select * from KONTRAHENCI where ID_KONTRAHENCI=:ID"), {{S("ID"), id}});
}

void ZawiadomienieIE007::BeforeActivate(const QVariantMap& w) {
  tylko_do_odczytu_ = w.value(S("STATUS")).toInt() >= 2;
  tranzyt_id_ = w.contains(S("ID_TRANZYTY")) ? w.value(S("ID_TRANZYTY")).toLongLong() : w.value(S("TRANZYTY_ID")).toLongLong();
  rejestr_id = w.value(S("REJESTRY_ID")).toInt();
  pola = PolaPrzybycia{};
  pola.data = ctx_.clock.Today();
  pola.ryczalt = ZPrzecinkiem(w.value(S("RYCZALT")).toString());
  if (const auto t = ctx_.db.QueryOne(S("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{S("ID"), tranzyt_id_}})) {
    if (rejestr_id == 0) rejestr_id = t->Int(S("REJESTRY_ID"));
    pola.tir = t->Int(S("TIR")) == 1;
    pola.karnet_tir = t->Str(S("TIR_NUMER")).trimmed();
    pola.st = t->Str(S("SAMOCHOD_NR")).trimmed();
    pola.st_rodz = t->Str(S("SAMOCHOD_RODZAJ")).trimmed();
    pola.st_kraj = t->Str(S("SAMOCHOD_KRAJ")).trimmed();
    pola.waluta = t->Str(S("WALUTA")).trimmed();
    pola.gwarancja.numer = t->Str(S("GWARANCJA_NUMER")).trimmed();
    pola.gwarancja.id = t->Int64(S("GWARANCJA_ID"));
    pola.masa_brutto = TekstZKolumny(t->Value(S("WAGA_BRUTTO")), 3);
    pola.liczba_opakowan = QString::number(t->Int(S("LICZBA_OPAKOWAN")));
    pola.wartosc_towaru = TekstZKolumny(t->Value(S("WARTOSC_WAL")), 3);
    pola.wartosc_stat = QString::number(qRound64(t->Float(S("WARTOSC_STAT"))));
    pola.kurs = TekstZKolumny(t->Value(S("KURS")), 4);
    if (t->Value(S("DATA")).toDate().isValid()) pola.data = t->Value(S("DATA")).toDate();
    if (!t->IsNull(S("RYCZALT"))) pola.ryczalt = TekstZKolumny(t->Value(S("RYCZALT")), 3);
    pola.gwarancja.kwota = QString::number(qRound64(t->Float(S("GWARANCJA_KWOTA"))));
    nadawca_id = t->Int64(S("NADAWCA_ID"));
    odbiorca_id = t->Int64(S("ODBIORCA_ID"));
  } else {
    pola.masa_brutto = S("0,000");
    pola.liczba_opakowan = S("0");
    pola.wartosc_towaru = S("0,000");
    pola.wartosc_stat = S("0");
    pola.kurs = S("0,0000");
    pola.gwarancja.kwota = S("0");
  }
  if (pola.ryczalt.trimmed().isEmpty())
    pola.ryczalt = ctx_.options.ReadOption(S("SALDOWANIE"), S("RYCZALT"), S("6,5"));
  pola.rejestr = ctx_.db.QueryValue(S("select NAZWA from REJESTRY where ID_REJESTRY = :ID"), {{S("ID"), rejestr_id}}).toString().trimmed();

  koszty_.clear();
  for (const host::Row& r : ctx_.db.QueryAll(S("select * from TRANZYTY_KOSZTY where TRANZYTY_ID=:ID order by LP"), {{S("ID"), tranzyt_id_}})) {
    QVariantMap m;
    for (int i = 0; i < r.Size(); ++i) m.insert(r.Names()[i].toUpper(), r.Values()[i]);
    koszty_.push_back(m);
  }
}

QString ZawiadomienieIE007::NajnowszyTekst() const {
  return frame::TransitStore(ctx_.db).NajnowszyXmlWgId(tranzyt_id_, S("IE007")).value_or(QString());
}

void ZawiadomienieIE007::SetXML(const QString& text) {
  const QString naprawiony = frame::NaprawXML(text);
  bool wczytany = false;
  try {
    doc_ = xml::GetIE007(xml::LoadXMLData(naprawiony));
    wczytany = true;
  } catch (const std::exception&) {
    // A declaration without its encoding: read again as UTF-8.
    QString t = naprawiony;
    if (t.startsWith(S("<?xml version=\"1.0\"?>"))) t.replace(0, 21, S("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    try {
      doc_ = xml::GetIE007(xml::XmlDocument::ParseBytes(t.toUtf8()));
      wczytany = true;
    } catch (const std::exception&) {
    }
  }
  if (const auto t = ctx_.db.QueryOne(S("select * from TRANZYTY where (RODZAJ = 1) AND ID_TRANZYTY = :ID"), {{S("ID"), tranzyt_id_}}))
    nadawca_id = t->Int64(S("NADAWCA_ID"));
  pola.nadawca = {};
  if (const auto k = Kontrahent(nadawca_id)) pola.nadawca = PodmiotZKontrahenta(*k, TinKontrahenta::NipZZerami);
  if (!wczytany) NowyDokument();
  CzytajDokument();
}

void ZawiadomienieIE007::NowyDokument() {
  doc_ = xml::NewIE007();
  frame::NaglowekNowego(doc_);
  Group root = doc_.Root();
  Group przybycie = root.Ensure(xml::kIE007_Przybycie);
  Group lokalizacja = root.Ensure(xml::kIE007_Lokalizacja);
  Group odbiorca = root.Ensure(xml::kIE007_Odbiorca);
  if (const auto r = ctx_.db.QueryOne(S("select * from REJESTRY where ID_REJESTRY = :ID"), {{S("ID"), rejestr_id}})) {
    auto str = [&r](const char* c) { return r->Str(S(c)).trimmed(); };
    przybycie.Set(S("ProceduraUproszczona"), r->Int(S("PU")) == 1 ? S("1") : S("0"));
    przybycie.SetOrRemove(S("NrPozwolenia"), str("PU_NUMER"));
    lokalizacja.SetOrRemove(S("MiejsceWskazane"), str("PU_MIEJSCE"));
    const int typ = r->Int(S("IE007_MIEJSCE_TYP"));
    if (typ >= 1 && typ <= 4) {
      lokalizacja.Remove(S("MiejsceWskazane"));
      lokalizacja.SetOrRemove(QString::fromLatin1(kPolaLokalizacji[typ - 1]), str("IE007_MIEJSCE_OPIS"));
    }
    przybycie.SetOrRemove(S("UCPrzedstawienia"), str("IE007_UC_PRZEDSTAW"));
    if (const QString p = str("IE007_PRZEDSTAWICIEL"); !p.isEmpty())
      odbiorca.Ensure(xml::kPrzedstawiciel).Set(S("TIN"), p.leftJustified(17, QLatin1Char('0')));
    if (r->Int64(S("IE007_ODBIORCA_ID")) > 0)
      if (const auto k = Kontrahent(r->Int64(S("IE007_ODBIORCA_ID")))) {
        odbiorca_id = r->Int64(S("IE007_ODBIORCA_ID"));
        ZapiszPodmiot(odbiorca, PodmiotZKontrahenta(*k, TinKontrahenta::NipZZeramiPelny), true);
      }
  }
  przybycie.Set(S("Miejsce"), ctx_.options.ReadOption(S("USER"), S("MIEJSCE"), ctx_.user.UserInfo().GetLOKALIZACJA()));
}

void ZawiadomienieIE007::CzytajDokument() {
  const Group root = doc_.Root();
  const xml::Naglowek h = doc_.GetNaglowek();
  pola.nr_wlasny = h.NrWlasny();
  pola.data_utworzenia = h.DataUtworzenia();
  pola.mrn = h.MRN();
  const Group p = root.Get(xml::kIE007_Przybycie);
  pola.miejsce = p.Get(S("Miejsce"));
  pola.uproszczona = Flaga(p.Get(S("ProceduraUproszczona")));
  pola.nr_pozwolenia = p.Get(S("NrPozwolenia"));
  pola.uc_przedstawienia = p.Get(S("UCPrzedstawienia"));
  const Group l = root.Get(xml::kIE007_Lokalizacja);
  pola.lokalizacja = 0;
  pola.opis_lokalizacji.clear();
  for (int i = 0; i < 4; ++i)
    if (!l.Get(S(kPolaLokalizacji[i])).isEmpty()) {
      pola.lokalizacja = i + 1;
      pola.opis_lokalizacji = l.Get(S(kPolaLokalizacji[i]));
      break;
    }
  const Group o = root.Get(xml::kIE007_Odbiorca);
  pola.odbiorca = CzytajPodmiot(o);
  pola.przedstawiciel_tin = o.Get(xml::kPrzedstawiciel).Get(S("TIN"));
  OdswiezZdarzenia();
}

void ZawiadomienieIE007::OdswiezZdarzenia() {
  zdarzenia_.clear();
  for (const Group& z : doc_.Root().List(xml::kIE007_Zdarzenie))
    zdarzenia_.push_back({z.Get(S("PozId")).toInt(), z.Get(S("Miejsce")), z.Get(S("Kraj")), Flaga(z.Get(S("WSystemie")))});
}

QString ZawiadomienieIE007::GetXML() {
  Group root = doc_.Root();
  xml::Naglowek h = doc_.EnsureNaglowek();
  h.SetNrWlasny(pola.nr_wlasny);
  h.SetDataUtworzenia(pola.data_utworzenia);
  h.SetMRN(pola.mrn.trimmed());
  Group p = root.Ensure(xml::kIE007_Przybycie);
  // Before numbering the creation date is "<AUTO>": the notification is dated today then.
  const QDate data = QDate::fromString(pola.data_utworzenia.left(10), Qt::ISODate);
  p.Set(S("Data"), data.isValid() ? pola.data_utworzenia.left(10) : frame::GetDateAsString(ctx_.clock.Today()));
  p.Set(S("Miejsce"), pola.miejsce.trimmed());
  p.Set(S("ProceduraUproszczona"), pola.uproszczona ? S("1") : S("0"));
  p.SetOrRemove(S("NrPozwolenia"), pola.nr_pozwolenia.trimmed());
  p.SetOrRemove(S("UCPrzedstawienia"), pola.uc_przedstawienia.trimmed());
  Group l = root.Ensure(xml::kIE007_Lokalizacja);
  for (const char* pole : kPolaLokalizacji) l.Remove(S(pole));
  if (pola.lokalizacja >= 1 && pola.lokalizacja <= 4) l.SetOrRemove(QString::fromLatin1(kPolaLokalizacji[pola.lokalizacja - 1]), pola.opis_lokalizacji.trimmed());
  ZapiszOdbiorce(root.Ensure(xml::kIE007_Odbiorca), pola.odbiorca, pola.przedstawiciel_tin);
  int n = 0;
  for (Group z : root.List(xml::kIE007_Zdarzenie)) z.Set(S("PozId"), QString::number(++n));
  OdswiezZdarzenia();
  QString text = doc_.Xml();
  while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}

void ZawiadomienieIE007::UstawRejestr(const host::Row& r) {
  rejestr_id = r.Int(S("ID_REJESTRY"));
  pola.rejestr = r.Str(S("NAZWA")).trimmed();
}

void ZawiadomienieIE007::UstawOdbiorce(const host::Row& k) {
  odbiorca_id = k.Int64(S("ID_KONTRAHENCI"));
  pola.odbiorca = PodmiotZKontrahenta(k, TinKontrahenta::Nip);
}

void ZawiadomienieIE007::UstawNadawce(const host::Row& k) {
  nadawca_id = k.Int64(S("ID_KONTRAHENCI"));
  pola.nadawca = PodmiotZKontrahenta(k, TinKontrahenta::NipZZerami);
}

void ZawiadomienieIE007::UstawPrzedstawiciela(const host::Row& k) {
  pola.przedstawiciel_tin = TinZKontrahenta(k, TinKontrahenta::NipZZerami);
}

Dziesietna ZawiadomienieIE007::PrzeliczKurs() {
  Dziesietna kurs;
  pola.tabela_nbp.clear();
  const QString waluta = pola.waluta.trimmed().toUpper();
  if (waluta == QLatin1String("PLN")) {
    kurs = Dziesietna::Cala(1);  // the złoty has no table of its own
  } else if (const auto r = ctx_.db.QueryOne(
                 // The newest table of average rates (type 0) dated on or before the date.
                 S("select k.KURS, (select t.NAZWA from TABELA_KURSY t where t.ID_TABELA_KURSY = k.TABELA_ID) as NAZWA "
                   "from KURSY k where k.WALUTA = :WALUTA and k.TABELA_ID = (select t.ID_TABELA_KURSY from TABELA_KURSY t "
                   "where t.TYP = 0 and t.DATA <= :DATA order by t.DATA desc, t.ID_TABELA_KURSY desc limit 1)"),
                 {{S("WALUTA"), waluta}, {S("DATA"), pola.data}})) {
    kurs = Dziesietna::ZKursu(r->Float(S("KURS")));
    pola.tabela_nbp = r->Str(S("NAZWA")).trimmed();
  }
  pola.kurs = ZPrzecinkiem(kurs.Tekst(4));
  PrzeliczWartoscStatystyczna();
  return kurs;
}

qint64 ZawiadomienieIE007::PrzeliczWartoscStatystyczna() {
  // value × rate and the costs, in 1/10^8 złoty, to whole złoty
  __int128 n = static_cast<__int128>(Dziesietna::Z(pola.wartosc_towaru).Surowa()) * Dziesietna::Z(pola.kurs).Surowa();
  for (const QVariantMap& k : koszty_)
    n += static_cast<__int128>(Dziesietna::ZKursu(k.value(S("WARTOSC_PLN")).toDouble()).Surowa()) * Dziesietna::kSkala;
  const qint64 w = host::CalaZ(n, static_cast<__int128>(Dziesietna::kSkala) * Dziesietna::kSkala);
  pola.wartosc_stat = QString::number(w);
  PrzeliczKwote();
  return w;
}

qint64 ZawiadomienieIE007::PrzeliczKwote() {
  const qint64 k = host::CalaDoParzystej(static_cast<__int128>(Dziesietna::Z(pola.wartosc_stat).Surowa()) * Dziesietna::Z(pola.ryczalt).Surowa(),
                                         static_cast<__int128>(100) * Dziesietna::kSkala * Dziesietna::kSkala);
  pola.gwarancja.kwota = QString::number(k);
  return k;
}

Group ZawiadomienieIE007::DodajZdarzenie() {
  if (doc_.Root().Count(xml::kIE007_Zdarzenie) >= 9) {
    ctx_.dialogs.Ostrzezenie(S("Dopuszczalna liczba zdarzeń wynosi 9"));
    return {};
  }
  Group z = doc_.Root().Add(xml::kIE007_Zdarzenie);
  z.Set(S("PozId"), QString::number(doc_.Root().Count(xml::kIE007_Zdarzenie)));
  return z;
}

void ZawiadomienieIE007::CofnijZdarzenie(const Group& z) {
  if (z) xml::XML_RemoveNode(z.Node());
  OdswiezZdarzenia();
}

Group ZawiadomienieIE007::Zdarzenie(int indeks) const {
  const std::vector<Group> lista = doc_.Root().List(xml::kIE007_Zdarzenie);
  return indeks >= 0 && indeks < static_cast<int>(lista.size()) ? lista[indeks] : Group();
}

bool ZawiadomienieIE007::UsunZdarzenie(int indeks) {
  const Group z = Zdarzenie(indeks);
  if (!z) return false;
  if (ctx_.dialogs.PytanieNieTak(S("Czy na pewno usunąć to zdarzenie ?")) != host::kIdYes) return false;
  xml::XML_RemoveNode(z.Node());
  OdswiezZdarzenia();
  for (int i = 0; i < static_cast<int>(zdarzenia_.size()); ++i) zdarzenia_[i].poz_id = i + 1;
  return true;
}

KosztIE007 ZawiadomienieIE007::NowyKoszt() const {
  KosztIE007 k(ctx_);
  k.data = pola.data;
  return k;
}

KosztIE007 ZawiadomienieIE007::KosztDoPoprawy(int indeks) const {
  KosztIE007 k = NowyKoszt();
  k.Wczytaj(koszty_.at(indeks));
  return k;
}

void ZawiadomienieIE007::DodajKoszt(const KosztIE007& k) {
  const host::TUser& u = ctx_.user.UserInfo();
  QVariantMap m{{S("TRANZYTY_ID"), tranzyt_id_},
                {S("LP"), static_cast<int>(koszty_.size()) + 1},
                {S("KOD"), k.kod.trimmed()},
                {S("WARTOSC_WAL"), Liczba(k.kwota_wal)},
                {S("KURS"), Liczba(k.kurs.Tekst(4))},
                {S("WALUTA"), k.waluta.trimmed().toUpper()},
                {S("WARTOSC_PLN"), Liczba(k.kwota)},
                {S("CREATE_ID_USER"), u.GetID()},
                {S("CREATE_USER_NAME"), u.GetNAZWA()},
                {S("CREATE_DATE"), ctx_.clock.Today()},
                {S("CREATE_TIME"), ctx_.clock.Now().time()}};
  koszty_.push_back(m);
  PrzeliczWartoscStatystyczna();
}

void ZawiadomienieIE007::PoprawKoszt(int indeks, const KosztIE007& k) {
  QVariantMap& m = koszty_.at(indeks);
  const host::TUser& u = ctx_.user.UserInfo();
  m.insert(S("KOD"), k.kod.trimmed());
  m.insert(S("WARTOSC_WAL"), Liczba(k.kwota_wal));
  m.insert(S("WALUTA"), k.waluta.trimmed().toUpper());
  m.insert(S("KURS"), Liczba(k.kurs.Tekst(4)));
  m.insert(S("WARTOSC_PLN"), Liczba(k.kwota));
  m.insert(S("TRANZYTY_ID"), tranzyt_id_);
  m.insert(S("MODIFY_ID_USER"), u.GetID());
  m.insert(S("MODIFY_USER_NAME"), u.GetNAZWA());
  m.insert(S("MODIFY_DATE"), ctx_.clock.Today());
  m.insert(S("MODIFY_TIME"), ctx_.clock.Now().time());
  PrzeliczWartoscStatystyczna();
}

bool ZawiadomienieIE007::UsunKoszt(int indeks) {
  if (indeks < 0 || indeks >= static_cast<int>(koszty_.size())) return false;
  if (ctx_.dialogs.PytanieNieTak(S("Czy na pewno usunąć ten koszt ?")) != host::kIdYes) return false;
  koszty_.erase(koszty_.begin() + indeks);
  PrzeliczWartoscStatystyczna();
  for (int i = 0; i < static_cast<int>(koszty_.size()); ++i) koszty_[i].insert(S("LP"), i + 1);
  return true;
}

host::FieldErrors ZawiadomienieIE007::Sprawdz() const {
  host::FieldErrors out;
  const QString wymagane = S("Pole jest wymagane");
  auto cyfra = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
  auto litera = [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); };
  const QString mrn = pola.mrn.trimmed();
  if (mrn.size() != 18) out.push_back({S("beNrMRN"), S("Numer MRN musi się składać z 18 znaków 0-9,A-Z")});
  else if (!litera(mrn[2]) || !litera(mrn[3])) out.push_back({S("beNrMRN"), S("3 i 4 znak numeru MRN musi być literą z zakresu A-Z")});
  else if (!cyfra(mrn[0]) || !cyfra(mrn[1])) out.push_back({S("beNrMRN"), S("1 i 2 znak numeru MRN musi być cyfrą")});
  if (pola.miejsce.trimmed().isEmpty()) out.push_back({S("beDataCzasMiejsce"), wymagane});
  if (pola.rejestr.trimmed().isEmpty()) out.push_back({S("beRejestr"), wymagane});
  if (pola.uproszczona && pola.nr_pozwolenia.trimmed().isEmpty()) out.push_back({S("beNrPozwolenia"), S("Proszę wprowadzić numer pozwolenia")});
  if (pola.uc_przedstawienia.trimmed().isEmpty()) out.push_back({S("beUCPrzedstawienia"), wymagane});
  const bool lokalizacja_zla = pola.uproszczona ? (pola.lokalizacja != 0 && pola.lokalizacja != 4) : pola.lokalizacja == 4;
  if (lokalizacja_zla)
    out.push_back({S("peLokalizacja"), S("Dla procedury uproszczonej ") + kLokalizacje.value(pola.lokalizacja) + S(" nie może zostać użyte")});
  const std::pair<const char*, const QString*> podmiot[] = {{"beNazwa", &pola.odbiorca.nazwa},       {"beKodPocztowy", &pola.odbiorca.kod_pocztowy},
                                                            {"beMiejscowosc", &pola.odbiorca.miejscowosc}, {"beUlicaNumer", &pola.odbiorca.ulica},
                                                            {"beKraj", &pola.odbiorca.kraj},       {"beTIN", &pola.odbiorca.tin}};
  for (const auto& [pole, wartosc] : podmiot)
    if (wartosc->trimmed().isEmpty()) out.push_back({S(pole), wymagane});
  auto liczba = [&](const char* pole, const QString& tekst, int cyfry, int miejsca) {
    bool ok = false;
    const Dziesietna d = Dziesietna::Z(tekst, &ok);
    const QString t = tekst.trimmed();
    const int po_przecinku = t.contains(QRegularExpression(S("[.,]"))) ? static_cast<int>(t.size() - t.indexOf(QRegularExpression(S("[.,]"))) - 1) : 0;
    if (!t.isEmpty() && (!ok || d.Surowa() < 0 || po_przecinku > miejsca || t.size() > cyfry))
      out.push_back({S(pole), S("Wartość musi być liczbą (%1,%2)").arg(cyfry).arg(miejsca)});
  };
  liczba("ceMasaBrutto", pola.masa_brutto, 16, 3);
  liczba("ceLiczbaOpak", pola.liczba_opakowan, 7, 0);
  liczba("ceWartoscTowaru", pola.wartosc_towaru, 15, 3);
  liczba("ceKurs", pola.kurs, 11, 4);
  liczba("ceRyczalt", pola.ryczalt, 8, 3);
  const bool jest_gwarancja = !pola.gwarancja.numer.trimmed().isEmpty();
  if (jest_gwarancja && Dziesietna::Z(pola.wartosc_stat).Surowa() <= 0)
    out.push_back({S("ceWartoscStatystyczna"), S("Proszę wprowadzić wartość statystyczną")});
  if (jest_gwarancja && Dziesietna::Z(pola.ryczalt).Surowa() <= 0) out.push_back({S("ceRyczalt"), S("Proszę wprowadzić wartość stawki cła")});
  if (jest_gwarancja && Dziesietna::Z(pola.gwarancja.kwota).Surowa() <= 0)
    out.push_back({S("ceKwota"), S("Proszę wprowadzić dane pozwalające obliczyć wartość do obciążenia gwarancji")});
  if (!jest_gwarancja && Dziesietna::Z(pola.gwarancja.kwota).Surowa() > 0) out.push_back({S("beGwarancja"), wymagane});
  if (Dziesietna::Z(pola.wartosc_towaru).Surowa() > 0 && pola.waluta.trimmed().isEmpty()) out.push_back({S("beWaluta"), wymagane});
  if (!pola.data.isValid()) out.push_back({S("deData"), wymagane});
  return out;
}

QString ZawiadomienieIE007::MRNWInnymTranzycie() const {
  const auto r = ctx_.db.QueryOne(S("select ID_TRANZYTY from TRANZYTY where MRN=:MRN and RODZAJ=1 and ID_TRANZYTY <> :ID"),
                                  {{S("MRN"), pola.mrn.trimmed()}, {S("ID"), tranzyt_id_}});
  return r ? S("W systemie NCTS istnieje już tranzyt o wprowadzonym numerze MRN") : QString();
}

WynikPrzybycia ZawiadomienieIE007::Wynik() {
  WynikPrzybycia w;
  w.xml = GetXML();
  w.kolumny_tranzytu = {
      {S("PU"), pola.uproszczona ? 1 : 0},
      {S("MRN"), pola.mrn.trimmed()},
      {S("TIR"), pola.tir ? 1 : 0},
      {S("TIR_NUMER"), pola.karnet_tir.trimmed()},
      {S("SAMOCHOD_NR"), pola.st.trimmed()},
      {S("SAMOCHOD_RODZAJ"), pola.st_rodz.trimmed()},
      {S("SAMOCHOD_KRAJ"), pola.st_kraj.trimmed()},
      {S("WAGA_BRUTTO"), Liczba(pola.masa_brutto)},
      {S("LICZBA_OPAKOWAN"), Liczba(pola.liczba_opakowan)},
      {S("NADAWCA_NAZWA"), pola.nadawca.nazwa},
      {S("NADAWCA_ID"), nadawca_id > 0 ? QVariant(nadawca_id) : QVariant()},
      {S("ODBIORCA_NAZWA"), pola.odbiorca.nazwa},
      {S("ODBIORCA_ID"), odbiorca_id > 0 ? QVariant(odbiorca_id) : QVariant()},
      {S("REJESTRY_ID"), rejestr_id},
      {S("WARTOSC_WAL"), Liczba(pola.wartosc_towaru)},
      {S("WALUTA"), pola.waluta.trimmed().toUpper()},
      {S("KURS"), Liczba(pola.kurs)},
      {S("DATA"), pola.data},
      {S("WARTOSC_STAT"), Liczba(pola.wartosc_stat)},
      {S("RYCZALT"), Liczba(pola.ryczalt)},
      {S("GWARANCJA_ID"), pola.gwarancja.id > 0 ? QVariant(pola.gwarancja.id) : QVariant()},
      {S("GWARANCJA_NUMER"), pola.gwarancja.numer},
      {S("GWARANCJA_KWOTA"), Liczba(pola.gwarancja.kwota)},
  };
  w.koszty = koszty_;
  return w;
}

}  // namespace velmora::arrival
