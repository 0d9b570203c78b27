#pragma once
// Lossless turns by a multiple of 90 degrees for every depth, packed 1- and 4-bit rows
// included. The colour table and channel masks are kept; the resolution is swapped on
// 90- and 270-degree turns.

#include "EffectDib.h"

namespace effect {

// quarters: counter-clockwise quarter turns, 0 … 3. A new image, or 0 with a status.
IKHANDLE turnQuarters(const DibView& source, int quarters, Progress& progress);

}  // namespace effect
