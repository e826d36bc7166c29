#pragma once

#include <QString>

namespace velmora::host {
struct HostContext;
}

namespace velmora::exchange {

// Rank of a message type in the state of its transit: a received message moves the
// transit only when its rank is not below that of the transit's current type.
int RankTypu(const QString& typ);

// Applies one incoming document: recognises it, finds its transit, refuses duplicates,
// stores it as a received message and moves the transit's state, all in one transaction.
// Answers the log line: "Wczytano kouminikat ..." or "Błąd - " + the reason. A document that
// is not well-formed XML raises to the caller; nothing is stored then.
class IncomingProcessor {
 public:
  explicit IncomingProcessor(host::HostContext& ctx) : ctx_(ctx) {}
  QString WczytajKomunikat(const QString& xml, const QString& file_name = {});

 private:
  host::HostContext& ctx_;
};

// The routine under its system name, for the other packages.
QString WczytajKomunikat(host::HostContext& ctx, const QString& xml, const QString& file_name = {});

}  // namespace velmora::exchange
