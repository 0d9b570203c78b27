#include "UiModule.h"

#include "KitCall.h"

#include <mutex>

namespace scan {

namespace {
std::mutex gMutex;
UiModule gModule;
}  // namespace

UiModule uiModule() {
    std::lock_guard lock(gMutex);
    return gModule;
}

void setUiModule(const UiModule& module) {
    std::lock_guard lock(gMutex);
    gModule = module;
}

}  // namespace scan

IK_API IKBOOL IKScanSetDialogs(IKScanUiDeviceDialogProc deviceDialog, IKScanUiSelectSourceProc selectSource) {
    scan::setUiModule({deviceDialog, selectSource});
    platform::setKitStatus(IK_OK);
    return IK_TRUE;
}
