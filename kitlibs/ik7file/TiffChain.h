#pragma once
// The directory chain of an existing TIFF, as far as appending a page needs it: libtiff
// appends by writing the new page after the end of the file and then storing its offset
// in the last directory's next-directory field. Knowing where that field lies (and the
// file's length) lets a failed append be undone exactly.

#include <cstdint>
#include <optional>

namespace kit {

struct TiffAppendPoint {
    std::uint64_t fileLength = 0;
    std::uint64_t linkOffset = 0;  // the last directory's next-directory field
    std::uint32_t linkBytes = 0;   // 4 (classic) or 8 (BigTIFF)
};

// Walks the chain of directories; nothing for a file that is no well-formed TIFF.
std::optional<TiffAppendPoint> findAppendPoint(const char* path);

// Puts the file back as it was at `point`: cuts what was appended and clears the link.
bool undoAppend(const char* path, const TiffAppendPoint& point);

}  // namespace kit
