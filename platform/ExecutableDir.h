#pragma once
// Where the running program lies: the kit loads its libraries from this folder.

#include <QString>

namespace platform {

// The folder of the running executable, without a trailing separator; empty when unknown.
QString executableDir();

}  // namespace platform
