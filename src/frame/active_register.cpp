#include "active_register.h"

#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/base/loaded_routine.h"

namespace velmora::frame {

TActiveRejInfo ActiveRejInfo;

int RodzajLokalizacji(const QString& loc) {
  if (loc.isEmpty()) return 0;
  if (loc.size() == 8) return 1;
  if (loc.size() == 14 && loc.startsWith(QLatin1String("PL"))) {
    bool digits = true;
    for (int i = 2; i < 8; ++i) digits = digits && loc[i].isDigit() && loc[i].unicode() < 128;
    if (digits) return 0;
  }
  return 2;
}

void SetActiveRej(host::Db& db, host::Switches& switches, int id, bool flag) {
  Q_UNUSED(flag);
  if (id < 0) id = ActiveRejInfo.ID_RGRej;
  const auto row = db.QueryOne(
      QStringLiteral("select RGRej.*, RGRejPow.*, RGRejPow.Symbol as SymbolPow from RGRej left outer join RGRejPow "
                     "on (RGRej.ID_RGRejPow = RGRejPow.ID_RGRejPow) where RGRej.ID_RGRej = :ID_RGRej"),
      {{QStringLiteral("ID_RGRej"), id}});

  // The additional-documents package keeps defaults per register when it is loaded.
  using SetDokDodDefRejFn = void (*)(int);
  if (auto fn = reinterpret_cast<SetDokDodDefRejFn>(host::FindLoadedRoutine(QStringLiteral("SetDokDodDefRej")))) fn(id);

  if (!row) return;
  TActiveRejInfo r;
#define VELMORA_B(name) r.name = row->Int(QStringLiteral(#name)) > 0;
#define VELMORA_I(name) r.name = row->Int(QStringLiteral(#name));
#define VELMORA_S(name) r.name = row->Str(QStringLiteral(#name));
#define VELMORA_D(name) r.name = row->Value(QStringLiteral(#name)).toDate();
#define VELMORA_F(name) r.name = row->Float(QStringLiteral(#name));
  VELMORA_ACTIVE_REJ_FIELDS(VELMORA_B, VELMORA_I, VELMORA_S, VELMORA_D, VELMORA_F)
#undef VELMORA_B
#undef VELMORA_I
#undef VELMORA_S
#undef VELMORA_D
#undef VELMORA_F
  if (r.KodDokWym.isEmpty()) r.KodDokWym = QStringLiteral("2UP2");
  if (row->IsNull(QStringLiteral("DC_Dni"))) r.DC_Dni = 10;
  r.RodzajLokalizacji = RodzajLokalizacji(r.DefSAD_Lokalizacja);
  ActiveRejInfo = r;
  switches.FVAT_AUDYT = r.VAT_AUDYT;
}

}  // namespace velmora::frame
