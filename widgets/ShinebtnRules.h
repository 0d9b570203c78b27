#pragma once
// State, layout, frame and glyph-colour rules of the shine speed button, kept apart from the
// widget so that they can be checked without a window.

#include "widgets/TColor.h"

#include <QImage>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace widgets {

enum class TShineBtnState { bsActiveDown, bsDown, bsActiveUp, bsUp, bsDisabled };
enum class TShineFrameType { ftFlatFrame, ftNormalFrame, ftEnclosedFrame };
enum class TActiveImage { aiNormal, aiXorLight, aiHalfLight, aiQuaterLight, aiAddLight, aiFrameLight, aiFrameLight2, aiMaskLight };
enum class TDisabledImage { diDefault, diGrayscale, diAlphaHalfTrans, diAlphaQuaterTrans, diMaskTrans };
enum class TShineBtnLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The colour value that means "no colour".
constexpr TColor kNoColor = 0x1FFFFFFF;
// System colours the button starts with.
constexpr TColor kBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor kBtnText = static_cast<TColor>(0x80000012);
constexpr TColor kHighlightColor = static_cast<TColor>(0x8000000D);
constexpr TColor kWindowFrame = static_cast<TColor>(0x80000006);
constexpr TColor kBlue = 0xFF0000;

constexpr bool isDownState(TShineBtnState s) { return s == TShineBtnState::bsActiveDown || s == TShineBtnState::bsDown; }
constexpr bool isActiveState(TShineBtnState s) { return s == TShineBtnState::bsActiveDown || s == TShineBtnState::bsActiveUp; }

struct ShineStateInput {
    bool enabled;
    bool down;          // the Down property
    bool pressing;      // left button held after a press on the button
    bool pointerInside; // pointer over the button (while pressing: inside the client rectangle)
    bool clickHook;     // inside the click handler with ClickDownHook
};

// The look the button shows.
TShineBtnState shineState(const ShineStateInput& in);

// Down after a release inside a grouped button: toggled, but a down button stays down
// unless all buttons of the group may be up.
constexpr bool downAfterGroupedClick(bool down, bool allowAllUp) { return down ? !allowAllUp : true; }

// Whether the frame is drawn in a state.
bool frameShown(TShineBtnState s, bool activeFrame, bool upFrame, bool downFrame);

struct ShineColorSet {
    TColor color, highlight, shadow, darkShadow;
};

struct FrameLine {
    QLine line;  // both end points drawn
    TColor color;
};

// The frame lines in drawing order; `set` is the state's colour set (pressed set when down),
// `enclosing` the dark shadow of the released set (outline of the enclosed frame).
std::vector<FrameLine> frameLines(TShineFrameType type, bool downLook, const ShineColorSet& set,
                                  TColor enclosing, int w, int h);

// Colour of step i (0…255) of the face gradient, each channel c1 + (c2 − c1) × i ÷ 255.
QRgb faceGradientStep(QRgb c1, QRgb c2, int i);

// The face colour of each of n lines (columns, or rows when vertical) with the 256 steps
// stretched over them.
std::vector<QRgb> faceGradientLines(QRgb c1, QRgb c2, int n);

struct ShineLayout {
    QPoint glyph;  // top-left of the glyph
    QRect text;    // rectangle of the caption
};

// Places glyph and caption in the client rectangle (before the down shift).
ShineLayout shineLayout(QSize client, QSize glyph, QSize text, TShineBtnLayout layout, int margin, int spacing);

// A glyph's transparent colour: its bottom-left pixel.
QRgb glyphTransparentColor(const QImage& glyph);

// The glyph as drawn in an active state: ARGB32, transparent pixels with alpha 0, the effect
// applied with the shine colour.
QImage activeGlyph(const QImage& glyph, TActiveImage effect, QRgb shine);

// The glyph as drawn in the up and down states: transparent pixels cleared.
QImage plainGlyph(const QImage& glyph);

// The disabled glyph for the effects other than diDefault; `face` is the released face colour.
QImage disabledGlyph(const QImage& glyph, TDisabledImage effect, QRgb face);

// diDefault: the glyph pixels whose colour differs from their diagonal neighbour in the next
// row (x + 1, y + 1), as a mask the size of the glyph.
std::vector<bool> disabledEdgeMask(const QImage& glyph);

}  // namespace widgets
