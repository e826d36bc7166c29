#include "register_entry.h"

#include "host/db/guarantee_accounting.h"
#include "frame/active_register.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/db/guarantee_ledger.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/db/options.h"
#include "host/base/rounding.h"
#include "host/db/users.h"
#include "host/xml/sad.h"

#include <optional>

namespace velmora::reference {

namespace {

using host::Cents;
using host::Params;

const QString kTytulWpisu = QStringLiteral("Wpis do rejestru PU ...");
const QString kNieMoznaZatwierdzic = QStringLiteral("Nie można zatwierdzić wybranego wpisu !");
const QString kPrzerwano = QStringLiteral(" - przerwano zatwierdzanie wpisu.");
const QString kObciazanie = QStringLiteral("obciążanie gwarancji nr %1 na kwotę %2");
const QString kNieObciazona = QStringLiteral("Gwarancja %1 nie zostanie obciążona ponieważ kwota obciązenia jest mniejsza niż 0.01 zł");
const QString kTypRejestru = QStringLiteral("PU");
const QString kObiektIm = QStringLiteral("IM");

QString Kwota(double v) { return QString::number(v, 'f', 2); }

// The register reference of an entry: register, entry number, year.
QString Odnosnik(int id_rgrej, int nr, int rok) { return QStringLiteral("[%1/%2/%3]").arg(id_rgrej).arg(nr).arg(rok); }

// The last position of an item range "15-17" (17) or "15" (15).
int OstatniaPozycja(const QString& lp_rej) { return lp_rej.section(QLatin1Char('-'), -1).trimmed().toInt(); }

struct Powiadomienie {
  bool ok = false;
  QString powod;
};

// The entry's notification against the register's way of working.
Powiadomienie SprawdzPowiadomienie(host::Db& db, int id_im, bool bez_pwd) {
  const auto im = db.QueryOne(QStringLiteral("select ID_RGPow, PozaGodz, ID_RGRej from IM where ID_IM = :ID_IM"),
                              {{QStringLiteral("ID_IM"), id_im}});
  if (!im) return {false, QStringLiteral("Brak wpisu [id_im=%1].").arg(id_im)};
  const auto rej = db.QueryOne(QStringLiteral("select BezPWD_PG, BezPWD_UP from RGRej where ID_RGRej = :ID_RGRej"),
                               {{QStringLiteral("ID_RGRej"), im->Int(QStringLiteral("ID_RGRej"))}});
  const int id_pow = im->Int(QStringLiteral("ID_RGPow"));
  const QString przypisano =
      QStringLiteral("Dla wybranego wpisu przypisano powiadomienie - w definicji rejestru ustawiono pracę bez powiadomień");
  if (bez_pwd) return {id_pow <= 0, id_pow > 0 ? przypisano + QLatin1Char('.') : QString()};
  if (rej && rej->Int(QStringLiteral("BezPWD_PG")) > 0 && im->Int(QStringLiteral("PozaGodz")) > 0)
    return {id_pow <= 0, id_pow > 0 ? przypisano + QStringLiteral(" (poza godzinami pracy UC.)") : QString()};
  if (rej && rej->Int(QStringLiteral("BezPWD_UP")) > 0)
    return {id_pow <= 0, id_pow > 0 ? przypisano + QStringLiteral(" (dla upoważnień pośrednich)") : QString()};

  const auto pow = id_pow > 0 ? db.QueryOne(QStringLiteral("select Typ from RGPow where ID_RGPow = :ID_RGPow"),
                                            {{QStringLiteral("ID_RGPow"), id_pow}})
                              : std::nullopt;
  if (!pow) return {false, QStringLiteral("Brak powiadomienia dla wybranego wpisu.")};
  const QString typ = pow->Str(QStringLiteral("Typ")).trimmed().toUpper();
  if (typ == QLatin1String("C") || typ == QLatin1String("D"))
    return {true, QStringLiteral("PWD typu \"C,D\" - powiadomienie jest potwierdzone !")};
  return {false, QStringLiteral("Powiadomienia typu ") + typ + QStringLiteral(" nie jest obsługiwane") +
                     QStringLiteral(" (opcja w przygotowaniu).")};
}

// The End-Use share of the duty lines (A00) of the items that carry a percentage.
double KwotaEndUse(const xml::Sad& sad) {
  double suma = 0.0;
  for (const xml::Group& towar : sad.Towary()) {
    const QString procent = towar.Get(QStringLiteral("ProcentEndUse")).trimmed();
    if (procent.isEmpty()) continue;
    for (const xml::Group& oplata : towar.List(xml::kSadOplata))
      if (oplata.Get(QStringLiteral("Typ")).trimmed() == QLatin1String("A00"))
        suma += host::RoundTo(xml::SadLiczba(oplata.Get(QStringLiteral("Kwota"))) * xml::SadLiczba(procent) / 100.0, 0);
  }
  return suma;
}

class Zatwierdzenie {
 public:
  Zatwierdzenie(host::HostContext& ctx, int id_im, int start_nr, bool cicho, QStringList* log, host::Db* dataset)
      : ctx_(ctx), db_(dataset ? *dataset : ctx.db), id_im_(id_im), start_nr_(start_nr), cicho_(cicho), log_(log) {}

