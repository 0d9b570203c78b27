#include "StoredTiffPage.h"

#include "DecodeLimits.h"
#include "KitCall.h"

#include <algorithm>
#include <vector>

#include <sys/stat.h>

namespace kit {
namespace {

// The compressions the writer offers; only these are copied.
bool offeredCompression(std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_LZW:
    case COMPRESSION_JPEG: return true;
    default: return false;
    }
}

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

std::uint16_t fieldOr(TIFF* tif, ttag_t tag, std::uint16_t otherwise) {
    std::uint16_t value = otherwise;
    TIFFGetFieldDefaulted(tif, tag, &value);
    return value;
}

// The number of strips or tiles the page's tags call for equals the number stored.
bool chunkCountConsistent(TIFF* tif, bool tiled) {
    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) ||
        width == 0 || height == 0)
        return false;
    const std::uint64_t planes =
        fieldOr(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == PLANARCONFIG_SEPARATE
            ? fieldOr(tif, TIFFTAG_SAMPLESPERPIXEL, 1)
            : 1;
    if (tiled) {
        std::uint32_t tileWidth = 0, tileHeight = 0;
        if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) || !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight) ||
            tileWidth == 0 || tileHeight == 0)
            return false;
        return ceilDiv(width, tileWidth) * ceilDiv(height, tileHeight) * planes == TIFFNumberOfTiles(tif);
    }
    std::uint32_t rowsPerStrip = height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0) return false;
    return ceilDiv(height, std::min(rowsPerStrip, height)) * planes == TIFFNumberOfStrips(tif);
}

// Where a tag of the source is set on the copy: true when the source lacks it or the
// copy took it.
template <typename T>
bool copyField(TIFF* in, TIFF* out, ttag_t tag) {
    T value{};
    return !TIFFGetField(in, tag, &value) || TIFFSetField(out, tag, value);
}

template <typename T>
bool copyDefaulted(TIFF* in, TIFF* out, ttag_t tag) {
    T value{};
    return !TIFFGetFieldDefaulted(in, tag, &value) || TIFFSetField(out, tag, value);
}

// A counted array (count, then the values).
template <typename Count, typename Element>
bool copyArray(TIFF* in, TIFF* out, ttag_t tag) {
    Count count = 0;
    Element* values = nullptr;
    return !TIFFGetField(in, tag, &count, &values) || !values || TIFFSetField(out, tag, count, values);
}

// An array whose length the tag fixes (white point, chromaticities, coefficients).
bool copyFloats(TIFF* in, TIFF* out, ttag_t tag) {
    float* values = nullptr;
    return !TIFFGetField(in, tag, &values) || !values || TIFFSetField(out, tag, values);
}

// The tags that say how the page's data is laid out, coded and meant, in the order libtiff
// needs them: the depth before the colour map, the samples before the extra ones, the
// compression before its own fields. False when the copy refuses one of them.
bool copyTags(TIFF* in, TIFF* out, bool tiled) {
    const std::uint16_t compression = fieldOr(in, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    bool ok = copyField<std::uint32_t>(in, out, TIFFTAG_IMAGEWIDTH) &&
              copyField<std::uint32_t>(in, out, TIFFTAG_IMAGELENGTH) &&
              copyDefaulted<std::uint16_t>(in, out, TIFFTAG_BITSPERSAMPLE) &&
              copyDefaulted<std::uint16_t>(in, out, TIFFTAG_SAMPLESPERPIXEL) &&
              TIFFSetField(out, TIFFTAG_COMPRESSION, compression) &&
              copyField<std::uint16_t>(in, out, TIFFTAG_PHOTOMETRIC) &&
              copyDefaulted<std::uint16_t>(in, out, TIFFTAG_FILLORDER) &&
              copyDefaulted<std::uint16_t>(in, out, TIFFTAG_PLANARCONFIG) &&
              copyDefaulted<std::uint16_t>(in, out, TIFFTAG_ORIENTATION) &&
              copyField<std::uint16_t>(in, out, TIFFTAG_SAMPLEFORMAT) &&
              copyArray<std::uint16_t, std::uint16_t>(in, out, TIFFTAG_EXTRASAMPLES) &&
              copyField<std::uint16_t>(in, out, TIFFTAG_INKSET) &&
              copyField<float>(in, out, TIFFTAG_XRESOLUTION) && copyField<float>(in, out, TIFFTAG_YRESOLUTION) &&
              copyField<std::uint16_t>(in, out, TIFFTAG_RESOLUTIONUNIT) &&
              copyArray<std::uint32_t, void>(in, out, TIFFTAG_ICCPROFILE) &&
              copyFloats(in, out, TIFFTAG_WHITEPOINT) && copyFloats(in, out, TIFFTAG_PRIMARYCHROMATICITIES);
    if (!ok) return false;
    if (tiled) {
        ok = copyField<std::uint32_t>(in, out, TIFFTAG_TILEWIDTH) && copyField<std::uint32_t>(in, out, TIFFTAG_TILELENGTH);
    } else {
        ok = copyDefaulted<std::uint32_t>(in, out, TIFFTAG_ROWSPERSTRIP);
    }
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (ok && TIFFGetField(in, TIFFTAG_COLORMAP, &red, &green, &blue))
        ok = TIFFSetField(out, TIFFTAG_COLORMAP, red, green, blue);
    if (ok && compression == COMPRESSION_CCITTFAX3) ok = copyField<std::uint32_t>(in, out, TIFFTAG_GROUP3OPTIONS);
    if (ok && compression == COMPRESSION_CCITTFAX4) ok = copyField<std::uint32_t>(in, out, TIFFTAG_GROUP4OPTIONS);
    if (ok && compression == COMPRESSION_LZW) ok = copyField<std::uint16_t>(in, out, TIFFTAG_PREDICTOR);
    if (ok && compression == COMPRESSION_JPEG) ok = copyArray<std::uint32_t, void>(in, out, TIFFTAG_JPEGTABLES);
    if (ok && fieldOr(in, TIFFTAG_PHOTOMETRIC, 0) == PHOTOMETRIC_YCBCR) {
        std::uint16_t horizontal = 2, vertical = 2;
        if (TIFFGetFieldDefaulted(in, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical))
            ok = TIFFSetField(out, TIFFTAG_YCBCRSUBSAMPLING, horizontal, vertical);
        ok = ok && copyField<std::uint16_t>(in, out, TIFFTAG_YCBCRPOSITIONING) &&
             copyFloats(in, out, TIFFTAG_YCBCRCOEFFICIENTS) && copyFloats(in, out, TIFFTAG_REFERENCEBLACKWHITE);
    }
    return ok;
}

template <typename T>
std::unique_ptr<T> failed(std::uint16_t status) {
    return fail<std::unique_ptr<T>>(status, nullptr);
}

}  // namespace

