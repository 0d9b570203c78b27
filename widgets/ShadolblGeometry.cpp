#include "widgets/ShadolblGeometry.h"

#include <QStringView>

namespace widgets {

QString shadowLabelText(const QString& caption, bool showAccelChar) {
    if (caption.isEmpty() || (showAccelChar && caption == QLatin1String("&")))
        return caption + QLatin1Char(' ');
    return caption;
}

int shadowLabelTextOffset(TTextLayout layout, int clientHeight, int textHeight) {
    switch (layout) {
        case TTextLayout::tlCenter: return (clientHeight - textHeight) / 2;
        case TTextLayout::tlBottom: return clientHeight - textHeight;
        case TTextLayout::tlTop: break;
    }
    return 0;
}

ShadowLabelColors shadowLabelColors(bool enabled, TColor shadow, TColor highlight, TColor font) {
    if (enabled) return {shadow, highlight, font};
    return {rgbColor(128, 128, 128), kBtnHighlight, kBtnShadow};
}

QRgb gradientStep(QRgb c1, QRgb c2, int k, int n) {
    if (n <= 1) return c1;
    const long double t = static_cast<long double>(k) / (n - 1);
    auto channel = [t](int a, int b) { return static_cast<int>((b - a) * t + a); };
    return qRgb(channel(qRed(c1), qRed(c2)), channel(qGreen(c1), qGreen(c2)),
                channel(qBlue(c1), qBlue(c2)));
}

std::vector<QRgb> gradientLines(QRgb c1, QRgb c2, int n) {
    std::vector<QRgb> lines;
    lines.reserve(n > 0 ? n : 0);
    for (int k = 0; k < n; ++k) lines.push_back(gradientStep(c1, c2, k, n));
    return lines;
}

int doubleByteLength(char32_t ch) {
    if (ch < 0x80) return 1;
    if (ch >= 0xFF61 && ch <= 0xFF9F) return 1;  // half-width katakana
    return 2;
}

namespace {

void appendPart(std::vector<TextRun>& runs, const std::vector<QString>& chars, std::size_t from,
                std::size_t to, QRgb c1, QRgb c2) {
    const int m = static_cast<int>(to - from);
    for (std::size_t i = from; i < to; ++i)
        runs.push_back({chars[i], gradientStep(c1, c2, static_cast<int>(i - from), m)});
}

}  // namespace

std::vector<TextRun> textGradientRuns(const QString& text, TTextGradation mode, QRgb font,
                                      QRgb mid, QRgb end) {
    std::vector<TextRun> runs;
    if (mode == TTextGradation::tgNone) return runs;

    std::vector<QString> chars;
    std::vector<int> bytes;
    for (const char32_t ch : QStringView(text).toUcs4()) {
        chars.push_back(QString::fromUcs4(&ch, 1));
        bytes.push_back(doubleByteLength(ch));
    }
    if (chars.size() <= 1) return runs;

    if (mode == TTextGradation::tg2Colors || chars.size() == 2) {
        appendPart(runs, chars, 0, chars.size(), font, end);
        return runs;
    }

    // Cut at half the byte length; a cut right after the first byte of a double-byte
    // character moves one byte on so that the character stays whole.
    int total = 0;
    for (const int b : bytes) total += b;
    const int cut = total / 2;
    int pos = 0;
    std::size_t split = 0;
    while (split < chars.size() && pos + bytes[split] <= cut) pos += bytes[split++];
    if (pos < cut) ++split;  // the cut fell after the first byte of a double-byte character
    appendPart(runs, chars, 0, split, font, mid);
    if (chars.size() - split == 1)
        runs.push_back({chars[split], end});
    else
        appendPart(runs, chars, split, chars.size(), mid, end);
    return runs;
}

QString pathEllipsis(const QString& text, int maxWidth,
                     const std::function<int(const QString&)>& widthOf) {
    if (widthOf(text) <= maxWidth) return text;
    const QString dots = QStringLiteral("...");
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    const QString tail = slash < 0 ? text : text.mid(slash);
    for (qsizetype keep = slash - 1; keep >= 0; --keep) {
        const QString candidate = text.left(keep) + dots + tail;
        if (widthOf(candidate) <= maxWidth) return candidate;
    }
    for (qsizetype keep = tail.size(); keep >= 0; --keep) {
        const QString candidate = dots + tail.left(keep);
        if (widthOf(candidate) <= maxWidth) return candidate;
    }
    return dots;
}

}  // namespace widgets
