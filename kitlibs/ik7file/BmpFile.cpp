// BMP files: facts, loading (1 to 32 bits, run-length, top-down rows, bit fields) and
// saving (plain, or run-length for 4- and 8-bit images).
#include "AtomicOutput.h"
#include "ByteReader.h"
#include "Codecs.h"
#include "DecodeLimits.h"
#include "DibBlock.h"
#include "FileBytes.h"
#include "FormatDetect.h"
#include "KitCall.h"
#include "PixelSource.h"
#include "Pixels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

namespace kit {
namespace {

constexpr std::uint32_t kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct BmpHeader {
    std::uint32_t pixelOffset = 0, headerSize = 0, compression = 0, coloursUsed = 0;
    std::int32_t width = 0, height = 0, xppm = 0, yppm = 0;
    std::uint16_t bits = 0;
    bool topDown = false;
    std::uint32_t masks[4] = {};
    std::uint32_t tableOffset = 0, tableEntryBytes = 4, tableEntries = 0;
};

bool parseHeader(const std::vector<std::uint8_t>& file, BmpHeader& h) {
    const ByteReader in(file.data(), file.size());
    if (file.size() < 26 || file[0] != 'B' || file[1] != 'M') return false;
    h.pixelOffset = in.u32(10);
    h.headerSize = in.u32(14);
    if (h.headerSize == 12) {
        h.width = in.u16(18);
        h.height = static_cast<std::int16_t>(in.u16(20));
        h.bits = in.u16(24);
        h.tableEntryBytes = 3;
    } else if (h.headerSize >= 40 && h.headerSize <= 124 && file.size() >= 14 + std::size_t(h.headerSize)) {
        h.width = static_cast<std::int32_t>(in.u32(18));
        h.height = static_cast<std::int32_t>(in.u32(22));
        h.bits = in.u16(28);
        h.compression = in.u32(30);
        h.xppm = static_cast<std::int32_t>(in.u32(38));
        h.yppm = static_cast<std::int32_t>(in.u32(42));
        h.coloursUsed = in.u32(46);
    } else {
        return false;
    }
    if (h.height < 0) {
        if (h.height == INT32_MIN) return false;
        h.topDown = true;
        h.height = -h.height;
    }
    if (h.width <= 0 || h.height <= 0) return false;
    const bool known = (h.bits == 1 || h.bits == 4 || h.bits == 8) ? h.compression == 0 ||
                                                                       (h.compression == kRle8 && h.bits == 8) ||
                                                                       (h.compression == kRle4 && h.bits == 4)
                       : (h.bits == 16 || h.bits == 32) ? h.compression == 0 || h.compression == kBitFields ||
                                                                h.compression == kAlphaBitFields
                       : h.bits == 24 ? h.compression == 0 : false;
    if (!known || (h.topDown && (h.compression == kRle8 || h.compression == kRle4))) return false;
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        // Masks follow a 40-byte header, or lie inside a larger one.
        const int count = h.compression == kAlphaBitFields || h.headerSize >= 56 ? 4 : 3;
        for (int i = 0; i < count; ++i) h.masks[i] = in.u32(54 + 4 * i);
        if (!in.has(54, 4 * count)) return false;
    } else if (h.bits == 16) {
        std::copy(std::begin(kMasks555), std::end(kMasks555), h.masks);
    } else if (h.bits == 32) {
        std::copy(std::begin(kMasks888), std::end(kMasks888), h.masks);
    }
    h.tableOffset = 14 + h.headerSize + (h.headerSize == 40 && h.compression == kBitFields ? 12
                                          : h.headerSize == 40 && h.compression == kAlphaBitFields ? 16 : 0);
    if (h.bits <= 8) {
        const std::uint32_t most = 1u << h.bits;
        h.tableEntries = h.coloursUsed == 0 || h.coloursUsed > most ? most : h.coloursUsed;
        // A short file may hold fewer entries than promised; the rest read as black.
        if (!in.has(h.tableOffset, 0)) return false;
    }
    return h.pixelOffset < file.size();
}

int outputBits(const BmpHeader& h) {
    if (h.bits <= 8) return h.bits;
    if (h.bits == 32 && h.compression == 0) return 32;
    if (h.masks[3] != 0 && h.bits == 32) return 32;
    return 24;
}

enum class RleOutcome { Complete, Corrupt, Cancelled };

// Run-length data (RLE8 or RLE4) into the bitmap's indices. The column never passes the
// row's end (pixels beyond it are dropped) and the row never passes the bitmap's; a delta
// that leaves the bitmap is corrupt, and so is data that ends before the last row is full.
// An end of bitmap leaves the remaining pixels at index 0.
RleOutcome decodeRle(const ByteReader& in, std::size_t at, const BmpHeader& h, const DibView& dib,
                     Progress& progress) {
    const std::size_t width = static_cast<std::size_t>(h.width), height = static_cast<std::size_t>(h.height);
    const bool four = h.bits == 4;
    std::size_t x = 0, y = 0;  // y counts stored rows, bottom first
    // Writes `count` pixels at x, `pixel(i)` giving the i-th; only those inside the row.
    auto writeRun = [&](std::size_t count, auto pixel) {
        std::uint8_t* row = dib.row(static_cast<std::int32_t>(height - 1 - y));
        const std::size_t kept = std::min(count, width - x);
        for (std::size_t i = 0; i < kept; ++i, ++x) {
            if (four) setPixel<4>(row, x, pixel(i));
            else setPixel<8>(row, x, pixel(i));
        }
    };
    while (y < height) {
        if (!in.has(at, 2)) {
            const bool lastRowFull = y + 1 == height && x == width;
            return lastRowFull ? RleOutcome::Complete : RleOutcome::Corrupt;
        }
        const std::uint8_t count = in.u8(at), value = in.u8(at + 1);
        at += 2;
        if (count > 0) {  // a run of one value (RLE4: two alternating nibbles)
            writeRun(count, [&](std::size_t i) { return four ? std::uint8_t((i & 1) ? value & 0x0F : value >> 4) : value; });
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
            if (!progress.report(y, height)) return RleOutcome::Cancelled;
        } else if (value == 1) {  // end of bitmap
            return RleOutcome::Complete;
        } else if (value == 2) {  // delta: right and up
            if (!in.has(at, 2)) return RleOutcome::Corrupt;
            const std::size_t right = in.u8(at), up = in.u8(at + 1);
            at += 2;
            if (right > width - x || up > height - y) return RleOutcome::Corrupt;
            x += right;
            y += up;
            if (up > 0 && !progress.report(y, height)) return RleOutcome::Cancelled;
        } else {  // `value` literal pixels, padded to 16 bits
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (!in.has(at, bytes)) return RleOutcome::Corrupt;
            writeRun(value, [&](std::size_t i) {
                const std::uint8_t b = in.u8(at + (four ? i / 2 : i));
                return four ? std::uint8_t((i & 1) ? b & 0x0F : b >> 4) : b;
            });
            at += (bytes + 1) & ~std::size_t(1);
        }
    }
    return RleOutcome::Complete;
}

}  // namespace

