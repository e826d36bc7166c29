#pragma once

namespace velmora::host {
class TToolsDB;
}

namespace velmora::frame {

// Declares the transit store: METRYKI_EXT, REJESTRY, TRANZYTY, TRANZYTY_ODPRAWY,
// TRANZYTY_POZYCJE, TRANZYTY_KOSZTY, UC, with their columns and indexes.
void TransitSchema(host::TToolsDB& tools);

}  // namespace velmora::frame
