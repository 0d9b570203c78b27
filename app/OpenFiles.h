#pragma once
// Opens the files named on the command line in the running main window.

#include <QStringList>

class TMainForm1;

namespace app {

struct CommandLineFiles;

// Brings the receiving tab forward and hands it the files as a drop there would; then reports
// the names that lead to no file in one message. Nothing happens for an empty list.
void openCommandLineFiles(TMainForm1& main, const CommandLineFiles& files);

// The files of this process's command line (decoded by Qt, so spaces and any script work),
// relative to the current folder, as they exist now.
CommandLineFiles commandLineFilesOfThisProcess();

}  // namespace app
