#include "tranzyty_pozycje.h"

#include "frame/codes.h"
#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/users.h"
#include "frame/transit_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace velmora::lists {

namespace {

using host::Params;

bool In(const QString& typ, std::initializer_list<const char*> types) {
  for (const char* t : types)
    if (typ == QLatin1String(t)) return true;
  return false;
}

const QColor kTeal(0, 128, 128), kBlue(0, 0, 255), kRed(255, 0, 0), kOrange(255, 128, 0), kGreen(0, 128, 0),
    kGrey(128, 128, 128), kMaroon(128, 0, 0), kBlack(0, 0, 0);

}  // namespace

QColor KolorKomunikatu(const QString& typ, int status, int blad) {
  if (typ == QLatin1String("IE029")) return kTeal;
  if (In(typ, {"IE004", "UPO", "UPP", "IE028", "IE043", "IE928"})) return kBlue;
  if (In(typ, {"IE005", "IE008", "IE016", "NPP", "IE041", "IE055", "IE058", "IE062", "IE906"})) return kRed;
  if (In(typ, {"IE007", "IE013", "IE014", "IE015", "IE044", "IE054", "IE141"})) return blad != 0 ? kOrange : kGreen;
  if (typ == QLatin1String("IE009")) return status == frame::kStatusOdebranyOdmowa ? kRed : kGrey;
  if (In(typ, {"IE025", "IE045"})) return kGrey;
  if (In(typ, {"IE060", "IE140"})) return kMaroon;
  return kBlack;
}

QString OpisKomunikatu(int status, const QString& opis) {
  switch (status) {
    case frame::kStatusNowy: return QStringLiteral("Nowe ") + opis;
    case frame::kStatusZmieniony: return QStringLiteral("Zmieniono ") + opis;
    case frame::kStatusWyslany: return QStringLiteral("Wysłano ") + opis;
    default: return opis;
  }
}

QString OpisNowegoKomunikatu(const QString& typ) {
  static const std::pair<const char*, const char*> kOpisy[] = {
      {"IE015", "zgłoszenie otwarcia tranzytu IE015"},
      {"IE013", "zgłoszenie modyfikacji tranzytu IE013"},
      {"IE014", "wniosek o anulowanie zgłoszenia otwarcia tranzytu IE014"},
      {"IE141", "odpowiedź na zapytanie o przesyłkę w procedurze poszukiwawczej IE141"},
      {"IE054", "wniosek o zwolnienie zgłoszenia do procedury tranzytu IE054"},
      {"IE007", "zgłoszenie zamknięcia tranzytu IE007"},
      {"IE044", "uwagi rozładunkowe do zamknięcia tranzytu IE044"},
  };
  for (const auto& [t, o] : kOpisy)
    if (typ == QLatin1String(t)) return QString::fromUtf8(o);
  return {};
}

TranzytyPozycje::TranzytyPozycje(host::HostContext& ctx, qint64 tranzyt_id, int rodzaj)
    : ctx_(ctx), tranzyt_id_(tranzyt_id), rodzaj_(rodzaj) {}

OstatniKomunikat TranzytyPozycje::AktualizujStatus() {
  last_ = {};
  for (const host::Row& r : frame::TransitStore(ctx_.db).Komunikaty(tranzyt_id_)) {
    const QString typ = r.Str(QStringLiteral("TYP"));
    if (In(typ, {"UPO", "UPP", "IE060"})) continue;
    last_ = {r.Int(QStringLiteral("LP")), typ, r.Int(QStringLiteral("STATUS")), r.Str(QStringLiteral("NR_WLASNY")),
             r.Str(QStringLiteral("TYP_POWIAZANY"))};
  }
  return last_;
}

