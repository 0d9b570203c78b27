// Ik7Scan.so with SANE's test backend: listing, capabilities, acquisitions and failures.
#include "ScanFixture.h"

#include "platform/KitStatus.h"

#include <QProcess>

#include <cmath>
#include <cstring>

using namespace scantest;

namespace {

std::uint16_t status() { return platform::kitStatus(); }

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    EXPECT_EQ(start, text.size()) << "text after the last comma";
    return parts;
}

std::vector<std::string> list(IKSCANCONNECTION connection, int32_t* countOut = nullptr) {
    char buffer[IK_SCAN_LIST_BYTES];
    std::memset(buffer, 'x', sizeof buffer);
    int32_t count = -1;
    EXPECT_TRUE(IKScanList(connection, buffer, &count));
    EXPECT_EQ(IKScanListLen(connection), int32_t(std::strlen(buffer) + 1));
    if (countOut) *countOut = count;
    return splitList(buffer);
}

// The grid of the test picture: squares of 10 mm, the top-left one white.
bool gridWhite(int x, int y, int dpi) {
    const double square = 10.0 / 25.4 * dpi;
    return (int(x / square) + int(y / square)) % 2 == 0;
}

}  // namespace

TEST_F(ScanTest, ListsBothTestDevicesWithDistinctNamesAndRemembersTheLastUsedAsDefault) {
    int32_t count = 0;
    auto names = list(connection_, &count);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[1], "frontend-tester");
    EXPECT_EQ(names[2], "frontend-tester (2)");
    EXPECT_EQ(names[0], names[1]) << "default: the first device while none was used";

    // Each name maps back to exactly one SANE device.
    IKSCANIDENTITY identity{};
    ASSERT_TRUE(IKScanGetDSInfo(connection_, "frontend-tester (2)", &identity));
    EXPECT_STREQ(identity.productName, "frontend-tester (2)");
    EXPECT_STREQ(identity.text4, "test:1");
    EXPECT_STREQ(identity.text1, "Noname");
    ASSERT_TRUE(IKScanGetDSInfo(connection_, "frontend-tester", &identity));
    EXPECT_STREQ(identity.text4, "test:0");

    IKSCANRECORD r = record(1, 25, 1);
    EXPECT_EQ(exec(r, "", "frontend-tester (2)"), 1);
    names = list(connection_);
    EXPECT_EQ(names[0], "frontend-tester (2)") << "default: the source last used";
    ASSERT_TRUE(IKScanGetDSInfo(connection_, "", &identity));
    EXPECT_STREQ(identity.text4, "test:1");
    IKSCANRECORD back = record(1, 25, 1);
    EXPECT_EQ(exec(back, "", "frontend-tester"), 1);
    EXPECT_EQ(list(connection_)[0], "frontend-tester");
}

TEST_F(ScanTest, FeederPagesInEveryPixelTypeMatchTheGridWithTheDeviceResolution) {
    struct Case {
        int pixelType, bits;
        std::uint32_t white, black;
    };
    for (const Case& c : {Case{2, 24, 0xFFFFFF, 0}, Case{1, 8, 0xFFFFFF, 0}, Case{0, 1, 0xFFFFFF, 0}}) {
        SCOPED_TRACE(c.pixelType);
        recorder() = Recorder{};
        IKSCANRECORD r = record(c.pixelType, 127, 2);
        ASSERT_EQ(exec(r, "test-picture=Grid"), 2) << status();
        EXPECT_EQ(status(), IK_OK);
        EXPECT_EQ(recorder().calls, (std::vector<std::string>{"B1", "A1", "B2", "A2"}));
        ASSERT_EQ(recorder().pages.size(), 2u);
        for (const ScannedPage& page : recorder().pages) {
            EXPECT_EQ(page.bits, c.bits);
            EXPECT_EQ(page.width, 1000);  // the whole 200 mm at 127 dpi
            EXPECT_EQ(page.height, 1000);
            EXPECT_EQ(page.xPelsPerMeter, 5000);
            for (auto [x, y] : {std::pair{0, 0}, {75, 0}, {0, 75}, {75, 75}, {999, 999}, {130, 260}})
                EXPECT_EQ(page.rgbAt(x, y), gridWhite(x, y, 127) ? c.white : c.black) << x << "," << y;
        }
        EXPECT_EQ(recorder().befores[0].width, 1000);
        EXPECT_EQ(recorder().befores[0].height, 1000);
        EXPECT_EQ(recorder().befores[0].bitsPerPixel, c.bits);
        EXPECT_EQ(recorder().befores[0].pixelType, c.pixelType);
        EXPECT_FLOAT_EQ(recorder().befores[0].xResolution, 127.0f);
        // The record tells what the device used.
        EXPECT_EQ(r.pixelType, c.pixelType);
        EXPECT_EQ(r.bitDepth, c.bits);
        EXPECT_EQ(r.xResolution, 127);
        EXPECT_NEAR(r.rectRight, 200 / 25.4, 1e-4);
    }
}

