#include "host/db/customs_dictionary.h"
#include "host/base/dialogs.h"
#include "host/db/options_catalogue.h"
#include "host/db/srodowisko.h"
#include "host/mail/email_accounts.h"
#include "host/ui/email_accounts_win.h"
#include "host/base/host_context.h"
#include "host/db/record_store.h"
#include "support/test_host.h"

#include <QFile>
#include <QTemporaryDir>

namespace velmora::testing {
namespace {

using host::OptionScope;

class OptionsAndUsers : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
  }
  std::unique_ptr<TestHost> host_;
};

TEST_P(OptionsAndUsers, ScopesKeepTheirOwnValues) {
  auto& options = *host_->options;
  EXPECT_EQ(options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("0")), QStringLiteral("0"));
  options.WriteOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("G"));
  options.WriteOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("U"), OptionScope::User);
  options.WriteOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("A"), OptionScope::Application);
  options.WriteOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("H"));  // overwrites
  EXPECT_EQ(options.ReadOption(QStringLiteral("ncts"), QStringLiteral("prefiks"), {}), QStringLiteral("H"));
  EXPECT_EQ(options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), {}, OptionScope::User), QStringLiteral("U"));
  EXPECT_EQ(options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), {}, OptionScope::Application),
            QStringLiteral("A"));

  // Another user sees the global value but not the first user's own.
  host::Users users(host_->db(), host_->clock);
  host::CurrentUser other(users.Add({QStringLiteral("anowak"), QStringLiteral("Anna Nowak"), {}, false, false, false}));
  host::TOptionsDB other_options(host_->db(), other);
  EXPECT_EQ(other_options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), QStringLiteral("-"), OptionScope::User),
            QStringLiteral("-"));
  EXPECT_EQ(other_options.ReadOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), {}), QStringLiteral("H"));
  // An empty stored value is a value, not the default.
  options.WriteOption(QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QString());
  EXPECT_EQ(options.ReadOption(QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QStringLiteral("x")), QString());
}

TEST_P(OptionsAndUsers, UsersCarryTheirRolesAndLoginsAreUnique) {
  host::Users users(host_->db(), host_->clock);
  const host::TUser admin = users.Add({QStringLiteral("admin"), QStringLiteral("Administrator"), QStringLiteral("Centrala"), true, false, false});
  const host::TUser service = users.Add({QStringLiteral("SYSTEM"), QStringLiteral("Konto usługowe"), {}, false, false, true});
  const host::TUser root = users.Add({QStringLiteral("root"), QStringLiteral("Root"), {}, false, true, false});
  EXPECT_TRUE(admin.isAdmin() && !admin.isService());
  EXPECT_TRUE(root.isAdmin());  // a system administrator is an administrator too
  EXPECT_EQ(users.FindByLogin(QStringLiteral("SYSTEM"))->GetID(), service.GetID());
  EXPECT_THROW(users.Add({QStringLiteral("admin"), QStringLiteral("Drugi"), {}, false, false, false}), host::UserError);
  EXPECT_THROW(users.Add({QStringLiteral("  "), QStringLiteral("Pusty"), {}, false, false, false}), host::UserError);
  EXPECT_EQ(users.List().size(), 4u);  // with the test host's own user

  const auto row = host_->db().QueryOne(QStringLiteral("select CREATE_USER_NAME, CREATE_DATE from UZYTKOWNIK where LOGIN = 'admin'"));
  EXPECT_EQ(row->Str(QStringLiteral("CREATE_USER_NAME")), QStringLiteral("Administrator"));
  EXPECT_EQ(row->Value(QStringLiteral("CREATE_DATE")).toDate(), QDate(2024, 3, 5));
}

VELMORA_ON_BOTH_ENGINES(OptionsAndUsers);

