#pragma once
// Ik7Scan.so against SANE's test backend, configured by the tests alone: SANE_CONFIG_DIR
// names a folder of the build tree with a dll.conf holding "test" and two test devices,
// and XDG_CONFIG_HOME a fresh folder so that the remembered source is the test's own.

#include "ik7kit.h"
#include "platform/GlobalMemory.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace scantest {

// One page as the after-scan function saw it.
struct ScannedPage {
    int imageCount = 0;
    int width = 0, height = 0, bits = 0;
    std::int32_t xPelsPerMeter = 0;
    std::vector<std::uint8_t> block;  // the whole packed bitmap
    // Pixel bytes of row y (from the top) and the colour table entry of an index.
    const std::uint8_t* row(int y) const;
    std::uint32_t rgbAt(int x, int y) const;  // 0xRRGGBB through the colour table
};

// What the three functions were called with; the answers are decided by `stop*`.
struct Recorder {
    std::vector<ScannedPage> pages;
    std::vector<IKSCANBEFORE> befores;
    std::vector<std::string> calls;  // "B1", "P40", "A1", …
    std::vector<int> progress;
    int stopBeforeImage = 0;    // answer stop in before-scan for this image (1-based)
    int stopAfterImage = 0;     // answer stop in after-scan for this image
    int stopAtProgress = 0;     // answer stop at the first progress call
    std::function<void()> onAfter;  // runs inside the after-scan function
};

Recorder& recorder();
int32_t recordBefore(const IKSCANBEFORE* next, int32_t imageCount);
int32_t recordProgress(int32_t percent);
int32_t recordAfter(IKHANDLE dib, IKHANDLE original, int32_t imageCount, int16_t bitOrder);

// A text held in a global memory handle, for the record's text fields.
class TextHandle {
public:
    explicit TextHandle(const std::string& text);
    ~TextHandle() { platform::globalFree(handle_); }
    std::uint32_t get() const { return handle_; }

private:
    std::uint32_t handle_;
};

class ScanTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A record for the feeder (or flatbed) in no-dialog mode, with extra device options.
    static IKSCANRECORD record(int pixelType, int dpi, int transferCount, int transferMode = 0, int scanMode = 1);
    // Runs IKScanExec with the recorder's functions; `options` are extra "name=value" lines.
    int32_t exec(IKSCANRECORD& r, const std::string& options = "", const std::string& source = "");

    IKSCANCONNECTION connection_ = 0;
    std::size_t liveBefore_ = 0;
    static QTemporaryDir* configHome_;
};

}  // namespace scantest
