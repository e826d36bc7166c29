#include "lista_tranzytow.h"

#include "tranzyty_pozycje.h"
#include "exchange/phase5.h"
#include "frame/transit_store.h"
#include "frame/codes.h"
#include "frame/mrn_repair.h"
#include "frame/shared_state.h"
#include "frame/text_formats.h"
#include "frame/transit_number.h"
#include "host/base/clock.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/db/options.h"
#include "host/db/users.h"
#include "host/xml/messages.h"

namespace velmora::lists {

namespace {
using host::Params;
}

ListaTranzytow::ListaTranzytow(host::HostContext& ctx, int rodzaj) : ctx_(ctx), rodzaj_(rodzaj) {}

QString ListaTranzytow::Sekcja() const {
  return rodzaj_ == frame::kRodzajWywoz ? QStringLiteral("TTranzytyOtwarciaWin") : QStringLiteral("TTranzytyZamknieciaWin");
}

QString ListaTranzytow::Select() const {
  if (rodzaj_ == frame::kRodzajWywoz)
    return QStringLiteral("select t.*, r.NAZWA as REJESTR_NAZWA from TRANZYTY t left join REJESTRY r on t.REJESTRY_ID = r.ID_REJESTRY");
  return QStringLiteral("select t.*, p.DATA_WYSLANIA, r.NAZWA as REJESTR_NAZWA from TRANZYTY t left join TRANZYTY_POZYCJE p on "
                        "(p.TRANZYTY_ID = t.ID_TRANZYTY and P.TYP = 'IE025') left join REJESTRY r on t.REJESTRY_ID = r.ID_REJESTRY");
}

QString ListaTranzytow::Warunki(const FiltrListy& f) const {
  QStringList w{rodzaj_ == frame::kRodzajWywoz ? QStringLiteral("(t.RODZAJ = 0)") : QStringLiteral("(t.RODZAJ = 1)")};
  if (f.rejestr_id > 0) w << QStringLiteral("(t.REJESTRY_ID = ") + QString::number(f.rejestr_id) + QLatin1Char(')');
  if (f.zakladka == 1) w << QStringLiteral("(t.TIR = 0)");
  if (f.zakladka == 2) w << QStringLiteral("(t.TIR = 1)");
  if (f.uzytkownik_id > kWszyscyUzytkownicy) w << QStringLiteral("(t.CREATE_ID_USER = ") + QString::number(f.uzytkownik_id) + QLatin1Char(')');
  return w.join(QStringLiteral(" and "));
}

FiltrListy ListaTranzytow::WczytajFiltr() {
  FiltrListy f;
  f.rejestr_id = frame::AktywnyRejestr.Id;
  bool ok = false;
  f.uzytkownik_id = ctx_.options.ReadOption(Sekcja(), QStringLiteral("UserId"), QStringLiteral("-100"), host::OptionScope::User).toInt(&ok);
  if (!ok) f.uzytkownik_id = kWszyscyUzytkownicy;
  f.uzytkownik_nazwa = ctx_.options.ReadOption(Sekcja(), QStringLiteral("UserName"), QString(), host::OptionScope::User);
  return f;
}

void ListaTranzytow::ZapiszFiltr(const FiltrListy& f) {
  ctx_.options.WriteOption(Sekcja(), QStringLiteral("UserId"), QString::number(f.uzytkownik_id), host::OptionScope::User);
  ctx_.options.WriteOption(Sekcja(), QStringLiteral("UserName"), f.uzytkownik_nazwa, host::OptionScope::User);
}

QString ListaTranzytow::CzyMoznaUsunac(qint64 id) {
  const int sent = frame::TransitStore(ctx_.db).IleWyslanych(id);
  return sent > 0 ? QStringLiteral("Nie można usunąć tranzytu ponieważ zawiera on wysłane do UC komunikaty") : QString();
}

void ListaTranzytow::Usun(qint64 id) {
  host::Transaction tx(ctx_.db);
  ctx_.db.Exec(QStringLiteral("delete from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), id}});
  frame::TransitStore(ctx_.db).UsunKomunikatyTranzytu(id);
  tx.Commit();
}

QString ListaTranzytow::NazwaBlokadyNumeru(int rejestr_id) const {
  return QStringLiteral("NrTranzytu_%1_%2.$$$").arg(rodzaj_).arg(rejestr_id);
}

frame::NumerTranzytu ListaTranzytow::Numeruj(int rejestr_id) {
  return frame::NadajNumerTranzytu(ctx_.db, ctx_.clock, rodzaj_, rejestr_id);
}

qint64 ListaTranzytow::WstawTranzyt(const frame::NumerTranzytu& n, const QVariantMap& kolumny) {
  const QString typ = rodzaj_ == frame::kRodzajWywoz ? frame::typ::IE015 : frame::typ::IE007;
  const qint64 id = ctx_.db.DBGetNewID(QStringLiteral("GID_TRANZYTY"));
  Params p{{QStringLiteral("ID"), id},         {QStringLiteral("RODZAJ"), rodzaj_}, {QStringLiteral("TYP"), typ},
           {QStringLiteral("ROK"), n.rok},     {QStringLiteral("MIESIAC"), n.miesiac}, {QStringLiteral("NR"), n.nr},
           {QStringLiteral("NUMER"), n.numer}, {QStringLiteral("OPIS"), OpisNowegoKomunikatu(typ)}};
  host::SetCreateAudit(p, ctx_.user.UserInfo(), ctx_.clock);
  QVariantMap all = kolumny;
  // The transit keeps the phase of its register from its creation.
  if (!all.contains(QStringLiteral("FAZA")))
    all.insert(QStringLiteral("FAZA"), exchange::FazaRejestru(ctx_.db, all.value(QStringLiteral("REJESTRY_ID")).toLongLong()));
  QStringList columns, values;
  for (auto it = all.begin(); it != all.end(); ++it) {
    columns << QStringLiteral(", ") + it.key();
    values << QStringLiteral(", :K_") + it.key();
    p.insert(QStringLiteral("K_") + it.key(), it.value());
  }
  ctx_.db.Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, ROK, MIESIAC, NR, NUMER, STATUS, OPIS, CREATE_ID_USER, "
                              "CREATE_USER_NAME, CREATE_DATE, CREATE_TIME%1) values (:ID, :RODZAJ, :TYP, :ROK, :MIESIAC, :NR, :NUMER, 0, "
                              ":OPIS, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME%2)")
                   .arg(columns.join(QString()), values.join(QString())),
               p);
  return id;
}

void ListaTranzytow::WstawPierwszyKomunikat(qint64 tranzyt, int blad, int status, const QString& nr_wlasny, const QString& xml) {
  const QString typ = rodzaj_ == frame::kRodzajWywoz ? frame::typ::IE015 : frame::typ::IE007;
  frame::NowyKomunikat k;
  k.tranzyt = tranzyt;
  k.blad = blad;
  k.typ = typ;
  k.status = status;
  k.nr_wlasny = nr_wlasny.isEmpty() ? frame::kAuto : nr_wlasny;
  k.opis = OpisNowegoKomunikatu(typ);
  k.xml = xml;
  frame::TransitStore(ctx_.db).Wstaw(k, ctx_.user.UserInfo(), ctx_.clock);
}

qint64 ListaTranzytow::Kopiuj(qint64 id, QString* informacja) {
  const auto src = ctx_.db.QueryOne(QStringLiteral("select * from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), id}});
  if (!src) return 0;
  const bool wywoz = rodzaj_ == frame::kRodzajWywoz;
  QVariantMap kolumny{{QStringLiteral("NR_SAD_CELINA"), QStringLiteral("NCTS ") + src->Str(QStringLiteral("NUMER"))}};
  for (const char* c : {"REJESTRY_ID", "PU", "TIR", "TIR_NUMER", "SAMOCHOD_NR", "SAMOCHOD_RODZAJ", "SAMOCHOD_KRAJ", "WAGA_BRUTTO",
                        "LICZBA_OPAKOWAN", "NADAWCA_ID", "NADAWCA_NAZWA", "ODBIORCA_ID", "ODBIORCA_NAZWA"})
    kolumny.insert(QString::fromLatin1(c), src->Value(QString::fromLatin1(c)));
  // The copy stays in the source's register and is numbered there; the lock is held until the
  // new number is committed, so no other user takes it meanwhile.
  const int rejestr = kolumny.value(QStringLiteral("REJESTRY_ID")).toInt();
  host::NamedLockGuard numbering(ctx_.db, NazwaBlokadyNumeru(rejestr), lock_attempts_, std::chrono::milliseconds(100));
  if (!numbering.Locked()) throw NumeracjaZajeta();
  host::Transaction tx(ctx_.db);
  const frame::NumerTranzytu n = Numeruj(rejestr);
  const qint64 nowy = WstawTranzyt(n, kolumny);
  const auto message = frame::TransitStore(ctx_.db).WzorzecKopii(id, wywoz);
  if (message) {
    // The copy is a new declaration: its own number is given again when it is sent.
    xml::Message doc = xml::GetMessage(xml::LoadXMLData(frame::NaprawXML(message->Str(QStringLiteral("XML")))),
                                       wywoz ? frame::typ::IE015 : frame::typ::IE007);
    doc.EnsureNaglowek().SetNrWlasny(frame::kAuto);
    QString text = doc.Xml();
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    WstawPierwszyKomunikat(nowy, message->Int(QStringLiteral("BLAD")), 0, frame::kAuto, text);
  }
  tx.Commit();
  if (informacja && wywoz) *informacja = QStringLiteral("Utworzono nowe zgłoszenie %1/%2").arg(n.nr).arg(n.rok);
  return nowy;
}

qint64 ListaTranzytow::UtworzTranzyt(const QVariantMap& kolumny, const QString& nr_wlasny, const QString& xml,
                                     const std::vector<QVariantMap>* koszty) {
  QVariantMap all{{QStringLiteral("REJESTRY_ID"), frame::AktywnyRejestr.Id}};
  all.insert(kolumny);  // the editor's own register wins
  // Counted in the register the transit is stored in, whatever the list shows.
  const int rejestr = all.value(QStringLiteral("REJESTRY_ID")).toInt();
  host::NamedLockGuard numbering(ctx_.db, NazwaBlokadyNumeru(rejestr), lock_attempts_, std::chrono::milliseconds(100));
  if (!numbering.Locked()) throw NumeracjaZajeta();
  host::Transaction tx(ctx_.db);
  const frame::NumerTranzytu n = Numeruj(rejestr);
  const qint64 id = WstawTranzyt(n, all);
  WstawPierwszyKomunikat(id, 0, 1, nr_wlasny, xml);
  if (koszty) SynchronizujKosztyTranzytu(ctx_, id, *koszty);
  tx.Commit();
  return id;
}

bool ListaTranzytow::NaprawMRN(qint64 id) {
  const QString mrn = ctx_.db.QueryValue(QStringLiteral("select MRN from TRANZYTY where ID_TRANZYTY = :ID"), {{QStringLiteral("ID"), id}}).toString();
  if (!mrn.trimmed().isEmpty()) return false;
  frame::NaprawMRN(ctx_.db, id, rodzaj_ == frame::kRodzajWywoz ? frame::typ::IE028 : frame::typ::IE007);
  return true;
}

void ListaTranzytow::UstawZakonczenieInfo(qint64 id) {
  const auto r = ctx_.db.QueryOne(QStringLiteral("select ID_TRANZYTY, NUMER, MRN, STATUS, PU from TRANZYTY where ID_TRANZYTY = :ID"),
                                  {{QStringLiteral("ID"), id}});
  if (!r) return;
  frame::Zakonczenie_Info = {};
  frame::Zakonczenie_Info.Id = r->Int(QStringLiteral("ID_TRANZYTY"));
  frame::Zakonczenie_Info.Numer = r->Str(QStringLiteral("NUMER"));
  frame::Zakonczenie_Info.MRN = r->Str(QStringLiteral("MRN"));
  frame::Zakonczenie_Info.Status = r->Str(QStringLiteral("STATUS"));
  frame::Zakonczenie_Info.PU = r->Int(QStringLiteral("PU")) == 1;
}

}  // namespace velmora::lists
