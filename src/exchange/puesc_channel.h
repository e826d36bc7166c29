#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class QLibrary;

namespace velmora::host {
class Db;
struct HostContext;
}  // namespace velmora::host

namespace velmora::exchange {

// Where the send and receive roads write their progress, line by line.
using LogFn = std::function<void(const QString&)>;
// Told before each document of a long road (documents done, all documents); answering false
// stops the road there, the documents not reached left unread.
using PostepFn = std::function<bool(int, int)>;
// The log line of a road the clerk stopped.
inline const QString kOdbiorPrzerwany = QStringLiteral("- odbiór przerwany, pozostałe komunikaty nie zostały wczytane");
// Asks `postep` (when there is one) whether the road goes on, logging the stop.
bool Dalej(const PostepFn& postep, int done, int total, const LogFn& log);

// The platform account, address, waiting and proxy as the options give them.
struct PolaczeniePuesc {
  QString login, haslo, adres;
  bool czekaj = true;
  int czekaj_sekundy = 75;
  QString proxy_user, proxy_haslo, proxy_host;
  int proxy_port = 0;
  bool proxy_domyslne = false;
  bool szkolenie = false;  // the training platform
};
PolaczeniePuesc CzytajPolaczeniePuesc(host::HostContext& ctx);
// Why the password may not go to the platform's address: in plain text over the network. Empty
// when it may (https, the training platform, or this computer).
QString OdmowaAdresuPuesc(const PolaczeniePuesc& p);

// The web-service channel is offered on the engines it works on: all of ours. The rule keeps
// its shape so an engine without it would disable the channel.
bool SilnikObslugujeWebService(const host::Db& db);

// The client library, loaded from the root's bin/ for one exchange and freed with this object.
class KlientPuesc {
 public:
  explicit KlientPuesc(const QString& root);
  ~KlientPuesc();
  bool Zaladowany() const;

  using AcceptFn = const char* (*)(const char*, const char*, const char*, const char*, const char*, const char*, const char*,
                                   const char*, int, bool);
  using BySysRefFn = const char* (*)(const char*, const char*, const char*, const char*, const char*, int, const char*, const char*,
                                     const char*, int, bool);
  using DocumentsFn = const char* (*)(const char*, const char*, const char*, const char*, const char*, double, double, bool,
                                      const char*, const char*, const char*, int, bool);
  AcceptFn Accept() const;
  BySysRefFn BySysRef() const;
  DocumentsFn Documents() const;

 private:
  std::unique_ptr<QLibrary> library_;
};

// Runs one call of the client library off the window's thread, so the window keeps
// repainting while the platform answers; the answer is copied before that thread ends.
QString WywolajKlienta(const std::function<const char*()>& call);

// Time this process has spent waiting for the platform, in milliseconds: the client library's
// calls and the pause before the answers are asked for. A road's own time is the rest.
qint64 CzasOczekiwaniaNaPlatformeMs();
void DodajCzasOczekiwaniaNaPlatforme(qint64 ms);

// Whether the client library's answer is a result: an empty one (no answer) and one with a
// leading minus sign (an error) are logged and end the road.
bool OdpowiedzKlienta(const QString& answer, const LogFn& log);

// A date-time as the client library takes it: days from 1899-12-30, the time as a fraction.
double DataCzasJakoLiczba(const QDateTime& t);

// Loads every document of the library's answer list (files below `katalog`) through
// WczytajKomunikat, logging each result; with `zalaczniki` the printouts named with a
// document are stored with the message just loaded. A list that is no XML is logged as it is.
void WczytajListeDokumentow(host::HostContext& ctx, const QString& katalog, const QString& lista, bool zalaczniki, const LogFn& log,
                             const PostepFn& postep = {});

// Stores the file as the PDF printout of message `message_id`; answers the attachment's id.
qint64 SaveAttach(host::HostContext& ctx, const QString& path, qint64 message_id);

}  // namespace velmora::exchange
