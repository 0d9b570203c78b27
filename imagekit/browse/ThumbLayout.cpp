#include "browse/ThumbLayout.h"

#include <algorithm>

using Ikutils::IkRect;

ThumbGrid computeThumbGrid(const ThumbGridSettings& s) {
    ThumbGrid g;
    if (s.ColCount < 1 || s.RowCount < 1) return g;
    const bool film = s.Style == vikFilm;
    g.tileWidth = film ? (s.width - 2 * s.EdgeSize) / s.ColCount
                       : (s.width - 2 * s.EdgeSize - s.GapSize * (s.ColCount - 1)) / s.ColCount;
    g.tileHeight = (s.height - 2 * s.EdgeSize - s.GapSize * (s.RowCount - 1)) / s.RowCount;
    const int inset = s.Button3D && s.Style == vikButton ? 2 : 0;
    g.tiles.reserve(static_cast<std::size_t>(s.ColCount) * static_cast<std::size_t>(s.RowCount));
    for (int r = 0; r < s.RowCount; ++r)
        for (int c = 0; c < s.ColCount; ++c) {
            ThumbTile t;
            t.Left = (film ? c * (g.tileWidth + 1) : c * (s.GapSize + g.tileWidth)) + s.EdgeSize;
            t.Top = r * (s.GapSize + g.tileHeight) + s.EdgeSize;
            t.Right = t.Left + g.tileWidth;
            t.Bottom = t.Top + g.tileHeight;
            t.Left += inset;
            t.Top += inset;
            t.Right -= inset;
            t.Bottom -= inset;
            g.tiles.push_back(t);
        }
    g.UnitX = (g.tiles[0].Right - g.tiles[0].Left) / 10;
    g.UnitY = (g.tiles[0].Bottom - g.tiles[0].Top) / 10;
    return g;
}

int tileEntryIndex(int tile, int colCount, int rowCount, TVIkThumbnailScroll scroll, int startNum) {
    const int c = tile % colCount, r = tile / colCount;
    return scroll == vikThumbVertical ? c + r * colCount + startNum : r + c * rowCount + startNum;
}

int hitTestTile(const ThumbGrid& grid, int x, int y) {
    for (std::size_t i = 0; i < grid.tiles.size(); ++i) {
        const ThumbTile& t = grid.tiles[i];
        if (x >= t.Left && x <= t.Right && y >= t.Top && y <= t.Bottom) return static_cast<int>(i);
    }
    return -1;
}

IkRect thumbImageArea(const ThumbTile& t, int unitX, int unitY, TVIkThumbnailStyle style, bool captions) {
    const int bottom = !captions ? unitY : style == vikFilm ? 3 * unitY : 2 * unitY;
    return {t.Left + unitX, t.Top + unitY, t.Right - unitX, t.Bottom - bottom};
}

IkRect thumbCaptionArea(const ThumbTile& t, int unitX, int unitY, TVIkThumbnailStyle style) {
    if (style == vikFilm)
        return {t.Left + unitX / 2, t.Bottom - static_cast<int>(2.7 * unitY), t.Right - unitX / 2, t.Bottom - unitY};
    return {t.Left + unitX / 2, t.Bottom - static_cast<int>(1.8 * unitY), t.Right - unitX / 2, t.Bottom};
}

ThumbTotals gridTotals(int count, int colCount, int rowCount, TVIkThumbnailScroll scroll) {
    if (colCount < 1 || rowCount < 1 || count < 0) return {};
    if (scroll == vikThumbVertical) return {colCount, (count + colCount - 1) / colCount};
    return {(count + rowCount - 1) / rowCount, rowCount};
}

ThumbScrollInfo thumbScrollInfo(bool scrollBar, int count, int colCount, int rowCount, TVIkThumbnailScroll scroll) {
    if (!scrollBar || colCount < 1 || rowCount < 1 || colCount * rowCount >= count) return {};
    const ThumbTotals t = gridTotals(count, colCount, rowCount, scroll);
    if (scroll == vikThumbVertical) return {true, t.rows - 1, rowCount};
    return {true, t.columns - 1, colCount};
}

int scrollFirst(ThumbScrollRequest request, int first, int total, int visible, int step, int tracked) {
    const int last = std::max(total - visible, 0);
    switch (request) {
        case ThumbScrollRequest::LineUp: return std::max(first - step, 0);
        case ThumbScrollRequest::LineDown: return std::min(first + step, last);
        case ThumbScrollRequest::PageUp: return std::max(first - visible, 0);
        case ThumbScrollRequest::PageDown: return std::min(first + visible, last);
        case ThumbScrollRequest::Track: return tracked;
        case ThumbScrollRequest::Top: return 0;
        case ThumbScrollRequest::Bottom: return last;
        case ThumbScrollRequest::Position:
        case ThumbScrollRequest::EndScroll: break;
    }
    return first;
}

