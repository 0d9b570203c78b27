// The thumbnail browser's geometry, scrolling and selection rules as pure functions.
#include "browse/ThumbLayout.h"
#include "browse/ThumbSelection.h"

#include <gtest/gtest.h>

using Ikutils::IkRect;

TEST(ThumbGridLayout, TileRectanglesPerStyle) {
    struct Case {
        TVIkThumbnailStyle style;
        bool button3D;
        ThumbTile first, secondColumn, secondRow;
        int unitX, unitY;
    };
    // 210 × 110 client, 2 × 2 tiles, gap 10, edge 5: tiles 95 × 45 (film: 100 wide, touching).
    const Case cases[] = {
        {vikButton, false, {5, 5, 100, 50, 0}, {110, 5, 205, 50, 0}, {5, 60, 100, 105, 0}, 9, 4},
        {vikButton, true, {7, 7, 98, 48, 0}, {112, 7, 203, 48, 0}, {7, 62, 98, 103, 0}, 9, 4},
        {vikFilm, false, {5, 5, 105, 50, 0}, {106, 5, 206, 50, 0}, {5, 60, 105, 105, 0}, 10, 4},
        {vikCustom, true, {5, 5, 100, 50, 0}, {110, 5, 205, 50, 0}, {5, 60, 100, 105, 0}, 9, 4},
    };
    for (const Case& c : cases) {
        const ThumbGrid g = computeThumbGrid({210, 110, 2, 2, 10, 5, c.style, c.button3D});
        ASSERT_EQ(g.tiles.size(), 4u);
        EXPECT_EQ(g.tiles[0], c.first) << int(c.style) << c.button3D;
        EXPECT_EQ(g.tiles[1], c.secondColumn) << int(c.style) << c.button3D;
        EXPECT_EQ(g.tiles[2], c.secondRow) << int(c.style) << c.button3D;
        EXPECT_EQ(g.UnitX, c.unitX);
        EXPECT_EQ(g.UnitY, c.unitY);
    }
    EXPECT_TRUE(computeThumbGrid({210, 110, 0, 2, 10, 5, vikButton, false}).tiles.empty());
}

TEST(ThumbGridLayout, EntryOfTileAndHitTest) {
    // Vertical scrolling runs row by row, horizontal column by column.
    EXPECT_EQ(tileEntryIndex(1, 3, 2, vikThumbVertical, 6), 7);
    EXPECT_EQ(tileEntryIndex(3, 3, 2, vikThumbVertical, 0), 3);
    EXPECT_EQ(tileEntryIndex(1, 3, 2, vikThumbHorizontal, 0), 2);
    EXPECT_EQ(tileEntryIndex(3, 3, 2, vikThumbHorizontal, 4), 5);

    const ThumbGrid g = computeThumbGrid({210, 110, 2, 2, 10, 5, vikButton, false});
    EXPECT_EQ(hitTestTile(g, 5, 5), 0);      // corner, edges count
    EXPECT_EQ(hitTestTile(g, 100, 50), 0);
    EXPECT_EQ(hitTestTile(g, 105, 20), -1);  // in the gap
    EXPECT_EQ(hitTestTile(g, 2, 20), -1);    // in the edge
    EXPECT_EQ(hitTestTile(g, 150, 80), 3);
}

TEST(ThumbGridLayout, ImageAndCaptionAreas) {
    const ThumbTile t{10, 20, 110, 120, 0};
    EXPECT_EQ(thumbImageArea(t, 10, 10, vikButton, false), (IkRect{20, 30, 100, 110}));
    EXPECT_EQ(thumbImageArea(t, 10, 10, vikButton, true), (IkRect{20, 30, 100, 100}));
    EXPECT_EQ(thumbImageArea(t, 10, 10, vikFilm, true), (IkRect{20, 30, 100, 90}));
    EXPECT_EQ(thumbCaptionArea(t, 10, 10, vikButton), (IkRect{15, 102, 105, 120}));
    EXPECT_EQ(thumbCaptionArea(t, 10, 10, vikFilm), (IkRect{15, 93, 105, 110}));
}