TEST_F(ScanTest, LineArtBlackIsPaletteEntryZero) {
    IKSCANRECORD r = record(0, 50, 1);
    ASSERT_EQ(exec(r, "test-picture=Solid black"), 1);
    const ScannedPage& page = recorder().pages.at(0);
    EXPECT_EQ(page.row(0)[0], 0x00);
    EXPECT_EQ(page.rgbAt(0, 0), 0u);
    std::uint32_t entry0;
    std::memcpy(&entry0, page.block.data() + 40, 4);
    EXPECT_EQ(entry0 & 0xFFFFFF, 0u);
}

TEST_F(ScanTest, MemoryAndNativeTransferThreePassAndSinglePassGiveIdenticalPages) {
    const std::string pattern = "test-picture=Color pattern\nread-limit=yes\nread-limit-size=3000\n";
    std::vector<std::vector<std::uint8_t>> results;
    for (const auto& [mode, extra] : {std::pair{0, std::string()}, std::pair{2, std::string()},
                                      std::pair{0, std::string("three-pass=yes\n")},
                                      std::pair{2, std::string("three-pass=yes\nthree-pass-order=GBR\n")}}) {
        SCOPED_TRACE(testing::Message() << "transfer " << mode << " " << extra);
        recorder() = Recorder{};
        IKSCANRECORD r = record(2, 60, 2, mode);
        ASSERT_EQ(exec(r, pattern + extra), 2);
        ASSERT_EQ(recorder().pages.size(), 2u);
        EXPECT_EQ(recorder().pages[0].block, recorder().pages[1].block);
        results.push_back(recorder().pages[0].block);
        if (mode == 2) {
            // Progress per block, rising to 100 for each page.
            ASSERT_GT(recorder().progress.size(), 4u);
            EXPECT_EQ(recorder().progress.back(), 100);
            EXPECT_TRUE(std::is_sorted(recorder().progress.begin(), recorder().progress.begin() + 3));
        }
    }
    for (std::size_t i = 1; i < results.size(); ++i) EXPECT_EQ(results[i], results[0]) << "case " << i;
}

TEST_F(ScanTest, ColourPagesEqualWhatScanimageReadsFromTheSameDevice) {
    IKSCANRECORD r = record(2, 40, 1, 2, 0);
    ASSERT_EQ(exec(r, "test-picture=Color pattern"), 1);
    const ScannedPage& page = recorder().pages.at(0);
    QProcess scanimage;
    scanimage.start(QStringLiteral("scanimage"),
                    {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--mode"), QStringLiteral("Color"),
                     QStringLiteral("--resolution"), QStringLiteral("40"), QStringLiteral("--test-picture"),
                     QStringLiteral("Color pattern"), QStringLiteral("-x"), QStringLiteral("200"), QStringLiteral("-y"),
                     QStringLiteral("200"), QStringLiteral("--format=pnm")});
    ASSERT_TRUE(scanimage.waitForFinished(30000));
    const QByteArray pnm = scanimage.readAllStandardOutput();
    // P6, a comment line, the size, the maximum, then RGB rows from the top.
    const QList<QByteArray> head = pnm.left(200).split('\n');
    ASSERT_GE(head.size(), 4);
    const QList<QByteArray> size = head[2].split(' ');
    ASSERT_EQ(size[0].toInt(), page.width);
    ASSERT_EQ(size[1].toInt(), page.height);
    const qsizetype offset = head[0].size() + head[1].size() + head[2].size() + head[3].size() + 4;
    const auto* rgb = reinterpret_cast<const std::uint8_t*>(pnm.constData() + offset);
    int differences = 0;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            const std::uint8_t* p = rgb + (std::size_t(y) * page.width + x) * 3;
            const std::uint32_t expected = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
            differences += page.rgbAt(x, y) != expected;
        }
    EXPECT_EQ(differences, 0);
}

