#pragma once
// A compound document's structure checked before libgsf reads it: libgsf follows the
// directory tree recursively and trusts the header's sizes, so a directory whose links
// loop, share entries or run very deep, or a header with unusual block sizes, is refused
// here instead of costing libgsf stack, memory or leaked entries.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kit {

// Directory entries a FlashPix file may hold (an image with its levels needs about 20).
inline constexpr std::size_t kMostCompoundEntries = 4096;

// True when the header is well formed (512- or 4096-byte sectors, 64-byte mini sectors,
// a 4096-byte mini-stream cut-off), the directory's sector chain stays inside the file
// without a loop, and its tree from the root reaches every entry at most once through
// valid links, with at most kMostCompoundEntries entries, no stream larger than the file.
bool compoundStructureSound(std::span<const std::uint8_t> bytes);

}  // namespace kit
