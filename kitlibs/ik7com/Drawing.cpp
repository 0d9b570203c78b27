// Drawing on a device context (a QPainter): packed bitmaps stretched into rectangles,
// rectangle outlines, fills and hatches.
#include "DibBlock.h"
#include "DrawPixelReader.h"
#include "KitCall.h"

#include <QImage>
#include <QPaintEngine>
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

// The part of a destination rectangle the painter can actually change.
QRect reachable(QPainter& painter, const QRect& target) {
    QRect area = target;
    if (painter.worldTransform().isIdentity() && painter.device())
        area &= QRect(0, 0, painter.device()->width(), painter.device()->height());
    if (painter.hasClipping() && painter.worldTransform().isIdentity())
        area &= painter.clipBoundingRect().toAlignedRect();
    return area;
}

// The image under the painter when writing opaque pixels into it gives the same result as
// drawing a picture there: a raster-painted, unshared 32-bit image at device pixel ratio 1,
// no transformation, plain copying at full opacity, and no clip or an integer rectangle.
QImage* directTarget(QPainter& painter) {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image || !painter.paintEngine() ||
        painter.paintEngine()->type() != QPaintEngine::Raster)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    if (!image->isDetached() || image->devicePixelRatio() != 1.0 || !painter.combinedTransform().isIdentity() ||
        painter.opacity() != 1.0)
        return nullptr;
    const QPainter::CompositionMode mode = painter.compositionMode();
    if (mode != QPainter::CompositionMode_SourceOver && mode != QPainter::CompositionMode_Source) return nullptr;
    if (painter.hasClipping()) {
        const QRectF bounds = painter.clipBoundingRect();
        if (painter.clipRegion().rectCount() > 1 || QRectF(bounds.toAlignedRect()) != bounds) return nullptr;
    }
    return image;
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
        const DrawPixelReader source(h, static_cast<const std::uint8_t*>(header) + h.biSize,
                                     static_cast<const std::uint8_t*>(bits));
        const QRect visible = reachable(*painter, QRect(dx, dy, dw, dh));
        if (visible.isEmpty()) return dh;
        // Opaque pixels go straight into the painter's image when that is the same as drawing
        // them; otherwise into a picture that is drawn.
        QImage* direct = directTarget(*painter);
        QImage picture;
        if (!direct) {
            picture = QImage(visible.size(), QImage::Format_RGB32);
            if (picture.isNull()) return fail<int32_t>(IK_ERR_MEMORY, 0);
        }
        auto outputRow = [&](std::int32_t j) {
            if (direct) return reinterpret_cast<std::uint32_t*>(direct->scanLine(visible.top() + j)) + visible.left();
            return reinterpret_cast<std::uint32_t*>(picture.scanLine(j));
        };
        // Nearest source pixel of each destination column: the one under its centre.
        std::vector<std::int32_t> columns(static_cast<std::size_t>(visible.width()));
        for (std::int32_t i = 0; i < visible.width(); ++i) {
            const std::int64_t offset = visible.left() + i - dx;
            const std::int32_t x = sx + static_cast<std::int32_t>((2 * offset + 1) * sw / (2 * static_cast<std::int64_t>(dw)));
            columns[static_cast<std::size_t>(i)] = std::clamp(x, 0, source.width() - 1);
        }
        const std::size_t rowBytes = static_cast<std::size_t>(visible.width()) * 4;
        std::int32_t previousY = -1;
        for (std::int32_t j = 0; j < visible.height(); ++j) {
            const std::int64_t offset = visible.top() + j - dy;
            const std::int32_t y = std::clamp(sy + static_cast<std::int32_t>((2 * offset + 1) * sh / (2 * static_cast<std::int64_t>(dh))), 0,
                                              source.height() - 1);
            std::uint32_t* out = outputRow(j);
            // When enlarging, consecutive rows often show the same source row.
            if (y == previousY) std::memcpy(out, outputRow(j - 1), rowBytes);
            else source.fill(source.row(y), columns.data(), visible.width(), out);
            previousY = y;
        }
        if (!direct) painter->drawImage(visible.topLeft(), picture);
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
