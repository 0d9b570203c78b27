// One display run of a 600-dpi A4 1-bit page in an 800 × 600 display at each zoom of the
// viewer, with and without refinement, and the fitted display; one scroll step at each
// zoom: a line scroll and a scroll-drag move of the mouse.
#include "BenchPages.h"

#include "Ikdllprocs.h"
#include "display/Ikdisp.h"

#include <QApplication>
#include <QMouseEvent>
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

// The page at actual size from the middle, in an 800 × 600 display with bars and dragging,
// as the viewer shows it.
void showMiddleOfPage(TVIkDisp& display, double scale, bool refine) {
    display.resize(800, 600);
    display.SetRefine1BitImage(refine);
    display.SetScrollBar(true);
    display.SetScrollDrag(true);
    display.SetDispScale(scale);
    display.SetImgHandle(g_page);
    display.SetStartX(2000);
    display.SetStartY(3000);
    display.Display(vikActualSize);
}

// A line scroll down and back up in turn, from the middle of the page.
void lineScroll(benchmark::State& state, double scale, bool refine) {
    TVIkDisp display;
    showMiddleOfPage(display, scale, refine);
    bool down = true;
    for (auto _ : state) {
        display.ScrollRequest(Qt::Vertical, down ? scLineDown : scLineUp, 0);
        down = !down;
    }
}

// The mouse moved 10 pixels right and back in turn while scroll-dragging.
void dragMove(benchmark::State& state, double scale, bool refine) {
    TVIkDisp display;
    showMiddleOfPage(display, scale, refine);
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, display.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(&display, &event);
    };
    send(QEvent::MouseButtonPress, QPointF(400, 300), Qt::LeftButton);
    bool right = true;
    for (auto _ : state) {
        send(QEvent::MouseMove, QPointF(right ? 410 : 400, 300), Qt::LeftButton);
        right = !right;
    }
    send(QEvent::MouseButtonRelease, QPointF(400, 300), Qt::NoButton);
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
        for (double zoom : {0.05, 0.1, 0.25, 0.5, 0.75, 1.0, 2.0, 4.0}) {
            const std::string z = std::to_string(zoom).substr(0, 4);
            benchmark::RegisterBenchmark((std::string("LineScroll/") + tag + "/zoom_" + z).c_str(), lineScroll, zoom,
                                         refine)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((std::string("DragMove/") + tag + "/zoom_" + z).c_str(), dragMove, zoom,
                                         refine)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Ikdllprocs::IkFreeMemory(g_page);
    return 0;
}
