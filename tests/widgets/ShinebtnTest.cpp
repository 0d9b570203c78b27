#include "widgets/Shinebtn.h"
#include "widgets/ShinebtnRules.h"

#include "PixelHelpers.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace widgets;

namespace {

using S = TShineBtnState;

const QRgb kWhiteRgb = qRgb(255, 255, 255);
const QRgb kGlyphInk = qRgb(0x40, 0x80, 0xC0);
const QRgb kShine = qRgb(255, 255, 0);

// A 6 × 6 glyph on white (its bottom-left pixel) with a 2 × 2 block of ink at (2, 2).
QImage blockGlyph() {
    QImage g(6, 6, QImage::Format_RGB32);
    g.fill(kWhiteRgb);
    for (int y = 2; y <= 3; ++y)
        for (int x = 2; x <= 3; ++x) g.setPixel(x, y, kGlyphInk);
    return g;
}

constexpr QRgb kClear = 0;  // a pixel the glyph leaves out

QRgb at(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return qAlpha(p) == 0 ? kClear : qRgb(qRed(p), qGreen(p), qBlue(p));
}

// ---- Pure rules ----

TEST(ShineRules, StateFollowsPressPointerAndDown) {
    struct Case {
        ShineStateInput in;
        S state;
    };
    const Case cases[] = {
        {{true, false, false, false, false}, S::bsUp},
        {{true, false, false, true, false}, S::bsActiveUp},
        {{true, true, false, true, false}, S::bsActiveDown},
        {{true, true, false, false, false}, S::bsDown},
        {{true, false, true, true, false}, S::bsActiveDown},  // pressed, inside
        {{true, true, true, false, false}, S::bsDown},        // pressed, dragged outside
        {{true, false, true, false, false}, S::bsUp},
        {{true, false, false, false, true}, S::bsActiveDown},  // click handler with ClickDownHook
        {{false, true, false, true, false}, S::bsDisabled},
    };
    for (const Case& c : cases) EXPECT_EQ(shineState(c.in), c.state) << static_cast<int>(c.state);
}

TEST(ShineRules, FaceGradientTruncatesEachChannelStep) {
    EXPECT_EQ(faceGradientStep(qRgb(0, 0, 0), qRgb(255, 100, 10), 0), qRgb(0, 0, 0));
    EXPECT_EQ(faceGradientStep(qRgb(0, 0, 0), qRgb(255, 100, 10), 255), qRgb(255, 100, 10));
    EXPECT_EQ(faceGradientStep(qRgb(0, 0, 0), qRgb(255, 100, 10), 128), qRgb(128, 50, 5));
    // Falling channels truncate towards the first colour: 200 − 200 × 1 ÷ 255 stays 200.
    EXPECT_EQ(faceGradientStep(qRgb(200, 200, 200), qRgb(0, 0, 0), 1), qRgb(200, 200, 200));
    // 256 steps stretched over 4 lines take steps 0, 64, 128 and 192.
    const std::vector<QRgb> lines = faceGradientLines(qRgb(0, 0, 0), qRgb(255, 255, 255), 4);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], qRgb(64, 64, 64));
    EXPECT_EQ(lines[3], qRgb(192, 192, 192));
}

TEST(ShineRules, LayoutPlacesGlyphAndCaptionAlongTheLayoutAxis) {
    struct Case {
        TShineBtnLayout layout;
        int margin;
        QPoint glyph;
        QPoint text;
    };
    // Client 60 × 40, glyph 8 × 8, caption 20 × 10, spacing 4: the pair is 32 wide or 22 high.
    const Case cases[] = {
        {TShineBtnLayout::blGlyphLeft, -1, {14, 16}, {26, 15}},
        {TShineBtnLayout::blGlyphRight, -1, {38, 16}, {14, 15}},
        {TShineBtnLayout::blGlyphTop, -1, {26, 9}, {20, 21}},
        {TShineBtnLayout::blGlyphBottom, -1, {26, 23}, {20, 9}},
        {TShineBtnLayout::blGlyphLeft, 3, {3, 16}, {15, 15}},
        {TShineBtnLayout::blGlyphRight, 3, {49, 16}, {25, 15}},
        {TShineBtnLayout::blGlyphBottom, 3, {26, 29}, {20, 15}},
    };
    for (const Case& c : cases) {
        const ShineLayout l = shineLayout(QSize(60, 40), QSize(8, 8), QSize(20, 10), c.layout, c.margin, 4);
        EXPECT_EQ(l.glyph, c.glyph) << static_cast<int>(c.layout) << " margin " << c.margin;
        EXPECT_EQ(l.text.topLeft(), c.text) << static_cast<int>(c.layout) << " margin " << c.margin;
    }
    // Without a caption there is no spacing: the glyph alone is centred.
    EXPECT_EQ(shineLayout(QSize(25, 25), QSize(8, 8), QSize(), TShineBtnLayout::blGlyphLeft, -1, 4).glyph, QPoint(8, 8));
}

