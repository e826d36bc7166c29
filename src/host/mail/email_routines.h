#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace velmora::host {

// A received mail as the host hands it to the packages' routines.
struct ReceivedMail {
  qint64 id = 0;
  QString from;
  QString subject;
  QString body;
  struct Attachment {
    QString file_name;
    QByteArray content;
  };
  std::vector<Attachment> attachments;
};

using EmailReceiveFilter = std::function<bool(const ReceivedMail&)>;
// Answers true when the mail was taken.
using EmailReceiveProcessing = std::function<bool(const ReceivedMail&)>;

void Register_Email_Receive_Filter(EmailReceiveFilter filter, const QString& title);
void Register_Email_Receive_Processing(EmailReceiveProcessing processing, const QString& title);
QStringList RegisteredEmailRoutines();
// Every processing routine whose filters accept the mail; answers how many took it.
int ProcessReceivedMail(const ReceivedMail& mail);

}  // namespace velmora::host
