#include "host/db/users.h"

#include "host/base/clock.h"

namespace velmora::host {

namespace {

TUser FromRow(const Row& r) {
  return TUser(r.Int(QStringLiteral("ID_UZYTKOWNIK")), r.Str(QStringLiteral("LOGIN")), r.Str(QStringLiteral("NAZWA")),
               r.Str(QStringLiteral("LOKALIZACJA")), r.Int(QStringLiteral("ADMIN")) != 0,
               r.Int(QStringLiteral("SYSADMIN")) != 0, r.Int(QStringLiteral("SERWIS")) != 0);
}

void SetAudit(Params& p, const QString& prefix, const TUser& user, const Clock& clock) {
  const QDateTime now = clock.Now();
  p.insert(prefix + QStringLiteral("ID_USER"), user.GetID());
  p.insert(prefix + QStringLiteral("USER_NAME"), user.GetNAZWA());
  p.insert(prefix + QStringLiteral("DATE"), now.date());
  p.insert(prefix + QStringLiteral("TIME"), now.time().toString(QStringLiteral("HH:mm:ss")));
}

}  // namespace

TUser Users::Add(const NewUser& u) {
  const QString login = u.login.trimmed();
  if (login.isEmpty()) throw UserError(QStringLiteral("Login użytkownika nie może być pusty"));
  Transaction tx(db_);
  if (FindByLogin(login)) throw UserError(QStringLiteral("Użytkownik o loginie %1 już istnieje").arg(login));
  const int id = static_cast<int>(db_.DBGetNewID(QStringLiteral("GID_UZYTKOWNIK")));
  TUser creator(id, login, u.name, u.location, u.admin, u.sysadmin, u.service);
  Params p{{QStringLiteral("ID"), id},
           {QStringLiteral("LOGIN"), login},
           {QStringLiteral("NAZWA"), u.name.isEmpty() ? login : u.name},
           {QStringLiteral("LOK"), u.location},
           {QStringLiteral("ADMIN"), u.admin ? 1 : 0},
           {QStringLiteral("SYSADMIN"), u.sysadmin ? 1 : 0},
           {QStringLiteral("SERWIS"), u.service ? 1 : 0}};
  SetCreateAudit(p, creator, clock_);
  db_.Exec(QStringLiteral(
               "insert into UZYTKOWNIK (ID_UZYTKOWNIK, LOGIN, NAZWA, LOKALIZACJA, ADMIN, SYSADMIN, SERWIS, AKTYWNY, "
               "CREATE_ID_USER, CREATE_USER_NAME, CREATE_DATE, CREATE_TIME) values (:ID, :LOGIN, :NAZWA, :LOK, "
               ":ADMIN, :SYSADMIN, :SERWIS, 1, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME)"),
           p);
  tx.Commit();
  return *FindById(id);
}

std::optional<TUser> Users::FindByLogin(const QString& login) {
  auto r = db_.QueryOne(QStringLiteral("select * from UZYTKOWNIK where LOGIN = :L"), {{QStringLiteral("L"), login}});
  if (!r) return std::nullopt;
  return FromRow(*r);
}

std::optional<TUser> Users::FindById(int id) {
  auto r = db_.QueryOne(QStringLiteral("select * from UZYTKOWNIK where ID_UZYTKOWNIK = :ID"), {{QStringLiteral("ID"), id}});
  if (!r) return std::nullopt;
  return FromRow(*r);
}

std::vector<TUser> Users::List() {
  std::vector<TUser> out;
  for (const Row& r : db_.QueryAll(QStringLiteral("select * from UZYTKOWNIK order by LOGIN"))) out.push_back(FromRow(r));
  return out;
}

void SetCreateAudit(Params& params, const TUser& user, const Clock& clock) {
  SetAudit(params, QStringLiteral("CREATE_"), user, clock);
}

void SetModifyAudit(Params& params, const TUser& user, const Clock& clock) {
  SetAudit(params, QStringLiteral("MODIFY_"), user, clock);
}

}  // namespace velmora::host
