// TVIkScan: what the component hands to Ik7Scan.so and what it makes of the answers. The
// function table is the component's only way to the library, so these tests put their own
// functions into the scanner entries (restored afterwards) and look at every argument,
// record byte and callback answer.
#include "IkAttachment.h"
#include "Ikdllprocs.h"
#include "Ikscan.h"

#include "platform/GlobalMemory.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace Ikdllprocs;

// What the library saw and what it is told to answer.
struct Library {
    int initializeCalls = 0, listCalls = 0, execCalls = 0, closeCalls = 0, terminateCalls = 0;
    void* window = nullptr;
    std::int16_t major = 0, minor = 0;
    std::vector<std::string> identityTexts;
    std::string listText;
    std::int32_t listCount = 0;
    IKBOOL listResult = IK_TRUE;
    std::uint16_t status = IK_OK;
    IKSCANCONNECTION connection = 0;
    IKSCANSOURCE source = 0;

    // ScanExec: the record as handed, its texts while the call ran, the indices.
    unsigned char record[128] = {};
    std::string sourceNameText, scanText;
    const std::int32_t* indices = nullptr;
    IKSCANCONNECTION execConnection = 0;
    IKSCANSOURCE execSource = 0;
    // The acquisition the library plays: one image with this before-scan record.
    IKSCANBEFORE next{299.6f, 150.4f, 640, 480, 8, 1, 0, 4, 0};
    IKHANDLE dib = 0x11, original = 0x22;
    std::int32_t percent = 0x00030032;  // high bits the component must drop
    std::int32_t beforeAnswer = 99, scanningAnswer = 99, afterAnswer = 99, lateAnswer = 99;
    IKSCANRECORD readBack{};
    bool writeBack = false;
    std::int32_t execResult = 1;
    IKSCANBEFOREPROC keptBefore = nullptr;

    std::string capTexts;
};

Library lib;

std::string textOf(std::uint32_t handle) {
    if (!handle) return {};
    const platform::GlobalLock lock(handle);
    return lock ? std::string(lock.as<const char>()) : std::string("<dead>");
}

IKSCANCONNECTION fakeInitialize(void* window, std::int16_t major, std::int16_t minor, const char* a, const char* b,
                                const char* c, const char* d) {
    ++lib.initializeCalls;
    lib.window = window;
    lib.major = major;
    lib.minor = minor;
    lib.identityTexts = {a, b, c, d};
    return 77;
}
IKBOOL fakeList(IKSCANCONNECTION connection, char* buffer, std::int32_t* count) {
    ++lib.listCalls;
    lib.connection = connection;
    std::strncpy(buffer, lib.listText.c_str(), IK_SCAN_LIST_BYTES - 1);
    *count = lib.listCount;
    return lib.listResult;
}
IKBOOL fakeSelect(IKSCANCONNECTION, IKSCANIDENTITY* identity) {
    std::strcpy(identity->productName, lib.listText.c_str());
    identity->version1 = 3;
    return lib.listResult;
}
IKSCANSOURCE fakeOpen(IKSCANCONNECTION connection, const char* name) {
    lib.connection = connection;
    lib.sourceNameText = name;
    return 55;
}
IKBOOL fakeClose(IKSCANCONNECTION connection, IKSCANSOURCE source) {
    ++lib.closeCalls;
    lib.connection = connection;
    lib.source = source;
    return IK_TRUE;
}
IKBOOL fakeTerminate(IKSCANCONNECTION connection) {
    ++lib.terminateCalls;
    lib.connection = connection;
    return IK_TRUE;
}
std::int32_t fakeExec(IKSCANCONNECTION connection, IKSCANSOURCE source, IKSCANRECORD* record,
                      IKSCANBEFOREPROC before, IKSCANPROGRESSPROC progress, IKSCANAFTERPROC after,
                      const std::int32_t* indices) {
    ++lib.execCalls;
    lib.execConnection = connection;
    lib.execSource = source;
    std::memcpy(lib.record, record, sizeof lib.record);
    lib.sourceNameText = textOf(record->sourceName);
    lib.scanText = textOf(record->scanText);
    lib.indices = indices;
    lib.beforeAnswer = before(&lib.next, 1);
    lib.scanningAnswer = progress(lib.percent);
    lib.afterAnswer = after(lib.dib, lib.original, 1, 2);
    lib.keptBefore = before;
    if (lib.writeBack) {
        lib.readBack.sourceName = record->sourceName;
        lib.readBack.scanText = record->scanText;
        *record = lib.readBack;
    }
    return lib.execResult;
}
std::uint16_t fakeStatus() { return lib.status; }
std::int32_t fakeCapEnum(IKSCANCONNECTION, IKSCANSOURCE, const char*, std::uint16_t, std::uint16_t, float*,
                         char* texts, std::int32_t* current, std::int32_t* defaultIndex, std::int32_t count) {
    std::strcpy(texts, lib.capTexts.c_str());
    *current = 1;
    *defaultIndex = 0;
    return count;
}

