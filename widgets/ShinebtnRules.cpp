#include "widgets/ShinebtnRules.h"

#include <algorithm>
#include <cstdlib>

namespace widgets {

TShineBtnState shineState(const ShineStateInput& in) {
    using S = TShineBtnState;
    if (!in.enabled) return S::bsDisabled;
    if (in.clickHook) return S::bsActiveDown;
    if (in.pressing) return in.pointerInside ? S::bsActiveDown : (in.down ? S::bsDown : S::bsUp);
    if (in.down) return in.pointerInside ? S::bsActiveDown : S::bsDown;
    return in.pointerInside ? S::bsActiveUp : S::bsUp;
}

bool frameShown(TShineBtnState s, bool activeFrame, bool upFrame, bool downFrame) {
    switch (s) {
        case TShineBtnState::bsActiveDown:
        case TShineBtnState::bsActiveUp: return activeFrame;
        case TShineBtnState::bsDown: return downFrame;
        case TShineBtnState::bsUp:
        case TShineBtnState::bsDisabled: return upFrame;
    }
    return false;
}

namespace {

// One bevel on the rectangle (x0, y0)–(x1, y1): top and left lines, then bottom and right.
void bevel(std::vector<FrameLine>& out, int x0, int y0, int x1, int y1, TColor topLeft, TColor bottomRight) {
    out.push_back({QLine(x0, y0, x1, y0), topLeft});
    out.push_back({QLine(x0, y0, x0, y1), topLeft});
    out.push_back({QLine(x0, y1, x1, y1), bottomRight});
    out.push_back({QLine(x1, y0, x1, y1), bottomRight});
}

}  // namespace

std::vector<FrameLine> frameLines(TShineFrameType type, bool downLook, const ShineColorSet& set,
                                  TColor enclosing, int w, int h) {
    std::vector<FrameLine> lines;
    if (w < 2 || h < 2) return lines;
    const int r = w - 1, b = h - 1;
    switch (type) {
        case TShineFrameType::ftFlatFrame:
            if (downLook)
                bevel(lines, 0, 0, r, b, set.shadow, set.highlight);
            else
                bevel(lines, 0, 0, r, b, set.highlight, set.shadow);
            break;
        case TShineFrameType::ftNormalFrame:
            if (downLook) {
                lines.push_back({QLine(0, 0, r, 0), set.darkShadow});
                lines.push_back({QLine(0, 0, 0, b), set.darkShadow});
                lines.push_back({QLine(1, 1, r - 1, 1), set.shadow});
                lines.push_back({QLine(1, 1, 1, b - 1), set.shadow});
                lines.push_back({QLine(1, b, r, b), set.highlight});
                lines.push_back({QLine(r, 1, r, b), set.highlight});
            } else {
                lines.push_back({QLine(0, 0, r - 1, 0), set.highlight});
                lines.push_back({QLine(0, 0, 0, b - 1), set.highlight});
                lines.push_back({QLine(1, b - 1, r - 1, b - 1), set.shadow});
                lines.push_back({QLine(r - 1, 1, r - 1, b - 1), set.shadow});
                lines.push_back({QLine(0, b, r, b), set.darkShadow});
                lines.push_back({QLine(r, 0, r, b), set.darkShadow});
            }
            break;
        case TShineFrameType::ftEnclosedFrame:
            bevel(lines, 0, 0, r, b, enclosing, enclosing);
            if (w > 2 && h > 2) {
                if (downLook)
                    bevel(lines, 1, 1, r - 1, b - 1, set.shadow, set.highlight);
                else
                    bevel(lines, 1, 1, r - 1, b - 1, set.highlight, set.shadow);
            }
            break;
    }
    return lines;
}

QRgb faceGradientStep(QRgb c1, QRgb c2, int i) {
    const auto channel = [i](int a, int b) { return a + (b - a) * i / 255; };
    return qRgb(channel(qRed(c1), qRed(c2)), channel(qGreen(c1), qGreen(c2)), channel(qBlue(c1), qBlue(c2)));
}

std::vector<QRgb> faceGradientLines(QRgb c1, QRgb c2, int n) {
    std::vector<QRgb> lines;
    if (n <= 0) return lines;
    lines.reserve(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        lines.push_back(faceGradientStep(c1, c2, static_cast<int>(static_cast<long long>(k) * 256 / n)));
    return lines;
}

ShineLayout shineLayout(QSize client, QSize glyph, QSize text, TShineBtnLayout layout, int margin, int spacing) {
    const bool hasGlyph = !glyph.isEmpty();
    const bool hasText = !text.isEmpty();
    const QSize g = hasGlyph ? glyph : QSize(0, 0);
    const QSize t = hasText ? text : QSize(0, 0);
    const int gap = hasGlyph && hasText ? spacing : 0;
    const bool horizontal = layout == TShineBtnLayout::blGlyphLeft || layout == TShineBtnLayout::blGlyphRight;
    const bool glyphFirst = layout == TShineBtnLayout::blGlyphLeft || layout == TShineBtnLayout::blGlyphTop;

    // Along the layout axis.
    const int extent = horizontal ? client.width() : client.height();
    const int gLen = horizontal ? g.width() : g.height();
    const int tLen = horizontal ? t.width() : t.height();
    int gPos, tPos;
    if (margin < 0) {
        const int start = (extent - (gLen + gap + tLen)) / 2;
        gPos = glyphFirst ? start : start + tLen + gap;
        tPos = glyphFirst ? start + gLen + gap : start;
    } else if (glyphFirst) {
        gPos = margin;
        tPos = margin + gLen + gap;
    } else {
        gPos = extent - margin - gLen;
        tPos = gPos - gap - tLen;
    }
    ShineLayout out;
    if (horizontal) {
        out.glyph = QPoint(gPos, (client.height() - g.height()) / 2);
        out.text = QRect(tPos, (client.height() - t.height()) / 2, t.width(), t.height());
    } else {
        out.glyph = QPoint((client.width() - g.width()) / 2, gPos);
        out.text = QRect((client.width() - t.width()) / 2, tPos, t.width(), t.height());
    }
    return out;
}

QRgb glyphTransparentColor(const QImage& glyph) {
    if (glyph.isNull()) return 0;
    return glyph.pixel(0, glyph.height() - 1) | 0xFF000000u;
}

namespace {

QImage opaqueCopy(const QImage& glyph) { return glyph.convertToFormat(QImage::Format_RGB32); }

template <typename F>
QImage mapGlyphPixels(const QImage& glyph, F&& effect) {
    const QImage src = opaqueCopy(glyph);
    const QRgb t = glyphTransparentColor(src);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = src.pixel(x, y);
            if (c != t) out.setPixel(x, y, effect(c, x, y));
        }
    return out;
}

int clamp255(int v) { return std::min(v, 255); }

// Marks the transparent pixels within `reach` steps (horizontal and vertical) of a glyph pixel.
QImage glow(const QImage& glyph, QRgb shine, int reach) {
    const QImage src = opaqueCopy(glyph);
    const QRgb t = glyphTransparentColor(src);
    QImage out = mapGlyphPixels(src, [](QRgb c, int, int) { return c; });
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            if (src.pixel(x, y) != t) continue;
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy)
                for (int dx = -reach; dx <= reach && !near; ++dx) {
                    if (std::abs(dx) + std::abs(dy) > reach) continue;
                    const int nx = x + dx, ny = y + dy;
                    near = src.valid(nx, ny) && src.pixel(nx, ny) != t;
                }
            if (near) out.setPixel(x, y, shine | 0xFF000000u);
        }
    return out;
}

}  // namespace

