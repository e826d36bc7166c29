#pragma once

#include "host/db/db.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmora::host {
struct HostContext;
}

namespace velmora::lists {

// Text colour of a message row by its type, status and error flag; the departure list
// colours its type column with the same rule (error flag 0).
QColor KolorKomunikatu(const QString& typ, int status, int blad);
// "Opis" of the message list: the status as a prefix for unsent messages.
QString OpisKomunikatu(int status, const QString& opis);
// OPIS of a new outgoing message of this type.
QString OpisNowegoKomunikatu(const QString& typ);

// The last message of a transit as the list keeps it (UPO, UPP and IE060 do not count).
struct OstatniKomunikat {
  int lp = 0;
  QString typ;
  int status = 0;
  QString nr_wlasny;
  QString typ_powiazany;
};

// What "add" leads to.
struct NastepnyKomunikat {
  enum class Akcja { Utworz, Menu, MenuZPrzycisku, Odmowa } akcja = Akcja::Odmowa;
  QString typ;       // for Utworz
  QString komunikat; // for Odmowa
};

// The visible items of the IE013 / IE014 / IE141 menu.
struct MenuKomunikatow {
  bool ie013 = true;
  bool ie014 = true;
  bool ie141 = false;
};

// The transit's TRANZYTY_KOSZTY made to match `koszty`, in the caller's transaction when it
// has one.
void SynchronizujKosztyTranzytu(host::HostContext& ctx, qint64 tranzyt_id, std::vector<QVariantMap> koszty);

// The behaviour of the message list of one transit, without widgets.
class TranzytyPozycje {
 public:
  TranzytyPozycje(host::HostContext& ctx, qint64 tranzyt_id, int rodzaj);

  qint64 TranzytId() const { return tranzyt_id_; }
  // Reads the last message (run before every add).
  OstatniKomunikat AktualizujStatus();
  // The preset type chosen in the message menu, used once by the next add.
  void UstawTypZMenu(const QString& typ) { preset_ = typ; }
  NastepnyKomunikat WybierzTyp();
  MenuKomunikatow Menu();

  // A new row of `typ`: seeded from the latest message of the same type (for IE013 also the
  // declaration), then completed. The row is not stored yet.
  QVariantMap NowyWiersz(const QString& typ);
  // An existing row opened for editing, completed for storing.
  QVariantMap IstniejacyWiersz(qint64 id);
  // Stores the row with the editor's document, carries type, description and status (and the
  // given transit columns) over to the transit, in one transaction; answers the row's id.
  // With `koszty` the transit's costs are brought up to date in the same transaction.
  qint64 Zapisz(QVariantMap row, const QString& xml, bool is_new, const QVariantMap& kolumny_tranzytu = {},
                const std::vector<QVariantMap>* koszty = nullptr);

  // The arrival's costs as its editor lists them: rows missing from the table are inserted,
  // the others updated, the ones no longer listed deleted (ID_TRANZYTY_KOSZTY 0 = new).
  void SynchronizujKoszty(std::vector<QVariantMap> koszty);

  // Deleting: the refusal's text, empty when the row may go.
  QString CzyMoznaUsunac(qint64 id);
  // Deletes the row; the transit takes the state of the message now last.
  void Usun(qint64 id);
  // "Cofnij status wysłania": asks and answers through the dialogs; true when withdrawn.
  bool CofnijWyslanie(qint64 id);
  // "zapisz do pliku": the refusal's text, or empty with the suggested file name and filter.
  QString EksportPrzygotuj(qint64 id, QString* nazwa, QString* filtr);
  bool EksportZapisz(qint64 id, const QString& file_name);
  // "Wydruk załącznik": writes the PDF attachment below the root; its path, or empty after
  // telling the user there is none.
  QString ZapiszZalacznik(qint64 id);

 private:
  host::HostContext& ctx_;
  qint64 tranzyt_id_;
  int rodzaj_;
  OstatniKomunikat last_;
  QString preset_;
};

}  // namespace velmora::lists