bool bmpFileInfo(const char* path, IKFILEINFO& out) {
    const auto file = readFileBytes(path);
    if (!file) return false;
    BmpHeader h;
    if (!parseHeader(*file, h)) return fail(IK_ERR_FILE_READ, false);
    out.bitsPerPixel = outputBits(h);
    out.valueG = platform::pelsPerMeterToDpi(h.xppm);
    out.valueH = platform::pelsPerMeterToDpi(h.yppm);
    out.width = h.width;
    out.height = h.height;
    out.valueJ = static_cast<std::int32_t>(h.compression);
    out.valueK = h.bits <= 8 ? 1 : 3;
    out.valueL = h.bits;
    out.fileType = h.compression == kRle4 || h.compression == kRle8 ? IK_FILETYPE_BMP_RLE : IK_FILETYPE_BMP;
    out.pageCount = 1;
    return true;
}

IKHANDLE loadBmpFile(const char* path, Progress& progress) {
    const auto file = readFileBytes(path);
    if (!file) return 0;
    BmpHeader h;
    if (!parseHeader(*file, h)) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const bool rle = h.compression == kRle4 || h.compression == kRle8;
    const int bits = outputBits(h);
    if (!plausibleImage(h.width, h.height, bits, file->size(), rle ? kRatioBmpRle : kRatioStored))
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    // Within the budget the product cannot wrap. Plain rows must all be in the file: a
    // shorter file is truncated.
    const std::uint64_t fileStride = ((static_cast<std::uint64_t>(h.width) * h.bits + 31) / 32) * 4;
    if (!rle && std::uint64_t{h.pixelOffset} + fileStride * static_cast<std::uint64_t>(h.height) > file->size())
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    platform::GlobalBlock image(allocateDib(h.width, h.height, std::uint16_t(bits), h.bits <= 8 ? h.tableEntries : 0, true));
    if (!image.get()) return 0;
    const ByteReader in(file->data(), file->size());
    {
        DibView dib(image.get());
        dib.header().biXPelsPerMeter = h.xppm;
        dib.header().biYPelsPerMeter = h.yppm;
        for (std::uint32_t i = 0; i < h.tableEntries; ++i) {
            const std::size_t at = h.tableOffset + std::size_t(i) * h.tableEntryBytes;
            if (in.has(at, 3)) dib.colours()[i] = {in.u8(at), in.u8(at + 1), in.u8(at + 2), 0};
        }
        if (rle) {
            const RleOutcome outcome = decodeRle(in, h.pixelOffset, h, dib, progress);
            if (outcome == RleOutcome::Corrupt) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
            if (outcome == RleOutcome::Cancelled) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
        } else {
            const ChannelMask red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
            const bool direct = h.bits <= 8 || h.bits == 24 || (h.bits == 32 && h.compression == 0);
            for (std::int32_t y = 0; y < h.height; ++y) {
                const std::uint8_t* src = file->data() + h.pixelOffset + fileStride * static_cast<std::size_t>(h.topDown ? y : h.height - 1 - y);
                std::uint8_t* dst = dib.row(y);
                if (direct) {
                    std::memcpy(dst, src, std::min<std::size_t>(fileStride, dib.stride()));
                } else {
                    const std::size_t step = static_cast<std::size_t>(bits / 8);
                    for (std::size_t x = 0; x < static_cast<std::size_t>(h.width); ++x) {
                        const std::uint32_t pixel = pixelAt(src, x, h.bits);
                        std::uint8_t* p = dst + step * x;
                        p[0] = blue.level(pixel);
                        p[1] = green.level(pixel);
                        p[2] = red.level(pixel);
                        if (bits == 32) p[3] = alpha.level(pixel);
                    }
                }
                if (!progress.report(std::uint64_t(y) + 1, std::uint64_t(h.height))) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
            }
        }
    }
    return image.release();
}

}  // namespace kit

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One stored row of indices run-length coded (RLE8 or RLE4), ending with an end of line.
void encodeRleRow(const std::uint8_t* row, std::int32_t width, bool four, std::vector<std::uint8_t>& out) {
    auto at = [&](std::int32_t x) { return kit::indexAt(row, static_cast<std::size_t>(x), four ? 4 : 8); };
    std::int32_t x = 0;
    while (x < width) {
        std::int32_t run = 1;
        // RLE4 runs alternate two values; a run here repeats one.
        while (x + run < width && run < 255 && at(x + run) == at(x)) ++run;
        if (run >= 3 || width - x < 3) {
            out.push_back(std::uint8_t(run));
            out.push_back(four ? std::uint8_t(at(x) << 4 | at(x)) : at(x));
            x += run;
            continue;
        }
        // An absolute run up to the next repeat of three.
        std::int32_t length = 0;
        while (x + length < width && length < 255) {
            if (x + length + 2 < width && at(x + length) == at(x + length + 1) && at(x + length) == at(x + length + 2)) break;
            ++length;
        }
        if (length < 3) {
            for (std::int32_t i = 0; i < length; ++i) {
                out.push_back(1);
                out.push_back(four ? std::uint8_t(at(x + i) << 4) : at(x + i));
            }
            x += length;
            continue;
        }
        out.push_back(0);
        out.push_back(std::uint8_t(length));
        std::size_t bytes = 0;
        for (std::int32_t i = 0; i < length; i += four ? 2 : 1, ++bytes)
            out.push_back(four ? std::uint8_t(at(x + i) << 4 | (i + 1 < length ? at(x + i + 1) : 0)) : at(x + i));
        if (bytes & 1) out.push_back(0);
        x += length;
    }
    out.push_back(0);
    out.push_back(0);
}

}  // namespace