NastepnyKomunikat TranzytyPozycje::WybierzTyp() {
  using A = NastepnyKomunikat::Akcja;
  AktualizujStatus();
  NastepnyKomunikat n;
  const bool empty = frame::TransitStore(ctx_.db).Ile(tranzyt_id_) == 0;
  QString typ;
  if (empty) {
    typ = rodzaj_ == frame::kRodzajWywoz ? frame::typ::IE015 : frame::typ::IE007;
  } else if (!preset_.isEmpty()) {
    typ = preset_;
    preset_.clear();
  } else if (rodzaj_ == frame::kRodzajPrzywoz) {
    if (last_.typ == frame::typ::IE008) typ = frame::typ::IE007;
    else if (In(last_.typ, {"IE043", "IE058"})) typ = frame::typ::IE044;
  } else {
    const QString& t = last_.typ;
    if (In(t, {"IE004", "IE005", "IE055"}) || (t == frame::typ::IE009 && last_.status == frame::kStatusOdebranyOdmowa)) {
      n.akcja = A::Menu;
      return n;
    }
    if (t == frame::typ::IE028) {
      n.akcja = A::MenuZPrzycisku;
      return n;
    }
    if (t == frame::typ::IE016) typ = frame::typ::IE015;
    else if (t == frame::typ::IE928) typ = frame::typ::IE013;
    else if (In(t, {"IE051", "IE062"})) typ = frame::typ::IE054;
    if (t == frame::typ::IE140) typ = frame::typ::IE141;
  }
  if (!empty && last_.typ == frame::typ::NPP) typ = last_.typ_powiazany;
  if (typ.isEmpty()) {
    n.akcja = A::Odmowa;
    n.komunikat = QStringLiteral("Dla zgłoszenia w stanie ") + last_.typ + QStringLiteral(" nie można tworzyć nowych komunikatów");
    return n;
  }
  n.akcja = A::Utworz;
  n.typ = typ;
  return n;
}

MenuKomunikatow TranzytyPozycje::Menu() {
  MenuKomunikatow m;
  const QString typ_tranzytu = ctx_.db.QueryValue(QStringLiteral("select TYP from TRANZYTY where ID_TRANZYTY = :ID"),
                                                  {{QStringLiteral("ID"), tranzyt_id_}}).toString();
  bool has_ie140 = false, has_ie029 = false;
  for (const host::Row& r : frame::TransitStore(ctx_.db).Komunikaty(tranzyt_id_)) {
    has_ie140 = has_ie140 || r.Str(QStringLiteral("TYP")) == frame::typ::IE140;
    has_ie029 = has_ie029 || r.Str(QStringLiteral("TYP")) == frame::typ::IE029;
  }
  m.ie141 = typ_tranzytu == frame::typ::IE140 || (typ_tranzytu == frame::typ::IE906 && has_ie140);
  m.ie013 = m.ie014 = !has_ie029;
  return m;
}

QVariantMap TranzytyPozycje::NowyWiersz(const QString& typ) {
  QVariantMap row;
  frame::TransitStore store(ctx_.db);
  if (const auto prev = store.Wzorzec(tranzyt_id_, typ)) {
    for (int i = 0; i < prev->Size(); ++i) row.insert(prev->Names()[i].toUpper(), prev->Values()[i]);
    row.insert(QStringLiteral("PLIK"), QVariant());
  }
  row.insert(QStringLiteral("TRANZYTY_ID"), tranzyt_id_);
  row.insert(QStringLiteral("ID_TRANZYTY_POZYCJE"), 0);
  row.insert(QStringLiteral("NR_WLASNY"), frame::kAuto);
  row.insert(QStringLiteral("LP"), store.MaxLp(tranzyt_id_) + 1);
  row.insert(QStringLiteral("STATUS"), frame::kStatusNowy);
  row.insert(QStringLiteral("BLAD"), 0);
  row.insert(QStringLiteral("TYP"), typ);
  row.insert(QStringLiteral("OPIS"), OpisNowegoKomunikatu(typ));
  row.insert(QStringLiteral("DATA_WYSLANIA"), QVariant());
  return row;
}

QVariantMap TranzytyPozycje::IstniejacyWiersz(qint64 id) {
  QVariantMap row;
  if (const auto r = frame::TransitStore(ctx_.db).Wiersz(id))
    for (int i = 0; i < r->Size(); ++i) row.insert(r->Names()[i].toUpper(), r->Values()[i]);
  const QString typ = row.value(QStringLiteral("TYP")).toString();
  row.insert(QStringLiteral("STATUS"), frame::kStatusZmieniony);
  row.insert(QStringLiteral("BLAD"), 0);
  row.insert(QStringLiteral("OPIS"), OpisNowegoKomunikatu(typ));
  return row;
}

