#pragma once
// Kit statuses for SANE's answers, and the text of the last device failure.

#include <sane/sane.h>

#include <cstdint>
#include <string>

namespace scan {

// The kit status for a SANE status (IK_OK for SANE_STATUS_GOOD and SANE_STATUS_EOF).
std::uint16_t statusOf(SANE_Status status);

// Records a device failure: SANE's text for `status` and the source's product name.
void recordDeviceFailure(SANE_Status status, const std::string& device);
// Records a failure of the library itself (no SANE status), with its own text.
void recordFailureText(const std::string& text, const std::string& device);

struct LastFailure {
    int saneStatus = 0;
    std::string text;
    std::string device;
};
LastFailure lastFailure();

}  // namespace scan
