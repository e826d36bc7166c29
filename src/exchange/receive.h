#pragma once

#include "puesc_channel.h"

#include <QDateTime>
#include <QStringList>

namespace velmora::host {
struct HostContext;
struct MailMessage;
struct ReceivedMail;
}  // namespace velmora::host

namespace velmora::exchange {

// What the receive wizard does, without its widgets: every road ends in WczytajKomunikat and
// writes its progress into the log.
class OdbiorKomunikatow {
 public:
  explicit OdbiorKomunikatow(host::HostContext& ctx) : ctx_(ctx) {}
  // Told before each file, document or mail; answering false stops the road there.
  void UstawPostep(PostepFn postep) { postep_ = std::move(postep); }

  // Loads the files one by one; answers whether every one was loaded without an error.
  bool WczytajPliki(const QStringList& pliki, const LogFn& log);
  // Downloads what waits on the platform in the period and loads it with its printouts;
  // true when it ran to its end.
  bool ReceiveWS(const QDateTime& od, const QDateTime& do_, bool przeczytane, const LogFn& log);
  // Reads the mailbox of account `konto` (its e-mail address) from the newest mail down;
  // with `tylko_nowe` the walk stops at the first mail stored before.
  // False when the account is unknown or cannot be reached.
  bool ZakladkaPoczta(const QString& konto, bool tylko_nowe, const LogFn& log);
  // One mail: its XML attachments loaded (a PDF one becomes the printout), the mail stored
  // in the host's mailbox. Answers the line for the log.
  QString AnalizujEmail(int id_email_srv, const host::MailMessage& mail);

 private:
  host::HostContext& ctx_;
  PostepFn postep_;
};

// The processing routine registered with the host's mail reception: the first attachment of
// a stored mail, loaded when it is XML. True when the mail was handled.
bool PrzetwarzanieOdpowiedziUC(host::HostContext& ctx, const host::ReceivedMail& mail);

}  // namespace velmora::exchange