// Only an explicit setting reaches a platform; anything else is refused in words that say
// which setting to fix, and no address is given out.
TEST_P(OptionsAndUsers, OnlyAnExplicitEnvironmentReachesAPlatform) {
  struct Case {
    const char* value;
    host::Srodowisko expected;
    const char* refusal;  // start of the text; empty when allowed
    const char* address;  // WEBSERVICE_URL entry used
  };
  const Case cases[] = {
      {"", host::Srodowisko::Brak, "Nie wybrano środowiska platformy PUESC (Narzędzia → Opcje, Wysyłka: SZKOLENIOWE albo PRODUKCYJNE)", ""},
      {"PRODUKCJA", host::Srodowisko::Brak, "Nieznane środowisko platformy PUESC „PRODUKCJA”", ""},
      {"produkcyjne", host::Srodowisko::Brak, "Nieznane środowisko platformy PUESC „produkcyjne”", ""},
      {"SZKOLENIOWE", host::Srodowisko::Szkoleniowe, "", "SZKOLENIE"},
      {" PRODUKCYJNE ", host::Srodowisko::Produkcyjne, "", "PROD"},
  };
  for (const Case& c : cases) {
    host_->options->WriteOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("SRODOWISKO"), QString::fromUtf8(c.value),
                                OptionScope::Application);
    EXPECT_EQ(host::CzytajSrodowisko(*host_->options), c.expected) << c.value;
    const QString odmowa = host::OdmowaSrodowiska(*host_->options);
    if (*c.refusal) EXPECT_TRUE(odmowa.startsWith(QString::fromUtf8(c.refusal))) << odmowa.toStdString();
    else EXPECT_EQ(odmowa, QString()) << c.value;
    const QString expected = *c.address ? host::TSlownikCelny::PobierzKod(host_->db(), QStringLiteral("WEBSERVICE_URL"),
                                                                          QString::fromLatin1(c.address))
                                        : QString();
    EXPECT_EQ(host::TPuescTools::GetServiceAddress(host_->db(), *host_->options), expected) << c.value;
    EXPECT_EQ(expected.isEmpty(), !*c.address);
  }

  // Production asks once a session: a "no" stops the send and is asked again, a "yes" holds.
  host::NowaSesjaWysylki();
  host_->dialogs.Answer(host::kIdNo);
  EXPECT_FALSE(host::PotwierdzWysylkeProdukcyjna(*host_->options, host_->dialogs));
  host_->dialogs.Answer(host::kIdYes);
  EXPECT_TRUE(host::PotwierdzWysylkeProdukcyjna(*host_->options, host_->dialogs));
  EXPECT_TRUE(host::PotwierdzWysylkeProdukcyjna(*host_->options, host_->dialogs));
  ASSERT_EQ(host_->dialogs.Texts().size(), 2);
  EXPECT_TRUE(host_->dialogs.Texts()[0].contains(QStringLiteral("PRODUKCYJNEJ platformy PUESC")));
  host::NowaSesjaWysylki();
  host_->options->WriteOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("SRODOWISKO"), QStringLiteral("SZKOLENIOWE"),
                              OptionScope::Application);
  EXPECT_TRUE(host::PotwierdzWysylkeProdukcyjna(*host_->options, host_->dialogs));
  EXPECT_EQ(host_->dialogs.Texts().size(), 2);  // training is not asked about
}

