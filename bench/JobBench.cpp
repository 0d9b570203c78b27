// The build and split commands run through the program's own handlers, beside ImageMagick's
// convert and libtiff's tiffsplit doing the same work, in one run. Also the peak memory of a
// build and a split of 10, 100 and 1,000 pages, each measured in a fresh process.
#include "app/Application.h"
#include "app/Convertwindow1.h"
#include "app/Convertwindow3.h"
#include "app/Mainwindow1.h"
#include "app/PagePreview.h"
#include "app/SplitTab.h"
#include "app/Windows.h"
#include "platform/desktop/Prompts.h"
#include "widgets/Mccbox.h"
#include "widgets/lib/SpinEdit.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Answers every prompt of a run without a person: the settings dialog as configured,
// the chosen output, no to the clear question.
class BenchPrompts final : public platform::Prompts {
public:
    std::function<void(QDialog&)> setUpDialog;
    QString savePath;
    QString folder;

    void message(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    QStringList openFiles(const QString&, const QString&, bool) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override { return savePath; }
    QString browseFolder(const QString&) override { return folder; }
    bool runDialog(QDialog& dialog) override {
        if (setUpDialog) setUpDialog(dialog);
        return true;
    }
};

const QString& fixtureDir() {
    static const QString dir = [] {
        const QString d = QDir::temp().filePath(QStringLiteral("vz-bench-fixtures"));
        QDir().mkpath(d);
        return d;
    }();
    return dir;
}

QString fixture(const char* name) { return fixtureDir() + u'/' + QString::fromLatin1(name); }

// The output of the run before is gone and every file written before is on the disk when a
// timed run starts, so that neither removing nor writing back earlier files falls into it.
void settleDisk() { ::sync(); }

void clearOutput(benchmark::State& state, const QString& output) {
    state.PauseTiming();
    QFile::remove(output);
    settleDisk();
    state.ResumeTiming();
}

bool shell(const QString& command) { return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) == 0; }

// ImageMagick keeps every page of a run in its pixel cache; its stock resource policy is too
// small for 100 A4 pages, so its runs here get a policy of their own with room for them.
void allowImageMagickLargeRuns() {
    const QString dir = fixtureDir() + QStringLiteral("/im-policy");
    QDir().mkpath(dir);
    QFile policy(dir + QStringLiteral("/policy.xml"));
    if (policy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        policy.write("<policymap>\n"
                     "  <policy domain=\"resource\" name=\"memory\" value=\"12GiB\"/>\n"
                     "  <policy domain=\"resource\" name=\"map\" value=\"16GiB\"/>\n"
                     "  <policy domain=\"resource\" name=\"area\" value=\"4GP\"/>\n"
                     "  <policy domain=\"resource\" name=\"disk\" value=\"32GiB\"/>\n"
                     "</policymap>\n");
    qputenv("MAGICK_CONFIGURE_PATH", dir.toLocal8Bit());
}

// An A4 page at 300 dpi in colour, and an A4 page at 600 dpi in black and white.
void makeFixtures() {
    allowImageMagickLargeRuns();
    if (!QFile::exists(fixture("colour.jpg")))
        shell(QStringLiteral("convert -size 620x877 plasma:fractal -resize 2480x3508! -quality 90 ") + fixture("colour.jpg"));
    if (!QFile::exists(fixture("bilevel.png")))
        shell(QStringLiteral("convert -size 4960x7016 pattern:hexagons -monochrome -depth 1 PNG:") + fixture("bilevel.png"));
    if (!QFile::exists(fixture("g4x100.tif")))
        shell(QStringLiteral("convert ") + fixture("bilevel.png") + QStringLiteral(" -compress Group4 ") + fixture("g4.tif") +
              QStringLiteral(" && for i in $(seq 100); do tiffcp -a ") + fixture("g4.tif") + u' ' + fixture("g4x100.tif") +
              QStringLiteral("; done"));
    if (!QFile::exists(fixture("jpegx100.tif")))
        shell(QStringLiteral("convert ") + fixture("colour.jpg") + u' ' + fixture("colour.tif") +
              QStringLiteral(" && tiffcp -c jpeg:90 ") + fixture("colour.tif") + u' ' + fixture("jpeg1.tif") +
              QStringLiteral(" && for i in $(seq 100); do tiffcp -a ") + fixture("jpeg1.tif") + u' ' +
              fixture("jpegx100.tif") + QStringLiteral("; done"));
}

// Builds `pages` copies of `source` into a new file with the compression list's `compression` entry.
void runBuild(const QString& source, int pages, int compression, const QString& output) {
    QFile::remove(output);
    BenchPrompts prompts;
    platform::setPrompts(&prompts);
    prompts.savePath = output;
    prompts.setUpDialog = [compression](QDialog& d) {
        auto& form = static_cast<TConvertForm1&>(d);
        form.C1_01->SetItemIndex(compression);
        form.C1_02->SetItemIndex(0);
        form.C1_04->SetItemIndex(0);
        form.C1_07->SetItemIndex(0);
    };
    AppWindows windows = AppWindows::create();
    windows.MainForm1->PageControl1->setCurrentIndex(0);
    windows.MainForm1->FilesDropped(QStringList(pages, source));
    windows.MainForm1->F2->trigger();
    platform::setPrompts(nullptr);
}

// Splits `source` into `folder`. The program is started and the file loaded and previewed
// first, as a person would have it before splitting; `measure` brackets the split command.
void runSplit(const QString& source, const QString& folder, const std::function<void(bool)>& measure = {}) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    BenchPrompts prompts;
    platform::setPrompts(&prompts);
    prompts.folder = folder;
    prompts.setUpDialog = [](QDialog& d) {
        auto& form = static_cast<TConvertForm3&>(d);
        form.C1_01->SetItemIndex(0);
        form.C1_02->SetValue(3);
    };
    AppWindows windows = AppWindows::create();
    windows.MainForm1->PageControl1->setCurrentIndex(1);
    windows.MainForm1->FilesDropped({source});
    windows.MainForm1->Split->Preview2->flush();
    if (measure) measure(true);
    windows.MainForm1->E2->trigger();
    if (measure) measure(false);
    platform::setPrompts(nullptr);
}