TEST(ShineRules, ActiveEffectsChangeTheGlyphWithTheShineColour) {
    struct Case {
        TActiveImage effect;
        QRgb ink22, ink32;          // glyph pixels (2, 2) and (3, 2)
        QRgb side12, diag11, far02;  // transparent pixels: beside, diagonal, two steps away
    };
    const Case cases[] = {
        {TActiveImage::aiNormal, kGlyphInk, kGlyphInk, kClear, kClear, kClear},
        {TActiveImage::aiXorLight, qRgb(0xBF, 0x7F, 0xC0), qRgb(0xBF, 0x7F, 0xC0), kClear, kClear, kClear},
        {TActiveImage::aiHalfLight, qRgb(159, 191, 96), qRgb(159, 191, 96), kClear, kClear, kClear},
        {TActiveImage::aiQuaterLight, qRgb(207, 223, 48), qRgb(207, 223, 48), kClear, kClear, kClear},
        {TActiveImage::aiAddLight, qRgb(255, 255, 192), qRgb(255, 255, 192), kClear, kClear, kClear},
        {TActiveImage::aiFrameLight, kGlyphInk, kGlyphInk, kShine, kClear, kClear},
        {TActiveImage::aiFrameLight2, kGlyphInk, kGlyphInk, kShine, kShine, kShine},
        {TActiveImage::aiMaskLight, kShine, kGlyphInk, kClear, kClear, kClear},
    };
    for (const Case& c : cases) {
        const QImage g = activeGlyph(blockGlyph(), c.effect, kShine);
        const int e = static_cast<int>(c.effect);
        EXPECT_EQ(at(g, 2, 2), c.ink22) << e;
        EXPECT_EQ(at(g, 3, 2), c.ink32) << e;
        EXPECT_EQ(at(g, 1, 2), c.side12) << e;
        EXPECT_EQ(at(g, 1, 1), c.diag11) << e;
        EXPECT_EQ(at(g, 0, 2), c.far02) << e;
        EXPECT_EQ(at(g, 0, 5), kClear) << e;
    }
}

TEST(ShineRules, DisabledEffectsBlendWithTheFaceOrTurnGrey) {
    const QRgb face = qRgb(200, 200, 200);
    const std::pair<TDisabledImage, QRgb> cases[] = {
        {TDisabledImage::diGrayscale, qRgb(0x80, 0x80, 0x80)},
        {TDisabledImage::diAlphaHalfTrans, qRgb(132, 164, 196)},
        {TDisabledImage::diAlphaQuaterTrans, qRgb(166, 182, 198)},
    };
    for (const auto& [effect, ink] : cases) {
        const QImage g = disabledGlyph(blockGlyph(), effect, face);
        EXPECT_EQ(at(g, 3, 3), ink) << static_cast<int>(effect);
        EXPECT_EQ(at(g, 1, 1), kClear) << static_cast<int>(effect);
    }
    // The mask effect leaves every second ink pixel out.
    const QImage mask = disabledGlyph(blockGlyph(), TDisabledImage::diMaskTrans, face);
    EXPECT_NE(at(mask, 2, 2) == kClear, at(mask, 3, 2) == kClear);
    // The default mask marks ink whose lower-right neighbour differs: the block's lower-right edge.
    const std::vector<bool> edge = disabledEdgeMask(blockGlyph());
    std::vector<QPoint> marked;
    for (int i = 0; i < static_cast<int>(edge.size()); ++i)
        if (edge[static_cast<size_t>(i)]) marked.push_back(QPoint(i % 6, i / 6));
    EXPECT_EQ(marked, (std::vector<QPoint>{{3, 2}, {2, 3}, {3, 3}}));
}

