#include "declaration_guarantees.h"

#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"

#include <QRegularExpression>

#include <algorithm>

namespace velmora::departure {

namespace {

using xml::Group;
using xml::kIE015_Gwarancja;
using xml::kIE015_Gwarancje;
using xml::kIE015_NiewaznaNaKraj;

QString S(const char* text) { return QString::fromUtf8(text); }


QStringList Kraje(const Group& gwarancja) {
  QStringList out;
  for (const Group& k : gwarancja.List(kIE015_NiewaznaNaKraj)) out << k.Get(S("Kraj"));
  return out;
}

}  // namespace

GwarancjeDeklaracji::GwarancjeDeklaracji(xml::Message& msg, host::HostContext& ctx) : msg_(msg), ctx_(ctx) {}

std::vector<Group> GwarancjeDeklaracji::Grupy() const { return msg_.Root().List(kIE015_Gwarancje); }

Group GwarancjeDeklaracji::FindGwar(const QString& rodzaj) const {
  Group found;
  for (const Group& g : Grupy())
    if (g.Get(S("Rodzaj")) == rodzaj) found = g;
  return found;
}

Group GwarancjeDeklaracji::CreateGwar(const QString& rodzaj) {
  Group root = msg_.Root();
  std::vector<Group> grupy = Grupy();
  for (size_t i = 0; i < grupy.size(); ++i) {
    if (grupy[i].Get(S("Rodzaj")) <= rodzaj) continue;
    Group g(root.Document(), root.Node().InsertChildBefore(kIE015_Gwarancje.name, grupy[i].Node()), &kIE015_Gwarancje);
    g.Set(S("PozId"), QString::number(i + 1));
    g.Set(S("Rodzaj"), rodzaj);
    for (size_t j = i; j < grupy.size(); ++j) grupy[j].Set(S("PozId"), QString::number(j + 2));
    return g;
  }
  Group g = root.Add(kIE015_Gwarancje);
  g.Set(S("PozId"), QString::number(grupy.size() + 1));
  g.Set(S("Rodzaj"), rodzaj);
  return g;
}

void GwarancjeDeklaracji::ReloadMD() {
  wiersze_.clear();
  for (const Group& g : Grupy()) {
    const QString rodzaj = g.Get(S("Rodzaj"));
    const std::vector<Group> refs = g.List(kIE015_Gwarancja);
    if (refs.empty()) wiersze_.push_back({rodzaj, 0, {}, {}, {}, g, {}});
    int lp = 0;
    for (const Group& r : refs) {
      const QString numer = r.Get(S("Numer"));
      const QString niewazne = (r.Get(S("NiewaznaNaUE")) == QLatin1String("1") ? S("(UE)  ") : QString()) +
                               Kraje(r).join(QLatin1Char(','));
      wiersze_.push_back({rodzaj, ++lp, !numer.isEmpty() ? numer : S("GRN:  ") + r.Get(S("GRN")), r.Get(S("KodDostepu")),
                          niewazne, g, r});
    }
  }
  std::stable_sort(wiersze_.begin(), wiersze_.end(),
                   [](const WierszGwarancji& a, const WierszGwarancji& b) { return a.rodzaj < b.rodzaj; });
  UstawBiezacy(std::min<int>(std::max(biezacy_, 0), static_cast<int>(wiersze_.size()) - 1));
}

void GwarancjeDeklaracji::UstawBiezacy(int row) {
  biezacy_ = row >= 0 && row < static_cast<int>(wiersze_.size()) ? row : -1;
}

void GwarancjeDeklaracji::Ustaw(const QString& rodzaj, int lp) {
  for (size_t i = 0; i < wiersze_.size(); ++i)
    if (wiersze_[i].rodzaj == rodzaj && wiersze_[i].lp == lp) {
      biezacy_ = static_cast<int>(i);
      return;
    }
}

void GwarancjeDeklaracji::UsunGwarancje(const WierszGwarancji& w) {
  if (w.gwarancja) xml::XML_RemoveNode(w.gwarancja.Node());
  // A group that lost its last reference goes too: left behind it would come back as a
  // group-only entry nobody asked for.
  if (w.grupa.Count(kIE015_Gwarancja) == 0) xml::XML_RemoveNode(w.grupa.Node());
}

bool GwarancjeDeklaracji::DeleteGwar() {
  if (wiersze_.empty()) {
    ctx_.dialogs.Informacja(S("Lista jest pusta."));
    return false;
  }
  if (biezacy_ < 0) return false;
  if (ctx_.dialogs.PytanieNieTak(S("Czy usunąć zaznaczoną pozycję?")) != host::kIdYes) return false;
  const int row = biezacy_;
  UsunGwarancje(wiersze_[row]);
  ReloadMD();
  UstawBiezacy(std::min(row, static_cast<int>(wiersze_.size()) - 1));
  return true;
}

void GwarancjeDeklaracji::DeleteAllGwar() {
  for (const Group& g : Grupy()) xml::XML_RemoveNode(g.Node());
  ReloadMD();
}

void GwarancjeDeklaracji::UpdateNiewazneNaKraj(Group& gwarancja, const QString& tekst) {
  // The field upper-cases as it is typed; a text from elsewhere is taken the same way.
  QString t;
  for (const QChar c : tekst.toUpper())
    if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char(',')) t += c;
  gwarancja.Remove(kIE015_NiewaznaNaKraj.name);
  QStringList kraje;
  for (const QString& czesc : t.split(QLatin1Char(','))) {
    const QString kraj = czesc.trimmed().left(2);
    if (kraj.size() != 2 || kraje.contains(kraj)) continue;
    kraje << kraj;
    Group k = gwarancja.Add(kIE015_NiewaznaNaKraj);
    k.Set(S("PozId"), QString::number(kraje.size()));
    k.Set(S("Kraj"), kraj);
  }
}

