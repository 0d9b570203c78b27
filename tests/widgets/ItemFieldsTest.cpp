#include "widgets/MccboxFields.h"

#include <gtest/gtest.h>

using widgets::TAlignment;

namespace {

struct SplitCase {
    const char* text;
    QStringList fields;
};

class SplitItemFields : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitItemFields, SplitsLikeACommaSeparatedList) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(widgets::splitItemFields(QString::fromUtf8(c.text)), c.fields) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitItemFields,
    testing::Values(
        SplitCase{"OFF-そのまま,元ﾌｧｲﾙの圧縮形式を維持", {"OFF-そのまま", "元ﾌｧｲﾙの圧縮形式を維持"}},
        SplitCase{"75x75dpi", {"75x75dpi"}},
        SplitCase{"", {}},
        SplitCase{"   ", {}},
        SplitCase{"a b", {"a", "b"}},
        SplitCase{"a\tb", {"a", "b"}},
        SplitCase{"  a  ,  b  ", {"a", "b"}},
        SplitCase{"a,,b", {"a", "", "b"}},
        SplitCase{",a", {"", "a"}},
        SplitCase{"a,", {"a", ""}},
        SplitCase{"a, ", {"a"}},
        SplitCase{"a , ,b", {"a", "", "b"}},
        SplitCase{"\"a, b\",c", {"a, b", "c"}},
        SplitCase{"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        SplitCase{"\"\",x", {"", "x"}},
        SplitCase{"\"open", {"open"}},
        SplitCase{"\"q\"tail", {"q", "tail"}},
        SplitCase{"1～2～3～4～,連番", {"1～2～3～4～", "連番"}}));

TEST(SplitItemFieldsNul, TextEndsAtNul) {
    const QString text = QStringLiteral("a,b") + QChar(0) + QStringLiteral(",c");
    EXPECT_EQ(widgets::splitItemFields(text), (QStringList{"a", "b"}));
}

TEST(ItemField, MissingFieldsAreEmpty) {
    const QString item = QStringLiteral("RLE,2色");
    EXPECT_EQ(widgets::itemField(item, 0), "RLE");
    EXPECT_EQ(widgets::itemField(item, 1), "2色");
    EXPECT_EQ(widgets::itemField(item, 2), "");
    EXPECT_EQ(widgets::itemField(item, -1), "");
    EXPECT_EQ(widgets::itemField(QStringLiteral("非圧縮"), 1), "");
}

TEST(ItemCells, ColumnsFollowEachOtherFromTheRowsLeft) {
    const QRect row(5, 26, 400, 13);
    const auto cells = widgets::itemCells(row, {130, 180});
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0], QRect(5, 26, 130, 13));
    EXPECT_EQ(cells[1], QRect(135, 26, 180, 13));
    EXPECT_EQ(widgets::rowRemainder(row, {130, 180}), QRect(315, 26, 90, 13));
    // Columns wider than the row leave nothing to fill.
    EXPECT_FALSE(widgets::rowRemainder(QRect(0, 0, 200, 13), {130, 180}).isValid());
}

TEST(CellTextRect, IndentIsOnTheAlignedSide) {
    const QRect cell(130, 0, 110, 13);
    EXPECT_EQ(widgets::cellTextRect(cell, TAlignment::taRightJustify, 1), QRect(130, 0, 109, 13));
    EXPECT_EQ(widgets::cellTextRect(cell, TAlignment::taLeftJustify, 1), QRect(131, 0, 109, 13));
    EXPECT_EQ(widgets::cellTextRect(cell, TAlignment::taCenter, 2), QRect(132, 0, 108, 13));
}

}  // namespace
