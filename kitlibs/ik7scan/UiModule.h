#pragma once
// Ik7ScanUi.so, loaded on first use from the folder of Ik7Scan.so.

#include "ScanUi.h"

namespace scan {

struct UiModule {
    IKScanUiDeviceDialogProc deviceDialog = nullptr;
    IKScanUiSelectSourceProc selectSource = nullptr;
};

// The module's entry points; null members when it is missing.
const UiModule& uiModule();

}  // namespace scan
