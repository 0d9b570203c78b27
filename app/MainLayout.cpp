#include "app/MainLayout.h"

#include <QFileInfo>

namespace app {

DropTarget dropTargetForTab(Tab active) {
    switch (active) {
        case Tab::Build: return DropTarget::PageList;
        case Tab::Split: return DropTarget::SplitTab;
        case Tab::View: return DropTarget::Viewer;
    }
    return DropTarget::PageList;
}

QString informationPageUrl(const QString& executableFileName) {
    return QStringLiteral("https://www.vidirazorod.example/info.php?pf=w&sn=") +
           QFileInfo(executableFileName).completeBaseName();
}

}  // namespace app
