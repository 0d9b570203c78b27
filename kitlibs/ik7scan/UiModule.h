#pragma once
// The source's dialogs, as the program gave them (IKScanSetDialogs); Ik7Scan.so itself
// links no Qt Widgets.

#include "ik7kit.h"
#include "ik7scanui.h"

namespace scan {

struct UiModule {
    IKScanUiDeviceDialogProc deviceDialog = nullptr;
    IKScanUiSelectSourceProc selectSource = nullptr;
};

// The dialogs given last; null members when none were.
UiModule uiModule();
void setUiModule(const UiModule& module);

}  // namespace scan
