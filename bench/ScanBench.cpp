// Ten feeder pages at 300 dpi in colour from SANE's test device into one LZW multi-page
// TIFF through the scan job, beside scanimage --batch plus tiffcp -c lzw doing the same
// (the whole 200 mm square area in both), in one run. The job's run also reports the
// longest pause of the event loop while it scans.
#include "app/ScanJob.h"
#include "Ikcommon.h"
#include "Ikeffect.h"
#include "Ikfile.h"
#include "Ikscan.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

namespace {

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

// The process's SANE configuration: the test backend only, colour pattern at 300 dpi.
void configureSane() {
    const QString d = workDir().path();
    QDir().mkpath(d + QStringLiteral("/home"));
    QFile dll(d + QStringLiteral("/dll.conf"));
    dll.open(QIODevice::WriteOnly);
    dll.write("test\n");
    QFile test(d + QStringLiteral("/test.conf"));
    test.open(QIODevice::WriteOnly);
    test.write("number_of_devices 1\nmode Color\ndepth 8\nresolution 300\ntest-picture \"Color pattern\"\n");
    setenv("SANE_CONFIG_DIR", d.toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", (d + QStringLiteral("/home")).toLocal8Bit().constData(), 1);
}

void ScanJobTenFeederPages(benchmark::State& state) {
    TVIkScan scanner;
    TVIkCommon common;
    TVIkEffect effect;
    TVIkFile file;
    file.SetTiffAppend(true);
    file.SetTiffSaveOneStrip(true);
    scanner.ScanInitialize(1, 0, "VidiraZorod", "Ridevova", "Lumbra Series", "VidiraZorod");
    IKHANDLE lastPage = 0;
    app::ScanJob job(scanner, common, effect, file, lastPage, {});
    scanner.OnAfterScan = [&](TVIkScan*, std::uint32_t dib, std::uint32_t, std::int32_t, std::int16_t) {
        job.PageScanned(dib);
    };
    scanner.ScanText = QStringLiteral("source=Automatic Document Feeder");
    scanner.TransferCount = 10;
    app::ScanSettings settings;
    settings.ui = vikScanNONUI;
    settings.saveCode = app::TiffSaveCode::LZW;
    settings.output = workDir().filePath(QStringLiteral("job.tif"));

    qint64 worstGap = 0;
    int pages = 0;
    for (auto _ : state) {
        QFile::remove(settings.output);
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { worstGap = std::max(worstGap, sinceTick.restart()); });
        tick.start(5);
        const app::ScanOutcome outcome = job.run(settings);
        worstGap = std::max(worstGap, sinceTick.elapsed());
        pages = outcome.pagesWritten;
        if (outcome.status != 0) state.SkipWithError("scan failed");
    }
    state.counters["pages"] = pages;
    state.counters["worst_event_gap_ms"] = double(worstGap);
    state.counters["file_MB"] = double(QFile(settings.output).size()) / 1e6;
    common.SetImgHandle(lastPage);
    common.FreeMemory();
    scanner.ScanTerminate();
}
BENCHMARK(ScanJobTenFeederPages)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void ScanimageBatchThenTiffcp(benchmark::State& state) {
    const QString dir = workDir().filePath(QStringLiteral("peer"));
    QDir().mkpath(dir);
    for (auto _ : state) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QProcess scan;
        scan.setWorkingDirectory(dir);
        scan.start(QStringLiteral("scanimage"),
                   {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--source"),
                    QStringLiteral("Automatic Document Feeder"), QStringLiteral("-x"), QStringLiteral("200"),
                    QStringLiteral("-y"), QStringLiteral("200"), QStringLiteral("--format=tiff"),
                    QStringLiteral("--batch=p%02d.tif"), QStringLiteral("--batch-count=10")});
        scan.waitForFinished(-1);
        QStringList args{QStringLiteral("-c"), QStringLiteral("lzw")};
        for (const QString& f : QDir(dir).entryList({QStringLiteral("p*.tif")}, QDir::Files, QDir::Name))
            args << dir + u'/' + f;
        args << dir + QStringLiteral("/out.tif");
        QProcess::execute(QStringLiteral("tiffcp"), args);
    }
    state.counters["pages"] = double(QDir(dir).entryList({QStringLiteral("p*.tif")}).size());
    state.counters["file_MB"] = double(QFile(dir + QStringLiteral("/out.tif")).size()) / 1e6;
}
BENCHMARK(ScanimageBatchThenTiffcp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    configureSane();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
