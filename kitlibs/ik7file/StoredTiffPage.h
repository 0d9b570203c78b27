#pragma once
// One page of a TIFF as it is stored: its tags and its compressed strips or tiles, all
// taken from one open descriptor, written unchanged into another TIFF. Nothing is decoded
// or encoded again, so a JPEG page loses nothing and a fax page keeps its exact bits.

#include "Progress.h"
#include "TiffHandle.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kit {

class StoredTiffPage {
public:
    // Opens the file at `path` once and checks its page `page` (0-based). Null with the
    // status set: IK_ERR_ARGUMENT (no path, no such page), IK_ERR_FILE_OPEN (no such file),
    // IK_ERR_FILE_READ (no TIFF, or the page's directory or data are damaged),
    // IK_ERR_FORMAT (a compression the writer does not offer, or a layout that cannot be
    // copied as it is stored: the page is to be decoded and encoded instead).
    static std::unique_ptr<StoredTiffPage> open(const char* path, int page);

    // Sets the page's tags, with `comment` (when not empty; its own when null) as its description, in the
    // current directory of `out` and writes every strip or tile as stored. IK_OK, or the
    // status of the failure (a tag the copy refuses is IK_ERR_FORMAT, a stop answer
    // IK_ERR_CANCELLED).
    std::uint16_t write(TIFF* out, const char* comment, Progress& progress) const;

private:
    StoredTiffPage() = default;

    TiffPtr source_;
    bool tiled_ = false;
    std::uint32_t chunks_ = 0;        // strips or tiles
    std::size_t largestChunk_ = 0;    // bytes of the largest one
};

}  // namespace kit
