#pragma once
// The message that ends a build: success when every row gave its page, the rows that gave
// none when some did not, a failure when no page could be written at all, and what was
// written when the person stopped the run.

#include <QString>
#include <QStringList>

namespace app {

struct BuildOutcome {
    // Rows gone through (all of them unless the run was stopped).
    int rows = 0;
    // " page n: path" of each row that added no page.
    QStringList rowsWithoutPage;
    bool stopped = false;
    // Rows in the list; those past `rows` were not gone through.
    int rowsListed = 0;
    int pagesWritten() const { return rows - static_cast<int>(rowsWithoutPage.size()); }
    bool anyPageWritten() const { return pagesWritten() > 0; }
};

QString buildCompletionMessage(const BuildOutcome& outcome);

}  // namespace app
