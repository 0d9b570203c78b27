#pragma once
// The status of the last kit call on this thread, shared by all kit libraries so that
// the one status query of the common library reports whichever library ran last.

#include <cstdint>

namespace platform {

void setKitStatus(std::uint16_t status);
std::uint16_t kitStatus();

}  // namespace platform
