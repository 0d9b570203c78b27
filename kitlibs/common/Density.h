#pragma once
// JFIF pixel density: a unit (0 gives only the aspect ratio, 1 dots per inch, 2 dots per
// centimetre) and a 16-bit density each way. Bitmaps keep resolution in pixels per metre.

#include "platform/Dib.h"

#include <algorithm>
#include <cstdint>

namespace kit {

inline constexpr std::uint8_t kJfifAspectOnly = 0;
inline constexpr std::uint8_t kJfifDotsPerInch = 1;
inline constexpr std::uint8_t kJfifDotsPerCentimetre = 2;

// Pixels per metre of one density; 0 when the unit or the density gives no resolution.
inline std::int32_t jfifDensityToPelsPerMeter(int unit, std::uint16_t density) {
    if (density == 0) return 0;
    if (unit == kJfifDotsPerInch) return platform::dpiToPelsPerMeter(density);
    if (unit == kJfifDotsPerCentimetre) return static_cast<std::int32_t>(density) * 100;
    return 0;
}

// Whole dots per inch of one density; 0 when the unit gives no resolution.
inline std::int32_t jfifDensityToDpi(int unit, std::uint16_t density) {
    if (unit == kJfifDotsPerInch) return density;
    if (unit == kJfifDotsPerCentimetre) return static_cast<std::int32_t>(density * 2.54 + 0.5);
    return 0;
}

struct JfifDensity {
    std::uint8_t unit = kJfifAspectOnly;
    std::uint16_t x = 1, y = 1;
};

// The density an encoder writes for a resolution: dots per inch (at most 65535) when both
// directions are known, else square pixels without a unit.
inline JfifDensity jfifDensityForDpi(std::int32_t xdpi, std::int32_t ydpi) {
    if (xdpi <= 0 || ydpi <= 0) return {};
    return {kJfifDotsPerInch, static_cast<std::uint16_t>(std::min(xdpi, 65535)),
            static_cast<std::uint16_t>(std::min(ydpi, 65535))};
}

}  // namespace kit