class ScanComponent : public testing::Test {
protected:
    void SetUp() override {
        lib = Library{};
        attachment_.emplace(vikGroupMain);
        saved_ = {IkScanInitialize, IkScanList,      IkScanSelect,     IkScanOpenDS,
                  IkScanCloseDS,    IkScanTerminate, IkScanExec,       IkGetErrorStatus,
                  IkScanGetCapEnum};
        IkScanInitialize = fakeInitialize;
        IkScanList = fakeList;
        IkScanSelect = fakeSelect;
        IkScanOpenDS = fakeOpen;
        IkScanCloseDS = fakeClose;
        IkScanTerminate = fakeTerminate;
        IkScanExec = fakeExec;
        IkGetErrorStatus = fakeStatus;
        IkScanGetCapEnum = fakeCapEnum;
        liveBlocks_ = platform::globalLiveCount();
        scan.emplace();
    }
    void TearDown() override {
        scan.reset();
        EXPECT_EQ(platform::globalLiveCount(), liveBlocks_) << "record texts leaked";
        IkScanInitialize = saved_.initialize;
        IkScanList = saved_.list;
        IkScanSelect = saved_.select;
        IkScanOpenDS = saved_.open;
        IkScanCloseDS = saved_.close;
        IkScanTerminate = saved_.terminate;
        IkScanExec = saved_.exec;
        IkGetErrorStatus = saved_.status;
        IkScanGetCapEnum = saved_.capEnum;
        attachment_.reset();
    }

    template <typename T>
    T at(std::size_t offset) const {
        T value;
        std::memcpy(&value, lib.record + offset, sizeof value);
        return value;
    }

    std::optional<TVIkScan> scan;

private:
    struct Saved {
        decltype(IkScanInitialize) initialize;
        decltype(IkScanList) list;
        decltype(IkScanSelect) select;
        decltype(IkScanOpenDS) open;
        decltype(IkScanCloseDS) close;
        decltype(IkScanTerminate) terminate;
        decltype(IkScanExec) exec;
        decltype(IkGetErrorStatus) status;
        decltype(IkScanGetCapEnum) capEnum;
    } saved_{};
    std::optional<IkAttachment> attachment_;
    std::size_t liveBlocks_ = 0;
};

TEST_F(ScanComponent, StartsWithTheClearedSettings) {
    TVIkScan& s = *scan;
    EXPECT_EQ(s.BitDepth(), 24);
    EXPECT_TRUE(s.Indicator());
    EXPECT_EQ(s.PixelType(), vikScanPixelRGB);
    EXPECT_EQ(s.ScanMode(), vikScanDOC);
    EXPECT_EQ(s.TransferMode(), vikScanNative);
    EXPECT_EQ(s.UiMode(), vikScanUI);
    EXPECT_EQ(s.UnitMode(), vikScanInch);
    EXPECT_FLOAT_EQ(s.Gamma, 2.2f);
    EXPECT_EQ(s.Highlight, 255);
    EXPECT_EQ(s.Threshold, 128);
    EXPECT_EQ(s.TransferCount, -1);
    EXPECT_EQ(s.DropoutColor, vikDropoutColorNone);
    EXPECT_EQ(s.DefaultSourceIndex(), -1);
    EXPECT_EQ(s.Connection(), 0u);

    s.SetBitDepth(-8);
    EXPECT_EQ(s.BitDepth(), 0);
    s.SetBitDepth(8);
    s.Gamma = 1.0f;
    s.TransferCount = 3;
    s.SetScanMode(vikScanCAM);
    s.ClearProperty();
    EXPECT_EQ(s.BitDepth(), 24);
    EXPECT_FLOAT_EQ(s.Gamma, 2.2f);
    EXPECT_EQ(s.TransferCount, -1);
    EXPECT_EQ(s.ScanMode(), vikScanDOC);
}

