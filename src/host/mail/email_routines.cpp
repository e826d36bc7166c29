#include "host/mail/email_routines.h"

#include <QStringList>

namespace velmora::host {

namespace {

struct Routines {
  std::vector<std::pair<QString, EmailReceiveFilter>> filters;
  std::vector<std::pair<QString, EmailReceiveProcessing>> processing;
};

Routines& R() {
  static Routines r;
  return r;
}

}  // namespace

void Register_Email_Receive_Filter(EmailReceiveFilter filter, const QString& title) {
  for (const auto& f : R().filters)
    if (f.first == title) return;
  R().filters.emplace_back(title, std::move(filter));
}

void Register_Email_Receive_Processing(EmailReceiveProcessing processing, const QString& title) {
  for (const auto& p : R().processing)
    if (p.first == title) return;
  R().processing.emplace_back(title, std::move(processing));
}

QStringList RegisteredEmailRoutines() {
  QStringList out;
  for (const auto& f : R().filters) out << f.first;
  for (const auto& p : R().processing) out << p.first;
  return out;
}

int ProcessReceivedMail(const ReceivedMail& mail) {
  for (const auto& f : R().filters)
    if (!f.second(mail)) return 0;
  int taken = 0;
  for (const auto& p : R().processing)
    if (p.second(mail)) ++taken;
  return taken;
}

}  // namespace velmora::host
