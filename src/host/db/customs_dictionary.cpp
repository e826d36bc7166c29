#include "host/db/customs_dictionary.h"

#include "host/db/db.h"
#include "host/db/options.h"
#include "host/db/srodowisko.h"
#include "host/db/tools_db.h"

namespace velmora::host {

namespace {

struct Entry {
  const char* slownik;
  const char* kod;
  const char* wartosc;
};

// What every installation starts with; an agency may change the values.
const Entry kEntries[] = {
    {"WEBSERVICE_URL", "PROD", "https://ws.puesc.gov.pl/seap_wsChannel/DocumentHandlingPort"},
    {"WEBSERVICE_URL", "SZKOLENIE", "http://127.0.0.1:18089/seap_wsChannel/DocumentHandlingPort"},
    {"PUESC_EMAIL", "DOMYSLNY", "puesc@mf.gov.pl"},
};

}  // namespace

void CustomsDictionarySchema(TToolsDB& tools) {
  DeclareTable(tools, {"SLOWNIK_CELNY",
                       {{"SLOWNIK", FieldType::String, 30, "", true}, {"KOD", FieldType::String, 30, "", true},
                        {"WARTOSC", FieldType::String, 250}},
                       {{"SLOWNIK_CELNY_IDX1", {"SLOWNIK", "KOD"}, true}},
                       false});
  tools.Finish();
  Db& db = tools.GetDb();
  for (const Entry& e : kEntries) {
    const Params key{{QStringLiteral("S"), QString::fromLatin1(e.slownik)}, {QStringLiteral("K"), QString::fromLatin1(e.kod)}};
    if (db.QueryValue(QStringLiteral("select count(*) from SLOWNIK_CELNY where SLOWNIK = :S and KOD = :K"), key).toInt() > 0) continue;
    Params row = key;
    row.insert(QStringLiteral("ID"), db.DBGetNewID(QStringLiteral("GID_SLOWNIK_CELNY")));
    row.insert(QStringLiteral("W"), QString::fromLatin1(e.wartosc));
    db.Exec(QStringLiteral("insert into SLOWNIK_CELNY (ID_SLOWNIK_CELNY, SLOWNIK, KOD, WARTOSC) values (:ID, :S, :K, :W)"), row);
  }
}

QString TSlownikCelny::PobierzKod(Db& db, const QString& slownik, const QString& kod) {
  return db.QueryValue(QStringLiteral("select WARTOSC from SLOWNIK_CELNY where SLOWNIK = :S and KOD = :K"),
                       {{QStringLiteral("S"), slownik}, {QStringLiteral("K"), kod}})
      .toString()
      .trimmed();
}

QString TPuescTools::GetEmailAddress(Db& db, const QString& system) {
  const QString own = TSlownikCelny::PobierzKod(db, QStringLiteral("PUESC_EMAIL"), system);
  return own.isEmpty() ? GetDefaultEmailAddress(db) : own;
}

QString TPuescTools::GetDefaultEmailAddress(Db& db) {
  return TSlownikCelny::PobierzKod(db, QStringLiteral("PUESC_EMAIL"), QStringLiteral("DOMYSLNY"));
}

QString TPuescTools::GetServiceAddress(Db& db, Options& options) {
  switch (CzytajSrodowisko(options)) {
    case Srodowisko::Szkoleniowe:
      return TSlownikCelny::PobierzKod(db, QStringLiteral("WEBSERVICE_URL"), QStringLiteral("SZKOLENIE"));
    case Srodowisko::Produkcyjne:
      return TSlownikCelny::PobierzKod(db, QStringLiteral("WEBSERVICE_URL"), QStringLiteral("PROD"));
    case Srodowisko::Brak:
      break;
  }
  return {};
}

}  // namespace velmora::host
