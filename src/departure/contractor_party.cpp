#include "contractor_party.h"

#include "host/xml/bodies.h"

namespace velmora::departure {

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

QString UlicaNumer(const host::Row& k, AdresStrony adres) {
  const QString ulica = k.Str(S("Ulica")).trimmed();
  const QString dom = k.Str(S("Nr_Dom")).trimmed();
  QString numer = dom;
  if (adres == AdresStrony::Towar) {
    const QString lokal = k.Str(S("Nr_Lok")).trimmed();
    if (!dom.isEmpty() && !lokal.isEmpty()) numer = dom + QLatin1Char('/') + lokal;
    else if (dom.isEmpty()) numer = lokal;
  }
  return (ulica + QLatin1Char(' ') + numer).trimmed().left(35);
}

QString KodPocztowy(const host::Row& k, AdresStrony adres) {
  QString kod = k.Str(S("Kod")).trimmed();
  // A Polish code kept as five digits gets its hyphen.
  if (adres == AdresStrony::Towar && k.Str(S("Kraj")).trimmed().toUpper() == QLatin1String("PL") && kod.size() <= 5 && kod.size() > 2)
    kod.insert(2, QLatin1Char('-'));
  return kod.left(9);
}

QString Miejscowosc(const host::Row& k, AdresStrony adres) {
  const QString miejscowosc = k.Str(S("Miejscowosc")).trimmed();
  if (adres == AdresStrony::Naglowek) return miejscowosc.left(35);
  const QString poczta = k.Str(S("Poczta")).trimmed();
  QString m = poczta.isEmpty() ? miejscowosc : poczta;
  if (!poczta.isEmpty() && !miejscowosc.isEmpty() && poczta != miejscowosc) m = poczta + S(", ") + miejscowosc;
  return m.trimmed().left(35);
}

QString Tin(const host::Row& k, TinStrony tin) {
  const QString holder = k.Str(S("TIRholder")).trimmed();
  const bool tir_holder = !holder.isEmpty() && holder != QLatin1String("0");
  const int n = tin == TinStrony::GlownyZobowiazany || tin == TinStrony::GlownyZobowiazanyTIR ? 20 : 17;
  QString out;
  if (tin == TinStrony::GlownyZobowiazanyTIR || tin == TinStrony::Bezpieczenstwa || !tir_holder) out = k.Str(S("EORI")).trimmed().left(n);
  if (out.isEmpty()) out = k.Str(S("NIP")).trimmed().left(n);
  return out;
}

}  // namespace

PodmiotZKontrahenta WypelnijPodmiot(xml::Group g, const host::Row& k, AdresStrony adres, TinStrony tin_strony) {
  const QString tin = Tin(k, tin_strony);
  const bool tylko_tin = tin_strony == TinStrony::Bezpieczenstwa && !tin.isEmpty();
  const QString nazwa = k.Str(S("Nazwa")).trimmed().left(35);
  const QString kraj = k.Str(S("Kraj")).trimmed().left(2);
  g.Set(S("Nazwa"), tylko_tin ? QString() : nazwa);
  g.Set(S("UlicaNumer"), tylko_tin ? QString() : UlicaNumer(k, adres));
  g.Set(S("Miejscowosc"), tylko_tin ? QString() : Miejscowosc(k, adres));
  g.Set(S("KodPocztowy"), tylko_tin ? QString() : KodPocztowy(k, adres));
  g.Set(S("Kraj"), tylko_tin ? QString() : kraj);
  g.Set(S("TIN"), tin);
  return {tylko_tin ? tin : nazwa, kraj, k.Str(S("NrAEO")).trimmed().left(35)};
}

void DodajAEO(xml::Group towar, const QString& kod, const QString& numer) {
  if (numer.trimmed().isEmpty() || kod.isEmpty() || towar.IsNull()) return;
  for (const xml::Group& d : towar.List(xml::kDokumentWymagany))
    if (d.Get(S("Kod")) == kod && d.Get(S("Nr")) == numer) return;
  xml::Group d = towar.Add(xml::kDokumentWymagany);
  d.Set(S("PozId"), QString::number(towar.Count(xml::kDokumentWymagany)));
  d.Set(S("Kod"), kod);
  d.Set(S("Nr"), numer);
}

void UsunAEO(xml::Group towar, const QString& kod) {
  if (towar.IsNull()) return;
  for (const xml::Group& d : towar.List(xml::kDokumentWymagany))
    if (d.Get(S("Kod")) == kod) xml::XML_RemoveNode(d.Node());
  Przenumeruj(towar.List(xml::kDokumentWymagany));
}

void Przenumeruj(const std::vector<xml::Group>& lista) {
  int n = 0;
  for (xml::Group g : lista) g.Set(QStringLiteral("PozId"), QString::number(++n));
}

}  // namespace velmora::departure
