#include "host/reports/terminowosc_rpt.h"

#include "host/db/db.h"
#include "host/base/host_context.h"

#include <algorithm>

namespace velmora::host {

namespace {

// The message types the report follows; nothing else of a transit is read.
const QString kSqlTerminowosc = QStringLiteral(
    "select t.ID_TRANZYTY, t.RODZAJ, t.NUMER, t.MRN, p.TYP, p.DATA_WYSLANIA, p.CREATE_DATE, p.CREATE_TIME "
    "from TRANZYTY t left join TRANZYTY_POZYCJE p on p.TRANZYTY_ID = t.ID_TRANZYTY and "
    "p.TYP in ('IE015', 'IE028', 'IE029', 'IE007', 'IE043', 'IE044', 'IE025') "
    "where t.CREATE_DATE >= :OD and t.CREATE_DATE <= :DO");
const QString kSqlPorzadek = QStringLiteral(" order by t.RODZAJ, t.ROK, t.NR, t.ID_TRANZYTY, p.ID_TRANZYTY_POZYCJE");

QString Godziny(const std::optional<double>& h) { return h ? QString::number(*h, 'f', 1) : QString(); }

}  // namespace

const UkladTerminowosci& UkladTerminowosciDla(int rodzaj) {
  static const UkladTerminowosci wywozy{
      TerminowoscParametry::kWywozy,
      QStringLiteral("Objęcia (eksport)"),
      {{QStringLiteral("IE015"), true, QStringLiteral("Wysłano IE015")},
       {QStringLiteral("IE028"), false, QStringLiteral("MRN IE028")},
       {QStringLiteral("IE029"), false, QStringLiteral("Zwolnienie IE029")}},
      {{0, 1, QStringLiteral("Do MRN [h]")}, {1, 2, QStringLiteral("Do zwolnienia [h]")}, {0, 2, QStringLiteral("Razem [h]")}}};
  static const UkladTerminowosci przywozy{
      TerminowoscParametry::kPrzywozy,
      QStringLiteral("Zakończenia (import)"),
      {{QStringLiteral("IE007"), true, QStringLiteral("Wysłano IE007")},
       {QStringLiteral("IE043"), false, QStringLiteral("Pozwolenie IE043")},
       {QStringLiteral("IE044"), true, QStringLiteral("Uwagi IE044")},
       {QStringLiteral("IE025"), false, QStringLiteral("Zwolnienie IE025")}},
      {{0, 1, QStringLiteral("Do pozwolenia [h]")},
       {1, 2, QStringLiteral("Do uwag [h]")},
       {2, 3, QStringLiteral("Do zwolnienia [h]")},
       {0, 3, QStringLiteral("Razem [h]")}}};
  return rodzaj == TerminowoscParametry::kPrzywozy ? przywozy : wywozy;
}

std::vector<SekcjaTerminowosci> ObliczTerminowosc(Db& db, const TerminowoscParametry& p) {
  QString sql = kSqlTerminowosc;
  Params params{{QStringLiteral("OD"), p.od}, {QStringLiteral("DO"), p.do_}};
  if (p.rodzaj != TerminowoscParametry::kWszystkie) {
    sql += QStringLiteral(" and t.RODZAJ = :RODZAJ");
    params.insert(QStringLiteral("RODZAJ"), p.rodzaj);
  }
  if (p.rejestr_id > 0) {
    sql += QStringLiteral(" and t.REJESTRY_ID = :REJ");
    params.insert(QStringLiteral("REJ"), p.rejestr_id);
  }

  std::vector<SekcjaTerminowosci> sekcje;
  for (const Row& r : db.QueryAll(sql + kSqlPorzadek, params)) {
    const int rodzaj = r.Int(QStringLiteral("RODZAJ"));
    const UkladTerminowosci& uklad = UkladTerminowosciDla(rodzaj);
    if (sekcje.empty() || sekcje.back().rodzaj != rodzaj) sekcje.push_back(SekcjaTerminowosci{rodzaj, {}, {}, {}});
    auto& wiersze = sekcje.back().wiersze;
    const qint64 id = r.Int64(QStringLiteral("ID_TRANZYTY"));
    if (wiersze.empty() || wiersze.back().id != id) {
      WierszTerminowosci w;
      w.id = id;
      w.numer = r.Str(QStringLiteral("NUMER")).trimmed();
      w.mrn = r.Str(QStringLiteral("MRN")).trimmed();
      w.chwile.resize(uklad.etapy.size());
      wiersze.push_back(std::move(w));
    }
    const QString typ = r.Str(QStringLiteral("TYP")).trimmed();
    for (size_t i = 0; i < uklad.etapy.size(); ++i) {
      const EtapTerminowosci& etap = uklad.etapy[i];
      if (etap.typ != typ) continue;
      // Our own messages count from the day they were written for sending (a withdrawn send
      // clears it); a received one from when it was stored, its header's date when that is missing.
      QDateTime chwila = ChwilaZKolumny(r.Value(QStringLiteral("DATA_WYSLANIA")));
      if (!etap.wysylany) {
        const QDateTime odebrano = ChwilaZKolumn(r.Value(QStringLiteral("CREATE_DATE")), r.Value(QStringLiteral("CREATE_TIME")));
        if (odebrano.isValid()) chwila = odebrano;
      }
      // The first of its kind: a repeated answer does not move the step.
      QDateTime& dotad = wiersze.back().chwile[i];
      if (chwila.isValid() && (!dotad.isValid() || chwila < dotad)) dotad = chwila;
    }
  }

  for (SekcjaTerminowosci& s : sekcje) {
    const UkladTerminowosci& uklad = UkladTerminowosciDla(s.rodzaj);
    s.osiagniete.assign(uklad.etapy.size(), 0);
    s.podsumowanie.assign(uklad.odcinki.size(), {});
    std::vector<double> sumy(uklad.odcinki.size(), 0.0);
    for (WierszTerminowosci& w : s.wiersze) {
      for (size_t i = 0; i < w.chwile.size(); ++i)
        if (w.chwile[i].isValid()) ++s.osiagniete[i];
      w.godziny.resize(uklad.odcinki.size());
      for (size_t i = 0; i < uklad.odcinki.size(); ++i) {
        const QDateTime& a = w.chwile[uklad.odcinki[i].od];
        const QDateTime& b = w.chwile[uklad.odcinki[i].do_];
        if (!a.isValid() || !b.isValid()) continue;
        const double h = a.secsTo(b) / 3600.0;
        w.godziny[i] = h;
        PodsumowanieOdcinka& pod = s.podsumowanie[i];
        pod.najdluzej = pod.liczba == 0 ? h : std::max(pod.najdluzej, h);
        ++pod.liczba;
        sumy[i] += h;
      }
    }
    for (size_t i = 0; i < sumy.size(); ++i)
      if (s.podsumowanie[i].liczba > 0) s.podsumowanie[i].srednio = sumy[i] / s.podsumowanie[i].liczba;
  }
  return sekcje;
}

TTerminowoscRpt::TTerminowoscRpt(HostContext& ctx) : TRaportOkresuRpt(ctx) {
  SetAppRpt(QStringLiteral("NCTS"));
  SetJezykRpt(QStringLiteral("PL"));
  SetObiektRpt(QStringLiteral("Terminowosc"));
  SetTytulRpt(QStringLiteral("Terminowość"));
  SetLandscape(true);
}

void TTerminowoscRpt::Prepare() {
  sekcje_ = ObliczTerminowosc(ctx_.db, {DataOd(), DataDo(), rodzaj_, rejestr_id_});
}

QString TTerminowoscRpt::RenderHtml() {
  QString html = NaglowekHtml(QStringLiteral("Terminowość"));
  html += QStringLiteral("<p>Rejestr: %1</p>")
              .arg(Html(rejestr_id_ > 0 ? (rejestr_nazwa_.isEmpty() ? QString::number(rejestr_id_) : rejestr_nazwa_)
                                        : QStringLiteral("<wszystkie>")));
  if (sekcje_.empty()) return html + QStringLiteral("<p>Brak tranzytów w podanym okresie.</p>");
  for (const SekcjaTerminowosci& s : sekcje_) {
    const UkladTerminowosci& uklad = UkladTerminowosciDla(s.rodzaj);
    // The hours since the step before stand in that step's own cell; other intervals get columns.
    const int etapy = static_cast<int>(uklad.etapy.size());
    std::vector<int> w_etapie(etapy, -1);
    std::vector<int> osobne;
    for (int i = 0; i < static_cast<int>(uklad.odcinki.size()); ++i) {
      const OdcinekTerminowosci& o = uklad.odcinki[i];
      if (o.do_ == o.od + 1) w_etapie[o.do_] = i;
      else osobne.push_back(i);
    }
    // Fixed widths, with some room for the borders, so that an MRN is not broken.
    const int szerokosc = (95 - 7 - 18 - 10 * static_cast<int>(osobne.size())) / etapy;
    html += QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" "
                           "style=\"font-size: 8pt\"><tr><th width=\"7%\">Numer</th><th width=\"18%\">MRN</th>")
                .arg(Html(uklad.tytul));
    for (int j = 0; j < etapy; ++j)
      html += QStringLiteral("<th width=\"%1%\">%2%3</th>")
                  .arg(szerokosc)
                  .arg(Html(uklad.etapy[j].naglowek),
                       w_etapie[j] < 0 ? QString() : QStringLiteral("<br>") + Html(uklad.odcinki[w_etapie[j]].naglowek));
    for (int i : osobne) html += QStringLiteral("<th width=\"10%\">%1</th>").arg(Html(uklad.odcinki[i].naglowek));
    html += QStringLiteral("</tr>");
    for (const WierszTerminowosci& w : s.wiersze) {
      html += QStringLiteral("<tr><td>%1</td><td>%2</td>").arg(Html(w.numer), Html(w.mrn));
      for (int j = 0; j < etapy; ++j) {
        const bool godziny = w_etapie[j] >= 0 && w.godziny[w_etapie[j]];
        html += QStringLiteral("<td>%1%2</td>")
                    .arg(TekstChwili(w.chwile[j]), godziny ? QStringLiteral("<br>") + Godziny(w.godziny[w_etapie[j]]) : QString());
      }
      for (int i : osobne) html += QStringLiteral("<td align=\"right\">%1</td>").arg(Godziny(w.godziny[i]));
      html += QStringLiteral("</tr>");
    }
    // How many got to each step, then the mean and the longest of each interval under it.
    html += QStringLiteral("<tr><td colspan=\"2\"><b>Liczba tranzytów: %1</b></td>").arg(s.wiersze.size());
    for (int n : s.osiagniete) html += QStringLiteral("<td>%1</td>").arg(n);
    for (int i : osobne) html += QStringLiteral("<td align=\"right\">%1</td>").arg(s.podsumowanie[i].liczba);
    for (const auto& [tytul, srednio] : {std::pair{QStringLiteral("Średnio [h]"), true}, std::pair{QStringLiteral("Najdłużej [h]"), false}}) {
      auto wartosc = [&s, srednio = srednio](int i) {
        const PodsumowanieOdcinka& p = s.podsumowanie[i];
        return p.liczba ? Godziny(srednio ? p.srednio : p.najdluzej) : QString();
      };
      html += QStringLiteral("</tr><tr><td colspan=\"2\"><b>%1</b></td>").arg(tytul);
      for (int j = 0; j < etapy; ++j) html += QStringLiteral("<td>%1</td>").arg(w_etapie[j] < 0 ? QString() : wartosc(w_etapie[j]));
      for (int i : osobne) html += QStringLiteral("<td align=\"right\">%1</td>").arg(wartosc(i));
    }
    html += QStringLiteral("</tr></table>");
  }
  return html;
}

}  // namespace velmora::host