QImage plainGlyph(const QImage& glyph) {
    return mapGlyphPixels(glyph, [](QRgb c, int, int) { return c; });
}

QImage activeGlyph(const QImage& glyph, TActiveImage effect, QRgb shine) {
    const int sr = qRed(shine), sg = qGreen(shine), sb = qBlue(shine);
    switch (effect) {
        case TActiveImage::aiNormal: return plainGlyph(glyph);
        case TActiveImage::aiXorLight:
            return mapGlyphPixels(glyph, [&](QRgb c, int, int) { return qRgb(qRed(c) ^ sr, qGreen(c) ^ sg, qBlue(c) ^ sb); });
        case TActiveImage::aiHalfLight:
            return mapGlyphPixels(glyph, [&](QRgb c, int, int) {
                return qRgb((qRed(c) + sr) / 2, (qGreen(c) + sg) / 2, (qBlue(c) + sb) / 2);
            });
        case TActiveImage::aiQuaterLight:
            return mapGlyphPixels(glyph, [&](QRgb c, int, int) {
                return qRgb((3 * sr + qRed(c)) / 4, (3 * sg + qGreen(c)) / 4, (3 * sb + qBlue(c)) / 4);
            });
        case TActiveImage::aiAddLight:
            return mapGlyphPixels(glyph, [&](QRgb c, int, int) {
                return qRgb(clamp255(qRed(c) + sr), clamp255(qGreen(c) + sg), clamp255(qBlue(c) + sb));
            });
        case TActiveImage::aiFrameLight: return glow(glyph, shine, 1);
        case TActiveImage::aiFrameLight2: return glow(glyph, shine, 2);
        case TActiveImage::aiMaskLight:
            return mapGlyphPixels(glyph, [&](QRgb c, int x, int y) { return (x + y) % 2 == 0 ? (shine | 0xFF000000u) : c; });
    }
    return plainGlyph(glyph);
}

