#include "TiffRawCopy.h"

#include "FastHash.h"
#include "PageOrigin.h"

#include <climits>
#include <cstdlib>

namespace kit {
namespace {

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

// The number of strips or tiles the page's tags call for equals the number stored.
bool chunkCountConsistent(TIFF* tif, bool tiled) {
    std::uint32_t width = 0, height = 0;
    std::uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) ||
        width == 0 || height == 0)
        return false;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    const std::uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
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

// Every compressed strip or tile of the current page, back to back; false when one is
// empty or unreadable, or they add up to more than the file holds.
bool readChunks(TIFF* tif, bool tiled, std::int64_t fileBytes, std::vector<std::uint8_t>& data,
                std::vector<std::size_t>& ends) {
    if (!chunkCountConsistent(tif, tiled)) return false;
    const std::uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t bytes = TIFFGetStrileByteCount(tif, i);
        if (bytes == 0) return false;
        total += bytes;
        if (total > static_cast<std::uint64_t>(fileBytes)) return false;
    }
    data.resize(static_cast<std::size_t>(total));
    ends.clear();
    ends.reserve(count);
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto bytes = static_cast<tmsize_t>(TIFFGetStrileByteCount(tif, i));
        const tmsize_t read = tiled ? TIFFReadRawTile(tif, i, data.data() + at, bytes)
                                    : TIFFReadRawStrip(tif, i, data.data() + at, bytes);
        if (read != bytes) return false;
        at += static_cast<std::size_t>(bytes);
        ends.push_back(at);
    }
    return true;
}

std::uint64_t digestOfChunks(const std::vector<std::uint8_t>& data, const std::vector<std::size_t>& ends) {
    FastHash hash;
    hash.add(data.data(), data.size());
    hash.add(ends.data(), ends.size() * sizeof(std::size_t));
    return hash.digest();
}

std::uint16_t fieldOr(TIFF* tif, ttag_t tag, std::uint16_t otherwise) {
    std::uint16_t value = otherwise;
    TIFFGetFieldDefaulted(tif, tag, &value);
    return value;
}

bool hasShape(TIFF* tif, const PageShape& shape) {
    std::uint16_t photometric = 0;
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) || photometric != shape.photometric) return false;
    if (fieldOr(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) != shape.compression ||
        fieldOr(tif, TIFFTAG_BITSPERSAMPLE, 1) != shape.bitsPerSample ||
        fieldOr(tif, TIFFTAG_SAMPLESPERPIXEL, 1) != shape.samples ||
        fieldOr(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT) != SAMPLEFORMAT_UINT)
        return false;
    if (shape.compression == COMPRESSION_CCITTFAX3) {
        std::uint32_t options = 0;
        TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options);
        if (((options & GROUP3OPT_2DENCODING) != 0) != shape.group3TwoD) return false;
    }
    std::uint16_t extraCount = 0;
    std::uint16_t* extraKinds = nullptr;
    TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    if (shape.alpha ? extraCount != 1 || !extraKinds || extraKinds[0] != EXTRASAMPLE_UNASSALPHA : extraCount != 0)
        return false;
    return true;
}

template <typename T>
void copyField(TIFF* in, TIFF* out, ttag_t tag) {
    T value{};
    if (TIFFGetField(in, tag, &value)) TIFFSetField(out, tag, value);
}

template <typename T>
void copyDefaulted(TIFF* in, TIFF* out, ttag_t tag) {
    T value{};
    if (TIFFGetFieldDefaulted(in, tag, &value)) TIFFSetField(out, tag, value);
}

// A counted array field (count, then data).
template <typename Count, typename Element>
void copyArray(TIFF* in, TIFF* out, ttag_t tag) {
    Count count = 0;
    Element* values = nullptr;
    if (TIFFGetField(in, tag, &count, &values) && values) TIFFSetField(out, tag, count, values);
}

