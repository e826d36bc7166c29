#pragma once

#include <QDate>
#include <QDateTime>

namespace velmora::host {

// "Today" and "now" come from here, so tests can set them.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime Now() const = 0;
  QDate Today() const { return Now().date(); }
};

class SystemClock : public Clock {
 public:
  QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(QDateTime now) : now_(std::move(now)) {}
  QDateTime Now() const override { return now_; }
  void Set(QDateTime now) { now_ = std::move(now); }
  void AddSecs(qint64 secs) { now_ = now_.addSecs(secs); }

 private:
  QDateTime now_;
};

}  // namespace velmora::host
