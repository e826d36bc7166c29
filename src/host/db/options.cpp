#include "host/db/options.h"

#include "host/db/secret_store.h"
#include "host/db/users.h"

namespace velmora::host {

namespace {

const QString kWhere = QStringLiteral(
    "ZAKRES = :ZAKRES and ID_UZYTKOWNIK = :UZYTKOWNIK and APLIKACJA = :APLIKACJA and SEKCJA = :SEKCJA and KLUCZ = :KLUCZ");

}  // namespace

Params TOptionsDB::Key(const QString& section, const QString& key, OptionScope scope) const {
  return {{QStringLiteral("ZAKRES"), static_cast<int>(scope)},
          {QStringLiteral("UZYTKOWNIK"), scope == OptionScope::User ? user_.UserInfo().GetID() : 0},
          {QStringLiteral("APLIKACJA"),
           scope == OptionScope::Application ? QString::fromLatin1(kApplication) : QStringLiteral("-")},
          {QStringLiteral("SEKCJA"), section.toUpper()},
          {QStringLiteral("KLUCZ"), key.toUpper()}};
}

QString TOptionsDB::ReadOption(const QString& section, const QString& key, const QString& default_value,
                               OptionScope scope) {
  auto row = db_.QueryOne(QStringLiteral("select WARTOSC from OPCJE where ") + kWhere, Key(section, key, scope));
  if (!row || row->IsNull(QStringLiteral("WARTOSC"))) return default_value;
  const QString value = row->Str(QStringLiteral("WARTOSC"));
  return IsSecretOption(section, key) ? OpenSecret(value) : value;
}

void TOptionsDB::WriteOption(const QString& section, const QString& key, const QString& value, OptionScope scope) {
  Params p = Key(section, key, scope);
  // An empty value is stored as such, not as a missing one.
  const QString text = value.isNull() ? QStringLiteral("") : value;
  p.insert(QStringLiteral("WARTOSC"), IsSecretOption(section, key) ? SealSecret(text) : text);
  Transaction tx(db_);
  if (db_.Exec(QStringLiteral("update OPCJE set WARTOSC = :WARTOSC where ") + kWhere, p) == 0) {
    p.insert(QStringLiteral("ID"), db_.DBGetNewID(QStringLiteral("GID_OPCJE")));
    db_.Exec(QStringLiteral("insert into OPCJE (ID_OPCJE, ZAKRES, ID_UZYTKOWNIK, APLIKACJA, SEKCJA, KLUCZ, WARTOSC) "
                            "values (:ID, :ZAKRES, :UZYTKOWNIK, :APLIKACJA, :SEKCJA, :KLUCZ, :WARTOSC)"),
             p);
  }
  tx.Commit();
}

}  // namespace velmora::host