struct ListCase {
    const char* text;
    std::int32_t count;
    bool result;
    QStringList sources;
    std::int32_t defaultIndex;
};

TEST_F(ScanComponent, ListTakesTheDefaultFirstAndOnlyCommaTerminatedNames) {
    const ListCase cases[] = {
        {"B,A,B,C,", 3, true, {"A", "B", "C"}, 1},
        {"A,B", 2, true, {}, -1},            // B has no comma after it
        {"Z,A,B,C", 3, true, {"A", "B"}, -1},  // C dropped; the default is not listed
        {"B,A,B,", 0, true, {}, -1},         // no sources counted
        {"B,A,B,", 2, false, {}, -1},        // the call failed
        {"ｽｷｬﾅ,ｽｷｬﾅ,", 1, true, {"ｽｷｬﾅ"}, 0},
    };
    for (const ListCase& c : cases) {
        lib.listText = c.text;
        lib.listCount = c.count;
        lib.listResult = c.result ? IK_TRUE : IK_FALSE;
        EXPECT_EQ(scan->ScanList(), c.result) << c.text;
        EXPECT_EQ(scan->SourceList(), c.sources) << c.text;
        EXPECT_EQ(scan->DefaultSourceIndex(), c.defaultIndex) << c.text;
    }
}

TEST_F(ScanComponent, InitializeHandsTheIdentityOnceAndTheOwnersWindow) {
    QWidget owner;
    TVIkScan owned(&owner);
    EXPECT_TRUE(owned.ScanInitialize(1, 0, "VidiraZorod", "Ridevova", "Lumbra Series", "VidiraZorod"));
    EXPECT_EQ(lib.window, static_cast<void*>(&owner));
    EXPECT_EQ(lib.major, 1);
    EXPECT_EQ(lib.minor, 0);
    EXPECT_EQ(lib.identityTexts, (std::vector<std::string>{"VidiraZorod", "Ridevova", "Lumbra Series", "VidiraZorod"}));
    EXPECT_EQ(owned.Connection(), 77u);
    lib.status = 3;
    EXPECT_TRUE(owned.ScanInitialize(2, 2, "x", "y", "z", "w"));
    EXPECT_EQ(lib.initializeCalls, 1);
    EXPECT_EQ(owned.ErrorCode(), 0);

    // The list and the source use the connection; terminate ends it in every case.
    lib.listText = "A,A,";
    lib.listCount = 1;
    lib.status = 0;
    owned.ScanList();
    EXPECT_EQ(lib.connection, 77u);
    owned.SourceName = QStringLiteral("A");
    EXPECT_TRUE(owned.ScanOpenDS());
    EXPECT_EQ(lib.sourceNameText, "A");
    EXPECT_TRUE(owned.IsOpenDS());
    EXPECT_TRUE(owned.ScanCloseDS());
    EXPECT_EQ(lib.source, 55u);
    EXPECT_FALSE(owned.IsOpenDS());
    EXPECT_TRUE(owned.ScanTerminate());
    EXPECT_EQ(owned.Connection(), 0u);
    EXPECT_EQ(lib.closeCalls, 1);
    EXPECT_EQ(lib.terminateCalls, 1);
}

TEST_F(ScanComponent, DestructionClosesTheSourceThenTheConnection) {
    scan->ScanInitialize(1, 0, "a", "b", "c", "d");
    scan->ScanOpenDS();
    scan.reset();
    EXPECT_EQ(lib.closeCalls, 1);
    EXPECT_EQ(lib.source, 55u);
    EXPECT_EQ(lib.terminateCalls, 1);
    EXPECT_EQ(lib.connection, 77u);
}