qint64 TranzytyPozycje::Zapisz(QVariantMap row, const QString& xml, bool is_new, const QVariantMap& kolumny_tranzytu,
                               const std::vector<QVariantMap>* koszty) {
  host::Transaction tx(ctx_.db);
  frame::TransitStore store(ctx_.db);
  const auto v = [&row](const char* c) { return row.value(QString::fromLatin1(c)); };
  frame::NowyKomunikat k;
  k.tranzyt = v("TRANZYTY_ID").toLongLong();
  k.blad = v("BLAD").toInt();
  k.lp = v("LP").toInt();
  k.typ = v("TYP").toString();
  k.status = v("STATUS").toInt();
  k.nr_wlasny = v("NR_WLASNY");
  k.nr_powiazany = v("NR_POWIAZANY");
  k.typ_powiazany = v("TYP_POWIAZANY");
  k.opis = v("OPIS");
  k.data_wyslania = v("DATA_WYSLANIA");
  k.ie013_rodzaj = v("IE013_RODZAJ");
  k.xml = xml;
  qint64 id = v("ID_TRANZYTY_POZYCJE").toLongLong();
  if (is_new)
    id = store.Wstaw(k, ctx_.user.UserInfo(), ctx_.clock);
  else
    store.Zmien(id, k, ctx_.user.UserInfo(), ctx_.clock);
  store.UstawStan(tranzyt_id_, k.typ, k.opis.toString(), k.status, kolumny_tranzytu);
  if (koszty) SynchronizujKosztyTranzytu(ctx_, tranzyt_id_, *koszty);
  tx.Commit();
  return id;
}

void TranzytyPozycje::SynchronizujKoszty(std::vector<QVariantMap> koszty) { SynchronizujKosztyTranzytu(ctx_, tranzyt_id_, std::move(koszty)); }

void SynchronizujKosztyTranzytu(host::HostContext& ctx_, qint64 tranzyt_id_, std::vector<QVariantMap> koszty) {
  host::Transaction tx(ctx_.db);
  QSet<qint64> kept;
  for (QVariantMap& k : koszty) {
    qint64 id = k.value(QStringLiteral("ID_TRANZYTY_KOSZTY")).toLongLong();
    Params p{{QStringLiteral("T"), tranzyt_id_}};
    for (const char* c : {"LP", "KOD", "WARTOSC_WAL", "WALUTA", "KURS", "WARTOSC_PLN"})
      p.insert(QString::fromLatin1(c), k.value(QString::fromLatin1(c)));
    const bool exists = id > 0 && ctx_.db.QueryOne(QStringLiteral("select 1 from TRANZYTY_KOSZTY where ID_TRANZYTY_KOSZTY = :ID"),
                                                   {{QStringLiteral("ID"), id}});
    if (!exists) {
      id = ctx_.db.DBGetNewID(QStringLiteral("GID_TRANZYTY_KOSZTY"));
      p.insert(QStringLiteral("ID"), id);
      host::SetCreateAudit(p, ctx_.user.UserInfo(), ctx_.clock);
      ctx_.db.Exec(QStringLiteral("insert into TRANZYTY_KOSZTY (ID_TRANZYTY_KOSZTY, TRANZYTY_ID, LP, KOD, WARTOSC_WAL, WALUTA, KURS, "
                                  "WARTOSC_PLN, CREATE_ID_USER, CREATE_USER_NAME, CREATE_DATE, CREATE_TIME) values (:ID, :T, :LP, :KOD, "
                                  ":WARTOSC_WAL, :WALUTA, :KURS, :WARTOSC_PLN, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME)"),
                   p);
      k.insert(QStringLiteral("ID_TRANZYTY_KOSZTY"), id);
    } else {
      p.insert(QStringLiteral("ID"), id);
      host::SetModifyAudit(p, ctx_.user.UserInfo(), ctx_.clock);
      ctx_.db.Exec(QStringLiteral("update TRANZYTY_KOSZTY set TRANZYTY_ID = :T, LP = :LP, KOD = :KOD, WARTOSC_WAL = :WARTOSC_WAL, "
                                  "WALUTA = :WALUTA, KURS = :KURS, WARTOSC_PLN = :WARTOSC_PLN, MODIFY_ID_USER = :MODIFY_ID_USER, "
                                  "MODIFY_USER_NAME = :MODIFY_USER_NAME, MODIFY_DATE = :MODIFY_DATE, MODIFY_TIME = :MODIFY_TIME "
                                  "where ID_TRANZYTY_KOSZTY = :ID"),
                   p);
    }
    kept.insert(id);
  }
  for (const host::Row& r : ctx_.db.QueryAll(QStringLiteral("select ID_TRANZYTY_KOSZTY from TRANZYTY_KOSZTY where TRANZYTY_ID = :T"),
                                             {{QStringLiteral("T"), tranzyt_id_}}))
    if (!kept.contains(r.Int64(QStringLiteral("ID_TRANZYTY_KOSZTY"))))
      ctx_.db.Exec(QStringLiteral("delete from TRANZYTY_KOSZTY where ID_TRANZYTY_KOSZTY = :ID_TRANZYTY_KOSZTY"),
                   {{QStringLiteral("ID_TRANZYTY_KOSZTY"), r.Int64(QStringLiteral("ID_TRANZYTY_KOSZTY"))}});
  tx.Commit();
}

