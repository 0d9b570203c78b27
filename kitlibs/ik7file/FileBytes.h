#pragma once
// Reading a whole (compressed) file into memory for the decoders that work on bytes.

#include <cstdint>
#include <optional>
#include <vector>

namespace kit {

// The file's bytes; nothing (with IK_ERR_FILE_OPEN or IK_ERR_FILE_READ) when it cannot be
// read or is larger than the kit handles (4 GiB).
std::optional<std::vector<std::uint8_t>> readFileBytes(const char* path);

}  // namespace kit
