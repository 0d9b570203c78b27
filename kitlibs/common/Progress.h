#pragma once
// Relays the progress of a long kit operation (decoding, encoding, an effect) to the
// caller's callback and remembers a stop answer.

#include "ik7kit.h"

#include <cstdint>

namespace kit {

class Progress {
public:
    explicit Progress(IKPROGRESSPROC callback) : callback_(callback) {}

    // Reports `done` of `total` as a percentage (only when it changes); false once the
    // callback has answered stop.
    bool report(std::uint64_t done, std::uint64_t total) {
        if (stopped_) return false;
        if (!callback_ || total == 0) return true;
        const auto percent = static_cast<std::int32_t>(done >= total ? 100 : done * 100 / total);
        if (percent == last_) return true;
        last_ = percent;
        if (callback_(percent) == 0) stopped_ = true;
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    IKPROGRESSPROC callback_;
    std::int32_t last_ = -1;
    bool stopped_ = false;
};

}  // namespace kit
