// The viewer tab in the main window at 800 × 600 on two 100-page files, a 600-dpi A4 Group 4
// TIFF and a 300-dpi colour JPEG-in-TIFF: a load until page 1 and the first five thumbnails
// are shown, a thumbnail click until that page is shown, one scroll-drag step and one wheel
// notch at every zoom of the list, one step of dragging the navigation window's rectangle;
// beside ImageMagick reading one page and fitting it to the window.
#include "BenchPages.h"

#include "app/Application.h"
#include "app/Mainwindow1.h"
#include "app/ViewerRules.h"
#include "app/ViewerTab.h"
#include "app/Windows.h"
#include "browse/Ikthumb.h"
#include "display/Ikdisp.h"
#include "Ikdllprocs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPages = 100;
QTemporaryDir* g_dir = nullptr;
AppWindows* g_windows = nullptr;

std::string pathOf(const char* name) { return QDir(g_dir->path()).filePath(QLatin1String(name)).toStdString(); }
TViewerTab& viewer() { return *g_windows->MainForm1->Viewer; }
TVIkDisp& display() { return *viewer().IkDisp1; }

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Paints what changed now, as the next frame would.
void paintNow() {
    display().repaint();
    viewer().IkThumb1->repaint();
}

// Loads the file and lets the thumbnails after the first five be made, so that the steps
// measured after it have the machine to themselves.
void load(const char* file) {
    viewer().SpeedButton4_2Click();
    viewer().DropFiles({QString::fromStdString(pathOf(file))});
    paintNow();
    while (viewer().IkThumb1->ThumbnailsPending()) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void setZoom(int index) {
    viewer().ComboBox1->setCurrentIndex(index);
    viewer().ComboBox1Change();
    display().Display(vikActualSize);
    paintNow();
}

// Drop of the file until page 1 is painted with the first five thumbnails.
void loadToFirstPage(benchmark::State& state, const char* file) {
    for (auto _ : state) {
        viewer().SpeedButton4_2Click();
        const Clock::time_point start = Clock::now();
        viewer().DropFiles({QString::fromStdString(pathOf(file))});
        paintNow();
        state.SetIterationTime(seconds(start));
        if (!display().ImgHandle() || viewer().IkThumb1->Count() != kPages) state.SkipWithError("load failed");
    }
}

void send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons);

