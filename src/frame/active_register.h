#pragma once

#include <QDate>
#include <QString>

namespace velmora::host {
class Db;
struct Switches;
}

namespace velmora::frame {

// The fields of the simplified-procedure register record, in the order they are read:
// B boolean, I integer, S text, D date, F number.
#define VELMORA_ACTIVE_REJ_FIELDS(B, I, S, D, F)                                                              \
  I(ID_RGRej) B(Dodatkowy) B(WylaczSaldowanieGwar) B(P40_NrWpisu_LP) S(PrefixP7) I(Typ) B(bezPWD)             \
  B(VAT_bez_Zabezpieczenia) B(VAT_AUDYT) S(KodDokWym) S(Procedura) S(Symbol) S(Nazwa) S(NrPozw)               \
  B(Pozw_Bezterm) B(ECS_ProcAwar) D(Data) D(Termin) S(PG_Numer) S(PG_Kod) I(ID_RGGwar) S(OznMiejscaUzn)       \
  S(DefMP) S(DefSAD_Typ) S(DefSAD_Podtyp) S(DefSAD_P1a) S(DefSAD_P1b) S(DefSAD_P1c) S(DefSAD_UCZgl)           \
  S(DefSAD_Lokalizacja) S(DefSAD_RodzTransp) S(DefSAD_Lokalizacja2) S(DefSAD_RodzTransp2)                     \
  I(DefSAD_BezPozwWP44) S(WpisPA) S(WpisPC) B(WpisFmt) S(OGL_PB) S(OGL_P44) S(DC_Typ) I(DC_Dni) D(DC_Data)    \
  F(PAC_RAMKI) F(PAC_PL) F(PAC_UC) F(PAC_REJ) F(PAC_DT) F(PAC_NAZWA) F(PAC_POZW) F(PAC_SZ) F(PAC_WYS)          \
  F(PAC_PL_SZ) F(PAC_PL_WYS) F(PAC_FIRMA_SZ) F(PAC_WPIS_SYS) S(PAC_FIRMA1) S(PAC_FIRMA2) S(PAC_POZW1)         \
  S(PAC_POZW2) I(ID_RGRejPow) S(SymbolPow) S(Korzystajacy) S(UlicaNumer) S(KodPocztowy) S(Miejscowosc)        \
  S(Kraj) S(NIP) S(Regon) S(EORI) S(NrMiejscaUzn) S(MiejsceUzn) S(NrUC1) S(NrUC2) S(NrUC3) S(UCKontrolny1)    \
  S(UCKontrolny2) S(UCKontrolny3) B(NCTS) I(ID_RGGwarNowa)

struct TActiveRejInfo {
#define VELMORA_B(name) bool name = false;
#define VELMORA_I(name) int name = 0;
#define VELMORA_S(name) QString name;
#define VELMORA_D(name) QDate name;
#define VELMORA_F(name) double name = 0.0;
  VELMORA_ACTIVE_REJ_FIELDS(VELMORA_B, VELMORA_I, VELMORA_S, VELMORA_D, VELMORA_F)
#undef VELMORA_B
#undef VELMORA_I
#undef VELMORA_S
#undef VELMORA_D
#undef VELMORA_F
  // Kind of goods location, from the length of DefSAD_Lokalizacja: 0 none or a
  // "PL" + six digits code of 14 characters, 1 eight characters, 2 anything else.
  int RodzajLokalizacji = 0;
};

extern TActiveRejInfo ActiveRejInfo;

// Loads ActiveRejInfo from the register `id` (negative: the register held already) and
// mirrors its VAT_AUDYT into the switches. A register that does not exist leaves both as they were.
void SetActiveRej(host::Db& db, host::Switches& switches, int id, bool flag = false);

int RodzajLokalizacji(const QString& def_sad_lokalizacja);

}  // namespace velmora::frame