TEST(ThumbScrolling, TwelveEntriesInOneColumnOfFive) {
    const ThumbScrollInfo bar = thumbScrollInfo(true, 12, 1, 5, vikThumbVertical);
    EXPECT_TRUE(bar.shown);
    EXPECT_EQ(bar.max, 11);
    EXPECT_EQ(bar.page, 5);
    const ThumbTotals t = gridTotals(12, 1, 5, vikThumbVertical);
    EXPECT_EQ(t.rows, 12);
    const int bottom = scrollFirst(ThumbScrollRequest::Bottom, 0, t.rows, 5, 1);
    EXPECT_EQ(bottom, 7);  // entries 8 … 12 shown
    EXPECT_EQ(scrollFirst(ThumbScrollRequest::LineDown, bottom, t.rows, 5, 1), 7);
    EXPECT_EQ(scrollFirst(ThumbScrollRequest::PageUp, 3, t.rows, 5, 1), 0);
    EXPECT_EQ(scrollFirst(ThumbScrollRequest::PageDown, 3, t.rows, 5, 1), 7);
    EXPECT_EQ(scrollFirst(ThumbScrollRequest::LineUp, 3, t.rows, 5, 2), 1);
    EXPECT_EQ(scrollFirst(ThumbScrollRequest::Track, 3, t.rows, 5, 1, 6), 6);
    EXPECT_EQ(scrollFirst(ThumbScrollRequest::EndScroll, 3, t.rows, 5, 1, 6), 3);
    // Everything fits, or no bar wanted: hidden.
    EXPECT_FALSE(thumbScrollInfo(true, 5, 1, 5, vikThumbVertical).shown);
    EXPECT_FALSE(thumbScrollInfo(false, 12, 1, 5, vikThumbVertical).shown);
    // Horizontal: columns of RowCount entries.
    const ThumbScrollInfo across = thumbScrollInfo(true, 7, 2, 2, vikThumbHorizontal);
    EXPECT_EQ(across.max, 3);
    EXPECT_EQ(across.page, 2);
    // SetStartNum: the row of n, clamped so that the last row is the last visible one.
    EXPECT_EQ(startNumFor(3, 12, 1, 5, vikThumbVertical), 3);
    EXPECT_EQ(startNumFor(11, 12, 1, 5, vikThumbVertical), 7);
    EXPECT_EQ(startNumFor(5, 12, 2, 2, vikThumbVertical), 4);
}

TEST(ThumbScrolling, WheelKeepsTheRemainder) {
    const WheelTurn three = wheelTurn(0, 360);
    EXPECT_EQ(three.lines, 3);
    EXPECT_EQ(three.accumulator, 0);
    const WheelTurn half = wheelTurn(0, 420);
    EXPECT_EQ(half.lines, 3);
    EXPECT_EQ(half.accumulator, 60);
    const WheelTurn next = wheelTurn(half.accumulator, 60);
    EXPECT_EQ(next.lines, 1);
    EXPECT_EQ(next.accumulator, 0);
    const WheelTurn down = wheelTurn(60, -300);
    EXPECT_EQ(down.lines, -2);
    EXPECT_EQ(down.accumulator, 0);
    EXPECT_EQ(wheelTurn(30, 360, 0).lines, 0);  // no wheel: nothing
}

TEST(ThumbDrawing, ThumbnailShrinksToFitNeverEnlarges) {
    const IkRect area{10, 10, 110, 60};  // 100 × 50
    const ThumbPlacement small = placeThumbnail(area, 20, 10);
    EXPECT_EQ(small.width, 20);
    EXPECT_EQ(small.height, 10);
    EXPECT_EQ(small.left, 50);
    EXPECT_EQ(small.top, 30);
    const ThumbPlacement tall = placeThumbnail(area, 96, 64);
    EXPECT_EQ(tall.width, 75);
    EXPECT_EQ(tall.height, 50);
    EXPECT_EQ(tall.left, 23);
    EXPECT_EQ(tall.top, 10);
    EXPECT_FALSE(placeThumbnail(IkRect{0, 0, 1, 40}, 20, 10).drawn);
}

