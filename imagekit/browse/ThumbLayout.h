#pragma once
// Geometry of the thumbnail browser as pure functions: the tiles of the grid, the image
// and caption areas inside a tile, the entry a tile shows, the hit test, the grid totals,
// scroll requests, the wheel accumulator, where a thumbnail is drawn, the gap bands and
// the sprocket holes of film tiles. Tile rectangles reach from Left/Top to Right/Bottom;
// the pixels drawn are Left … Right − 1 and Top … Bottom − 1.

#include "display/Ikutils.h"

#include <cstdint>
#include <vector>

enum TVIkThumbnailStyle : std::uint8_t { vikButton = 0, vikFilm = 1, vikCustom = 2 };
enum TVIkThumbnailScroll : std::uint8_t { vikThumbVertical = 0, vikThumbHorizontal = 1 };

struct ThumbTile {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    std::int32_t Selected = 0;
    bool operator==(const ThumbTile&) const = default;
};

struct ThumbGridSettings {
    int width = 100, height = 100;  // client size
    int ColCount = 2, RowCount = 2;
    int GapSize = 5, EdgeSize = 5;
    TVIkThumbnailStyle Style = vikButton;
    bool Button3D = true;
};

struct ThumbGrid {
    int tileWidth = 0, tileHeight = 0;
    int UnitX = 0, UnitY = 0;
    std::vector<ThumbTile> tiles;  // ColCount × RowCount, row by row
};

// Empty when ColCount or RowCount is below 1.
ThumbGrid computeThumbGrid(const ThumbGridSettings& s);

// The entry index a tile shows (may be past the last entry).
int tileEntryIndex(int tile, int colCount, int rowCount, TVIkThumbnailScroll scroll, int startNum);
// The first tile whose rectangle contains the point, edges included; −1 for none.
int hitTestTile(const ThumbGrid& grid, int x, int y);

// Inside a tile: the area of the image and of the caption.
Ikutils::IkRect thumbImageArea(const ThumbTile& t, int unitX, int unitY, TVIkThumbnailStyle style, bool captions);
Ikutils::IkRect thumbCaptionArea(const ThumbTile& t, int unitX, int unitY, TVIkThumbnailStyle style);

// Columns and rows of the whole grid.
struct ThumbTotals {
    int columns = 0, rows = 0;
};
ThumbTotals gridTotals(int count, int colCount, int rowCount, TVIkThumbnailScroll scroll);

// The scroll bar as the system states it: range 0 … max and a page; shown only when the
// entries do not all fit and ScrollBar is set.
struct ThumbScrollInfo {
    bool shown = false;
    int max = 0, page = 0;
};
ThumbScrollInfo thumbScrollInfo(bool scrollBar, int count, int colCount, int rowCount, TVIkThumbnailScroll scroll);

enum class ThumbScrollRequest { LineUp, LineDown, PageUp, PageDown, Track, Top, Bottom, Position, EndScroll };
// The new first visible row (column) f, for a total T, a visible count V and a step.
int scrollFirst(ThumbScrollRequest request, int first, int total, int visible, int step, int tracked = 0);

// The wheel: the accumulator takes the delta; each full 120 is one line up, each full
// −120 one line down, the remainder is kept. Positive lines mean up.
struct WheelTurn {
    int lines = 0;
    int accumulator = 0;
};
WheelTurn wheelTurn(int accumulator, int delta, int step = 120);

// Where a thumbnail of w × h goes in an area: shrunk to fit, never enlarged, centred.
struct ThumbPlacement {
    bool drawn = false;
    int left = 0, top = 0, width = 0, height = 0;
};
ThumbPlacement placeThumbnail(const Ikutils::IkRect& area, int imageWidth, int imageHeight);

// The bands between and around the tiles, filled with the control's colour; m is the
// 3-D margin (2 with Button3D, else 0). Rectangles exclusive.
std::vector<Ikutils::IkRect> gapBands(const ThumbGrid& grid, int colCount, int rowCount, int clientWidth,
                                      int clientHeight, int margin);

// The ten sprocket holes of a film tile drawn on rect (exclusive rectangles).
std::vector<Ikutils::IkRect> filmHoles(const Ikutils::IkRect& rect);

// The first visible row (column) for SetStartNum(n), clamped so that the last row
// (column) is the last visible one, never below 0; the StartNum is it times the per-row
// (per-column) count.
int startNumFor(int n, int count, int colCount, int rowCount, TVIkThumbnailScroll scroll);

// Arrow and page keys from the current entry: the entry to select and whether the grid
// scrolls first (a line when the target leaves the visible tiles, a page for the page
// keys). target is −1 when the move leaves the list.
enum class ThumbKey { Left, Right, Up, Down, PageUp, PageDown };
struct ThumbKeyMove {
    int target = -1;
    bool scrolls = false;
    ThumbScrollRequest request = ThumbScrollRequest::Position;
};
ThumbKeyMove thumbKeyMove(ThumbKey key, int current, int count, int colCount, int rowCount,
                          TVIkThumbnailScroll scroll, int startNum);
