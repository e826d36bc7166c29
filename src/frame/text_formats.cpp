#include "text_formats.h"

#include <cmath>

namespace velmora::frame {

QString GetDateAsString(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QString GetDateTimeAsString(const QDateTime& date_time) {
  return date_time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
}

namespace {

int Part(const QString& text, int from, int length) {
  bool ok = false;
  const int v = text.mid(from, length).toInt(&ok);
  return ok ? v : 0;
}

}  // namespace

QDateTime GetDateTimeFromString(const QString& text) {
  const QDate date(Part(text, 0, 4), Part(text, 5, 2), Part(text, 8, 2));
  const QTime time(Part(text, 11, 2), Part(text, 14, 2), Part(text, 17, 2));
  if (!date.isValid() || !time.isValid()) return {};
  return QDateTime(date, time);
}

QString GetMasa(double mass) {
  if (mass == 0.0) return {};
  const QString text = QString::number(mass, 'f', 3);
  if (text.size() > 11) return QString::number(std::llround(mass));
  return text;
}

QString NaprawXML(const QString& text) {
  const qsizetype at = text.indexOf(QLatin1Char('<'));
  return at < 0 ? text : text.mid(at);
}

}  // namespace velmora::frame
