#pragma once

#include <QString>

namespace velmora::host {

// The libraries loaded at run time for each use live in the application root's bin/.
QString SignerPath(const QString& root);
QString PuescClientPath(const QString& root);
// Puts the library built with the program below the root when the root has none; answers the
// path it put there, empty when nothing was done.
QString InstallBuiltLibrary(const QString& root, const QString& target_path);
inline QString InstallSigner(const QString& root) { return InstallBuiltLibrary(root, SignerPath(root)); }
// The code lists and the customs office list shipped beside the program's bin/ ("Slowniki");
// empty when the program has none beside it.
QString ShippedSlownikiDir();
inline QString InstallPuescClient(const QString& root) { return InstallBuiltLibrary(root, PuescClientPath(root)); }

}  // namespace velmora::host