TEST_F(ScanTest, HandScannerPagesOfUnknownHeightArrive) {
    for (int mode : {0, 2}) {
        recorder() = Recorder{};
        IKSCANRECORD r = record(1, 50, 1, mode, 0);
        ASSERT_EQ(exec(r, "hand-scanner=yes\ntest-picture=Grid"), 1) << status();
        EXPECT_EQ(recorder().befores.at(0).height, -1);
        const ScannedPage& page = recorder().pages.at(0);
        EXPECT_NEAR(page.width, 110 / 25.4 * 50, 1.0);  // 11 cm as the backend rounds it
        EXPECT_GT(page.height, 0);
        EXPECT_EQ(page.rgbAt(0, 0), 0xFFFFFFu);
    }
}

TEST_F(ScanTest, TheFeederDeliversEveryPageUntilItIsEmpty) {
    IKSCANRECORD r = record(1, 10, -1);
    EXPECT_EQ(exec(r), 10);
    EXPECT_EQ(status(), IK_OK);
    ASSERT_EQ(recorder().pages.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(recorder().pages[std::size_t(i)].imageCount, i + 1);
}

TEST_F(ScanTest, DeviceFailuresEndTheScanWithTheirStatusAndSaneText) {
    struct Case {
        const char* value;
        std::uint16_t status;
        const char* text;
    };
    for (const Case& c : {Case{"SANE_STATUS_JAMMED", IK_ERR_SCAN_JAMMED, "Document feeder jammed"},
                          Case{"SANE_STATUS_IO_ERROR", IK_ERR_SCAN_DEVICE, "Error during device I/O"},
                          Case{"SANE_STATUS_NO_DOCS", IK_ERR_SCAN_NO_DOCS, "Document feeder out of documents"},
                          Case{"SANE_STATUS_COVER_OPEN", IK_ERR_SCAN_COVER_OPEN, "Scanner cover is open"},
                          Case{"SANE_STATUS_DEVICE_BUSY", IK_ERR_SCAN_BUSY, "Device busy"},
                          Case{"SANE_STATUS_ACCESS_DENIED", IK_ERR_SCAN_ACCESS_DENIED, "Access to resource has been denied"},
                          Case{"SANE_STATUS_NO_MEM", IK_ERR_MEMORY, "Out of memory"}}) {
        for (int mode : {0, 2}) {
            SCOPED_TRACE(testing::Message() << c.value << " transfer " << mode);
            recorder() = Recorder{};
            IKSCANRECORD r = record(2, 20, 2, mode);
            EXPECT_EQ(exec(r, std::string("read-return-value=") + c.value, "frontend-tester (2)"), 0);
            EXPECT_EQ(status(), c.status);
            EXPECT_TRUE(recorder().pages.empty());
            char text[64], device[64];
            IKScanLastErrorText(text, sizeof text, device, sizeof device);
            EXPECT_STREQ(text, c.text);
            EXPECT_STREQ(device, "frontend-tester (2)");
        }
    }
    char tiny[5];
    IKScanLastErrorText(tiny, sizeof tiny, nullptr, 0);
    EXPECT_STREQ(tiny, "Out ");
}

TEST_F(ScanTest, AStopAnswerEndsTheScanWithCancelledAndKeepsTheHandedPages) {
    struct Case {
        int stopBefore, stopAfter, stopProgress, transfer;
        int images;
        std::vector<std::string> calls;
    };
    for (const Case& c : {Case{2, 0, 0, 0, 1, {"B1", "A1", "B2"}}, Case{0, 1, 0, 0, 1, {"B1", "A1"}},
                          Case{1, 0, 0, 2, 0, {"B1"}}, Case{0, 0, 1, 2, 0, {"B1", "P"}}}) {
        SCOPED_TRACE(testing::Message() << c.stopBefore << c.stopAfter << c.stopProgress);
        recorder() = Recorder{};
        recorder().stopBeforeImage = c.stopBefore;
        recorder().stopAfterImage = c.stopAfter;
        recorder().stopAtProgress = c.stopProgress;
        IKSCANRECORD r = record(2, 50, 5, c.transfer);
        EXPECT_EQ(exec(r, "read-limit=yes\nread-limit-size=1000"), c.images);
        EXPECT_EQ(status(), IK_ERR_CANCELLED);
        EXPECT_EQ(recorder().calls, c.calls);
        // The device is free again: the next scan works.
        recorder() = Recorder{};
        IKSCANRECORD again = record(1, 20, 1);
        EXPECT_EQ(exec(again), 1);
    }
}

TEST_F(ScanTest, BadHandlesAndArgumentsFailCleanly) {
    IKSCANRECORD r = record(1, 20, 1);
    EXPECT_EQ(IKScanExec(connection_ + 100, 0, &r, recordBefore, recordProgress, recordAfter, nullptr), 0);
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);
    EXPECT_EQ(IKScanExec(connection_, 12345, &r, recordBefore, recordProgress, recordAfter, nullptr), 0);
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);
    EXPECT_EQ(IKScanExec(connection_, 0, nullptr, recordBefore, recordProgress, recordAfter, nullptr), 0);
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);
    r.sourceName = 0xDEAD;  // not a live text handle
    EXPECT_EQ(IKScanExec(connection_, 0, &r, recordBefore, recordProgress, recordAfter, nullptr), 0);
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);
    r = record(1, 20, 1);
    EXPECT_EQ(exec(r, "", "no such scanner"), 0);
    EXPECT_EQ(status(), IK_ERR_SCAN_NO_SOURCE);
    r = record(3, 20, 1);  // palette scans are not offered
    EXPECT_EQ(exec(r), 0);
    EXPECT_EQ(status(), IK_ERR_SCAN_UNSUPPORTED);
    r = record(1, 20, 1);
    EXPECT_EQ(exec(r, "no-such-option=1"), 0);
    EXPECT_EQ(status(), IK_ERR_SCAN_UNSUPPORTED);
    EXPECT_TRUE(recorder().calls.empty());

    EXPECT_EQ(IKScanOpenDS(connection_, "no such scanner"), 0u);
    EXPECT_EQ(status(), IK_ERR_SCAN_NO_SOURCE);
    const IKSCANSOURCE source = IKScanOpenDS(connection_, "frontend-tester (2)");
    ASSERT_NE(source, 0u);
    EXPECT_TRUE(IKScanCloseDS(connection_, source));
    EXPECT_FALSE(IKScanCloseDS(connection_, source));
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);
    int32_t supported = 0;
    EXPECT_FALSE(IKScanIsCapSupported(connection_, source, nullptr, 0x1118, &supported));
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);
    int32_t count = 0;
    EXPECT_FALSE(IKScanList(connection_ + 1, nullptr, &count));
    EXPECT_FALSE(IKScanTerminate(connection_ + 1));
}

