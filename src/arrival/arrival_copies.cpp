#include "arrival_copies.h"

#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/xml/messages.h"

namespace velmora::arrival {

namespace {

QString KopiujCaly(const QString& stored, const QString& code) {
  const xml::Message from = frame::CzytajKomunikat(stored, code);
  xml::Message to = xml::NewMessage(code);
  frame::KopiujGrupy(from, to, {});
  return frame::TekstBezKonca(to);
}

}  // namespace

QString KopiujIE007toIE007(host::HostContext& ctx, const QString& stored) {
  const xml::Message from = frame::CzytajKomunikat(stored, QStringLiteral("IE007"));
  const QString miejsce = frame::MiejsceWypelnienia(ctx, from.Root().Get(xml::kIE007_Przybycie).Get(QStringLiteral("Miejsce")), false);
  if (miejsce.isEmpty()) {
    ctx.dialogs.Blad(frame::kBrakMiejscaWypelnienia);
    return {};
  }
  xml::Message to = xml::NewIE007();
  frame::KopiujGrupy(from, to, {});
  xml::Group root = to.Root();
  xml::Group przybycie = root.Ensure(xml::kIE007_Przybycie);
  przybycie.Set(QStringLiteral("Miejsce"), miejsce);
  przybycie.Set(QStringLiteral("Data"), frame::GetDateAsString(ctx.clock.Today()));
  return frame::TekstBezKonca(to);
}

QString KopiujIE044toIE044(host::HostContext&, const QString& stored) { return KopiujCaly(stored, QStringLiteral("IE044")); }

QString KopiujIE141toIE141(host::HostContext&, const QString& stored) { return KopiujCaly(stored, QStringLiteral("IE141")); }

}  // namespace velmora::arrival
