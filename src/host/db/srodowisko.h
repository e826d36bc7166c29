#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace velmora::host {

class Db;
class Dialogs;
class Options;

// Which platform a send goes to (option KANAL_WYSYLKI/SRODOWISKO). Only the two values below
// count: an empty or mistyped setting is refused, never taken for production.
enum class Srodowisko { Brak, Szkoleniowe, Produkcyjne };

inline constexpr const char* kSrodowiskoSzkoleniowe = "SZKOLENIOWE";
inline constexpr const char* kSrodowiskoProdukcyjne = "PRODUKCYJNE";

// What the demo data set up for the training platform; the switch to production refuses them.
inline constexpr const char* kDemoLoginPlatformy = "agencja";
inline constexpr const char* kDemoHasloPlatformy = "haslo";
inline constexpr const char* kDemoHasloCertyfikatu = "szkolenie";
inline constexpr const char* kKatalogSzkolenia = "szkolenie";  // below the root

Srodowisko CzytajSrodowisko(Options& options);
// Whether an address (a URL, an e-mail address or a host name) names this computer.
bool NaTymKomputerze(const QString& adres);
// Why no password may go to the platform at `adres`: plain http beyond this computer. Empty
// when it may.
QString OdmowaAdresuPlatformy(const QString& adres);
// Why nothing may go to the platform: empty when an environment is chosen.
QString OdmowaSrodowiska(Options& options);
// The environment as the status bar names it.
QString NazwaSrodowiska(Srodowisko s);

// The question before the first send of a session to the production platform; true when the
// send may go (not production, confirmed now or earlier in this session).
bool PotwierdzWysylkeProdukcyjna(Options& options, Dialogs& dialogs);
// A new session asks again (a restart does the same).
void NowaSesjaWysylki();

// The switch to production: every point must hold a value of the agency's own, none the demo's.
class PrzejscieNaProdukcje {
 public:
  struct Punkt {
    QString nazwa;  // "Kanał zwrotny", "Login na platformie", "Certyfikat", "Adres platformy"
    QString brak;   // what is still wrong; empty when done
  };
  PrzejscieNaProdukcje(Db& db, Options& options, QString root);

  // The points in order, each with the options (SECTION/KEY) that settle it; the platform's
  // address is a customs dictionary entry, not an option.
  static const std::vector<std::pair<QString, QStringList>>& Opcje();
  // `values` by option id, as the options window edits them.

  std::vector<Punkt> Punkty(const QMap<QString, QString>& values) const;
  // Stores the values and the production environment; the refusal, with nothing stored, while
  // any point is not done.
  QString Zakoncz(const QMap<QString, QString>& values);

 private:
  Db& db_;
  Options& options_;
  QString root_;
};

}  // namespace velmora::host
