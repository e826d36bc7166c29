#include "package.h"

#include "ncts2_menu_creator.h"
#include "shared_state.h"
#include "host/email_routines.h"
#include "host/menu_creator.h"
#include "transit_schema.h"
#include "host/tools_db.h"

#include <QString>

namespace velmora::frame {

namespace {

int g_init_count = 0;
std::function<bool(const host::ReceivedMail&)> g_przetwarzanie;
// The tag the schema routine is registered under.
QString g_schema_tag = QStringLiteral("Velmora");

}  // namespace

void Initialize() {
  if (g_init_count++ > 0) return;
  if (g_schema_tag.isEmpty()) g_schema_tag = QStringLiteral("Velmora");
  host::RegisterMenuCreator(QStringLiteral("TNCTS2_MenuCreator"),
                            [](host::MenuMerger& merger) { return new TNCTS2_MenuCreator(merger); });
  host::RegisterCheckChangeDB(g_schema_tag, TransitSchema);
  // Every mail is offered to the processing: the filter takes them all.
  host::Register_Email_Receive_Filter([](const host::ReceivedMail&) { return true; },
                                      QStringLiteral("Filtr odpowiedzi UC na komunikat IE15"));
  // The routine itself lives with the receive channels, which hand it over with their context.
  host::Register_Email_Receive_Processing([](const host::ReceivedMail& m) { return g_przetwarzanie && g_przetwarzanie(m); },
                                          QStringLiteral("Przetwarzanie odpowiedzi UC (komunikaty NCTS: IExxx/PWKx)"));
}

void Finalize() {
  if (g_init_count == 0 || --g_init_count > 0) return;
  host::UnregisterMenuCreator(QStringLiteral("TNCTS2_MenuCreator"));
  // The schema routine stays registered with the host; only its tag is cleared.
  g_schema_tag.clear();
  ReleaseSharedState();
}

int InitializationCount() { return g_init_count; }

void UstawPrzetwarzaniePoczty(std::function<bool(const host::ReceivedMail&)> routine) { g_przetwarzanie = std::move(routine); }

}  // namespace velmora::frame
