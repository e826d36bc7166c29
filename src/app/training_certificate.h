#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::app {

// A self-signed signing certificate for the training environment, written as a PKCS#12 store
// protected by `passphrase`. The training platform checks the signature, not who issued it,
// so a new agency can send its first declarations before its qualified certificate arrives.
// Answers the reason when it fails, empty on success.
QString CreateTrainingCertificate(const QString& path, const QString& holder, const QByteArray& passphrase);

}  // namespace velmora::app
