#pragma once
// TMultiColComboBox: a drop-down combo box whose items are rows of several columns. Each item
// is one text with its columns separated by commas; the open list draws every column in its
// own cell with its own width, colour, font and alignment, while the closed box shows and
// returns only the text of the column TargetColumn.

#include "widgets/TColor.h"
#include "widgets/TextAlignment.h"

#include <QComboBox>
#include <QFont>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace widgets {

class TMultiColComboBox;

// One column of the open list. A column with ParentColor or ParentFont follows the box's
// colour or font; setting its own colour or font clears the flag.
class TCBColumn {
public:
    explicit TCBColumn(TMultiColComboBox* owner);

    int Width() const { return width_; }
    void SetWidth(int w);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    QFont Font() const { return font_; }
    void SetFont(const QFont& f);
    // The colour of the column's font; part of the font.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool b);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool b);

    // Copies width, colour, alignment, font, ParentColor and ParentFont.
    void Assign(const TCBColumn& source);

private:
    friend class TMultiColComboBox;
    void takeParentColor();
    void takeParentFont();
    void changed();

    TMultiColComboBox* owner_;
    int width_ = 60;
    TColor color_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    QFont font_;
    TColor fontColor_;
    bool parentColor_ = true;
    bool parentFont_ = true;
};

// The columns of a box, in display order.
class TCBColumns {
public:
    explicit TCBColumns(TMultiColComboBox* owner) : owner_(owner) {}

    int Count() const { return static_cast<int>(items_.size()); }
    TCBColumn& operator[](int i) { return *items_.at(i); }
    const TCBColumn& operator[](int i) const { return *items_.at(i); }
    TCBColumn& Add();
    void Delete(int i);
    void Clear();
    // Makes this collection a column-by-column copy of another.
    void Assign(const TCBColumns& source);

    std::vector<int> Widths() const;
    int TotalWidth() const;

private:
    TMultiColComboBox* owner_;
    std::vector<std::unique_ptr<TCBColumn>> items_;
};

class TMultiColComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TMultiColComboBox(QWidget* parent = nullptr);
    ~TMultiColComboBox() override;

    // True: an edit field (drop-down style); False: pick-only list.
    bool CanEdit() const { return isEditable(); }
    void SetCanEdit(bool b);
    TCBColumns& Columns() { return columns_; }
    const TCBColumns& Columns() const { return columns_; }
    void SetColumns(const TCBColumns& columns) { columns_.Assign(columns); }
    std::uint8_t TargetColumn() const { return targetColumn_; }
    void SetTargetColumn(std::uint8_t column);
    int Indent() const { return indent_; }
    void SetIndent(int pixels);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int pixels);
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int rows) { setMaxVisibleItems(rows); }
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index) { setCurrentIndex(index); }

    // Items are full texts; the native list holds only their TargetColumn fields. Items
    // added with QComboBox::addItem or insertItem are treated the same way.
    void AddItem(const QString& fullText) { addItem(fullText); }
    void InsertItem(int index, const QString& fullText) { insertItem(index, fullText); }
    void DeleteItem(int index) { removeItem(index); }
    void ClearItems() { clear(); }
    int ItemCount() const { return count(); }
    // The full text of an item.
    QString Item(int index) const;

    // Field `column` of item `index`; empty outside the list or when the item has no such field.
    QString GetColumnText(int index, int column) const;
    // The edited text when the user changed the edit field, else the TargetColumn field of
    // the selected item.
    QString GetSelectedText() const;

    // Opens the list as wide as all columns together.
    void showPopup() override;

    std::function<void()> OnChange;    // the user picked an item or edited the text
    std::function<void()> OnDropDown;  // the list is about to open

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TCBColumn;
    friend class TCBColumns;
    void columnsChanged();
    void adoptInsertedItems(int first, int last);
    void refreshNativeTexts();
    void applyColorToPalette();

    TCBColumns columns_{this};
    std::uint8_t targetColumn_ = 0;
    int indent_ = 2;
    int itemHeight_ = 15;
    TColor color_ = static_cast<TColor>(0x80000005);      // window
    TColor fontColor_ = static_cast<TColor>(0x80000008);  // window text
};

}  // namespace widgets
