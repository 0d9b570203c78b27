// Drawing on a device context (a QPainter): packed bitmaps stretched into rectangles,
// rectangle outlines, fills and hatches.
#include "DibBlock.h"
#include "KitCall.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace kit;

namespace {

QColor colourOf(uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

QPainter* painterOf(void* dc) {
    auto* painter = static_cast<QPainter*>(dc);
    return painter && painter->isActive() ? painter : nullptr;
}

// Reads pixels of a packed bitmap given by its header and pixel bits as 0xFFRRGGBB.
class PixelSource {
public:
    PixelSource(const platform::BitmapInfoHeader& h, const std::uint8_t* table, const std::uint8_t* bits)
        : h_(h), bits_(bits), stride_(platform::dibStride(h.biWidth, h.biBitCount)),
          height_(h.biHeight < 0 ? -h.biHeight : h.biHeight) {
        if (h.biBitCount <= 8) {
            lut_.assign(256, 0xFF000000u);
            const std::uint32_t count = platform::dibNumColors(h);
            for (std::uint32_t i = 0; i < count; ++i)
                lut_[i] = 0xFF000000u | (table[4 * i + 2] << 16) | (table[4 * i + 1] << 8) | table[4 * i];
        } else if (h.biBitCount == 16 || h.biCompression == platform::kBiBitFields) {
            std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
            if (h.biCompression == platform::kBiBitFields) std::memcpy(masks, table, sizeof(masks));
            for (int c = 0; c < 3; ++c) {
                mask_[c] = masks[c];
                while (masks[c] && !(masks[c] & (1u << shift_[c]))) ++shift_[c];
                max_[c] = masks[c] >> shift_[c];
            }
            masked_ = true;
        }
    }
    const std::uint8_t* row(std::int32_t y) const {
        const std::int32_t stored = h_.biHeight > 0 ? height_ - 1 - y : y;
        return bits_ + static_cast<std::size_t>(stored) * stride_;
    }
    std::uint32_t at(const std::uint8_t* row, std::int32_t x) const {
        switch (h_.biBitCount) {
        case 1: return lut_[(row[x >> 3] >> (7 - (x & 7))) & 1];
        case 4: return lut_[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
        case 8: return lut_[row[x]];
        case 24: return 0xFF000000u | (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x];
        default: break;
        }
        std::uint32_t v = 0;
        if (h_.biBitCount == 16) v = row[2 * x] | (row[2 * x + 1] << 8);
        else std::memcpy(&v, row + 4 * static_cast<std::size_t>(x), 4);
        if (!masked_) return 0xFF000000u | v;
        std::uint32_t rgb = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            if (max_[c]) rgb |= (((v & mask_[c]) >> shift_[c]) * 255 / max_[c]) << (16 - 8 * c);
        return rgb;
    }
    std::int32_t width() const { return h_.biWidth; }
    std::int32_t height() const { return height_; }

private:
    const platform::BitmapInfoHeader& h_;
    const std::uint8_t* bits_;
    std::uint32_t stride_;
    std::int32_t height_;
    std::vector<std::uint32_t> lut_;
    std::uint32_t mask_[3] = {0, 0, 0}, max_[3] = {0, 0, 0};
    int shift_[3] = {0, 0, 0};
    bool masked_ = false;
};

// The part of a destination rectangle the painter can actually change.
QRect reachable(QPainter& painter, const QRect& target) {
    QRect area = target;
    if (painter.worldTransform().isIdentity() && painter.device())
        area &= QRect(0, 0, painter.device()->width(), painter.device()->height());
    if (painter.hasClipping() && painter.worldTransform().isIdentity())
        area &= painter.clipBoundingRect().toAlignedRect();
    return area;
}

}  // namespace

/*
 * colorUse 0: the colour table holds RGB values (the only use supported); rop is taken as
 * a copy. Result: the number of destination rows, 0 on failure.
 */
IK_API int32_t _StretchDIBits(void* dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
                              int32_t sw, int32_t sh, const void* bits, const void* header, uint32_t, uint32_t) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        QPainter* painter = painterOf(dc);
        if (!painter || !bits || !header || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
            return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        platform::BitmapInfoHeader h;
        std::memcpy(&h, header, sizeof(h));
        if (!platform::dibIsUsable(h, static_cast<std::size_t>(-1))) return fail<int32_t>(IK_ERR_FORMAT, 0);
        const PixelSource source(h, static_cast<const std::uint8_t*>(header) + h.biSize,
                                 static_cast<const std::uint8_t*>(bits));
        const QRect visible = reachable(*painter, QRect(dx, dy, dw, dh));
        if (visible.isEmpty()) return dh;
        QImage picture(visible.size(), QImage::Format_RGB32);
        if (picture.isNull()) return fail<int32_t>(IK_ERR_MEMORY, 0);
        // Nearest source pixel of each destination column: the one under its centre.
        std::vector<std::int32_t> columns(static_cast<std::size_t>(visible.width()));
        for (std::int32_t i = 0; i < visible.width(); ++i) {
            const std::int64_t offset = visible.left() + i - dx;
            const std::int32_t x = sx + static_cast<std::int32_t>((2 * offset + 1) * sw / (2 * static_cast<std::int64_t>(dw)));
            columns[static_cast<std::size_t>(i)] = std::clamp(x, 0, source.width() - 1);
        }
        for (std::int32_t j = 0; j < visible.height(); ++j) {
            const std::int64_t offset = visible.top() + j - dy;
            const std::int32_t y = std::clamp(sy + static_cast<std::int32_t>((2 * offset + 1) * sh / (2 * static_cast<std::int64_t>(dh))), 0,
                                              source.height() - 1);
            const std::uint8_t* row = source.row(y);
            auto* out = reinterpret_cast<std::uint32_t*>(picture.scanLine(j));
            for (std::int32_t i = 0; i < visible.width(); ++i) out[i] = source.at(row, columns[static_cast<std::size_t>(i)]);
        }
        painter->drawImage(visible.topLeft(), picture);
        return dh;
    });
}

