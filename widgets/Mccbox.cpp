#include "widgets/Mccbox.h"

#include "widgets/MccboxFields.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace widgets {

namespace {

// Item data role holding an item's full text beside the native (displayed) text.
constexpr int kFullTextRole = Qt::UserRole + 1;

// Draws an item of the open list as one cell per column.
class MultiColumnDelegate : public QAbstractItemDelegate {
public:
    explicit MultiColumnDelegate(TMultiColComboBox* box) : QAbstractItemDelegate(box), box_(box) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const TCBColumns& columns = box_->Columns();
        const bool selected = option.state & QStyle::State_Selected;
        const QColor highlight = option.palette.color(QPalette::Highlight);
        const QColor highlightText = option.palette.color(QPalette::HighlightedText);
        const QStringList fields = splitItemFields(index.data(kFullTextRole).toString());
        const std::vector<int> widths = columns.Widths();
        const std::vector<QRect> cells = itemCells(option.rect, widths);

        p->save();
        QColor background = selected ? highlight : toQColor(box_->Color());
        for (int i = 0; i < columns.Count(); ++i) {
            const TCBColumn& column = columns[i];
            QFont font = column.Font();
            if (selected) {
                font = box_->font();
                font.setFamilies(column.Font().families());
            }
            background = selected ? highlight : toQColor(column.Color());
            p->fillRect(cells[i], background);
            p->setFont(font);
            p->setPen(selected ? highlightText : toQColor(column.FontColor()));
            const QRect textRect = cellTextRect(cells[i], column.Alignment(), box_->Indent());
            p->drawText(textRect,
                        int(toQtAlignment(column.Alignment())) | Qt::AlignVCenter | Qt::TextSingleLine,
                        i < fields.size() ? fields[i] : QString());
        }
        const QRect rest = rowRemainder(option.rect, widths);
        if (rest.isValid()) p->fillRect(rest, background);
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(box_->Columns().TotalWidth(), box_->ItemHeight());
    }

private:
    TMultiColComboBox* box_;
};

}  // namespace

TCBColumn::TCBColumn(TMultiColComboBox* owner)
    : owner_(owner), color_(owner->Color()), font_(owner->font()), fontColor_(owner->FontColor()) {}

void TCBColumn::changed() { owner_->columnsChanged(); }

void TCBColumn::SetWidth(int w) {
    width_ = w;
    changed();
}

void TCBColumn::SetColor(TColor c) {
    color_ = c;
    parentColor_ = false;
    changed();
}

void TCBColumn::SetAlignment(TAlignment a) {
    alignment_ = a;
    changed();
}

void TCBColumn::SetFont(const QFont& f) {
    font_ = f;
    parentFont_ = false;
    changed();
}

void TCBColumn::SetFontColor(TColor c) {
    fontColor_ = c;
    parentFont_ = false;
    changed();
}

void TCBColumn::SetParentColor(bool b) {
    parentColor_ = b;
    if (b) takeParentColor();
    changed();
}

void TCBColumn::SetParentFont(bool b) {
    parentFont_ = b;
    if (b) takeParentFont();
    changed();
}

void TCBColumn::takeParentColor() { color_ = owner_->Color(); }

void TCBColumn::takeParentFont() {
    font_ = owner_->font();
    fontColor_ = owner_->FontColor();
}

void TCBColumn::Assign(const TCBColumn& source) {
    width_ = source.width_;
    color_ = source.color_;
    alignment_ = source.alignment_;
    font_ = source.font_;
    fontColor_ = source.fontColor_;
    parentColor_ = source.parentColor_;
    parentFont_ = source.parentFont_;
    changed();
}

TCBColumn& TCBColumns::Add() {
    items_.push_back(std::make_unique<TCBColumn>(owner_));
    owner_->columnsChanged();
    return *items_.back();
}

void TCBColumns::Delete(int i) {
    items_.erase(items_.begin() + i);
    owner_->columnsChanged();
}

void TCBColumns::Clear() {
    items_.clear();
    owner_->columnsChanged();
}

void TCBColumns::Assign(const TCBColumns& source) {
    if (&source == this) return;
    items_.clear();
    for (int i = 0; i < source.Count(); ++i) Add().Assign(source[i]);
    owner_->columnsChanged();
}

std::vector<int> TCBColumns::Widths() const {
    std::vector<int> widths;
    for (const auto& column : items_) widths.push_back(column->Width());
    return widths;
}

