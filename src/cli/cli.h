#pragma once

#include <QStringList>
#include <QTextStream>

namespace velmora::cli {

// Runs one command line (without the program name); answers the exit status:
// 0 done, 1 refused or failed, 2 usage error. A value given as "-" is read from in (standard
// input when none is given).
int Run(const QStringList& args, QTextStream& out, QTextStream& err, QTextStream* in = nullptr);

}  // namespace velmora::cli
