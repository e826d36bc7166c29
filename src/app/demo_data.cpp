#include "demo_data.h"

#include "training_certificate.h"

#include "host/db/exchange_rates.h"
#include "host/ui/gwarancje_win.h"

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/db/options.h"
#include "host/db/srodowisko.h"
#include "host/ui/taric.h"
#include "host/db/record_store.h"
#include "host/db/users.h"

#include <QDir>

namespace velmora::app {

namespace {

void Store(host::HostContext& ctx, const host::TableSpec& table_spec, const QVariantMap& values) {
  QVariantMap record = values;
  host::RecordStore(ctx, table_spec).Store(record);
}

}  // namespace

void SeedDemoData(host::HostContext& ctx) {
  host::Transaction tx(ctx.db);
  host::Users users(ctx.db, ctx.clock);
  const host::TUser admin = users.Add({QStringLiteral("admin"), QStringLiteral("Administrator"), QStringLiteral("Centrala Gdynia"), true, true, false});
  users.Add({QStringLiteral("SYSTEM"), QStringLiteral("Konto usługowe"), {}, false, false, true});
  users.Add({QStringLiteral("agnieszka"), QStringLiteral("Agnieszka Wiśniewska"), QStringLiteral("Oddział Gdańsk"), false, false, false});
  ctx.user.Set(admin);

  ctx.db.Exec(QStringLiteral(
                  "insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP, IE015_UC_ZGLOSZENIA, IE015_MIEJSCE_TYP, "
                  "IE015_MIEJSCE_OPIS, IE007_UC_PRZEDSTAW, IE007_UC_ZGLOSZENIA) values (:ID, :N, 0, 'T1', 'PL322010', 0, "
                  "'Plac składowy, ul. Portowa 1', 'PL322010', 'PL322010')"),
              {{QStringLiteral("ID"), ctx.db.DBGetNewID(QStringLiteral("GID_REJESTRY"))},
               {QStringLiteral("N"), QStringLiteral("Rejestr główny")}});

  const auto& k = host::KontrahenciSpec();
  Store(ctx, k, {{"Nazwa", "Bałtycka Spedycja Sp. z o.o."}, {"Ulica", "Portowa"}, {"Nr_Dom", "1"}, {"Kod", "81-350"},
                 {"Miejscowosc", "Gdynia"}, {"Kraj", "PL"}, {"NIP", "5860000017"}, {"EORI", "PL586000001700000"}});
  Store(ctx, k, {{"Nazwa", "Meyer Logistik GmbH"}, {"Ulica", "Hafenstraße"}, {"Nr_Dom", "12"}, {"Kod", "20457"},
                 {"Miejscowosc", "Hamburg"}, {"Kraj", "DE"}, {"EORI", "DE1234567890123"}});
  Store(ctx, k, {{"Nazwa", "Zakłady Mięsne Łomża S.A."}, {"Ulica", "Zjazd"}, {"Nr_Dom", "23"}, {"Kod", "18-400"},
                 {"Miejscowosc", "Łomża"}, {"Kraj", "PL"}, {"NIP", "7180000004"}, {"EORI", "PL718000000400000"}});
  Store(ctx, k, {{"Nazwa", "OOO Transkom"}, {"Ulica", "Lenina"}, {"Nr_Dom", "5"}, {"Kod", "236000"},
                 {"Miejscowosc", "Kaliningrad"}, {"Kraj", "RU"}, {"TIRholder", "RUS/123/456"}});

  if (ctx.db.Tables().contains(QStringLiteral("WALUTY"))) {
    const auto& w = host::WalutySpec();
    for (const auto& [kod, nazwa] : {std::pair{"PLN", "złoty polski"}, {"EUR", "euro"}, {"USD", "dolar amerykański"},
                                     {"GBP", "funt szterling"}, {"CHF", "frank szwajcarski"}})
      Store(ctx, w, {{"KOD", kod}, {"NAZWA", QString::fromUtf8(nazwa)}, {"AKTYWNA", 1}});
    // Today's mid rates as a table A, so that both the security computation and the arrival
    // editor's rate lookup find them; the rates are illustrative.
    QString pozycje;
    for (const auto& [kod, nazwa, przelicznik, kurs] : {std::tuple{"EUR", "euro", 1, "4,3125"}, {"USD", "dolar amerykański", 1, "3,9870"},
                                                        {"GBP", "funt szterling", 1, "5,0412"}, {"CHF", "frank szwajcarski", 1, "4,5120"},
                                                        {"HUF", "forint (Węgry)", 100, "1,0954"}})
      pozycje += QStringLiteral("<pozycja><nazwa_waluty>%1</nazwa_waluty><przelicznik>%2</przelicznik><kod_waluty>%3</kod_waluty>"
                                "<kurs_sredni>%4</kurs_sredni></pozycja>")
                     .arg(QString::fromUtf8(nazwa)).arg(przelicznik).arg(QString::fromLatin1(kod), QString::fromLatin1(kurs));
    const QString dzis = ctx.clock.Today().toString(Qt::ISODate);
    host::ExchangeRates(ctx.db, ctx.user, ctx.clock)
        .ImportTabelaAXml(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><tabela_kursow typ=\"A\"><numer_tabeli>001/A/NBP/DEMO"
                                         "</numer_tabeli><data_notowania>%1</data_notowania><data_publikacji>%1</data_publikacji>%2"
                                         "</tabela_kursow>")
                              .arg(dzis, pozycje));
  }
  // A comprehensive guarantee an arrival may be charged to.
  if (ctx.db.Tables().contains(QStringLiteral("GWARANCJE")))
    Store(ctx, host::GwarancjeSpec(), {{"SYMBOL", "GW-1"}, {"NUMER", "GW/2024/1"}, {"GRN", "24PL322010000123G"}, {"RODZAJ", "1"},
                                      {"TYP", "KCS"}, {"KOD_DOSTEPU", "AB12"}, {"WALUTA", "PLN"}, {"KWOTA", 100000}, {"SALDO", 100000}});
  // A few CN codes to pick from; the rates are illustrative, not the tariff's.
  host::ImportujTaric(ctx.db, QStringLiteral(
      "KOD;OPIS;CLO;VAT\n"
      "0101;Konie, osły, muły i osłomuły, żywe;11,5;8\n0201;Mięso z bydła, świeże lub schłodzone;12,8;5\n"
      "0207;Mięso i podroby jadalne z drobiu;18,7;5\n0303;Ryby mrożone;15;5\n0406;Sery i twarogi;12;5\n"
      "0603;Kwiaty cięte i pąki;8,5;8\n0808;Jabłka, gruszki i pigwy, świeże;9;5\n0901;Kawa;7,5;23\n"
      "1006;Ryż;12;5\n1701;Cukier trzcinowy lub buraczany;20;5\n2204;Wino ze świeżych winogron;14;23\n"
      "2402;Cygara i papierosy;57,6;23\n2710;Oleje ropy naftowej;4,7;23\n3004;Leki w dawkach;0;8\n"
      "3926;Pozostałe artykuły z tworzyw sztucznych;6,5;23\n4011;Opony pneumatyczne nowe, z gumy;4,5;23\n"
      "4418;Stolarka budowlana z drewna;3;23\n6109;T-shirty, podkoszulki, z dzianiny;12;23\n"
      "6403;Obuwie ze skóry;8;23\n7208;Wyroby płaskie walcowane z żeliwa lub stali;0;23\n"
      "8415;Maszyny klimatyzacyjne;2,7;23\n84713000;Przenośne maszyny do automatycznego przetwarzania danych;0;23\n"
      "8528;Monitory i projektory;14;23\n8703;Samochody osobowe;10;23\n8708;Części i akcesoria do pojazdów;4,5;23\n"
      "9403;Meble pozostałe i ich części;2,7;23\n9503;Zabawki;4,7;23\n"));

