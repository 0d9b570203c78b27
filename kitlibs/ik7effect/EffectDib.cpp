#include "EffectDib.h"

#include "KitCall.h"

#include <cstring>

namespace effect {

IKHANDLE allocateLike(const DibView& source, std::int32_t width, std::int32_t height) {
    const platform::BitmapInfoHeader& from = source.header();
    if (width <= 0 || height <= 0) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
    const std::uint32_t tableBytes = platform::dibPaletteSize(from);
    const std::uint64_t stride = platform::dibStride(width, from.biBitCount);
    const std::uint64_t total = sizeof(platform::BitmapInfoHeader) + tableBytes + stride * static_cast<std::uint64_t>(height);
    if (stride == 0 || total > platform::kGlobalMaxBytes) return kit::fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    const IKHANDLE image = platform::globalAlloc(static_cast<std::size_t>(total), true);
    if (!image) return kit::fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    platform::GlobalLock lock(image);
    platform::BitmapInfoHeader header = from;
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biSizeImage = static_cast<std::uint32_t>(stride * static_cast<std::uint64_t>(height));
    std::memcpy(lock.data(), &header, sizeof(header));
    std::memcpy(lock.as<std::uint8_t>() + sizeof(header), source.base() + from.biSize, tableBytes);
    return image;
}

IKHANDLE allocateGrey(std::int32_t width, std::int32_t height) { return kit::allocateGreyDib(width, height, true); }

void copyResolution(const DibView& from, const DibView& to, bool swapped) {
    to.header().biXPelsPerMeter = swapped ? from.header().biYPelsPerMeter : from.header().biXPelsPerMeter;
    to.header().biYPelsPerMeter = swapped ? from.header().biXPelsPerMeter : from.header().biYPelsPerMeter;
}

std::vector<std::uint8_t*> rowsOf(const DibView& dib) {
    const kit::PixelRows pixels = dib.rows();
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(dib.height()));
    for (std::int32_t y = 0; y < dib.height(); ++y) rows[static_cast<std::size_t>(y)] = pixels.row(y);
    return rows;
}

RowReader::RowReader(const DibView& dib) : dib_(dib), bits_(dib.header().biBitCount) {
    const platform::BitmapInfoHeader& h = dib.header();
    if (bits_ <= 8) {
        table_.assign(1u << bits_, 0xFF000000u);
        const platform::RgbQuad* colours = dib.colours();
        for (std::uint32_t i = 0; i < dib.colourCount() && i < table_.size(); ++i)
            table_[i] = 0xFF000000u | kit::rgbOf(colours[i]);
        return;
    }
    masked_ = kit::usesChannelMasks(h);
    if (masked_) masks_ = kit::channelMasksOf(h, dib.base() + h.biSize);
    alpha_ = bits_ == 32 && !masked_;
}

std::uint32_t RowReader::colourOf(std::uint32_t value) const {
    if (bits_ <= 8) return table_[value & (table_.size() - 1)];
    if (masked_) return masks_.colourOf(value);
    if (bits_ == 24) return 0xFF000000u | value;
    return value;
}

void RowReader::read(std::int32_t y, std::uint8_t* bgra) const {
    const std::uint8_t* row = dib_.row(y);
    const std::int32_t width = dib_.width();
    if (bits_ == 24) {
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, bgra += 4) {
            const std::uint32_t pixel = 0xFF000000u | kit::pixelAt<24>(row, x);
            std::memcpy(bgra, &pixel, 4);
        }
        return;
    }
    if (bits_ == 32 && !masked_) {
        std::memcpy(bgra, row, static_cast<std::size_t>(width) * 4);
        return;
    }
    for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, bgra += 4) {
        const std::uint32_t c = colourOf(pixelAt(row, x, bits_));
        std::memcpy(bgra, &c, 4);
    }
}

}  // namespace effect