// The switch to production finishes only when no point holds the demo's values, and a refusal
// stores nothing.
TEST_P(OptionsAndUsers, ProductionChecklistRefusesWhileADemoValueRemains) {
  QTemporaryDir root;
  const QString szkolenie = root.filePath(QStringLiteral("szkolenie/certyfikat.p12"));
  const QString wlasny = root.filePath(QStringLiteral("agencja.p12"));
  QFile(wlasny).open(QIODevice::WriteOnly);
  const QMap<QString, QString> gotowe = {{"KANAL_ZWROTNY/EMAIL", "agencja@spedycja.example"},
                                         {"KANAL_WYSYLKI/ECIP_SEAP_ID", "spedycja01"},
                                         {"KANAL_WYSYLKI/ECIP_SEAP_HASLO", "Tajne!2024"},
                                         {"PODPIS/CERTYFIKAT", wlasny},
                                         {"PODPIS/HASLO", "kwalifikowany"}};
  struct Case {
    const char* id;
    QString value;
    const char* brak;  // the point's refusal
  };
  const Case cases[] = {
      {"KANAL_ZWROTNY/EMAIL", "", "Kanał zwrotny: nie zdefiniowano kanału zwrotnego"},
      {"KANAL_ZWROTNY/EMAIL", "agencja@localhost", "Kanał zwrotny: adres szkoleniowy na tym komputerze (agencja@localhost)"},
      {"KANAL_ZWROTNY/URL", "http://127.0.0.1:18089/odpowiedzi", "Kanał zwrotny: adres szkoleniowy na tym komputerze"},
      {"KANAL_WYSYLKI/ECIP_SEAP_ID", "agencja", "Login na platformie: login lub hasło demonstracyjne"},
      {"KANAL_WYSYLKI/ECIP_SEAP_HASLO", "", "Login na platformie: nie podano loginu i hasła agencji"},
      {"PODPIS/CERTYFIKAT", szkolenie, "Certyfikat: certyfikat szkoleniowy"},
      {"PODPIS/HASLO", "szkolenie", "Certyfikat: certyfikat szkoleniowy"},
      {"PODPIS/CERTYFIKAT", root.filePath(QStringLiteral("brak.p12")), "Certyfikat: plik certyfikatu nie istnieje"},
  };
  host::PrzejscieNaProdukcje przejscie(host_->db(), *host_->options, root.path());
  for (const Case& c : cases) {
    QMap<QString, QString> values = gotowe;
    values[QString::fromLatin1(c.id)] = c.value;
    const QString odmowa = przejscie.Zakoncz(values);
    EXPECT_TRUE(odmowa.startsWith(QStringLiteral("Nie można przejść na środowisko produkcyjne:\n"))) << odmowa.toStdString();
    EXPECT_TRUE(odmowa.contains(QString::fromUtf8(c.brak))) << odmowa.toStdString();
    EXPECT_EQ(odmowa.count(QLatin1Char('\n')), 1) << odmowa.toStdString();  // only the point changed
    EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("OPCJE")), 0) << c.id;
  }
  // The production platform's address is the customs dictionary's: plain http is refused.
  const QString prod = QStringLiteral("update SLOWNIK_CELNY set WARTOSC = :W where SLOWNIK = 'WEBSERVICE_URL' and KOD = 'PROD'");
  host_->db().Exec(prod, {{QStringLiteral("W"), QStringLiteral("http://ws.puesc.example/DocumentHandlingPort")}});
  const QString http = przejscie.Zakoncz(gotowe);
  EXPECT_TRUE(http.endsWith(QStringLiteral("\nAdres platformy: adres nieszyfrowany (http://ws.puesc.example/DocumentHandlingPort), "
                                           "podaj adres https")))
      << http.toStdString();
  EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("OPCJE")), 0);
  host_->db().Exec(prod, {{QStringLiteral("W"), QStringLiteral("https://ws.puesc.example/DocumentHandlingPort")}});
  EXPECT_EQ(przejscie.Zakoncz(gotowe), QString());
  EXPECT_EQ(host::CzytajSrodowisko(*host_->options), host::Srodowisko::Produkcyjne);
  EXPECT_EQ(host_->options->ReadOption(QStringLiteral("PODPIS"), QStringLiteral("CERTYFIKAT"), {}, OptionScope::Application), wlasny);
}

TEST_P(OptionsAndUsers, OptionsWindowValuesKeepTheirScopes) {
  auto values = host::LoadOptions(*host_->options);
  EXPECT_EQ(values.value(QStringLiteral("SALDOWANIE/RYCZALT")), QStringLiteral("6,5"));
  EXPECT_EQ(values.value(QStringLiteral("PROXY/PORT")), QStringLiteral("8080"));
  values[QStringLiteral("USER/MIEJSCE")] = QStringLiteral("Gdynia");
  values[QStringLiteral("KANAL_WYSYLKI/ECIP_SEAP_ID")] = QStringLiteral("agencja01");
  host::SaveOptions(*host_->options, values);
  EXPECT_EQ(host_->options->ReadOption(QStringLiteral("USER"), QStringLiteral("MIEJSCE"), {}, host::OptionScope::User),
            QStringLiteral("Gdynia"));
  EXPECT_EQ(host_->options->ReadOption(QStringLiteral("USER"), QStringLiteral("MIEJSCE"), QStringLiteral("-")), QStringLiteral("-"));
  EXPECT_EQ(host_->options->ReadOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("ECIP_SEAP_ID"), {},
                                       host::OptionScope::Application),
            QStringLiteral("agencja01"));
  // Unchanged defaults are not written.
  EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("OPCJE")), 2);
}