TEST_F(ScanComponent, TheScanRecordCarriesEverySettingAtItsOffset) {
    TVIkScan& s = *scan;
    s.ScanInitialize(1, 0, "a", "b", "c", "d");
    s.SetPixelType(vikScanPixelGray);
    s.SetRectLeft(0.5f);
    s.SetRectTop(1.25f);
    s.SetRectRight(8.5f);
    s.SetRectBottom(11.0f);
    s.SetXResolution(300);
    s.SetYResolution(600);
    s.XScaling = 1.5f;
    s.YScaling = 0.75f;
    s.SetBitDepth(8);
    s.Brightness = -20;
    s.Contrast = 30;
    s.Gamma = 1.8f;
    s.Highlight = 250;
    s.Threshold = 100;
    s.Shadow = 5;
    s.SetIndicator(false);
    s.SetScanMode(vikScanADF2);
    s.SourceName = QStringLiteral("test:0");
    s.SetUiMode(vikScanUICLOSE);
    s.SetUnitMode(vikScanCM);
    s.ScanValue0 = 7;
    s.SetOrientation(vikScanRotate270);
    s.SetTransferMode(vikScanMemory);
    s.SetCompression(4);
    s.ScanValue1 = 11;
    s.ScanValue2 = 12;
    s.ScanText = QStringLiteral("メモ");
    s.DropoutColor = vikDropoutColorBlue;
    s.ScanValue3 = 13;
    s.ScanValue4 = -14;
    ASSERT_TRUE(s.ScanExec());

    EXPECT_EQ(at<std::uint16_t>(0), 0);
    EXPECT_EQ(at<std::uint16_t>(2), 1);
    EXPECT_FLOAT_EQ(at<float>(4), 0.5f);
    EXPECT_FLOAT_EQ(at<float>(8), 1.25f);
    EXPECT_FLOAT_EQ(at<float>(12), 8.5f);
    EXPECT_FLOAT_EQ(at<float>(16), 11.0f);
    EXPECT_EQ(at<std::int32_t>(20), 300);
    EXPECT_EQ(at<std::int32_t>(24), 600);
    EXPECT_FLOAT_EQ(at<float>(28), 1.5f);
    EXPECT_FLOAT_EQ(at<float>(32), 0.75f);
    EXPECT_EQ(at<std::int16_t>(36), 8);
    EXPECT_EQ(at<std::int16_t>(38), -20);
    EXPECT_EQ(at<std::int16_t>(40), 30);
    EXPECT_EQ(at<std::uint16_t>(42), 0);
    EXPECT_FLOAT_EQ(at<float>(44), 1.8f);
    EXPECT_EQ(at<std::int16_t>(48), 250);
    EXPECT_EQ(at<std::int16_t>(50), 100);
    EXPECT_EQ(at<std::int16_t>(52), 5);
    EXPECT_EQ(at<std::uint16_t>(54), 0);
    EXPECT_EQ(at<std::uint16_t>(56), 2);
    EXPECT_EQ(at<std::uint16_t>(58), 0);
    EXPECT_EQ(lib.sourceNameText, "test:0");
    EXPECT_EQ(at<std::uint16_t>(64), 1);
    EXPECT_EQ(at<std::uint16_t>(66), 1);
    EXPECT_EQ(at<std::int16_t>(68), 7);
    EXPECT_EQ(at<std::int16_t>(70), -1);
    EXPECT_EQ(at<std::uint16_t>(72), 3);
    EXPECT_EQ(at<std::uint16_t>(74), 2);
    EXPECT_EQ(at<std::uint16_t>(76), 4);
    EXPECT_EQ(at<std::int16_t>(78), 11);
    EXPECT_EQ(at<std::int16_t>(80), 12);
    EXPECT_EQ(at<std::uint16_t>(82), 0);
    EXPECT_EQ(lib.scanText, "メモ");
    for (std::size_t i = 88; i < 100; ++i) EXPECT_EQ(lib.record[i], 0) << i;
    EXPECT_EQ(at<std::uint16_t>(100), 2);
    EXPECT_EQ(at<std::uint16_t>(102), 13);
    EXPECT_EQ(at<std::int16_t>(104), -14);
    for (std::size_t i = 106; i < 128; ++i) EXPECT_EQ(lib.record[i], 0) << i;
    // The texts lived for the call only.
    EXPECT_FALSE(platform::globalIsValid(at<std::uint32_t>(60)));
    EXPECT_FALSE(platform::globalIsValid(at<std::uint32_t>(84)));
    EXPECT_EQ(lib.execConnection, 77u);
    EXPECT_EQ(lib.execSource, 0u);
}

