// Ik7Scan.so: the connection, the source list and identities, opening sources, and the
// acquisition export.
#include "DeviceSettings.h"
#include "DialogModel.h"
#include "KitCall.h"
#include "ScanJob.h"
#include "ScanSession.h"
#include "ScanStatus.h"
#include "SourceAccess.h"
#include "SourceNames.h"
#include "UiModule.h"
#include "ik7kit.h"

#include <sane/sane.h>

#include <cstring>

using namespace scan;
using kit::fail;
using kit::guarded;

namespace {

void fillIdentity(IKSCANIDENTITY& identity, const DeviceInfo& device, int index, int count) {
    std::memset(&identity, 0, sizeof identity);
    identity.version1 = SANE_CURRENT_MAJOR;
    identity.version2 = 0;
    copyField(identity.text1, sizeof identity.text1, device.vendor);
    copyField(identity.text2, sizeof identity.text2, device.type);
    copyField(identity.productName, sizeof identity.productName, device.productName);
    identity.number3 = static_cast<std::uint16_t>(index);
    identity.number4 = static_cast<std::uint16_t>(count);
    copyField(identity.text4, sizeof identity.text4, device.saneName);
}

int indexOf(const std::vector<DeviceInfo>& devices, const DeviceInfo& device) {
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].saneName == device.saneName) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> productNamesOf(const std::vector<DeviceInfo>& devices) {
    std::vector<std::string> names;
    for (const DeviceInfo& d : devices) names.push_back(d.productName);
    return names;
}

}  // namespace

IK_API IKSCANCONNECTION IKScanInitialize(void* window, int16_t, int16_t, const char*, const char*, const char*,
                                         const char*) {
    return guarded<IKSCANCONNECTION>(0, [&] { return ScanSession::instance().initialize(window); });
}

IK_API IKBOOL IKScanTerminate(IKSCANCONNECTION connection) {
    return guarded(IK_FALSE, [&] { return ScanSession::instance().terminate(connection) ? IK_TRUE : IK_FALSE; });
}

IK_API int32_t IKScanListLen(IKSCANCONNECTION connection) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        ScanSession& session = ScanSession::instance();
        if (!session.connected(connection)) return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        const auto devices = session.devices();
        DeviceInfo first;
        const std::string defaultName = session.defaultDevice(devices, first) ? first.productName : std::string();
        if (devices.empty()) return 1;
        return static_cast<int32_t>(listTextBytes(defaultName, productNamesOf(devices)));
    });
}

IK_API IKBOOL IKScanList(IKSCANCONNECTION connection, char* buffer, int32_t* count) {
    return guarded(IK_FALSE, [&]() -> IKBOOL {
        ScanSession& session = ScanSession::instance();
        if (!buffer || !count) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        buffer[0] = '\0';
        *count = 0;
        if (!session.connected(connection)) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const auto devices = session.devices();
        DeviceInfo defaultDevice;
        if (!session.defaultDevice(devices, defaultDevice)) return IK_TRUE;  // no sources: an empty list
        const ListText list = buildListText(defaultDevice.productName, productNamesOf(devices), IK_SCAN_LIST_BYTES);
        std::memcpy(buffer, list.text.c_str(), list.text.size() + 1);
        *count = list.count;
        // Names left out: the list is still usable, the status tells that it is short.
        if (!list.complete) platform::setKitStatus(IK_ERR_SCAN_TRUNCATED);
        return IK_TRUE;
    });
}

IK_API IKBOOL IKScanGetDSInfo(IKSCANCONNECTION connection, const char* name, IKSCANIDENTITY* identity) {
    return guarded(IK_FALSE, [&]() -> IKBOOL {
        ScanSession& session = ScanSession::instance();
        if (!identity || !session.connected(connection)) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const auto devices = session.devices();
        DeviceInfo device;
        if (!session.findDevice(name ? name : "", device)) return fail(IK_ERR_SCAN_NO_SOURCE, IK_FALSE);
        fillIdentity(*identity, device, indexOf(devices, device), static_cast<int>(devices.size()));
        return IK_TRUE;
    });
}

