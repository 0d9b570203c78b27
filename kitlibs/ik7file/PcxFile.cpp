// PCX files: 1 bit, 4 bits in four planes (or packed), 8 bits with palette, 24 bits in
// three planes; facts, loading and saving.
#include "AtomicOutput.h"
#include "ByteReader.h"
#include "Codecs.h"
#include "Colour.h"
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
#include <vector>

namespace kit {
namespace {

constexpr std::size_t kHeaderBytes = 128;
// An 8-bit single-plane file ends with 0x0C and 256 colours.
constexpr std::size_t kPaletteBytes = 769;
// The longest run: 63 bytes coded in two.
constexpr std::uint64_t kLongestRun = 63;

struct PcxHeader {
    std::int32_t width = 0, height = 0;
    int bitsPerPlane = 0, planes = 0;
    std::uint32_t bytesPerLine = 0;
    int xdpi = 0, ydpi = 0;
};

bool parseHeader(const std::vector<std::uint8_t>& file, PcxHeader& h) {
    if (file.size() < kHeaderBytes) return false;
    const ByteReader in(file.data(), file.size());
    h.width = in.u16(8) - in.u16(4) + 1;
    h.height = in.u16(10) - in.u16(6) + 1;
    h.bitsPerPlane = in.u8(3);
    h.planes = in.u8(65);
    h.bytesPerLine = in.u16(66);
    h.xdpi = in.u16(12);
    h.ydpi = in.u16(14);
    const bool known = (h.bitsPerPlane == 1 && (h.planes == 1 || h.planes == 4)) ||
                       (h.bitsPerPlane == 4 && h.planes == 1) || (h.bitsPerPlane == 8 && (h.planes == 1 || h.planes == 3));
    return in.u8(0) == 0x0A && in.u8(2) == 1 && known && h.width > 0 && h.height > 0 &&
           h.bytesPerLine >= (static_cast<std::uint32_t>(h.width) * h.bitsPerPlane + 7) / 8;
}

int outputBits(const PcxHeader& h) {
    if (h.bitsPerPlane == 1 && h.planes == 1) return 1;
    if (h.bitsPerPlane == 8 && h.planes == 3) return 24;
    return h.bitsPerPlane == 8 ? 8 : 4;
}

}  // namespace

bool pcxFileInfo(const char* path, IKFILEINFO& out) {
    const auto file = readFileBytes(path);
    if (!file) return false;
    PcxHeader h;
    if (!parseHeader(*file, h)) return fail(IK_ERR_FILE_READ, false);
    out.bitsPerPixel = outputBits(h);
    out.valueG = h.xdpi;
    out.valueH = h.ydpi;
    out.width = h.width;
    out.height = h.height;
    out.valueJ = 1;
    out.valueK = h.planes;
    out.valueL = h.bitsPerPlane * h.planes;
    out.fileType = IK_FILETYPE_PCX;
    out.pageCount = 1;
    return true;
}

IKHANDLE loadPcxFile(const char* path, Progress& progress) {
    const auto file = readFileBytes(path);
    if (!file) return 0;
    PcxHeader h;
    if (!parseHeader(*file, h)) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const int bits = outputBits(h);
    const ByteReader in(file->data(), file->size());
    // An 8-bit single-plane file keeps its colours at the end: without them it is truncated.
    const bool trailingPalette = bits == 8 && h.planes == 1;
    if (trailingPalette && (file->size() < kHeaderBytes + kPaletteBytes || in.u8(file->size() - kPaletteBytes) != 0x0C))
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const std::size_t dataEnd = trailingPalette ? file->size() - kPaletteBytes : file->size();
    // Every line is bytesPerLine × planes bytes of runs; data too short to code them all
    // is truncated, whatever the runs.
    const std::uint64_t lineBytes = std::uint64_t(h.bytesPerLine) * std::uint64_t(h.planes);
    const std::uint64_t mostCoded = (dataEnd - kHeaderBytes) / 2 * kLongestRun + (dataEnd - kHeaderBytes) % 2;
    if (lineBytes * std::uint64_t(h.height) > mostCoded) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    if (!plausibleImage(h.width, h.height, bits, file->size(), kRatioPackBits)) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    platform::GlobalBlock image(allocateDib(h.width, h.height, std::uint16_t(bits), bits <= 8 ? (1u << bits) : 0, true));
    if (!image.get()) return 0;
    DibView dib(image.get());
    dib.header().biXPelsPerMeter = platform::dpiToPelsPerMeter(h.xdpi);
    dib.header().biYPelsPerMeter = platform::dpiToPelsPerMeter(h.ydpi);
    if (bits == 1) {
        writeGreyRamp(dib.colours(), 2);
    } else if (bits == 4) {
        for (int i = 0; i < 16; ++i) dib.colours()[i] = {in.u8(16 + 3 * i + 2), in.u8(16 + 3 * i + 1), in.u8(16 + 3 * i), 0};
    } else if (bits == 8) {
        for (std::size_t i = 0; i < 256; ++i) {
            const std::size_t at = dataEnd + 1 + 3 * i;
            dib.colours()[i] = {in.u8(at + 2), in.u8(at + 1), in.u8(at), 0};
        }
    }
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    std::size_t at = kHeaderBytes;
    // A run that crosses the end of a line goes on in the next one, as a coder that
    // treats the picture as one stream wrote it; past the last line it is dropped.
    std::size_t pending = 0;
    std::uint8_t pendingValue = 0;
    for (std::int32_t y = 0; y < h.height; ++y) {
        for (std::size_t filled = 0; filled < line.size();) {
            if (pending == 0) {
                if (at >= dataEnd) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
                pendingValue = in.u8(at++);
                pending = 1;
                if ((pendingValue & 0xC0) == 0xC0) {
                    pending = pendingValue & 0x3F;
                    if (at >= dataEnd) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
                    pendingValue = in.u8(at++);
                }
            }
            const std::size_t count = std::min(pending, line.size() - filled);
            std::memset(line.data() + filled, pendingValue, count);
            filled += count;
            pending -= count;
        }
        std::uint8_t* row = dib.row(y);
        if (h.planes == 1) {
            std::memcpy(row, line.data(), packedRowBytes(static_cast<std::size_t>(h.width), h.bitsPerPlane));
        } else if (bits == 24) {
            for (std::size_t x = 0; x < static_cast<std::size_t>(h.width); ++x)
                for (std::size_t c = 0; c < 3; ++c) row[3 * x + 2 - c] = line[c * h.bytesPerLine + x];
        } else {  // four bit planes
            for (std::size_t x = 0; x < static_cast<std::size_t>(h.width); ++x) {
                std::uint32_t v = 0;
                for (std::size_t p = 0; p < 4; ++p) v |= pixelAt<1>(line.data() + p * h.bytesPerLine, x) << p;
                setPixel<4>(row, x, v);
            }
        }
        if (!progress.report(std::uint64_t(y) + 1, std::uint64_t(h.height))) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    }
    return image.release();
}

}  // namespace kit

