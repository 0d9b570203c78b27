#pragma once
// How far a decoder may shrink a page while it decodes it, for loads that ask for a
// picture of at least a given size.

#include <algorithm>
#include <cmath>
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

struct ShrunkSize {
    std::int64_t width = 0, height = 0;
};

// The smallest size of the page's proportions not below atLeastWidth × atLeastHeight;
// the page's own size when nothing smaller is asked for.
inline ShrunkSize areaShrinkSize(std::int64_t width, std::int64_t height, std::int64_t atLeastWidth,
                                 std::int64_t atLeastHeight) {
    if (atLeastWidth <= 0 || atLeastHeight <= 0 || width <= 0 || height <= 0) return {width, height};
    const double scale = std::max(double(atLeastWidth) / double(width), double(atLeastHeight) / double(height));
    if (scale >= 1) return {width, height};
    const auto side = [&](std::int64_t full, std::int64_t least) {
        return std::clamp<std::int64_t>(std::llround(double(full) * scale), least, full);
    };
    return {side(width, atLeastWidth), side(height, atLeastHeight)};
}

}  // namespace kit
