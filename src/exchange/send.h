#pragma once

#include "puesc_channel.h"

#include <QString>

namespace velmora::host {
struct HostContext;
}

namespace velmora::exchange {

// The roads an outgoing message takes, as the send wizard numbers them.
enum Kanal { kKanalPlik = 1, kKanalEmailNcts = 2, kKanalEmailPoczta = 3, kKanalPuesc = 4 };

// Why message `id` cannot be sent at all (no return channel, a type that is not sent); empty
// when it can.
QString SprawdzWysylke(host::HostContext& ctx, qint64 id);

// What the send wizard does, without its widgets: the choices it offers on opening and the
// delivery by the chosen road.
class WysylkaKomunikatu {
 public:
  // Reads the message and the sending options; assigns the own number when missing.
  WysylkaKomunikatu(host::HostContext& ctx, qint64 id);

  const QString& Typ() const { return typ_; }
  const QString& NazwaPliku() const { return nazwa_pliku_; }
  const QString& KatalogDomyslny() const { return katalog_; }
  QString SciezkaDomyslna() const;
  const QString& AdresUrzedu() const { return adres_urzedu_; }
  const QString& KontoNadawcy() const { return konto_nadawcy_; }

  bool KanalDostepny(int kanal) const;
  // The road chosen last time when it is offered now; 0 for none.
  int KanalPoczatkowy() const;
  // The refusal of the path field for the road, empty when it will do.
  QString SprawdzPole(int kanal, const QString& pole) const;
  // The production platform is asked for once more in a session; false when the user declines.
  bool PotwierdzPlatforme(int kanal) const;
  // The file the road writes: the path field for a file, a working directory for the others.
  QString SciezkaPliku(int kanal, const QString& pole) const;

  // Writes, signs and delivers; every step is logged. True when the wizard may close with
  // its accept result (the user's own mail program took the message). `dostarczono` tells
  // whether the road was gone to its end without a fault.
  bool Wyslij(int kanal, const QString& pole, const LogFn& log, bool* dostarczono = nullptr);
  // The upload and, when waiting is on, the loading of the answers; true when it ran to its end.
  bool SendWS(const QString& plik, const LogFn& log);
  // Told before each answer the upload brings; answering false leaves the rest unread.
  void UstawPostep(PostepFn postep) { postep_ = std::move(postep); }

 private:
  host::HostContext& ctx_;
  qint64 id_;
  QString typ_;
  QString katalog_;
  QString nazwa_pliku_;
  QString adres_urzedu_;
  QString konto_nadawcy_;
  PostepFn postep_;
};

}  // namespace velmora::exchange
