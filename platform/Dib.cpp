#include "platform/Dib.h"

#include <cmath>
#include <limits>

namespace platform {

std::uint32_t dibNumColors(const BitmapInfoHeader& header) {
    std::uint32_t maximum = 0;
    switch (header.biBitCount) {
    case 1: maximum = 2; break;
    case 4: maximum = 16; break;
    case 8: maximum = 256; break;
    default: maximum = 0; break;
    }
    if (header.biClrUsed == 0) return maximum;
    if (maximum == 0) return header.biClrUsed <= 256 ? header.biClrUsed : 256;
    return header.biClrUsed < maximum ? header.biClrUsed : maximum;
}

std::uint32_t dibPaletteSize(const BitmapInfoHeader& header) {
    std::uint32_t bytes = dibNumColors(header) * sizeof(RgbQuad);
    if (header.biCompression == kBiBitFields && (header.biBitCount == 16 || header.biBitCount == 32))
        bytes += 3 * sizeof(std::uint32_t);
    return bytes;
}

std::uint32_t dibStride(std::int32_t width, std::uint16_t bitCount) {
    if (width <= 0 || bitCount == 0) return 0;
    const std::uint64_t bits = static_cast<std::uint64_t>(width) * bitCount;
    const std::uint64_t stride = ((bits + 31) / 32) * 4;
    return stride > std::numeric_limits<std::uint32_t>::max() ? 0 : static_cast<std::uint32_t>(stride);
}

std::uint32_t dibPixelOffset(const BitmapInfoHeader& header) { return header.biSize + dibPaletteSize(header); }

std::uint32_t dibImageBytes(const BitmapInfoHeader& header) {
    const std::int64_t rows = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    const std::uint64_t bytes = static_cast<std::uint64_t>(dibStride(header.biWidth, header.biBitCount)) * rows;
    return bytes > std::numeric_limits<std::uint32_t>::max() ? 0 : static_cast<std::uint32_t>(bytes);
}

std::uint64_t dibTotalSize(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                           std::uint32_t colours) {
    if (width <= 0 || height <= 0) return 0;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    return sizeof(BitmapInfoHeader) + static_cast<std::uint64_t>(colours) * sizeof(RgbQuad) +
           stride * static_cast<std::uint64_t>(height);
}

bool dibIsUsable(const BitmapInfoHeader& header, std::size_t blockBytes) {
    if (blockBytes < sizeof(BitmapInfoHeader) || header.biSize < sizeof(BitmapInfoHeader)) return false;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == std::numeric_limits<std::int32_t>::min())
        return false;
    switch (header.biBitCount) {
    case 1: case 4: case 8: case 24:
        if (header.biCompression != kBiRgb) return false;
        break;
    case 16: case 32:
        if (header.biCompression != kBiRgb && header.biCompression != kBiBitFields) return false;
        break;
    default:
        return false;
    }
    const std::uint32_t pixels = dibImageBytes(header);
    if (pixels == 0) return false;
    const std::uint64_t needed = static_cast<std::uint64_t>(header.biSize) + dibPaletteSize(header) + pixels;
    return needed <= blockBytes;
}

std::int32_t dpiToPelsPerMeter(double dpi) {
    if (!(dpi > 0)) return 0;
    const double ppm = std::round(dpi * 10000.0 / 254.0);
    return ppm > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                          : static_cast<std::int32_t>(ppm);
}

double pelsPerMeterToDpiF(std::int32_t pelsPerMeter) {
    return pelsPerMeter <= 0 ? 0.0 : pelsPerMeter * 254.0 / 10000.0;
}

std::int32_t pelsPerMeterToDpi(std::int32_t pelsPerMeter) {
    return static_cast<std::int32_t>(std::lround(pelsPerMeterToDpiF(pelsPerMeter)));
}

}  // namespace platform
