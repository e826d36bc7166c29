#include "security_amount.h"

#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/db/exchange_rates.h"
#include "host/base/host_context.h"
#include "host/base/rounding.h"
#include "host/xml/bodies.h"
#include "host/xml/messages.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <memory>

namespace velmora::departure {

namespace {

QString S(const char* text) { return QString::fromUtf8(text); }

const QString kPln = QStringLiteral("PLN");

QString Zl(qint64 cale) { return Dziesietna::Cala(cale).Tekst(2); }

// The attributes are stored with decimal points whatever was typed.
QString ZKropka(const QString& text) { return text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')); }

}  // namespace

const QString kZabezpieczenieTIR = S("Dla karnetów TIR nie obliczamy wartości zabezpieczenia.\rPola zostały zablokowane.");

QString BrakKursuWaluty(const QString& waluta) { return S("BRAK kursu waluty ") + waluta + S(" !"); }


KursyWalut KursyNaDzis(host::HostContext& ctx) {
  return [&ctx](const QString& waluta) {
    host::ExchangeRates kursy(ctx.db, ctx.user, ctx.clock);
    return kursy.GetKursy(waluta, ctx.clock.Today());
  };
}

KursyWalut KursyNaDzisZPamiecia(host::HostContext& ctx) {
  auto pamiec = std::make_shared<QHash<QString, std::optional<host::Kurs>>>();
  return [z_bazy = KursyNaDzis(ctx), pamiec](const QString& waluta) {
    const QString kod = waluta.toUpper();
    auto it = pamiec->find(kod);
    if (it == pamiec->end()) it = pamiec->insert(kod, z_bazy(kod));
    return *it;
  };
}

xml::Group ElementZabezpieczenia(xml::Group towar) {
  xml::Group dane = towar.Ensure(xml::kIE015_DaneKrajowe);
  return dane.Ensure(xml::kIE015_Zabezpieczenie);
}

WejscieZabezpieczenia WejscieZabezpieczenia::ZElementu(const xml::Group& z) {
  WejscieZabezpieczenia we;
  we.stawka_cla = z.Get(S("StawkaCla"));
  we.stawka_cla_dodatkowego = z.Get(S("StawkaClaDodatkowego"));
  we.stawka_vat = z.Get(S("StawkaVAT"));
  we.wartosc = z.Get(S("Wartosc"));
  we.waluta_wartosci = z.Get(S("WalutaWartosci"));
  return we;
}

WynikZabezpieczenia ObliczZabezp(host::HostContext& ctx, xml::Group zabezpieczenie, const WejscieZabezpieczenia& we) {
  return ObliczZabezp(KursyNaDzis(ctx), std::move(zabezpieczenie), we);
}

namespace {

// The arithmetic alone: the rate found (0 when none) and the results, nothing written.
struct Obliczenie {
  QString waluta;  // trimmed
  bool pln = false;
  Dziesietna kurs;
  qint64 jednostki = 1;
  WynikZabezpieczenia w;
};

Obliczenie Policz(const KursyWalut& kursy, const WejscieZabezpieczenia& we) {
  Obliczenie o;
  if (we.tir) {
    o.w.etykieta = kZabezpieczenieTIR;
    return o;
  }
  o.waluta = we.waluta_wartosci.trimmed();
  o.pln = o.waluta.compare(kPln, Qt::CaseInsensitive) == 0;
  if (o.pln) {
    o.kurs = Dziesietna::Cala(1);
  } else if (const std::optional<host::Kurs> k = kursy(o.waluta)) {
    o.kurs = Dziesietna::ZKursu(k->kurs);
    o.jednostki = std::max(1, k->przelicznik);
  }
  WynikZabezpieczenia& w = o.w;
  if (o.kurs.Surowa() == 0) {
    w.etykieta = BrakKursuWaluty(o.waluta);
    return o;
  }
  w.wartosc_pln = CalaZIlorazu(Dziesietna::Z(we.wartosc), o.kurs, o.jednostki);
  const Dziesietna wartosc_pln = Dziesietna::Cala(w.wartosc_pln);
  w.a00 = CalaZIlorazu(wartosc_pln, Dziesietna::Z(we.stawka_cla), 100);
  w.a30 = CalaZIlorazu(wartosc_pln, Dziesietna::Z(we.stawka_cla_dodatkowego), 100);
  w.podstawa_vat = w.wartosc_pln + w.a00 + w.a30;
  w.b00 = CalaZIlorazu(Dziesietna::Cala(w.podstawa_vat), Dziesietna::Z(we.stawka_vat), 100);
  w.razem = w.a00 + w.a30 + w.b00;
  w.policzone = true;
  return o;
}

}  // namespace

WynikZabezpieczenia ObliczZabezp(const KursyWalut& kursy, xml::Group z, const WejscieZabezpieczenia& we) {
  Obliczenie o = Policz(kursy, we);
  WynikZabezpieczenia& w = o.w;
  if (we.tir) return w;
  z.Set(S("StawkaCla"), ZKropka(we.stawka_cla));
  z.Set(S("StawkaClaDodatkowego"), ZKropka(we.stawka_cla_dodatkowego));
  z.Set(S("StawkaVAT"), ZKropka(we.stawka_vat));
  z.Set(S("Wartosc"), ZKropka(we.wartosc));
  z.Set(S("WalutaWartosci"), o.waluta);
  z.Set(S("Kurs"), o.pln ? S("1") : o.kurs.Tekst(4));
  z.Set(S("Jednostki"), QString::number(o.jednostki));
  if (!w.policzone) return w;

  z.Set(S("WartoscPLN"), Zl(w.wartosc_pln));
  z.Set(S("A00"), Zl(w.a00));
  z.Set(S("A30"), Zl(w.a30));
  z.Set(S("PodstawaVAT"), Zl(w.podstawa_vat));
  z.Set(S("B00"), Zl(w.b00));
  z.Set(S("Razem"), Zl(w.razem));
  w.etykieta = PokazObliczenia(z, false);

  if (we.automatycznie && w.razem > 0) {
    z.Set(S("Kwota"), Zl(w.razem));
    z.Set(S("Waluta"), kPln);
    // The amount is in PLN now; a rate left from another currency would contradict it.
    z.Set(S("KursWalutyKwoty"), S("1"));
    z.Set(S("JednostkiWalutyKwoty"), S("1"));
    z.Set(S("GRN"), we.grn);
    w.kwota_wpisana = true;
  }
  return w;
}

QString PokazObliczenia(const xml::Group& z, bool tir) {
  if (tir) return kZabezpieczenieTIR;
  if (z.IsNull() || z.Get(S("Razem")).isEmpty()) return {};
  const auto procent = [](const QString& stawka) { return (stawka.isEmpty() ? S("0") : stawka) + S("%"); };
  QString kurs = z.Get(S("Kurs"));
  const QString jednostki = z.Get(S("Jednostki"));
  if (!jednostki.isEmpty() && jednostki != QLatin1String("1")) kurs += S(" / ") + jednostki;
  const QString w = z.Get(S("WartoscPLN"));
  QStringList linie;
  linie << z.Get(S("WalutaWartosci")) + S("\t") + kurs + S("\t") + w;
  linie << S("A00\t") + w + S("\t") + procent(z.Get(S("StawkaCla"))) + S("\t") + z.Get(S("A00"));
  if (Dziesietna::Z(z.Get(S("StawkaClaDodatkowego"))).Surowa() > 0)
    linie << S("A30\t") + w + S("\t") + procent(z.Get(S("StawkaClaDodatkowego"))) + S("\t") + z.Get(S("A30"));
  linie << S("B00\t") + z.Get(S("PodstawaVAT")) + S("\t") + procent(z.Get(S("StawkaVAT"))) + S("\t") + z.Get(S("B00"));
  linie << S("Razem:\t") + z.Get(S("Razem"));
  return linie.join(QLatin1Char('\r'));
}

bool UstawKursWalutyKwoty(host::HostContext& ctx, xml::Group z, const QString& waluta) {
  const QString kod = waluta.trimmed();
  if (kod.compare(kPln, Qt::CaseInsensitive) == 0) {
    z.Set(S("KursWalutyKwoty"), S("1"));
    z.Set(S("JednostkiWalutyKwoty"), S("1"));
    return true;
  }
  const std::optional<host::Kurs> k = KursyNaDzis(ctx)(kod);
  z.Set(S("KursWalutyKwoty"), (k ? Dziesietna::ZKursu(k->kurs) : Dziesietna()).Tekst(4));
  z.Set(S("JednostkiWalutyKwoty"), QString::number(k ? std::max(1, k->przelicznik) : 1));
  return k && k->kurs != 0.0;
}

std::vector<LiniaZabezpieczenia> ZabezpieczenieDeklaracji(host::HostContext& ctx, const QString& stored_ie015_xml) {
  const xml::Message m = xml::GetAnyMessage(xml::LoadXMLData(frame::NaprawXML(stored_ie015_xml)));
  if (m.Type().root_desc != &xml::kIE015 && m.Type().root_desc != &xml::kIE013)
    throw xml::BindingError(S("Dokument nie jest zgłoszeniem IE015 ani sprostowaniem IE013"));
  const xml::Group root = m.Root();
  const bool tir = root.Get(xml::kIE015_Rodzaj).Get(S("Deklaracja")).trimmed() == QLatin1String("TIR");

  // One lookup per currency for the whole declaration.
  const KursyWalut kursy = KursyNaDzisZPamiecia(ctx);

  std::vector<LiniaZabezpieczenia> out;
  for (const xml::Group& towar : root.List(xml::kIE015_Towar)) {
    LiniaZabezpieczenia l;
    l.poz_id = towar.Get(S("PozId")).trimmed().toInt();
    const xml::Group z = towar.Get(xml::kIE015_DaneKrajowe).Get(xml::kIE015_Zabezpieczenie);
    WejscieZabezpieczenia we = WejscieZabezpieczenia::ZElementu(z);
    we.tir = tir;
    const WynikZabezpieczenia w = Policz(kursy, we).w;
    if (w.policzone) {
      l.wartosc_pln = w.wartosc_pln;
      l.a00 = w.a00;
      l.a30 = w.a30;
      l.b00 = w.b00;
      l.razem = w.razem;
    } else {
      l.odmowa = w.etykieta;
    }
    out.push_back(std::move(l));
  }
  return out;
}

QStringList FormatujZabezpieczenie(const std::vector<LiniaZabezpieczenia>& linie) {
  QStringList out;
  qint64 suma = 0;
  for (const LiniaZabezpieczenia& l : linie) {
    if (!l.odmowa.isEmpty()) {
      out << QString::number(l.poz_id) + S("\t") + QString(l.odmowa).replace(QLatin1Char('\r'), QLatin1Char(' '));
      continue;
    }
    out << QStringList{QString::number(l.poz_id), Zl(l.wartosc_pln), Zl(l.a00), Zl(l.a30), Zl(l.b00), Zl(l.razem)}.join(
        QLatin1Char('\t'));
    suma += l.razem;
  }
  out << S("Razem\t") + Zl(suma);
  return out;
}

}  // namespace velmora::departure