TEST_F(ScanComponent, AutomaticPixelTypeIsHandedAs1000AndEmptyTextsAsNone) {
    scan->SetPixelType(vikScanPixelAutomation);
    scan->SetIndicator(true);
    // Stopped before the image, so only the read-back could change the pixel type.
    scan->OnBeforeScan = [](TVIkScan* sender, std::int32_t, std::int32_t, std::int32_t) { sender->Cancel = true; };
    ASSERT_TRUE(scan->ScanExec());
    EXPECT_EQ(at<std::uint16_t>(2), 1000);
    EXPECT_EQ(at<std::uint16_t>(54), 0xFFFF);
    EXPECT_EQ(at<std::uint32_t>(60), 0u);
    EXPECT_EQ(at<std::uint32_t>(84), 0u);
    // The library left the automatic type: the component keeps it.
    EXPECT_EQ(scan->PixelType(), vikScanPixelAutomation);
}

TEST_F(ScanComponent, IndexModesNeedTheArrayOthersHandNone) {
    const std::int32_t wanted[3] = {4, 0, 2};
    for (TVIkScanMode mode : {vikScanCAMArray, vikScanCAMThumbArray}) {
        scan->SetScanMode(mode);
        EXPECT_FALSE(scan->ScanExec());
        EXPECT_EQ(scan->ErrorCode(), 5);
        EXPECT_FALSE(scan->ScanExec(nullptr, 3));
        EXPECT_EQ(lib.execCalls, 0);
        ASSERT_TRUE(scan->ScanExec(wanted, 3));
        EXPECT_EQ(lib.indices, wanted);
        EXPECT_EQ(at<std::int16_t>(70), 3);
        lib.execCalls = 0;
    }
    scan->SetScanMode(vikScanDOC);
    ASSERT_TRUE(scan->ScanExec());
    EXPECT_EQ(lib.indices, nullptr);
    EXPECT_EQ(at<std::int16_t>(70), -1);
}

