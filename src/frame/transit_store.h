#pragma once

#include "host/db/db.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace velmora::host {
class Clock;
class TUser;
}  // namespace velmora::host

namespace velmora::frame {

// A message row as it is inserted into TRANZYTY_POZYCJE; a null QVariant stores null.
struct NowyKomunikat {
  qint64 tranzyt = 0;
  int blad = 0;
  int lp = 1;
  QString typ;
  int status = 0;
  QVariant nr_wlasny;
  QVariant nr_powiazany;
  QVariant typ_powiazany;
  QVariant opis;
  QVariant data_wyslania;
  QVariant ie013_rodzaj;
  QString xml;
  QVariant plik;
};

// The transits' messages (TRANZYTY_POZYCJE) and the state they give their transit (TRANZYTY):
// the one place that reads and writes them, on the connection it is given (inside the caller's
// transaction when there is one).
// What a new message must know of its transit before it is attached.
struct StanTranzytu {
  QString typ;       // the type that gives the transit its state
  int max_lp = 0;    // the highest ordinal of its messages
  qint64 ie025 = 0;  // its newest release from transit, 0 when it has none
};

class TransitStore {
 public:
  explicit TransitStore(host::Db& db) : db_(db) {}

  // Inserts the message with a new id and the creating user's audit columns; answers the id.
  qint64 Wstaw(const NowyKomunikat& k, const host::TUser& user, const host::Clock& clock);

  // The message's row without its texts, or nothing when it does not exist.
  std::optional<host::Row> Komunikat(qint64 id);
  // The message's document and the file as it was sent (empty when there is none).
  QString Xml(qint64 id);
  QString Plik(qint64 id);
  void ZapiszXml(qint64 id, const QString& xml);

  // The transit's newest message: highest LP, then highest id; without its texts.
  std::optional<host::Row> Najnowszy(qint64 tranzyt);

  // The whole row (texts and audit columns included), as an editor is handed it.
  std::optional<host::Row> Wiersz(qint64 id);
  // The transit's messages by LP (the newest id first within one LP): LP, TYP, STATUS,
  // NR_WLASNY, TYP_POWIAZANY.
  std::vector<host::Row> Komunikaty(qint64 tranzyt);
  int Ile(qint64 tranzyt);
  int IleWyslanych(qint64 tranzyt);
  int MaxLp(qint64 tranzyt);
  // One read for the whole state; nothing when the transit does not exist.
  std::optional<StanTranzytu> Stan(qint64 tranzyt);
  // The newest message id of the transit (of `typ` when one is given), 0 when it has none.
  qint64 NajnowszyId(qint64 tranzyt, const QString& typ = {});

  // The whole row a new message of `typ` starts from: the latest of that type by LP, for an
  // amendment also the declaration.
  std::optional<host::Row> Wzorzec(qint64 tranzyt, const QString& typ);
  // The whole row a copied transit takes its first message from: the latest amendment or
  // declaration of a departure, the latest arrival notification.
  std::optional<host::Row> WzorzecKopii(qint64 tranzyt, bool wywoz);
  // The whole latest row of `typ` by LP, with the own number when one is given.
  std::optional<host::Row> OstatniTypu(qint64 tranzyt, const QString& typ, const std::optional<QString>& nr_wlasny = {});
  // The document of the newest message of `typ` by id, or nothing when there is none.
  std::optional<QString> NajnowszyXmlWgId(qint64 tranzyt, const QString& typ);
  // The document of the newest amendment or declaration by id, empty when there is none.
  QString NajnowszaDeklaracjaXml(qint64 tranzyt);

  // The messages carrying either own number, newest first: TRANZYTY_ID, TYP, NR_WLASNY.
  std::vector<host::Row> PoNumerach(const QString& nr, const QString& nr_powiazany);
  // How a transit is named from outside: by its declaration's own number, its LRN or its MRN.
  enum class KluczTranzytu { NrDeklaracji, Lrn, Mrn };
  // The own number of the newest message of `typ` in the transits the key names, trimmed;
  // empty when there is none.
  QString NrWlasnyNajnowszego(const QString& typ, KluczTranzytu rodzaj, const QString& klucz);

  // An edited message: its flags, type, status, description and document, with the
  // modifying user's audit columns.
  void Zmien(qint64 id, const NowyKomunikat& k, const host::TUser& user, const host::Clock& clock);
  void UstawNrWlasny(qint64 id, const QString& nr);
  void UstawLp(qint64 id, int lp);
  // Deletes the message; answers its type (empty when there was none).
  QString Usun(qint64 id);
  void UsunKomunikatyTranzytu(qint64 tranzyt);

  // The PDF the platform sent with the answer (an EMAIL_ATTACH row).
  void UstawZalacznikPdf(qint64 id, qint64 zalacznik);

  // The message has left: status 2 with the time and the signed file; its transit is sent too.
  void OznaczWyslany(qint64 id, qint64 tranzyt, const QDateTime& kiedy, const QString& plik);

  // Back to changed and unsent; the transit too when the message is its last.
  void CofnijWyslanie(qint64 id, qint64 tranzyt, bool ostatni);

  // The transit takes the state of the message now last by LP ("0" and no description when
  // none is left).
  void UstawStanOstatniego(qint64 tranzyt);

  // The transit takes the type, description and status of its message, with the columns the
  // message's document fills (PU, TIR, consignor, ...).
  void UstawStan(qint64 tranzyt, const QString& typ, const QString& opis, int status, const QVariantMap& kolumny = {});
  // The MRN restored from a stored message.
  void UstawMrn(qint64 tranzyt, const QString& mrn);
  // Only the given columns (MRN, LRN, ...); nothing when there are none.
  void UstawKolumny(qint64 tranzyt, const QVariantMap& kolumny);

 private:
  std::optional<QString> XmlWgId(const QString& sql_max_id, const host::Params& p);

  host::Db& db_;
};

}  // namespace velmora::frame
