#pragma once

#include "host/db/db.h"
#include "host/db/record_store.h"
#include "host/db/urzedy_celne.h"

#include <QString>

#include <optional>

class QWidget;

namespace velmora::host {

struct HostContext;
class THostTableWin;

// The host's own tables that the module picks from, each with its list window.
const TableSpec& KontrahenciSpec();
const TableSpec& UzytkownicySpec();
const TableSpec& UCSpec();
const TableSpec& WalutySpec();
const TableSpec& KursySpec();
// CN codes with their highest duty and VAT rates.
const TableSpec& TaricSpec();
// Goods descriptions in Russian by CN code, for documents of transits to the east.
const TableSpec& OpisyRosjaSpec();
// The simplified-procedure register's entries (IM), read-only: they come from the SAD documents
// and are numbered when the release of their transit arrives.
const TableSpec& WpisyRejestruSpec();

// Declares the host tables owned here (contractors, CN codes, Russian descriptions).
void HostTablesSchema(TToolsDB& tools);
// Registers the list windows and the reports under their class names.
void RegisterHostWindows();

// Pickers: each opens positioned on `initial` and answers the chosen row.
std::optional<Row> WybierzKontrahenta(HostContext& ctx, const QVariant& initial_id, QWidget* parent = nullptr);
// The same, positioned on the contractor of that name.
std::optional<Row> WybierzKontrahentaPoNazwie(HostContext& ctx, const QString& nazwa, QWidget* parent = nullptr);
// ... positioned on the contractor whose EORI is `eori`.
std::optional<Row> WybierzKontrahentaPoEORI(HostContext& ctx, const QString& eori, QWidget* parent = nullptr);
// A CN code from the TARIC table.
std::optional<Row> WybierzKodCN(HostContext& ctx, const QString& initial_kod, QWidget* parent = nullptr);
// The contractors holding a TIR carnet (the principal of a TIR declaration).
std::optional<Row> WybierzPosiadaczaTIR(HostContext& ctx, const QVariant& initial_id, QWidget* parent = nullptr);
// The customs offices still listed that have the role a field needs, of one country ("PL");
// every country when it is empty.
THostTableWin* ListaUC(HostContext& ctx, const QString& kraj, RolaUC rola);
std::optional<Row> ListujUC(HostContext& ctx, const QString& kraj, RolaUC rola, const QString& initial_kod, QWidget* parent = nullptr);
std::optional<Row> WybierzWalute(HostContext& ctx, const QString& initial_kod, QWidget* parent = nullptr);

}  // namespace velmora::host
