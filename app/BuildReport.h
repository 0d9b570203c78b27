#pragma once
// The message that ends a build: success when every row gave its page, the rows that gave
// none when some did not, and a failure when no page could be written at all.

#include <QString>
#include <QStringList>

namespace app {

struct BuildOutcome {
    int rows = 0;
    // " page n: path" of each row that added no page.
    QStringList rowsWithoutPage;
    bool anyPageWritten() const { return rowsWithoutPage.size() < rows; }
};

QString buildCompletionMessage(const BuildOutcome& outcome);

}  // namespace app