// A click on a visible thumbnail (press and release) until its page is painted; the tiles
// of pages 1 to 5 in turn.
void pageSwitch(benchmark::State& state, const char* file) {
    load(file);
    TVIkThumb& thumb = *viewer().IkThumb1;
    int tile = 0;
    for (auto _ : state) {
        tile = (tile + 1) % 5;
        const ThumbTile& t = thumb.Tiles()[static_cast<std::size_t>(tile)];
        const QPoint at((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2);
        send(&thumb, QEvent::MouseButtonPress, at, Qt::LeftButton);
        send(&thumb, QEvent::MouseButtonRelease, at, Qt::NoButton);
        display().repaint();
    }
}

void send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// One move of a scroll-drag at the zoom, painted; the drag sweeps to and fro across the page.
void scrollDragStep(benchmark::State& state, const char* file, int zoom) {
    load(file);
    setZoom(zoom);
    QPoint at(400, 300);
    send(&display(), QEvent::MouseButtonPress, at, Qt::LeftButton);
    int dx = -7, dy = -5;
    for (auto _ : state) {
        if (at.x() + dx < 50 || at.x() + dx > 550) dx = -dx;
        if (at.y() + dy < 50 || at.y() + dy > 450) dy = -dy;
        at += QPoint(dx, dy);
        send(&display(), QEvent::MouseMove, at, Qt::LeftButton);
        display().repaint();
    }
    send(&display(), QEvent::MouseButtonRelease, at, Qt::NoButton);
}

// One wheel notch at the zoom, painted; down to the bottom, then up again.
void wheelNotch(benchmark::State& state, const char* file, int zoom) {
    load(file);
    setZoom(zoom);
    int delta = -120;
    for (auto _ : state) {
        const int before = display().StartY();
        QWheelEvent wheel(QPointF(400, 300), display().mapToGlobal(QPointF(400, 300)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&display(), &wheel);
        display().repaint();
        if (display().StartY() == before) delta = -delta;
    }
}

void toggleNavigation() { g_windows->MainForm1->V8->trigger(); }

// The file loaded at 100 % with the navigation window shown; nullptr when it is not.
QWidget* showNavigation(benchmark::State& state, const char* file) {
    load(file);
    setZoom(5);
    toggleNavigation();
    QWidget* pan = display().PanWindow();
    if (pan && pan->isVisible()) return pan;
    state.SkipWithError("no navigation window");
    return nullptr;
}

// One step of dragging the navigation window's rectangle: the display's run for the new view
// and the window repainted.
void panDragStep(benchmark::State& state, const char* file) {
    QWidget* pan = showNavigation(state, file);
    if (!pan) return;
    QPoint at(static_cast<int>(display().StartX() * display().PanScaleX()) + 3,
              static_cast<int>(display().StartY() * display().PanScaleY()) + 3);
    send(pan, QEvent::MouseButtonPress, at, Qt::LeftButton);
    int dy = 2;
    for (auto _ : state) {
        if (at.y() + dy < 3 || at.y() + dy > pan->height() - 3) dy = -dy;
        at.ry() += dy;
        send(pan, QEvent::MouseMove, at, Qt::LeftButton);
        pan->repaint();
    }
    send(pan, QEvent::MouseButtonRelease, at, Qt::NoButton);
    toggleNavigation();
}

// The rectangle alone moved after a scroll: drawn anew over the kept thumbnail, repainted.
void panRectangleMove(benchmark::State& state, const char* file) {
    QWidget* pan = showNavigation(state, file);
    if (!pan) return;
    int step = 40;
    for (auto _ : state) {
        state.PauseTiming();
        const int before = display().StartY();
        display().ScrollRequest(Qt::Vertical, step > 0 ? TScrollCode(1) : TScrollCode(0), 0);
        if (display().StartY() == before) step = -step;
        state.ResumeTiming();
        display().AfterDispImage();
        pan->repaint();
    }
    toggleNavigation();
}

// ImageMagick reading page n and fitting it to the window, as a page switch does.
void imageMagickPage(benchmark::State& state, const char* file) {
    int page = 0;
    for (auto _ : state) {
        page = (page + 1) % kPages;
        const std::string command = "convert '" + pathOf(file) + "[" + std::to_string(page) +
                                    "]' -resize 800x600 '" + pathOf("im.png") + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) state.SkipWithError("convert failed");
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app::TApplication application(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    AppWindows windows = AppWindows::create();
    g_windows = &windows;
    windows.MainForm1->resize(800, 600);
    windows.MainForm1->show();
    windows.MainForm1->PageControl1->setCurrentIndex(2);
    QApplication::processEvents();

    if (!writeGroupFourAndJpegFiles(pathOf("g4.tif").c_str(), pathOf("jpeg.tif").c_str(), kPages)) {
        std::fprintf(stderr, "could not make the files\n");
        return 1;
    }
    for (const char* file : {"g4.tif", "jpeg.tif"}) {
        const std::string tag = std::string("/") + file;
        benchmark::RegisterBenchmark(("Viewer/load_to_first_page" + tag).c_str(), loadToFirstPage, file)
            ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Viewer/page_switch" + tag).c_str(), pageSwitch, file)
            ->Iterations(20)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ImageMagick/page_fitted" + tag).c_str(), imageMagickPage, file)
            ->Iterations(5)->Unit(benchmark::kMillisecond);
        const QStringList zooms = app::zoomItems();
        for (int zoom = 0; zoom < zooms.size(); ++zoom) {
            const std::string z = "/" + zooms[zoom].toStdString();
            benchmark::RegisterBenchmark(("Viewer/scroll_drag_step" + tag + z).c_str(), scrollDragStep, file, zoom)
                ->Iterations(60)->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Viewer/wheel_notch" + tag + z).c_str(), wheelNotch, file, zoom)
                ->Iterations(30)->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark(("Viewer/pan_drag_step" + tag).c_str(), panDragStep, file)
            ->Iterations(60)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Viewer/pan_rectangle_move" + tag).c_str(), panRectangleMove, file)
            ->Iterations(60)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