// A copy of the database shows no password: each is sealed with the computer's key as it is
// written, and one stored in clear before reads as it stands until it is written again.
TEST_P(OptionsAndUsers, PasswordsAreStoredSealedAndOldClearOnesStillRead) {
  auto& options = *host_->options;
  const QString secret = QStringLiteral("Tajne hasło 1");
  auto stored = [&](const char* section) {
    return host_->db().QueryValue(QStringLiteral("select WARTOSC from OPCJE where SEKCJA = :S"), {{QStringLiteral("S"), QString::fromLatin1(section)}})
        .toString();
  };
  options.WriteOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), secret, OptionScope::Application);
  options.WriteOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("ECIP_SEAP_HASLO"), secret, OptionScope::Application);
  options.WriteOption(QStringLiteral("NCTS"), QStringLiteral("PREFIKS"), secret);  // not a password
  EXPECT_FALSE(stored("PODPIS").contains(QStringLiteral("Tajne")));
  EXPECT_FALSE(stored("KANAL_WYSYLKI").contains(QStringLiteral("Tajne")));
  EXPECT_NE(stored("PODPIS"), stored("KANAL_WYSYLKI"));  // a fresh IV each time
  EXPECT_EQ(stored("NCTS"), secret);
  EXPECT_EQ(options.ReadOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), {}, OptionScope::Application), secret);
  EXPECT_EQ(options.ReadOption(QStringLiteral("KANAL_WYSYLKI"), QStringLiteral("ECIP_SEAP_HASLO"), {}, OptionScope::Application), secret);
  // Altered in the database: no garbage is taken for the password.
  host_->db().Exec(QStringLiteral("update OPCJE set WARTOSC = :W where SEKCJA = 'PODPIS'"),
                   {{QStringLiteral("W"), stored("PODPIS").left(stored("PODPIS").size() - 4) + QStringLiteral("AAA=")}});
  EXPECT_EQ(options.ReadOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), QStringLiteral("-"), OptionScope::Application), QString());
  // Stored in clear by an older version.
  host_->db().Exec(QStringLiteral("update OPCJE set WARTOSC = 'stare' where SEKCJA = 'PODPIS'"));
  EXPECT_EQ(options.ReadOption(QStringLiteral("PODPIS"), QStringLiteral("HASLO"), {}, OptionScope::Application), QStringLiteral("stare"));

  // Mail accounts, added by the services and edited in the window alike.
  host::MailServer account;
  account.email = QStringLiteral("biuro@example.pl");
  account.password = secret;
  const int id = host::AddMailServer(host_->db(), account, nullptr);
  auto haslo = [&](qint64 account_id) {
    return host_->db().QueryValue(QStringLiteral("select HASLO from EMAIL_SRV where ID_EMAIL_SRV = :ID"), {{QStringLiteral("ID"), account_id}}).toString();
  };
  EXPECT_FALSE(haslo(id).contains(QStringLiteral("Tajne")));
  EXPECT_EQ(host::LoadMailServer(host_->db(), id, nullptr)->password, secret);
  host::HostContext ctx = host_->Context();
  host::RecordStore records(ctx, host::EmailSrvSpec());
  QVariantMap record = records.Load(id);
  EXPECT_EQ(record.value(QStringLiteral("HASLO")).toString(), secret);
  record[QStringLiteral("HASLO")] = QStringLiteral("nowe");
  records.Store(record);
  EXPECT_FALSE(haslo(id).contains(QStringLiteral("nowe")));
  EXPECT_EQ(host::LoadMailServer(host_->db(), id, nullptr)->password, QStringLiteral("nowe"));
  host_->db().Exec(QStringLiteral("update EMAIL_SRV set HASLO = 'stare'"));
  EXPECT_EQ(host::LoadMailServer(host_->db(), id, nullptr)->password, QStringLiteral("stare"));
}

