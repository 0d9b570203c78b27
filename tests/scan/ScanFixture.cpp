#include "ScanFixture.h"

#include "platform/Dib.h"
#include "scan/ScanDialogs.h"
#include "support/SaneTestConfig.h"

#include <cstdlib>
#include <cstring>

namespace scantest {

QTemporaryDir* ScanTest::configHome_ = nullptr;

const std::uint8_t* ScannedPage::row(int y) const {
    platform::BitmapInfoHeader h;
    std::memcpy(&h, block.data(), sizeof h);
    const std::uint32_t stride = platform::dibStride(h.biWidth, h.biBitCount);
    return block.data() + platform::dibPixelOffset(h) + std::size_t(height - 1 - y) * stride;
}

std::uint32_t ScannedPage::rgbAt(int x, int y) const {
    const std::uint8_t* r = row(y);
    std::size_t index = 0;
    if (bits == 24) return std::uint32_t(r[3 * x + 2]) << 16 | std::uint32_t(r[3 * x + 1]) << 8 | r[3 * x];
    if (bits == 8) index = r[x];
    if (bits == 1) index = (r[x / 8] >> (7 - x % 8)) & 1;
    platform::RgbQuad q;
    std::memcpy(&q, block.data() + 40 + 4 * index, 4);
    return std::uint32_t(q.red) << 16 | std::uint32_t(q.green) << 8 | q.blue;
}

Recorder& recorder() {
    static Recorder r;
    return r;
}

int32_t recordBefore(const IKSCANBEFORE* next, int32_t imageCount) {
    Recorder& r = recorder();
    r.befores.push_back(*next);
    r.calls.push_back("B" + std::to_string(imageCount));
    return imageCount == r.stopBeforeImage ? 0 : -1;
}

int32_t recordProgress(int32_t percent) {
    Recorder& r = recorder();
    r.progress.push_back(percent);
    if (r.calls.empty() || r.calls.back()[0] != 'P') r.calls.push_back("P");
    return r.stopAtProgress ? 0 : -1;
}

int32_t recordAfter(IKHANDLE dib, IKHANDLE original, int32_t imageCount, int16_t bitOrder) {
    Recorder& r = recorder();
    r.calls.push_back("A" + std::to_string(imageCount));
    EXPECT_EQ(dib, original);
    EXPECT_EQ(bitOrder, 1);
    platform::GlobalLock lock(dib);
    EXPECT_TRUE(lock);
    if (lock) {
        ScannedPage page;
        page.imageCount = imageCount;
        page.block.assign(lock.as<std::uint8_t>(), lock.as<std::uint8_t>() + lock.size());
        platform::BitmapInfoHeader h;
        std::memcpy(&h, page.block.data(), sizeof h);
        page.width = h.biWidth;
        page.height = h.biHeight;
        page.bits = h.biBitCount;
        page.xPelsPerMeter = h.biXPelsPerMeter;
        r.pages.push_back(std::move(page));
    }
    if (r.onAfter) r.onAfter();
    return imageCount == r.stopAfterImage ? 0 : -1;
}

TextHandle::TextHandle(const std::string& text) : handle_(platform::globalAlloc(text.size() + 1, true)) {
    platform::GlobalLock lock(handle_);
    std::memcpy(lock.data(), text.c_str(), text.size() + 1);
}

void ScanTest::SetUpTestSuite() {
    keepSaneTestBackendLoaded();
    // The program's dialogs, as the scanner component hands them over.
    IKScanSetDialogs(scandialogs::ShowDeviceDialog, scandialogs::SelectSource);
    setenv("SANE_CONFIG_DIR", SCAN_TEST_SANE_DIR, 1);
    if (!configHome_) configHome_ = new QTemporaryDir;
    setenv("XDG_CONFIG_HOME", configHome_->path().toUtf8().constData(), 1);
}

void ScanTest::SetUp() {
    recorder() = Recorder{};
    liveBefore_ = platform::globalLiveCount();
    connection_ = IKScanInitialize(nullptr, 1, 0, "1.0", "VidiraZorod", "tests", "scan tests");
    ASSERT_NE(connection_, 0u);
}

void ScanTest::TearDown() {
    EXPECT_TRUE(IKScanTerminate(connection_));
    EXPECT_EQ(platform::globalLiveCount(), liveBefore_) << "blocks leaked";
}

IKSCANRECORD ScanTest::record(int pixelType, int dpi, int transferCount, int transferMode, int scanMode) {
    IKSCANRECORD r{};
    r.pixelType = std::uint16_t(pixelType);
    r.xResolution = r.yResolution = dpi;
    r.bitDepth = std::int16_t(pixelType == 2 ? 24 : pixelType == 1 ? 8 : 1);
    r.scanMode = std::uint16_t(scanMode);
    r.uiMode = 2;
    r.transferCount = std::int16_t(transferCount);
    r.transferMode = std::uint16_t(transferMode);
    r.xScaling = r.yScaling = 1.0f;
    return r;
}

int32_t ScanTest::exec(IKSCANRECORD& r, const std::string& options, const std::string& source) {
    TextHandle extra(options), name(source);
    r.scanText = options.empty() ? 0 : extra.get();
    r.sourceName = source.empty() ? 0 : name.get();
    const int32_t images = IKScanExec(connection_, 0, &r, recordBefore, recordProgress, recordAfter, nullptr);
    r.scanText = r.sourceName = 0;
    return images;
}

}  // namespace scantest
