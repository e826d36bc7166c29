#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Text forms of values inside message documents.
namespace velmora::frame {

// 2024-03-05
QString GetDateAsString(const QDate& date);
// 2024-03-05T08:04:09 (24-hour clock, milliseconds dropped)
QString GetDateTimeAsString(const QDateTime& date_time);
// Reads the layout above by position; a part that is not a number counts as 0.
// Answers a null date-time when the parts make no valid date.
QDateTime GetDateTimeFromString(const QString& text);
// Mass with three decimals and a full stop; whole when that text is longer than 11
// characters; empty for exactly 0.
QString GetMasa(double mass);
// The text from its first "<" on; used on every message document before it is parsed.
QString NaprawXML(const QString& text);

}  // namespace velmora::frame
