#pragma once

#include <QString>
#include <QStringList>

namespace velmora::host {
class Db;
struct HostContext;
}  // namespace velmora::host

namespace velmora::xml {
class Sad;
}

namespace velmora::reference {

// Approves the simplified-procedure register entry `id_im` (table IM): checks it, numbers it
// in its register and year, dates it, charges its guarantee and stores the result. Answers
// whether it was approved.
//  - `start_nr`: the number of a register's first entry in a year; 0 asks the user (a silent
//    approval, which cannot ask, starts at 1).
//  - `cicho`: no message box and no question; the texts go to `log` only (questions go on).
//  - `log`: the progress and error lines are appended to it (may be null).
//  - `dataset`: the caller's connection with its transaction open; the approval then runs
//    inside it and does not commit (a refusal after the numbering began marks it for
//    rollback). Null: a transaction of its own on the default database.
//  - `dostawy`: accepted for the callers of the host; not used.
// Errors of the database or of the SAD document pass to the caller; nothing is kept then.
bool ZatwierdzWpisIM(host::HostContext& ctx, int id_im, int start_nr, bool cicho, QStringList* log,
                     host::Db* dataset, bool dostawy);

// Whether the commodity codes (CN10) of the SAD's goods items are blocked for the register
// `id_rgrej` by the codes of BlokadaCN (that register's and those for all registers). The lines
// found, or the positive result, are put into `komunikat` and appended to `lines` (may be null).
bool JestBlokadaCN(const xml::Sad& sad, int id_rgrej, QString& komunikat, host::Db& db, QStringList* lines);

}  // namespace velmora::reference
