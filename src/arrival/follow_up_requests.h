#pragma once

#include "arrival/arrival_notification.h"
#include "host/db/db.h"
#include "host/db/record_store.h"
#include "host/xml/messages.h"

#include <QString>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace velmora::host {
struct HostContext;
}

// The follow-up requests of a departure transit: the cancellation (IE014), the answer to an
// enquiry (IE141) and the release request (IE054). A new request is built from the transit's
// latest customs message of the kind it follows and the declaration (IE015).
namespace velmora::arrival {

struct PolaNaglowkaWniosku {
  QString nr_wlasny, data_utworzenia, mrn;
};

struct PolaZobowiazanego {
  PolaPodmiotu podmiot;
  bool tir = false;
  QString przedstawiciel_tin;
};

// One source value copied into a new request; see kPrzeniesienia in the .cpp.
struct Przeniesienie {
  const char* wniosek;  // "IE014", "IE141", "IE054", or "*" for all three
  const char* grupa;    // path of the group in the request: "GlownyZobowiazany/Przedstawiciel"
  const char* pole;     // its attribute; "*" for every attribute of the group
  const char* zrodlo;   // "IE028", "IE140", "IE051" or "IE015"
  const char* element;  // path of the element in the source, from its root
  const char* atrybut;  // "*": the attribute of the same name
};
const std::vector<Przeniesienie>& Przeniesienia();

// The consignee of an enquiry answer from a contractor row: the TIN from the EORI unless the
// contractor holds a TIR carnet, else from the NIP; every value trimmed and cut to its length.
PolaPodmiotu OdbiorcaZKontrahenta(const host::Row& kontrahent);

class WniosekNastepczy {
 public:
  virtual ~WniosekNastepczy() = default;
  const QString& Typ() const { return typ_; }

  // The list's row (ID_TRANZYTY_POZYCJE, TRANZYTY_ID): the stored row gives the status and the
  // document; a row not stored yet starts a new request.
  void BeforeActivate(const QVariantMap& wiersz);
  bool TylkoDoOdczytu() const { return tylko_do_odczytu_; }
  qint64 Tranzyt() const { return tranzyt_id_; }

  // A text that does not parse, or whose root is another message, starts a new request.
  void SetXML(const QString& text);
  virtual QString GetXML() = 0;
  const xml::Message& Dokument() const { return doc_; }

  // Why no request could be built (a source missing or unreadable); empty otherwise.
  const QString& BrakZrodla() const { return brak_zrodla_; }
  // The refused fields in the form's order; a request without its sources is refused whole.
  virtual host::FieldErrors Sprawdz() const;

  PolaNaglowkaWniosku naglowek;
  PolaZobowiazanego zobowiazany;

 protected:
  WniosekNastepczy(host::HostContext& ctx, QString typ, QString odpowiedz);
  // The request's own values after the copied ones, and the fields read from the document.
  virtual void UzupelnijNowy() = 0;
  virtual void CzytajPola() = 0;
  QString Tekst() const;
  // The header and the principal written back from the fields.
  void ZapiszNaglowek();

  host::HostContext& ctx_;
  xml::Message doc_;

 private:
  void NowyDokument();
  // The transit's latest message of the type (with that own number when given); none after
  // telling the user why.
  std::optional<xml::Message> Zrodlo(const QString& typ, const std::optional<QString>& nr_wlasny = std::nullopt);
  void CzytajWspolne();

  QString typ_;
  QString odpowiedz_;  // the customs message the request follows
  qint64 tranzyt_id_ = 0;
  bool tylko_do_odczytu_ = false;
  QString brak_zrodla_;
};

// IE014: the request to cancel the declaration.
class WniosekIE014 : public WniosekNastepczy {
 public:
  explicit WniosekIE014(host::HostContext& ctx);
  QString GetXML() override;
  host::FieldErrors Sprawdz() const override;
  // The office picked from the host's list.
  void UstawUC(const host::Row& uc);

  QString powod;
  QString data_wniosku;  // as typed: year-month-day
  QString uc_zgloszenia;

 protected:
  void UzupelnijNowy() override;
  void CzytajPola() override;
};

// IE141: the answer to an enquiry (IE140).
class OdpowiedzIE141 : public WniosekNastepczy {
 public:
  explicit OdpowiedzIE141(host::HostContext& ctx);
  QString GetXML() override;
  host::FieldErrors Sprawdz() const override;
  // The contractor picked as the actual consignee, written into the document at once.
  void UstawOdbiorce(const host::Row& kontrahent);

  bool tc11 = false;
  QString data_tc11;  // empty: not delivered
  bool forma_papierowa = false;
  QString informacja;
  PolaPodmiotu odbiorca;
  QString uc_okazania, uc_poszukiwania;

 protected:
  void UzupelnijNowy() override;
  void CzytajPola() override;
};

// IE054: the release request after a control with discrepancies (IE051).
class WniosekIE054 : public WniosekNastepczy {
 public:
  explicit WniosekIE054(host::HostContext& ctx);
  // A new document from the fields every time.
  QString GetXML() override;

  bool brak_sprzeciwu = false;
  QString uc_zgloszenia;
  QString data_wniosku;

 protected:
  void UzupelnijNowy() override;
  void CzytajPola() override;
};

}  // namespace velmora::arrival
