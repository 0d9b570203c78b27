// The slide control as the program's preview pane (390 × 330, lowered edge, left-to-right
// wipe of 4 pixels a step) on page 2 of a 600-dpi A4 Group 4 TIFF and of a 300-dpi colour
// JPEG-in-TIFF: the preview sequence (slide file written, Close, Open, SetCurrentImage,
// Start, Stop, file deleted) until the wipe's last step is drawn on the shown window.
// Reported: the time of the calls themselves (calls_ms), the whole time to the last step,
// the wipe timer's pacing (steps × interval, pacing_ms) and the time less that pacing
// (work_ms), and the CPU time of the window thread meanwhile (thread_cpu_ms: the work
// without the timer's waits and its lateness on a busy machine). The same sequence without
// wipe (ScrollDir vikNormal) shows load and draw alone; the kit's load calls alone, and
// ImageMagick fitting the same page, beside them.
#include "BenchPages.h"

#include "Ikdllprocs.h"
#include "browse/Ikslide.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

QTemporaryDir* g_dir = nullptr;

QString pathOf(const char* name) { return QDir(g_dir->path()).filePath(QLatin1String(name)); }

// CPU time of the calling thread in milliseconds: the work done, without waits.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void preview(benchmark::State& state, const char* file, TVIkSlideScroll dir) {
    TVIkSlide slide;
    slide.resize(390, 330);
    slide.SetAppearance(vikLowered);
    slide.SetBorderVisible(true);
    slide.SetIntervalTime(1);
    slide.SetScrollDir(dir);
    slide.SetScrollSize(4);
    slide.SetSort(vikSortFileName);
    slide.SetColor(14024703);
    slide.show();
    QCoreApplication::processEvents();
    int steps = 0;
    Clock::time_point lastStep{};
    slide.OnProgress = [&](TVIkSlide*, std::int16_t) { ++steps; };
    slide.OnEndSlide = [&](TVIkSlide*, std::int16_t, const QString&, const QString&) { lastStep = Clock::now(); };
    const QString listFile = pathOf("_slide.tmp");
    const QByteArray line = (pathOf(file) + QStringLiteral(" 1\r\n")).toUtf8();
    double calls = 0, pacing = 0, total = 0, cpu = 0;
    for (auto _ : state) {
        steps = 0;
        const double cpuStart = threadCpuMs();
        const Clock::time_point start = Clock::now();
        {
            QFile out(listFile);
            if (!out.open(QIODevice::WriteOnly) || out.write(line) != line.size()) state.SkipWithError("list file");
        }
        slide.SetSlideFileName(listFile);
        slide.Close();
        slide.Open();
        slide.SetCurrentImage(0);
        const bool started = slide.Start();
        slide.Stop();
        QFile::remove(listFile);
        const Clock::time_point returned = Clock::now();
        if (!started) {
            state.SkipWithError("Start failed");
            break;
        }
        // The event loop waits (without spinning) until the wipe has ended.
        if (slide.Wiping()) {
            QEventLoop loop;
            slide.OnEndSlide = [&](TVIkSlide*, std::int16_t, const QString&, const QString&) {
                lastStep = Clock::now();
                loop.quit();
            };
            loop.exec();
        }
        QCoreApplication::processEvents();  // the last step's paint
        const Clock::time_point painted = Clock::now();
        cpu += threadCpuMs() - cpuStart;
        // The steps after the first are paced by the wipe timer.
        const double paced = dir == vikNormal ? 0.0 : static_cast<double>(wipeSteps(dir, 386, 4).size() - 1) *
                                                          TVIkSlide::kWipeStepMs;
        state.SetIterationTime(std::chrono::duration<double>(painted - start).count() - paced / 1000.0);
        calls += msBetween(start, returned);
        total += msBetween(start, lastStep > start ? lastStep : painted);
        pacing += paced;
    }
    const double n = static_cast<double>(state.iterations());
    if (n > 0) {
        state.counters["calls_ms"] = calls / n;
        state.counters["to_last_step_ms"] = total / n;
        state.counters["pacing_ms"] = pacing / n;
        state.counters["work_ms"] = (total - pacing) / n;
        state.counters["progress_events"] = steps;
        state.counters["thread_cpu_ms"] = cpu / n;
    }
}

// The kit calls of one preview load alone: IKFileType, IKFileLoadReduced to the fitted size
// of the 390 × 330 pane (230 × 326 for an A4 page) and IKResizeEx to that size.
void loadParts(benchmark::State& state, const char* file) {
    const QByteArray p = pathOf(file).toUtf8();
    double type = 0, load = 0, resize = 0;
    for (auto _ : state) {
        const Clock::time_point a = Clock::now();
        IKFILEINFO info{};
        Ikdllprocs::IkFileType(p.constData(), 1, &info);
        const Clock::time_point b = Clock::now();
        const IKHANDLE image = Ikdllprocs::IkFileLoadReduced(p.constData(), 1, 230, 326, nullptr);
        const Clock::time_point c = Clock::now();
        const IKHANDLE in[2] = {image, 0};
        IKHANDLE out[2] = {0, 0};
        Ikdllprocs::IkResizeEx(in, out, 230, 326, IK_FALSE, nullptr, nullptr, nullptr, nullptr);
        const Clock::time_point d = Clock::now();
        Ikdllprocs::IkFreeMemory(image);
        Ikdllprocs::IkFreeMemory(out[0]);
        if (!image || !out[0]) state.SkipWithError("load failed");
        type += msBetween(a, b);
        load += msBetween(b, c);
        resize += msBetween(c, d);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["file_type_ms"] = type / n;
    state.counters["load_reduced_ms"] = load / n;
    state.counters["resize_ms"] = resize / n;
}

// ImageMagick fitting the same page into the pane's draw area and writing it as a PNG.
void imageMagick(benchmark::State& state, const char* file) {
    const std::string command = "convert '" + pathOf(file).toStdString() + "[1]' -resize 386x326 '" +
                                pathOf("im.png").toStdString() + "' 2>/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("convert failed");
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    TVIkSlide holder;  // keeps the kit loaded
    if (!writeGroupFourAndJpegFiles(pathOf("g4.tif").toUtf8().constData(), pathOf("jpeg.tif").toUtf8().constData(), 3)) {
        std::fprintf(stderr, "could not make the files\n");
        return 1;
    }
    for (const char* file : {"g4.tif", "jpeg.tif"}) {
        const std::string tag = std::string("/") + file;
        benchmark::RegisterBenchmark(("Preview/wipe" + tag).c_str(), preview, file, vikLeftToRight)
            ->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Preview/at_once" + tag).c_str(), preview, file, vikNormal)
            ->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
    }
    for (const char* file : {"g4.tif", "jpeg.tif"})
        benchmark::RegisterBenchmark((std::string("KitLoad/") + file).c_str(), loadParts, file)
            ->Iterations(5)->Unit(benchmark::kMillisecond);
    for (const char* file : {"g4.tif", "jpeg.tif"})
        benchmark::RegisterBenchmark((std::string("ImageMagick/fit/") + file).c_str(), imageMagick, file)
            ->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
