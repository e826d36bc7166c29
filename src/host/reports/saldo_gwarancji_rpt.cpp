#include "host/reports/saldo_gwarancji_rpt.h"

#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/rounding.h"

#include <QMap>

namespace velmora::host {

namespace {

// A charge is booked below 0, a release above; both are summed as positive amounts.
const QString kSqlSalda = QStringLiteral(
    "select g.ID_GWARANCJE, g.SYMBOL, g.NUMER, g.GRN, g.RODZAJ, g.WALUTA, g.KWOTA, "
    "sum(case when p.DATA < :OD then p.KWOTA_OPERACJI else 0 end) as PRZED, "
    "sum(case when p.DATA <= :DO then p.KWOTA_OPERACJI else 0 end) as DO_KONCA, "
    "sum(case when p.DATA >= :OD and p.DATA <= :DO and p.OPERACJA = 0 then -p.KWOTA_OPERACJI else 0 end) as OBCIAZENIA, "
    "sum(case when p.DATA >= :OD and p.DATA <= :DO and p.OPERACJA = 1 then p.KWOTA_OPERACJI else 0 end) as ZWOLNIENIA "
    "from GWARANCJE g left join GWARANCJE_POZYCJE p on p.GWARANCJE_ID = g.ID_GWARANCJE");
const QString kSqlSaldaGrupa = QStringLiteral(
    " group by g.ID_GWARANCJE, g.SYMBOL, g.NUMER, g.GRN, g.RODZAJ, g.WALUTA, g.KWOTA order by g.SYMBOL, g.ID_GWARANCJE");
const QString kSqlPozycje = QStringLiteral(
    "select GWARANCJE_ID, LP, DATA, CZAS, OPERACJA, OBJ_NR, KWOTA_OPERACJI from GWARANCJE_POZYCJE "
    "where DATA >= :OD and DATA <= :DO");

QString Operacja(int operacja) {
  return operacja == TWpisGwarancja::kZwolnienie ? QStringLiteral("Zwolnienie") : QStringLiteral("Obciążenie");
}

QString Td(const QString& text, bool prawo = false) {
  return QStringLiteral("<td nowrap%1>%2</td>").arg(prawo ? QStringLiteral(" align=\"right\"") : QString(), text);
}

}  // namespace

std::vector<StanGwarancji> ObliczSaldaGwarancji(Db& db, const SaldoGwarancjiParametry& p) {
  Params params{{QStringLiteral("OD"), p.od}, {QStringLiteral("DO"), p.do_}};
  QString where;
  if (p.gwarancja_id > 0) {
    where = QStringLiteral(" where g.ID_GWARANCJE = :G");
    params.insert(QStringLiteral("G"), p.gwarancja_id);
  }
  std::vector<StanGwarancji> out;
  QMap<int, size_t> po_id;
  for (const Row& r : db.QueryAll(kSqlSalda + where + kSqlSaldaGrupa, params)) {
    StanGwarancji s;
    s.id = r.Int(QStringLiteral("ID_GWARANCJE"));
    s.symbol = r.Str(QStringLiteral("SYMBOL")).trimmed();
    s.numer = r.Str(QStringLiteral("NUMER")).trimmed();
    s.grn = r.Str(QStringLiteral("GRN")).trimmed();
    s.rodzaj = r.Str(QStringLiteral("RODZAJ")).trimmed();
    s.waluta = r.Str(QStringLiteral("WALUTA")).trimmed();
    // The ledger's own rule: the amount in cents plus the movements.
    s.kwota = Cents(r.Float(QStringLiteral("KWOTA")));
    s.saldo_poczatkowe = Cents(s.kwota + r.Float(QStringLiteral("PRZED")));
    s.saldo_koncowe = Cents(s.kwota + r.Float(QStringLiteral("DO_KONCA")));
    s.obciazenia = Cents(r.Float(QStringLiteral("OBCIAZENIA")));
    s.zwolnienia = Cents(r.Float(QStringLiteral("ZWOLNIENIA")));
    po_id.insert(s.id, out.size());
    out.push_back(std::move(s));
  }
  if (!p.pozycje || out.empty()) return out;

  QString sql = kSqlPozycje;
  if (p.gwarancja_id > 0) sql += QStringLiteral(" and GWARANCJE_ID = :G");
  for (const Row& r : db.QueryAll(sql + QStringLiteral(" order by GWARANCJE_ID, DATA, LP"), params)) {
    const auto it = po_id.constFind(r.Int(QStringLiteral("GWARANCJE_ID")));
    if (it == po_id.constEnd()) continue;
    StanGwarancji& s = out[*it];
    PozycjaSaldaGwarancji poz;
    poz.lp = r.Int(QStringLiteral("LP"));
    poz.data = ChwilaZKolumny(r.Value(QStringLiteral("DATA"))).date();
    poz.czas = ChwilaZKolumn(r.Value(QStringLiteral("DATA")), r.Value(QStringLiteral("CZAS"))).time();
    poz.operacja = r.Int(QStringLiteral("OPERACJA"));
    poz.obj_nr = r.Str(QStringLiteral("OBJ_NR")).trimmed();
    poz.kwota = Cents(r.Float(QStringLiteral("KWOTA_OPERACJI")));
    poz.saldo_po = Cents((s.pozycje.empty() ? s.saldo_poczatkowe : s.pozycje.back().saldo_po) + poz.kwota);
    s.pozycje.push_back(std::move(poz));
  }
  return out;
}

TWPTRpt::TWPTRpt(HostContext& ctx) : TRaportOkresuRpt(ctx) {
  SetAppRpt(QStringLiteral("NCTS"));
  SetJezykRpt(QStringLiteral("PL"));
  SetObiektRpt(QStringLiteral("SaldoGwarancji"));
  SetTytulRpt(QStringLiteral("Saldo gwarancji"));
  SetLandscape(true);
}

void TWPTRpt::Prepare() { salda_ = ObliczSaldaGwarancji(ctx_.db, {DataOd(), DataDo(), gwarancja_id_, pozycje_}); }

QString TWPTRpt::RenderHtml() {
  QString html = NaglowekHtml(QStringLiteral("Saldo gwarancji"));
  if (salda_.empty()) return html + QStringLiteral("<p>Brak gwarancji w rejestrze.</p>");
  // Fixed widths with some room for the borders, so that a GRN is not broken.
  const QString tabela =
      QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" style=\"font-size: 8pt\">");
  html += tabela + QStringLiteral(
                       "<tr><th width=\"7%\">Symbol</th><th width=\"8%\">Numer</th><th width=\"20%\">GRN</th>"
                       "<th width=\"6%\">Rodz.</th><th width=\"5%\">Wal.</th><th width=\"10%\">Kwota</th>"
                       "<th width=\"10%\">Saldo pocz.</th><th width=\"10%\">Obciążenia</th><th width=\"10%\">Zwolnienia</th>"
                       "<th width=\"10%\">Saldo końc.</th></tr>");
  struct Razem {
    double poczatek = 0, obciazenia = 0, zwolnienia = 0, koniec = 0;
  };
  // Guarantees in different currencies are not added together.
  QMap<QString, Razem> razem;
  for (const StanGwarancji& s : salda_) {
    html += QStringLiteral("<tr>") + Td(Html(s.symbol)) + Td(Html(s.numer)) + Td(Html(s.grn)) + Td(Html(s.rodzaj)) +
            Td(Html(s.waluta)) + Td(TekstKwoty(s.kwota), true) + Td(TekstKwoty(s.saldo_poczatkowe), true) +
            Td(TekstKwoty(s.obciazenia), true) + Td(TekstKwoty(s.zwolnienia), true) + Td(TekstKwoty(s.saldo_koncowe), true) +
            QStringLiteral("</tr>");
    Razem& r = razem[s.waluta];
    r.poczatek += s.saldo_poczatkowe;
    r.obciazenia += s.obciazenia;
    r.zwolnienia += s.zwolnienia;
    r.koniec += s.saldo_koncowe;
  }
  for (auto it = razem.cbegin(); it != razem.cend(); ++it)
    html += QStringLiteral("<tr><td colspan=\"4\"><b>Razem</b></td>") + Td(Html(it.key())) + Td(QString()) +
            Td(TekstKwoty(Cents(it->poczatek)), true) + Td(TekstKwoty(Cents(it->obciazenia)), true) +
            Td(TekstKwoty(Cents(it->zwolnienia)), true) + Td(TekstKwoty(Cents(it->koniec)), true) + QStringLiteral("</tr>");
  html += QStringLiteral("</table>");

  for (const StanGwarancji& s : salda_) {
    if (s.pozycje.empty()) continue;
    html += QStringLiteral("<h3>%1 %2</h3>").arg(Html(s.symbol), Html(s.numer)) + tabela +
            QStringLiteral("<tr><th width=\"5%\">Lp</th><th width=\"18%\">Data</th><th width=\"14%\">Operacja</th>"
                           "<th width=\"28%\">Nr MRN / obiektu</th><th width=\"15%\">Kwota</th><th width=\"15%\">Saldo po operacji</th></tr>");
    for (const PozycjaSaldaGwarancji& p : s.pozycje)
      html += QStringLiteral("<tr>") + Td(QString::number(p.lp), true) +
              Td(TekstDaty(p.data) + (p.czas.isValid() ? p.czas.toString(QStringLiteral(" HH:mm")) : QString())) +
              Td(Operacja(p.operacja)) + Td(Html(p.obj_nr)) + Td(TekstKwoty(p.kwota), true) + Td(TekstKwoty(p.saldo_po), true) +
              QStringLiteral("</tr>");
    html += QStringLiteral("</table>");
  }
  return html;
}

}  // namespace velmora::host
