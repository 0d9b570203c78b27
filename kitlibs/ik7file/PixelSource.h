#pragma once
// A bitmap as the encoders read it: its indices and colour table when it has one, and
// any row as RGB or RGBA bytes whatever the depth (16-bit and bit-field rows included).

#include "Colour.h"
#include "DibBlock.h"
#include "Pixels.h"

#include <cstdint>
#include <vector>

namespace kit {

class PixelSource {
public:
    explicit PixelSource(IKHANDLE image);

    // False (with `failureStatus`) when the handle is no bitmap of this kit.
    bool usable() const { return usable_; }
    std::uint16_t failureStatus() const { return dib_.failureStatus(); }

    std::int32_t width() const { return dib_.width(); }
    std::int32_t height() const { return dib_.height(); }
    int bits() const { return dib_.header().biBitCount; }
    bool indexed() const { return bits() <= 8; }
    // Entries of the colour table (indexed bitmaps only).
    const std::vector<platform::RgbQuad>& table() const { return table_; }
    // Every table entry is grey.
    bool greyTable() const;
    // Entry i is the grey i for every entry (an 8-bit grey ramp, possibly short).
    bool identityGreyTable() const;
    // A 32-bit bitmap whose fourth byte carries alpha (not all 0 and not all 255).
    bool hasAlpha() const { return alpha_; }
    std::int32_t xdpi() const { return platform::pelsPerMeterToDpi(dib_.header().biXPelsPerMeter); }
    std::int32_t ydpi() const { return platform::pelsPerMeterToDpi(dib_.header().biYPelsPerMeter); }

    // Row y from the top as stored (indices of an indexed bitmap).
    const std::uint8_t* row(std::int32_t y) const { return dib_.row(y); }
    // Row y as R, G, B bytes, or R, G, B, A bytes (alpha 255 without an alpha channel).
    void rgbRow(std::int32_t y, std::uint8_t* out) const;
    void rgbaRow(std::int32_t y, std::uint8_t* out) const;

private:
    DibView dib_;
    bool usable_ = false;
    bool alpha_ = false;
    std::vector<platform::RgbQuad> table_;
    bool masked_ = false;  // 16-bit and bit-field bitmaps: read through their channel masks
    ChannelMasks masks_;
};

}  // namespace kit
