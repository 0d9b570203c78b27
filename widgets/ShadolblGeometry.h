#pragma once
// Text, placement and colour rules of the shadowed label, kept apart from painting.

#include "widgets/TColor.h"

#include <QRgb>
#include <QString>

#include <functional>
#include <vector>

namespace widgets {

enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TEllipsis { elNone, elEnd, elPath };
enum class TTextGradation { tgNone, tg2Colors, tg3Colors };


// The text a label draws: an empty caption, or a lone "&" while accelerators are shown,
// gets a blank appended so that the label still measures one line.
QString shadowLabelText(const QString& caption, bool showAccelChar);

// How far the text rectangle is moved down inside the client area.
int shadowLabelTextOffset(TTextLayout layout, int clientHeight, int textHeight);

struct ShadowLabelColors {
    TColor shadow;
    TColor highlight;
    TColor text;
};

// Colours of the three copies of the text; a disabled label uses fixed greys.
ShadowLabelColors shadowLabelColors(bool enabled, TColor shadow, TColor highlight, TColor font);

// Colour k of n steps from c1 to c2, each channel trunc((c2 − c1) × k ÷ (n − 1) + c1).
// A single step (n ≤ 1) is c1.
QRgb gradientStep(QRgb c1, QRgb c2, int k, int n);

// The background colour of every line (column or row) of a gradient over n lines.
std::vector<QRgb> gradientLines(QRgb c1, QRgb c2, int n);

// Bytes a character takes in the Japanese double-byte code page: ASCII and half-width
// katakana take one, everything else two.
int doubleByteLength(char32_t ch);

struct TextRun {
    QString text;  // one character
    QRgb color;
};

// The characters of a text with their colours when the text gradient is on; empty when the
// text is drawn in one piece (no gradient, or a single character).
std::vector<TextRun> textGradientRuns(const QString& text, TTextGradation mode, QRgb font,
                                      QRgb mid, QRgb end);

// Shortens a path that is wider than maxWidth by replacing its middle with "...", keeping
// the last "/" component whole when it fits.
QString pathEllipsis(const QString& text, int maxWidth,
                     const std::function<int(const QString&)>& widthOf);

}  // namespace widgets
