#include "host/db/options_catalogue.h"

namespace velmora::host {

const std::vector<OptionKey>& OptionsCatalogue() {
  using S = OptionScope;
  auto k = [](const char* group, const char* section, const char* key, const char* caption, S scope,
              const char* dflt = "", bool secret = false) {
    return OptionKey{QString::fromUtf8(group), QString::fromLatin1(section), QString::fromLatin1(key),
                     QString::fromUtf8(caption), scope, QString::fromUtf8(dflt), secret};
  };
  static const std::vector<OptionKey> keys = {
      k("NCTS", "NCTS", "PREFIKS", "Prefiks numeru własnego", S::Global, "0"),
      k("NCTS", "NCTS", "EMAIL_UC", "Adres e-mail urzędu celnego", S::Global),
      k("NCTS", "USER", "MIEJSCE", "Miejsce wypełnienia (użytkownika)", S::User),
      k("Kanał zwrotny", "KANAL_ZWROTNY", "EMAIL", "E-mail", S::Application),
      k("Kanał zwrotny", "KANAL_ZWROTNY", "URL", "Adres usługi (URL)", S::Application),
      k("Kanał zwrotny", "KANAL_ZWROTNY", "ECIP_SEAP", "Identyfikator na platformie", S::Application),
      k("Kanał zwrotny", "KANAL_ZWROTNY", "EPUAP_PODMIOT", "ePUAP: podmiot", S::Application),
      k("Kanał zwrotny", "KANAL_ZWROTNY", "EPUAP_SKRYTKA", "ePUAP: skrytka", S::Application),
      k("Wysyłka", "KANAL_WYSYLKI", "EMAIL", "Konto nadawcy (e-mail)", S::Application),
      k("Wysyłka", "KANAL_WYSYLKI", "ECIP_SEAP_ID", "Login na platformie", S::Application),
      k("Wysyłka", "KANAL_WYSYLKI", "ECIP_SEAP_HASLO", "Hasło na platformie", S::Application, "", true),
      k("Wysyłka", "KANAL_WYSYLKI", "KATALOG", "Katalog plików", S::Application),
      k("Wysyłka", "KANAL_WYSYLKI", "CZEKAJ", "Oczekiwanie na odpowiedź", S::Application),
      k("Wysyłka", "KANAL_WYSYLKI", "CZEKAJ_SEKUNDY", "Czas oczekiwania na odpowiedź (s)", S::Application, "75"),
      // Which platform receives: the training one on this computer or the customs office's.
      k("Wysyłka", "KANAL_WYSYLKI", "SRODOWISKO", "Środowisko platformy (SZKOLENIOWE albo PRODUKCYJNE)", S::Application),
      k("Proxy", "PROXY", "USE", "Używaj proxy (1/0)", S::Application, "0"),
      k("Proxy", "PROXY", "DEFAULT", "Proxy systemowe (1/0)", S::Application, "0"),
      k("Proxy", "PROXY", "HOST", "Serwer", S::Application),
      k("Proxy", "PROXY", "PORT", "Port", S::Application, "8080"),
      k("Proxy", "PROXY", "USER", "Użytkownik", S::Application),
      k("Proxy", "PROXY", "PASS", "Hasło", S::Application, "", true),
      k("Gwarancje", "SALDOWANIE", "RYCZALT", "Ryczałt", S::Global, "6,5"),
      k("Gwarancje", "SALDOWANIE", "Automatyczne", "Saldowanie automatyczne (1/0)", S::Global, "0"),
      k("Gwarancje", "SALDOWANIE", "KCS_OBCIAZENIE", "Obciążenie KCS", S::Global, "0"),
      k("Gwarancje", "SALDOWANIE", "KCS_OBJECIE", "Objęcie KCS", S::Global, "0"),
      k("Gwarancje", "GWARANCJE", "AutomatyczneSaldowanie", "Rejestr gwarancji (1 - nowy)", S::Global, "0"),
      k("Podpis", "PODPIS", "CERTYFIKAT", "Plik certyfikatu (PKCS#12)", S::Application),
      k("Podpis", "PODPIS", "HASLO", "Hasło certyfikatu", S::Application, "", true),
      k("System zamówień", "RUVA", "SAP_KATALOG_ZAPIS", "Katalog plików odpowiedzi", S::Application),
      // Site settings: read when the program starts.
      k("Przełączniki", "PRZELACZNIKI", "ZADURODER", "Wpisy do rejestru uproszczonego z komunikatów (1/0, po ponownym uruchomieniu)",
        S::Application, "0"),
      k("Przełączniki", "PRZELACZNIKI", "VW", "Obciążanie gwarancji End-Use z dokumentów SAD (1/0, po ponownym uruchomieniu)",
        S::Application, "0"),
      k("Przełączniki", "PRZELACZNIKI", "KAEM", "Pliki odpowiedzi dla systemu zamówień (1/0, po ponownym uruchomieniu)",
        S::Application, "0"),
      k("Przełączniki", "PRZELACZNIKI", "PRATT", "Odprawy na pasku listy zakończeń (1/0, po ponownym uruchomieniu)",
        S::Application, "0"),
  };
  return keys;
}

QMap<QString, QString> LoadOptions(Options& options) {
  QMap<QString, QString> out;
  for (const OptionKey& k : OptionsCatalogue())
    out.insert(k.Id(), options.ReadOption(k.section, k.key, k.default_value, k.scope));
  return out;
}

void SaveOptions(Options& options, const QMap<QString, QString>& values) {
  const QMap<QString, QString> stored = LoadOptions(options);
  for (const OptionKey& k : OptionsCatalogue()) {
    auto it = values.find(k.Id());
    if (it != values.end() && it.value() != stored.value(k.Id()))
      options.WriteOption(k.section, k.key, it.value(), k.scope);
  }
}

}  // namespace velmora::host
