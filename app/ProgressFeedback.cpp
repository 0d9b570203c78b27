#include "app/ProgressFeedback.h"

#include "app/Progresswindow1.h"

namespace app {

void ProgressFeedback::begin(const QString& fileName, int total) {
    if (window_) window_->BeginRun(fileName, total);
}

void ProgressFeedback::showPageOf(const QString& path, int page) {
    if (window_) window_->ShowPageOf(path, page);
}

void ProgressFeedback::pageDone(int number) {
    if (window_) window_->PageDone(number);
}

void ProgressFeedback::tick() {
    if (window_) window_->Tick();
}

bool ProgressFeedback::stopRequested() { return window_ && window_->StopRequested(); }

void ProgressFeedback::end() {
    if (window_) window_->EndRun();
}

}  // namespace app
