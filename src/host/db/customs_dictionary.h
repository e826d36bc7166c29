#pragma once

#include <QString>

namespace velmora::host {

class Db;
class Options;
class TToolsDB;

// The host's customs dictionary: values by dictionary and code (the platform's addresses ...).
void CustomsDictionarySchema(TToolsDB& tools);

class TSlownikCelny {
 public:
  // The value of `kod` in `slownik`; empty when there is none.
  static QString PobierzKod(Db& db, const QString& slownik, const QString& kod);
};

// The customs platform's addresses.
class TPuescTools {
 public:
  // The platform's e-mail address for documents of `system` ("NCTS2"); the default one when
  // the system has none of its own.
  static QString GetEmailAddress(Db& db, const QString& system);
  static QString GetDefaultEmailAddress(Db& db);
  // The web service of the environment the options choose (srodowisko.h): the production
  // address or the training platform; empty when none is chosen.
  static QString GetServiceAddress(Db& db, Options& options);
};

}  // namespace velmora::host
