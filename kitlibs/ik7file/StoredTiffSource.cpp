#include "StoredTiffSource.h"

#include "DecodeLimits.h"
#include "KitCall.h"

#include <algorithm>
#include <vector>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace kit {
namespace {

// Reading this many directories costs less than walking a long chain from its start.
constexpr int kMostDirectoriesStepped = 8;
// A page's chunks stored back to back are read in one call up to this size.
constexpr std::uint64_t kMostBytesReadTogether = std::uint64_t{64} << 20;

// `bytes` bytes at `offset` of the open file `fd`; false when the file ends or fails first.
bool readFully(int fd, std::uint8_t* data, std::size_t bytes, std::uint64_t offset) {
    while (bytes > 0) {
        const ssize_t got = ::pread(fd, data, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        data += got;
        bytes -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

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

}  // namespace

std::unique_ptr<StoredTiffSource> StoredTiffSource::open(const char* path) {
    if (!path || !*path) return fail<std::unique_ptr<StoredTiffSource>>(IK_ERR_ARGUMENT, nullptr);
    if (fileSizeOf(path) < 0) return fail<std::unique_ptr<StoredTiffSource>>(IK_ERR_FILE_OPEN, nullptr);
    auto source = std::unique_ptr<StoredTiffSource>(new StoredTiffSource);
    // Tags and data come from this one descriptor: a file replaced meanwhile is read whole
    // from its new version. Read, not mapped, so that a file cut short meanwhile gives a
    // read error instead of a fault; strips are not chopped, so they are seen as stored.
    source->tif_ = openTiff(path, "rmc");
    if (!source->tif_) return fail<std::unique_ptr<StoredTiffSource>>(IK_ERR_FILE_READ, nullptr);
    source->current_ = 0;
    return source;
}

std::uint16_t StoredTiffSource::select(int page) {
    TIFF* tif = tif_.get();
    chunks_ = 0;
    if (page < 0) return IK_ERR_ARGUMENT;
    if (page != current_) {
        // A page a few further is reached by reading the directories on the way; any other
        // is found from the start of the page chain.
        const bool near = current_ >= 0 && page > current_ && page - current_ <= kMostDirectoriesStepped;
        bool found = true;
        if (near) {
            while (found && current_ < page) {
                found = TIFFReadDirectory(tif) != 0;
                ++current_;
            }
        } else {
            found = TIFFSetDirectory(tif, static_cast<tdir_t>(page)) != 0;
        }
        current_ = found ? page : -1;
        if (!found)
            return static_cast<std::uint64_t>(page) >= TIFFNumberOfDirectories(tif) ? IK_ERR_ARGUMENT : IK_ERR_FILE_READ;
    }
    // The size now, as the file may have grown (appended to itself) or been cut short.
    struct stat info {};
    if (::fstat(TIFFFileno(tif), &info) != 0 || info.st_size <= 0) return IK_ERR_FILE_READ;
    const auto fileBytes = static_cast<std::uint64_t>(info.st_size);
    std::uint16_t photometric = 0;
    if (!offeredCompression(fieldOr(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE)) ||
        !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return IK_ERR_FORMAT;
    tiled_ = TIFFIsTiled(tif) != 0;
    if (!chunkCountConsistent(tif, tiled_)) return IK_ERR_FORMAT;
    const std::uint32_t chunks = tiled_ ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    // Every chunk present, inside the file and of a size one buffer may take; together
    // no more than the file holds, so that chunks shared by several strips cannot make
    // the copy larger than its source.
    std::uint64_t total = 0, largest = 0;
    for (std::uint32_t i = 0; i < chunks; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i), bytes = TIFFGetStrileByteCount(tif, i);
        if (offset == 0 || bytes == 0) return IK_ERR_FORMAT;
        if (offset > fileBytes || bytes > fileBytes - offset) return IK_ERR_FILE_READ;
        total += bytes;
        if (bytes > kMostCodecMemoryBytes || total > fileBytes) return IK_ERR_FORMAT;
        largest = std::max(largest, bytes);
    }
    // Grown only, so a long run of pages fills its buffer once.
    if (largest > buffer_.size()) buffer_.resize(static_cast<std::size_t>(largest));
    chunks_ = chunks;
    return IK_OK;
}

std::uint16_t StoredTiffSource::write(TIFF* out, const char* comment, Progress& progress) {
    TIFF* in = tif_.get();
    if (chunks_ == 0) return IK_ERR_ARGUMENT;
    if (!copyTags(in, out, tiled_)) return IK_ERR_FORMAT;
    // No comment at all: the page keeps the description it has.
    const char* own = nullptr;
    if (!comment && TIFFGetField(in, TIFFTAG_IMAGEDESCRIPTION, &own)) comment = own;
    if (comment && *comment && !TIFFSetField(out, TIFFTAG_IMAGEDESCRIPTION, comment)) return IK_ERR_FORMAT;
    // Chunks stored back to back (as most writers store them) are read in one call.
    const std::uint64_t start = TIFFGetStrileOffset(in, 0);
    std::uint64_t end = start;
    for (std::uint32_t i = 0; i < chunks_ && end != 0; ++i)
        end = TIFFGetStrileOffset(in, i) == end ? end + TIFFGetStrileByteCount(in, i) : 0;
    const bool together = end != 0 && end - start <= kMostBytesReadTogether;
    if (together) {
        if (end - start > buffer_.size()) buffer_.resize(static_cast<std::size_t>(end - start));
        if (!readFully(TIFFFileno(in), buffer_.data(), static_cast<std::size_t>(end - start), start))
            return IK_ERR_FILE_READ;
    }
    for (std::uint32_t i = 0; i < chunks_; ++i) {
        const auto bytes = static_cast<tmsize_t>(TIFFGetStrileByteCount(in, i));
        std::uint8_t* data = buffer_.data();
        if (together) {
            data += static_cast<std::size_t>(TIFFGetStrileOffset(in, i) - start);
        } else {
            const tmsize_t read = tiled_ ? TIFFReadRawTile(in, i, data, bytes) : TIFFReadRawStrip(in, i, data, bytes);
            if (read != bytes) return IK_ERR_FILE_READ;
        }
        const tmsize_t written = tiled_ ? TIFFWriteRawTile(out, i, data, bytes) : TIFFWriteRawStrip(out, i, data, bytes);
        if (written != bytes) return IK_ERR_FILE_WRITE;
        if (!progress.report(i + 1, chunks_)) return IK_ERR_CANCELLED;
    }
    return IK_OK;
}

}  // namespace kit
