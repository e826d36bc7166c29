#pragma once

#include <QByteArray>

namespace velmora::host {

class Options;
struct HostContext;

// The options of the running process, for libraries loaded at run time that have no
// HostContext to take them from (the signer). Null until the application sets them.
void SetProcessOptions(Options* options);
Options* ProcessOptions();

// The host services of the running application, for routines the host calls without one
// (the mail processing). Null until the application sets them.
void SetProcessContext(HostContext* ctx);
HostContext* ProcessContext();

// A key store the signer unlocked before, re-encoded without protection, under the
// fingerprint of its file and passphrase; empty when none. The signer library comes and goes
// with each write, and unlocking a store (its key derivation) is the slowest part of signing:
// the process keeps what was unlocked, as it keeps the passphrase itself.
QByteArray UnlockedKeyStore(const QByteArray& fingerprint);
void KeepUnlockedKeyStore(const QByteArray& fingerprint, const QByteArray& store);

}  // namespace velmora::host
