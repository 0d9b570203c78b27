// EXIF values and the embedded thumbnail of a JPEG file.
#include "JpegDecode.h"
#include "KitCall.h"

#include <cmath>
#include <cstring>
#include <memory>

#include <libexif/exif-data.h>

#ifndef IK7FILE_WITHOUT_EXIF_INFO

namespace {

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

ExifEntry* findEntry(ExifData* data, ExifTag tag) {
    for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd)
        if (ExifEntry* entry = exif_content_get_entry(data->ifd[ifd], tag)) return entry;
    return nullptr;
}

double numberOf(ExifData* data, ExifTag tag) {
    ExifEntry* entry = findEntry(data, tag);
    if (!entry || entry->components < 1) return 0.0;
    const ExifByteOrder order = exif_data_get_byte_order(data);
    switch (entry->format) {
    case EXIF_FORMAT_SHORT: return exif_get_short(entry->data, order);
    case EXIF_FORMAT_LONG: return exif_get_long(entry->data, order);
    case EXIF_FORMAT_RATIONAL: {
        const ExifRational r = exif_get_rational(entry->data, order);
        return r.denominator ? static_cast<double>(r.numerator) / r.denominator : 0.0;
    }
    case EXIF_FORMAT_SRATIONAL: {
        const ExifSRational r = exif_get_srational(entry->data, order);
        return r.denominator ? static_cast<double>(r.numerator) / r.denominator : 0.0;
    }
    default: return 0.0;
    }
}

void textOf(ExifData* data, ExifTag tag, char* out) {
    out[0] = '\0';
    ExifEntry* entry = findEntry(data, tag);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data) return;
    const std::size_t length = strnlen(reinterpret_cast<const char*>(entry->data), entry->size);
    const std::size_t kept = length < IK_EXIF_TEXT - 1 ? length : IK_EXIF_TEXT - 1;
    std::memcpy(out, entry->data, kept);
    out[kept] = '\0';
}

int32_t whole(double value) { return static_cast<int32_t>(std::lround(value)); }

}  // namespace

IK_API IKBOOL IKJpegExifInfo(const char* path, IKEXIFINFO* record) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !record) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        std::memset(record, 0, sizeof(*record));
        std::FILE* probe = std::fopen(path, "rb");
        if (!probe) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
        std::fclose(probe);
        std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new_from_file(path));
        if (!data) return kit::fail(IK_ERR_FILE_READ, IK_FALSE);
        ExifData* exif = data.get();
        record->width = whole(numberOf(exif, EXIF_TAG_PIXEL_X_DIMENSION));
        record->height = whole(numberOf(exif, EXIF_TAG_PIXEL_Y_DIMENSION));
        record->orientation = whole(numberOf(exif, EXIF_TAG_ORIENTATION));
        record->xdpi = whole(numberOf(exif, EXIF_TAG_X_RESOLUTION));
        record->ydpi = whole(numberOf(exif, EXIF_TAG_Y_RESOLUTION));
        record->isoSpeed = whole(numberOf(exif, EXIF_TAG_ISO_SPEED_RATINGS));
        record->exposureTime = numberOf(exif, EXIF_TAG_EXPOSURE_TIME);
        record->fNumber = numberOf(exif, EXIF_TAG_FNUMBER);
        record->focalLength = numberOf(exif, EXIF_TAG_FOCAL_LENGTH);
        textOf(exif, EXIF_TAG_MAKE, record->make);
        textOf(exif, EXIF_TAG_MODEL, record->model);
        textOf(exif, EXIF_TAG_DATE_TIME, record->dateTime);
        textOf(exif, EXIF_TAG_SOFTWARE, record->software);
        textOf(exif, EXIF_TAG_IMAGE_DESCRIPTION, record->description);
        if (exif->data && exif->size) {
            // Bounded by its own bytes; a thumbnail larger than a thumbnail is not decoded.
            record->thumbnail = kit::decodeJpeg(exif->data, exif->size, nullptr, kit::kMostThumbnailPixels);
            // A damaged thumbnail does not spoil the values read.
            platform::setKitStatus(IK_OK);
        }
        return IK_TRUE;
    });
}

#endif
