#pragma once
// How far a decoder may shrink a page while it decodes it, for loads that ask for a
// picture of at least a given size.

#include <algorithm>
#include <cstdint>

namespace kit {

// The largest k up to mostSteps with a page of width × height, divided by 2^k and rounded
// up, still at least atLeastWidth × atLeastHeight; 0 when nothing smaller is asked for.
inline int halvingSteps(std::int64_t width, std::int64_t height, std::int64_t atLeastWidth,
                        std::int64_t atLeastHeight, int mostSteps) {
    if (atLeastWidth <= 0 || atLeastHeight <= 0) return 0;
    int k = 0;
    while (k < mostSteps) {
        const std::int64_t step = std::int64_t{1} << (k + 1);
        if ((width + step - 1) / step < atLeastWidth || (height + step - 1) / step < atLeastHeight) break;
        ++k;
    }
    return k;
}

// The largest whole factor f with width and height divided by f and rounded up still at
// least atLeastWidth × atLeastHeight; 1 when nothing smaller is asked for.
inline std::int64_t wholeShrinkFactor(std::int64_t width, std::int64_t height, std::int64_t atLeastWidth,
                                      std::int64_t atLeastHeight) {
    if (atLeastWidth <= 0 || atLeastHeight <= 0 || width <= 0 || height <= 0) return 1;
    std::int64_t f = std::max<std::int64_t>(1, std::min(width / atLeastWidth, height / atLeastHeight));
    while (f > 1 && ((width + f - 1) / f < atLeastWidth || (height + f - 1) / f < atLeastHeight)) --f;
    return f;
}

}  // namespace kit
