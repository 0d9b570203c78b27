#include "Ikscan.h"

#include "scan/ScanDialogs.h"

#include "platform/GlobalMemory.h"

#include <QApplication>
#include <QByteArray>
#include <QMessageBox>
#include <QWidget>

#include <cmath>
#include <cstddef>
#include <cstring>

using namespace Ikdllprocs;

// The scan record's layout, as the library reads it.
static_assert(offsetof(IKSCANRECORD, pixelType) == 2);
static_assert(offsetof(IKSCANRECORD, rectLeft) == 4 && offsetof(IKSCANRECORD, rectBottom) == 16);
static_assert(offsetof(IKSCANRECORD, xResolution) == 20 && offsetof(IKSCANRECORD, yScaling) == 32);
static_assert(offsetof(IKSCANRECORD, bitDepth) == 36 && offsetof(IKSCANRECORD, gamma) == 44);
static_assert(offsetof(IKSCANRECORD, highlight) == 48 && offsetof(IKSCANRECORD, indicator) == 54);
static_assert(offsetof(IKSCANRECORD, scanMode) == 56 && offsetof(IKSCANRECORD, sourceName) == 60);
static_assert(offsetof(IKSCANRECORD, uiMode) == 64 && offsetof(IKSCANRECORD, transferCount) == 70);
static_assert(offsetof(IKSCANRECORD, transferMode) == 74 && offsetof(IKSCANRECORD, value1) == 78);
static_assert(offsetof(IKSCANRECORD, scanText) == 84 && offsetof(IKSCANRECORD, dropoutColor) == 100);
static_assert(offsetof(IKSCANRECORD, value3) == 102 && offsetof(IKSCANRECORD, value4) == 104);

namespace {

// The record's value for vikScanPixelAutomation.
constexpr std::uint16_t kAutomaticPixelType = 1000;
constexpr std::int32_t kGoOn = -1;
constexpr std::int32_t kStop = 0;

// A text handed inside the record: a global memory block of NUL-terminated UTF-8, none
// for an empty text.
platform::GlobalBlock textBlock(const QString& text) {
    if (text.isEmpty()) return {};
    const QByteArray utf8 = text.toUtf8();
    platform::GlobalBlock block(platform::globalAlloc(static_cast<std::size_t>(utf8.size()) + 1, true));
    if (const platform::GlobalLock lock(block.get()); lock)
        std::memcpy(lock.data(), utf8.constData(), static_cast<std::size_t>(utf8.size()));
    return block;
}

// Comma-terminated texts in order; a last text without its comma is dropped.
QStringList commaTerminatedTexts(const char* buffer, std::size_t capacity) {
    const QString text = QString::fromUtf8(buffer, static_cast<qsizetype>(strnlen(buffer, capacity)));
    QStringList texts = text.split(u',');
    texts.removeLast();  // the remainder after the last comma
    return texts;
}

}  // namespace

// The record's text blocks live until the library call has returned.
struct TVIkScan::RecordTexts {
    platform::GlobalBlock sourceName;
    platform::GlobalBlock scanText;
};

TVIkScan::TVIkScan(QObject* owner) : QObject(owner), attachment_(vikGroupMain) { ClearProperty(); }

TVIkScan::~TVIkScan() {
    if (current_ == this) current_ = nullptr;
    if (Source_ && Connection_ && IkScanCloseDS) IkScanCloseDS(Connection_, Source_);
    Source_ = 0;
    if (Connection_ && IkScanTerminate) IkScanTerminate(Connection_);
    Connection_ = 0;
}

void TVIkScan::ClearProperty() {
    BitDepth_ = 24;
    Compression_ = 0;
    Indicator_ = true;
    Orientation_ = vikScanRotate0;
    PixelType_ = vikScanPixelRGB;
    RectLeft_ = RectTop_ = RectRight_ = RectBottom_ = 0;
    ScanMode_ = vikScanDOC;
    TransferMode_ = vikScanNative;
    UiMode_ = vikScanUI;
    UnitMode_ = vikScanInch;
    XResolution_ = YResolution_ = 0;
    FpuException_ = false;
    OnBeforeScan = nullptr;
    OnScanning = nullptr;
    OnAfterScan = nullptr;
    Brightness = Contrast = 0;
    Gamma = 2.2f;
    Highlight = 255;
    Threshold = 128;
    Shadow = 0;
    SourceName.clear();
    XScaling = YScaling = 1.0f;
    ScanValue0 = 0;
    TransferCount = -1;
    ScanValue1 = ScanValue2 = 0;
    ScanText.clear();
    Cancel = false;
    SourceList_.clear();
    ScanResult_ = 0;
    ErrorCode_ = kStatusOk;
    CapTexts_.clear();
    DropoutColor = vikDropoutColorNone;
    ScanValue3 = 0;
    ScanValue4 = 0;
}