std::unique_ptr<StoredTiffPage> StoredTiffPage::open(const char* path, int page) {
    if (!path || !*path || page < 0) return failed<StoredTiffPage>(IK_ERR_ARGUMENT);
    if (fileSizeOf(path) < 0) return failed<StoredTiffPage>(IK_ERR_FILE_OPEN);
    auto stored = std::unique_ptr<StoredTiffPage>(new StoredTiffPage);
    // Tags and data come from this one descriptor: a file replaced meanwhile is read whole
    // from its new version. Read, not mapped, so that a file cut short meanwhile gives a
    // read error instead of a fault; strips are not chopped, so they are seen as stored.
    stored->source_ = openTiff(path, "rmc");
    TIFF* tif = stored->source_.get();
    struct stat info {};
    if (!tif || ::fstat(TIFFFileno(tif), &info) != 0 || info.st_size <= 0) return failed<StoredTiffPage>(IK_ERR_FILE_READ);
    const auto fileBytes = static_cast<std::uint64_t>(info.st_size);
    if (!TIFFSetDirectory(tif, static_cast<tdir_t>(page)))
        return failed<StoredTiffPage>(static_cast<std::uint64_t>(page) >= TIFFNumberOfDirectories(tif) ? IK_ERR_ARGUMENT
                                                                                                        : IK_ERR_FILE_READ);
    std::uint16_t photometric = 0;
    if (!offeredCompression(fieldOr(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE)) ||
        !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return failed<StoredTiffPage>(IK_ERR_FORMAT);
    stored->tiled_ = TIFFIsTiled(tif) != 0;
    if (!chunkCountConsistent(tif, stored->tiled_)) return failed<StoredTiffPage>(IK_ERR_FORMAT);
    stored->chunks_ = stored->tiled_ ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    // Every chunk present, inside the file and of a size one buffer may take; together
    // no more than the file holds, so that chunks shared by several strips cannot make
    // the copy larger than its source.
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < stored->chunks_; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i), bytes = TIFFGetStrileByteCount(tif, i);
        if (offset == 0 || bytes == 0) return failed<StoredTiffPage>(IK_ERR_FORMAT);
        if (offset > fileBytes || bytes > fileBytes - offset) return failed<StoredTiffPage>(IK_ERR_FILE_READ);
        total += bytes;
        if (bytes > kMostCodecMemoryBytes || total > fileBytes) return failed<StoredTiffPage>(IK_ERR_FORMAT);
        stored->largestChunk_ = std::max(stored->largestChunk_, static_cast<std::size_t>(bytes));
    }
    return stored;
}

std::uint16_t StoredTiffPage::write(TIFF* out, const char* comment, Progress& progress) const {
    TIFF* in = source_.get();
    if (!copyTags(in, out, tiled_)) return IK_ERR_FORMAT;
    // No comment at all: the page keeps the description it has.
    const char* own = nullptr;
    if (!comment && TIFFGetField(in, TIFFTAG_IMAGEDESCRIPTION, &own)) comment = own;
    if (comment && *comment && !TIFFSetField(out, TIFFTAG_IMAGEDESCRIPTION, comment)) return IK_ERR_FORMAT;
    std::vector<std::uint8_t> buffer(largestChunk_);
    for (std::uint32_t i = 0; i < chunks_; ++i) {
        const auto bytes = static_cast<tmsize_t>(TIFFGetStrileByteCount(in, i));
        const tmsize_t read = tiled_ ? TIFFReadRawTile(in, i, buffer.data(), bytes) : TIFFReadRawStrip(in, i, buffer.data(), bytes);
        if (read != bytes) return IK_ERR_FILE_READ;
        const tmsize_t written =
            tiled_ ? TIFFWriteRawTile(out, i, buffer.data(), bytes) : TIFFWriteRawStrip(out, i, buffer.data(), bytes);
        if (written != bytes) return IK_ERR_FILE_WRITE;
        if (!progress.report(i + 1, chunks_)) return IK_ERR_CANCELLED;
    }
    return IK_OK;
}

}  // namespace kit
