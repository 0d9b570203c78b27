#include "app/OpenFiles.h"

#include "app/CommandLine.h"
#include "app/Mainwindow1.h"
#include "platform/desktop/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>

namespace app {

void openCommandLineFiles(TMainForm1& main, const CommandLineFiles& files) {
    if (!files.files.isEmpty()) {
        main.PageControl1->setCurrentIndex(static_cast<int>(files.tab));
        main.FilesDropped(files.files);
    }
    if (!files.missing.isEmpty()) platform::prompts().message(missingFilesMessage(files.missing));
}

CommandLineFiles commandLineFilesOfThisProcess() {
    return commandLineFiles(QCoreApplication::arguments().mid(1), QDir::currentPath(),
                            [](const QString& path) { return QFileInfo(path).isFile(); });
}

}  // namespace app
