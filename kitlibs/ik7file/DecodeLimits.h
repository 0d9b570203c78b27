#pragma once
// The sanity check every decoder makes on a header before it allocates the image: the
// bitmap must fit the header's 32-bit size fields, and a small file may not claim a
// picture far larger than any compression could produce from it.

#include <cstdint>

namespace kit {

// Whether a width × height picture of `bits` per pixel may be decoded from a file of
// `fileBytes` bytes whose coding packs at most `maxRatio` output bytes into one input byte.
bool plausibleImage(std::int64_t width, std::int64_t height, int bits, std::uint64_t fileBytes,
                    std::uint64_t maxRatio);

// Size of the file at `path`, or -1 when it cannot be read.
std::int64_t fileSizeOf(const char* path);

}  // namespace kit
