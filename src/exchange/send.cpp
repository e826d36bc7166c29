#include "send.h"

#include "exchange/outgoing_file.h"
#include "frame/own_number.h"
#include "host/db/customs_dictionary.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/mail/email_client.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/db/srodowisko.h"
#include "frame/transit_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace velmora::exchange {

namespace {

const QStringList kWysylane = {QStringLiteral("IE007"), QStringLiteral("IE015"), QStringLiteral("IE013"), QStringLiteral("IE014"),
                               QStringLiteral("IE141"), QStringLiteral("IE054"), QStringLiteral("IE044")};

QString Opcja(host::HostContext& ctx, const char* section, const char* key, const QString& def = {},
              host::OptionScope scope = host::OptionScope::Application) {
  return ctx.options.ReadOption(QString::fromLatin1(section), QString::fromLatin1(key), def, scope).trimmed();
}

QString TypKomunikatu(host::HostContext& ctx, qint64 id) {
  const auto komunikat = frame::TransitStore(ctx.db).Komunikat(id);
  return komunikat ? komunikat->Str(QStringLiteral("TYP")).trimmed() : QString();
}

QString Katalog(const QString& path) { return QDir::cleanPath(path) + QLatin1Char('/'); }

}  // namespace

QString SprawdzWysylke(host::HostContext& ctx, qint64 id) {
  if (!TestKanalZwrotny(ctx)) return QStringLiteral("W opcjach programu nie zdefiniowano żadnego kanału zwrotnego na jaki mają być wysyłane odpowiedzi z UC");
  if (!kWysylane.contains(TypKomunikatu(ctx, id))) return QStringLiteral("Wybrany komunikat nie podlega wysyłce");
  return {};
}

WysylkaKomunikatu::WysylkaKomunikatu(host::HostContext& ctx, qint64 id) : ctx_(ctx), id_(id) {
  typ_ = TypKomunikatu(ctx, id);
  const QString katalog = Opcja(ctx, "KANAL_WYSYLKI", "KATALOG");
  katalog_ = Katalog(katalog.isEmpty() ? QDir(ctx.root).filePath(QStringLiteral("XML2")) : katalog);
  konto_nadawcy_ = Opcja(ctx, "KANAL_WYSYLKI", "EMAIL");
  // The platform's own address for the system wins over the option.
  adres_urzedu_ = Opcja(ctx, "NCTS", "EMAIL_UC", host::TPuescTools::GetDefaultEmailAddress(ctx.db), host::OptionScope::Global);
  const QString platformy = host::TPuescTools::GetEmailAddress(ctx.db, QStringLiteral("NCTS2"));
  if (!platformy.isEmpty()) adres_urzedu_ = platformy;
  nazwa_pliku_ = typ_ + QLatin1Char('_') + frame::NadajNrWlasny(ctx.db, ctx.options, ctx.clock, id) + QStringLiteral(".xml");
}

QString WysylkaKomunikatu::SciezkaDomyslna() const { return katalog_ + nazwa_pliku_; }

bool WysylkaKomunikatu::KanalDostepny(int kanal) const {
  switch (kanal) {
    case kKanalPlik:
    case kKanalEmailPoczta:
      return true;
    case kKanalEmailNcts:
      return !konto_nadawcy_.isEmpty();
    case kKanalPuesc:
      return SilnikObslugujeWebService(ctx_.db);
  }
  return false;
}

int WysylkaKomunikatu::KanalPoczatkowy() const {
  const int ostatni = ctx_.options.ReadOption(QStringLiteral("WYSLIJ_KOMUNIKAT"), QStringLiteral("WYSLIJ"), QStringLiteral("1")).toInt();
  return ostatni >= kKanalPlik && ostatni <= kKanalPuesc && KanalDostepny(ostatni) ? ostatni : 0;
}

