#include "FormatDetect.h"

#include <cstdio>
#include <cstring>

namespace kit {
namespace {

bool startsWith(const std::uint8_t* head, std::size_t size, const char* magic, std::size_t length) {
    return size >= length && std::memcmp(head, magic, length) == 0;
}

// PCX has no signature: the maker byte, a known version, run-length coding and a bit
// depth the format defines, with sane bounds.
bool looksLikePcx(const std::uint8_t* h, std::size_t size) {
    if (size < 128 || h[0] != 0x0A || h[2] != 1) return false;
    if (h[1] != 0 && h[1] != 2 && h[1] != 3 && h[1] != 4 && h[1] != 5) return false;
    if (h[3] != 1 && h[3] != 2 && h[3] != 4 && h[3] != 8) return false;
    const int xMin = h[4] | h[5] << 8, yMin = h[6] | h[7] << 8;
    const int xMax = h[8] | h[9] << 8, yMax = h[10] | h[11] << 8;
    return xMax >= xMin && yMax >= yMin && h[65] >= 1 && h[65] <= 4;
}

}  // namespace

ImageFormat detectFormat(const std::uint8_t* head, std::size_t size) {
    if (!head) return ImageFormat::Unknown;
    if (startsWith(head, size, "II*\0", 4) || startsWith(head, size, "MM\0*", 4) ||
        startsWith(head, size, "II+\0", 4) || startsWith(head, size, "MM\0+", 4))
        return ImageFormat::Tiff;
    if (startsWith(head, size, "\xFF\xD8\xFF", 3)) return ImageFormat::Jpeg;
    if (startsWith(head, size, "\x89PNG\r\n\x1A\n", 8)) return ImageFormat::Png;
    if (startsWith(head, size, "GIF87a", 6) || startsWith(head, size, "GIF89a", 6)) return ImageFormat::Gif;
    if (startsWith(head, size, "\0\0\0\x0CjP  \r\n\x87\n", 12)) return ImageFormat::Jp2;
    if (startsWith(head, size, "\xFF\x4F\xFF\x51", 4)) return ImageFormat::J2kStream;
    // A compound document; the FlashPix reader checks for an image inside.
    if (startsWith(head, size, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return ImageFormat::Fpx;
    if (startsWith(head, size, "BM", 2) && size >= 18) return ImageFormat::Bmp;
    if (looksLikePcx(head, size)) return ImageFormat::Pcx;
    return ImageFormat::Unknown;
}

ImageFormat detectFileFormat(const char* path) {
    if (!path) return ImageFormat::Unknown;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return ImageFormat::Unknown;
    std::uint8_t head[128];
    const std::size_t got = std::fread(head, 1, sizeof(head), file);
    std::fclose(file);
    return detectFormat(head, got);
}

}  // namespace kit

#include "DecodeLimits.h"
#include "KitCall.h"

namespace kit {

bool fileIsFormat(const char* path, ImageFormat format, ImageFormat alternative) {
    if (!path) return fail(IK_ERR_ARGUMENT, false);
    if (fileSizeOf(path) < 0) return fail(IK_ERR_FILE_OPEN, false);
    const ImageFormat found = detectFileFormat(path);
    if (found == ImageFormat::Unknown || (found != format && found != alternative)) return fail(IK_ERR_FILE_READ, false);
    return true;
}

}  // namespace kit
