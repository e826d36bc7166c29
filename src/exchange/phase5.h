#pragma once

#include "host/xml/xml_document.h"

#include "departure/walidator.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmora::host {
class Db;
struct HostContext;
}  // namespace velmora::host

// The phase a transit is spoken in on the wire: 4 (the national shapes), 5 or 6 (the EU's CC
// messages). What is stored stays in the phase-4 shapes whatever the phase.
namespace velmora::exchange {

// The transit's phase, kept from its creation (4 for one that does not exist).
int FazaTranzytu(host::Db& db, qint64 tranzyt);
// The phase a new transit of the register takes (4 without a register).
int FazaRejestru(host::Db& db, qint64 rejestr);

struct KomunikatCC {
  xml::XmlDocumentPtr doc;
  QString odmowa;  // the schema's own finding when the file may not go
};

// The CC message of the phase-4 sendable document, validated against its phase's XSD.
KomunikatCC NaFaze(host::HostContext& ctx, int faza, const xml::XmlDocumentPtr& ie);

struct OdczytCC {
  bool cc = false;  // the document is a CC message at all
  QString ie_xml;   // its phase-4 shape, ready for the load
  QString odmowa;   // why it is refused
};

// A CC answer read into its phase-4 counterpart: checked against the XSD, its related own
// number found by the LRN or MRN when the answer names none.
OdczytCC OdczytajCC(host::Db& db, const QString& xml);

struct ImportCC {
  bool cc = false;  // the file is a CC message at all
  int faza = 5;     // the phase whose schema it meets
  QString ie_xml;   // the declaration in the stored shape
  QString odmowa;
};

// A CC015C from another system read as a declaration of a phase-5 (or 6) transit.
ImportCC ImportujCC015C(const QString& text);

// The findings of a CC file (null when it is not one): the XSD of the phase it meets (5, else
// 6), then our rules on its phase-4 reading.
std::optional<std::vector<departure::UstalenieKomunikatu>> SprawdzKomunikatCC(const QByteArray& bytes);

}  // namespace velmora::exchange