DaneGwarancji GwarancjeDeklaracji::DaneBiezacego() const {
  DaneGwarancji d;
  if (biezacy_ < 0) return d;
  const WierszGwarancji& w = wiersze_[biezacy_];
  d.rodzaj = w.rodzaj;
  if (!w.gwarancja) return d;
  d.numer = w.gwarancja.Get(S("Numer"));
  d.grn = w.gwarancja.Get(S("GRN"));
  d.kod_dostepu = w.gwarancja.Get(S("KodDostepu"));
  d.niewazna_na_ue = w.gwarancja.Get(S("NiewaznaNaUE")) == QLatin1String("1");
  d.niewazne_na_kraj = Kraje(w.gwarancja).join(QLatin1Char(','));
  return d;
}

DaneGwarancji GwarancjeDeklaracji::ZRejestru(const host::Row& g) {
  DaneGwarancji d;
  d.rodzaj = g.Str(S("RODZAJ")).trimmed();
  d.numer = g.Str(S("NUMER")).trimmed();
  d.grn = g.Str(S("GRN")).trimmed();
  d.kod_dostepu = g.Str(S("KOD_DOSTEPU")).trimmed();
  d.niewazna_na_ue = g.Int(S("Niewazna_Na_UE")) == 1;
  d.niewazne_na_kraj = g.Str(S("Niewazna_Na")).trimmed();
  return d;
}

std::optional<BladGwarancji> GwarancjeDeklaracji::Sprawdz(DaneGwarancji& d) {
  d.rodzaj = d.rodzaj.trimmed().toUpper();
  d.numer = d.numer.trimmed().toUpper();
  d.grn = d.grn.trimmed().toUpper();
  d.kod_dostepu = d.kod_dostepu.trimmed();
  d.niewazne_na_kraj = d.niewazne_na_kraj.trimmed().toUpper();
  if (d.rodzaj.isEmpty()) return BladGwarancji{S("beRodzaj"), S("Pole \"Rodzaj gwarancji\" musi być wypełnione")};
  bool liczba = false;
  const int r = d.rodzaj.toInt(&liczba);
  // Types 3, 5, 6, 7 and 8 may stand without a reference and need no access code.
  const bool bez_kodu = liczba && r >= 3 && r != 4 && r != 9;
  if (!bez_kodu && !d.grn.isEmpty() && d.kod_dostepu.isEmpty())
    return BladGwarancji{S("peKodDostepu"),
                         S("RW12-1 [1] /SAD/Zgloszenie/Gwarancje/Gwarancja@KodDostepu:\r\"Kod dostępu\" jest wymagany")};
  if (bez_kodu && d.numer.isEmpty() && d.grn.isEmpty() && d.kod_dostepu.isEmpty()) {
    d.niewazne_na_kraj.clear();
    d.niewazna_na_ue = false;
    return std::nullopt;
  }
  if (d.numer.isEmpty() == d.grn.isEmpty())
    return BladGwarancji{S("beNr"), S("RW78-1 [1] /SAD/Zgloszenie/Gwarancje/Gwarancja:\r\"Należy podać \"Numer gwarancji\" "
                                      "albo \"Numer GRN\"")};
  return std::nullopt;
}

void GwarancjeDeklaracji::Zapisz(Group& g, const DaneGwarancji& d) {
  g.SetOrRemove(S("Numer"), d.numer);
  g.SetOrRemove(S("GRN"), d.grn);
  g.SetOrRemove(S("KodDostepu"), d.kod_dostepu);
  g.Set(S("NiewaznaNaUE"), d.niewazna_na_ue ? S("1") : S("0"));
  UpdateNiewazneNaKraj(g, d.niewazne_na_kraj);
}

