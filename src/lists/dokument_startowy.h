#pragma once

#include <QString>
#include <QVariantMap>

namespace velmora::host {
struct HostContext;
}

namespace velmora::lists {

// The first document of a new transit while no declaration or notification editor is loaded:
// the header with its own number to come and the register's defaults.
struct DokumentStartowy {
  QString xml;
  QVariantMap kolumny_tranzytu;  // the consignor or consignee of the register
};

DokumentStartowy NowyDokumentStartowy(host::HostContext& ctx, int rodzaj, int rejestr_id);

}  // namespace velmora::lists
