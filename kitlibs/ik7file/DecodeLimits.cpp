#include "DecodeLimits.h"

#include "platform/GlobalMemory.h"

#include <sys/stat.h>

namespace kit {

std::uint64_t bitmapPixelBytes(std::int64_t width, std::int64_t height, int bits) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX || bits <= 0 || bits > 65536) return 0;
    // width × bits stays below 2^47; the product with the height is checked.
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bits) + 31) / 32) * 4;
    if (stride > UINT64_MAX / static_cast<std::uint64_t>(height)) return 0;
    return stride * static_cast<std::uint64_t>(height);
}

bool pageWithinBudget(std::int64_t width, std::int64_t height, int bits) {
    const std::uint64_t bytes = bitmapPixelBytes(width, height, bits);
    if (bytes == 0) return false;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMostPagePixels) return false;
    return bytes <= kMostBitmapBytes && bytes + 40 + 1024 <= platform::kGlobalMaxBytes;
}

bool plausibleImage(std::int64_t width, std::int64_t height, int bits, std::uint64_t fileBytes,
                    std::uint64_t maxRatio) {
    if (!pageWithinBudget(width, height, bits)) return false;
    const std::uint64_t bytes = bitmapPixelBytes(width, height, bits);
    if (bytes <= kAlwaysAllowedBytes) return true;
    return fileBytes > 0 && bytes / fileBytes <= maxRatio;
}

std::int64_t fileSizeOf(const char* path) {
    struct stat info {};
    if (!path || ::stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return info.st_size;
}

}  // namespace kit
