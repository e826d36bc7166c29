#pragma once

#include "host/xml/group.h"
#include "host/xml/messages.h"

#include <QString>
#include <QStringList>

namespace velmora::host {
struct HostContext;
}

// What the export copies of the outgoing messages share: they rebuild a stored document
// group by group into a fresh one of the target schema, normalising values on the way.
namespace velmora::frame {

extern const QString kBrakMiejscaWypelnienia;

// Polish letters replaced by their plain Latin ones; every other character stays.
QString BezPolskichLiter(const QString& text);

// The place a document is filled in: `zrodlo` when not blank, else the user option MIEJSCE of
// section USER, else the user's location, else (when `domyslne_dla_admina` and the user is a
// system administrator) the program's own town. Without Polish letters; empty when none.
QString MiejsceWypelnienia(host::HostContext& ctx, const QString& zrodlo, bool domyslne_dla_admina);

// The copy rules of the descriptions: masses through GetMasa, Polish letters, upper case.
QString FiltrujWartosc(const xml::FieldDesc& field, const QString& value);

// Copies every group of `from`'s root into `to`'s root in schema order, but for the groups
// named in `pomin`. The roots' descriptions must share those groups.
void KopiujGrupy(const xml::Message& from, xml::Message& to, const QStringList& pomin);

// The header of a new outgoing document: its own number and creation date are "<AUTO>" until
// it is sent.
xml::Naglowek NaglowekNowego(xml::Message& doc);

// The document's text without its final line break.
QString TekstBezKonca(const xml::Message& m);

// The stored text repaired and bound as `code` (an exception when it is not that message).
xml::Message CzytajKomunikat(const QString& stored, const QString& code);

}  // namespace velmora::frame
