#pragma once
// Pages of a TIFF as they are stored: their tags and their compressed strips or tiles, all
// taken from one open descriptor, written unchanged into another TIFF. Nothing is decoded
// or encoded again, so a JPEG page loses nothing and a fax page keeps its exact bits.

#include "Progress.h"
#include "TiffHandle.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kit {

// A TIFF opened once for copying pages out of it. Each page is checked when it is made
// current; stepping to the following page reads one directory, so copying every page of
// a long file does not walk its page chain again for each page.
class StoredTiffSource {
public:
    // Null with the status set: IK_ERR_ARGUMENT (no path), IK_ERR_FILE_OPEN (no such
    // file), IK_ERR_FILE_READ (no TIFF).
    static std::unique_ptr<StoredTiffSource> open(const char* path);

    // Makes page `page` (0-based) current and checks it. IK_OK, or IK_ERR_ARGUMENT (no such
    // page), IK_ERR_FILE_READ (the page's directory or data are damaged), IK_ERR_FORMAT (a
    // compression the writer does not offer, or a layout that cannot be copied as it is
    // stored: the page is to be decoded and encoded instead).
    std::uint16_t select(int page);

    // Sets the current page's tags, with `comment` (when not empty; its own when null) as
    // its description, in the current directory of `out` and writes every strip or tile as
    // stored. IK_OK, or the status of the failure (a tag the copy refuses is
    // IK_ERR_FORMAT, a stop answer IK_ERR_CANCELLED).
    std::uint16_t write(TIFF* out, const char* comment, Progress& progress);

private:
    StoredTiffSource() = default;

    TiffPtr tif_;
    int current_ = -1;                // the page made current, -1 before the first
    bool tiled_ = false;
    std::uint32_t chunks_ = 0;        // strips or tiles
    std::vector<std::uint8_t> buffer_;  // as large as the largest chunk met so far
};

}  // namespace kit
