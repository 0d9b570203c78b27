#pragma once
// The process's connection to SANE and its table of open sources. Handles are small
// nonzero numbers that are never reused in one process, so a stale one fails cleanly.

#include "ik7kit.h"

#include <sane/sane.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace scan {

struct DeviceInfo {
    std::string saneName;
    std::string vendor;
    std::string model;
    std::string type;
    std::string productName;  // the listed name, distinct among the devices
};

struct OpenSource {
    SANE_Handle handle = nullptr;
    DeviceInfo device;
};

class ScanSession {
public:
    static ScanSession& instance();

    // Starts SANE on the first call; later calls while connected count one more user and
    // return the same handle. 0 with a status when SANE cannot start.
    IKSCANCONNECTION initialize(void* window);
    // Drops one user; the last one closes every open source and ends SANE.
    bool terminate(IKSCANCONNECTION connection);
    bool connected(IKSCANCONNECTION connection) const;
    void* window() const { return window_; }

    // SANE's device list now, with product names.
    std::vector<DeviceInfo> devices();
    // The device of a product name (or a SANE name); empty = the default source.
    bool findDevice(const std::string& name, DeviceInfo& device);
    // The default source: the one last used successfully, else the first device.
    bool defaultDevice(const std::vector<DeviceInfo>& devices, DeviceInfo& device) const;
    void rememberDefault(const DeviceInfo& device);

    // Opens a device; 0 with a status on failure.
    IKSCANSOURCE open(const DeviceInfo& device);
    OpenSource* source(IKSCANSOURCE source);
    bool close(IKSCANSOURCE source);

private:
    mutable std::mutex mutex_;
    IKSCANCONNECTION connection_ = 0;
    IKSCANCONNECTION nextConnection_ = 1;
    int users_ = 0;
    void* window_ = nullptr;
    std::map<IKSCANSOURCE, OpenSource> sources_;
    IKSCANSOURCE nextSource_ = 1;
};

}  // namespace scan
