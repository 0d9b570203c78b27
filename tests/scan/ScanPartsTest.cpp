// The pure parts of Ik7Scan.so: source names, the list text, units, frames to bitmaps.
#include "DibBlock.h"
#include "FrameRows.h"
#include "PageAssembler.h"
#include "ScanUnits.h"
#include "SourceNames.h"
#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace scan;

TEST(SourceNames, SameModelsGetDistinctNamesThatDoNotDependOnListingOrder) {
    const auto names = productNames({"frontend-tester", "frontend-tester", "X"}, {"test:1", "test:0", "x:0"});
    EXPECT_EQ(names[1], "frontend-tester");      // the lowest SANE name keeps the plain name
    EXPECT_EQ(names[0], "frontend-tester (2)");
    EXPECT_EQ(names[2], "X");
    const auto swapped = productNames({"frontend-tester", "frontend-tester"}, {"test:0", "test:1"});
    EXPECT_EQ(swapped, (std::vector<std::string>{"frontend-tester", "frontend-tester (2)"}));
}

TEST(SourceNames, NamesFitTheIdentityFieldHaveNoCommaAndStayDistinct) {
    const std::string longName(40, 'A');
    const std::string japanese = "スキャナー装置スキャナー装置";  // 3 bytes a character, 42 bytes
    const auto names = productNames({longName, longName + "B", "a,b", japanese, "frontend-tester (2)", "frontend-tester",
                                     "frontend-tester", ""},
                                    {"a:0", "a:1", "b:0", "c:0", "d:0", "e:0", "e:1", "f:0"});
    std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size());
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        EXPECT_LE(n.size(), kProductNameBytes);
        EXPECT_EQ(n.find(','), std::string::npos);
        EXPECT_FALSE(n.empty());
    }
    EXPECT_EQ(names[2], "a b");
    EXPECT_EQ(names[3].size() % 3, 0u) << "a character was split";
}

TEST(ListText, DefaultThenEveryNameWithItsComma) {
    const ListText list = buildListText("B", {"A", "B", "C"}, 2048);
    EXPECT_EQ(list.text, "B,A,B,C,");
    EXPECT_EQ(list.count, 3);
    EXPECT_TRUE(list.complete);
    EXPECT_EQ(listTextBytes("B", {"A", "B", "C"}), list.text.size() + 1);
}

TEST(ListText, ASmallBufferLeavesNamesOutAndNeverOverflows) {
    const std::vector<std::string> names = {"first", "second-longer", "x"};
    struct Case {
        std::size_t capacity;
        std::string text;
        int count;
    };
    for (const Case& c : {Case{0, "", 0}, Case{1, "", 0}, Case{6, "", 0}, Case{7, "first,", 0},
                          Case{13, "first,first,", 1}, Case{15, "first,first,x,", 2},
                          Case{29, "first,first,second-longer,x,", 3}}) {
        SCOPED_TRACE(c.capacity);
        const ListText list = buildListText("first", names, c.capacity);
        EXPECT_EQ(list.text, c.text);
        EXPECT_EQ(list.count, c.count);
        EXPECT_LE(list.text.size() + 1, std::max<std::size_t>(c.capacity, 1));
        EXPECT_EQ(list.complete, c.count == 3);
    }
}

TEST(ScanUnits, MillimetresInEveryUnitOfTheRecord) {
    struct Case {
        Unit unit;
        double expected;  // 254 mm
    };
    for (const Case& c : {Case{Unit::Inch, 10}, Case{Unit::Centimetre, 25.4}, Case{Unit::Pica, 60},
                          Case{Unit::Point, 720}, Case{Unit::Twip, 14400}, Case{Unit::Pixel, 3000}}) {
        SCOPED_TRACE(int(c.unit));
        EXPECT_NEAR(fromMillimetres(254, c.unit, 300), c.expected, 1e-9);
        EXPECT_NEAR(toMillimetres(c.expected, c.unit, 300), 254, 1e-9);
    }
    EXPECT_NEAR(toDotsPerInch(100, Unit::Centimetre), 254, 1e-9);
    EXPECT_NEAR(fromDotsPerInch(300, Unit::Inch), 300, 1e-9);
    EXPECT_NEAR(toDotsPerInch(300, Unit::Pixel), 300, 1e-9);
}

namespace {

struct Page {
    int width = 0, height = 0, bits = 0;
    std::int32_t xPels = 0;
    std::vector<platform::RgbQuad> colours;
    std::vector<std::vector<std::uint8_t>> rows;  // from the top, without padding
};

Page readPage(IKHANDLE image) {
    Page page;
    kit::DibView view(image);
    page.width = view.width();
    page.height = view.height();
    page.bits = view.header().biBitCount;
    page.xPels = view.header().biXPelsPerMeter;
    page.colours.assign(view.colours(), view.colours() + view.colourCount());
    const std::size_t used = kit::packedRowBytes(std::size_t(page.width), page.bits);
    for (int y = 0; y < page.height; ++y) page.rows.emplace_back(view.row(y), view.row(y) + used);
    return page;
}

IKHANDLE assemble(PageAssembler& page, const std::vector<std::pair<FrameFormat, std::vector<std::uint8_t>>>& frames) {
    for (const auto& [format, bytes] : frames) {
        EXPECT_TRUE(page.beginFrame(format));
        EXPECT_TRUE(page.append(bytes.data(), bytes.size()));
        page.endFrame();
    }
    EXPECT_TRUE(page.complete());
    return page.makeDib(300, 300);
}

}  // namespace

