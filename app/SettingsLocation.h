#pragma once
// Where the settings file lives. Beside the executable while that folder takes new files, so a
// copy run from its own folder keeps its settings with it; otherwise (an installed program) in
// the user's configuration folder, "$XDG_CONFIG_HOME/vidirazorod/RidoreVu.ini", or
// "~/.config/…" when that variable is unset, empty or not absolute.

#include "platform/Profile.h"

#include <QString>

#include <functional>

namespace app {

struct SettingsLocation {
    // The file read and written.
    QString path;
    // Read instead of `path` while that does not exist yet: the file beside the executable of
    // an installed program, so settings shipped with it are the user's first settings. Empty
    // when there is none.
    QString seedPath;

    // The file a read opens now.
    QString readPath() const;
};

// Whether new files can be made in a folder.
using FolderWritable = std::function<bool(const QString& folder)>;

// The choice itself: `writable` is asked about the program folder only.
SettingsLocation settingsLocation(const QString& programDir, const QString& xdgConfigHome, const QString& home,
                                  const FolderWritable& writable);

// A folder that exists and that this user may create files in (access(2) semantics, as
// QFileInfo::isWritable: the mode bits do not stop root, a read-only mount stops everyone).
bool isWritableFolder(const QString& folder);

// The choice for this process: its environment and the real file system.
SettingsLocation settingsLocationFor(const QString& programDir);

// The settings as they are now (an empty profile when no file can be read).
platform::Profile readSettings(const SettingsLocation& at);
// Writes the profile to `at.path`, creating its folder; the previous file is replaced as a
// whole only once the new one is complete. False when it could not be written.
bool writeSettings(platform::Profile& settings, const SettingsLocation& at);

}  // namespace app
