#include "registrations.h"

#include "arrival/arrival_notification_box.h"
#include "arrival/follow_up_boxes.h"
#include "arrival/unloading_remarks_box.h"
#include "departure/declaration_box.h"
#include "exchange/receive.h"
#include "frame/codes.h"
#include "frame/message_editors.h"
#include "frame/ncts2_menu_creator.h"
#include "frame/shared_state.h"
#include "frame/transit_schema.h"
#include "host/mail/email_routines.h"
#include "host/base/host_context.h"
#include "host/ui/main_form.h"
#include "host/ui/menu_creator.h"
#include "host/base/process_options.h"
#include "host/db/tools_db.h"
#include "host/ui/window_registry.h"
#include "lists/lista_tranzytow_win.h"
#include "lists/rejestry_win.h"
#include "reference/aktualizuj_slowniki_box.h"
#include "reference/slownik_ncts.h"
#include "reference/slownik_ncts_box.h"

#include <QString>

namespace velmora::module {

namespace {

int g_init_count = 0;
// The tag the schema routine is registered under.
QString g_schema_tag = QStringLiteral("Velmora");

struct Edytor {
  const char* typ;
  frame::MessageEditorFactory fabryka;
};

// The message list's editors by message type.
std::vector<Edytor> Edytory() {
  return {
      {"IE015", [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
         return new departure::TIE015PL_Box(ctx, row, false, parent);
       }},
      {"IE013", [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
         return new departure::TIE015PL_Box(ctx, row, true, parent);
       }},
      {"IE007", [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
         return new arrival::TIE007PL_Box(ctx, row, parent);
       }},
      {"IE044", [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> frame::MessageEditor* {
         return new arrival::TIE044PL_Box(ctx, row, parent);
       }},
      {"IE014", arrival::FabrykaWniosku<arrival::TIE014PL_Box>()},
      {"IE141", arrival::FabrykaWniosku<arrival::TIE141PL_Box>()},
      {"IE054", arrival::FabrykaWniosku<arrival::TIE054PL_Box>()},
  };
}

template <class Win, class... Args>
host::WindowFactory Lista(Args... args) {
  return [args...](host::HostContext& ctx, const host::WindowArgs&) -> QWidget* {
    auto* w = new Win(ctx, args...);
    w->Init();
    return w;
  };
}

struct Okno {
  const char* klasa;
  host::WindowFactory fabryka;
};

// The windows the menus open by class name. The dictionary boxes are modal: they run to their
// end inside the opening call and leave no child window.
std::vector<Okno> Okna() {
  return {
      {"TTranzytyOtwarciaWin", Lista<lists::TTranzytyListaWin>(frame::kRodzajWywoz)},
      {"TTranzytyZamknieciaWin", Lista<lists::TTranzytyListaWin>(frame::kRodzajPrzywoz)},
      {"TRejestryWin", Lista<lists::TRejestryWin>()},
      {"TAktualizujSlownikiBox", [](host::HostContext& ctx, const host::WindowArgs&) -> QWidget* {
         reference::TAktualizujSlownikiBox box(ctx, ctx.main_form);
         box.ShowBox();
         return nullptr;
       }},
      {"TSlownikNCTS_BOX", [](host::HostContext& ctx, const host::WindowArgs& args) -> QWidget* {
         QString code;
         reference::TSlownikNCTS_BOX::Listuj(ctx, args.window_id, code);
         return nullptr;
       }},
  };
}

}  // namespace

void Initialize() {
  if (g_init_count++ > 0) return;
  if (g_schema_tag.isEmpty()) g_schema_tag = QStringLiteral("Velmora");
  host::RegisterMenuCreator(QStringLiteral("TNCTS2_MenuCreator"),
                            [](host::MenuMerger& merger) { return new frame::TNCTS2_MenuCreator(merger); });
  host::RegisterCheckChangeDB(g_schema_tag, frame::TransitSchema);
  // Every mail is offered to the processing: the filter takes them all.
  host::Register_Email_Receive_Filter([](const host::ReceivedMail&) { return true; },
                                      QStringLiteral("Filtr odpowiedzi UC na komunikat IE15"));
  host::Register_Email_Receive_Processing(
      [](const host::ReceivedMail& mail) {
        host::HostContext* ctx = host::ProcessContext();
        return g_init_count > 0 && ctx && exchange::PrzetwarzanieOdpowiedziUC(*ctx, mail);
      },
      QStringLiteral("Przetwarzanie odpowiedzi UC (komunikaty NCTS: IExxx/PWKx)"));
  for (Okno& o : Okna()) host::RegisterWindowClass(QString::fromLatin1(o.klasa), std::move(o.fabryka));
  for (Edytor& e : Edytory()) frame::RegisterMessageEditor(QString::fromLatin1(e.typ), std::move(e.fabryka));
}

void Finalize() {
  if (g_init_count == 0 || --g_init_count > 0) return;
  for (const Okno& o : Okna()) host::UnregisterWindowClass(QString::fromLatin1(o.klasa));
  for (const Edytor& e : Edytory()) frame::UnregisterMessageEditor(QString::fromLatin1(e.typ));
  host::UnregisterMenuCreator(QStringLiteral("TNCTS2_MenuCreator"));
  // The schema routine stays registered with the host (it has no unregistering); only its tag
  // is cleared. The mail routines stay too: without the module the processing takes nothing.
  g_schema_tag.clear();
  reference::ReleaseSlownikCache();
  frame::ReleaseSharedState();
}

int InitializationCount() { return g_init_count; }

}  // namespace velmora::module
