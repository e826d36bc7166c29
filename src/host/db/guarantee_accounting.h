#pragma once

#include <QDateTime>
#include <QString>

namespace velmora::host {

class Db;
struct HostContext;

// Movements of the host's older guarantee register (Gwar, GwarPoz). Each takes the guarantee's
// lock ("Gwar<id>.$$$", 10 attempts 200 ms apart), writes one GwarPoz row and sets the
// guarantee's Saldo from all its movements. With `dataset` the work runs on that connection
// inside the caller's transaction, which the caller commits; without it, in a transaction of its
// own on the default database. Answers the new ID_GwarPoz, or 0 when nothing was written:
// `komunikat` then holds the refusal (empty for a guarantee id of 0 or less).
qint64 Gwar_Obciazenie(HostContext& ctx, double kwota, int id_gwar, QString& komunikat, const QString& typ_ew,
                       bool import, int id_ext, int id_zglosz, const QString& nr_sad, const QDateTime& data_sad,
                       Db* dataset, const QString& nr_sad_src, const QDateTime& data_sad_src, bool saldo);

// The release; `saldo` is taken for symmetry and not checked. A null release date is today.
qint64 Gwar_Zwolnienie(HostContext& ctx, double kwota, int id_gwar, QString& komunikat, const QString& typ_ew,
                       bool import, int id_ext, int id_zglosz, const QString& nr_sad, const QDateTime& data_sad,
                       Db* dataset, const QString& nr_sad_src, const QDateTime& data_sad_src, bool saldo,
                       const QDateTime& data_zwolnienia);

}  // namespace velmora::host