QString WysylkaKomunikatu::SprawdzPole(int kanal, const QString& pole) const {
  if (kanal == kKanalPlik && !QDir().mkpath(QFileInfo(pole).absolutePath())) return QStringLiteral("Podany katalog nie istnieje");
  if (kanal == kKanalEmailNcts && pole.trimmed().isEmpty()) return QStringLiteral("Należy podać konto email do wysyłki");
  if (kanal == kKanalPuesc) return host::OdmowaSrodowiska(ctx_.options);
  return {};
}

bool WysylkaKomunikatu::PotwierdzPlatforme(int kanal) const {
  return kanal != kKanalPuesc || host::PotwierdzWysylkeProdukcyjna(ctx_.options, ctx_.dialogs);
}

QString WysylkaKomunikatu::SciezkaPliku(int kanal, const QString& pole) const {
  switch (kanal) {
    case kKanalPlik:
      return pole;
    case kKanalPuesc:
      return QDir(ctx_.root).filePath(QStringLiteral("XML2/WS_OUT/") + nazwa_pliku_);
    default:
      return QDir(ctx_.root).filePath(QStringLiteral("TEMP/XML2/") + nazwa_pliku_);
  }
}

bool WysylkaKomunikatu::Wyslij(int kanal, const QString& pole, const LogFn& log, bool* dostarczono) {
  bool ok_lokalne = false;
  bool& ok = dostarczono ? *dostarczono : ok_lokalne;
  ok = false;
  // Refused before the file is written: the message stays unsent.
  if (kanal == kKanalPuesc) {
    if (const QString odmowa = host::OdmowaSrodowiska(ctx_.options); !odmowa.isEmpty()) {
      log(odmowa);
      return false;
    }
  }
  ctx_.options.WriteOption(QStringLiteral("WYSLIJ_KOMUNIKAT"), QStringLiteral("WYSLIJ"), QString::number(kanal));
  const QString plik = SciezkaPliku(kanal, pole);
  if (!QDir().mkpath(QFileInfo(plik).absolutePath())) {
    ctx_.dialogs.Informacja(QStringLiteral("Nie można utworzyć ścieżki - brak uprawnień \r\n") + plik);
    return false;
  }
  log(QStringLiteral("Zapis komunikatu do pliku ..."));
  log(QStringLiteral("Otwieranie listy podpisów cyfrowych ..."));
  const QString wynik = ZapiszKomunikatDoPliku(ctx_, id_, plik);
  if (!wynik.isEmpty()) {
    log(QStringLiteral(" - ") + wynik);
    return false;
  }
  // A conversion that yields no document ends the write without a reason of its own.
  if (!QFile::exists(plik)) {
    log(QStringLiteral(" - Nie zapisano komunikatu do pliku - brak dokumentu do wysłania"));
    return false;
  }
  log(QStringLiteral("Komunikat zapisano do pliku ..."));
  log(plik);
  log(QStringLiteral(" - OK"));
  ok = kanal == kKanalPlik;
  const QString nazwa = QFileInfo(plik).fileName();
  switch (kanal) {
    case kKanalEmailPoczta: {
      log(QStringLiteral("Utworzenie wiadomości email z załącznikiem ..."));
      // The return channel's mailbox is the sender, where the office is to answer.
      const QString zwrotny = Opcja(ctx_, "KANAL_ZWROTNY", "EMAIL");
      const QString blad = host::OpenInMailProgram(ctx_.options, {host::ExtractEmail_Name(zwrotny), host::ExtractEmail_Adress(zwrotny)},
                                                   adres_urzedu_, nazwa, QString(), plik);
      log(blad.isEmpty() ? QStringLiteral(" - OK") : QStringLiteral(" - ") + blad);
      ok = blad.isEmpty();
      return ok;
    }
    case kKanalEmailNcts: {
      const QVariant konto = ctx_.db.QueryValue(QStringLiteral("select ID_EMAIL_SRV from EMAIL_SRV where EMAIL = :E"),
                                                {{QStringLiteral("E"), pole.trimmed()}});
      if (!konto.isValid() || konto.isNull()) {
        log(QStringLiteral("Nie zdefiniowano konta email do wysyłki"));
        return false;
      }
      QString blad;
      host::TEmail_Msg::Send(ctx_.db, konto.toInt(), adres_urzedu_, nazwa, QStringLiteral("Tessaro NCTS2"), QStringLiteral("html"), plik,
                             false, &blad);
      log(blad.isEmpty() ? QStringLiteral("Wiadomość została wysłana") : blad);
      ok = blad.isEmpty();
      return false;
    }
    case kKanalPuesc:
      ok = SendWS(plik, log);
      return false;
    default:
      return false;
  }
}

