#include "ScanSession.h"

#include "DefaultSource.h"
#include "KitCall.h"
#include "ScanStatus.h"
#include "SourceNames.h"

namespace scan {

ScanSession& ScanSession::instance() {
    static ScanSession session;
    return session;
}

IKSCANCONNECTION ScanSession::initialize(void* window) {
    std::lock_guard lock(mutex_);
    if (connection_) {
        ++users_;
        return connection_;
    }
    SANE_Int version = 0;
    const SANE_Status status = sane_init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
        recordDeviceFailure(status, std::string());
        return kit::fail<IKSCANCONNECTION>(IK_ERR_SCAN_SANE, 0);
    }
    connection_ = nextConnection_++;
    users_ = 1;
    window_ = window;
    return connection_;
}

bool ScanSession::terminate(IKSCANCONNECTION connection) {
    std::lock_guard lock(mutex_);
    if (!connection || connection != connection_) return kit::fail(IK_ERR_ARGUMENT, false);
    if (--users_ > 0) return true;
    for (auto& [id, source] : sources_) sane_close(source.handle);
    sources_.clear();
    sane_exit();
    connection_ = 0;
    window_ = nullptr;
    return true;
}

bool ScanSession::connected(IKSCANCONNECTION connection) const {
    std::lock_guard lock(mutex_);
    return connection != 0 && connection == connection_;
}

std::vector<DeviceInfo> ScanSession::devices() {
    std::vector<DeviceInfo> result;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return result;
    std::vector<std::string> models, saneNames;
    for (const SANE_Device** d = list; *d; ++d) {
        DeviceInfo info;
        info.saneName = (*d)->name ? (*d)->name : "";
        info.vendor = (*d)->vendor ? (*d)->vendor : "";
        info.model = (*d)->model ? (*d)->model : "";
        info.type = (*d)->type ? (*d)->type : "";
        models.push_back(info.model);
        saneNames.push_back(info.saneName);
        result.push_back(std::move(info));
    }
    const std::vector<std::string> names = productNames(models, saneNames);
    for (std::size_t i = 0; i < result.size(); ++i) result[i].productName = names[i];
    return result;
}

bool ScanSession::defaultDevice(const std::vector<DeviceInfo>& devices, DeviceInfo& device) const {
    if (devices.empty()) return false;
    const std::string remembered = readDefaultSource();
    for (const DeviceInfo& d : devices) {
        if (!remembered.empty() && d.saneName == remembered) {
            device = d;
            return true;
        }
    }
    device = devices.front();
    return true;
}

bool ScanSession::findDevice(const std::string& name, DeviceInfo& device) {
    const std::vector<DeviceInfo> all = devices();
    if (name.empty()) return defaultDevice(all, device);
    for (const DeviceInfo& d : all) {
        if (d.productName == name) {
            device = d;
            return true;
        }
    }
    for (const DeviceInfo& d : all) {
        if (d.saneName == name) {
            device = d;
            return true;
        }
    }
    return false;
}

void ScanSession::rememberDefault(const DeviceInfo& device) { writeDefaultSource(device.saneName); }

IKSCANSOURCE ScanSession::open(const DeviceInfo& device) {
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(device.saneName.c_str(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        recordDeviceFailure(status, device.productName);
        return kit::fail<IKSCANSOURCE>(status == SANE_STATUS_INVAL ? std::uint16_t{IK_ERR_SCAN_NO_SOURCE} : statusOf(status), 0);
    }
    std::lock_guard lock(mutex_);
    const IKSCANSOURCE id = nextSource_++;
    sources_[id] = OpenSource{handle, device};
    return id;
}

OpenSource* ScanSession::source(IKSCANSOURCE source) {
    std::lock_guard lock(mutex_);
    const auto it = sources_.find(source);
    return it == sources_.end() ? nullptr : &it->second;
}

bool ScanSession::close(IKSCANSOURCE source) {
    std::lock_guard lock(mutex_);
    const auto it = sources_.find(source);
    if (it == sources_.end()) return false;
    sane_close(it->second.handle);
    sources_.erase(it);
    return true;
}

}  // namespace scan
