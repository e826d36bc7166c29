#include "demo_transits.h"

#include "arrival/arrival_notification.h"
#include "departure/declaration.h"
#include "departure/goods_item.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "lists/lista_tranzytow.h"

namespace velmora::lists {

namespace {
QString S(const char* s) { return QString::fromUtf8(s); }
}  // namespace

void UtworzTranzytyDemo(host::HostContext& ctx) {
  const int rejestr = ctx.db.QueryValue(S("select min(ID_REJESTRY) from REJESTRY")).toInt();
  if (rejestr <= 0) return;
  const auto kontrahent = [&ctx](const char* nazwa) {
    return ctx.db.QueryOne(S("select * from KONTRAHENCI where Nazwa like :N"), {{S("N"), S(nazwa) + QLatin1Char('%')}});
  };
  const frame::TRejestr poprzedni = frame::AktywnyRejestr;
  frame::AktywnyRejestr.Id = rejestr;

  departure::DeklaracjaIE015 d(ctx);
  d.UstawRejestr(rejestr);
  d.SetXML(QString());
  if (const auto k = kontrahent("Bałtycka")) d.WypelnijStrone(departure::Strona::GlownyZobowiazany, *k);
  if (const auto k = kontrahent("Meyer")) d.WypelnijStrone(departure::Strona::Odbiorca, *k);
  d.pola.uc_przeznaczenia = S("DE004851");
  d.pola.masa_brutto = S("512.5");
  d.pola.liczba_opakowan = S("12");
  if (d.Towary().empty()) d.DodajTowar();
  {
    departure::TowarIE015 t(ctx, d.Dokument(), 1);
    t.Load();
    t.pola.opis = S("Przenośne komputery (laptopy)");
    t.UstawCN(S("84713000"));
    t.pola.masa_brutto = S("512,5");
    t.pola.masa_netto = S("480");
    xml::Group o = t.Dodaj(departure::ListaTowaru::Opakowania);
    o.Set(S("Rodzaj"), S("CT"));
    o.Set(S("Znaki"), S("BS/2024/1"));
    o.Set(S("LiczbaOpakowan"), S("12"));
    t.Save();
    d.OdswiezTowar(1);
  }
  const QString deklaracja = d.GetXML();
  ListaTranzytow(ctx, frame::kRodzajWywoz).UtworzTranzyt(d.KolumnyTranzytu(), frame::kAuto, deklaracja);

  arrival::ZawiadomienieIE007 z(ctx);
  z.BeforeActivate({{S("ID_TRANZYTY"), 0}, {S("REJESTRY_ID"), rejestr}});
  z.SetXML(QString());
  z.pola.mrn = S("24DE004851NS0001A2");
  if (const auto k = kontrahent("Bałtycka")) z.UstawOdbiorce(*k);
  const arrival::WynikPrzybycia w = z.Wynik();
  ListaTranzytow(ctx, frame::kRodzajPrzywoz).UtworzTranzyt(w.kolumny_tranzytu, frame::kAuto, w.xml, &w.koszty);
  frame::AktywnyRejestr = poprzedni;
}

}  // namespace velmora::lists