bool GwarancjeDeklaracji::SelectGwar(bool zmiana, const Edytor& edytor, const std::optional<host::Row>& z_rejestru) {
  std::optional<WierszGwarancji> stary;
  if (zmiana) {
    if (biezacy_ < 0) return false;
    stary = wiersze_[biezacy_];
  }
  DaneGwarancji d = zmiana ? DaneBiezacego() : z_rejestru ? ZRejestru(*z_rejestru) : DaneGwarancji{};
  if (!edytor(d)) return false;

  if (d.numer.isEmpty() && d.grn.isEmpty() && d.kod_dostepu.isEmpty()) {
    // Only the group is wanted.
    if (stary && !stary->gwarancja && stary->rodzaj == d.rodzaj) return false;
    if (FindGwar(d.rodzaj)) {
      ctx_.dialogs.Blad(S("Grupa gwarancji rodzaju \"") + d.rodzaj + S("\" już istnieje."));
      return false;
    }
    if (stary) UsunGwarancje(*stary);
    CreateGwar(d.rodzaj);
    ReloadMD();
    Ustaw(d.rodzaj, 0);
    return true;
  }

  Group ref;
  if (stary && stary->rodzaj == d.rodzaj) {
    ref = stary->gwarancja ? stary->gwarancja : stary->grupa.Add(kIE015_Gwarancja);
  } else {
    // A new reference, or one whose type moves it to another group.
    if (stary) UsunGwarancje(*stary);
    Group grupa = FindGwar(d.rodzaj);
    if (!grupa) grupa = CreateGwar(d.rodzaj);
    ref = grupa.Add(kIE015_Gwarancja);
  }
  Zapisz(ref, d);
  ReloadMD();
  for (size_t i = 0; i < wiersze_.size(); ++i)
    if (wiersze_[i].gwarancja.Node() == ref.Node()) biezacy_ = static_cast<int>(i);
  return true;
}

std::optional<QString> GwarancjeDeklaracji::Wybierz() const {
  if (biezacy_ < 0) return std::nullopt;
  return wiersze_[biezacy_].gwarancja.Get(S("GRN"));
}

QString GwarancjeDeklaracji::Podsumowanie() const {
  const std::vector<Group> grupy = Grupy();
  if (grupy.empty()) return {};
  const Group ref = grupy.front().Get(kIE015_Gwarancja);
  const QString numer = ref.Get(S("Numer"));
  return grupy.front().Get(S("Rodzaj")) + QLatin1Char(' ') +
         (!numer.isEmpty() ? S("Nr: ") + numer : S("GRN: ") + ref.Get(S("GRN")));
}

QStringList GwarancjeDeklaracji::KodyDostepu(host::Db& db, const QString& grn) {
  const QString t = grn.trimmed();
  if (t.isEmpty()) return {};
  return ParsujKody(db.QueryValue(S("select LISTA_KODOW from GWARANCJE where GRN = :GRN"), {{S("GRN"), t}}).toString());
}

QStringList GwarancjeDeklaracji::ParsujKody(const QString& lista) {
  static const QRegularExpression kSeparator(S("[\\r\\n,]"));
  QStringList kody;
  for (const QString& k : lista.split(kSeparator)) {
    const QString kod = k.trimmed();
    if (!kod.isEmpty() && !kody.contains(kod)) kody << kod;
  }
  return kody;
}

xml::Message GwarancjeDeklaracji::Kopia(const xml::Message& msg) {
  xml::Message kopia = xml::NewMessage(msg.Type().code);
  Group root = kopia.Root();
  for (const Group& g : msg.Root().List(kIE015_Gwarancje)) {
    Group cel = root.Add(kIE015_Gwarancje);
    xml::CopyGroup(g, cel);
  }
  return kopia;
}

void GwarancjeDeklaracji::Renumeruj() {
  int pozycja = 0;
  for (Group& g : Grupy()) g.Set(S("PozId"), QString::number(++pozycja));
}

void GwarancjeDeklaracji::ZapiszDo(xml::Message& cel) {
  Renumeruj();
  if (cel.Document() == msg_.Document()) return;
  Group root = cel.Root();
  for (const Group& g : root.List(kIE015_Gwarancje)) xml::XML_RemoveNode(g.Node());
  for (const Group& g : Grupy()) {
    Group nowa = root.Add(kIE015_Gwarancje);
    xml::CopyGroup(g, nowa);
  }
}

}  // namespace velmora::departure
