#include "reference_windows.h"

#include "aktualizuj_slowniki_box.h"
#include "host/host_context.h"
#include "host/main_form.h"
#include "host/window_registry.h"
#include "slownik_ncts_box.h"

namespace velmora::reference {

namespace {

const QString kAktualizujSlowniki = QStringLiteral("TAktualizujSlownikiBox");
const QString kSlownikNcts = QStringLiteral("TSlownikNCTS_BOX");

}  // namespace

// Both are modal boxes: they run to their end inside the opening call and leave no child window.
void RegisterReferenceWindows() {
  host::RegisterWindowClass(kAktualizujSlowniki, [](host::HostContext& ctx, const host::WindowArgs&) -> QWidget* {
    TAktualizujSlownikiBox box(ctx, ctx.main_form);
    box.ShowBox();
    return nullptr;
  });
  host::RegisterWindowClass(kSlownikNcts, [](host::HostContext& ctx, const host::WindowArgs& args) -> QWidget* {
    QString code;
    TSlownikNCTS_BOX::Listuj(ctx, args.window_id, code);
    return nullptr;
  });
}

void UnregisterReferenceWindows() {
  host::UnregisterWindowClass(kAktualizujSlowniki);
  host::UnregisterWindowClass(kSlownikNcts);
}

}  // namespace velmora::reference