// A new account is encrypted; one that would send its password in plain text beyond this
// computer is refused when stored (services and window alike) and when used (an older row).
TEST_P(OptionsAndUsers, MailAccountsAreEncryptedAndPlainTextStaysOnThisComputer) {
  EXPECT_EQ(host::MailServer().smtp_tls, host::MailTls::StartTls);
  EXPECT_EQ(host::MailServer().in_tls, host::MailTls::Implicit);
  host::HostContext ctx = host_->Context();
  host::RecordStore records(ctx, host::EmailSrvSpec());
  EXPECT_EQ(records.Empty().value(QStringLiteral("SMTP_TLS")).toInt(), 1);
  EXPECT_EQ(records.Empty().value(QStringLiteral("IN_TLS")).toInt(), 2);

  const QString smtp_jawny = QStringLiteral("Konto pocztowe „biuro@spedycja.pl”: połączenie z serwerem SMTP smtp.spedycja.pl nie jest "
                                            "szyfrowane - hasło i wiadomości szłyby otwartym tekstem. Wybierz szyfrowanie STARTTLS albo TLS.");
  struct Case {
    const char* smtp_host;
    host::MailTls smtp_tls;
    const char* protocol;
    const char* in_host;
    host::MailTls in_tls;
    QString refusal;
  };
  using host::MailTls;
  const Case cases[] = {
      {"smtp.spedycja.pl", MailTls::StartTls, "IMAP", "imap.spedycja.pl", MailTls::Implicit, {}},
      {"smtp.spedycja.pl", MailTls::Implicit, "POP3", "pop.spedycja.pl", MailTls::StartTls, {}},
      {"127.0.0.1", MailTls::None, "IMAP", "localhost", MailTls::None, {}},
      {"", MailTls::None, "IMAP", "", MailTls::None, {}},
      {"smtp.spedycja.pl", MailTls::None, "IMAP", "imap.spedycja.pl", MailTls::Implicit, smtp_jawny},
      {"smtp.spedycja.pl", MailTls::StartTls, "POP3", "pop.spedycja.pl", MailTls::None,
       QStringLiteral("Konto pocztowe „biuro@spedycja.pl”: połączenie z serwerem POP3 pop.spedycja.pl nie jest szyfrowane - "
                      "hasło i wiadomości szłyby otwartym tekstem. Wybierz szyfrowanie STARTTLS albo TLS.")},
  };
  for (const Case& c : cases) {
    host::MailServer s;
    s.email = QStringLiteral("biuro@spedycja.pl");
    s.smtp_host = QString::fromLatin1(c.smtp_host);
    s.smtp_tls = c.smtp_tls;
    s.in_protocol = QString::fromLatin1(c.protocol);
    s.in_host = QString::fromLatin1(c.in_host);
    s.in_tls = c.in_tls;
    const int before = host_->db().GetCountFieldVal(QStringLiteral("EMAIL_SRV"));
    QString error;
    EXPECT_EQ(host::AddMailServer(host_->db(), s, &error) > 0, c.refusal.isEmpty()) << c.smtp_host << " " << c.in_host;
    EXPECT_EQ(error, c.refusal);
    EXPECT_EQ(host_->db().GetCountFieldVal(QStringLiteral("EMAIL_SRV")), before + (c.refusal.isEmpty() ? 1 : 0));

    QVariantMap record = records.Empty();
    record[QStringLiteral("EMAIL")] = s.email;
    record[QStringLiteral("SMTP_HOST")] = s.smtp_host;
    record[QStringLiteral("SMTP_TLS")] = static_cast<int>(c.smtp_tls);
    record[QStringLiteral("IN_PROTOKOL")] = s.in_protocol;
    record[QStringLiteral("IN_HOST")] = s.in_host;
    record[QStringLiteral("IN_TLS")] = static_cast<int>(c.in_tls);
    const host::FieldErrors errors = records.Validate(record);
    EXPECT_EQ(errors.empty() ? QString() : errors.front().second, c.refusal) << c.smtp_host << " " << c.in_host;
  }

  // Stored plain by an older version: the roads refuse it with the reason, which they log.
  host_->db().Exec(QStringLiteral("update EMAIL_SRV set SMTP_TLS = 0 where SMTP_HOST = 'smtp.spedycja.pl'"));
  const int id = host_->db().QueryValue(QStringLiteral("select min(ID_EMAIL_SRV) from EMAIL_SRV")).toInt();
  QString error;
  EXPECT_FALSE(host::LoadMailServer(host_->db(), id, &error));
  EXPECT_EQ(error, smtp_jawny);
}

}  // namespace
}  // namespace velmora::testing