int pagesOf(const QString& tiff) {
    QProcess p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("tiffinfo ") + tiff + QStringLiteral(" 2>/dev/null | grep -c 'TIFF Directory'")});
    p.waitForFinished(-1);
    return p.readAllStandardOutput().trimmed().toInt();
}

void BM_BuildColourJpegToLzw(benchmark::State& state) {
    const QString out = fixture("out-lzw.tif");
    for (auto _ : state) {
        clearOutput(state, out);
        runBuild(fixture("colour.jpg"), int(state.range(0)), 7, out);
    }
    if (pagesOf(out) != state.range(0)) state.SkipWithError("wrong page count");
}

void BM_ImageMagickColourJpegToLzw(benchmark::State& state) {
    QString inputs;
    for (int i = 0; i < state.range(0); ++i) inputs += fixture("colour.jpg") + u' ';
    const QString out = fixture("im-lzw.tif");
    for (auto _ : state) {
        clearOutput(state, out);
        shell(QStringLiteral("convert ") + inputs + QStringLiteral("-compress LZW ") + out);
    }
    if (pagesOf(out) != state.range(0)) state.SkipWithError("wrong page count");
}

void BM_BuildBilevelPngToGroup4(benchmark::State& state) {
    const QString out = fixture("out-g4.tif");
    for (auto _ : state) {
        clearOutput(state, out);
        runBuild(fixture("bilevel.png"), int(state.range(0)), 5, out);
    }
    if (pagesOf(out) != state.range(0)) state.SkipWithError("wrong page count");
}

void BM_ImageMagickBilevelPngToGroup4(benchmark::State& state) {
    QString inputs;
    for (int i = 0; i < state.range(0); ++i) inputs += fixture("bilevel.png") + u' ';
    const QString out = fixture("im-g4.tif");
    for (auto _ : state) {
        clearOutput(state, out);
        shell(QStringLiteral("convert ") + inputs + QStringLiteral("-compress Group4 ") + out);
    }
    if (pagesOf(out) != state.range(0)) state.SkipWithError("wrong page count");
}

void splitBench(benchmark::State& state, const char* source) {
    const QString folder = fixture("split-out");
    for (auto _ : state) {
        state.PauseTiming();
        runSplit(fixture(source), folder, [&](bool start) {
            if (start) {
                settleDisk();
                state.ResumeTiming();
            } else {
                state.PauseTiming();
            }
        });
        state.ResumeTiming();
    }
    if (QDir(folder).entryList(QDir::Files).size() != 100) state.SkipWithError("wrong file count");
}