QString TranzytyPozycje::CzyMoznaUsunac(qint64 id) {
  frame::TransitStore store(ctx_.db);
  const auto r = store.Komunikat(id);
  if (!r) return {};
  if (r->Int(QStringLiteral("STATUS")) == frame::kStatusWyslany) return QStringLiteral("Nie można usunąć wysłanego komunikatu");
  const int count = store.Ile(tranzyt_id_);
  if (r->Int(QStringLiteral("LP")) < count) return QStringLiteral("Nie można usunąć komunikatu ponieważ nie jest ostatni na liście");
  return {};
}

void TranzytyPozycje::Usun(qint64 id) {
  host::Transaction tx(ctx_.db);
  frame::TransitStore store(ctx_.db);
  if (store.Usun(id) == frame::typ::IE043)
    ctx_.db.Exec(QStringLiteral("update TRANZYTY_ODPRAWY set IE043 = 0 where TRANZYTY_ID=:ID"), {{QStringLiteral("ID"), tranzyt_id_}});
  store.UstawStanOstatniego(tranzyt_id_);
  tx.Commit();
}

bool TranzytyPozycje::CofnijWyslanie(qint64 id) {
  frame::TransitStore store(ctx_.db);
  const auto r = store.Komunikat(id);
  if (!r) return false;
  const int status = r->Int(QStringLiteral("STATUS"));
  if (status < frame::kStatusWyslany) {
    ctx_.dialogs.Informacja(QStringLiteral("Komnukat nie został jeszcze wysłany"));
    return false;
  }
  if (status > frame::kStatusWyslany) {
    ctx_.dialogs.Informacja(QStringLiteral("Komnukat nie podlega wysyłce"));
    return false;
  }
  if (ctx_.dialogs.PytanieNieTak(QStringLiteral("Czy wycofać informację o wysłaniu komunikatu ?")) != host::kIdYes) return false;
  host::Transaction tx(ctx_.db);
  const bool last = r->Int(QStringLiteral("LP")) == store.MaxLp(tranzyt_id_);
  if (!last && !ctx_.user.UserInfo().isService()) {
    ctx_.dialogs.Informacja(QStringLiteral("Status wysłania można cofnąć tylko dla ostatniego wysłanego komnukatu"));
    return false;
  }
  store.CofnijWyslanie(id, tranzyt_id_, last);
  tx.Commit();
  return true;
}

QString TranzytyPozycje::EksportPrzygotuj(qint64 id, QString* nazwa, QString* filtr) {
  const auto r = frame::TransitStore(ctx_.db).Komunikat(id);
  if (!r) return QStringLiteral("Brak komunikatów do zapisania");
  if (r->Int(QStringLiteral("STATUS")) < frame::kStatusWyslany) return QStringLiteral("Komunikat nie ma statusu wysłany lub odebrany");
  const QString typ = r->Str(QStringLiteral("TYP"));
  *nazwa = typ + QLatin1Char('_') + r->Str(QStringLiteral("NR_WLASNY"));
  *filtr = typ == frame::typ::IE029 ? QStringLiteral("Plik XML (*.xml);;Plik PDF (*.pdf)") : QStringLiteral("Plik XML (*.xml)");
  return {};
}

bool TranzytyPozycje::EksportZapisz(qint64 id, const QString& file_name) {
  const QString text = frame::TransitStore(ctx_.db).Plik(id);
  QFile f(file_name);
  if (!f.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = text.toUtf8();
  return f.write(bytes) == bytes.size();
}

QString TranzytyPozycje::ZapiszZalacznik(qint64 id) {
  const auto komunikat = frame::TransitStore(ctx_.db).Komunikat(id);
  const qint64 attach = komunikat ? komunikat->Int64(QStringLiteral("ID_EMAIL_ATTACH_PDF")) : 0;
  std::optional<host::Row> r;
  if (attach > 0)
    r = ctx_.db.QueryOne(QStringLiteral("select FILENAME, BODY from email_attach where ID_EMAIL_ATTACH = :ID"),
                         {{QStringLiteral("ID"), attach}});
  if (!r) {
    ctx_.dialogs.Informacja(QStringLiteral("Brak załącznika"));
    return {};
  }
  const QString dir = QDir(ctx_.root).filePath(QStringLiteral("TEMP/MAIL_FILE"));
  QDir().mkpath(dir);
  const QString path = QDir(dir).filePath(QFileInfo(r->Str(QStringLiteral("FILENAME"))).fileName());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(r->Value(QStringLiteral("BODY")).toByteArray());
  return path;
}

}  // namespace velmora::lists