// ---- The widget ----

// Released and pressed colour sets of distinct plain colours.
const QRgb kFace = qRgb(192, 192, 192), kLight = qRgb(255, 255, 255), kShade = qRgb(128, 128, 128),
           kDark = qRgb(0, 0, 0);
const QRgb kPFace = qRgb(224, 224, 224), kPLight = qRgb(255, 255, 200), kPShade = qRgb(100, 100, 100),
           kPDark = qRgb(10, 10, 10);

TColor tc(QRgb c) { return rgbColor(qRed(c), qGreen(c), qBlue(c)); }

void plainColours(TShineSpeedButton& b) {
    b.Colors().SetColor(tc(kFace));
    b.Colors().SetHighlight(tc(kLight));
    b.Colors().SetShadow(tc(kShade));
    b.Colors().SetDarkShadow(tc(kDark));
    b.PressedColors().SetColor(tc(kPFace));
    b.PressedColors().SetHighlight(tc(kPLight));
    b.PressedColors().SetShadow(tc(kPShade));
    b.PressedColors().SetDarkShadow(tc(kPDark));
}

QRgb pixel(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return qRgb(qRed(p), qGreen(p), qBlue(p));
}

void hover(TShineSpeedButton& b) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&b, &enter);
}

TEST(ShineButton, NewButtonIsASmallUpButton) {
    TShineSpeedButton b;
    EXPECT_EQ(b.size(), QSize(25, 25));
    EXPECT_EQ(b.State(), S::bsUp);
    EXPECT_TRUE(b.Caption().isEmpty());
    // Not grouped: Down cannot latch.
    b.SetDown(true);
    EXPECT_FALSE(b.Down());
}

// Each frame type in the up and down looks, read along the middle column (rows 0, 1, 18, 19)
// and the middle row (column 19).
TEST(ShineButton, FrameTypesDrawTheirBevels) {
    struct Case {
        TShineFrameType type;
        bool down;
        QRgb row0, row1, row18, row19, col19;
    };
    const Case cases[] = {
        {TShineFrameType::ftFlatFrame, false, kLight, kFace, kFace, kShade, kShade},
        {TShineFrameType::ftFlatFrame, true, kPShade, kPFace, kPFace, kPLight, kPLight},
        {TShineFrameType::ftNormalFrame, false, kLight, kFace, kShade, kDark, kDark},
        {TShineFrameType::ftNormalFrame, true, kPDark, kPShade, kPFace, kPLight, kPLight},
        {TShineFrameType::ftEnclosedFrame, false, kDark, kLight, kShade, kDark, kDark},
        {TShineFrameType::ftEnclosedFrame, true, kDark, kPShade, kPLight, kDark, kDark},
    };
    for (const Case& c : cases) {
        QWidget parent;
        TShineSpeedButton b(&parent);
        b.resize(20, 20);
        plainColours(b);
        b.SetFrameType(c.type);
        b.SetGroupIndex(1);
        b.SetDown(c.down);
        ASSERT_EQ(b.State(), c.down ? S::bsDown : S::bsUp);
        const QImage img = pixels::render(b);
        const std::string what = std::to_string(static_cast<int>(c.type)) + (c.down ? " down" : " up");
        EXPECT_EQ(pixel(img, 10, 0), c.row0) << what;
        EXPECT_EQ(pixel(img, 10, 1), c.row1) << what;
        EXPECT_EQ(pixel(img, 10, 18), c.row18) << what;
        EXPECT_EQ(pixel(img, 10, 19), c.row19) << what;
        EXPECT_EQ(pixel(img, 19, 10), c.col19) << what;
        EXPECT_EQ(pixel(img, 10, 10), c.down ? kPFace : kFace) << what;
    }
}