TEST(ThumbDrawing, GapBandsCoverEverythingButTheTiles) {
    const ThumbGrid g = computeThumbGrid({210, 110, 2, 2, 10, 5, vikButton, false});
    const auto bands = gapBands(g, 2, 2, 210, 110, 0);
    auto covered = [&](int x, int y) {
        for (const IkRect& b : bands)
            if (x >= b.left && x < b.right && y >= b.top && y < b.bottom) return true;
        return false;
    };
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 210; ++x) {
            bool inTile = false;
            for (const ThumbTile& t : g.tiles) inTile |= x >= t.Left && x < t.Right && y >= t.Top && y < t.Bottom;
            ASSERT_EQ(covered(x, y), !inTile) << x << "," << y;
        }
}

TEST(ThumbDrawing, FilmHolesTopAndBottom) {
    const auto holes = filmHoles(IkRect{0, 0, 99, 79});
    ASSERT_EQ(holes.size(), 10u);
    EXPECT_EQ(holes[0], (IkRect{5, 2, 15, 5}));
    EXPECT_EQ(holes[1], (IkRect{5, 74, 15, 77}));
    EXPECT_EQ(holes[8], (IkRect{84, 2, 94, 5}));
}

namespace {

std::vector<TIKSORTDATA> entriesOf(int count) {
    std::vector<TIKSORTDATA> list(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) list[static_cast<std::size_t>(i)].FileName = QString::number(i);
    return list;
}

std::vector<int> selected(const std::vector<TIKSORTDATA>& list) {
    std::vector<int> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].Selected) out.push_back(static_cast<int>(i));
    return out;
}

}  // namespace

TEST(ThumbSelectionRules, PlainClickSelectsOneAtPressAndRelease) {
    auto list = entriesOf(5);
    ThumbSelectionState s;
    list[3].Selected = -1;
    EXPECT_EQ(selectThumbEntry(list, s, 1, ThumbSelectAt::Press, false, false, false), std::vector<int>{1});
    EXPECT_EQ(selectThumbEntry(list, s, 1, ThumbSelectAt::Release, false, false, false), std::vector<int>{1});
    EXPECT_EQ(selected(list), std::vector<int>{1});
    EXPECT_EQ(s.current, 1);
    EXPECT_TRUE(selectThumbEntry(list, s, 5, ThumbSelectAt::Press, false, false, false).empty());
    // Without the multi-selection switch Shift and Ctrl are plain clicks.
    EXPECT_EQ(selectThumbEntry(list, s, 2, ThumbSelectAt::Press, true, true, false), std::vector<int>{2});
    EXPECT_EQ(selected(list), std::vector<int>{2});
}

