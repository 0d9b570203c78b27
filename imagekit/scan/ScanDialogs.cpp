#include "scan/ScanDialogs.h"

#include "DeviceDialog.h"
#include "SourceListDialog.h"

#include <QApplication>

// Shown only inside a Qt Widgets application.
namespace {
bool widgetsAvailable() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }
}  // namespace

namespace scandialogs {

int ShowDeviceDialog(scanui::DeviceModel* model, void* parent, int closeAfterTransfer) {
    if (!model || !widgetsAvailable()) return 0;
    try {
        DeviceDialog dialog(*model, closeAfterTransfer != 0, static_cast<QWidget*>(parent));
        dialog.exec();
        return 1;
    } catch (...) {
        return 0;
    }
}

int SelectSource(const char* const* names, int count, int current, void* parent) {
    if (!names || count <= 0 || !widgetsAvailable()) return -2;
    try {
        QStringList list;
        for (int i = 0; i < count; ++i) list << QString::fromUtf8(names[i]);
        SourceListDialog dialog(list, current, static_cast<QWidget*>(parent));
        return dialog.exec() == QDialog::Accepted ? dialog.chosen() : -1;
    } catch (...) {
        return -2;
    }
}

}  // namespace scandialogs
