#include "host/db/guarantee_accounting.h"

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/base/rounding.h"
#include "host/db/users.h"

namespace velmora::host {

namespace {


constexpr int kLockAttempts = 10;
constexpr std::chrono::milliseconds kLockPause(200);

struct Ruch {
  bool zwolnienie = false;
  double kwota = 0.0;
  int id_gwar = 0;
  QString typ_ew;
  bool import = false;
  int id_ext = 0;
  int id_zglosz = 0;
  QString nr_sad;
  QDateTime data_sad;
  QString nr_sad_src;
  QDateTime data_sad_src;
  bool saldo = false;
  QDate data;  // the movement's date
};

qint64 Zapisz(HostContext& ctx, Db* dataset, Ruch r, QString& komunikat) {
  komunikat.clear();
  if (r.id_gwar <= 0) return 0;
  if (!r.zwolnienie && r.kwota <= 0) {
    komunikat = QStringLiteral("Kwota obciążenia gwarancji <= 0 !");
    return 0;
  }
  if (r.zwolnienie && r.kwota < 0) {
    komunikat = QStringLiteral("Kwota zwolnienia gwarancji < 0 !");
    return 0;
  }
  if (r.nr_sad_src.isEmpty()) r.nr_sad_src = r.nr_sad;
  if (!r.data_sad_src.isValid()) r.data_sad_src = r.data_sad;

  Db& db = dataset ? *dataset : ctx.db;
  NamedLockGuard lock(db, QStringLiteral("Gwar%1.$$$").arg(r.id_gwar), kLockAttempts, kLockPause);
  if (!lock.Locked()) {
    komunikat = (r.zwolnienie ? QStringLiteral("Nie można wykonać zwolnienia gwarancji (ID = %1),\n\rponieważ podobną "
                                               "operację wykonuje inny użytkownik !")
                              : QStringLiteral("Nie można wykonać obciążenia gwarancji (ID = %1),\n\rponieważ podobną "
                                               "operację wykonuje inny użytkownik !"))
                    .arg(r.id_gwar);
    return 0;
  }
  // Nested in the caller's transaction when one is open; its commit is then the caller's.
  Transaction tx(db);
  const Params id{{QStringLiteral("ID_Gwar"), r.id_gwar}};
  // Writing the guarantee row first keeps the writers of one guarantee in line until they
  // commit, also when the caller commits after the lock is gone.
  db.Exec(QStringLiteral("update Gwar set Saldo = Saldo where ID_Gwar = :ID_Gwar"), id);
  const auto gwar = db.QueryOne(QStringLiteral("select * from Gwar where ID_Gwar = :ID_Gwar"), id);
  if (!gwar) {
    komunikat = QStringLiteral("Brak gwarancji (ID = %1) !").arg(r.id_gwar);
    return 0;
  }
  const double kwota_gwarancji = Cents(gwar->Float(QStringLiteral("Kwota")));
  double saldo_przed = 0.0;
  if (r.zwolnienie) {
    saldo_przed = db.QueryValue(QStringLiteral("select saldo from Gwar where id_gwar = :id_gwar"),
                                {{QStringLiteral("id_gwar"), r.id_gwar}})
                      .toDouble();
  } else {
    const auto sumy = db.QueryOne(QStringLiteral("select Sum(Kwota_obc) as SumaObc, Sum(Kwota_zwol) as SumaZwol, "
                                                 "Sum(Kwota_operacji) as DoZaplaty from GwarPoz where (ID_Gwar = :ID_Gwar)"),
                                  id);
    saldo_przed =
        Cents(kwota_gwarancji - sumy->Float(QStringLiteral("SumaObc")) + sumy->Float(QStringLiteral("SumaZwol")));
    if (r.saldo && saldo_przed < Cents(r.kwota)) {
      komunikat = QStringLiteral("Kwota obciążenia gwarancji (ID = %1) przekracza jej saldo !").arg(r.id_gwar);
      return 0;
    }
  }

  const double kwota = Cents(r.kwota);
  const QDateTime now = ctx.clock.Now();
  const TUser& user = ctx.user.UserInfo();
  const qint64 id_poz = db.DBGetNewID(QStringLiteral("GID_GwarPoz"));
  db.Exec(QStringLiteral("insert into GwarPoz (ID_GwarPoz, ID_Gwar, Data, Typ_Ew, ExIm, ID_Ext, ID_Zglosz, Operacja, "
                         "Kwota_obc, Kwota_zwol, Kwota_operacji, NrSAD, DataSAD, NrSAD_src, DataSAD_src, SaldoPrzed, "
                         "Data_OP, CREATE_DATE, CREATE_TIME, CREATE_USER_ID, CREATE_USER_NAME) values (:ID_GwarPoz, "
                         ":ID_Gwar, :Data, :Typ_Ew, :ExIm, :ID_Ext, :ID_Zglosz, :Operacja, :Kwota_obc, :Kwota_zwol, "
                         ":Kwota_operacji, :NrSAD, :DataSAD, :NrSAD_src, :DataSAD_src, :SaldoPrzed, :Data_OP, "
                         ":CREATE_DATE, :CREATE_TIME, :CREATE_USER_ID, :CREATE_USER_NAME)"),
          {{QStringLiteral("ID_GwarPoz"), id_poz},
           {QStringLiteral("ID_Gwar"), r.id_gwar},
           {QStringLiteral("Data"), r.data},
           {QStringLiteral("Typ_Ew"), r.typ_ew},
           {QStringLiteral("ExIm"), r.import ? 0 : 1},
           {QStringLiteral("ID_Ext"), r.id_ext},
           {QStringLiteral("ID_Zglosz"), r.id_zglosz},
           {QStringLiteral("Operacja"), r.zwolnienie ? 1 : 0},
           {QStringLiteral("Kwota_obc"), r.zwolnienie ? 0.0 : kwota},
           {QStringLiteral("Kwota_zwol"), r.zwolnienie ? kwota : 0.0},
           {QStringLiteral("Kwota_operacji"), r.zwolnienie ? kwota : -kwota},
           {QStringLiteral("NrSAD"), r.nr_sad},
           {QStringLiteral("DataSAD"), r.data_sad},
           {QStringLiteral("NrSAD_src"), r.nr_sad_src},
           {QStringLiteral("DataSAD_src"), r.data_sad_src},
           {QStringLiteral("SaldoPrzed"), saldo_przed},
           {QStringLiteral("Data_OP"), now},
           {QStringLiteral("CREATE_DATE"), now.date()},
           {QStringLiteral("CREATE_TIME"), now.time().toString(QStringLiteral("HH:mm:ss"))},
           {QStringLiteral("CREATE_USER_ID"), user.GetID()},
           {QStringLiteral("CREATE_USER_NAME"), user.GetNAZWA()}});
  const double obciazenie =
      db.QueryValue(QStringLiteral("select sum(gp.kwota_operacji) as obciazenie from gwarpoz gp where gp.id_gwar=:id_gwar"),
                    {{QStringLiteral("id_gwar"), r.id_gwar}})
          .toDouble();
  db.Exec(QStringLiteral("update Gwar set Saldo = :Saldo where ID_GWAR = :OLD_ID_GWAR"),
          {{QStringLiteral("Saldo"), Cents(kwota_gwarancji + obciazenie)}, {QStringLiteral("OLD_ID_GWAR"), r.id_gwar}});
  tx.Commit();
  return id_poz;
}

Ruch NowyRuch(double kwota, int id_gwar, const QString& typ_ew, bool import, int id_ext, int id_zglosz, const QString& nr_sad,
              const QDateTime& data_sad, const QString& nr_sad_src, const QDateTime& data_sad_src, bool saldo) {
  Ruch r;
  r.kwota = kwota;
  r.id_gwar = id_gwar;
  r.typ_ew = typ_ew;
  r.import = import;
  r.id_ext = id_ext;
  r.id_zglosz = id_zglosz;
  r.nr_sad = nr_sad;
  r.data_sad = data_sad;
  r.nr_sad_src = nr_sad_src;
  r.data_sad_src = data_sad_src;
  r.saldo = saldo;
  return r;
}

}  // namespace

qint64 Gwar_Obciazenie(HostContext& ctx, double kwota, int id_gwar, QString& komunikat, const QString& typ_ew,
                       bool import, int id_ext, int id_zglosz, const QString& nr_sad, const QDateTime& data_sad,
                       Db* dataset, const QString& nr_sad_src, const QDateTime& data_sad_src, bool saldo) {
  Ruch r = NowyRuch(kwota, id_gwar, typ_ew, import, id_ext, id_zglosz, nr_sad, data_sad, nr_sad_src, data_sad_src, saldo);
  r.data = ctx.clock.Today();
  return Zapisz(ctx, dataset, std::move(r), komunikat);
}

qint64 Gwar_Zwolnienie(HostContext& ctx, double kwota, int id_gwar, QString& komunikat, const QString& typ_ew,
                       bool import, int id_ext, int id_zglosz, const QString& nr_sad, const QDateTime& data_sad,
                       Db* dataset, const QString& nr_sad_src, const QDateTime& data_sad_src, bool saldo,
                       const QDateTime& data_zwolnienia) {
  Ruch r = NowyRuch(kwota, id_gwar, typ_ew, import, id_ext, id_zglosz, nr_sad, data_sad, nr_sad_src, data_sad_src, saldo);
  r.zwolnienie = true;
  r.data = data_zwolnienia.isValid() ? data_zwolnienia.date() : ctx.clock.Today();
  return Zapisz(ctx, dataset, std::move(r), komunikat);
}

}  // namespace velmora::host
