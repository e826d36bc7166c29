#include "declaration_copies.h"

#include "frame/message_copy.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/users.h"
#include "host/xml/messages.h"

namespace velmora::departure {

namespace {

QString Kopiuj(host::HostContext& ctx, const QString& stored, const QString& code, const QString& mrn, const QString& lrn) {
  const xml::Message from = frame::CzytajKomunikat(stored, QStringLiteral("IE015"));
  xml::Message to = xml::NewMessage(code);

  xml::Naglowek naglowek = to.EnsureNaglowek();
  if (const xml::Naglowek zrodlo = from.GetNaglowek()) {
    naglowek.SetNrWlasny(zrodlo.NrWlasny());
    naglowek.SetDataUtworzenia(zrodlo.DataUtworzenia());
  }
  if (!mrn.isEmpty()) naglowek.SetMRN(mrn);
  if (!lrn.isEmpty()) naglowek.SetLRN(lrn);

  frame::KopiujGrupy(from, to, {xml::kNaglowek.name, xml::kIE015_MiejsceData.name});

  const QString miejsce = frame::MiejsceWypelnienia(ctx, QString(), true);
  if (miejsce.isEmpty()) {
    ctx.dialogs.Blad(frame::kBrakMiejscaWypelnienia);
    return {};
  }
  xml::Group root = to.Root();
  xml::Group md = root.Add(xml::kIE015_MiejsceData);
  md.Set(QStringLiteral("Miejsce"), miejsce);
  md.Set(QStringLiteral("Data"), frame::GetDateAsString(ctx.clock.Today()));
  md.Set(QStringLiteral("Osoba"), ctx.user.UserInfo().GetNAZWA());
  return frame::TekstBezKonca(to);
}

}  // namespace

QString KopiujIE015toIE015(host::HostContext& ctx, const QString& stored) {
  return Kopiuj(ctx, stored, QStringLiteral("IE015"), {}, {});
}

QString KopiujIE015toIE013(host::HostContext& ctx, const QString& stored, const QString& mrn, const QString& lrn, int rodzaj) {
  return rodzaj == 2 ? Kopiuj(ctx, stored, QStringLiteral("IE013"), {}, lrn) : Kopiuj(ctx, stored, QStringLiteral("IE013"), mrn, {});
}

}  // namespace velmora::departure
