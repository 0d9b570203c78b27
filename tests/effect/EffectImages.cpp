#include "EffectImages.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include "Ikdllprocs.h"

#include <cstring>
#include <random>

namespace effecttest {
namespace {

struct Locked {
    explicit Locked(IKHANDLE image) : lock(image), h(*lock.as<platform::BitmapInfoHeader>()) {}
    platform::GlobalLock lock;
    platform::BitmapInfoHeader& h;
    std::uint8_t* table() const { return lock.as<std::uint8_t>() + h.biSize; }
    std::uint8_t* row(std::int32_t y) const {
        const std::uint32_t stride = ((h.biWidth * h.biBitCount + 31) / 32) * 4;
        const std::int32_t stored = h.biHeight > 0 ? h.biHeight - 1 - y : y;
        return lock.as<std::uint8_t>() + platform::dibPixelOffset(h) + static_cast<std::size_t>(stored) * stride;
    }
};

}  // namespace

IKHANDLE randomImage(std::int32_t width, std::int32_t height, int bits, unsigned seed) {
    std::mt19937 random(seed);
    if (bits == 16) {
        const IKHANDLE colour = randomImage(width, height, 24, seed);
        const IKHANDLE image = Ikdllprocs::IkConvertColor(colour, 16, IK_FALSE, IK_FALSE, 0, nullptr, "", "", "");
        Ikdllprocs::IkFreeMemory(colour);
        return image;
    }
    const IKHANDLE image = Ikdllprocs::IkCreateImage(width, height, static_cast<std::uint16_t>(bits), 0, 0, 0, 0, 0, 0, 0);
    if (!image) return 0;
    Locked dib(image);
    if (bits <= 8)
        for (std::uint32_t i = 0; i < (1u << bits); ++i)
            for (int k = 0; k < 3; ++k) dib.table()[4 * i + k] = static_cast<std::uint8_t>(random());
    const std::size_t used = (static_cast<std::size_t>(width) * bits + 7) / 8;
    const int restBits = static_cast<int>((static_cast<std::size_t>(width) * bits) % 8);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = dib.row(y);
        for (std::size_t i = 0; i < used; ++i) row[i] = static_cast<std::uint8_t>(random());
        if (restBits) row[used - 1] &= static_cast<std::uint8_t>(0xFF00u >> restBits);
        if (bits == 32)
            for (std::int32_t x = 0; x < width; ++x) row[4 * x + 3] = 0;
    }
    return image;
}

std::vector<std::uint8_t> bytesOf(IKHANDLE image) {
    platform::GlobalLock lock(image);
    if (!lock) return {};
    const auto* p = lock.as<std::uint8_t>();
    return std::vector<std::uint8_t>(p, p + lock.size());
}

Facts factsOf(IKHANDLE image) {
    Locked dib(image);
    return Facts{dib.h.biWidth, dib.h.biHeight < 0 ? -dib.h.biHeight : dib.h.biHeight, dib.h.biBitCount};
}

std::uint32_t valueAt(IKHANDLE image, std::int32_t x, std::int32_t y) {
    Locked dib(image);
    const std::uint8_t* row = dib.row(y);
    const int bits = dib.h.biBitCount;
    const std::size_t bit = static_cast<std::size_t>(x) * bits;
    if (bits < 8) return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    std::uint32_t v = 0;
    for (int k = 0; k < bits / 8; ++k) v |= static_cast<std::uint32_t>(row[bit / 8 + k]) << (8 * k);
    return v;
}

std::uint32_t colourAt(IKHANDLE image, std::int32_t x, std::int32_t y) {
    const std::uint32_t v = valueAt(image, x, y);
    Locked dib(image);
    const int bits = dib.h.biBitCount;
    if (bits <= 8) {
        const std::uint8_t* c = dib.table() + 4 * v;
        return (c[2] << 16) | (c[1] << 8) | c[0];
    }
    if (bits == 16) {
        auto level = [](std::uint32_t five) { return (five * 255 + 15) / 31; };
        return (level((v >> 10) & 31) << 16) | (level((v >> 5) & 31) << 8) | level(v & 31);
    }
    return v & 0xFFFFFF;
}

void setValueAt(IKHANDLE image, std::int32_t x, std::int32_t y, std::uint32_t value) {
    Locked dib(image);
    std::uint8_t* row = dib.row(y);
    const int bits = dib.h.biBitCount;
    const std::size_t bit = static_cast<std::size_t>(x) * bits;
    if (bits < 8) {
        const int shift = static_cast<int>(8 - bits - bit % 8);
        const auto mask = static_cast<std::uint8_t>(((1u << bits) - 1) << shift);
        row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~mask) | ((value << shift) & mask));
        return;
    }
    for (int k = 0; k < bits / 8; ++k) row[bit / 8 + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

}  // namespace effecttest
