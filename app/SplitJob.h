#pragma once
// A split: each chosen page of a multi-page TIFF goes to a single-page TIFF of its own in
// the chosen folder (appended when that file exists), named by the numbering scheme. A page
// is copied as it is stored where the kit can; otherwise it is decoded and written in its
// own compression. The job never decodes a page only to show it.

#include <QList>
#include <QString>
#include <QStringList>

class TVIkFile;

namespace app {

class JobProgress;

struct SplitSettings {
    QString folder;
    // The numbering list's index and the digit count of the numbers.
    int scheme = -1;
    int digits = 1;
};

struct SplitOutcome {
    int written = 0;
    // "page n" of each chosen page that could not be written.
    QStringList notWritten;
    bool stopped = false;
};

// The message that ends a split.
QString splitCompletionMessage(const SplitOutcome& outcome);

class SplitJob {
public:
    SplitJob(TVIkFile& file, JobProgress* progress);

    // Writes pages `pages` (1-based, ascending) of `source` out of `pageCount` pages.
    SplitOutcome run(const QString& source, int pageCount, const QList<int>& pages, const SplitSettings& settings);

private:
    bool writePage(TVIkFile& file, const QString& source, int page, const QString& target);

    TVIkFile& file_;
    JobProgress* progress_;
};

}  // namespace app
