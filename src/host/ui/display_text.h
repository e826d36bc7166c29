#pragma once

#include <QString>
#include <QVariant>

// How values read from the database or from documents are shown to a clerk.
namespace velmora::host {

// A number written with a decimal point ("1234.5") shown with a decimal comma ("1234,5");
// any other text is left as it is.
QString ZPrzecinkiem(const QString& text);

// A cell of a list: dates and times as dd.MM.yyyy HH:mm (stored ISO text too), dates alone
// as dd.MM.yyyy, numbers (double values) with a decimal comma; everything else as stored.
QString TekstKomorki(const QVariant& value);

}  // namespace velmora::host