namespace {

void encodeLine(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < size;) {
        std::size_t run = 1;
        while (i + run < size && run < 63 && data[i + run] == data[i]) ++run;
        if (run > 1 || (data[i] & 0xC0) == 0xC0) out.push_back(std::uint8_t(0xC0 | run));
        out.push_back(data[i]);
        i += run;
    }
}

void put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

}  // namespace

IK_API IKHANDLE IKPcxFileLoad(const char* path, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Pcx)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadPcxFile(path, relay);
    });
}

IK_API IKBOOL IKPcxFileSave(const char* path, IKHANDLE image, IKPROGRESSPROC progress, const char*, const char*,
                            const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const kit::PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        const std::int32_t w = source.width(), h = source.height();
        if (w > 65535 || h > 65535) return kit::fail(IK_ERR_FORMAT, IK_FALSE);
        const int bits = source.indexed() ? source.bits() : 24;
        const int planes = bits == 1 ? 1 : bits == 4 ? 4 : bits == 8 ? 1 : 3;
        const int bitsPerPlane = bits == 8 || bits == 24 ? 8 : 1;
        std::uint32_t bytesPerLine = (static_cast<std::uint32_t>(w) * bitsPerPlane + 7) / 8;
        bytesPerLine += bytesPerLine & 1;
        std::vector<std::uint8_t> out(128, 0);
        out[0] = 0x0A;
        out[1] = 5;
        out[2] = 1;
        out[3] = std::uint8_t(bitsPerPlane);
        put16(&out[8], static_cast<std::uint32_t>(w - 1));
        put16(&out[10], static_cast<std::uint32_t>(h - 1));
        put16(&out[12], static_cast<std::uint32_t>(std::clamp(source.xdpi(), 0, 65535)));
        put16(&out[14], static_cast<std::uint32_t>(std::clamp(source.ydpi(), 0, 65535)));
        const auto& table = source.table();
        for (std::size_t i = 0; i < 16 && i < table.size(); ++i) {
            out[16 + 3 * i] = table[i].red;
            out[17 + 3 * i] = table[i].green;
            out[18 + 3 * i] = table[i].blue;
        }
        out[65] = std::uint8_t(planes);
        put16(&out[66], bytesPerLine);
        out[68] = 1;
        // A 1-bit PCX shows 0 black and 1 white.
        const bool invert = bits == 1 && kit::weightedLuminance(table[0]) > kit::weightedLuminance(table[1]);
        std::vector<std::uint8_t> line(static_cast<std::size_t>(bytesPerLine) * planes);
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * 3);
        kit::Progress relay(progress);
        for (std::int32_t y = 0; y < h; ++y) {
            std::fill(line.begin(), line.end(), 0);
            const std::uint8_t* row = source.row(y);
            if (bits == 1 || bits == 8) {
                std::memcpy(line.data(), row, kit::packedRowBytes(static_cast<std::size_t>(w), bits));
                if (invert)
                    for (std::uint8_t& b : line) b = std::uint8_t(~b);
            } else if (bits == 4) {
                for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x) {
                    const std::uint32_t v = kit::pixelAt<4>(row, x);
                    for (std::size_t p = 0; p < 4; ++p) kit::setPixel<1>(line.data() + p * bytesPerLine, x, v >> p);
                }
            } else {
                source.rgbRow(y, rgb.data());
                for (std::int32_t x = 0; x < w; ++x)
                    for (int c = 0; c < 3; ++c) line[c * bytesPerLine + x] = rgb[3 * x + c];
            }
            encodeLine(line.data(), line.size(), out);
            if (!relay.report(std::uint64_t(y) + 1, std::uint64_t(h))) return kit::fail(IK_ERR_CANCELLED, IK_FALSE);
        }
        if (bits == 8) {
            out.push_back(0x0C);
            for (std::size_t i = 0; i < 256; ++i) {
                const platform::RgbQuad c = i < table.size() ? table[i] : platform::RgbQuad{0, 0, 0, 0};
                out.push_back(c.red);
                out.push_back(c.green);
                out.push_back(c.blue);
            }
        }
        return kit::writeWholeFile(
            path, [&](std::FILE* file) { return std::fwrite(out.data(), 1, out.size(), file) == out.size(); });
    });
}