TEST(ShineButton, FrameFlagsLeaveTheFrameOutPerState) {
    QWidget parent;
    TShineSpeedButton b(&parent);
    b.resize(20, 20);
    plainColours(b);
    b.SetUpFrame(false);
    EXPECT_EQ(pixel(pixels::render(b), 10, 0), kFace);
    hover(b);
    ASSERT_EQ(b.State(), S::bsActiveUp);
    EXPECT_EQ(pixel(pixels::render(b), 10, 0), kLight);
    b.SetActiveFrame(false);
    EXPECT_EQ(pixel(pixels::render(b), 10, 0), kFace);
}

// The gradient face runs from Color to GradColor across the button, or down it when vertical.
TEST(ShineButton, GradientFaceStretchesTheStepsOverTheButton) {
    for (bool vertical : {false, true}) {
        TShineSpeedButton b;
        b.resize(20, 20);
        b.SetUpFrame(false);
        b.Colors().SetColor(tc(qRgb(0, 0, 0)));
        b.Colors().SetGradColor(tc(qRgb(255, 0, 255)));
        b.Colors().SetGradation(true);
        b.Colors().SetGradVertical(vertical);
        const QImage img = pixels::render(b);
        const QPoint last = vertical ? QPoint(3, 19) : QPoint(19, 3);
        const QPoint across = vertical ? QPoint(19, 0) : QPoint(0, 19);
        EXPECT_EQ(pixel(img, 0, 0), qRgb(0, 0, 0)) << vertical;
        EXPECT_EQ(pixel(img, across.x(), across.y()), qRgb(0, 0, 0)) << vertical;
        // Line 19 of 20 takes step 19 × 256 ÷ 20 = 243.
        EXPECT_EQ(pixel(img, last.x(), last.y()), qRgb(243, 0, 243)) << vertical;
    }
}

// The 6 × 6 glyph is centred in a 20 × 20 button at (7, 7); its ink block covers (9…10, 9…10).
TEST(ShineButton, ActiveEffectIsDrawnOnlyWhileThePointerIsOver) {
    struct Case {
        TActiveImage effect;
        QRgb ink, beside;  // at (9, 9) and (8, 9) in the active-up state
    };
    const Case cases[] = {
        {TActiveImage::aiFrameLight, kGlyphInk, kShine},
        {TActiveImage::aiXorLight, qRgb(0xBF, 0x7F, 0xC0), kFace},
        {TActiveImage::aiMaskLight, kShine, kFace},
    };
    for (const Case& c : cases) {
        QWidget parent;
        TShineSpeedButton b(&parent);
        b.resize(20, 20);
        plainColours(b);
        b.SetShineColor(tc(kShine));
        b.SetActiveImage(c.effect);
        b.SetGlyph(blockGlyph());
        const QImage up = pixels::render(b);
        EXPECT_EQ(pixel(up, 9, 9), kGlyphInk);
        EXPECT_EQ(pixel(up, 8, 9), kFace);
        EXPECT_EQ(pixel(up, 7, 7), kFace);  // the glyph's white is transparent
        hover(b);
        ASSERT_EQ(b.State(), S::bsActiveUp);
        const QImage active = pixels::render(b);
        EXPECT_EQ(pixel(active, 9, 9), c.ink) << static_cast<int>(c.effect);
        EXPECT_EQ(pixel(active, 8, 9), c.beside) << static_cast<int>(c.effect);
    }
}

TEST(ShineButton, DownLooksShiftTheGlyphAndFillWithThePressedFace) {
    QWidget parent;
    TShineSpeedButton b(&parent);
    b.resize(20, 20);
    plainColours(b);
    b.SetActiveImage(TActiveImage::aiNormal);
    b.SetGlyph(blockGlyph());
    b.SetGroupIndex(1);
    b.SetDown(true);
    hover(b);
    ASSERT_EQ(b.State(), S::bsActiveDown);
    const QImage img = pixels::render(b);
    EXPECT_EQ(pixels::boundsWhere(img, pixels::exactly(kGlyphInk)), QRect(10, 10, 2, 2));
    EXPECT_EQ(pixel(img, 5, 5), kPFace);
}

