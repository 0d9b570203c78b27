#pragma once
// Turning a decoded bitmap from the orientation stored in a file (TIFF and EXIF values
// 1 to 8) to the upright picture.

#include "ik7kit.h"

namespace kit {

// Values 2 to 4 flip the image in place; 5 to 8 swap rows and columns and return a new
// image (freeing `image`). Returns 0 with a status when the new image cannot be made.
IKHANDLE applyOrientation(IKHANDLE image, int orientation);

}  // namespace kit
