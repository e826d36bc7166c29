#pragma once

#include <QString>

namespace velmora::host {
struct HostContext;
}

// The export copies of the arrival-side messages: each stored document rebuilt as a fresh
// one of its type, in the schema's order, with the values completed at sending time.
namespace velmora::arrival {

// The notification's place taken from the document, the user option or the user's location,
// written without Polish letters; its date is today. Empty (after telling the user) when no
// place is known.
QString KopiujIE007toIE007(host::HostContext& ctx, const QString& stored);
QString KopiujIE044toIE044(host::HostContext& ctx, const QString& stored);
QString KopiujIE141toIE141(host::HostContext& ctx, const QString& stored);

}  // namespace velmora::arrival
