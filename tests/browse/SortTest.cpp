// Ordering entries with the settings passed per call, and the thumbnail size rule.
#include "browse/IkThumbSize.h"
#include "browse/Ikutils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TIKSORTDATA entryOf(const QString& folder, const QString& name, const QString& date, std::int16_t page = 0) {
    TIKSORTDATA entry;
    entry.PathName = folder;
    entry.FileName = name;
    entry.Page = page;
    setFileDate(entry, date);
    return entry;
}

int sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

TEST(BrowseSort, EachSortKeyOrdersByItsFieldsWithoutRegardToCase) {
    const QStringList exts{"TIF", "png"};
    // a: folder /b, x.TIF, older; b: folder /A, Y.png, newer.
    const TIKSORTDATA a = entryOf("/b", "x.TIF", "20200101000000");
    const TIKSORTDATA b = entryOf("/A", "Y.png", "20210101000000");
    struct Case {
        TVIkSort sort;
        int expected;  // sign of SortProc(a, b) ascending
    };
    const Case cases[] = {
        {vikSortNone, 0},          {vikSortFileName, -1},      {vikSortDate, -1},
        {vikSortFileExtName, 1},   {vikSortFileExtDate, 1},   {vikSortDirFileName, 1},
        {vikSortDirDate, 1},       {vikSortDirFileExtName, 1}, {vikSortDirFileExtDate, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.sort));
        EXPECT_EQ(sign(SortProc(a, b, {c.sort, vikSortOrderInc, exts})), c.expected);
        EXPECT_EQ(sign(SortProc(a, b, {c.sort, vikSortOrderDec, exts})), -c.expected);
    }
    // Same name, pages compare as four digits; a name refused by the list compares equal.
    EXPECT_LT(SortProc(entryOf("/", "p.tif", "", 2), entryOf("/", "P.TIF", "", 10), {vikSortFileName, vikSortOrderInc, exts}), 0);
    EXPECT_EQ(SortProc(a, entryOf("/", "z.bmp", ""), {vikSortFileExtName, vikSortOrderInc, exts}), 0);
    EXPECT_EQ(SortProc(entryOf("/", "same", ""), entryOf("/", "SAME", ""), {vikSortFileName, vikSortOrderInc, exts}), 0);
}

TEST(BrowseSort, QuickSortOrdersLikeTheStandardSortAtEverySize) {
    std::mt19937 random(7);
    for (std::size_t count : {0u, 1u, 2u, 3u, 10u, 257u, 2000u}) {
        for (int range : {3, 1000000}) {
            std::vector<int> values(count);
            for (int& v : values) v = static_cast<int>(random() % static_cast<unsigned>(range));
            std::vector<int> expected = values;
            std::sort(expected.begin(), expected.end());
            QSort(values.data(), values.size(), [](int a, int b) { return (a > b) - (a < b); });
            EXPECT_EQ(values, expected) << count << " of range " << range;
        }
    }
}

TEST(BrowseSort, TwoListsSortedWithDifferentSettingsDoNotDisturbEachOther) {
    std::vector<TIKSORTDATA> byName{entryOf("/", "b", "1"), entryOf("/", "a", "2"), entryOf("/", "c", "0")};
    std::vector<TIKSORTDATA> byDateDown = byName;
    // The comparison of one list sorts the other in the middle of its own sort.
    bool nested = false;
    const IkSortSettings name{vikSortFileName, vikSortOrderInc, {}};
    const IkSortSettings dateDown{vikSortDate, vikSortOrderDec, {}};
    QSort(byName.data(), byName.size(), [&](const TIKSORTDATA& x, const TIKSORTDATA& y) {
        if (!nested) {
            nested = true;
            sortEntries(byDateDown, dateDown);
        }
        return SortProc(x, y, name);
    });
    auto names = [](const std::vector<TIKSORTDATA>& list) {
        QStringList out;
        for (const TIKSORTDATA& e : list) out << e.FileName;
        return out.join(',');
    };
    EXPECT_EQ(names(byName), "a,b,c");
    EXPECT_EQ(names(byDateDown), "a,b,c");  // dates 2, 1, 0 descending
}

TEST(BrowseThumbSize, LongerSideTakesTheImageSizeOtherSideRoundsHalfUp) {
    struct Case {
        std::int32_t imageSize, width, height;
        IkThumbSize expected;
    };
    const Case cases[] = {
        {96, 300, 200, {96, 64}}, {96, 200, 300, {64, 96}}, {96, 50, 50, {96, 96}},
        {96, 7, 3, {96, 41}},     {96, 2, 1, {96, 48}},     {120, 1000, 999, {120, 120}},
        {96, 0, 10, {0, 0}},      {-1, 10, 10, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(GetThumbnailImageSize(c.imageSize, c.width, c.height), c.expected);
    }
}
