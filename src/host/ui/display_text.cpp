#include "host/ui/display_text.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace velmora::host {

namespace {

const QString kFormatDaty = QStringLiteral("dd.MM.yyyy");
const QString kFormatCzasu = QStringLiteral("dd.MM.yyyy HH:mm");

bool JestLiczba(const QString& text) {
  static const QRegularExpression kLiczba(QStringLiteral("^-?\\d+\\.\\d+$"));
  return kLiczba.match(text).hasMatch();
}

// Both engines hand back stored date-times as ISO text in some columns (SQLite always).
QString ZTekstuIso(const QString& text) {
  static const QRegularExpression kIso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::\\d{2}(?:\\.\\d+)?)?)?$"));
  const QRegularExpressionMatch m = kIso.match(text);
  if (!m.hasMatch()) return {};
  const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  if (!date.isValid()) return {};
  if (m.captured(4).isEmpty()) return date.toString(kFormatDaty);
  const QTime time(m.captured(4).toInt(), m.captured(5).toInt());
  if (!time.isValid()) return {};
  return QDateTime(date, time).toString(kFormatCzasu);
}

}  // namespace

QString ZPrzecinkiem(const QString& text) {
  return JestLiczba(text.trimmed()) ? QString(text).replace(QLatin1Char('.'), QLatin1Char(',')) : text;
}

QString TekstKomorki(const QVariant& value) {
  if (value.isNull()) return {};
  switch (value.typeId()) {
    case QMetaType::QDateTime:
      return value.toDateTime().toString(kFormatCzasu);
    case QMetaType::QDate:
      return value.toDate().toString(kFormatDaty);
    case QMetaType::Double:
    case QMetaType::Float:
      return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest).replace(QLatin1Char('.'), QLatin1Char(','));
    default:
      break;
  }
  const QString text = value.toString();
  const QString date = ZTekstuIso(text);
  return date.isEmpty() ? text : date;
}

}  // namespace velmora::host
