// Ten feeder pages at 300 dpi in colour from SANE's test device, read through IKScanExec
// without a dialog into bitmaps, native and memory transfer. Counters: pages per second
// and the longest gap between turns of the calling thread's event loop (a 10 ms timer)
// while the pages are read, which must stay far below 100 ms.
#include "ik7kit.h"
#include "platform/GlobalMemory.h"
#include "platform/KitStatus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

namespace {

int pagesSeen = 0;
int32_t goOn(const IKSCANBEFORE*, int32_t) { return -1; }
int32_t progress(int32_t) { return -1; }
int32_t after(IKHANDLE dib, IKHANDLE, int32_t, int16_t) {
    pagesSeen += platform::globalSize(dib) > 0;
    return -1;
}

void scanTenPages(benchmark::State& state) {
    const IKSCANCONNECTION connection = IKScanInitialize(nullptr, 1, 0, "", "", "", "");
    double longestGap = 0;
    for (auto _ : state) {
        IKSCANRECORD r{};
        r.pixelType = 2;
        r.bitDepth = 24;
        r.xResolution = r.yResolution = 300;
        r.scanMode = 1;
        r.uiMode = 2;
        r.transferCount = 10;
        r.transferMode = static_cast<uint16_t>(state.range(0));
        QElapsedTimer clock;
        QTimer ticker;
        ticker.setInterval(10);
        qint64 last = 0;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longestGap = std::max(longestGap, double(now - last));
            last = now;
        });
        clock.start();
        ticker.start();
        pagesSeen = 0;
        const int32_t images = IKScanExec(connection, 0, &r, goOn, progress, after, nullptr);
        ticker.stop();
        if (images != 10 || pagesSeen != 10) state.SkipWithError("scan failed");
    }
    IKScanTerminate(connection);
    state.counters["pages/s"] = benchmark::Counter(10.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["longest loop gap ms"] = longestGap;
}
BENCHMARK(scanTenPages)->Arg(0)->Arg(2)->ArgNames({"transfer"})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    setenv("SANE_CONFIG_DIR", SCAN_BENCH_SANE_DIR, 1);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
