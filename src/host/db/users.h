#pragma once

#include "host/db/db.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmora::host {

class Clock;

// A user of the application (table UZYTKOWNIK).
class TUser {
 public:
  TUser() = default;
  TUser(int id, QString login, QString name, QString location, bool admin, bool sysadmin, bool service)
      : id_(id), login_(std::move(login)), name_(std::move(name)), location_(std::move(location)),
        admin_(admin), sysadmin_(sysadmin), service_(service) {}

  int GetID() const { return id_; }
  const QString& GetLOGIN() const { return login_; }
  const QString& GetNAZWA() const { return name_; }
  const QString& GetLOKALIZACJA() const { return location_; }
  bool isAdmin() const { return admin_ || sysadmin_; }
  bool isSysAdmin() const { return sysadmin_; }
  // The argument names a service; empty asks whether the user is a service account at all.
  bool isService(const QString& service = {}) const {
    Q_UNUSED(service);
    return service_;
  }

 private:
  int id_ = 0;
  QString login_;
  QString name_;
  QString location_;
  bool admin_ = false;
  bool sysadmin_ = false;
  bool service_ = false;
};

struct NewUser {
  QString login;
  QString name;
  QString location;
  bool admin = false;
  bool sysadmin = false;
  bool service = false;
};

class UserError : public std::runtime_error {
 public:
  explicit UserError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

class Users {
 public:
  Users(Db& db, const Clock& clock) : db_(db), clock_(clock) {}
  // Refuses an empty or already used login.
  TUser Add(const NewUser& user);
  std::optional<TUser> FindByLogin(const QString& login);
  std::optional<TUser> FindById(int id);
  std::vector<TUser> List();

 private:
  Db& db_;
  const Clock& clock_;
};

// The user the application works for.
class CurrentUser {
 public:
  CurrentUser() = default;
  explicit CurrentUser(TUser user) : user_(std::move(user)) {}
  const TUser& UserInfo() const { return user_; }
  void Set(TUser user) { user_ = std::move(user); }

 private:
  TUser user_;
};

// Fills the CREATE_ or MODIFY_ audit columns of a row about to be written.
void SetCreateAudit(Params& params, const TUser& user, const Clock& clock);
void SetModifyAudit(Params& params, const TUser& user, const Clock& clock);

}  // namespace velmora::host
