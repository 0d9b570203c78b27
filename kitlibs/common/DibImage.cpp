#include "DibImage.h"

#include "Colour.h"
#include "DibBlock.h"
#include "KitCall.h"
#include "Pixels.h"

#include <cstring>

namespace kit {
namespace {

using platform::BitmapInfoHeader;
using platform::RgbQuad;

QList<QRgb> tableOf(const DibView& dib) {
    QList<QRgb> table;
    const RgbQuad* colours = dib.colours();
    for (std::uint32_t i = 0; i < dib.colourCount(); ++i)
        table.append(qRgb(colours[i].red, colours[i].green, colours[i].blue));
    return table;
}

// Indices beyond a short colour table show as black rather than reading past it.
QList<QRgb> paddedTableOf(const DibView& dib) {
    QList<QRgb> table = tableOf(dib);
    while (table.size() < (1 << dib.header().biBitCount)) table.append(qRgb(0, 0, 0));
    return table;
}

QImage maskedImage(const DibView& dib) {
    const BitmapInfoHeader& h = dib.header();
    const ChannelMasks masks = channelMasksOf(h, dib.base() + h.biSize);
    QImage picture(dib.width(), dib.height(), QImage::Format_RGB32);
    if (picture.isNull()) return picture;
    for (int y = 0; y < dib.height(); ++y) {
        const std::uint8_t* src = dib.row(y);
        auto* dst = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (std::size_t x = 0; x < static_cast<std::size_t>(dib.width()); ++x)
            dst[x] = masks.colourOf(pixelAt(src, x, h.biBitCount));
    }
    return picture;
}

QImage convert(const DibView& dib) {
    const BitmapInfoHeader& h = dib.header();
    const int w = dib.width(), ht = dib.height();
    switch (h.biBitCount) {
    case 1: {
        QImage picture(w, ht, QImage::Format_Mono);
        if (picture.isNull()) return picture;
        picture.setColorTable(paddedTableOf(dib));
        const std::size_t bytes = (static_cast<std::size_t>(w) + 7) / 8;
        for (int y = 0; y < ht; ++y) std::memcpy(picture.scanLine(y), dib.row(y), bytes);
        return picture;
    }
    case 4:
    case 8: {
        QImage picture(w, ht, QImage::Format_Indexed8);
        if (picture.isNull()) return picture;
        picture.setColorTable(paddedTableOf(dib));
        for (int y = 0; y < ht; ++y) {
            const std::uint8_t* src = dib.row(y);
            std::uint8_t* dst = picture.scanLine(y);
            if (h.biBitCount == 8) {
                std::memcpy(dst, src, static_cast<std::size_t>(w));
            } else {
                for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x) dst[x] = indexAt(src, x, 4);
            }
        }
        return picture;
    }
    case 24: {
        QImage picture(w, ht, QImage::Format_BGR888);
        if (picture.isNull()) return picture;
        for (int y = 0; y < ht; ++y) std::memcpy(picture.scanLine(y), dib.row(y), static_cast<std::size_t>(w) * 3);
        return picture;
    }
    case 32:
        if (h.biCompression == platform::kBiRgb) {
            bool alpha = false;
            for (int y = 0; y < ht && !alpha; ++y) {
                const std::uint8_t* src = dib.row(y);
                for (int x = 0; x < w; ++x)
                    if (src[4 * x + 3]) {
                        alpha = true;
                        break;
                    }
            }
            QImage picture(w, ht, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            if (picture.isNull()) return picture;
            for (int y = 0; y < ht; ++y) {
                auto* dst = reinterpret_cast<std::uint32_t*>(picture.scanLine(y));
                std::memcpy(dst, dib.row(y), static_cast<std::size_t>(w) * 4);
                if (!alpha)
                    for (int x = 0; x < w; ++x) dst[x] |= 0xFF000000u;
            }
            return picture;
        }
        return maskedImage(dib);
    case 16:
        return maskedImage(dib);
    default:
        return QImage();
    }
}

}  // namespace

QImage imageFromDib(IKHANDLE image) {
    const DibView dib(image);
    if (!dib.usable()) return fail(dib.failureStatus(), QImage());
    QImage picture = convert(dib);
    if (picture.isNull()) return fail(IK_ERR_MEMORY, QImage());
    if (dib.header().biXPelsPerMeter > 0) picture.setDotsPerMeterX(dib.header().biXPelsPerMeter);
    if (dib.header().biYPelsPerMeter > 0) picture.setDotsPerMeterY(dib.header().biYPelsPerMeter);
    return picture;
}

IKHANDLE dibFromImage(const QImage& source, const QList<QRgb>* colourTable) {
    if (source.isNull() || source.width() <= 0 || source.height() <= 0) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
    QImage picture;
    std::uint16_t bits = 24;
    QList<QRgb> table;
    switch (source.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        picture = source.convertToFormat(QImage::Format_Mono);
        bits = 1;
        table = picture.colorTable();
        break;
    case QImage::Format_Indexed8:
        picture = source;
        bits = 8;
        table = picture.colorTable();
        break;
    case QImage::Format_Grayscale8:
        picture = source;
        bits = 8;
        for (int i = 0; i < 256; ++i) table.append(qRgb(i, i, i));
        break;
    default:
        if (source.hasAlphaChannel()) {
            picture = source.convertToFormat(QImage::Format_ARGB32);
            bits = 32;
        } else {
            picture = source.convertToFormat(QImage::Format_BGR888);
        }
        break;
    }
    if (picture.isNull()) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    if (colourTable && bits <= 8) table = *colourTable;
    if (bits <= 8 && table.size() > (1 << bits)) table.resize(1 << bits);
    if (bits <= 8 && table.isEmpty()) return fail<IKHANDLE>(IK_ERR_FORMAT, 0);

    const IKHANDLE image = allocateDib(picture.width(), picture.height(), bits,
                                       static_cast<std::uint32_t>(table.size()), true);
    if (!image) return 0;
    const DibView dib(image);
    dib.header().biXPelsPerMeter = picture.dotsPerMeterX();
    dib.header().biYPelsPerMeter = picture.dotsPerMeterY();
    writeColourTable(dib.colours(), coloursOf(table));
    const std::size_t rowBytes = (static_cast<std::size_t>(picture.width()) * bits + 7) / 8;
    for (int y = 0; y < picture.height(); ++y) std::memcpy(dib.row(y), picture.constScanLine(y), rowBytes);
    return image;
}

}  // namespace kit