TEST(ShineButton, DisablingRaisesTheButtonAndDrawsTheEmbossedGlyph) {
    QWidget parent;
    TShineSpeedButton b(&parent);
    b.resize(20, 20);
    plainColours(b);
    b.SetDisabledHighlight(tc(qRgb(0, 255, 0)));
    b.SetDisabledShadow(tc(qRgb(0, 0, 255)));
    b.SetGlyph(blockGlyph());
    b.SetGroupIndex(1);
    b.SetDown(true);
    b.setEnabled(false);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.State(), S::bsDisabled);
    const QImage img = pixels::render(b);
    EXPECT_EQ(pixel(img, 10, 10), qRgb(0, 0, 255));  // marked edge, in place
    EXPECT_EQ(pixel(img, 11, 11), qRgb(0, 255, 0));  // its copy one pixel down and right
    EXPECT_EQ(pixel(img, 9, 9), kFace);              // unmarked ink is not drawn
}

QFont pixelFont(int size) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(size);
    // Whole pixels only, so that each copy of the caption has its own exact colour.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Caption copies: the shadow one pixel right and down, the highlight one pixel left and up,
// each only when its colour is set.
TEST(ShineButton, CaptionCopiesAppearOnlyWhenTheirColourIsSet) {
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0);
    struct Case {
        bool shadow, highlight;
    };
    for (const Case c : {Case{true, false}, Case{false, true}, Case{true, true}, Case{false, false}}) {
        TShineSpeedButton b;
        b.resize(60, 25);
        plainColours(b);
        b.Colors().SetColor(tc(kWhiteRgb));
        b.SetUpFrame(false);
        b.setFont(pixelFont(14));
        b.SetCaption(QStringLiteral("HI"));
        b.SetFontColor(kBlack);
        if (c.shadow) b.SetFontShadow(tc(red));
        if (c.highlight) b.SetFontHighlight(tc(green));
        const QImage img = pixels::render(b);
        const QRect text = pixels::boundsWhere(img, pixels::exactly(qRgb(0, 0, 0)));
        const QRect shadow = pixels::boundsWhere(img, pixels::exactly(red));
        const QRect light = pixels::boundsWhere(img, pixels::exactly(green));
        const std::string what = std::string(c.shadow ? "shadow " : "") + (c.highlight ? "highlight" : "");
        ASSERT_FALSE(text.isEmpty()) << what;
        EXPECT_EQ(shadow.isEmpty(), !c.shadow) << what;
        EXPECT_EQ(light.isEmpty(), !c.highlight) << what;
        if (c.shadow) {
            EXPECT_EQ(shadow.bottomRight(), text.bottomRight() + QPoint(1, 1)) << what;
        }
        if (c.highlight) {
            EXPECT_EQ(light.topLeft(), text.topLeft() - QPoint(1, 1)) << what;
        }
    }
}

// Two grouped buttons side by side in a shown window.
class ShineGroup : public testing::Test {
protected:
    void SetUp() override {
        window.resize(100, 40);
        for (TShineSpeedButton* b : {&first, &second}) {
            b->setParent(&window);
            b->SetGroupIndex(1);
        }
        first.move(0, 0);
        second.move(30, 0);
        first.OnClick = [this] { ++clicks; };
        second.OnClick = [this] { ++clicks; };
        // The pointer starts away from the window.
        QCursor::setPos(QPoint(500, 500));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void click(TShineSpeedButton& b) { QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(12, 12)); }

    QWidget window;
    TShineSpeedButton first, second;
    int clicks = 0;
};

TEST_F(ShineGroup, PressingOneRaisesTheOtherAndADownButtonStaysDown) {
    click(first);
    EXPECT_TRUE(first.Down());
    click(second);
    EXPECT_TRUE(second.Down());
    EXPECT_FALSE(first.Down());
    click(second);
    EXPECT_TRUE(second.Down());
    EXPECT_EQ(clicks, 3);

    // AllowAllUp set on one button is taken over by the other: now the down one comes up.
    first.SetAllowAllUp(true);
    EXPECT_TRUE(second.AllowAllUp());
    click(second);
    EXPECT_FALSE(second.Down());
    EXPECT_FALSE(first.Down());
}

