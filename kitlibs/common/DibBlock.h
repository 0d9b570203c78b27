#pragma once
// Access to an image handle's packed bitmap while its block is locked.

#include "Pixels.h"
#include "ik7kit.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <cstdint>
#include <span>

namespace kit {

class DibView {
public:
    explicit DibView(IKHANDLE image) : lock_(image) {
        if (lock_ && platform::dibIsUsable(*lock_.as<platform::BitmapInfoHeader>(), lock_.size())) usable_ = true;
    }

    // The handle names a live block (not necessarily a bitmap).
    bool live() const { return static_cast<bool>(lock_); }
    // The block holds a bitmap this kit handles.
    bool usable() const { return usable_; }
    // The status that explains why the view is not usable.
    std::uint16_t failureStatus() const { return live() ? IK_ERR_FORMAT : IK_ERR_HANDLE; }

    platform::BitmapInfoHeader& header() const { return *lock_.as<platform::BitmapInfoHeader>(); }
    std::uint8_t* base() const { return lock_.as<std::uint8_t>(); }
    platform::RgbQuad* colours() const {
        return reinterpret_cast<platform::RgbQuad*>(base() + header().biSize);
    }
    std::uint32_t colourCount() const { return platform::dibNumColors(header()); }
    std::span<platform::RgbQuad> colourTable() const { return {colours(), colourCount()}; }
    std::uint8_t* pixels() const { return base() + platform::dibPixelOffset(header()); }
    std::uint32_t stride() const { return platform::dibStride(header().biWidth, header().biBitCount); }
    std::int32_t width() const { return header().biWidth; }
    std::int32_t height() const { return header().biHeight < 0 ? -header().biHeight : header().biHeight; }
    // The pixel rows, and row y counted from the top of the picture (0 <= y < height).
    PixelRows rows() const { return PixelRows(pixels(), stride(), height(), header().biHeight > 0); }
    std::uint8_t* row(std::int32_t y) const { return rows().row(y); }
    std::size_t blockSize() const { return lock_.size(); }

private:
    platform::GlobalLock lock_;
    bool usable_ = false;
};

// Allocates a bottom-up bitmap with a colour table of `colours` entries, header filled in,
// pixels left as they come (or zeroed). 0 with a status when it cannot be made.
IKHANDLE allocateDib(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t colours,
                     bool zeroed);

// An 8-bit bitmap with the 256-entry grey colour table, pixels as allocateDib leaves them.
IKHANDLE allocateGreyDib(std::int32_t width, std::int32_t height, bool zeroed);

}  // namespace kit
