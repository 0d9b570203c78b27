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
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(dib.height()));
    const std::uint32_t stride = dib.stride();
    std::uint8_t* pixels = dib.pixels();
    const bool bottomUp = dib.header().biHeight > 0;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const std::size_t stored = bottomUp ? rows.size() - 1 - y : y;
        rows[y] = pixels + stored * stride;
    }
    return rows;
}

namespace {

void channel(std::uint32_t mask, int& shift, int& width) {
    shift = width = 0;
    if (!mask) return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++width;
    }
}

}  // namespace

RowReader::RowReader(const DibView& dib) : dib_(dib), bits_(dib.header().biBitCount) {
    const platform::BitmapInfoHeader& h = dib.header();
    if (bits_ <= 8) {
        table_.assign(1u << bits_, 0xFF000000u);
        const platform::RgbQuad* colours = dib.colours();
        for (std::uint32_t i = 0; i < dib.colourCount() && i < table_.size(); ++i)
            table_[i] = 0xFF000000u | (colours[i].red << 16) | (colours[i].green << 8) | colours[i].blue;
        return;
    }
    if (h.biCompression == platform::kBiBitFields) {
        std::memcpy(masks_, dib.base() + h.biSize, sizeof(masks_));
        masked_ = true;
    } else if (bits_ == 16) {
        masks_[0] = 0x7C00;
        masks_[1] = 0x03E0;
        masks_[2] = 0x001F;
        masked_ = true;
    }
    for (int c = 0; c < 3; ++c) channel(masks_[c], shifts_[c], widths_[c]);
    alpha_ = bits_ == 32 && !masked_;
}

std::uint32_t RowReader::colourOf(std::uint32_t value) const {
    if (bits_ <= 8) return table_[value & (table_.size() - 1)];
    if (masked_) {
        std::uint32_t rgb = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            if (!widths_[c]) continue;
            const std::uint64_t max = (widths_[c] >= 32) ? 0xFFFFFFFFull : ((1ull << widths_[c]) - 1);
            const std::uint64_t v = (value & masks_[c]) >> shifts_[c];
            rgb |= static_cast<std::uint32_t>((v * 255 + max / 2) / max) << (16 - 8 * c);
        }
        return rgb;
    }
    if (bits_ == 24) return 0xFF000000u | value;
    return value;
}

void RowReader::read(std::int32_t y, std::uint8_t* bgra) const {
    const std::uint8_t* row = dib_.row(y);
    const std::int32_t width = dib_.width();
    if (bits_ == 24) {
        for (std::int32_t x = 0; x < width; ++x, bgra += 4, row += 3) {
            const std::uint32_t pixel = 0xFF000000u | (row[2] << 16) | (row[1] << 8) | row[0];
            std::memcpy(bgra, &pixel, 4);
        }
        return;
    }
    if (bits_ == 32 && !masked_) {
        std::memcpy(bgra, row, static_cast<std::size_t>(width) * 4);
        return;
    }
    for (std::int32_t x = 0; x < width; ++x, bgra += 4) {
        const std::uint32_t c = colourOf(getPixel(row, x, bits_));
        std::memcpy(bgra, &c, 4);
    }
}

bool Progress::step(std::int64_t done, std::int64_t total) {
    if (!proc_ || total <= 0) return true;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == last_) return true;
    last_ = percent;
    return proc_(percent) != 0;
}

}  // namespace effect