void TVIkScan::takeStatus() { ErrorCode_ = IkGetErrorStatus ? IkGetErrorStatus() : kStatusUnavailable; }

bool TVIkScan::unavailable() {
    ErrorCode_ = kStatusUnavailable;
    return false;
}

// The owner's window when the owner is a widget, else the application's main window.
void* TVIkScan::window() const {
    if (auto* widget = qobject_cast<QWidget*>(parent())) return widget->window();
    if (QWidget* active = QApplication::activeWindow()) return active;
    const QWidgetList tops = QApplication::topLevelWidgets();
    return tops.isEmpty() ? nullptr : tops.first();
}

// ---- connection and sources ---------------------------------------------------------

bool TVIkScan::ScanInitialize(std::int16_t major, std::int16_t minor, const QString& version,
                              const QString& manufacturer, const QString& family, const QString& product) {
    if (!IkScanInitialize) return unavailable();
    if (Connection_) {
        ErrorCode_ = kStatusOk;
        return true;
    }
    // The library has no widgets of its own: the source's dialogs come from here.
    if (IkScanSetDialogs) IkScanSetDialogs(scandialogs::ShowDeviceDialog, scandialogs::SelectSource);
    const QByteArray v = version.toUtf8(), m = manufacturer.toUtf8(), f = family.toUtf8(), p = product.toUtf8();
    Connection_ = IkScanInitialize(window(), major, minor, v.constData(), m.constData(), f.constData(), p.constData());
    takeStatus();
    return Connection_ != 0;
}

bool TVIkScan::ScanList() {
    SourceList_.clear();
    DefaultSourceIndex_ = -1;
    if (!IkScanList) return unavailable();
    char buffer[IK_SCAN_LIST_BYTES] = {};
    std::int32_t count = 0;
    const bool ok = IkScanList(Connection_, buffer, &count) != 0;
    takeStatus();
    if (!ok || count <= 0) return ok;
    // The first text is the default source's name, the others the sources in order.
    QStringList texts = commaTerminatedTexts(buffer, sizeof buffer);
    if (texts.isEmpty()) return ok;
    const QString defaultName = texts.takeFirst();
    for (const QString& name : texts) {
        if (name == defaultName) DefaultSourceIndex_ = static_cast<std::int32_t>(SourceList_.size());
        SourceList_.append(name);
    }
    return ok;
}

bool TVIkScan::ScanSelect() {
    if (!IkScanSelect) return unavailable();
    IKSCANIDENTITY identity{};
    const bool ok = IkScanSelect(Connection_, &identity) != 0;
    takeStatus();
    if (ok) {
        SourceIdentity_ = identity;
        const QString product = QString::fromUtf8(
            identity.productName, static_cast<qsizetype>(strnlen(identity.productName, sizeof identity.productName)));
        DefaultSourceIndex_ = static_cast<std::int32_t>(SourceList_.indexOf(product));
    }
    return ok;
}

bool TVIkScan::ScanGetDSInfo() {
    if (!IkScanGetDSInfo) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    const bool ok = IkScanGetDSInfo(Connection_, name.constData(), &SourceIdentity_) != 0;
    takeStatus();
    return ok;
}

bool TVIkScan::ScanOpenDS() {
    if (!IkScanOpenDS) return unavailable();
    if (Source_) {
        ErrorCode_ = kStatusOk;
        return true;
    }
    const QByteArray name = SourceName.toUtf8();
    Source_ = IkScanOpenDS(Connection_, name.constData());
    takeStatus();
    return Source_ != 0;
}

bool TVIkScan::ScanCloseDS() {
    bool ok = true;
    if (!IkScanCloseDS) ok = unavailable();
    else if (Connection_ && Source_) {
        ok = IkScanCloseDS(Connection_, Source_) != 0;
        takeStatus();
    } else
        ErrorCode_ = kStatusOk;
    Source_ = 0;
    return ok;
}

bool TVIkScan::ScanTerminate() {
    bool ok = true;
    if (!IkScanTerminate) ok = unavailable();
    else if (Connection_) {
        ok = IkScanTerminate(Connection_) != 0;
        takeStatus();
    } else
        ErrorCode_ = kStatusOk;
    Connection_ = 0;
    return ok;
}

bool TVIkScan::IsOpenDS() {
    ErrorCode_ = kStatusOk;
    return Source_ != 0;
}

// ---- acquisition --------------------------------------------------------------------

