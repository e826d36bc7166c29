#pragma once

#include <QString>
#include <QVariant>

namespace velmora::host {
class Options;
}  // namespace velmora::host

// The state the module shares with the host's other packages: process-wide, used from the
// user-interface thread only, released when the module is unloaded.
namespace velmora::frame {

struct TRejestr {
  int Id = 0;  // REJESTRY.ID_REJESTRY; 0 = all registers
  QString Nazwa;
};

// The transit whose message list is being opened from a transit list.
struct TZakonczenie_Info {
  int Id = 0;
  QString Numer;
  QString MRN;
  QString Nieuzywany1;
  QString Status;
  bool PU = false;
  QString Nieuzywany2;
  QString Nieuzywany3;
  QString Nieuzywany4;
};

// The departure-side twin; exported for the host, not filled here.
struct TObjecie_Info {
  int Id = 0;
  QString Numer;
  QString MRN;
  QString Status;
  QString Opis;
  QVariant* Dane = nullptr;
};

enum class TFormatNumeruWpisu { fnwNumerWpisu, fnwPozycjaRejestru };
enum class TSAD_StampSource { stampNone, stampINI, stampPU, stampSAD };

inline const QString kWszystkieRejestry = QStringLiteral("<wszystkie>");

extern TRejestr AktywnyRejestr;
extern TZakonczenie_Info Zakonczenie_Info;
extern TObjecie_Info Objecie_Info;
extern int OstatniWczytanyKomunikatId;
extern bool FGwarancjaWybierz;
extern QString FGwarancjaWybrana;
extern bool FBlokada_NCTS_UC;
// Customer-specific: an order system's response files (incoming), the clearances' drop-down on
// the arrival list.
extern bool FKAEM;
extern bool FPRATT;

// FKAEM and FPRATT from the site switches KAEM and PRATT, as the host sets them at its start.
void CzytajPrzelaczniki(host::Options& options);

// Does nothing and answers true.
bool EmptyFunc();

// Back to the state of a fresh load.
void ReleaseSharedState();

}  // namespace velmora::frame
