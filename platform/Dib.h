#pragma once
// The packed device-independent bitmap: a 40-byte information header, the colour table,
// then the pixel rows, bottom-up, each padded to a multiple of 4 bytes; little-endian.

#include <cstddef>
#include <cstdint>

namespace platform {

struct BitmapInfoHeader {
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight;  // positive: rows stored bottom-up
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct RgbQuad {
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
    std::uint8_t reserved;
};
static_assert(sizeof(RgbQuad) == 4);

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitFields = 3;

// Colour-table entries: 2, 16 or 256 for 1, 4 and 8 bits unless biClrUsed says fewer;
// none for 16, 24 and 32 bits (biClrUsed may still announce an optional table).
std::uint32_t dibNumColors(const BitmapInfoHeader& header);

// Bytes between the end of the header and the pixels: the colour table, plus the three
// 32-bit channel masks of a bit-field bitmap.
std::uint32_t dibPaletteSize(const BitmapInfoHeader& header);

// Bytes of one pixel row, padded to 4 bytes; 0 when it would not fit 32 bits.
std::uint32_t dibStride(std::int32_t width, std::uint16_t bitCount);

// Offset of the pixels from the start of the header.
std::uint32_t dibPixelOffset(const BitmapInfoHeader& header);

// Bytes of pixel data as the rows require (not biSizeImage); 0 when it does not fit 32 bits.
std::uint32_t dibImageBytes(const BitmapInfoHeader& header);

// Header + colour table + pixels, computed in 64 bits so that callers can refuse
// bitmaps whose size would not fit the header's 32-bit fields.
std::uint64_t dibTotalSize(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                           std::uint32_t colours);

// Whether a header describes a bitmap this kit can work on: sane size, a supported
// depth and compression, and a block of at least `blockBytes` holding all of it.
bool dibIsUsable(const BitmapInfoHeader& header, std::size_t blockBytes);

// Resolution is stored in pixels per metre; whole dpi 1 … 9999 round-trip exactly.
std::int32_t dpiToPelsPerMeter(double dpi);
double pelsPerMeterToDpiF(std::int32_t pelsPerMeter);
std::int32_t pelsPerMeterToDpi(std::int32_t pelsPerMeter);

}  // namespace platform
