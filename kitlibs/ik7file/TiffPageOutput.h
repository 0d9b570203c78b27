#pragma once
// Writing one TIFF page into a file: a new file through a temporary copy renamed over the
// target, or appended to an existing TIFF in place with the append undone when anything
// fails. Saving an image and copying a stored page both write through here.

#include "Progress.h"
#include "ik7kit.h"

#include <cstdint>
#include <functional>

#include <tiffio.h>

namespace kit {

// Fills the current directory of an open file with one page (tags and data) without
// closing the directory; IK_OK, or the status of its failure.
using TiffPageWriter = std::function<std::uint16_t(TIFF*, Progress&)>;

// With `append` an existing file gets the page after its last page (a missing file is
// created); without it the file is replaced. On failure the status is set (a stop answer
// of `progress` makes it IK_ERR_CANCELLED) and an existing file stays as it was.
IKBOOL writeTiffPage(const char* path, bool append, const TiffPageWriter& writer, Progress& progress);

}  // namespace kit