bool WysylkaKomunikatu::SendWS(const QString& plik, const LogFn& log) {
  const QString katalog_in = QDir(ctx_.root).filePath(QStringLiteral("XML2/WS_IN"));
  if (!QFile::exists(plik)) {
    log(QStringLiteral("błąd zapisu pliku. Plik nie istnieje !"));
    return false;
  }
  log(QStringLiteral("- wysyłka poprzez interfejs webservice"));
  KlientPuesc klient(ctx_.root);
  if (!klient.Zaladowany()) {
    log(QStringLiteral("Nie załadowano pliku dll - Dravonet.dll"));
    return false;
  }
  const PolaczeniePuesc p = CzytajPolaczeniePuesc(ctx_);
  if (p.login.isEmpty() || p.haslo.isEmpty()) {
    log(QStringLiteral("Nie zdefiniowano loginu i (lub) hasła do systemu PUESC w opcjach użytkownika"));
    return false;
  }
  if (const QString odmowa = OdmowaAdresuPuesc(p); !odmowa.isEmpty()) {
    log(odmowa);
    return false;
  }
  const auto accept = klient.Accept();
  if (!accept) {
    log(QStringLiteral("Nie znaleziono procedury AcceptDocument w bibliotece dll"));
    return false;
  }
  const auto by_sys_ref = klient.BySysRef();
  if (!by_sys_ref) {
    log(QStringLiteral("Nie znaleziono procedury GetDocumentBySysRef w bibliotece dll"));
    return false;
  }
  const QByteArray login = p.login.toUtf8(), haslo = p.haslo.toUtf8(), adres = p.adres.toUtf8(), plik8 = QFile::encodeName(plik),
                   pu = p.proxy_user.toUtf8(), pp = p.proxy_haslo.toUtf8(), ph = p.proxy_host.toUtf8();
  const QString sys_ref = WywolajKlienta([&] {
    return accept(login.constData(), haslo.constData(), "NCTS2", plik8.constData(), adres.constData(), pu.constData(), pp.constData(),
                  ph.constData(), p.proxy_port, p.proxy_domyslne);
  });
  if (!OdpowiedzKlienta(sys_ref, log)) return false;
  log(QStringLiteral("- wysyłano"));
  QDir().mkpath(QDir(katalog_in).filePath(QStringLiteral("Wczytane")));
  if (!p.czekaj) return true;

  log(QStringLiteral("- pobieranie statusu dokumentu"));
  // The platform needs a moment before the first answers exist; the window keeps repainting.
  QElapsedTimer pauza;
  pauza.start();
  while (pauza.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(20);
  }
  DodajCzasOczekiwaniaNaPlatforme(pauza.elapsed());
  const QByteArray sys_ref8 = sys_ref.toUtf8(), katalog8 = QFile::encodeName(katalog_in);
  const QString lista = WywolajKlienta([&] {
    return by_sys_ref(login.constData(), haslo.constData(), adres.constData(), sys_ref8.constData(), katalog8.constData(),
                      p.czekaj_sekundy, pu.constData(), pp.constData(), ph.constData(), p.proxy_port, p.proxy_domyslne);
  });
  if (!OdpowiedzKlienta(lista, log)) return false;
  WczytajListeDokumentow(ctx_, katalog_in, lista, false, log, postep_);
  return true;
}

}  // namespace velmora::exchange
