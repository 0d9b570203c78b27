// How TVIkThumb puts pixels on its window: each tile composed off screen (face, 3-D
// edge or sprocket holes, the thumbnail through the kit's _StretchDIBits) and copied in
// one operation, then the caption, the gaps and the outer border.
#include "browse/Ikthumb.h"

#include "Ikdllprocs.h"
#include "display/DisplayEdge.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QPainter>

using Ikutils::IkRect;

namespace {

QColor colourOf(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

void boxFull(QPainter& p, int left, int top, int right, int bottom, std::uint32_t colour) {
    if (Ikdllprocs::_BoxFull) Ikdllprocs::_BoxFull(&p, left, top, right, bottom, colour & 0xFFFFFF);
}

}  // namespace

void TVIkThumb::paintEvent(QPaintEvent*) {
    // Thumbnails of the visible tiles are made while painting in the display modes.
    if (!busy_ && displayMode()) makeVisibleThumbnails();
    layoutGrid();
    QImage surface(size(), QImage::Format_RGB32);
    if (surface.isNull()) return;
    surface.fill(colourOf(Color_));
    {
        QPainter p(&surface);
        const QSize c = clientSize();
        p.setClipRect(QRect(0, 0, c.width(), c.height()));
        paintGrid(p);
    }
    QPainter widget(this);
    widget.drawImage(0, 0, surface);
}

void TVIkThumb::paintGrid(QPainter& p) {
    if (StartNum_ < 0) StartNum_ = 0;
    for (std::size_t t = 0; t < grid_.tiles.size(); ++t) drawTile(p, static_cast<int>(t));
    const QSize c = clientSize();
    for (const IkRect& band : gapBands(grid_, ColCount_, RowCount_, c.width(), c.height(), Button3D_ ? 2 : 0))
        boxFull(p, band.left, band.top, band.right, band.bottom, Color_);
    drawBorder(p);
}

void TVIkThumb::drawBorder(QPainter& p) {
    const QSize c = clientSize();
    IkRect client{0, 0, c.width() - 1, c.height() - 1};
    if (BorderVisible_ && Appearance_ != vikFlat) {
        DrawDisplayEdge(p, client, Appearance_ == vikLowered);
        return;
    }
    const std::uint32_t colour = BorderVisible_ ? BorderColor_ : Color_;
    if (Ikdllprocs::_Box) Ikdllprocs::_Box(&p, 0, 0, c.width(), c.height(), 1, colour & 0xFFFFFF);
}

void TVIkThumb::drawEmptyTile(QPainter& p, const ThumbTile& t, bool selected) {
    const std::uint32_t face = selected ? ForeColorDown_ : ForeColorUp_;
    boxFull(p, t.Left, t.Top, t.Right, t.Bottom, face);
    if (Style_ == vikButton && Button3D_)
        DrawDisplayEdge(p, IkRect{t.Left - 2, t.Top - 2, t.Right + 1, t.Bottom + 1}, selected);
    if (Style_ == vikFilm)
        for (const IkRect& hole : filmHoles(IkRect{t.Left, t.Top, t.Right - 1, t.Bottom - 1}))
            boxFull(p, hole.left, hole.top, hole.right, hole.bottom, Color_);
}

// Composes the tile off screen and copies it; false when the thumbnail cannot be drawn.
bool TVIkThumb::drawThumbnail(QPainter& p, const ThumbTile& t, const TIKSORTDATA& entry) {
    if (!Ikdllprocs::_StretchDIBits || !Ikdllprocs::GetDibPalSize) return false;
    platform::GlobalLock lock(entry.Thumb);
    if (!lock) return false;
    const auto* header = lock.as<std::uint8_t>();
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    const int iw = h.biWidth, ih = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const ThumbPlacement at =
        placeThumbnail(thumbImageArea(t, grid_.UnitX, grid_.UnitY, Style_, DispFileName_), iw, ih);
    if (!at.drawn) return false;
    const int m = Style_ == vikButton && Button3D_ ? 2 : 0;
    const int ox = t.Left - m, oy = t.Top - m;
    QImage tile(t.Right - t.Left + 2 * m, t.Bottom - t.Top + 2 * m, QImage::Format_RGB32);
    if (tile.isNull()) return false;
    {
        QPainter memory(&tile);
        memory.translate(-ox, -oy);
        drawEmptyTile(memory, t, entry.Selected != 0);
        const std::uint8_t* bits = header + h.biSize + Ikdllprocs::GetDibPalSize(header);
        if (!Ikdllprocs::_StretchDIBits(&memory, at.left, at.top, at.width, at.height, 0, 0, iw, ih, bits, header, 0,
                                        0))
            return false;
    }
    p.drawImage(ox, oy, tile);
    return true;
}

void TVIkThumb::drawCaption(QPainter& p, const ThumbTile& t, const TIKSORTDATA& entry, const QString& text) {
    const IkRect area = thumbCaptionArea(t, grid_.UnitX, grid_.UnitY, Style_);
    const QRect box(area.left, area.top, area.right - area.left, area.bottom - area.top);
    if (box.width() <= 0 || box.height() <= 0) return;
    const bool selected = entry.Selected != 0;
    p.save();
    p.setClipRect(box, Qt::IntersectClip);
    p.setFont(font());
    const QRect extent = p.fontMetrics().boundingRect(box, Qt::AlignHCenter | Qt::AlignTop, text);
    if (!(selected ? SelectTextTransparent_ : TextTransparent_))
        p.fillRect(extent, colourOf(selected ? SelectTextBackColor_ : TextBackColor_));
    p.setPen(colourOf(selected ? SelectTextColor_ : TextColor_));
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
    p.restore();
}

void TVIkThumb::drawTile(QPainter& p, int tile) {
    const ThumbTile& t = grid_.tiles[static_cast<std::size_t>(tile)];
    const int index = tileEntryIndex(tile, ColCount_, RowCount_, ScrollVH_, StartNum_);
    if (index < 0 || index >= Count() || !entries_[static_cast<std::size_t>(index)].Thumb ||
        !drawThumbnail(p, t, entries_[static_cast<std::size_t>(index)])) {
        drawEmptyTile(p, t, t.Selected != 0);
        return;
    }
    const TIKSORTDATA& e = entries_[static_cast<std::size_t>(index)];
    ThumbText.clear();
    DoShowThumbImage(e.PathName, displayName(e), static_cast<std::int16_t>(index + 1),
                     static_cast<std::int16_t>(Count()), eventRect(index, true));
    if (DispFileName_) drawCaption(p, t, e, ThumbText.isEmpty() ? displayName(e) : ThumbText);
}