IK_API IKBOOL _Box(void* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t lineWidth,
                   uint32_t colour) {
    return guarded(IK_FALSE, [&] {
        QPainter* painter = painterOf(dc);
        if (!painter || lineWidth <= 0) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        if (right <= left || bottom <= top) return IK_TRUE;
        const QColor c = colourOf(colour);
        const int w = std::min({lineWidth, right - left, bottom - top});
        painter->fillRect(QRect(left, top, right - left, w), c);
        painter->fillRect(QRect(left, bottom - w, right - left, w), c);
        painter->fillRect(QRect(left, top, w, bottom - top), c);
        painter->fillRect(QRect(right - w, top, w, bottom - top), c);
        return IK_TRUE;
    });
}

IK_API IKBOOL _BoxFull(void* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    return guarded(IK_FALSE, [&] {
        QPainter* painter = painterOf(dc);
        if (!painter) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        if (right > left && bottom > top) painter->fillRect(QRect(left, top, right - left, bottom - top), colourOf(colour));
        return IK_TRUE;
    });
}

/* style: 0 horizontal, 1 vertical, 2 forward diagonal, 3 backward diagonal, 4 cross, 5 diagonal cross. */
IK_API IKBOOL _BoxFullHatch(void* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t background,
                            uint32_t hatch, int32_t style) {
    return guarded(IK_FALSE, [&] {
        static const Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        QPainter* painter = painterOf(dc);
        if (!painter || style < 0 || style > 5) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        if (right <= left || bottom <= top) return IK_TRUE;
        const QRect area(left, top, right - left, bottom - top);
        painter->fillRect(area, colourOf(background));
        painter->fillRect(area, QBrush(colourOf(hatch), styles[style]));
        return IK_TRUE;
    });
}
