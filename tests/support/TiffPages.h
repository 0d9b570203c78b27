#pragma once
// Every page of a TIFF file as libtiff reads it: the tags the tests check, and its pixels
// upright as RGBA (libtiff's packing), top row first.

#include <QString>

#include <tiffio.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct TiffPage {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 0, samples = 0, compression = 0, photometric = 0;
    float xres = 0, yres = 0;
    // Empty when libtiff cannot read the pixels.
    std::vector<std::uint32_t> rgba;

    std::uint32_t at(std::uint32_t x, std::uint32_t y) const { return rgba[std::size_t(y) * width + x]; }
};

inline std::vector<TiffPage> readTiffPages(const QString& path) {
    std::vector<TiffPage> pages;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif) return pages;
    do {
        TiffPage p;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height);
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bits);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &p.compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric);
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &p.xres);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &p.yres);
        p.rgba.resize(std::size_t(p.width) * p.height);
        if (!TIFFReadRGBAImageOriented(tif, p.width, p.height, p.rgba.data(), ORIENTATION_TOPLEFT, 0)) p.rgba.clear();
        pages.push_back(std::move(p));
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}
