#include "wydruk_rejestru.h"

#include "host/ui/display_text.h"

#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/base/host_context.h"
#include "host/db/users.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace velmora::lists {

TWydrukRejestruRpt::TWydrukRejestruRpt(host::HostContext& ctx) : ctx_(ctx) {
  SetAppRpt(QStringLiteral("NCTS"));
  SetJezykRpt(QStringLiteral("PL"));
  SetObiektRpt(QStringLiteral("Rejestr"));
  SetTytulRpt(QStringLiteral("Rejestr NCTS."));
  SetLandscape(true);
  data_do_ = ctx.clock.Today();
  // The period starts with the month of its end.
  data_od_ = QDate(data_do_.year(), data_do_.month(), 1);
}

QString TWydrukRejestruRpt::Get_FileNamePDF() {
  QString base = host::TConfigRptBox::Get_FileNamePDF();
  if (base.endsWith(QLatin1String(".pdf"))) base.chop(4);
  return base + QStringLiteral("-%1-%2.pdf").arg(frame::GetDateAsString(data_od_), frame::GetDateAsString(data_do_));
}

void TWydrukRejestruRpt::Prepare() {
  naglowek_ = {host::Row({QStringLiteral("Data_od"), QStringLiteral("Data_do")}, {data_od_, data_do_})};
  pozycje_ = ctx_.db.QueryAll(
      QStringLiteral("select o.NUMER as NrOdprawy, o.DATA as DataOdprawy, o.PROCEDURA, t.CREATE_DATE as DataCzasWprow, t.MRN as NrMRN, "
                     "t.WAGA_BRUTTO as x_WagaB, t.CREATE_USER_NAME as OsobaZglaszajaca from TRANZYTY t left join TRANZYTY_ODPRAWY o "
                     "on ID_TRANZYTY = TRANZYTY_ID where REJESTRY_ID = :ID_REJ and RODZAJ = :TR_TYP and t.Create_Date>=:d1 and "
                     "t.Create_Date<=:d2 order by ID_TRANZYTY asc, t.Create_date asc"),
      {{QStringLiteral("ID_REJ"), id_rej_}, {QStringLiteral("TR_TYP"), tr_typ_}, {QStringLiteral("d1"), data_od_}, {QStringLiteral("d2"), data_do_}});
  if (ctx_.user.UserInfo().isAdmin()) {
    const QString dir = QDir(ctx_.root).filePath(QStringLiteral("TTX"));
    QDir().mkpath(dir);
    const QString name = QDir(dir).filePath(Get_RptFile());
    ZapiszTTX(name + QStringLiteral(".Nag.TTX"), naglowek_);
    ZapiszTTX(name + QStringLiteral(".Poz.TTX"), pozycje_);
  }
}

// A table as tab-separated text with its column names in the first line.
void TWydrukRejestruRpt::ZapiszTTX(const QString& file, const std::vector<host::Row>& rows) {
  QFile f(file);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  QTextStream out(&f);
  bool header = false;
  for (const host::Row& r : rows) {
    if (!header) {
      out << r.Names().join(QLatin1Char('\t')) << '\n';
      header = true;
    }
    QStringList values;
    for (const QVariant& v : r.Values()) values << v.toString();
    out << values.join(QLatin1Char('\t')) << '\n';
  }
}

QString TWydrukRejestruRpt::RenderHtml() {
  // Dates and masses as the clerk writes them; the file names keep the documents' format.
  QString html = QStringLiteral("<h2>Rejestr NCTS.</h2><p>Okres od: %1 do: %2</p>")
                     .arg(host::TekstKomorki(data_od_), host::TekstKomorki(data_do_));
  html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\"><tr>"
                         "<th width=\"14%\">Nr odprawy</th><th width=\"11%\">Data odprawy</th><th width=\"9%\">Procedura</th>"
                         "<th width=\"12%\">Data wprowadzenia</th><th width=\"22%\">Nr MRN</th><th width=\"12%\">Masa brutto</th>"
                         "<th width=\"20%\">Osoba zgłaszająca</th></tr>");
  for (const host::Row& r : pozycje_) {
    html += QStringLiteral("<tr><td nowrap>%1</td><td nowrap>%2</td><td nowrap>%3</td><td nowrap>%4</td><td nowrap>%5</td>"
                               "<td nowrap align=\"right\">%6</td><td nowrap>%7</td></tr>")
                .arg(Html(r.Str(QStringLiteral("NrOdprawy"))), Html(host::TekstKomorki(r.Value(QStringLiteral("DataOdprawy")).toDate())),
                     Html(r.Str(QStringLiteral("PROCEDURA"))),
                     Html(host::TekstKomorki(r.Value(QStringLiteral("DataCzasWprow")).toDate())), Html(r.Str(QStringLiteral("NrMRN"))),
                     Html(host::ZPrzecinkiem(frame::GetMasa(r.Float(QStringLiteral("x_WagaB"))))), Html(r.Str(QStringLiteral("OsobaZglaszajaca"))));
  }
  html += QStringLiteral("</table><p>Liczba pozycji: %1</p>").arg(pozycje_.size());
  return html;
}

}  // namespace velmora::lists
