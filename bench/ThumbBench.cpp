// The thumbnail browser on two 100-page files, a 600-dpi A4 Group 4 TIFF and a 300-dpi
// colour JPEG-in-TIFF, in one column of five visible 120-pixel tiles: GetFiles and Display
// until the first five tiles are made, all 100 made, one line scroll drawn, the memory the
// thumbnails hold; the same with the thumbnails after the first five made beside the window
// (Display's return, all made while the event loop runs, and the longest wait of the loop
// meanwhile); beside ImageMagick making five and a hundred thumbnails, and beside the
// full-page load the browser used before (five pages, one by one).
#include "BenchPages.h"

#include "Ikdllprocs.h"
#include "browse/IkThumbMaker.h"
#include "browse/Ikthumb.h"
#include "platform/GlobalMemory.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

QTemporaryDir* g_dir = nullptr;
constexpr int kPages = 100;

std::string pathOf(const char* name) { return QDir(g_dir->path()).filePath(QLatin1String(name)).toStdString(); }

// Resident memory of the process in bytes.
long residentBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value * 1024;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// A control of one column of five 120-pixel tiles listing the pages of `file`.
std::unique_ptr<TVIkThumb> makeBrowser(const char* file) {
    auto thumb = std::make_unique<TVIkThumb>();
    thumb->resize(150, 5 * 150);
    thumb->SetColCount(1);
    thumb->SetRowCount(5);
    thumb->SetImageSize(120);
    thumb->SetFilePath(g_dir->path() + "/");
    thumb->SetFileExt(QLatin1String(file));
    thumb->SetReadMode(vikThumbRdDspMultiImg);
    return thumb;
}

// GetFiles and Display: the time to the fifth thumbnail's end event, and to all of them.
void display(benchmark::State& state, const char* file, bool toAll) {
    for (auto _ : state) {
        const long before = residentBytes();
        auto thumb = makeBrowser(file);
        int ended = 0;
        Clock::time_point fifth{};
        thumb->OnEndLoadFile = [&](TVIkThumb*, const QString&, const QString&, std::int16_t, std::int16_t) {
            if (++ended == 5) fifth = Clock::now();
        };
        const Clock::time_point start = Clock::now();
        if (thumb->GetFiles() != 1 || !thumb->Display() || thumb->Count() != kPages) {
            state.SkipWithError("display failed");
            break;
        }
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>((toAll ? end : fifth) - start).count());
        std::size_t held = 0;
        for (const TIKSORTDATA& e : thumb->Entries()) held += platform::globalSize(e.Thumb);
        state.counters["thumbnail_bytes"] = static_cast<double>(held);
        state.counters["rss_growth_bytes"] = static_cast<double>(residentBytes() - before);
    }
}

// GetFiles and Display with the rest made in the background: the time to Display's return
// (the first five made), or until all are made while the event loop runs; the longest gap
// between two turns of the loop meanwhile tells how long the window could not respond.
void displayInBackground(benchmark::State& state, const char* file, bool toAll) {
    for (auto _ : state) {
        auto thumb = makeBrowser(file);
        thumb->SetMakeInBackground(true);
        int ended = 0;
        thumb->OnEndLoadFile = [&](TVIkThumb*, const QString&, const QString&, std::int16_t, std::int16_t) { ++ended; };
        const Clock::time_point start = Clock::now();
        if (thumb->GetFiles() != 1 || !thumb->Display() || thumb->Count() != kPages || ended != 5) {
            state.SkipWithError("display failed");
            break;
        }
        const Clock::time_point returned = Clock::now();
        Clock::time_point last = returned;
        double longestGap = 0;
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            longestGap = std::max(longestGap, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            if (!thumb->ThumbnailsPending()) loop.quit();
        });
        tick.start(1);
        loop.exec();
        const Clock::time_point end = Clock::now();
        if (ended != kPages) {
            state.SkipWithError("not all made");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>((toAll ? end : returned) - start).count());
        if (toAll) state.counters["longest_loop_gap_ms"] = longestGap;
    }
}

// One line down, drawn, after Display.
void scroll(benchmark::State& state, const char* file) {
    auto thumb = makeBrowser(file);
    if (thumb->GetFiles() != 1 || !thumb->Display()) state.SkipWithError("display failed");
    QImage picture(thumb->size(), QImage::Format_RGB32);
    thumb->render(&picture);
    for (auto _ : state) {
        thumb->ScrollRequest(thumb->StartNum() >= kPages - 5 ? ThumbScrollRequest::Top : ThumbScrollRequest::LineDown);
        thumb->render(&picture);
    }
}

// The browser's former way: the full page loaded, then shrunk; five pages one by one.
void fullPageLoads(benchmark::State& state, const char* file) {
    const std::string path = pathOf(file);
    for (auto _ : state)
        for (int page = 0; page < 5; ++page) {
            const IKHANDLE full = Ikdllprocs::IkFileLoad(path.c_str(), page, 0, 0, nullptr, nullptr, nullptr, nullptr);
            const IKHANDLE thumb = ShrinkToThumbnail(full, 120);
            Ikdllprocs::IkFreeMemory(full);
            Ikdllprocs::IkFreeMemory(thumb);
        }
}

// ImageMagick's thumbnails of pages 0 to last in one command; when the full pages exceed
// the system policy's pixel cache in one command (counter one_command 0), by one command
// per page in one shell run.
void imageMagick(benchmark::State& state, const char* file, int last) {
    const std::string pages = " $(seq 0 " + std::to_string(last) + ")";
    const std::string together = "convert '" + pathOf(file) + "[0-" + std::to_string(last) +
                                 "]' -thumbnail 120x120 '" + pathOf("im.png") + "' 2>/dev/null";
    const std::string perPage = "for i in" + pages + "; do convert '" + pathOf(file) + "'\"[$i]\" -thumbnail 120x120 '" +
                                pathOf("im") + "'-$i.png || exit 1; done";
    const bool oneCommand = std::system(together.c_str()) == 0;
    const std::string& command = oneCommand ? together : perPage;
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("convert failed");
    state.counters["one_command"] = oneCommand ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    TVIkThumb holder;  // keeps the kit loaded
    if (!writeGroupFourAndJpegFiles(pathOf("g4.tif").c_str(), pathOf("jpeg.tif").c_str(), kPages)) {
        std::fprintf(stderr, "could not make the files\n");
        return 1;
    }
    for (const char* file : {"g4.tif", "jpeg.tif"}) {
        const std::string tag = std::string("/") + file;
        benchmark::RegisterBenchmark(("Browser/first_five_tiles" + tag).c_str(), display, file, false)
            ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Browser/all_100" + tag).c_str(), display, file, true)
            ->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BrowserBackground/display_returns" + tag).c_str(), displayInBackground, file,
                                     false)
            ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BrowserBackground/all_100" + tag).c_str(), displayInBackground, file, true)
            ->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Browser/one_line_scroll" + tag).c_str(), scroll, file)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("FormerFullPageLoad/five" + tag).c_str(), fullPageLoads, file)
            ->Iterations(1)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ImageMagick/five" + tag).c_str(), imageMagick, file, 4)
            ->Iterations(2)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ImageMagick/all_100" + tag).c_str(), imageMagick, file, kPages - 1)
            ->Iterations(1)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