QImage disabledGlyph(const QImage& glyph, TDisabledImage effect, QRgb face) {
    const int fr = qRed(face), fg = qGreen(face), fb = qBlue(face);
    switch (effect) {
        case TDisabledImage::diDefault: return plainGlyph(glyph);
        case TDisabledImage::diGrayscale:
            return mapGlyphPixels(glyph, [](QRgb c, int, int) {
                const int g = (qRed(c) + qGreen(c) + qBlue(c)) / 3;
                return qRgb(g, g, g);
            });
        case TDisabledImage::diAlphaHalfTrans:
            return mapGlyphPixels(glyph, [&](QRgb c, int, int) {
                return qRgb((qRed(c) + fr) / 2, (qGreen(c) + fg) / 2, (qBlue(c) + fb) / 2);
            });
        case TDisabledImage::diAlphaQuaterTrans:
            return mapGlyphPixels(glyph, [&](QRgb c, int, int) {
                return qRgb((3 * fr + qRed(c)) / 4, (3 * fg + qGreen(c)) / 4, (3 * fb + qBlue(c)) / 4);
            });
        case TDisabledImage::diMaskTrans: {
            // Every second glyph pixel left out, so that the face shows through a checkerboard.
            QImage out = plainGlyph(glyph);
            for (int y = 0; y < out.height(); ++y)
                for (int x = (y + 1) % 2; x < out.width(); x += 2) out.setPixel(x, y, 0);
            return out;
        }
    }
    return plainGlyph(glyph);
}

std::vector<bool> disabledEdgeMask(const QImage& glyph) {
    const QImage src = opaqueCopy(glyph);
    const QRgb t = glyphTransparentColor(src);
    std::vector<bool> mask(static_cast<size_t>(src.width()) * static_cast<size_t>(src.height()), false);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = src.pixel(x, y);
            if (c == t) continue;
            const QRgb next = src.valid(x + 1, y + 1) ? src.pixel(x + 1, y + 1) : t;
            mask[static_cast<size_t>(y) * static_cast<size_t>(src.width()) + static_cast<size_t>(x)] = c != next;
        }
    return mask;
}

}  // namespace widgets
