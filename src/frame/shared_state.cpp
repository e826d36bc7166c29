#include "shared_state.h"

#include "active_register.h"

namespace velmora::frame {

TRejestr AktywnyRejestr;
TZakonczenie_Info Zakonczenie_Info;
TObjecie_Info Objecie_Info;
int OstatniWczytanyKomunikatId = 0;
bool FGwarancjaWybierz = false;
QString FGwarancjaWybrana;
bool FKAEM = false;
bool FPRATT = false;
bool FBlokada_NCTS_UC = false;

bool EmptyFunc() { return true; }

void ReleaseSharedState() {
  AktywnyRejestr = {};
  Zakonczenie_Info = {};
  Objecie_Info = {};
  ActiveRejInfo = {};
  OstatniWczytanyKomunikatId = 0;
  FGwarancjaWybierz = false;
  FGwarancjaWybrana.clear();
}

}  // namespace velmora::frame