TEST_F(ShineGroup, ReleasingOutsideNeitherTogglesNorClicks) {
    QTest::mousePress(&first, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(first.State(), S::bsActiveDown);
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 12), first.mapToGlobal(QPointF(60, 12)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&first, &move);
    EXPECT_EQ(first.State(), S::bsUp);
    QTest::mouseRelease(&first, Qt::LeftButton, {}, QPoint(60, 12));
    EXPECT_FALSE(first.Down());
    EXPECT_EQ(clicks, 0);
}

TEST_F(ShineGroup, ClickDownHookShowsThePressedLookDuringTheClick) {
    for (bool hook : {true, false}) {
        TShineSpeedButton plain(&window);
        plain.move(60, 0);
        plain.show();
        plain.SetClickDownHook(hook);
        S during = S::bsDisabled;
        plain.OnClick = [&] { during = plain.State(); };
        click(plain);
        EXPECT_EQ(during == S::bsActiveDown, hook) << hook;
        EXPECT_FALSE(plain.Down());  // an ungrouped button comes back up
    }
}

// The events of a double click as the window system delivers them: a click, then the second
// press as a double-click event, then its release.
void doubleClick(QWidget& w) {
    const QPoint p(12, 12);
    QTest::mouseClick(&w, Qt::LeftButton, {}, p);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(p), w.mapToGlobal(QPointF(p)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &dbl);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, p);
}

TEST_F(ShineGroup, DoubleClickOnADownButtonFiresTheDoubleClickEvent) {
    int doubles = 0;
    first.OnDblClick = [&] { ++doubles; };
    doubleClick(first);
    EXPECT_EQ(doubles, 1);  // the first click of the pair latched it down
    EXPECT_TRUE(first.Down());
    // A button that never latches does not report double clicks.
    TShineSpeedButton plain(&window);
    plain.move(60, 0);
    plain.show();
    plain.OnDblClick = [&] { ++doubles; };
    doubleClick(plain);
    EXPECT_EQ(doubles, 1);
}

// The caption's accelerator clicks the button; with AccelCharDown it also latches it down.
TEST_F(ShineGroup, AcceleratorClicksAndWithAccelCharDownLatches) {
    first.SetCaption(QStringLiteral("&G"));
    second.SetCaption(QStringLiteral("&K"));
    second.SetAccelCharDown(true);
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(first.Down());
    QTest::keyClick(&window, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(second.Down());
}

// Swallows the leave notifications of one widget.
class NoLeave : public QObject {
public:
    int swallowed = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Leave) return false;
        ++swallowed;
        return true;
    }
};

TEST_F(ShineGroup, LeavingIsDetectedWithin200MsWithoutALeaveEvent) {
    int enters = 0, leaves = 0;
    first.OnMouseEnter = [&](TShineSpeedButton* sender, Qt::KeyboardModifiers, int, int) {
        EXPECT_EQ(sender, &first);
        ++enters;
    };
    first.OnMouseLeave = [&](TShineSpeedButton*, Qt::KeyboardModifiers, int, int) { ++leaves; };
    NoLeave filter;
    first.installEventFilter(&filter);

    ASSERT_EQ(first.State(), S::bsUp);
    QCursor::setPos(first.mapToGlobal(QPoint(12, 12)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return enters == 1; }, 1000));
    EXPECT_EQ(first.State(), S::bsActiveUp);

    QElapsedTimer clock;
    clock.start();
    QCursor::setPos(window.mapToGlobal(QPoint(300, 300)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return leaves == 1; }, 1000));
    const qint64 took = clock.elapsed();
    EXPECT_GE(filter.swallowed, 1);  // the leave event did arrive and was kept from the button
    // Within a poll period of the move, with room for a loaded test machine.
    EXPECT_LT(took, 3 * TShineSpeedButton::kLeavePollMs);
    EXPECT_EQ(first.State(), S::bsUp);
}

}  // namespace