TEST_F(ScanComponent, EventsFireThroughTheCallbacksWhichAnswerGoOn) {
    std::vector<std::string> events;
    scan->OnBeforeScan = [&](TVIkScan* sender, std::int32_t w, std::int32_t h, std::int32_t n) {
        EXPECT_EQ(sender, &*scan);
        events.push_back("before " + std::to_string(w) + "x" + std::to_string(h) + " #" + std::to_string(n));
    };
    scan->OnScanning = [&](TVIkScan*, std::int16_t percent) { events.push_back("at " + std::to_string(percent)); };
    scan->OnAfterScan = [&](TVIkScan* sender, std::uint32_t dib, std::uint32_t org, std::int32_t n,
                            std::int16_t order) {
        // The before-scan record's values were taken.
        EXPECT_EQ(sender->XResolution(), 300);
        EXPECT_EQ(sender->YResolution(), 150);
        EXPECT_EQ(sender->BitDepth(), 8);
        EXPECT_EQ(sender->PixelType(), vikScanPixelGray);
        EXPECT_EQ(sender->Compression(), 4);
        events.push_back("after " + std::to_string(dib) + "/" + std::to_string(org) + " #" + std::to_string(n) +
                         " order " + std::to_string(order));
    };
    scan->Cancel = true;  // cleared by ScanExec itself
    lib.execResult = 1;
    ASSERT_TRUE(scan->ScanExec());
    EXPECT_EQ(events, (std::vector<std::string>{"before 640x480 #1", "at 50", "after 17/34 #1 order 2"}));
    EXPECT_EQ(lib.beforeAnswer, -1);
    EXPECT_EQ(lib.scanningAnswer, -1);
    EXPECT_EQ(lib.afterAnswer, -1);
    EXPECT_EQ(scan->ScanResult(), 1);
    // Outside ScanExec no component is current: a late call answers stop and fires nothing.
    events.clear();
    EXPECT_EQ(lib.keptBefore(&lib.next, 2), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(ScanComponent, CancelInBeforeScanAnswersStopAndKeepsTheMembers) {
    scan->SetXResolution(75);
    scan->SetYResolution(76);
    scan->SetBitDepth(24);
    scan->SetPixelType(vikScanPixelRGB);
    scan->SetCompression(0);
    scan->OnBeforeScan = [&](TVIkScan* sender, std::int32_t, std::int32_t, std::int32_t) { sender->Cancel = true; };
    lib.status = IK_ERR_CANCELLED;
    EXPECT_FALSE(scan->ScanExec());
    EXPECT_EQ(lib.beforeAnswer, 0);
    EXPECT_EQ(lib.scanningAnswer, 0);
    EXPECT_EQ(lib.afterAnswer, 0);
    EXPECT_EQ(scan->ErrorCode(), IK_ERR_CANCELLED);
    EXPECT_EQ(scan->XResolution(), 75);
    EXPECT_EQ(scan->YResolution(), 76);
    EXPECT_EQ(scan->BitDepth(), 24);
    EXPECT_EQ(scan->PixelType(), vikScanPixelRGB);
    EXPECT_EQ(scan->Compression(), 0);
}

TEST_F(ScanComponent, SuccessReadsTheRecordBackFailureLeavesTheMembers) {
    lib.writeBack = true;
    lib.readBack.pixelType = 0x0100;  // only the low byte counts: black and white
    lib.readBack.rectRight = 8.5f;
    lib.readBack.rectBottom = 14.0f;
    lib.readBack.xResolution = 200;
    lib.readBack.yResolution = 100;
    lib.readBack.bitDepth = 1;
    lib.readBack.unitMode = 0x0205;

    lib.status = 9;
    EXPECT_FALSE(scan->ScanExec());
    EXPECT_EQ(scan->ErrorCode(), 9);
    EXPECT_FLOAT_EQ(scan->RectRight(), 0.0f);
    EXPECT_EQ(scan->UnitMode(), vikScanInch);

    lib.status = 0;
    lib.execResult = 4;
    ASSERT_TRUE(scan->ScanExec());
    EXPECT_EQ(scan->ScanResult(), 4);
    EXPECT_EQ(scan->PixelType(), vikScanPixelBW);
    EXPECT_FLOAT_EQ(scan->RectRight(), 8.5f);
    EXPECT_FLOAT_EQ(scan->RectBottom(), 14.0f);
    EXPECT_EQ(scan->XResolution(), 200);
    EXPECT_EQ(scan->YResolution(), 100);
    EXPECT_EQ(scan->BitDepth(), 1);
    EXPECT_EQ(scan->UnitMode(), vikScanPixel);
}

TEST_F(ScanComponent, SelectFindsTheChosenSourceInTheList) {
    lib.listText = "B,A,B,C,";
    lib.listCount = 3;
    scan->ScanList();
    lib.listText = "C";
    ASSERT_TRUE(scan->ScanSelect());
    EXPECT_EQ(scan->DefaultSourceIndex(), 2);
    EXPECT_EQ(scan->SourceIdentity().version1, 3);
    lib.listText = "D";
    ASSERT_TRUE(scan->ScanSelect());
    EXPECT_EQ(scan->DefaultSourceIndex(), -1);
}

TEST_F(ScanComponent, HalftoneTextsFillCapTextsOtherCapabilitiesLeaveThem) {
    std::int32_t current = 0, defaultIndex = 0;
    lib.capTexts = "None,Dither,Last";
    scan->ScanGetCapEnum(TVIkScan::kCapHalftones, 0, nullptr, 0, current, defaultIndex);
    EXPECT_EQ(scan->CapTexts(), (QStringList{"None", "Dither"}));
    EXPECT_EQ(current, 1);
    lib.capTexts = "X,Y,";
    scan->ScanGetCapEnum(4360, 0, nullptr, 0, current, defaultIndex);
    EXPECT_EQ(scan->CapTexts(), (QStringList{"None", "Dither"}));
    lib.status = 5;
    scan->ScanGetCapEnum(TVIkScan::kCapHalftones, 0, nullptr, 0, current, defaultIndex);
    EXPECT_TRUE(scan->CapTexts().isEmpty());
}

TEST_F(ScanComponent, MissingExportsGive14WithoutACall) {
    IkScanInitialize = nullptr;
    IkScanList = nullptr;
    IkScanExec = nullptr;
    IkScanOpenDS = nullptr;
    IkScanCloseDS = nullptr;
    IkScanGetCapEnum = nullptr;
    std::int32_t a = 0, b = 0;
    const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
        {"initialize", [&] { return scan->ScanInitialize(1, 0, "a", "b", "c", "d"); }},
        {"list", [&] { return scan->ScanList(); }},
        {"exec", [&] { return scan->ScanExec(); }},
        {"open", [&] { return scan->ScanOpenDS(); }},
        {"close", [&] { return scan->ScanCloseDS(); }},
        {"capenum", [&] { return scan->ScanGetCapEnum(1, 0, nullptr, 0, a, b) != 0; }},
    };
    for (const auto& [name, call] : calls) {
        lib.status = 0;
        EXPECT_FALSE(call()) << name;
        EXPECT_EQ(scan->ErrorCode(), 14) << name;
    }
    // Even the array modes report the missing function first.
    scan->SetScanMode(vikScanCAMArray);
    EXPECT_FALSE(scan->ScanExec());
    EXPECT_EQ(scan->ErrorCode(), 14);
    EXPECT_EQ(lib.execCalls + lib.listCalls + lib.initializeCalls, 0);
}

}  // namespace