IK_API IKHANDLE IKBmpFileLoad(const char* path, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Bmp)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadBmpFile(path, relay);
    });
}

IK_API IKBOOL IKBmpFileSave(const char* path, IKHANDLE image, IKBOOL runLength, IKPROGRESSPROC progress, const char*,
                            const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const kit::PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        // 16-bit and bit-field images are written as 24 bits.
        const int bits = source.indexed() ? source.bits() : source.bits() == 32 && source.hasAlpha() ? 32 : 24;
        const bool rle = runLength && (bits == 4 || bits == 8);
        const std::int32_t w = source.width(), h = source.height();
        const std::uint32_t colours = source.indexed() ? static_cast<std::uint32_t>(source.table().size()) : 0;
        const std::uint32_t stride = platform::dibStride(w, std::uint16_t(bits));
        std::vector<std::uint8_t> pixels;
        kit::Progress relay(progress);
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * 4);
        for (std::int32_t stored = 0; stored < h; ++stored) {
            const std::int32_t y = h - 1 - stored;  // bottom row first
            if (rle) {
                encodeRleRow(source.row(y), w, bits == 4, pixels);
            } else {
                const std::size_t start = pixels.size();
                pixels.resize(start + stride, 0);
                std::uint8_t* row = pixels.data() + start;
                if (bits <= 8) {
                    std::memcpy(row, source.row(y), kit::packedRowBytes(static_cast<std::size_t>(w), bits));
                } else {
                    const int step = bits / 8;
                    if (step == 4) source.rgbaRow(y, rgb.data()); else source.rgbRow(y, rgb.data());
                    for (std::int32_t x = 0; x < w; ++x) {
                        row[step * x] = rgb[step * x + 2];
                        row[step * x + 1] = rgb[step * x + 1];
                        row[step * x + 2] = rgb[step * x];
                        if (step == 4) row[4 * x + 3] = rgb[4 * x + 3];
                    }
                }
            }
            if (!relay.report(std::uint64_t(stored) + 1, std::uint64_t(h))) return kit::fail(IK_ERR_CANCELLED, IK_FALSE);
        }
        if (rle) {
            pixels.push_back(0);
            pixels.push_back(1);
        }
        std::vector<std::uint8_t> head;
        const std::uint32_t offset = 14 + 40 + 4 * colours;
        head.push_back('B');
        head.push_back('M');
        put32(head, static_cast<std::uint32_t>(offset + pixels.size()));
        put32(head, 0);
        put32(head, offset);
        put32(head, 40);
        put32(head, static_cast<std::uint32_t>(w));
        put32(head, static_cast<std::uint32_t>(h));
        put16(head, 1);
        put16(head, static_cast<std::uint32_t>(bits));
        put32(head, rle ? (bits == 8 ? 1 : 2) : 0);
        put32(head, static_cast<std::uint32_t>(pixels.size()));
        put32(head, static_cast<std::uint32_t>(platform::dpiToPelsPerMeter(source.xdpi())));
        put32(head, static_cast<std::uint32_t>(platform::dpiToPelsPerMeter(source.ydpi())));
        put32(head, colours);
        put32(head, 0);
        for (const platform::RgbQuad& c : source.table()) {
            head.push_back(c.blue);
            head.push_back(c.green);
            head.push_back(c.red);
            head.push_back(0);
        }
        return kit::writeWholeFile(path, [&](std::FILE* file) {
            return std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
                   (pixels.empty() || std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size());
        });
    });
}
