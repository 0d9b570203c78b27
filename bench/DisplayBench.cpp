// One display run of a 600-dpi A4 1-bit page in an 800 × 600 display at each zoom of the
// viewer, with and without refinement, and the fitted display.
#include "BenchPages.h"

#include "Ikdllprocs.h"
#include "display/Ikdisp.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

IKHANDLE g_page = 0;

void run(benchmark::State& state, TVIkDispMode mode, double scale, bool refine) {
    TVIkDisp display;
    display.resize(800, 600);
    display.SetRefine1BitImage(refine);
    display.SetDispScale(scale);
    display.SetImgHandle(g_page);
    display.Display(mode);  // makes the grey copy once, as the first display of a page does
    for (auto _ : state)
        if (!display.Refresh()) state.SkipWithError("nothing drawn");
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TVIkDisp holder;  // keeps the kit loaded for the page
    g_page = makeMonoPage();
    for (bool refine : {true, false}) {
        const char* tag = refine ? "refined" : "plain";
        for (double zoom : {0.05, 0.1, 0.25, 0.5, 0.75, 1.0, 2.0, 4.0})
            benchmark::RegisterBenchmark((std::string("DisplayRun/") + tag + "/zoom_" + std::to_string(zoom).substr(0, 4)).c_str(),
                                         run, vikActualSize, zoom, refine)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("DisplayRun/") + tag + "/fitted").c_str(), run, vikScale, 1.0, refine)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Ikdllprocs::IkFreeMemory(g_page);
    return 0;
}