TEST(ThumbSelectionRules, CtrlTogglesShiftMakesRangeGroupKeptAtPress) {
    auto list = entriesOf(6);
    ThumbSelectionState s;
    selectThumbEntry(list, s, 1, ThumbSelectAt::Press, false, false, true);
    selectThumbEntry(list, s, 1, ThumbSelectAt::Release, false, false, true);
    // Ctrl adds 3, and its release does not undo it.
    EXPECT_EQ(selectThumbEntry(list, s, 3, ThumbSelectAt::Press, false, true, true), std::vector<int>{3});
    EXPECT_TRUE(selectThumbEntry(list, s, 3, ThumbSelectAt::Release, false, true, true).empty());
    EXPECT_EQ(selected(list), (std::vector<int>{1, 3}));
    // A press on a member keeps the group (for dragging); its release selects it alone.
    EXPECT_TRUE(selectThumbEntry(list, s, 1, ThumbSelectAt::Press, false, false, true).empty());
    EXPECT_EQ(selected(list), (std::vector<int>{1, 3}));
    // Ctrl on a selected entry takes it out.
    EXPECT_EQ(selectThumbEntry(list, s, 3, ThumbSelectAt::Press, false, true, true), std::vector<int>{3});
    EXPECT_EQ(selected(list), std::vector<int>{1});
    // Shift: the anchor (3) to the released entry, ascending, the old range cleared.
    EXPECT_TRUE(selectThumbEntry(list, s, 5, ThumbSelectAt::Press, true, false, true).empty());
    EXPECT_EQ(selectThumbEntry(list, s, 5, ThumbSelectAt::Release, true, false, true), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(selected(list), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(selectThumbEntry(list, s, 2, ThumbSelectAt::Release, true, false, true), (std::vector<int>{2, 3}));
    EXPECT_EQ(selected(list), (std::vector<int>{2, 3}));
    // Shift with no anchor selects at the press and becomes the anchor.
    ThumbSelectionState fresh;
    auto other = entriesOf(4);
    EXPECT_EQ(selectThumbEntry(other, fresh, 2, ThumbSelectAt::Press, true, false, true), std::vector<int>{2});
    EXPECT_EQ(fresh.anchor, 2);
}

TEST(ThumbKeys, MovesAndTheScrollsTheyNeed) {
    struct Case {
        ThumbKey key;
        int current;
        TVIkThumbnailScroll scroll;
        int startNum;
        int target;
        bool scrolls;
        ThumbScrollRequest request;
    };
    using R = ThumbScrollRequest;
    // 3 columns × 2 rows, 14 entries.
    const Case cases[] = {
        {ThumbKey::Right, 4, vikThumbVertical, 0, 5, false, R::Position},
        {ThumbKey::Down, 4, vikThumbVertical, 0, 7, true, R::LineDown},   // leaves the last row
        {ThumbKey::Right, 5, vikThumbVertical, 0, 6, true, R::LineDown},  // last tile
        {ThumbKey::Up, 4, vikThumbVertical, 3, 1, true, R::LineUp},
        {ThumbKey::Left, 3, vikThumbVertical, 3, 2, true, R::LineUp},
        {ThumbKey::Left, 0, vikThumbVertical, 0, -1, false, R::Position},  // off the list
        {ThumbKey::Down, 12, vikThumbVertical, 9, -1, false, R::Position},
        {ThumbKey::Right, 1, vikThumbHorizontal, 0, 3, false, R::Position},
        {ThumbKey::Right, 4, vikThumbHorizontal, 0, 6, true, R::LineDown},
        {ThumbKey::Up, 2, vikThumbHorizontal, 2, 1, true, R::LineUp},
        {ThumbKey::PageDown, 4, vikThumbVertical, 0, 4, true, R::PageDown},
        {ThumbKey::PageUp, 4, vikThumbVertical, 0, 4, true, R::PageUp},
        {ThumbKey::Down, -1, vikThumbVertical, 6, 6, false, R::Position},  // no current entry
    };
    for (const Case& c : cases) {
        const ThumbKeyMove m = thumbKeyMove(c.key, c.current, 14, 3, 2, c.scroll, c.startNum);
        EXPECT_EQ(m.target, c.target) << int(c.key) << " from " << c.current;
        EXPECT_EQ(m.scrolls, c.scrolls) << int(c.key) << " from " << c.current;
        if (c.scrolls) {
            EXPECT_EQ(m.request, c.request) << int(c.key) << " from " << c.current;
        }
    }
}

TEST(ThumbSelectionRules, SelectedBlockMovesToTheTarget) {
    auto order = [](const std::vector<TIKSORTDATA>& list) {
        QString s;
        for (const TIKSORTDATA& e : list) s += e.FileName;
        return s;
    };
    struct Case {
        std::vector<int> selected;
        int target;
        bool moved;
        const char* result;
    };
    const Case cases[] = {
        {{1, 3}, 5, true, "024513"},  // forward: after the target
        {{3, 4}, 1, true, "034125"},  // backward: before it
        {{2}, 2, false, "012345"},    // onto itself
        {{2}, 6, false, "012345"},    // behind the list
        {{}, 1, false, "012345"},
    };
    for (const Case& c : cases) {
        auto list = entriesOf(6);
        for (int i : c.selected) list[static_cast<std::size_t>(i)].Selected = -1;
        EXPECT_EQ(moveSelectedBlock(list, c.target), c.moved) << c.result;
        EXPECT_EQ(order(list), QString::fromLatin1(c.result));
    }
}
