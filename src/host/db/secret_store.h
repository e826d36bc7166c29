#pragma once

#include <QString>

namespace velmora::host {

// Passwords are kept in the database sealed with a key of this computer (AES-256-GCM), so a copy
// of the database or a look at its file shows none of them.

// The computer's key file, made on first use, readable by the owner only.
QString MachineKeyPath();
// The sealed form of a password; an empty one stays empty.
QString SealSecret(const QString& clear);
// The password a stored value holds: a sealed one is opened, one stored before sealing is taken
// as it stands. A value sealed with another computer's key opens as empty.
QString OpenSecret(const QString& stored);
bool IsSealed(const QString& stored);
// Whether an option holds a password (the options catalogue marks them).
bool IsSecretOption(const QString& section, const QString& key);
// Makes a directory (with its parents) that only its owner may enter, when it does not exist yet.
bool MakePrivateDir(const QString& path);

}  // namespace velmora::host