void tiffsplitBench(benchmark::State& state, const char* source) {
    const QString folder = fixture("tiffsplit-out");
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        settleDisk();
        state.ResumeTiming();
        shell(QStringLiteral("tiffsplit ") + fixture(source) + u' ' + folder + QStringLiteral("/page_"));
    }
    if (QDir(folder).entryList(QDir::Files).size() != 100) state.SkipWithError("wrong file count");
}

void BM_SplitGroup4(benchmark::State& state) { splitBench(state, "g4x100.tif"); }
void BM_TiffsplitGroup4(benchmark::State& state) { tiffsplitBench(state, "g4x100.tif"); }
void BM_SplitJpeg(benchmark::State& state) { splitBench(state, "jpegx100.tif"); }
void BM_TiffsplitJpeg(benchmark::State& state) { tiffsplitBench(state, "jpegx100.tif"); }

// A TIFF of `pages` copies of the one-page `page` fixture, made in one tiffcp run.
QString repeatedPages(const char* page, int pages) {
    const QString out = fixture(page) + QStringLiteral(".x%1.tif").arg(pages);
    if (!QFile::exists(out)) {
        QString inputs;
        for (int i = 0; i < pages; ++i) inputs += fixture(page) + u' ';
        shell(QStringLiteral("tiffcp ") + inputs + out);
    }
    return out;
}

// Peak resident memory of a whole job process, in MiB: a build of N colour JPEG pages to
// LZW or of N bilevel PNG pages to Group 4, or a split of an N-page Group 4 or JPEG TIFF.
enum class PeakJob { BuildLzw, BuildGroup4, SplitGroup4, SplitJpeg };
const char* const kPeakJobNames[] = {"build-lzw", "build-g4", "split-g4", "split-jpeg"};

void runPeakJob(PeakJob job, int pages) {
    switch (job) {
        case PeakJob::BuildLzw: runBuild(fixture("colour.jpg"), pages, 7, fixture("peak.tif")); break;
        case PeakJob::BuildGroup4: runBuild(fixture("bilevel.png"), pages, 5, fixture("peak.tif")); break;
        case PeakJob::SplitGroup4: runSplit(repeatedPages("g4.tif", pages), fixture("peak-split")); break;
        case PeakJob::SplitJpeg: runSplit(repeatedPages("jpeg1.tif", pages), fixture("peak-split")); break;
    }
}

void BM_PeakMemory(benchmark::State& state) {
    const auto job = static_cast<PeakJob>(state.range(0));
    const auto pages = static_cast<int>(state.range(1));
    // The split's source is made before the measured process starts.
    if (job == PeakJob::SplitGroup4) repeatedPages("g4.tif", pages);
    if (job == PeakJob::SplitJpeg) repeatedPages("jpeg1.tif", pages);
    double peakMiB = 0;
    for (auto _ : state) {
        QProcess self;
        self.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--peak"), QString::fromLatin1(kPeakJobNames[state.range(0)]), QString::number(pages)});
        self.waitForFinished(-1);
        peakMiB = self.readAllStandardOutput().trimmed().toDouble() / 1024.0;
    }
    state.SetLabel(kPeakJobNames[state.range(0)]);
    state.counters["peak_MiB"] = peakMiB;
}

BENCHMARK(BM_BuildColourJpegToLzw)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickColourJpegToLzw)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildBilevelPngToGroup4)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickBilevelPngToGroup4)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);
// A split lasts a tenth of a second: five of each, reported by their median.
BENCHMARK(BM_SplitGroup4)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffsplitGroup4)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitJpeg)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffsplitJpeg)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemory)
    ->ArgsProduct({{int(PeakJob::BuildLzw)}, {10, 100}})
    ->ArgsProduct({{int(PeakJob::BuildGroup4), int(PeakJob::SplitGroup4), int(PeakJob::SplitJpeg)}, {10, 100, 1000}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app::TApplication application(argc, argv);
    makeFixtures();
    if (argc == 4 && QByteArray(argv[1]) == "--peak") {
        const auto named = std::find(std::begin(kPeakJobNames), std::end(kPeakJobNames), QByteArray(argv[2]));
        if (named == std::end(kPeakJobNames)) return 2;
        runPeakJob(static_cast<PeakJob>(named - std::begin(kPeakJobNames)), QByteArray(argv[3]).toInt());
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%ld\n", usage.ru_maxrss);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