void TVIkScan::fillRecord(IKSCANRECORD& r, RecordTexts& texts) const {
    std::memset(&r, 0, sizeof r);
    r.pixelType = PixelType_ == vikScanPixelAutomation ? kAutomaticPixelType : std::uint16_t{PixelType_};
    r.rectLeft = RectLeft_;
    r.rectTop = RectTop_;
    r.rectRight = RectRight_;
    r.rectBottom = RectBottom_;
    r.xResolution = XResolution_;
    r.yResolution = YResolution_;
    r.xScaling = XScaling;
    r.yScaling = YScaling;
    r.bitDepth = BitDepth_;
    r.brightness = Brightness;
    r.contrast = Contrast;
    r.gamma = Gamma;
    r.highlight = Highlight;
    r.threshold = Threshold;
    r.shadow = Shadow;
    r.indicator = Indicator_ ? 0xFFFF : 0;
    r.scanMode = ScanMode_;
    texts.sourceName = textBlock(SourceName);
    r.sourceName = texts.sourceName.get();
    r.uiMode = UiMode_;
    r.unitMode = UnitMode_;
    r.value0 = ScanValue0;
    r.transferCount = TransferCount;
    r.orientation = Orientation_;
    r.transferMode = TransferMode_;
    r.compression = static_cast<std::uint16_t>(Compression_);
    r.value1 = ScanValue1;
    r.value2 = ScanValue2;
    texts.scanText = textBlock(ScanText);
    r.scanText = texts.scanText.get();
    r.dropoutColor = DropoutColor;
    r.value3 = ScanValue3;
    r.value4 = ScanValue4;
}

// After a successful acquisition the members take the values the device used.
void TVIkScan::readBack(const IKSCANRECORD& r) {
    // An automatic pixel type the library left unresolved stays automatic.
    if (r.pixelType != kAutomaticPixelType) PixelType_ = static_cast<TVIkScanPixelType>(r.pixelType & 0xFF);
    RectLeft_ = r.rectLeft;
    RectTop_ = r.rectTop;
    RectRight_ = r.rectRight;
    RectBottom_ = r.rectBottom;
    XResolution_ = r.xResolution;
    YResolution_ = r.yResolution;
    SetBitDepth(r.bitDepth);
    UnitMode_ = static_cast<TVIkScanUnit>(r.unitMode & 0xFF);
}

bool TVIkScan::ScanExec() { return ScanExec(nullptr, 0); }

bool TVIkScan::ScanExec(const std::int32_t* indices, std::int32_t count) {
    if (!IkScanExec) return unavailable();
    Cancel = false;
    IKSCANRECORD record;
    RecordTexts texts;
    fillRecord(record, texts);
    if (ScanMode_ == vikScanCAMArray || ScanMode_ == vikScanCAMThumbArray) {
        if (!indices || count <= 0) {
            ErrorCode_ = kStatusBadArgument;
            return false;
        }
        record.transferCount = static_cast<std::int16_t>(count);
    } else
        indices = nullptr;
    if (!current_) current_ = this;
    // FpuException: masking x87 exceptions (control word 0x133F) protected the program from
    // sources that ran floating-point code with exceptions unmasked. Our sources are SANE
    // backends reached through our own library, which never unmask floating-point
    // exceptions, and x86-64 code computes with SSE, not the x87 unit: masking is not needed.
    ScanResult_ = IkScanExec(Connection_, Source_, &record, beforeScan, scanning, afterScan, indices);
    current_ = nullptr;
    takeStatus();
    if (ErrorCode_ != kStatusOk) return false;
    readBack(record);
    return true;
}

bool TVIkScan::goesOn() { return current_ && !current_->Cancel; }

std::int32_t TVIkScan::beforeScan(const IKSCANBEFORE* next, std::int32_t imageCount) {
    if (!current_ || !next) return kStop;
    current_->DoBeforeScan(next->width, next->height, imageCount);
    if (!goesOn()) return kStop;
    TVIkScan& c = *current_;
    c.XResolution_ = static_cast<std::int32_t>(std::lround(next->xResolution));
    c.YResolution_ = static_cast<std::int32_t>(std::lround(next->yResolution));
    c.SetBitDepth(next->bitsPerPixel);
    c.PixelType_ = static_cast<TVIkScanPixelType>(next->pixelType);
    c.Compression_ = static_cast<std::int16_t>(next->compression);
    return kGoOn;
}

std::int32_t TVIkScan::scanning(std::int32_t percent) {
    if (!current_) return kStop;
    current_->DoScanning(static_cast<std::int16_t>(percent & 0xFFFF));
    return goesOn() ? kGoOn : kStop;
}

