#include "arrival_event.h"

#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"

#include <QDate>
#include <QRegularExpression>

namespace velmora::arrival {

namespace {

using xml::Group;

QString S(const char* s) { return QString::fromUtf8(s); }

bool Flaga(const QString& v) { return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

QStringList Linie(const QString& text) {
  QStringList out;
  for (const QString& l : text.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts))
    if (!l.trimmed().isEmpty()) out << l.trimmed();
  return out;
}

// An endorsement date: a real date after the host's zero date, else none.
QDate DataAdnotacji(const QString& data) {
  const QDate d = QDate::fromString(data.trimmed().left(10), Qt::ISODate);
  return d.isValid() && d > QDate(1899, 12, 30) ? d : QDate();
}

void UstawDate(Group g, const QString& data) {
  if (const QDate d = DataAdnotacji(data); d.isValid()) g.Set(S("DataAdnotacji"), d.toString(Qt::ISODate));
}

void UstawNiepuste(Group g, const char* pole, const QString& wartosc) {
  if (!wartosc.trimmed().isEmpty()) g.Set(S(pole), wartosc.trimmed());
}

// The endorsement a transhipment and an incident each carry: date, authority, place, country.
void CzytajAdnotacje(const Group& g, QString& data, QString& wladze, QString& miejsce, QString& kraj) {
  data = g.Get(S("DataAdnotacji"));
  wladze = g.Get(S("WladzeAdnotacji"));
  miejsce = g.Get(S("MiejsceAdnotacji"));
  kraj = g.Get(S("KrajAdnotacji"));
}

void ZapiszAdnotacje(Group g, const QString& data, const QString& wladze, const QString& miejsce, const QString& kraj) {
  UstawDate(g, data);
  UstawNiepuste(g, "WladzeAdnotacji", wladze);
  UstawNiepuste(g, "MiejsceAdnotacji", miejsce);
  UstawNiepuste(g, "KrajAdnotacji", kraj.toUpper());
}

void Usun(const Group& g) {
  if (g) xml::XML_RemoveNode(g.Node());
}

}  // namespace

void ZdarzenieIE007::SetXML(Group zdarzenie) {
  zdarzenie_ = std::move(zdarzenie);
  pola = PolaZdarzenia{};
  const Group& z = zdarzenie_;
  pola.w_systemie = Flaga(z.Get(S("WSystemie")));
  pola.miejsce = z.Get(S("Miejsce"));
  pola.kraj = z.Get(S("Kraj"));
  const Group p = z.Get(xml::kIE007_Przeladunek);
  pola.przeladunek = !p.Get(S("Znaki")).isEmpty() || !p.Get(S("Kraj")).isEmpty() || p.Count(xml::kKontener) > 0;
  if (pola.przeladunek) {
    pola.znaki = p.Get(S("Znaki"));
    pola.transport_kraj = p.Get(S("Kraj"));
    CzytajAdnotacje(p, pola.data_adnotacji, pola.wladze_adnotacji, pola.miejsce_adnotacji, pola.kraj_adnotacji);
    QStringList k;
    for (const Group& c : p.List(xml::kKontener)) k << c.Get(S("Numer"));
    pola.kontenery = k.join(QLatin1Char('\n'));
  }
  const Group i = z.Get(xml::kIE007_Incydent);
  pola.inne = Flaga(i.Get(S("Wystapil")));
  if (pola.inne) {
    pola.opis = i.Get(S("Opis"));
    CzytajAdnotacje(i, pola.inne_data, pola.inne_wladze, pola.inne_miejsce, pola.inne_kraj);
  }
  const Group zc = z.Get(xml::kIE007_ZamknieciaCelne);
  QStringList znaki;
  for (const Group& c : zc.List(xml::kZamkniecie)) znaki << c.Get(S("Znak"));
  pola.zamkniecia = znaki.join(QLatin1Char('\n'));
  pola.ilosc = QString::number(zc.IsNull() ? 0 : zc.Get(S("Liczba")).toInt());
}

void ZdarzenieIE007::GetXML() {
  Group z = zdarzenie_;
  z.Set(S("WSystemie"), pola.w_systemie ? S("1") : S("0"));
  z.Set(S("Miejsce"), pola.miejsce.trimmed());
  z.Set(S("Kraj"), pola.kraj.trimmed().toUpper());

  Usun(z.Get(xml::kIE007_Incydent));
  if (pola.inne) {
    Group i = z.Ensure(xml::kIE007_Incydent);
    i.Set(S("Wystapil"), S("1"));
    UstawNiepuste(i, "Opis", pola.opis.left(350));
    ZapiszAdnotacje(i, pola.inne_data, pola.inne_wladze, pola.inne_miejsce, pola.inne_kraj);
  }

  Usun(z.Get(xml::kIE007_Przeladunek));
  if (pola.przeladunek) {
    Group p = z.Ensure(xml::kIE007_Przeladunek);
    UstawNiepuste(p, "Znaki", pola.znaki);
    UstawNiepuste(p, "Kraj", pola.transport_kraj.toUpper());
    ZapiszAdnotacje(p, pola.data_adnotacji, pola.wladze_adnotacji, pola.miejsce_adnotacji, pola.kraj_adnotacji);
    int n = 0;
    for (const QString& l : Linie(pola.kontenery)) {
      if (n == 99) break;
      Group c = p.Add(xml::kKontener);
      c.Set(S("PozId"), QString::number(++n));
      c.Set(S("Numer"), l.left(17));
    }
  }

  Usun(z.Get(xml::kIE007_ZamknieciaCelne));
  const QStringList znaki = Linie(pola.zamkniecia);
  Group zc = z.Ensure(xml::kIE007_ZamknieciaCelne);
  int dodane = 0;
  for (const QString& l : znaki) {
    if (dodane == 9999) break;
    zc.Add(xml::kZamkniecie).Set(S("Znak"), l.left(20));
    ++dodane;
  }
  int liczba = pola.ilosc.trimmed().toInt();
  if (dodane > 0 && liczba == 0) liczba = dodane;
  if (dodane == 0) liczba = 0;
  zc.Set(S("Liczba"), QString::number(liczba));
}

host::FieldErrors ZdarzenieIE007::Sprawdz(const JestKodFn& jest_kod) const {
  host::FieldErrors out;
  const QString kNieZnany = S("Nie można zidentyfikować podanego kraju");
  auto kraj = [&](const char* pole, const QString& kod, int slownik) {
    if (!kod.trimmed().isEmpty() && !jest_kod(slownik, kod.trimmed().toUpper())) out.push_back({S(pole), kNieZnany});
  };
  // A date typed wrong would be dropped from the document without a word.
  auto data = [&](const char* pole, const QString& tekst) {
    if (!tekst.trimmed().isEmpty() && !DataAdnotacji(tekst).isValid()) out.push_back({S(pole), S("Niepoprawna data")});
  };
  if (pola.przeladunek) {
    kraj("beTransport_Kraj", pola.transport_kraj, 1008);
    data("deData_Adnotacji", pola.data_adnotacji);
    kraj("beKraj_Adnotacji", pola.kraj_adnotacji, 1008);
  }
  if (pola.inne) {
    data("deInne_Data", pola.inne_data);
    kraj("beInne_Kraj", pola.inne_kraj, 1009);
  }
  return out;
}

}  // namespace velmora::arrival
