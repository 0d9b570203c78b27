#pragma once
// Fixed facts of the main window that do not need a window: initial position, settings keys,
// and tab routing of dropped files.

#include <QString>
#include <QStringList>

namespace app {

constexpr int kMainLeft = 127;
constexpr int kMainTop = 98;
constexpr int kMainWidth = 800;
constexpr int kMainHeight = 600;

// Tabs of the page control, in order.
enum class Tab { Build = 0, Split = 1, View = 2 };

// Which tab receives a drop of files made on the main window.
enum class DropTarget { PageList, SplitTab, Viewer };
DropTarget dropTargetForTab(Tab active);

// The maker's information page for an executable file name ("RidoreVu" → "…/info.php?pf=w&sn=RidoreVu").
QString informationPageUrl(const QString& executableFileName);

}  // namespace app
