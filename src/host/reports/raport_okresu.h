#pragma once

#include "host/reports/config_rpt_box.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace velmora::host {

struct HostContext;

// A report over a period, printed below the application root's "TEMP/" with the period in the
// file name, so reports of different periods do not overwrite each other.
class TRaportOkresuRpt : public TConfigRptBox {
 public:
  explicit TRaportOkresuRpt(HostContext& ctx);

  void SetDataOd(const QDate& d) { data_od_ = d; }
  void SetDataDo(const QDate& d) { data_do_ = d; }
  const QDate& DataOd() const { return data_od_; }
  const QDate& DataDo() const { return data_do_; }

  QString Get_FileNamePDF() override;

 protected:
  // "Okres od: ... do: ..." under the report's title.
  QString NaglowekHtml(const QString& tytul) const;
  HostContext& ctx_;

 private:
  QDate data_od_;
  QDate data_do_;
};

// Texts of the printouts.
QString TekstKwoty(double kwota);
QString TekstDaty(const QDate& d);
// Date and minutes; the date alone at midnight (a date stored without its time).
QString TekstChwili(const QDateTime& t);

// A date-time column as the engines hand it back: a QDateTime, or ISO text on SQLite.
QDateTime ChwilaZKolumny(const QVariant& v);
// A date and a time column taken together (the audit columns); invalid without the date.
QDateTime ChwilaZKolumn(const QVariant& data, const QVariant& czas);

}  // namespace velmora::host
