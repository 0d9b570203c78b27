#pragma once
// Turning by any angle: the result is the bounding box of the turned image, the area the
// image no longer covers takes the background colour.

#include "EffectDib.h"

namespace effect {

// angle in hundredths of a degree, counter-clockwise. 24- and 32-bit images are sampled
// bilinearly, the other depths at the nearest pixel (palette images keep their table and
// take the entry nearest the background). `background` is 0x00RRGGBB.
IKHANDLE turnFree(const DibView& source, std::int32_t angle, std::uint32_t background, Progress& progress);

}  // namespace effect
