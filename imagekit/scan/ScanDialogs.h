#pragma once
// The source's dialogs the program hands to Ik7Scan.so (IKScanSetDialogs): the device
// dialog built from the device's options and the list of sources.

#include "ik7kit.h"

namespace scandialogs {

int ShowDeviceDialog(scanui::DeviceModel* model, void* parent, int closeAfterTransfer);
int SelectSource(const char* const* names, int count, int current, void* parent);

}  // namespace scandialogs
