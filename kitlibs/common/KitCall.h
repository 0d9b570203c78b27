#pragma once
// The boundary of every kit export: the status starts at success, and nothing thrown
// inside ever crosses the C interface (it becomes a failure with a status instead).

#include "ik7kit.h"
#include "platform/KitStatus.h"

#include <new>

namespace kit {

// Records `status` and returns `result`, for the failure paths of an export.
template <typename R>
R fail(std::uint16_t status, R result) {
    platform::setKitStatus(status);
    return result;
}

template <typename R, typename F>
R guarded(R failure, F&& body) noexcept {
    platform::setKitStatus(IK_OK);
    try {
        return body();
    } catch (const std::bad_alloc&) {
        platform::setKitStatus(IK_ERR_MEMORY);
    } catch (...) {
        platform::setKitStatus(IK_ERR_ARGUMENT);
    }
    return failure;
}

}  // namespace kit