TEST_F(ScanTest, AnOpenSourceScansAndStaysOpen) {
    const IKSCANSOURCE source = IKScanOpenDS(connection_, "frontend-tester (2)");
    ASSERT_NE(source, 0u);
    for (int round = 0; round < 2; ++round) {
        IKSCANRECORD r = record(1, 20, 1);
        EXPECT_EQ(IKScanExec(connection_, source, &r, recordBefore, recordProgress, recordAfter, nullptr), 1);
    }
    EXPECT_TRUE(IKScanCloseDS(connection_, source));
}

TEST_F(ScanTest, CapabilitiesComeFromTheDeviceOptions) {
    const IKSCANSOURCE source = IKScanOpenDS(connection_, "frontend-tester");
    ASSERT_NE(source, 0u);
    int16_t types[8] = {};
    EXPECT_EQ(IKScanGetPixelType(connection_, source, nullptr, types, 8), 3);
    EXPECT_EQ(std::vector<int16_t>(types, types + 3), (std::vector<int16_t>{0, 1, 2}));
    // By name, without an open source; the count given bounds what is written.
    EXPECT_EQ(IKScanGetPixelType(connection_, 0, "frontend-tester (2)", types, 1), 3);
    // A device open already is busy for a second opening.
    EXPECT_EQ(IKScanGetPixelType(connection_, 0, "frontend-tester", types, 1), 0);
    EXPECT_EQ(platform::kitStatus(), IK_ERR_SCAN_BUSY);
    int16_t depths[4] = {};
    EXPECT_EQ(IKScanGetBitDepth(connection_, source, nullptr, 2, depths, 4), 2);
    EXPECT_EQ(depths[0], 24);
    EXPECT_EQ(depths[1], 48);
    EXPECT_EQ(IKScanGetBitDepth(connection_, source, nullptr, 0, depths, 4), 1);
    EXPECT_EQ(depths[0], 1);

    struct Size {
        uint8_t unit;
        float expected;  // 200 mm
    };
    for (const Size& s : {Size{0, 200 / 25.4f}, Size{1, 20.0f}, Size{3, 200 / 25.4f * 72}, Size{4, 200 / 25.4f * 1440}}) {
        float w = 0, h = 0;
        ASSERT_TRUE(IKScanGetPhysicalSize(connection_, source, nullptr, 1, s.unit, &w, &h));
        EXPECT_NEAR(w, s.expected, s.expected * 1e-5);
        EXPECT_NEAR(h, s.expected, s.expected * 1e-5);
    }
    float w = 0, h = 0;
    ASSERT_TRUE(IKScanGetMinimumSize(connection_, source, nullptr, 0, 1, &w, &h));
    EXPECT_NEAR(w, 0.1f, 1e-5);
    EXPECT_FALSE(IKScanGetPhysicalSize(connection_, source, nullptr, 0, 9, &w, &h));
    EXPECT_EQ(status(), IK_ERR_ARGUMENT);

    for (uint16_t cap : {0x1118, 0x1119, 0x0101, 0x112B, 0x1002}) {
        int32_t supported = 0;
        EXPECT_TRUE(IKScanIsCapSupported(connection_, source, nullptr, cap, &supported)) << cap;
        EXPECT_NE(supported & 0x3, 0) << cap;
    }
    for (uint16_t cap : {0x1101, 0x1103, 0x1109, 0x9999}) {  // the test device has no brightness or halftones
        int32_t supported = 7;
        EXPECT_FALSE(IKScanIsCapSupported(connection_, source, nullptr, cap, &supported)) << cap;
        EXPECT_EQ(supported, 0);
        EXPECT_EQ(status(), IK_ERR_SCAN_UNSUPPORTED);
    }
    uint16_t type = 0;
    int32_t range[5] = {};
    ASSERT_TRUE(IKScanGetCapRange(connection_, source, nullptr, 0x1118, &type, range));
    EXPECT_EQ(range[0], 1);
    EXPECT_EQ(range[1], 1200);
    EXPECT_EQ(range[2], 1);
    EXPECT_FALSE(IKScanGetCapRange(connection_, source, nullptr, 0x0101, &type, range));

    float values[16] = {};
    char texts[IK_SCAN_CAP_TEXT_BYTES];
    int32_t current = -1, defaultIndex = -1;
    EXPECT_EQ(IKScanGetCapEnum(connection_, source, nullptr, 0x0101, 0, values, texts, &current, &defaultIndex, 16), 3);
    EXPECT_STREQ(texts, "Lineart,Gray,Color,");
    EXPECT_EQ(current, 1);  // the device starts in grey
    EXPECT_EQ(IKScanGetCapEnum(connection_, source, nullptr, 0x1109, 0, values, texts, &current, &defaultIndex, 16), 0);
    EXPECT_EQ(status(), IK_ERR_SCAN_UNSUPPORTED);
    EXPECT_STREQ(texts, "");
    EXPECT_EQ(IKScanGetCapEnum(connection_, source, nullptr, 0x1002, 0, values, nullptr, &current, nullptr, 16), 2);
    EXPECT_EQ(current, 0);
    EXPECT_TRUE(IKScanCloseDS(connection_, source));
}

TEST_F(ScanTest, ASecondConnectionSharesTheFirstUntilBothEnd) {
    const IKSCANCONNECTION second = IKScanInitialize(nullptr, 1, 0, "", "", "", "");
    EXPECT_EQ(second, connection_);
    EXPECT_TRUE(IKScanTerminate(second));
    int32_t count = 0;
    list(connection_, &count);
    EXPECT_EQ(count, 2) << "the first user's connection still works";
}
