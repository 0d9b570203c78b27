#include "SourceAccess.h"

#include "SourceNames.h"
#include "platform/GlobalMemory.h"
#include "platform/KitStatus.h"

#include <cstring>

namespace scan {

SourceAccess::SourceAccess(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name) {
    ScanSession& session = ScanSession::instance();
    if (!session.connected(connection)) {
        status_ = IK_ERR_ARGUMENT;
        return;
    }
    if (source) {
        source_ = session.source(source);
        if (!source_) status_ = IK_ERR_ARGUMENT;
        return;
    }
    DeviceInfo device;
    if (!session.findDevice(name ? name : "", device)) {
        status_ = IK_ERR_SCAN_NO_SOURCE;
        return;
    }
    opened_ = session.open(device);
    if (!opened_) {
        status_ = platform::kitStatus();
        return;
    }
    source_ = session.source(opened_);
}

SourceAccess::~SourceAccess() {
    if (opened_) ScanSession::instance().close(opened_);
}

std::optional<std::string> handleText(std::uint32_t handle) {
    if (!handle) return std::string();
    platform::GlobalLock lock(handle);
    if (!lock) return std::nullopt;
    const char* text = lock.as<const char>();
    const void* end = std::memchr(text, '\0', lock.size());
    if (!end) return std::nullopt;
    return std::string(text, static_cast<const char*>(end));
}

void copyField(char* field, std::size_t size, const std::string& text) {
    if (size == 0) return;
    const std::string cut = cutUtf8(text, size - 1);
    std::memcpy(field, cut.data(), cut.size());
    std::memset(field + cut.size(), 0, size - cut.size());
}

}  // namespace scan