std::int32_t TVIkScan::afterScan(IKHANDLE dib, IKHANDLE original, std::int32_t imageCount, std::int16_t bitOrder) {
    if (!current_) return kStop;
    current_->DoAfterScan(dib, original, imageCount, bitOrder);
    return goesOn() ? kGoOn : kStop;
}

void TVIkScan::DoBeforeScan(std::int32_t AWidth, std::int32_t AHeight, std::int32_t ImageCount) {
    if (OnBeforeScan) OnBeforeScan(this, AWidth, AHeight, ImageCount);
}

void TVIkScan::DoScanning(std::int16_t Percent) {
    if (OnScanning) OnScanning(this, Percent);
}

void TVIkScan::DoAfterScan(std::uint32_t DibHandle, std::uint32_t OrgHandle, std::int32_t ImageCount,
                           std::int16_t BitOrder) {
    if (OnAfterScan) OnAfterScan(this, DibHandle, OrgHandle, ImageCount, BitOrder);
}

// ---- capabilities -------------------------------------------------------------------

std::int32_t TVIkScan::ScanGetPixelType(std::int16_t* types, std::int32_t count) {
    if (!IkScanGetPixelType) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    const std::int32_t result = IkScanGetPixelType(Connection_, Source_, name.constData(), types, types ? count : 0);
    takeStatus();
    return result;
}

std::int32_t TVIkScan::ScanGetBitDepth(std::int16_t* depths, std::int32_t count) {
    if (!IkScanGetBitDepth) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    const std::int32_t result =
        IkScanGetBitDepth(Connection_, Source_, name.constData(), PixelType_, depths, depths ? count : 0);
    takeStatus();
    return result;
}

bool TVIkScan::ScanGetPhysicalSize(float& width, float& height) {
    if (!IkScanGetPhysicalSize) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    const bool ok =
        IkScanGetPhysicalSize(Connection_, Source_, name.constData(), ScanMode_, UnitMode_, &width, &height) != 0;
    takeStatus();
    return ok;
}

bool TVIkScan::ScanGetMinimumSize(float& width, float& height) {
    if (!IkScanGetMinimumSize) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    const bool ok =
        IkScanGetMinimumSize(Connection_, Source_, name.constData(), ScanMode_, UnitMode_, &width, &height) != 0;
    takeStatus();
    return ok;
}

// Floating-point masking is a no-op here, as for ScanExec.
bool TVIkScan::ScanIsCapSupported(std::uint16_t capability, std::int32_t& supported) {
    if (!IkScanIsCapSupported) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    const bool ok = IkScanIsCapSupported(Connection_, Source_, name.constData(), capability, &supported) != 0;
    takeStatus();
    return ok;
}

bool TVIkScan::ScanGetCapRange(std::uint16_t capability, std::uint16_t& valueType) {
    if (!IkScanGetCapRange) return unavailable();
    const QByteArray name = SourceName.toUtf8();
    std::int32_t range[5] = {};
    const bool ok = IkScanGetCapRange(Connection_, Source_, name.constData(), capability, &valueType, range) != 0;
    takeStatus();
    if (ok) std::copy(std::begin(range), std::end(range), CapRange_.begin());
    return ok;
}

std::int32_t TVIkScan::ScanGetCapEnum(std::uint16_t capability, std::uint16_t valueType, float* values,
                                      std::int32_t count, std::int32_t& current, std::int32_t& defaultIndex) {
    if (!IkScanGetCapEnum) return unavailable();
    const bool halftones = capability == kCapHalftones;
    if (halftones) CapTexts_.clear();
    const QByteArray name = SourceName.toUtf8();
    char texts[IK_SCAN_CAP_TEXT_BYTES] = {};
    const std::int32_t result = IkScanGetCapEnum(Connection_, Source_, name.constData(), capability, valueType, values,
                                                 texts, &current, &defaultIndex, values ? count : 0);
    takeStatus();
    if (halftones && ErrorCode_ == kStatusOk) CapTexts_ = commaTerminatedTexts(texts, sizeof texts);
    return result;
}

QString TVIkScan::LastErrorText(QString* device) const {
    if (device) device->clear();
    if (!IkScanLastErrorText) return {};
    char text[512] = {}, name[128] = {};
    IkScanLastErrorText(text, static_cast<std::int32_t>(sizeof text), name, static_cast<std::int32_t>(sizeof name));
    if (device) *device = QString::fromUtf8(name, static_cast<qsizetype>(strnlen(name, sizeof name)));
    return QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, sizeof text)));
}

void TVIkScan::About() {
    QMessageBox::about(static_cast<QWidget*>(window()), QStringLiteral("RoduvIzi7"), Ikinit::versionReport());
}
