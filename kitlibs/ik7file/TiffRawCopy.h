#pragma once
// Saving a loaded TIFF page that is still exactly as it was loaded, in the compression it
// already has, by copying its compressed strips or tiles with its tags: no second encoding,
// and no loss for JPEG pages.

#include "Progress.h"
#include "TiffHandle.h"
#include "ik7kit.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kit {

// Remembers the page current in `tif` (of the file at `path`) as the origin of `image`.
// Only pages in a compression the writer offers are remembered; never fails.
void rememberTiffPage(TIFF* tif, const char* path, int page, IKHANDLE image) noexcept;

// The page the encoder would write: anything else is encoded, not copied. A copied page
// keeps its own strips or tiles; the choice of one strip applies to encoded pages.
struct PageShape {
    std::uint16_t compression = COMPRESSION_NONE;
    bool group3TwoD = false;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t bitsPerSample = 1, samples = 1;
    bool alpha = false;
};

class RawTiffPage {
public:
    // The remembered source page of `image`, read and checked, when the image is unchanged,
    // its file is the same and unchanged, and the page has `shape`; null otherwise.
    static std::unique_ptr<RawTiffPage> prepare(IKHANDLE image, const PageShape& shape);

    // Sets the page's tags (with `comment` as its description) and writes its data into
    // the current directory of `out`; false on a write failure or a stop answer.
    bool write(TIFF* out, const char* comment, Progress& progress) const;

private:
    TiffPtr source_;
    bool tiled_ = false;
    std::vector<std::uint8_t> data_;   // every strip or tile, back to back
    std::vector<std::size_t> ends_;    // where each one ends in data_
};

}  // namespace kit
