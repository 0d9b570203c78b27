#include "widgets/MccboxFields.h"

namespace widgets {

namespace {

bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

// Reads a quoted field starting at the opening quote; returns the text without its quotes.
QString readQuoted(const QString& s, qsizetype& pos) {
    QString field;
    ++pos;
    while (pos < s.size()) {
        const QChar c = s[pos++];
        if (c != QLatin1Char('"')) {
            field += c;
        } else if (pos < s.size() && s[pos] == QLatin1Char('"')) {
            field += c;
            ++pos;
        } else {
            break;
        }
    }
    return field;
}

}  // namespace

QStringList splitItemFields(const QString& item) {
    // A NUL character ends the text, as it would end a C string.
    const QString s = item.left(item.indexOf(QChar(0)) < 0 ? item.size() : item.indexOf(QChar(0)));
    QStringList fields;
    qsizetype pos = 0;
    auto skipBlanks = [&] {
        while (pos < s.size() && isBlank(s[pos])) ++pos;
    };
    skipBlanks();
    while (pos < s.size()) {
        if (s[pos] == QLatin1Char('"')) {
            fields << readQuoted(s, pos);
        } else {
            const qsizetype start = pos;
            while (pos < s.size() && s[pos].unicode() > 32 && s[pos] != QLatin1Char(',')) ++pos;
            fields << s.mid(start, pos - start);
        }
        skipBlanks();
        if (pos < s.size() && s[pos] == QLatin1Char(',')) {
            if (pos + 1 == s.size()) fields << QString();
            ++pos;
            skipBlanks();
        }
    }
    return fields;
}

QString itemField(const QString& item, int column) {
    const QStringList fields = splitItemFields(item);
    return column >= 0 && column < fields.size() ? fields[column] : QString();
}

std::vector<QRect> itemCells(const QRect& row, const std::vector<int>& widths) {
    std::vector<QRect> cells;
    int x = row.left();
    for (const int w : widths) {
        cells.emplace_back(x, row.top(), w, row.height());
        x += w;
    }
    return cells;
}

QRect cellTextRect(const QRect& cell, TAlignment alignment, int indent) {
    if (alignment == TAlignment::taRightJustify) return cell.adjusted(0, 0, -indent, 0);
    return cell.adjusted(indent, 0, 0, 0);
}

QRect rowRemainder(const QRect& row, const std::vector<int>& widths) {
    int x = row.left();
    for (const int w : widths) x += w;
    return QRect(QPoint(x, row.top()), QPoint(row.right(), row.bottom()));
}

}  // namespace widgets
