#pragma once

#include "host/reports/config_rpt_box.h"
#include "host/db/db.h"

#include <QDate>

#include <vector>

namespace velmora::host {
struct HostContext;
}

namespace velmora::lists {

// "Rejestr NCTS.": the transits of a register and kind in a period, with their clearances.
class TWydrukRejestruRpt : public host::TConfigRptBox {
 public:
  explicit TWydrukRejestruRpt(host::HostContext& ctx);
  void SetID_REJ(int id) { id_rej_ = id; }
  void SetTR_TYP(int typ) { tr_typ_ = typ; }
  void SetDataOd(const QDate& d) { data_od_ = d; }
  void SetDataDo(const QDate& d) { data_do_ = d; }
  const QDate& DataOd() const { return data_od_; }
  const QDate& DataDo() const { return data_do_; }

  QString Get_FileNamePDF() override;
  void Prepare() override;
  QString RenderHtml() override;

  // The two tables the report is made of.
  const std::vector<host::Row>& Naglowek() const { return naglowek_; }
  const std::vector<host::Row>& Pozycje() const { return pozycje_; }

 private:
  void ZapiszTTX(const QString& file, const std::vector<host::Row>& rows);
  host::HostContext& ctx_;
  int id_rej_ = 0;
  int tr_typ_ = 0;
  QDate data_od_;
  QDate data_do_;
  std::vector<host::Row> naglowek_;
  std::vector<host::Row> pozycje_;
};

}  // namespace velmora::lists