  bool Run();

 private:
  void Log(const QString& line) {
    if (log_) log_->append(line);
  }
  void Informacja(const QString& text, const QString& title = kTytulWpisu) {
    if (!cicho_) ctx_.dialogs.Informacja(text, title);
  }
  // A failed guarantee movement: logged, and shown only to a user without a log of his own.
  bool BladGwarancji(const QString& text) {
    Log(text);
    if (!cicho_ && !log_) ctx_.dialogs.Blad(text);
    return false;
  }
  // The guarantee's charge for this entry, referred to by its register reference.
  host::TWpisGwarancja Obciazenie(double kwota, int id_gwarancji) const {
    host::TWpisGwarancja wpis = host::NoweObciazenie(ctx_.user, ctx_.clock);
    wpis.kwota = kwota;
    wpis.obj_nr = Odnosnik(id_rgrej_, nr_, rok_);
    wpis.obj_rodzaj = kObiektIm;
    wpis.obj_id = id_im_;
    wpis.gwarancja_id = id_gwarancji;
    return wpis;
  }
  bool Numeruj();
  bool ObciazGwarancje();
  bool ZatwierdzKorekte();
  void ObciazEndUse();

  host::HostContext& ctx_;
  host::Db& db_;
  const int id_im_;
  const int start_nr_;
  const bool cicho_;
  QStringList* log_;

