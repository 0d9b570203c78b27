#include "widgets/Mccbox.h"

#include "PixelHelpers.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using widgets::TAlignment;
using widgets::TMultiColComboBox;

namespace {

const QString kOff = QStringLiteral("OFF-そのまま,元ﾌｧｲﾙの圧縮形式を維持");
const QRgb kSilverRgb = qRgb(192, 192, 192);
const QRgb kWhiteRgb = qRgb(255, 255, 255);

QFont pixelFont(int size) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(size);
    return font;
}

// A list as the settings dialogs set it up: two columns, silver and white, their own fonts.
void dialogList(TMultiColComboBox& box, int secondWidth) {
    box.SetCanEdit(false);
    box.SetIndent(1);
    box.SetItemHeight(13);
    box.Columns()[0].SetWidth(130);
    box.Columns()[0].SetColor(widgets::kSilver);
    box.Columns()[0].SetFont(pixelFont(11));
    auto& second = box.Columns().Add();
    second.SetWidth(secondWidth);
    second.SetColor(widgets::kWhite);
    second.SetFont(pixelFont(11));
    box.resize(140, 20);
}

// The open list's row of an item, drawn by the box's own list view.
QImage openRow(TMultiColComboBox& box, int row) {
    box.show();
    box.showPopup();
    QAbstractItemView* view = box.view();
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QImage image(view->viewport()->size(), QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    view->viewport()->render(&image);
    box.hidePopup();
    return image.copy(rect.intersected(image.rect()));
}

TEST(MultiColComboBox, NewBoxHasOneDefaultColumn) {
    TMultiColComboBox box;
    ASSERT_EQ(box.Columns().Count(), 1);
    EXPECT_EQ(box.Columns()[0].Width(), 60);
    EXPECT_TRUE(box.Columns()[0].ParentColor());
    EXPECT_TRUE(box.Columns()[0].ParentFont());
    EXPECT_EQ(box.TargetColumn(), 0);
    EXPECT_EQ(box.Indent(), 2);
    EXPECT_EQ(box.ItemHeight(), 15);
    EXPECT_EQ(box.DropDownCount(), 8);
    EXPECT_EQ(box.ItemIndex(), -1);
}

TEST(MultiColComboBox, ItemsKeepFullTextsWhileTheBoxShowsTheTargetColumn) {
    TMultiColComboBox box;
    box.AddItem(kOff);
    box.AddItem(QStringLiteral("非圧縮"));
    box.addItem(QStringLiteral("RLE,2色"));  // the native request is treated the same way
    EXPECT_EQ(box.Item(0), kOff);
    EXPECT_EQ(box.itemText(0), QStringLiteral("OFF-そのまま"));
    EXPECT_EQ(box.itemText(2), QStringLiteral("RLE"));
    EXPECT_EQ(box.Item(2), QStringLiteral("RLE,2色"));

    box.SetTargetColumn(1);
    EXPECT_EQ(box.itemText(0), QStringLiteral("元ﾌｧｲﾙの圧縮形式を維持"));
    EXPECT_EQ(box.itemText(1), QString());  // an item with one field has no second one
    EXPECT_EQ(box.Item(1), QStringLiteral("非圧縮"));
    box.SetItemIndex(2);
    EXPECT_EQ(box.GetSelectedText(), QStringLiteral("2色"));
}

TEST(MultiColComboBox, InsertAndDeleteKeepTheFullTextsInStep) {
    TMultiColComboBox box;
    box.AddItem(QStringLiteral("a,1"));
    box.AddItem(QStringLiteral("c,3"));
    box.InsertItem(1, QStringLiteral("b,2"));
    box.DeleteItem(0);
    ASSERT_EQ(box.ItemCount(), 2);
    EXPECT_EQ(box.Item(0), QStringLiteral("b,2"));
    EXPECT_EQ(box.Item(1), QStringLiteral("c,3"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("c"));
    box.ClearItems();
    EXPECT_EQ(box.ItemCount(), 0);
    EXPECT_EQ(box.GetColumnText(0, 0), QString());
}

TEST(MultiColComboBox, ColumnTextAndSelectedText) {
    TMultiColComboBox box;
    box.AddItem(QStringLiteral("90度"));
    box.AddItem(QStringLiteral("\"a, b\",c"));
    EXPECT_EQ(box.GetColumnText(1, 0), QStringLiteral("a, b"));
    EXPECT_EQ(box.GetColumnText(1, 1), QStringLiteral("c"));
    EXPECT_EQ(box.GetColumnText(0, 1), QString());
    EXPECT_EQ(box.GetColumnText(2, 0), QString());
    EXPECT_EQ(box.GetColumnText(-1, 0), QString());
    EXPECT_EQ(box.GetSelectedText(), QString());  // nothing selected
    box.SetItemIndex(1);
    EXPECT_EQ(box.GetSelectedText(), QStringLiteral("a, b"));

    // An editable box returns what the user typed once the field was modified.
    box.SetCanEdit(true);
    ASSERT_TRUE(box.CanEdit());
    box.SetItemIndex(0);
    EXPECT_EQ(box.GetSelectedText(), QStringLiteral("90度"));
    box.lineEdit()->setFocus();
    QTest::keyClicks(box.lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(box.GetSelectedText(), box.lineEdit()->text());
    EXPECT_TRUE(box.GetSelectedText().endsWith(QLatin1Char('x')));
}

TEST(MultiColComboBox, ParentColourAndFontFollowTheBoxUnlessOverridden) {
    TMultiColComboBox box;
    auto& own = box.Columns()[0];
    own.SetFont(pixelFont(11));
    own.SetColor(widgets::kSilver);
    EXPECT_FALSE(own.ParentFont());
    EXPECT_FALSE(own.ParentColor());
    auto& inherited = box.Columns().Add();

    box.setFont(pixelFont(20));
    box.SetColor(widgets::kAqua);
    EXPECT_EQ(inherited.Font().pixelSize(), 20);
    EXPECT_EQ(inherited.Color(), widgets::kAqua);
    EXPECT_EQ(own.Font().pixelSize(), 11);
    EXPECT_EQ(own.Color(), widgets::kSilver);

    // Turning the parent flags back on copies the box's values at once.
    own.SetParentFont(true);
    own.SetParentColor(true);
    EXPECT_TRUE(own.ParentFont());
    EXPECT_EQ(own.Font().pixelSize(), 20);
    EXPECT_EQ(own.Color(), widgets::kAqua);
}

TEST(MultiColComboBox, AssigningColumnsCopiesEveryField) {
    TMultiColComboBox source, target;
    dialogList(source, 180);
    source.Columns()[1].SetAlignment(TAlignment::taRightJustify);
    target.SetColumns(source.Columns());
    ASSERT_EQ(target.Columns().Count(), 2);
    EXPECT_EQ(target.Columns()[1].Width(), 180);
    EXPECT_EQ(target.Columns()[1].Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(target.Columns()[0].Color(), widgets::kSilver);
    EXPECT_FALSE(target.Columns()[0].ParentFont());
    EXPECT_EQ(target.Columns()[0].Font().pixelSize(), 11);
}

TEST(MultiColComboBox, OpenListIsAsWideAsAllColumnsWhateverTheBoxWidth) {
    for (const int boxWidth : {100, 310, 500}) {
        TMultiColComboBox box;
        dialogList(box, 180);
        box.AddItem(kOff);
        box.resize(boxWidth, 20);
        box.show();
        int dropDowns = 0;
        box.OnDropDown = [&] { ++dropDowns; };
        box.showPopup();
        EXPECT_EQ(box.view()->window()->width(), 310) << boxWidth;
        EXPECT_EQ(dropDowns, 1);
        box.hidePopup();
    }
}

TEST(MultiColComboBoxPixels, OpenListDrawsEachFieldInItsCell) {
    TMultiColComboBox box;
    dialogList(box, 180);
    box.AddItem(kOff);
    box.AddItem(QStringLiteral("非圧縮"));
    box.AddItem(QStringLiteral("x"));
    box.SetItemIndex(2);  // the rows looked at are not selected

    const QImage both = openRow(box, 0);
    ASSERT_EQ(both.height(), 13);
    const QRect first(0, 0, 130, 13), second(130, 0, 180, 13);
    auto ink = [](QRgb background) { return pixels::other(background); };
    EXPECT_GT(pixels::countWhere(both, ink(kSilverRgb), first), 20);
    EXPECT_GT(pixels::countWhere(both, ink(kWhiteRgb), second), 20);

    // Without a comma the first cell holds the text; the second is drawn empty in its colour.
    const QImage single = openRow(box, 1);
    EXPECT_GT(pixels::countWhere(single, ink(kSilverRgb), first), 20);
    EXPECT_EQ(pixels::countWhere(single, ink(kWhiteRgb), second.intersected(single.rect())), 0);
    EXPECT_EQ(single.pixel(129, 0), kSilverRgb);
    EXPECT_EQ(single.pixel(131, 12), kWhiteRgb);
}

TEST(MultiColComboBoxPixels, RightAlignedTextKeepsTheIndentFromTheCellEdge) {
    auto rightmostInk = [](int indent) {
        TMultiColComboBox box;
        dialogList(box, 110);
        box.Columns()[0].SetAlignment(TAlignment::taRightJustify);
        box.SetIndent(indent);
        box.AddItem(QStringLiteral("MMR,2色"));
        box.AddItem(QStringLiteral("x"));
        box.SetItemIndex(1);
        const QImage row = openRow(box, 0);
        return pixels::boundsWhere(row, pixels::other(kSilverRgb), QRect(0, 0, 130, 13)).right();
    };
    const int one = rightmostInk(1);
    const int four = rightmostInk(4);
    EXPECT_EQ(one - four, 3);
    EXPECT_LT(one, 129);  // the cell's last pixel column stays background
}

TEST(MultiColComboBoxPixels, ClosedBoxShowsOnlyTheTargetField) {
    auto closed = [](const QString& item, int index) {
        TMultiColComboBox box;
        dialogList(box, 180);
        box.AddItem(item);
        box.SetItemIndex(index);
        return pixels::render(box);
    };
    const QImage full = closed(kOff, 0);
    EXPECT_EQ(full, closed(QStringLiteral("OFF-そのまま"), 0));
    EXPECT_NE(full, closed(kOff, -1));
}

TEST(MultiColComboBoxPixels, SelectedRowIsHighlightedAcrossAllCells) {
    TMultiColComboBox box;
    dialogList(box, 180);
    box.AddItem(kOff);
    box.SetItemIndex(0);
    const QImage row = openRow(box, 0);
    const QRgb highlight = box.view()->palette().color(QPalette::Highlight).rgb();
    EXPECT_EQ(row.pixel(1, 0), highlight);
    EXPECT_EQ(row.pixel(300, 0), highlight);
    EXPECT_EQ(pixels::countWhere(row, pixels::exactly(kSilverRgb)), 0);
}

}  // namespace
