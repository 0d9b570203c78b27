#include "FileBytes.h"

#include "DecodeLimits.h"
#include "KitCall.h"

#include <cstdio>

namespace kit {

std::optional<std::vector<std::uint8_t>> readFileBytes(const char* path) {
    const std::int64_t size = fileSizeOf(path);
    if (size < 0) return fail<std::optional<std::vector<std::uint8_t>>>(IK_ERR_FILE_OPEN, std::nullopt);
    if (size > std::int64_t(0xFFFFFFFFu)) return fail<std::optional<std::vector<std::uint8_t>>>(IK_ERR_FILE_READ, std::nullopt);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return fail<std::optional<std::vector<std::uint8_t>>>(IK_ERR_FILE_OPEN, std::nullopt);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size()) return fail<std::optional<std::vector<std::uint8_t>>>(IK_ERR_FILE_READ, std::nullopt);
    return bytes;
}

}  // namespace kit
