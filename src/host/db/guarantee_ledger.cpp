#include "host/db/guarantee_ledger.h"

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/named_lock.h"
#include "host/base/rounding.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"

namespace velmora::host {

namespace {

using T = FieldType;

const ColumnDecl kGwarancje[] = {
    {"NUMER", T::String, 50, ""},        {"GRN", T::String, 24, ""},
    {"TYP", T::String, 10, ""},          {"RODZAJ", T::String, 1, ""},
    {"SYMBOL", T::String, 20, ""},       {"KOD_DOSTEPU", T::String, 4, ""},
    {"LISTA_KODOW", T::String, 255, ""}, {"Niewazna_Na_UE", T::SmallInt, 0, "0"},
    {"VAT", T::SmallInt, 0, "1"},        {"WALUTA", T::String, 3, "PLN"},
    {"KWOTA", T::Float, 0, "0"},         {"SALDO", T::Float, 0, "0"},
    {"Niewazna_Na", T::String, 296, ""},
};

const ColumnDecl kGwarancjePozycje[] = {
    {"GWARANCJE_ID", T::Integer, 0, "0"},     {"LP", T::Integer, 0, "0"},
    {"OPERACJA", T::SmallInt, 0, "0"},        {"DATA", T::Date, 0, ""},
    {"CZAS", T::Time, 0, ""},                 {"UZYTKOWNIK_ID", T::Integer, 0, "0"},
    {"UZYTKOWNIK_NAZWA", T::String, 100, ""}, {"KWOTA", T::Float, 0, "0"},
    {"KWOTA_NALEZNOSCI", T::Float, 0, "0"},   {"KWOTA_OPERACJI", T::Float, 0, "0"},
    {"SALDO_PRZED", T::Float, 0, "0"},        {"OBJ_NR", T::String, 50, ""},
    {"OBJ_RODZAJ", T::String, 20, ""},        {"OBJ_ID", T::Integer, 0, "0"},
    {"POW_GWARANCJE_ID", T::Integer, 0, "0"}, {"POW_LP", T::Integer, 0, "0"},
};

const ColumnDecl kGwar[] = {
    {"Numer", T::String, 50, ""},
    {"Kwota", T::Float, 0, "0"},
    {"Saldo", T::Float, 0, "0"},
};

// The older register keeps its own four creation columns.
const ColumnDecl kGwarPoz[] = {
    {"ID_Gwar", T::Integer, 0, "0"},       {"Data", T::Date, 0, ""},
    {"Typ_Ew", T::String, 10, ""},         {"ExIm", T::SmallInt, 0, "0"},
    {"ID_Ext", T::Integer, 0, "0"},        {"ID_Zglosz", T::Integer, 0, "0"},
    {"Operacja", T::SmallInt, 0, "0"},     {"Kwota_obc", T::Float, 0, "0"},
    {"Kwota_zwol", T::Float, 0, "0"},      {"Kwota_operacji", T::Float, 0, "0"},
    {"NrSAD", T::String, 50, ""},          {"DataSAD", T::DateTime, 0, ""},
    {"NrSAD_src", T::String, 50, ""},      {"DataSAD_src", T::DateTime, 0, ""},
    {"SaldoPrzed", T::Float, 0, "0"},      {"Data_OP", T::DateTime, 0, ""},
    {"CREATE_DATE", T::Date, 0, ""},       {"CREATE_TIME", T::Time, 0, ""},
    {"CREATE_USER_ID", T::Integer, 0, ""}, {"CREATE_USER_NAME", T::String, 100, ""},
};

const QString kLockName = QStringLiteral("GWARANCJE%1.$$$");
constexpr int kLockAttempts = 10;
constexpr std::chrono::milliseconds kLockPause(200);

QString Amount(double v) { return QString::number(v, 'f', 2); }

}  // namespace

void GuaranteeLedgerSchema(TToolsDB& tools) {
  const TableDecl tables[] = {
      {"GWARANCJE", Columns(kGwarancje), {{"GWARANCJE_IDX1", {"GRN"}}}},
      {"GWARANCJE_POZYCJE", Columns(kGwarancjePozycje),
       {{"GWARANCJE_POZYCJE_IDX1", {"GWARANCJE_ID", "LP"}, true}, {"GWARANCJE_POZYCJE_IDX2", {"GWARANCJE_ID", "OBJ_NR"}}}},
      {"Gwar", Columns(kGwar)},
      {"GwarPoz", Columns(kGwarPoz), {{"GWARPOZ_IDX1", {"ID_Gwar"}}, {"GWARPOZ_IDX2", {"ID_Ext"}}}, false},
  };
  for (const TableDecl& t : tables) DeclareTable(tools, t);
}

double SaldoGwarancji(Db& db, int gwarancja_id) {
  const Params p{{QStringLiteral("ID"), gwarancja_id}};
  const double kwota =
      db.QueryValue(QStringLiteral("select KWOTA from GWARANCJE where ID_GWARANCJE = :ID"), p).toDouble();
  const double ruchy =
      db.QueryValue(QStringLiteral("select sum(KWOTA_OPERACJI) from GWARANCJE_POZYCJE where GWARANCJE_ID = :ID"), p)
          .toDouble();
  return Cents(Cents(kwota) + ruchy);
}

qint64 TGwarancjePozycjeBox::DodajWpis(Db& db, const TWpisGwarancja& wpis, QString& message) {
  message.clear();
  const bool obciazenie = wpis.operacja == TWpisGwarancja::kObciazenie;
  if (!obciazenie && wpis.operacja != TWpisGwarancja::kZwolnienie) {
    message = QStringLiteral("Nieznany rodzaj operacji na gwarancji (%1) !").arg(wpis.operacja);
    return 0;
  }
  const double kwota = Cents(wpis.kwota);
  const double naleznosci = Cents(wpis.kwota_naleznosci);
  const double razem = Cents(kwota + naleznosci);
  if (kwota < 0 || naleznosci < 0 || razem <= 0) {
    message = obciazenie ? QStringLiteral("Kwota obciążenia gwarancji <= 0 !") : QStringLiteral("Kwota zwolnienia gwarancji <= 0 !");
    return 0;
  }
  const int gwarancja_id = wpis.gwarancja_id > 0 ? wpis.gwarancja_id : wpis.pow_gwarancja_id;
  if (gwarancja_id <= 0) {
    message = QStringLiteral("Nie wskazano gwarancji !");
    return 0;
  }

  NamedLockGuard lock(db, kLockName.arg(gwarancja_id), kLockAttempts, kLockPause);
  if (!lock.Locked()) {
    message = QStringLiteral("Nie można wykonać operacji na gwarancji (ID = %1),\n\rponieważ podobną operację wykonuje inny "
                             "użytkownik !")
                  .arg(gwarancja_id);
    return 0;
  }
  Transaction tx(db);
  const Params g{{QStringLiteral("ID"), gwarancja_id}};
  // Writing the guarantee row first keeps writers of one guarantee in line until they commit,
  // also when the caller's transaction outlives the lock.
  if (db.Exec(QStringLiteral("update GWARANCJE set SALDO = SALDO where ID_GWARANCJE = :ID"), g) == 0) {
    message = QStringLiteral("Brak gwarancji (ID = %1) !").arg(gwarancja_id);
    return 0;
  }
  if (wpis.pow_gwarancja_id > 0 &&
      !db.QueryOne(QStringLiteral("select ID_GWARANCJE_POZYCJE from GWARANCJE_POZYCJE where GWARANCJE_ID = :G and LP = :LP"),
                   {{QStringLiteral("G"), wpis.pow_gwarancja_id}, {QStringLiteral("LP"), wpis.pow_lp}})) {
    message = QStringLiteral("Brak pozycji nr %2 gwarancji (ID = %1) !").arg(wpis.pow_gwarancja_id).arg(wpis.pow_lp);
    return 0;
  }
  const auto gwarancja = db.QueryOne(QStringLiteral("select NUMER, KWOTA from GWARANCJE where ID_GWARANCJE = :ID"), g);
  const double saldo_przed = SaldoGwarancji(db, gwarancja_id);
  if (obciazenie && razem > saldo_przed) {
    message = QStringLiteral("Kwota obciążenia gwarancji nr %1 (%2) przekracza jej saldo (%3) !")
                  .arg(gwarancja->Str(QStringLiteral("NUMER")).trimmed(), Amount(razem), Amount(saldo_przed));
    return 0;
  }

  const int lp = db.GetMaxFieldVal(QStringLiteral("GWARANCJE_POZYCJE"), QStringLiteral("LP"),
                                   QStringLiteral("GWARANCJE_ID = :ID"), g)
                     .toInt() +
                 1;
  const qint64 id = db.DBGetNewID(QStringLiteral("GID_GWARANCJE_POZYCJE"));
  const QString czas = wpis.czas.toString(QStringLiteral("HH:mm:ss"));
  db.Exec(QStringLiteral("insert into GWARANCJE_POZYCJE (ID_GWARANCJE_POZYCJE, GWARANCJE_ID, LP, OPERACJA, DATA, CZAS, "
                         "UZYTKOWNIK_ID, UZYTKOWNIK_NAZWA, KWOTA, KWOTA_NALEZNOSCI, KWOTA_OPERACJI, SALDO_PRZED, OBJ_NR, "
                         "OBJ_RODZAJ, OBJ_ID, POW_GWARANCJE_ID, POW_LP, CREATE_ID_USER, CREATE_USER_NAME, CREATE_DATE, "
                         "CREATE_TIME) values (:ID, :G, :LP, :OP, :DATA, :CZAS, :U, :UN, :K, :KN, :KO, :SP, :NR, :RODZ, "
                         ":OBJ, :PG, :PLP, :U, :UN, :DATA, :CZAS)"),
          {{QStringLiteral("ID"), id},
           {QStringLiteral("G"), gwarancja_id},
           {QStringLiteral("LP"), lp},
           {QStringLiteral("OP"), wpis.operacja},
           {QStringLiteral("DATA"), wpis.data},
           {QStringLiteral("CZAS"), czas},
           {QStringLiteral("U"), wpis.uzytkownik_id},
           {QStringLiteral("UN"), wpis.uzytkownik_nazwa},
           {QStringLiteral("K"), kwota},
           {QStringLiteral("KN"), naleznosci},
           {QStringLiteral("KO"), obciazenie ? -razem : razem},
           {QStringLiteral("SP"), saldo_przed},
           {QStringLiteral("NR"), wpis.obj_nr},
           {QStringLiteral("RODZ"), wpis.obj_rodzaj},
           {QStringLiteral("OBJ"), wpis.obj_id},
           {QStringLiteral("PG"), wpis.pow_gwarancja_id},
           {QStringLiteral("PLP"), wpis.pow_lp}});
  db.Exec(QStringLiteral("update GWARANCJE set SALDO = :SALDO where ID_GWARANCJE = :ID"),
          {{QStringLiteral("SALDO"), SaldoGwarancji(db, gwarancja_id)}, {QStringLiteral("ID"), gwarancja_id}});
  tx.Commit();
  return id;
}

TWpisGwarancja NoweObciazenie(const CurrentUser& user, const Clock& clock) {
  const QDateTime now = clock.Now();
  TWpisGwarancja w;
  w.operacja = TWpisGwarancja::kObciazenie;
  w.data = now.date();
  w.czas = now.time();
  w.uzytkownik_id = user.UserInfo().GetID();
  w.uzytkownik_nazwa = user.UserInfo().GetNAZWA();
  return w;
}

}  // namespace velmora::host