IK_API IKBOOL IKScanSelect(IKSCANCONNECTION connection, IKSCANIDENTITY* identity) {
    return guarded(IK_FALSE, [&]() -> IKBOOL {
        ScanSession& session = ScanSession::instance();
        if (!identity || !session.connected(connection)) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const auto devices = session.devices();
        if (devices.empty()) return fail(IK_ERR_SCAN_NO_SOURCE, IK_FALSE);
        const UiModule& ui = uiModule();
        if (!ui.selectSource) return fail(IK_ERR_SCAN_NO_UI, IK_FALSE);
        const std::vector<std::string> names = productNamesOf(devices);
        std::vector<const char*> pointers;
        for (const std::string& n : names) pointers.push_back(n.c_str());
        DeviceInfo current;
        session.defaultDevice(devices, current);
        const int chosen = ui.selectSource(pointers.data(), static_cast<int>(pointers.size()),
                                           indexOf(devices, current), session.window());
        if (chosen == -2) return fail(IK_ERR_SCAN_NO_UI, IK_FALSE);
        if (chosen < 0 || chosen >= static_cast<int>(devices.size())) return fail(IK_ERR_CANCELLED, IK_FALSE);
        fillIdentity(*identity, devices[std::size_t(chosen)], chosen, static_cast<int>(devices.size()));
        session.rememberDefault(devices[std::size_t(chosen)]);
        return IK_TRUE;
    });
}

IK_API IKSCANSOURCE IKScanOpenDS(IKSCANCONNECTION connection, const char* name) {
    return guarded<IKSCANSOURCE>(0, [&]() -> IKSCANSOURCE {
        ScanSession& session = ScanSession::instance();
        if (!session.connected(connection)) return fail<IKSCANSOURCE>(IK_ERR_ARGUMENT, 0);
        DeviceInfo device;
        if (!session.findDevice(name ? name : "", device)) return fail<IKSCANSOURCE>(IK_ERR_SCAN_NO_SOURCE, 0);
        return session.open(device);
    });
}

IK_API IKBOOL IKScanCloseDS(IKSCANCONNECTION connection, IKSCANSOURCE source) {
    return guarded(IK_FALSE, [&]() -> IKBOOL {
        ScanSession& session = ScanSession::instance();
        if (!session.connected(connection) || !session.close(source)) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        return IK_TRUE;
    });
}

IK_API int32_t IKScanExec(IKSCANCONNECTION connection, IKSCANSOURCE source, IKSCANRECORD* record,
                          IKSCANBEFOREPROC before, IKSCANPROGRESSPROC progress, IKSCANAFTERPROC after,
                          const int32_t* indices) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        (void)indices;  // the index modes are camera modes, refused below
        if (!record || record->uiMode > 2 || record->transferMode > 3) return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        if (record->scanMode > 2) return fail<int32_t>(IK_ERR_SCAN_UNSUPPORTED, 0);
        const auto name = handleText(record->sourceName);
        const auto extra = handleText(record->scanText);
        if (!name || !extra) return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        SourceAccess access(connection, source, name->c_str());
        if (!access) return fail<int32_t>(access.status(), 0);
        OpenSource& open = access.source();
        SaneOptions options(open.handle);
        std::string failed;
        std::uint16_t status = applyRecord(options, *record, failed);
        if (status == IK_OK) status = applyOptionLines(options, *extra, failed);
        if (status != IK_OK) {
            recordFailureText("setting not offered: " + failed, open.device.productName);
            return fail<int32_t>(status, 0);
        }
        const AcquisitionCallbacks callbacks{before, progress, after};
        int32_t images = 0;
        if (record->uiMode == 2) {
            const auto acquisition = startAcquisition(open, *record, callbacks);
            acquisition->runToEnd();
            images = acquisition->images();
            status = acquisition->status();
        } else {
            const UiModule& ui = uiModule();
            if (!ui.deviceDialog) return fail<int32_t>(IK_ERR_SCAN_NO_UI, 0);
            DialogModel model(open, *record, callbacks, record->uiMode == 1);
            if (!ui.deviceDialog(&model, ScanSession::instance().window(), record->uiMode == 1))
                return fail<int32_t>(IK_ERR_SCAN_NO_UI, 0);
            images = model.images();
            status = model.status();
        }
        readBack(options, *record);
        if (status == IK_OK && images > 0) ScanSession::instance().rememberDefault(open.device);
        platform::setKitStatus(status);
        return images;
    });
}

IK_API int32_t IKScanLastErrorText(char* text, int32_t textSize, char* device, int32_t deviceSize) {
    const LastFailure failure = lastFailure();
    if (text && textSize > 0) copyField(text, std::size_t(textSize), failure.text);
    if (device && deviceSize > 0) copyField(device, std::size_t(deviceSize), failure.device);
    return failure.saneStatus;
}