int TCBColumns::TotalWidth() const {
    int total = 0;
    for (const auto& column : items_) total += column->Width();
    return total;
}

TMultiColComboBox::TMultiColComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new MultiColumnDelegate(this));
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(8);
    // A box starts without a selection and adding items does not select one; a non-empty
    // placeholder is what keeps the native box from selecting its first item. The closed
    // box is painted here, so the placeholder itself is never seen.
    setPlaceholderText(QStringLiteral(" "));
    applyColorToPalette();
    columns_.Add();
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { adoptInsertedItems(first, last); });
    connect(this, &QComboBox::activated, this, [this] {
        if (OnChange) OnChange();
    });
}

TMultiColComboBox::~TMultiColComboBox() = default;

void TMultiColComboBox::adoptInsertedItems(int first, int last) {
    for (int i = first; i <= last; ++i) {
        if (itemData(i, kFullTextRole).isValid()) continue;
        const QString full = itemText(i);
        setItemData(i, full, kFullTextRole);
        setItemText(i, itemField(full, targetColumn_));
    }
}

void TMultiColComboBox::refreshNativeTexts() {
    for (int i = 0; i < count(); ++i) setItemText(i, itemField(Item(i), targetColumn_));
}

QString TMultiColComboBox::Item(int index) const { return itemData(index, kFullTextRole).toString(); }

QString TMultiColComboBox::GetColumnText(int index, int column) const {
    if (index < 0 || index >= count()) return QString();
    return itemField(Item(index), column);
}

QString TMultiColComboBox::GetSelectedText() const {
    if (isEditable() && lineEdit()->isModified()) return currentText();
    return GetColumnText(currentIndex(), targetColumn_);
}

void TMultiColComboBox::SetCanEdit(bool b) {
    if (b == isEditable()) return;
    setEditable(b);
    if (b) {
        setInsertPolicy(QComboBox::NoInsert);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (OnChange) OnChange();
        });
    }
}

void TMultiColComboBox::SetTargetColumn(std::uint8_t column) {
    if (column == targetColumn_) return;
    targetColumn_ = column;
    refreshNativeTexts();
    update();
}

void TMultiColComboBox::SetIndent(int pixels) {
    indent_ = pixels;
    columnsChanged();
}

void TMultiColComboBox::SetItemHeight(int pixels) {
    itemHeight_ = pixels;
    columnsChanged();
}

void TMultiColComboBox::SetColor(TColor c) {
    color_ = c;
    for (int i = 0; i < columns_.Count(); ++i)
        if (columns_[i].ParentColor()) columns_[i].takeParentColor();
    applyColorToPalette();
    columnsChanged();
}

void TMultiColComboBox::SetFontColor(TColor c) {
    fontColor_ = c;
    for (int i = 0; i < columns_.Count(); ++i)
        if (columns_[i].ParentFont()) columns_[i].takeParentFont();
    applyColorToPalette();
    columnsChanged();
}

void TMultiColComboBox::applyColorToPalette() {
    // The edit field of an editable box shows the box's colours.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, toQColor(color_));
    pal.setColor(QPalette::Text, toQColor(fontColor_));
    setPalette(pal);
}

void TMultiColComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        for (int i = 0; i < columns_.Count(); ++i)
            if (columns_[i].ParentFont()) columns_[i].takeParentFont();
        columnsChanged();
    }
}

void TMultiColComboBox::columnsChanged() {
    if (view()) view()->doItemsLayout();
    if (view() && view()->isVisible()) view()->viewport()->update();
    update();
}

void TMultiColComboBox::showPopup() {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
    // The list may be wider than the box: exactly as wide as all columns together.
    QWidget* list = view()->window();
    list->resize(columns_.TotalWidth(), list->height());
}

void TMultiColComboBox::paintEvent(QPaintEvent* event) {
    if (isEditable()) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);

    // The closed box: the edit portion filled and the selected text at (left + 2, top + 2).
    const QRect edit = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    const bool focused = hasFocus() && !view()->isVisible();
    p.fillRect(edit, focused ? palette().color(QPalette::Highlight) : toQColor(color_));
    p.setPen(focused ? palette().color(QPalette::HighlightedText) : toQColor(fontColor_));
    p.setFont(font());
    p.drawText(edit.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               GetSelectedText());
}

}  // namespace widgets
