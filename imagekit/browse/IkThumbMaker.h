#pragma once
// Making one thumbnail through the kit: the page loaded (an embedded Exif thumbnail when
// it is large enough, else the page decoded no smaller than the thumbnail), then shrunk
// with IKResizeEx to the thumbnail size, 1-bit pages through grey area averaging.

#include "browse/IkThumbSize.h"
#include "ik7kit.h"

#include <QString>

#include <cstdint>

// A loaded page and the size of its thumbnail, taken from the page's own size when the
// kit decoded it smaller (0 × 0: from the image's size).
struct LoadedThumbPage {
    IKHANDLE image = 0;
    IkThumbSize thumbSize;
};

// The loaded image of page `page` of path, or a 0 image when the kit cannot read it.
LoadedThumbPage LoadImageFile(const QString& path, std::int32_t page, std::int16_t imageSize);

// A new thumbnail of image with imageSize on the longer side, or of size `size` when it is
// given; image is not freed. 0 when the image is not a raster image or the resize fails.
IKHANDLE ShrinkToThumbnail(IKHANDLE image, std::int16_t imageSize, IkThumbSize size = {});

// Loads and shrinks; 0 on failure. Safe to call from several threads at once.
IKHANDLE MakeThumbnail(const QString& path, std::int32_t page, std::int16_t imageSize);