// The tags that say how the page's data is laid out and coded, in the order libtiff needs
// them: the depth before the colour map, the compression before its own fields.
void copyTags(TIFF* in, TIFF* out, bool tiled) {
    copyField<std::uint32_t>(in, out, TIFFTAG_IMAGEWIDTH);
    copyField<std::uint32_t>(in, out, TIFFTAG_IMAGELENGTH);
    copyDefaulted<std::uint16_t>(in, out, TIFFTAG_BITSPERSAMPLE);
    copyDefaulted<std::uint16_t>(in, out, TIFFTAG_SAMPLESPERPIXEL);
    const std::uint16_t compression = fieldOr(in, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(out, TIFFTAG_COMPRESSION, compression);
    copyField<std::uint16_t>(in, out, TIFFTAG_PHOTOMETRIC);
    copyDefaulted<std::uint16_t>(in, out, TIFFTAG_FILLORDER);
    copyDefaulted<std::uint16_t>(in, out, TIFFTAG_PLANARCONFIG);
    copyDefaulted<std::uint16_t>(in, out, TIFFTAG_ORIENTATION);
    if (tiled) {
        copyField<std::uint32_t>(in, out, TIFFTAG_TILEWIDTH);
        copyField<std::uint32_t>(in, out, TIFFTAG_TILELENGTH);
    } else {
        copyDefaulted<std::uint32_t>(in, out, TIFFTAG_ROWSPERSTRIP);
    }
    if (compression == COMPRESSION_CCITTFAX3) copyField<std::uint32_t>(in, out, TIFFTAG_GROUP3OPTIONS);
    if (compression == COMPRESSION_CCITTFAX4) copyField<std::uint32_t>(in, out, TIFFTAG_GROUP4OPTIONS);
    if (compression == COMPRESSION_LZW) copyField<std::uint16_t>(in, out, TIFFTAG_PREDICTOR);
    copyField<std::uint16_t>(in, out, TIFFTAG_SAMPLEFORMAT);
    copyArray<std::uint16_t, std::uint16_t>(in, out, TIFFTAG_EXTRASAMPLES);
    copyField<std::uint16_t>(in, out, TIFFTAG_INKSET);
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(in, TIFFTAG_COLORMAP, &red, &green, &blue)) TIFFSetField(out, TIFFTAG_COLORMAP, red, green, blue);
    copyField<float>(in, out, TIFFTAG_XRESOLUTION);
    copyField<float>(in, out, TIFFTAG_YRESOLUTION);
    copyField<std::uint16_t>(in, out, TIFFTAG_RESOLUTIONUNIT);
    copyArray<std::uint32_t, void>(in, out, TIFFTAG_ICCPROFILE);
    if (compression == COMPRESSION_JPEG) copyArray<std::uint32_t, void>(in, out, TIFFTAG_JPEGTABLES);
    if (fieldOr(in, TIFFTAG_PHOTOMETRIC, 0) == PHOTOMETRIC_YCBCR) {
        std::uint16_t horizontal = 2, vertical = 2;
        if (TIFFGetFieldDefaulted(in, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical))
            TIFFSetField(out, TIFFTAG_YCBCRSUBSAMPLING, horizontal, vertical);
        copyField<std::uint16_t>(in, out, TIFFTAG_YCBCRPOSITIONING);
        float* blackWhite = nullptr;
        if (TIFFGetField(in, TIFFTAG_REFERENCEBLACKWHITE, &blackWhite) && blackWhite)
            TIFFSetField(out, TIFFTAG_REFERENCEBLACKWHITE, blackWhite);
    }
}

}  // namespace

void rememberTiffPage(TIFF* tif, const char* path, int page, IKHANDLE image) noexcept {
    try {
        std::uint16_t compression = COMPRESSION_NONE;
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
        if (!image || !offeredCompression(compression)) return;
        const std::optional<FileIdentity> file = identityOfDescriptor(TIFFFileno(tif));
        const std::optional<std::uint64_t> block = blockDigestOf(image);
        char* absolute = ::realpath(path, nullptr);
        if (!file || !block || !absolute) {
            std::free(absolute);
            return;
        }
        PageOrigin origin{image, absolute, page, *file, *block, 0};
        std::free(absolute);
        std::vector<std::uint8_t> data;
        std::vector<std::size_t> ends;
        if (!readChunks(tif, TIFFIsTiled(tif) != 0, file->size, data, ends)) return;
        origin.dataDigest = digestOfChunks(data, ends);
        rememberPageOrigin(std::move(origin));
    } catch (...) {
        // Not remembering only costs the copy shortcut.
    }
}

std::unique_ptr<RawTiffPage> RawTiffPage::prepare(IKHANDLE image, const PageShape& shape) {
    const std::optional<PageOrigin> origin = unchangedPageOrigin(image);
    if (!origin || origin->page < 0) return nullptr;
    auto page = std::unique_ptr<RawTiffPage>(new RawTiffPage);
    page->source_ = openTiff(origin->path.c_str(), "r");
    TIFF* tif = page->source_.get();
    if (!tif) return nullptr;
    const std::optional<FileIdentity> file = identityOfDescriptor(TIFFFileno(tif));
    if (!file || *file != origin->file) return nullptr;
    if (!TIFFSetDirectory(tif, static_cast<tdir_t>(origin->page)) || !hasShape(tif, shape)) return nullptr;
    page->tiled_ = TIFFIsTiled(tif) != 0;
    if (!readChunks(tif, page->tiled_, file->size, page->data_, page->ends_)) return nullptr;
    if (digestOfChunks(page->data_, page->ends_) != origin->dataDigest) return nullptr;
    return page;
}

bool RawTiffPage::write(TIFF* out, const char* comment, Progress& progress) const {
    TIFF* in = source_.get();
    copyTags(in, out, tiled_);
    if (comment && *comment) TIFFSetField(out, TIFFTAG_IMAGEDESCRIPTION, comment);
    std::size_t start = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        const auto bytes = static_cast<tmsize_t>(ends_[i] - start);
        auto* chunk = const_cast<std::uint8_t*>(data_.data() + start);
        const auto index = static_cast<std::uint32_t>(i);
        const tmsize_t written = tiled_ ? TIFFWriteRawTile(out, index, chunk, bytes) : TIFFWriteRawStrip(out, index, chunk, bytes);
        if (written != bytes) return false;
        start = ends_[i];
        if (!progress.report(i + 1, ends_.size())) return false;
    }
    return true;
}

}  // namespace kit
