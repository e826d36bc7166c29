#pragma once

#include <QString>

#include <functional>

namespace velmora::host {
struct HostContext;
}

namespace velmora::exchange {

// The conversion of a stored outgoing document into its sendable form; empty means nothing to
// write. Arguments: the stored XML, the transit's MRN and LRN, the amendment's kind.
using Konwersja = std::function<QString(host::HostContext& ctx, const QString& xml, const QString& mrn, const QString& lrn,
                                        int rodzaj_ie013)>;

// The conversions by message type: the export copies of IE007, IE013, IE015, IE044 and IE141
// are there from the start; registering replaces one. A type with none is sent as it is
// stored (IE014, IE054).
void RegisterKonwersja(const QString& typ, Konwersja konwersja);
void UnregisterKonwersja(const QString& typ);

// True when a return channel is configured for the customs office's answers.
bool TestKanalZwrotny(host::HostContext& ctx);

// Writes the outgoing message `id` to `file_name` in its sendable, signed form and marks it
// sent. Answers an empty text, or the reason it was not written; on failure the message's
// status, date and stored file stay as they were.
QString ZapiszKomunikatDoPliku(host::HostContext& ctx, qint64 id, const QString& file_name);


}  // namespace velmora::exchange
