#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace velmora::host {

class Clock;
class CurrentUser;
class Db;
class TToolsDB;

// One movement of the guarantee ledger (table GWARANCJE_POZYCJE), as a caller hands it in.
struct TWpisGwarancja {
  static constexpr int kObciazenie = 0;
  static constexpr int kZwolnienie = 1;

  int operacja = kObciazenie;
  QDate data;
  QTime czas;
  int uzytkownik_id = 0;
  QString uzytkownik_nazwa;
  // The first amount (the guarantee amount a document names) and the second (the duties and
  // taxes at stake); the movement moves the balance by their sum.
  double kwota = 0.0;
  double kwota_naleznosci = 0.0;
  QString obj_nr;      // the object's number: an MRN, a register reference "[1/15/2024]"
  QString obj_rodzaj;  // the source: "NCTS", "IM"
  qint64 obj_id = 0;   // the id of the source record
  // The guarantee; 0 takes the guarantee of the related position below.
  int gwarancja_id = 0;
  // The earlier position this movement settles (its guarantee and ordinal), 0 when none.
  int pow_gwarancja_id = 0;
  int pow_lp = 0;
};

// A debit booked now by the current user: the entry's operation, date, time and user filled in.
TWpisGwarancja NoweObciazenie(const CurrentUser& user, const Clock& clock);

// The host's guarantee ledger.
class TGwarancjePozycjeBox {
 public:
  // Books one movement under the guarantee's lock, inside the transaction open on `db` or in
  // one of its own. Checks the operation, the amount, the guarantee (and the related position)
  // and, for a debit, the balance. Answers the new entry's id (ID_GWARANCJE_POZYCJE), or 0 with
  // the reason in `message`; nothing is written then.
  static qint64 DodajWpis(Db& db, const TWpisGwarancja& wpis, QString& message);
};

// The balance as the ledger keeps it: the guarantee's amount and all its movements, in cents.
double SaldoGwarancji(Db& db, int gwarancja_id);

// The guarantee tables of the host: the ledger (GWARANCJE, GWARANCJE_POZYCJE) and the older
// register (Gwar, GwarPoz).
void GuaranteeLedgerSchema(TToolsDB& tools);

}  // namespace velmora::host