  // The demo sends to the training platform the application starts itself, signed with a
  // training certificate made here (the platform checks the signature, not its issuer).
  auto option = [&ctx](const char* section, const char* key, const char* value) {
    ctx.options.WriteOption(QString::fromLatin1(section), QString::fromLatin1(key), QString::fromUtf8(value), host::OptionScope::Application);
  };
  option("KANAL_WYSYLKI", "SRODOWISKO", host::kSrodowiskoSzkoleniowe);
  option("KANAL_WYSYLKI", "ECIP_SEAP_ID", host::kDemoLoginPlatformy);
  option("KANAL_WYSYLKI", "ECIP_SEAP_HASLO", host::kDemoHasloPlatformy);
  option("KANAL_ZWROTNY", "URL", "http://127.0.0.1:18089/odpowiedzi");
  const QString certyfikat = QDir(QDir(ctx.root).filePath(QLatin1String(host::kKatalogSzkolenia))).filePath(QStringLiteral("certyfikat.p12"));
  if (CreateTrainingCertificate(certyfikat, QStringLiteral("Agencja Celna Velmora (szkolenie)"), host::kDemoHasloCertyfikatu).isEmpty()) {
    ctx.options.WriteOption(QStringLiteral("PODPIS"), QStringLiteral("CERTYFIKAT"), certyfikat, host::OptionScope::Application);
    option("PODPIS", "HASLO", host::kDemoHasloCertyfikatu);
  }
  tx.Commit();
}

}  // namespace velmora::app
