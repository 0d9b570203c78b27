#include "DecodeLimits.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <sys/stat.h>

namespace kit {
namespace {

// Pictures up to this size are always allowed, whatever the file's size.
constexpr std::uint64_t kAlwaysAllowedBytes = 64u << 20;

}  // namespace

bool plausibleImage(std::int64_t width, std::int64_t height, int bits, std::uint64_t fileBytes,
                    std::uint64_t maxRatio) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    const std::uint64_t bytes = stride * static_cast<std::uint64_t>(height);
    if (bytes / stride != static_cast<std::uint64_t>(height)) return false;
    if (bytes + 40 + 1024 > platform::kGlobalMaxBytes) return false;
    if (bytes <= kAlwaysAllowedBytes) return true;
    return fileBytes > 0 && bytes / fileBytes <= maxRatio;
}

std::int64_t fileSizeOf(const char* path) {
    struct stat info {};
    if (!path || ::stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return info.st_size;
}

}  // namespace kit