WheelTurn wheelTurn(int accumulator, int delta, int step) {
    WheelTurn w{0, accumulator};
    if (step <= 0) return w;
    w.accumulator += delta;
    while (w.accumulator >= step) {
        ++w.lines;
        w.accumulator -= step;
    }
    while (w.accumulator <= -step) {
        --w.lines;
        w.accumulator += step;
    }
    return w;
}

ThumbPlacement placeThumbnail(const IkRect& area, int imageWidth, int imageHeight) {
    const int aw = area.right - area.left, ah = area.bottom - area.top;
    if (aw <= 1 || ah <= 1 || imageWidth < 1 || imageHeight < 1) return {};
    const double fx = imageWidth > aw ? static_cast<double>(imageWidth) / aw : 1.0;
    const double fy = imageHeight > ah ? static_cast<double>(imageHeight) / ah : 1.0;
    const double f = std::max(fx, fy);
    ThumbPlacement p;
    p.drawn = true;
    p.width = static_cast<int>(imageWidth / f + 0.5);
    p.height = static_cast<int>(imageHeight / f + 0.5);
    p.left = area.left + static_cast<int>((aw - p.width) * 0.5 + 0.5);
    p.top = area.top + static_cast<int>((ah - p.height) * 0.5 + 0.5);
    return p;
}

std::vector<IkRect> gapBands(const ThumbGrid& grid, int colCount, int rowCount, int clientWidth, int clientHeight,
                             int m) {
    std::vector<IkRect> bands;
    if (grid.tiles.empty()) return bands;
    auto tile = [&](int c, int r) -> const ThumbTile& { return grid.tiles[static_cast<std::size_t>(c + r * colCount)]; };
    for (int r = 0; r < rowCount; ++r) {
        const int top = r == 0 ? 0 : tile(0, r - 1).Bottom + m;
        bands.push_back({0, top, clientWidth, tile(0, r).Top - m});
    }
    bands.push_back({0, tile(0, rowCount - 1).Bottom + m, clientWidth, clientHeight});
    for (int c = 0; c < colCount; ++c) {
        const int left = c == 0 ? 0 : tile(c - 1, 0).Right + m;
        bands.push_back({left, 0, tile(c, 0).Left - m, clientHeight});
    }
    bands.push_back({tile(colCount - 1, 0).Right + m, 0, clientWidth, clientHeight});
    std::erase_if(bands, [](const IkRect& b) { return b.right <= b.left || b.bottom <= b.top; });
    return bands;
}

std::vector<IkRect> filmHoles(const IkRect& rect) {
    const double w = rect.right - rect.left, h = rect.bottom - rect.top;
    const int holeWidth = static_cast<int>(w / 10 + 0.5);
    const int holeHeight = static_cast<int>(h / 25 + 0.5);
    const int margin = static_cast<int>(h / 40 + 0.5);
    std::vector<IkRect> holes;
    for (int i = 0; i < 5; ++i) {
        const int x = rect.left + static_cast<int>(w / 20 + w * i / 5 + 0.5);
        holes.push_back({x, rect.top + margin, x + holeWidth, rect.top + margin + holeHeight});
        holes.push_back({x, rect.bottom - margin - holeHeight, x + holeWidth, rect.bottom - margin});
    }
    return holes;
}

int startNumFor(int n, int count, int colCount, int rowCount, TVIkThumbnailScroll scroll) {
    if (colCount < 1 || rowCount < 1) return 0;
    const bool vertical = scroll == vikThumbVertical;
    const int per = vertical ? colCount : rowCount;
    const int visible = vertical ? rowCount : colCount;
    const ThumbTotals t = gridTotals(count, colCount, rowCount, scroll);
    const int total = vertical ? t.rows : t.columns;
    const int first = std::clamp(n / per, 0, std::max(total - visible, 0));
    return first * per;
}

ThumbKeyMove thumbKeyMove(ThumbKey key, int current, int count, int colCount, int rowCount,
                          TVIkThumbnailScroll scroll, int startNum) {
    ThumbKeyMove move;
    if (key == ThumbKey::PageUp || key == ThumbKey::PageDown) {
        move.target = current >= 0 && current < count ? current : -1;
        move.scrolls = true;
        move.request = key == ThumbKey::PageUp ? ThumbScrollRequest::PageUp : ThumbScrollRequest::PageDown;
        return move;
    }
    const bool vertical = scroll == vikThumbVertical;
    const int across = vertical ? 1 : rowCount, down = vertical ? colCount : 1;
    int step = 0;
    switch (key) {
        case ThumbKey::Left: step = -across; break;
        case ThumbKey::Right: step = across; break;
        case ThumbKey::Up: step = -down; break;
        case ThumbKey::Down: step = down; break;
        default: break;
    }
    // Without a current entry the first visible one is taken.
    const int target = current < 0 ? startNum : current + step;
    if (target < 0 || target >= count) return move;
    move.target = target;
    if (target < startNum) {
        move.scrolls = true;
        move.request = ThumbScrollRequest::LineUp;
    } else if (target >= startNum + colCount * rowCount) {
        move.scrolls = true;
        move.request = ThumbScrollRequest::LineDown;
    }
    return move;
}
