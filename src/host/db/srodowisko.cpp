#include "host/db/srodowisko.h"

#include "host/base/dialogs.h"
#include "host/db/options.h"
#include "host/db/options_catalogue.h"
#include "host/db/customs_dictionary.h"
#include "host/base/dialogs.h"
#include "host/db/options.h"
#include "host/db/options_catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <atomic>

namespace velmora::host {

namespace {

const QString kSekcja = QStringLiteral("KANAL_WYSYLKI");
const QString kKlucz = QStringLiteral("SRODOWISKO");

std::atomic<bool> produkcja_potwierdzona{false};

QString Tekst(const char* s) { return QString::fromUtf8(s); }

}  // namespace

bool NaTymKomputerze(const QString& adres) {
  QString host = adres.trimmed();
  if (host.contains(QStringLiteral("://"))) host = QUrl(host).host();
  else host = host.section(QLatin1Char('@'), -1);
  host = host.toLower();
  return host == QLatin1String("localhost") || host.startsWith(QLatin1String("127.")) || host == QLatin1String("::1");
}

QString OdmowaAdresuPlatformy(const QString& adres) {
  if (QUrl(adres).scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0 || NaTymKomputerze(adres)) return {};
  return QStringLiteral("Adres platformy %1 nie jest szyfrowany (http): hasło nie zostanie wysłane. Podaj adres https.").arg(adres);
}

Srodowisko CzytajSrodowisko(Options& options) {
  const QString s = options.ReadOption(kSekcja, kKlucz, QString(), OptionScope::Application).trimmed();
  if (s == QLatin1String(kSrodowiskoSzkoleniowe)) return Srodowisko::Szkoleniowe;
  if (s == QLatin1String(kSrodowiskoProdukcyjne)) return Srodowisko::Produkcyjne;
  return Srodowisko::Brak;
}

QString OdmowaSrodowiska(Options& options) {
  if (CzytajSrodowisko(options) != Srodowisko::Brak) return {};
  const QString s = options.ReadOption(kSekcja, kKlucz, QString(), OptionScope::Application).trimmed();
  const QString wybor = QStringLiteral("(Narzędzia → Opcje, Wysyłka: %1 albo %2)")
                            .arg(QLatin1String(kSrodowiskoSzkoleniowe), QLatin1String(kSrodowiskoProdukcyjne));
  if (s.isEmpty()) return QStringLiteral("Nie wybrano środowiska platformy PUESC ") + wybor;
  return QStringLiteral("Nieznane środowisko platformy PUESC „%1” ").arg(s) + wybor;
}

QString NazwaSrodowiska(Srodowisko s) {
  switch (s) {
    case Srodowisko::Szkoleniowe:
      return QStringLiteral("Środowisko: SZKOLENIOWE");
    case Srodowisko::Produkcyjne:
      return QStringLiteral("Środowisko: PRODUKCYJNE");
    case Srodowisko::Brak:
      break;
  }
  return QStringLiteral("Środowisko: nie wybrano");
}

bool PotwierdzWysylkeProdukcyjna(Options& options, Dialogs& dialogs) {
  if (CzytajSrodowisko(options) != Srodowisko::Produkcyjne || produkcja_potwierdzona) return true;
  const bool tak = dialogs.PytanieNieTak(Tekst("Komunikat zostanie wysłany do PRODUKCYJNEJ platformy PUESC, do urzędu celnego.\n"
                                                "Czy na pewno wysłać?")) == kIdYes;
  if (tak) produkcja_potwierdzona = true;
  return tak;
}

void NowaSesjaWysylki() { produkcja_potwierdzona = false; }

PrzejscieNaProdukcje::PrzejscieNaProdukcje(Db& db, Options& options, QString root)
    : db_(db), options_(options), root_(std::move(root)) {}

const std::vector<std::pair<QString, QStringList>>& PrzejscieNaProdukcje::Opcje() {
  static const std::vector<std::pair<QString, QStringList>> opcje = {
      {QStringLiteral("Kanał zwrotny"), {QStringLiteral("KANAL_ZWROTNY/EMAIL"), QStringLiteral("KANAL_ZWROTNY/URL")}},
      {QStringLiteral("Login na platformie"), {QStringLiteral("KANAL_WYSYLKI/ECIP_SEAP_ID"), QStringLiteral("KANAL_WYSYLKI/ECIP_SEAP_HASLO")}},
      {QStringLiteral("Certyfikat"), {QStringLiteral("PODPIS/CERTYFIKAT"), QStringLiteral("PODPIS/HASLO")}},
      {QStringLiteral("Adres platformy"), {}},
  };
  return opcje;
}

std::vector<PrzejscieNaProdukcje::Punkt> PrzejscieNaProdukcje::Punkty(const QMap<QString, QString>& values) const {
  const auto v = [&values](const char* id) { return values.value(QString::fromLatin1(id)).trimmed(); };
  std::vector<Punkt> out;

  Punkt kanal{Opcje()[0].first, {}};
  const QStringList adresy = {v("KANAL_ZWROTNY/EMAIL"), v("KANAL_ZWROTNY/URL")};
  const bool epuap = !v("KANAL_ZWROTNY/EPUAP_PODMIOT").isEmpty() && !v("KANAL_ZWROTNY/EPUAP_SKRYTKA").isEmpty();
  for (const QString& a : adresy)
    if (!a.isEmpty() && NaTymKomputerze(a)) kanal.brak = QStringLiteral("adres szkoleniowy na tym komputerze (%1)").arg(a);
  if (kanal.brak.isEmpty() && adresy.join(QString()).isEmpty() && v("KANAL_ZWROTNY/ECIP_SEAP").isEmpty() && !epuap)
    kanal.brak = QStringLiteral("nie zdefiniowano kanału zwrotnego");
  out.push_back(kanal);

  Punkt login{Opcje()[1].first, {}};
  if (v("KANAL_WYSYLKI/ECIP_SEAP_ID").isEmpty() || v("KANAL_WYSYLKI/ECIP_SEAP_HASLO").isEmpty())
    login.brak = QStringLiteral("nie podano loginu i hasła agencji");
  else if (v("KANAL_WYSYLKI/ECIP_SEAP_ID") == QLatin1String(kDemoLoginPlatformy) ||
           v("KANAL_WYSYLKI/ECIP_SEAP_HASLO") == QLatin1String(kDemoHasloPlatformy))
    login.brak = QStringLiteral("login lub hasło demonstracyjne");
  out.push_back(login);

  Punkt certyfikat{Opcje()[2].first, {}};
  const QString plik = v("PODPIS/CERTYFIKAT");
  const QString szkolenie = QDir::cleanPath(QDir(root_).filePath(QLatin1String(kKatalogSzkolenia))) + QLatin1Char('/');
  if (plik.isEmpty() || v("PODPIS/HASLO").isEmpty())
    certyfikat.brak = QStringLiteral("nie wskazano certyfikatu kwalifikowanego i jego hasła");
  else if (QFileInfo(plik).absoluteFilePath().startsWith(szkolenie) || v("PODPIS/HASLO") == QLatin1String(kDemoHasloCertyfikatu))
    certyfikat.brak = QStringLiteral("certyfikat szkoleniowy (%1)").arg(plik);
  else if (!QFileInfo::exists(plik))
    certyfikat.brak = QStringLiteral("plik certyfikatu nie istnieje (%1)").arg(plik);
  out.push_back(certyfikat);

  // The production platform's password goes out with every upload: never over plain http.
  Punkt adres{Opcje()[3].first, {}};
  const QString url = TSlownikCelny::PobierzKod(db_, QStringLiteral("WEBSERVICE_URL"), QStringLiteral("PROD"));
  if (url.isEmpty()) adres.brak = QStringLiteral("brak adresu platformy produkcyjnej w słowniku celnym (WEBSERVICE_URL/PROD)");
  else if (!OdmowaAdresuPlatformy(url).isEmpty()) adres.brak = QStringLiteral("adres nieszyfrowany (%1), podaj adres https").arg(url);
  out.push_back(adres);
  return out;
}

QString PrzejscieNaProdukcje::Zakoncz(const QMap<QString, QString>& values) {
  QStringList braki;
  for (const Punkt& p : Punkty(values))
    if (!p.brak.isEmpty()) braki << p.nazwa + QStringLiteral(": ") + p.brak;
  if (!braki.isEmpty())
    return QStringLiteral("Nie można przejść na środowisko produkcyjne:\n") + braki.join(QLatin1Char('\n'));
  QMap<QString, QString> zapis = values;
  zapis.insert(kSekcja + QLatin1Char('/') + kKlucz, QLatin1String(kSrodowiskoProdukcyjne));
  SaveOptions(options_, zapis);
  NowaSesjaWysylki();
  return {};
}

}  // namespace velmora::host
