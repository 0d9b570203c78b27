#pragma once
// For the length of a job: every progress report of the kit components the job drives
// ticks the job's progress, so the window repaints and hears its stop button during a long
// load or conversion. The components' own handlers come back afterwards.

#include "app/JobProgress.h"
#include "Ikeffect.h"
#include "Ikfile.h"

#include <utility>

namespace app {

class ProgressTicks {
public:
    ProgressTicks(JobProgress* progress, TVIkFile& file, TVIkEffect* effect = nullptr)
        : file_(file), effect_(effect), fileHandler_(file.OnProgress) {
        if (!progress) return;
        file.OnProgress = [progress](TVIkFile*, std::int16_t) { progress->tick(); };
        if (effect_) {
            effectHandler_ = effect_->OnProgress;
            effect_->OnProgress = [progress](TVIkEffect*, std::int16_t) { progress->tick(); };
        }
    }
    ~ProgressTicks() {
        file_.OnProgress = std::move(fileHandler_);
        if (effect_) effect_->OnProgress = std::move(effectHandler_);
    }
    ProgressTicks(const ProgressTicks&) = delete;
    ProgressTicks& operator=(const ProgressTicks&) = delete;

private:
    TVIkFile& file_;
    TVIkEffect* effect_;
    TVIkFile::TVIkProgressEvent fileHandler_;
    TVIkEffect::TVIkProgressEvent effectHandler_;
};

}  // namespace app
