#include "host/reports/raport_okresu.h"

#include "host/base/clock.h"
#include "host/base/host_context.h"

#include <QDir>

namespace velmora::host {

TRaportOkresuRpt::TRaportOkresuRpt(HostContext& ctx) : ctx_(ctx) {
  data_do_ = ctx.clock.Today();
  data_od_ = QDate(data_do_.year(), data_do_.month(), 1);
}

QString TRaportOkresuRpt::Get_FileNamePDF() {
  const QString dir = ctx_.root.isEmpty() ? QDir::tempPath() : QDir(ctx_.root).filePath(QStringLiteral("TEMP"));
  QDir().mkpath(dir);
  return QDir(dir).filePath(QStringLiteral("%1-%2-%3.pdf").arg(ReportFileStem(Get_RptFile()), TekstDaty(data_od_), TekstDaty(data_do_)));
}

QString TRaportOkresuRpt::NaglowekHtml(const QString& tytul) const {
  return QStringLiteral("<h2>%1</h2><p>Okres od: %2 do: %3</p>").arg(Html(tytul), TekstDaty(data_od_), TekstDaty(data_do_));
}

QString TekstKwoty(double kwota) { return QString::number(kwota, 'f', 2); }

QString TekstDaty(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString(); }

QString TekstChwili(const QDateTime& t) {
  if (!t.isValid()) return {};
  if (t.time() == QTime(0, 0)) return TekstDaty(t.date());
  return t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QDateTime ChwilaZKolumny(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return {};
  if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
  if (v.typeId() == QMetaType::QDate) return QDateTime(v.toDate(), QTime(0, 0));
  QString s = v.toString().trimmed();
  if (s.size() > 10 && s[10] == u' ') s[10] = u'T';
  QDateTime t = QDateTime::fromString(s, Qt::ISODateWithMs);
  if (!t.isValid()) t = QDateTime(QDate::fromString(s.left(10), Qt::ISODate), QTime(0, 0));
  return t.isValid() ? t : QDateTime();
}

QDateTime ChwilaZKolumn(const QVariant& data, const QVariant& czas) {
  const QDateTime dzien = ChwilaZKolumny(data);
  if (!dzien.isValid()) return {};
  QTime t;
  if (czas.typeId() == QMetaType::QTime) {
    t = czas.toTime();
  } else if (czas.isValid() && !czas.isNull()) {
    const QString s = czas.toString().trimmed();
    t = QTime::fromString(s.left(8), QStringLiteral("HH:mm:ss"));
    if (!t.isValid()) t = QTime::fromString(s.left(5), QStringLiteral("HH:mm"));
  }
  return QDateTime(dzien.date(), t.isValid() ? t : QTime(0, 0));
}

}  // namespace velmora::host
