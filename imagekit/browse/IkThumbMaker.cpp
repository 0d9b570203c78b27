#include "browse/IkThumbMaker.h"

#include "Ikdllprocs.h"
#include "browse/IkThumbSize.h"

#include <memory>

namespace {

bool multiResolution(std::uint16_t fileType) { return fileType >= 16 && fileType <= 18; }

void freeImage(IKHANDLE image) {
    if (image && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(image);
}

bool fileInfo(const QByteArray& path, std::int32_t page, IKFILEINFO& info) {
    return Ikdllprocs::IkFileType && Ikdllprocs::IkFileType(path.constData(), page, &info) != IK_FALSE;
}

IKHANDLE fileLoad(const QByteArray& path, std::int32_t page, std::int32_t w, std::int32_t h) {
    if (!Ikdllprocs::IkFileLoad) return 0;
    return Ikdllprocs::IkFileLoad(path.constData(), page, w, h, nullptr, nullptr, nullptr, nullptr);
}

// Files of several resolutions: the last image larger than the thumbnail, else image 0.
IKHANDLE loadMultiResolution(const QByteArray& path, const IKFILEINFO& info, std::int16_t imageSize) {
    if (info.pageCount <= 1)
        if (const IKHANDLE image = fileLoad(path, 0, 0, 0)) return image;
    for (std::int32_t i = info.pageCount - 1; i >= 0; --i) {
        IKFILEINFO one{};
        if (fileInfo(path, i, one) && (one.width > imageSize || one.height > imageSize)) return fileLoad(path, i, 0, 0);
    }
    return 0;
}

IKHANDLE exifThumbnail(const QByteArray& path, std::int16_t imageSize) {
    if (!Ikdllprocs::IkJpegExifInfo) return 0;
    auto record = std::make_unique<IKEXIFINFO>();
    if (!Ikdllprocs::IkJpegExifInfo(path.constData(), record.get()) || !record->thumbnail) return 0;
    IKIMAGEINFO info{};
    if (Ikdllprocs::IkGetImageType && Ikdllprocs::IkGetImageType(record->thumbnail, &info) &&
        (info.width >= imageSize || info.height >= imageSize))
        return record->thumbnail;
    freeImage(record->thumbnail);
    return 0;
}

// The page decoded no smaller than its thumbnail.
IKHANDLE reducedLoad(const QByteArray& path, std::int32_t page, IkThumbSize size) {
    if (!Ikdllprocs::IkFileLoadReduced) return fileLoad(path, page, 800, 600);
    return Ikdllprocs::IkFileLoadReduced(path.constData(), page, size.width, size.height, nullptr);
}

}  // namespace

LoadedThumbPage LoadImageFile(const QString& path, std::int32_t page, std::int16_t imageSize) {
    const QByteArray p = path.toUtf8();
    IKFILEINFO info{};
    if (!fileInfo(p, page, info)) return {};
    if (multiResolution(info.fileType))
        if (const IKHANDLE image = loadMultiResolution(p, info, imageSize)) return {image, {}};
    if (info.fileType == IK_FILETYPE_JPEG_EXIF)
        if (const IKHANDLE image = exifThumbnail(p, imageSize)) return {image, {}};
    // The thumbnail's size from the page's size, so that a page decoded smaller (its sides
    // rounded) gives the thumbnail of the same size as the full page.
    const IkThumbSize size = GetThumbnailImageSize(imageSize, info.width, info.height);
    if (size.width < 1 || size.height < 1) return {fileLoad(p, page, 800, 600), {}};
    return {reducedLoad(p, page, size), size};
}

IKHANDLE ShrinkToThumbnail(IKHANDLE image, std::int16_t imageSize, IkThumbSize wanted) {
    if (!image || !Ikdllprocs::IkGetImageType || !Ikdllprocs::IkResizeEx) return 0;
    IKIMAGEINFO info{};
    if (!Ikdllprocs::IkGetImageType(image, &info) || info.kind != IK_KIND_RASTER) return 0;
    const IkThumbSize size =
        wanted.width > 0 && wanted.height > 0 ? wanted : GetThumbnailImageSize(imageSize, info.width, info.height);
    if (size.width < 1 || size.height < 1) return 0;
    // Area averaging; a 1-bit page becomes grey, so thin strokes stay visible.
    const IKHANDLE in[2] = {image, 0};
    IKHANDLE out[2] = {0, 0};
    if (!Ikdllprocs::IkResizeEx(in, out, size.width, size.height, IK_FALSE, nullptr, nullptr, nullptr, nullptr))
        return 0;
    freeImage(out[1]);
    return out[0];
}

IKHANDLE MakeThumbnail(const QString& path, std::int32_t page, std::int16_t imageSize) {
    const LoadedThumbPage loaded = LoadImageFile(path, page, imageSize);
    if (!loaded.image) return 0;
    const IKHANDLE thumb = ShrinkToThumbnail(loaded.image, imageSize, loaded.thumbSize);
    freeImage(loaded.image);
    return thumb;
}
