#include "UiModule.h"

#include <dlfcn.h>

#include <string>

namespace scan {

namespace {

std::string ownFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&uiModule), &info) || !info.dli_fname) return {};
    const std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

UiModule load() {
    UiModule module;
    void* library = dlopen((ownFolder() + "/Ik7ScanUi.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return module;
    module.deviceDialog = reinterpret_cast<IKScanUiDeviceDialogProc>(dlsym(library, "IKScanUiDeviceDialog"));
    module.selectSource = reinterpret_cast<IKScanUiSelectSourceProc>(dlsym(library, "IKScanUiSelectSource"));
    // Kept loaded: widgets made by it may outlive a call.
    return module;
}

}  // namespace

const UiModule& uiModule() {
    static const UiModule module = load();
    return module;
}

}  // namespace scan
