#pragma once
// Quarter and half turns of images whose pixels are whole bytes (8, 16, 24 and 32 bits),
// walked in square tiles so that the rows read and the rows written both stay in cache.

#include "EffectDib.h"

namespace effect {

// quarters: counter-clockwise quarter turns, 1 … 3. dst is already shaped for the turn.
// False when the caller asked to stop.
bool turnWholeBytePixels(const DibView& src, const DibView& dst, int quarters, Progress& progress);

}  // namespace effect
