#pragma once
// A job's progress shown in the progress window (which may be absent).

#include "app/JobProgress.h"

class TProgressForm1;

namespace app {

class ProgressFeedback final : public JobProgress {
public:
    explicit ProgressFeedback(TProgressForm1* window) : window_(window) {}
    void begin(const QString& fileName, int total) override;
    void showPageOf(const QString& path, int page) override;
    void pageDone(int number) override;
    void tick() override;
    bool stopRequested() override;
    void end() override;

private:
    TProgressForm1* window_;
};

}  // namespace app
