// The slide control's pure rules: fitted size, centring, draw area, wipe steps and the
// reading of slide files.
#include "browse/SlideFile.h"
#include "browse/SlideGeometry.h"

#include <QBuffer>
#include <gtest/gtest.h>

using Ikutils::IkRect;

TEST(SlideGeometry, FittedSizeShrinksByTheLargerFactorAndNeverEnlarges) {
    struct Case {
        int aw, ah, iw, ih;
        SlideSize fit;
    };
    const Case cases[] = {
        {100, 100, 30, 20, {30, 20}},          // smaller: own size
        {100, 100, 100, 100, {100, 100}},      // exactly fitting
        {100, 100, 400, 200, {100, 50}},       // wider
        {100, 100, 200, 400, {50, 100}},       // higher
        {386, 326, 4960, 7016, {230, 326}},    // a 600-dpi A4 page in a preview pane
        {386, 326, 2480, 3508, {230, 326}},    // the same page at 300 dpi
        {10, 10, 15, 10, {10, 7}},             // 6.67 rounds half up
        {0, 10, 15, 10, {0, 0}},               // empty area
        {10, 10, 0, 10, {0, 0}},               // empty image
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetImageSize(c.aw, c.ah, c.iw, c.ih), c.fit) << c.aw << "x" << c.ah << " " << c.iw << "x" << c.ih;
}

TEST(SlideGeometry, CentringTruncatesHalvesAndDrawAreaFollowsTheBorder) {
    EXPECT_EQ(centreOffset(96, 96, 30, 20), (SlideSize{33, 38}));
    EXPECT_EQ(centreOffset(97, 96, 30, 21), (SlideSize{33, 37}));
    EXPECT_EQ(slideDrawArea(100, 80, false, vikLowered), (IkRect{0, 0, 99, 79}));
    EXPECT_EQ(slideDrawArea(100, 80, true, vikFlat), (IkRect{1, 1, 98, 78}));
    EXPECT_EQ(slideDrawArea(100, 80, true, vikLowered), (IkRect{2, 2, 97, 77}));
    EXPECT_EQ(slideDrawArea(100, 80, true, vikRaised), (IkRect{2, 2, 97, 77}));
}

TEST(SlideGeometry, WipeStepsPerDirection) {
    // (source, target, count, percent) along the wiped axis.
    struct Case {
        TVIkSlideScroll dir;
        int extent, size;
        std::vector<WipeStep> steps;
    };
    const Case cases[] = {
        // Left to right: the last columns first, at the left edge.
        {vikLeftToRight, 10, 4, {{6, 0, 4, -1}, {2, 0, 8, 39}, {0, 0, 10, 79}}},
        {vikUpToDown, 10, 4, {{6, 0, 4, -1}, {2, 0, 8, 39}, {0, 0, 10, 79}}},
        // Right to left: the first columns first, at the right edge.
        {vikRightToLeft, 10, 4, {{0, 6, 4, -1}, {0, 2, 8, 39}, {0, 0, 10, 79}}},
        {vikDownToUp, 10, 4, {{0, 6, 4, -1}, {0, 2, 8, 39}, {0, 0, 10, 79}}},
        // A step of 0 counts as 1; a step wider than the area copies it at once.
        {vikLeftToRight, 3, 0, {{2, 0, 1, -1}, {1, 0, 2, 32}, {0, 0, 3, 65}}},
        {vikLeftToRight, 5, 9, {{0, 0, 5, -1}}},
        {vikNormal, 10, 4, {}},
        {vikLeftToRight, 0, 4, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wipeSteps(c.dir, c.extent, c.size), c.steps) << int(c.dir) << " " << c.extent << " " << c.size;
    EXPECT_TRUE(wipesColumns(vikLeftToRight) && wipesColumns(vikRightToLeft));
    EXPECT_FALSE(wipesColumns(vikUpToDown) || wipesColumns(vikDownToUp));
}

TEST(SlideFileLine, PageSplitOffOnlyWhenTheLineEndsInABlankAndDigits) {
    struct Case {
        QString line;
        bool hasPage;
        SlideLine withPage;
    };
    const Case cases[] = {
        {"/d/a.tif 2", true, {"/d/a.tif", 2}},
        {"/d/a b.tif  17", true, {"/d/a b.tif", 17}},
        {"/d/a.tif", false, {}},
        {"/d/a.tif 2x", false, {}},
        {"/d/scan2", false, {}},           // digits not after a blank
        {" 3", false, {}},                 // no path before the page
        {"/d/a.tif 40000", false, {}},     // beyond a 16-bit page
        {"/d/a.tif 0032767", true, {"/d/a.tif", 32767}},
    };
    for (const Case& c : cases) {
        const SlideLineReadings r = readSlideLine(c.line);
        EXPECT_EQ(r.hasPage, c.hasPage) << c.line.toStdString();
        if (c.hasPage) {
            EXPECT_EQ(r.withPage, c.withPage) << c.line.toStdString();
        }
        EXPECT_EQ(r.whole, (SlideLine{c.line, 0}));
    }
}

namespace {

std::vector<SlideLine> readAll(QByteArray bytes, const std::function<bool(const SlideLine&)>& accept) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readSlideFile(buffer, accept);
}

}  // namespace

TEST(SlideFileRead, LinesTrimmedSkippedAndTriedWithPageFirst) {
    // Accepts paths that exist in this little world: "/d/a.tif" with pages 0–3, and
    // "/d/scan 2" (a name ending in a blank and a digit) with page 0.
    const auto accept = [](const SlideLine& l) {
        return (l.path == "/d/a.tif" && l.page < 4) || (l.path == "/d/scan 2" && l.page == 0) ||
               (l.path == QStringLiteral("/d/見積.tif") && l.page == 0);
    };
    const QByteArray text = "  /d/a.tif 2\r\n\r\n\n   \n/d/a.tif\n/d/missing.tif\n/d/scan 2\r\n/d/a.tif 9\n"
                            "/d/\xE8\xA6\x8B\xE7\xA9\x8D.tif";
    const std::vector<SlideLine> expected = {
        {"/d/a.tif", 2}, {"/d/a.tif", 0}, {"/d/scan 2", 0}, {QStringLiteral("/d/見積.tif"), 0}};
    EXPECT_EQ(readAll(text, accept), expected);
}

TEST(SlideFileRead, BoundedByEntriesLinesAndLineLength) {
    const auto all = [](const SlideLine&) { return true; };
    QByteArray many;
    for (int i = 0; i < kSlideMaxEntries + 10; ++i) many += "/p " + QByteArray::number(i % 100) + "\n";
    EXPECT_EQ(readAll(many, all).size(), std::size_t(kSlideMaxEntries));

    // Lines that name nothing are read only up to the line bound.
    int asked = 0;
    QByteArray junk;
    for (int i = 0; i < kSlideMaxLines + 50; ++i) junk += "x\n";
    readAll(junk, [&asked](const SlideLine&) {
        ++asked;
        return false;
    });
    EXPECT_EQ(asked, kSlideMaxLines);

    // An over-long line is dropped whole; the next line is read normally.
    const QByteArray longLine = QByteArray(kSlideMaxLineBytes * 3, 'a') + "\n/ok\n";
    EXPECT_EQ(readAll(longLine, all), (std::vector<SlideLine>{{"/ok", 0}}));
    EXPECT_TRUE(readAll(QByteArray(), all).empty());
}
