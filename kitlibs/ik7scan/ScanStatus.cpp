#include "ScanStatus.h"

#include "ik7kit.h"

#include <mutex>

namespace scan {

namespace {
std::mutex failureMutex;
LastFailure failure;
}  // namespace

std::uint16_t statusOf(SANE_Status status) {
    switch (status) {
        case SANE_STATUS_GOOD:
        case SANE_STATUS_EOF: return IK_OK;
        case SANE_STATUS_CANCELLED: return IK_ERR_CANCELLED;
        case SANE_STATUS_NO_MEM: return IK_ERR_MEMORY;
        case SANE_STATUS_DEVICE_BUSY: return IK_ERR_SCAN_BUSY;
        case SANE_STATUS_JAMMED: return IK_ERR_SCAN_JAMMED;
        case SANE_STATUS_NO_DOCS: return IK_ERR_SCAN_NO_DOCS;
        case SANE_STATUS_COVER_OPEN: return IK_ERR_SCAN_COVER_OPEN;
        case SANE_STATUS_ACCESS_DENIED: return IK_ERR_SCAN_ACCESS_DENIED;
        default: return IK_ERR_SCAN_DEVICE;
    }
}

void recordDeviceFailure(SANE_Status status, const std::string& device) {
    std::lock_guard lock(failureMutex);
    failure = LastFailure{static_cast<int>(status), sane_strstatus(status), device};
}

void recordFailureText(const std::string& text, const std::string& device) {
    std::lock_guard lock(failureMutex);
    failure = LastFailure{0, text, device};
}

LastFailure lastFailure() {
    std::lock_guard lock(failureMutex);
    return failure;
}

}  // namespace scan
