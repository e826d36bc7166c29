#include "package.h"

#include "shared_state.h"
#include "transit_schema.h"
#include "host/tools_db.h"

#include <QString>

namespace velmora::frame {

namespace {

int g_init_count = 0;
// The tag the schema routine is registered under.
QString g_schema_tag = QStringLiteral("Velmora");

}  // namespace

void Initialize() {
  if (g_init_count++ > 0) return;
  if (g_schema_tag.isEmpty()) g_schema_tag = QStringLiteral("Velmora");
  host::RegisterCheckChangeDB(g_schema_tag, TransitSchema);
}

void Finalize() {
  if (g_init_count == 0 || --g_init_count > 0) return;
  // The schema routine stays registered with the host; only its tag is cleared.
  g_schema_tag.clear();
  ReleaseSharedState();
}

int InitializationCount() { return g_init_count; }

}  // namespace velmora::frame
