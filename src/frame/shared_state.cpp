#include "shared_state.h"

#include "active_register.h"
#include "host/db/host_switches.h"

namespace velmora::frame {

TRejestr AktywnyRejestr;
TZakonczenie_Info Zakonczenie_Info;
TObjecie_Info Objecie_Info;
int OstatniWczytanyKomunikatId = 0;
bool FGwarancjaWybierz = false;
QString FGwarancjaWybrana;
bool FBlokada_NCTS_UC = false;
bool FKAEM = false;
bool FPRATT = false;

void CzytajPrzelaczniki(host::Options& options) {
  FKAEM = host::SiteSwitch(options, "KAEM");
  FPRATT = host::SiteSwitch(options, "PRATT");
}

bool EmptyFunc() { return true; }

void ReleaseSharedState() {
  AktywnyRejestr = {};
  Zakonczenie_Info = {};
  Objecie_Info = {};
  ActiveRejInfo = {};
  OstatniWczytanyKomunikatId = 0;
  FGwarancjaWybierz = false;
  FGwarancjaWybrana.clear();
  FKAEM = false;
  FPRATT = false;
}

}  // namespace velmora::frame
