#include "platform/KitStatus.h"

namespace platform {
namespace {
thread_local std::uint16_t lastStatus = 0;
}

void setKitStatus(std::uint16_t status) { lastStatus = status; }
std::uint16_t kitStatus() { return lastStatus; }

}  // namespace platform
