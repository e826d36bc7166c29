#pragma once

#include <QString>

namespace velmora::host {
struct HostContext;
}

namespace velmora::departure {

// The guarantee charges booked for a transit in the ledger.
struct Obciazenie {
  qint64 wpis = 0;     // the ledger entry of the last charge booked, 0 when none
  QString blad;        // the ledger's refusal, empty when every charge went through
};

// The departure side: for every goods item's "CAL" entry of the declaration, its amount is
// charged to the guarantee its GRN names; the transit keeps the last entry as OBCIAZENIE_ID.
Obciazenie ObciazGwarancjeDeklaracji(host::HostContext& ctx, qint64 tranzyt_id, const QString& mrn, const QString& ie015_xml);

// The arrival side: the transit's guarantee amount is charged once for its MRN (an entry that
// already exists for the MRN is taken instead); the transit keeps it as OBCIAZENIE_ID.
Obciazenie ObciazGwarancjePrzybycia(host::HostContext& ctx, qint64 tranzyt_id);

}  // namespace velmora::departure
