#pragma once
// What a long-running job (build, split) tells the person watching it, and what it asks of
// them: the job works on its model and reports here, never on widgets.

#include <QString>

namespace app {

class JobProgress {
public:
    virtual ~JobProgress() = default;
    // Before the first page: the file worked on and the number of pages to go through.
    virtual void begin(const QString& fileName, int total) = 0;
    // The job starts on page `page` (0-based) of `path`; its picture is made beside the job.
    virtual void showPageOf(const QString& path, int page) = 0;
    // Page `number` (1-based, counted over the whole run) is done.
    virtual void pageDone(int number) = 0;
    // Called often during long steps (every kit progress report, every wait for the writer):
    // lets the window repaint and answer its stop button.
    virtual void tick() = 0;
    // Whether the person asked the run to stop; the job ends after the page under way.
    virtual bool stopRequested() = 0;
    // After the run, also after a failed one.
    virtual void end() = 0;
};

}  // namespace app
