#pragma once

#include "host/db/db.h"

#include <QString>

namespace velmora::host {

class CurrentUser;

enum class OptionScope { Global = 0, User = 1, Application = 2 };

// Settings by section and key; every read names its own default.
class Options {
 public:
  virtual ~Options() = default;
  virtual QString ReadOption(const QString& section, const QString& key, const QString& default_value,
                             OptionScope scope = OptionScope::Global) = 0;
  virtual void WriteOption(const QString& section, const QString& key, const QString& value,
                           OptionScope scope = OptionScope::Global) = 0;
};

// Options kept in the database (table OPCJE). The user scope belongs to the current user,
// the application scope to this application.
class TOptionsDB : public Options {
 public:
  static constexpr const char* kApplication = "Velmora";

  TOptionsDB(Db& db, const CurrentUser& user) : db_(db), user_(user) {}
  QString ReadOption(const QString& section, const QString& key, const QString& default_value,
                     OptionScope scope = OptionScope::Global) override;
  void WriteOption(const QString& section, const QString& key, const QString& value,
                   OptionScope scope = OptionScope::Global) override;

 private:
  Params Key(const QString& section, const QString& key, OptionScope scope) const;
  Db& db_;
  const CurrentUser& user_;
};

}  // namespace velmora::host
