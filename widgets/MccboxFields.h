#pragma once
// Item texts and cell layout of the multi-column combo box, kept apart from painting.
// An item is one text whose columns are separated by commas.

#include "widgets/TextAlignment.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace widgets {

// Splits an item text the way a comma-separated list is read: blanks (codes 1 to 32) around
// fields are skipped; a field opening with a double quote runs to the closing quote (a doubled
// quote stands for one) and loses its quotes; any other field ends at a comma or a blank; a
// comma that is the last character adds an empty field.
QStringList splitItemFields(const QString& item);

// Field `column` of an item text, or the empty text when the item has no such field.
QString itemField(const QString& item, int column);

// The cells of one item row: column i spans `widths[i]` pixels, starting where the previous
// one ended, from the row's left edge.
std::vector<QRect> itemCells(const QRect& row, const std::vector<int>& widths);

// The part of a cell the text is aligned in: narrowed by `indent` on the right for
// right-aligned text and on the left otherwise.
QRect cellTextRect(const QRect& cell, TAlignment alignment, int indent);

// The part of a row right of its last cell, filled with the row's background.
QRect rowRemainder(const QRect& row, const std::vector<int>& widths);

}  // namespace widgets
