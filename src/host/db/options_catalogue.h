#pragma once

#include "host/db/options.h"

#include <QMap>
#include <QString>

#include <vector>

namespace velmora::host {

// One setting the options window edits.
struct OptionKey {
  QString group;    // tab caption
  QString section;
  QString key;
  QString caption;
  OptionScope scope;
  QString default_value;
  bool secret = false;  // shown masked, never logged
  QString Id() const { return section + QLatin1Char('/') + key; }
};

// The settings the module reads, with their scopes and defaults.
const std::vector<OptionKey>& OptionsCatalogue();
// Current values by Id().
QMap<QString, QString> LoadOptions(Options& options);
// Writes only what differs from what is stored.
void SaveOptions(Options& options, const QMap<QString, QString>& values);

}  // namespace velmora::host
