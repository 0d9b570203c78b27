#pragma once
// Making one thumbnail through the kit: the page loaded (an embedded Exif thumbnail when
// it is large enough), then shrunk with IKResizeEx to the thumbnail size, 1-bit pages
// through grey area averaging.

#include "ik7kit.h"

#include <QString>

#include <cstdint>

// The loaded image of page `page` of path, or 0 when the kit cannot read it.
IKHANDLE LoadImageFile(const QString& path, std::int32_t page, std::int16_t imageSize);

// A new thumbnail of image with imageSize on the longer side; image is not freed. 0 when
// the image is not a raster image or the resize fails.
IKHANDLE ShrinkToThumbnail(IKHANDLE image, std::int16_t imageSize);

// Loads and shrinks; 0 on failure.
IKHANDLE MakeThumbnail(const QString& path, std::int32_t page, std::int16_t imageSize);