  bool nowe_gwarancje_ = false;
  frame::TActiveRejInfo rej_;
  xml::Sad sad_;
  host::Row im_;
  int id_rgrej_ = 0;
  int nr_ = 0;
  int kor_ = 0;
  QDate data_wpisu_;
  int rok_ = 0;
  QString lp_rej_;
  int id_gwar_poz_ = 0;
  int id_gwar_ = 0;
  int gwar_nowa_poz_ = 0;
};

bool Zatwierdzenie::Run() {
  host::NamedLockGuard blokada_wpisu(db_, QStringLiteral("LockPUDok_%1.$$$").arg(id_im_, 6, 10, QLatin1Char('0')));
  if (!blokada_wpisu.Locked()) {
    const QString id = id_im_ > 0 ? QString::number(id_im_) : QStringLiteral("???");
    const QString text = QStringLiteral("Dokument (ID = %1) jest używany przez innego użytkownika !").arg(id);
    Log(text);
    Informacja(text);
    return false;
  }

  nowe_gwarancje_ = ctx_.options.ReadOption(QStringLiteral("GWARANCJE"), QStringLiteral("AutomatyczneSaldowanie"),
                                            QStringLiteral("0"))
                        .trimmed() == QLatin1String("1");

  const auto im = db_.QueryOne(QStringLiteral("select * from IM where ID_IM = :ID_IM"), {{QStringLiteral("ID_IM"), id_im_}});
  if (!im) {
    const QString powod = QStringLiteral("Brak wpisu [id_im=%1].").arg(id_im_);
    Log(kNieMoznaZatwierdzic);
    Log(QStringLiteral(" - ") + powod.toLower());
    Informacja(kNieMoznaZatwierdzic + QLatin1Char('\r') + QStringLiteral(" - ") + powod.toLower());
    return false;
  }
  im_ = *im;
  sad_ = xml::CreateSAD(frame::NaprawXML(im_.Str(QStringLiteral("SAD"))));
  id_rgrej_ = im_.Int(QStringLiteral("ID_RGRej"));
  nr_ = im_.Int(QStringLiteral("NrWpisu"));
  kor_ = im_.Int(QStringLiteral("KOR_Stat"));
  lp_rej_ = im_.Str(QStringLiteral("LpRej"));
  id_gwar_poz_ = im_.Int(QStringLiteral("ID_GwarPoz"));
  id_gwar_ = im_.Int(QStringLiteral("ID_Gwar"));
  gwar_nowa_poz_ = im_.Int(QStringLiteral("GWAR_NOWA_POZ"));

  if (nr_ > 0 && kor_ < 1 && im_.Int(QStringLiteral("PU_Stat")) > 100) {
    const QString text = QStringLiteral("Dokument o numerze %1 jest już wpisany do rejestru !").arg(nr_);
    Log(text);
    Informacja(QLatin1Char('\r') + text + QLatin1Char('\r'));
    return false;
  }

  // An empty date, or the host's zero date, is no entry date yet.
  data_wpisu_ = im_.Value(QStringLiteral("DataWpisu")).toDate();
  if (!data_wpisu_.isValid() || data_wpisu_ <= QDate(1900, 1, 1)) data_wpisu_ = ctx_.clock.Today();
  rok_ = data_wpisu_.year();

  frame::SetActiveRej(db_, ctx_.switches, id_rgrej_);
  rej_ = frame::ActiveRejInfo.ID_RGRej == id_rgrej_ ? frame::ActiveRejInfo : frame::TActiveRejInfo{};

  if (im_.Int(QStringLiteral("Generowany")) > 0) {
    Log(kNieMoznaZatwierdzic);
    Log(QStringLiteral(" - należy we wpisie uzupełnić brakujące dane."));
    Informacja(kNieMoznaZatwierdzic + QLatin1Char('\r') + QStringLiteral("Należy we wpisie uzupełnić brakujące dane."));
    return false;
  }

  QString blokady;
  if (JestBlokadaCN(sad_, id_rgrej_, blokady, db_, log_)) {
    if (!cicho_)
      ctx_.dialogs.Blad(QStringLiteral("Kontrola kodów CN...") + QStringLiteral("\r\r") + blokady + QStringLiteral("\r\r") +
                        QStringLiteral("Wpis do rejestru NIEMOŻLIWY !"));
    return false;
  }

  if (!xml::TestWagiBrutto(sad_)) {
    const QString text = QStringLiteral("Na dokumencie stwierdzono niepoprawną wagę brutto !");
    Log(text);
    if (!cicho_ &&
        ctx_.dialogs.PytanieNieTak(text + QLatin1Char('\r') + QStringLiteral("Czy kontynuować zatwierdzanie wpisu ?")) !=
            host::kIdYes) {
      Log(kPrzerwano);
      return false;
    }
    Log(QStringLiteral(" - kontynuacja zatwierdzania wpisu."));
  }

  const Powiadomienie pow = SprawdzPowiadomienie(db_, id_im_, rej_.bezPWD);
  if (!pow.ok) {
    const QString powod = QStringLiteral(" - ") + pow.powod.toLower();
    Log(kNieMoznaZatwierdzic);
    Log(powod);
    Informacja(kNieMoznaZatwierdzic + QLatin1Char('\r') + powod);
    return false;
  }
  if (!pow.powod.isEmpty()) Log(pow.powod);

  if (!cicho_) {
    int answer = host::kIdNo;
    if (kor_ >= 1)
      answer = ctx_.dialogs.PytanieTakNie(QStringLiteral("\rZatwierdzić korektę wpisu %1/%2 ?\r").arg(nr_).arg(rok_),
                                          QStringLiteral("Zatwierdzenie korekty"));
    else if (nr_ > 0)
      answer = ctx_.dialogs.PytanieTakNie(QStringLiteral("\rZatwierdzić wpis %1/%2 ?\r").arg(nr_).arg(rok_),
                                          QStringLiteral("Zatwierdzenie wpisu"));
    else
      answer = ctx_.dialogs.PytanieTakNie(QStringLiteral("\rWpisać dokument o numerze %1 do rejestru ?\r").arg(id_im_),
                                          kTytulWpisu);
    if (answer != host::kIdYes) return false;
  }

  host::NamedLockGuard blokada_globalna(db_, QStringLiteral("LockZatwWpis.$$$"));
  if (!blokada_globalna.Locked()) {
    const QStringList lines{QStringLiteral("W tej chwili operację nadawania/wycofywania numeru wpisu,"),
                            QStringLiteral("nadawania numeru OGL lub zatwierdzania wpisu wykonuje inny użytkownik."),
                            QStringLiteral("Naciśnij \"OK\" aby przerwać operację."),
                            QStringLiteral("Odczekaj chwilę i spróbuj ponownie.")};
    for (const QString& line : lines) Log(line);
    Informacja(lines[0] + QLatin1Char('\r') + lines[1] + QLatin1Char('\r') + host::kKolorNiebieski + lines[2] +
               QLatin1Char('\r') + lines[3]);
    return false;
  }

  host::Transaction tx(db_);
  if (nr_ <= 0 && !Numeruj()) return false;
  if (!rej_.WylaczSaldowanieGwar && !ObciazGwarancje()) return false;

  db_.Exec(QStringLiteral("update IM set NrWpisu = :NrWpisu, DataWpisu = :DataWpisu, Rok = :Rok, LpRej = :LpRej, "
                          "ID_GwarPoz = :ID_GwarPoz, ID_Gwar = :ID_Gwar, GWAR_NOWA_POZ = :GWAR_NOWA_POZ, NrOGL = :NrOGL, "
                          "NrDTO = :NrDTO, DataOGL = :DataOGL, Kor_Stat = :Kor_Stat, PU_Stat = :PU_Stat, "
                          "DC_Termin = :DC_Termin where (ID_IM = :ID_IM)"),
           {{QStringLiteral("NrWpisu"), nr_},
            {QStringLiteral("DataWpisu"), data_wpisu_},
            {QStringLiteral("Rok"), rok_},
            {QStringLiteral("LpRej"), lp_rej_},
            {QStringLiteral("ID_GwarPoz"), id_gwar_poz_},
            {QStringLiteral("ID_Gwar"), id_gwar_},
            {QStringLiteral("GWAR_NOWA_POZ"), gwar_nowa_poz_},
            {QStringLiteral("NrOGL"), im_.Value(QStringLiteral("NrOGL"))},
            {QStringLiteral("NrDTO"), im_.Value(QStringLiteral("NrDTO"))},
            {QStringLiteral("DataOGL"), im_.Value(QStringLiteral("DataOGL"))},
            // An approved correction keeps the state 100.
            {QStringLiteral("Kor_Stat"), kor_ >= 1 ? 100 : kor_},
            {QStringLiteral("PU_Stat"), 200},
            {QStringLiteral("DC_Termin"), data_wpisu_.addDays(rej_.DC_Dni)},
            {QStringLiteral("ID_IM"), id_im_}});

  if (kor_ == 1 && !nowe_gwarancje_ && !ZatwierdzKorekte()) return false;

  tx.Commit();
  blokada_globalna.Release();
  blokada_wpisu.Release();

  if (nowe_gwarancje_ && ctx_.switches.FVW) ObciazEndUse();
  return true;
}

bool Zatwierdzenie::Numeruj() {
  const Params rejestr_rok{{QStringLiteral("ID_RGRej"), id_rgrej_}, {QStringLiteral("Rok"), rok_}};
  // Writing the register row keeps numberings of one register in line until they commit, also
  // inside a caller's transaction that outlives the lock.
  db_.Exec(QStringLiteral("update RGRej set Typ = Typ where ID_RGRej = :ID_RGRej"),
           {{QStringLiteral("ID_RGRej"), id_rgrej_}});
  const int ostatni = db_.GetMaxFieldVal(QStringLiteral("IM"), QStringLiteral("NrWpisu"),
                                         QStringLiteral("(ID_RGRej = :ID_RGRej) and (Rok = :Rok)"), rejestr_rok)
                          .toInt();
  int pierwsza_pozycja = 1;
  if (ostatni > 0) {
    nr_ = ostatni + 1;
    // The last entry that covers positions; an entry without items covers none.
    const auto poprzedni = db_.QueryOne(QStringLiteral("select LpRej from IM where (ID_RGRej = :ID_RGRej) and (Rok = :Rok) "
                                                       "and (LpRej <> '') order by NrWpisu desc"),
                                        rejestr_rok);
    if (poprzedni) pierwsza_pozycja = OstatniaPozycja(poprzedni->Str(QStringLiteral("LpRej"))) + 1;
  } else if (start_nr_ > 0) {
    nr_ = start_nr_;
  } else {
    QString value = QStringLiteral("1");
    // A silent approval cannot ask: the register starts at 1.
    if (!cicho_ && !ctx_.dialogs.GetValueBOX(kTytulWpisu, QStringLiteral("Podaj startowy numer wpisu:"), value)) {
      Log(kPrzerwano);
      return false;
    }
    bool ok = false;
    nr_ = value.trimmed().toInt(&ok);
    if (!ok || nr_ <= 0) {
      Log(kPrzerwano);
      return false;
    }
    Log(QStringLiteral("Startowy numer wpisu: ") + QString::number(nr_));
  }
  const int liczba_poz = im_.Int(QStringLiteral("LiczbaPoz"));
  if (liczba_poz < 1)
    lp_rej_.clear();
  else if (liczba_poz == 1)
    lp_rej_ = QString::number(pierwsza_pozycja);
  else
    lp_rej_ = QStringLiteral("%1-%2").arg(pierwsza_pozycja).arg(pierwsza_pozycja + liczba_poz - 1);
  return true;
}

bool Zatwierdzenie::ObciazGwarancje() {
  const double dc_clo = im_.Float(QStringLiteral("DC_Clo"));
  const double dc_inne = im_.Float(QStringLiteral("DC_Inne"));
  double kwota = Cents(rej_.VAT_bez_Zabezpieczenia ? dc_clo + dc_inne : im_.Float(QStringLiteral("DC_Kwota")));
  const int id_gwarancji = nowe_gwarancje_ ? rej_.ID_RGGwarNowa : rej_.ID_RGGwar;
  const int obciazenie = nowe_gwarancje_ ? gwar_nowa_poz_ : id_gwar_poz_;
  if (id_gwarancji <= 0 || obciazenie > 0) return true;

  const Params g{{QStringLiteral("ID"), id_gwarancji}};
  QString numer;
  bool bez_vat = false;
  if (nowe_gwarancje_) {
    const auto gw = db_.QueryOne(QStringLiteral("select NUMER, VAT from GWARANCJE where ID_GWARANCJE = :ID"), g);
    if (gw) {
      numer = gw->Str(QStringLiteral("NUMER")).trimmed();
      bez_vat = gw->Int(QStringLiteral("VAT")) == 0;
    }
  } else {
    numer = db_.QueryValue(QStringLiteral("select Numer from Gwar where ID_Gwar = :ID"), g).toString().trimmed();
  }

  if (Cents(kwota) < 0.01) {
    if (!cicho_ && ctx_.dialogs.PytanieTakNie(QStringLiteral("Gwarancja  ") + numer +
                                                  QStringLiteral(" nie zostanie obciążona ponieważ kwota obciązenia jest "
                                                                 "mniejsza niż 0.01 zł\r\nCzy kontynuować ? ")) !=
                       host::kIdYes)
      return false;
    Log(kNieObciazona.arg(numer));
    return true;
  }

  const QString odnosnik = Odnosnik(id_rgrej_, nr_, rok_);
  QString komunikat;
  if (nowe_gwarancje_) {
    // A guarantee that does not cover VAT is charged with the duty and other charges only; the
    // declaration's total decided above whether anything is charged at all.
    if (bez_vat) kwota = Cents(dc_clo + dc_inne);
    // VAT alone on such a guarantee leaves nothing to charge: approved, not refused by the ledger.
    if (kwota < 0.01) {
      Log(kNieObciazona.arg(numer));
      return true;
    }
    host::TWpisGwarancja wpis = Obciazenie(kwota, id_gwarancji);
    const qint64 id = host::TGwarancjePozycjeBox::DodajWpis(db_, wpis, komunikat);
    if (id <= 0) return BladGwarancji(komunikat);
    gwar_nowa_poz_ = static_cast<int>(id);
    Log(kObciazanie.arg(numer, Kwota(kwota)));
    return true;
  }
  const qint64 id = host::Gwar_Obciazenie(ctx_, kwota, id_gwarancji, komunikat, kTypRejestru, true, id_im_, id_im_,
                                               odnosnik, QDateTime(data_wpisu_, QTime(0, 0)), &db_, QString(),
                                               QDateTime(), true);
  if (!komunikat.isEmpty()) return BladGwarancji(komunikat);
  id_gwar_poz_ = static_cast<int>(id);
  id_gwar_ = id_gwarancji;
  return true;
}

bool Zatwierdzenie::ZatwierdzKorekte() {
  const int id_rgpay = im_.Int(QStringLiteral("id_rgpay"));
  const Params pay{{QStringLiteral("ID_RGPAY"), id_rgpay}};
  if (rej_.VAT_bez_Zabezpieczenia) {
    db_.Exec(QStringLiteral("update rgpay set   kwota_clo = (select Sum(dc_clo) from im where (id_rgpay = :ID_RGPAY)and(pu_stat "
                            "= 200)),   kwota_vat = 0,    kwota_inne = (select Sum(dc_inne) from im where (id_rgpay = "
                            ":ID_RGPAY)and(pu_stat = 200)),   zaplacone = 0 where id_rgpay = :ID_RGPAY "),
             pay);
    db_.Exec(QStringLiteral("update rgpay set   kwota_razem = (kwota_clo+kwota_inne),   BylaKorekta = 1 where id_rgpay = "
                            ":ID_RGPAY"),
             pay);
  } else {
    db_.Exec(QStringLiteral("update rgpay set   kwota_clo = (select Sum(dc_clo) from im where (id_rgpay = :ID_RGPAY)and(pu_stat "
                            "= 200)),   kwota_vat = (select Sum(dc_vat) from im where (id_rgpay = :ID_RGPAY)and(pu_stat = "
                            "200)),    kwota_inne = (select Sum(dc_inne) from im where (id_rgpay = :ID_RGPAY)and(pu_stat = "
                            "200)) where id_rgpay = :ID_RGPAY "),
             pay);
    db_.Exec(QStringLiteral("update rgpay set   kwota_razem = (kwota_clo+kwota_vat+kwota_inne),   BylaKorekta = 1 where "
                            "id_rgpay = :ID_RGPAY"),
             pay);
  }

  // The charge follows the corrected amounts: what the correction holds is released, its
  // positions go to the corrected entry, and the new amount is charged.
  const QString odnosnik = Odnosnik(id_rgrej_, nr_, rok_);
  const QDateTime data_korekty(im_.Value(QStringLiteral("Kor_Data")).toDate(), QTime(0, 0));
  const double saldo =
      db_.QueryValue(QStringLiteral("select sum(gp.kwota_operacji) as saldo from gwarpoz gp where gp.id_ext=:id_ext"),
                     {{QStringLiteral("id_ext"), id_im_}})
          .toDouble();
  QString komunikat;
  if (Cents(saldo) != 0) {
    host::Gwar_Zwolnienie(ctx_, -1 * saldo, id_gwar_, komunikat, kTypRejestru, true, id_im_, id_im_, odnosnik,
                               data_korekty, &db_, QString(), QDateTime(), false, data_korekty);
    if (!komunikat.isEmpty()) return BladGwarancji(komunikat);
  }
  db_.Exec(QStringLiteral("update GwarPoz set id_ext=:id_ext_nowe where id_ext=:id_ext"),
           {{QStringLiteral("id_ext_nowe"), im_.Int(QStringLiteral("KOR_ID_IM"))}, {QStringLiteral("id_ext"), id_im_}});
  double kwota = im_.Float(QStringLiteral("DC_CLO")) + im_.Float(QStringLiteral("DC_Inne"));
  if (!rej_.VAT_bez_Zabezpieczenia) kwota += im_.Float(QStringLiteral("DC_VAT"));
  // A correction down to nothing is refused by the debit itself, and the approval with it.
  const qint64 id = host::Gwar_Obciazenie(ctx_, kwota, id_gwar_, komunikat, kTypRejestru, true, id_im_, id_im_,
                                               odnosnik, data_korekty, &db_, QString(), QDateTime(), true);
  if (!komunikat.isEmpty()) return BladGwarancji(komunikat);
  if (id > 0)
    db_.Exec(QStringLiteral("update IM set ID_GWARPOZ = :ID_GWARPOZ where ID_IM=:ID_IM"),
             {{QStringLiteral("ID_GWARPOZ"), id}, {QStringLiteral("ID_IM"), id_im_}});
  return true;
}

void Zatwierdzenie::ObciazEndUse() {
  const double kwota = KwotaEndUse(sad_);
  if (kwota <= 0) return;
  const auto gw = db_.QueryOne(QStringLiteral("select * from GWARANCJE where TYP = 'END-USE'"));
  if (!gw) return;
  const int id_gwarancji = gw->Int(QStringLiteral("ID_GWARANCJE"));
  const QString numer = gw->Str(QStringLiteral("NUMER")).trimmed();
  const QString odnosnik = Odnosnik(id_rgrej_, nr_, rok_);
  if (db_.QueryOne(QStringLiteral("select * from GWARANCJE_POZYCJE where GWARANCJE_ID = :id and OPERACJA = 0 and OBJ_NR = :NR"),
                   {{QStringLiteral("id"), id_gwarancji}, {QStringLiteral("NR"), odnosnik}})) {
    Log(QStringLiteral("Dokument zostal juz obciazony gwarancja typu End-Use"));
    return;
  }
  host::TWpisGwarancja wpis = Obciazenie(kwota, id_gwarancji);
  QString komunikat;
  // The approval is committed already: a refused charge is only reported.
  if (host::TGwarancjePozycjeBox::DodajWpis(db_, wpis, komunikat) > 0)
    Log(kObciazanie.arg(numer, Kwota(kwota)));
  else
    Log(komunikat);
}

}  // namespace

bool JestBlokadaCN(const xml::Sad& sad, int id_rgrej, QString& komunikat, host::Db& db, QStringList* lines) {
  QStringList cn10;
  for (const xml::Group& towar : sad.Towary())
    cn10 << towar.Get(QStringLiteral("KodTowarowy")).trimmed().leftJustified(10, QLatin1Char('-'));
  const Params rejestr{{QStringLiteral("ID_RGRej"), id_rgrej}};
  auto kody = [&](const QString& sql) {
    QStringList out;
    for (const host::Row& r : db.QueryAll(sql, rejestr)) {
      const QString kod = r.Str(QStringLiteral("Kod")).trimmed();
      if (!kod.isEmpty()) out << kod;
    }
    return out;
  };
  const QStringList zablokowane =
      kody(QStringLiteral("select * from BlokadaCN where (Dozwolony<>1)and(ID_RGRej=:ID_RGRej or ID_RGRej=0) "));
  const QStringList dozwolone =
      kody(QStringLiteral("select * from BlokadaCN where (Dozwolony=1)and(ID_RGRej=:ID_RGRej or ID_RGRej=0) "));

  QStringList found;
  if (!dozwolone.isEmpty()) {
    for (int i = 0; i < cn10.size(); ++i) {
      bool dozwolony = false;
      for (const QString& kod : dozwolone) dozwolony = dozwolony || cn10[i].startsWith(kod);
      if (!dozwolony)
        found << QStringLiteral("Pozycja %1, CN10=%2 (kod nie znajduje się na liście dozwolonych) ").arg(i + 1).arg(cn10[i]);
    }
  }
  if (found.isEmpty()) {
    for (int i = 0; i < cn10.size(); ++i) {
      for (const QString& kod : zablokowane) {
        if (cn10[i].startsWith(kod)) {
          found << QStringLiteral("Pozycja %1, CN10=%2 (blokada %3) ").arg(i + 1).arg(cn10[i], kod);
          break;
        }
      }
    }
  }
  if (found.isEmpty()) {
    komunikat = QStringLiteral("Kontrola blokady CN - wynik pozytywny.");
    if (lines) lines->append(komunikat);
    return false;
  }
  komunikat = found.join(QLatin1Char('\r'));
  if (lines) lines->append(found);
  return true;
}

bool ZatwierdzWpisIM(host::HostContext& ctx, int id_im, int start_nr, bool cicho, QStringList* log, host::Db* dataset,
                     bool dostawy) {
  Q_UNUSED(dostawy);
  return Zatwierdzenie(ctx, id_im, start_nr, cicho, log, dataset).Run();
}

}  // namespace velmora::reference