// ---- the real Ik7Scan.so with SANE's test backend --------------------------------------

#include "support/SaneTestConfig.h"

namespace {

TEST(ScanComponentOnSane, ListsTheTestDevicesAndScansOnePage) {
    const SaneTestConfig sane(SaneTestConfig::colourDevices());
    TVIkScan scan;
    ASSERT_NE(Ikdllprocs::IkScanExec, nullptr) << "Ik7Scan.so not loaded";
    ASSERT_TRUE(scan.ScanInitialize(1, 0, "VidiraZorod", "Ridevova", "Lumbra Series", "VidiraZorod"));
    ASSERT_TRUE(scan.ScanList()) << scan.ErrorCode();
    ASSERT_EQ(scan.SourceList().size(), 2);
    EXPECT_GE(scan.DefaultSourceIndex(), 0);
    EXPECT_NE(scan.SourceList()[0], scan.SourceList()[1]);

    // Without the dialog, one flatbed page of the second device, in memory blocks.
    scan.SourceName = scan.SourceList()[1];
    scan.SetUiMode(vikScanNONUI);
    scan.SetTransferMode(vikScanMemory);
    std::int32_t width = 0, pages = 0, lastPercent = -1;
    scan.OnBeforeScan = [&](TVIkScan*, std::int32_t w, std::int32_t, std::int32_t) { width = w; };
    scan.OnScanning = [&](TVIkScan*, std::int16_t percent) { lastPercent = percent; };
    scan.OnAfterScan = [&](TVIkScan*, std::uint32_t dib, std::uint32_t, std::int32_t, std::int16_t) {
        pages += platform::globalIsValid(dib);
    };
    ASSERT_TRUE(scan.ScanExec()) << scan.ErrorCode();
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(scan.ScanResult(), 1);
    EXPECT_EQ(width, 393);  // 200 mm at 50 dpi
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(scan.XResolution(), 50);
    EXPECT_EQ(scan.BitDepth(), 24);

    // A source that does not exist fails with the library's status and fires nothing.
    scan.SourceName = QStringLiteral("no such scanner");
    pages = 0;
    EXPECT_FALSE(scan.ScanExec());
    EXPECT_EQ(scan.ErrorCode(), IK_ERR_SCAN_NO_SOURCE);
    EXPECT_EQ(pages, 0);
    EXPECT_TRUE(scan.ScanTerminate());
}

}  // namespace
