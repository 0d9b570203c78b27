#pragma once
// A build: every registered file becomes one page of a multi-page TIFF, converted as the
// settings say, appended to the output in list order. The next source is decoded and
// converted while the page before it is encoded on a writer thread; a TIFF page that needs
// no change is copied as it is stored. At most one page waits for the writer, so memory does
// not grow with the number of pages.

#include "app/BuildReport.h"

#include <QString>
#include <QStringList>

class TVIkCommon;
class TVIkEffect;
class TVIkFile;

namespace app {

class JobProgress;

// The build dialog's choices, as item indexes of its lists (-1: nothing selected).
struct BuildSettings {
    int compression = -1;
    int colours = -1;
    int threshold = 128;
    int resolution = -1;
    int xDpi = 0, yDpi = 0;
    int rotation = -1;
};

class BuildJob {
public:
    // `file` loads the sources on the calling thread; the job saves through a file
    // component of its own on the writer thread. `progress` may be null.
    BuildJob(TVIkCommon& common, TVIkFile& file, TVIkEffect& effect, JobProgress* progress);

    // Appends one page per source to `output`. An exception from a step ends the run after
    // the pages handed over so far are written, and is rethrown.
    BuildOutcome run(const QStringList& sources, const QString& output, const BuildSettings& settings);

private:
    struct Page;
    // The page of `source` as it goes into the output: copied as stored, or decoded and
    // converted (image 0 when the source gives no page).
    Page preparePage(const QString& source);

    TVIkCommon& common_;
    TVIkFile& file_;
    TVIkEffect& effect_;
    JobProgress* progress_;
    const BuildSettings* settings_ = nullptr;
};

}  // namespace app
