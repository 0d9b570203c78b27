#pragma once
// Writes small multi-page RGB TIFF fixtures with libtiff, each page's size and pixels given
// by the test.

#include <QSize>
#include <QString>

#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <vector>

// Page n (from 0) is size(n) pixels, pixel (x, y) of it pixel(n, x, y) as 0xRRGGBB; strips of
// `rowsPerStrip` rows (0: the whole page in one). Returns `path`, or an empty string when the
// file cannot be written.
inline QString writeRgbTiff(const QString& path, int pages, const std::function<QSize(int)>& size,
                            const std::function<std::uint32_t(int, int, int)>& pixel,
                            std::uint16_t compression = COMPRESSION_NONE, std::uint32_t rowsPerStrip = 0) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!tif) return {};
    for (int n = 0; n < pages; ++n) {
        const QSize s = size(n);
        const auto w = static_cast<std::uint32_t>(s.width()), h = static_cast<std::uint32_t>(s.height());
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip ? rowsPerStrip : h);
        std::vector<std::uint8_t> row(std::size_t(w) * 3);
        for (std::uint32_t y = 0; y < h; ++y) {
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint32_t c = pixel(n, int(x), int(y));
                row[std::size_t(x) * 3] = std::uint8_t(c >> 16);
                row[std::size_t(x) * 3 + 1] = std::uint8_t(c >> 8);
                row[std::size_t(x) * 3 + 2] = std::uint8_t(c);
            }
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return path;
}