TEST(PageAssembler, LineArtBlackIsEntryZeroAndTheBitsAreInverted) {
    // 10 pixels a row: SANE 1 = black.
    const FrameFormat f{0, true, 2, 10, 2, 1};
    PageAssembler page;
    const IKHANDLE image = assemble(page, {{f, {0b10000000, 0b01000000, 0xFF, 0xC0}}});
    ASSERT_NE(image, 0u);
    const Page p = readPage(image);
    EXPECT_EQ(p.bits, 1);
    EXPECT_EQ(p.xPels, 11811);
    ASSERT_EQ(p.colours.size(), 2u);
    EXPECT_EQ(p.colours[0].red + p.colours[0].green + p.colours[0].blue, 0);
    EXPECT_EQ(p.colours[1].red + p.colours[1].green + p.colours[1].blue, 3 * 255);
    EXPECT_EQ(p.rows[0], (std::vector<std::uint8_t>{0b01111111, 0b10000000}));  // bits past x = 9 stay 0
    EXPECT_EQ(p.rows[1], (std::vector<std::uint8_t>{0x00, 0x00}));
    platform::globalFree(image);
}

TEST(PageAssembler, GreyAndColourIn8And16BitsKeepTheHighByteAndBecomeBgr) {
    std::uint16_t grey16[3] = {0x1234, 0xFF00, 0x00FF};
    std::vector<std::uint8_t> grey16Bytes(6);
    std::memcpy(grey16Bytes.data(), grey16, 6);
    PageAssembler g;
    IKHANDLE image = assemble(g, {{FrameFormat{0, true, 6, 3, 1, 16}, grey16Bytes}});
    Page p = readPage(image);
    EXPECT_EQ(p.bits, 8);
    EXPECT_EQ(p.rows[0], (std::vector<std::uint8_t>{0x12, 0xFF, 0x00}));
    EXPECT_EQ(p.colours[0x12].red, 0x12);
    platform::globalFree(image);

    PageAssembler c;
    image = assemble(c, {{FrameFormat{1, true, 7, 2, 1, 8}, {1, 2, 3, 4, 5, 6, 99}}});  // one padding byte
    p = readPage(image);
    EXPECT_EQ(p.bits, 24);
    EXPECT_EQ(p.rows[0], (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4}));
    platform::globalFree(image);
}

TEST(PageAssembler, ThreePassFramesInAnyOrderEqualOneRgbFrame) {
    const std::vector<std::uint8_t> rgb = {10, 20, 30, 11, 21, 31, 12, 22, 32, 13, 23, 33};  // 2 × 2
    PageAssembler single;
    const IKHANDLE one = assemble(single, {{FrameFormat{1, true, 6, 2, 2, 8}, rgb}});
    const auto plane = [&](int c) {
        std::vector<std::uint8_t> p;
        for (std::size_t i = std::size_t(c); i < rgb.size(); i += 3) p.push_back(rgb[i]);
        return p;
    };
    PageAssembler three;
    const IKHANDLE merged = assemble(three, {{FrameFormat{4, false, 2, 2, 2, 8}, plane(2)},
                                             {FrameFormat{2, false, 2, 2, 2, 8}, plane(0)},
                                             {FrameFormat{3, true, 2, 2, 2, 8}, plane(1)}});
    EXPECT_EQ(readPage(one).rows, readPage(merged).rows);
    platform::globalFree(one);
    platform::globalFree(merged);
}

TEST(PageAssembler, UnknownHeightGrowsWithTheLinesAndStopsAtTheBudget) {
    PageAssembler page;
    ASSERT_TRUE(page.beginFrame(FrameFormat{0, true, 4, 4, -1, 8}));
    EXPECT_EQ(page.percent(), 0);
    const std::vector<std::uint8_t> line = {1, 2, 3, 4};
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(page.append(line.data(), line.size()));
    ASSERT_TRUE(page.append(line.data(), 2));  // half a line is dropped
    page.endFrame();
    const IKHANDLE image = page.makeDib(100, 100);
    ASSERT_NE(image, 0u);
    EXPECT_EQ(readPage(image).height, 5);
    platform::globalFree(image);

    PageAssembler small(/*mostPixels=*/40, /*mostBytes=*/1000);
    ASSERT_TRUE(small.beginFrame(FrameFormat{0, true, 4, 4, -1, 8}));
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(small.append(line.data(), line.size()));
    EXPECT_FALSE(small.append(line.data(), line.size()));
    EXPECT_EQ(small.status(), IK_ERR_MEMORY);

    PageAssembler known;
    EXPECT_FALSE(known.beginFrame(FrameFormat{0, true, 1 << 16, 1 << 16, 1 << 16, 8}));  // 2^32 pixels
    EXPECT_EQ(known.status(), IK_ERR_MEMORY);
}

TEST(PageAssembler, RefusesFramesItCannotRead) {
    for (const FrameFormat& f : {FrameFormat{1, true, 6, 2, 1, 1}, FrameFormat{0, true, 2, 3, 1, 8},
                                 FrameFormat{9, true, 3, 3, 1, 8}, FrameFormat{0, true, 3, 3, 0, 8},
                                 FrameFormat{0, true, 3, 0, 1, 8}}) {
        PageAssembler page;
        EXPECT_FALSE(page.beginFrame(f));
        EXPECT_EQ(page.status(), IK_ERR_FORMAT);
    }
    PageAssembler mixed;
    ASSERT_TRUE(mixed.beginFrame(FrameFormat{2, false, 2, 2, 1, 8}));
    mixed.endFrame();
    EXPECT_FALSE(mixed.beginFrame(FrameFormat{3, false, 4, 4, 1, 8})) << "planes of another size";
}
