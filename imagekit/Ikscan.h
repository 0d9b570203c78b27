#pragma once
// TVIkScan: the non-visual component that acquires images from scanners through
// Ik7Scan.so. It holds the program's connection, lists the sources, opens one, reads and
// sets the acquisition parameters and runs the acquisition, handing every image to its
// events. A missing library function gives ErrorCode kStatusUnavailable without a call;
// otherwise ErrorCode is the library's status after the call. The component shows
// nothing and raises nothing.

#include "IkAttachment.h"
#include "IkStatus.h"
#include "Ikinit.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

enum TVIkScanOrientation : std::uint8_t {
    vikScanRotate0 = 0,
    vikScanRotate90 = 1,
    vikScanRotate180 = 2,
    vikScanRotate270 = 3,
};

enum TVIkScanPixelType : std::uint8_t {
    vikScanPixelBW = 0,
    vikScanPixelGray = 1,
    vikScanPixelRGB = 2,
    vikScanPixelPalette = 3,
    vikScanPixelCMY = 4,
    vikScanPixelCMYK = 5,
    vikScanPixelYUV = 6,
    vikScanPixelYUVK = 7,
    vikScanPixelCIEXYZ = 8,
    vikScanPixelAutomation = 9,  // handed to the library as 1000
};

// Flatbed, document feeder and camera modes; the two array modes transfer the images an
// index array names.
enum TVIkScanMode : std::uint8_t {
    vikScanDOC = 0,
    vikScanADF1 = 1,
    vikScanADF2 = 2,
    vikScanCAM = 3,
    vikScanCAMArray = 4,
    vikScanCAMThumb = 5,
    vikScanCAMThumbArray = 6,
};

enum TVIkScanTransfer : std::uint8_t {
    vikScanNative = 0,
    vikScanFile = 1,
    vikScanMemory = 2,
    vikScanFile2 = 3,
};

// The source's dialog: left open after acquiring, closed after acquiring, or not shown.
enum TVIkScanUIMode : std::uint8_t { vikScanUI = 0, vikScanUICLOSE = 1, vikScanNONUI = 2 };

enum TVIkScanUnit : std::uint8_t {
    vikScanInch = 0,
    vikScanCM = 1,
    vikScanPica = 2,
    vikScanPoint = 3,
    vikScanTwip = 4,
    vikScanPixel = 5,
};

enum TVIkDropoutColor : std::uint8_t {
    vikDropoutColorRed = 0,
    vikDropoutColorGreen = 1,
    vikDropoutColorBlue = 2,
    vikDropoutColorNone = 3,
    vikDropoutColorWhite = 4,
};

class TVIkScan : public QObject {
public:
    using TVIkScanBeforeEvent =
        std::function<void(TVIkScan* sender, std::int32_t AWidth, std::int32_t AHeight, std::int32_t ImageCount)>;
    using TVIkProgressEvent = std::function<void(TVIkScan* sender, std::int16_t Percent)>;
    using TVIkScanAfterEvent = std::function<void(TVIkScan* sender, std::uint32_t DibHandle, std::uint32_t OrgHandle,
                                                  std::int32_t ImageCount, std::int16_t BitOrder)>;

    // The TWAIN capability whose enumeration texts fill CapTexts.
    static constexpr std::uint16_t kCapHalftones = 4361;

    explicit TVIkScan(QObject* owner = nullptr);
    // Closes an open source and ends the connection, then detaches from the kit.
    ~TVIkScan() override;

    // Events, fired only inside ScanExec through the Do… methods below.
    TVIkScanBeforeEvent OnBeforeScan;
    TVIkProgressEvent OnScanning;
    TVIkScanAfterEvent OnAfterScan;

    // Published properties.
    std::int16_t BitDepth() const { return BitDepth_; }
    void SetBitDepth(std::int16_t value) { BitDepth_ = value < 0 ? 0 : value; }
    std::int16_t Compression() const { return Compression_; }
    void SetCompression(std::int16_t value) { Compression_ = value; }
    bool Indicator() const { return Indicator_; }
    void SetIndicator(bool value) { Indicator_ = value; }
    TVIkScanOrientation Orientation() const { return Orientation_; }
    void SetOrientation(TVIkScanOrientation value) { Orientation_ = value; }
    TVIkScanPixelType PixelType() const { return PixelType_; }
    void SetPixelType(TVIkScanPixelType value) { PixelType_ = value; }
    float RectLeft() const { return RectLeft_; }
    void SetRectLeft(float value) { RectLeft_ = value; }
    float RectTop() const { return RectTop_; }
    void SetRectTop(float value) { RectTop_ = value; }
    float RectRight() const { return RectRight_; }
    void SetRectRight(float value) { RectRight_ = value; }
    float RectBottom() const { return RectBottom_; }
    void SetRectBottom(float value) { RectBottom_ = value; }
    TVIkScanMode ScanMode() const { return ScanMode_; }
    void SetScanMode(TVIkScanMode value) { ScanMode_ = value; }
    TVIkScanTransfer TransferMode() const { return TransferMode_; }
    void SetTransferMode(TVIkScanTransfer value) { TransferMode_ = value; }
    TVIkScanUIMode UiMode() const { return UiMode_; }
    void SetUiMode(TVIkScanUIMode value) { UiMode_ = value; }
    TVIkScanUnit UnitMode() const { return UnitMode_; }
    void SetUnitMode(TVIkScanUnit value) { UnitMode_ = value; }
    std::int32_t XResolution() const { return XResolution_; }
    void SetXResolution(std::int32_t value) { XResolution_ = value; }
    std::int32_t YResolution() const { return YResolution_; }
    void SetYResolution(std::int32_t value) { YResolution_ = value; }
    // Masking floating-point exceptions around the source's calls means nothing here (see
    // the implementation); the flag is kept for the callers that set it.
    bool FpuException() const { return FpuException_; }
    void SetFpuException(bool value) { FpuException_ = value; }

    // Public members, in the order of the scan record they feed.
    std::int16_t Brightness = 0;
    std::int16_t Contrast = 0;
    float Gamma = 2.2f;
    std::int16_t Highlight = 255;
    std::int16_t Threshold = 128;
    std::int16_t Shadow = 0;
    // The source to use, by product name; empty = the default source.
    QString SourceName;
    float XScaling = 1.0f;
    float YScaling = 1.0f;
    std::int16_t ScanValue0 = 0;
    // Images to transfer; -1 = all the source offers.
    std::int16_t TransferCount = -1;
    std::int16_t ScanValue1 = 0;
    std::int16_t ScanValue2 = 0;
    QString ScanText;
    // Set during ScanExec (by an event handler) to stop; ScanExec clears it when it starts.
    bool Cancel = false;
    TVIkDropoutColor DropoutColor = vikDropoutColorNone;
    std::uint8_t ScanValue3 = 0;
    std::int16_t ScanValue4 = 0;

    // Results.
    IKSCANCONNECTION Connection() const { return Connection_; }
    IKSCANSOURCE Source() const { return Source_; }
    const QStringList& SourceList() const { return SourceList_; }
    std::int32_t ScanResult() const { return ScanResult_; }
    std::uint16_t ErrorCode() const { return ErrorCode_; }
    const QStringList& CapTexts() const { return CapTexts_; }
    const IKSCANIDENTITY& SourceIdentity() const { return SourceIdentity_; }
    // Minimum, maximum, step, default and current value of the last ScanGetCapRange.
    const std::array<std::int32_t, 5>& CapRange() const { return CapRange_; }
    // Position in SourceList of the default source (after ScanList) or of the chosen one
    // (after ScanSelect); -1 = none.
    std::int32_t DefaultSourceIndex() const { return DefaultSourceIndex_; }

    // A connection exists afterwards; when one exists already nothing is called.
    bool ScanInitialize(std::int16_t major, std::int16_t minor, const QString& version, const QString& manufacturer,
                        const QString& family, const QString& product);
    bool ScanList();
    bool ScanSelect();
    bool ScanGetDSInfo();
    bool ScanOpenDS();
    bool ScanCloseDS();
    bool ScanTerminate();
    bool IsOpenDS();
    // Runs an acquisition. `indices` (with `count` elements) names the images to transfer
    // in the two array modes, which require it.
    bool ScanExec(const std::int32_t* indices, std::int32_t count);
    bool ScanExec();
    std::int32_t ScanGetPixelType(std::int16_t* types, std::int32_t count);
    std::int32_t ScanGetBitDepth(std::int16_t* depths, std::int32_t count);
    bool ScanGetPhysicalSize(float& width, float& height);
    bool ScanGetMinimumSize(float& width, float& height);
    bool ScanIsCapSupported(std::uint16_t capability, std::int32_t& supported);
    bool ScanGetCapRange(std::uint16_t capability, std::uint16_t& valueType);
    std::int32_t ScanGetCapEnum(std::uint16_t capability, std::uint16_t valueType, float* values, std::int32_t count,
                                std::int32_t& current, std::int32_t& defaultIndex);
    // SANE's text for the last device failure of the process, and into `device` the name of
    // the source that failed; empty when the library has none (or lacks the function).
    QString LastErrorText(QString* device = nullptr) const;
    // Puts every scan setting back to its initial value.
    void ClearProperty();
    void About();

protected:
    virtual void DoBeforeScan(std::int32_t AWidth, std::int32_t AHeight, std::int32_t ImageCount);
    virtual void DoScanning(std::int16_t Percent);
    virtual void DoAfterScan(std::uint32_t DibHandle, std::uint32_t OrgHandle, std::int32_t ImageCount,
                             std::int16_t BitOrder);

private:
    struct RecordTexts;
    void fillRecord(IKSCANRECORD& record, RecordTexts& texts) const;
    void readBack(const IKSCANRECORD& record);
    void takeStatus();
    bool unavailable();
    void* window() const;

    // The three functions handed to IKScanExec; they report to the current component.
    static std::int32_t beforeScan(const IKSCANBEFORE* next, std::int32_t imageCount);
    static std::int32_t scanning(std::int32_t percent);
    static std::int32_t afterScan(IKHANDLE dib, IKHANDLE original, std::int32_t imageCount, std::int16_t bitOrder);
    static bool goesOn();
    // The one scanner component the three functions report to; empty outside ScanExec.
    static inline TVIkScan* current_ = nullptr;

    IkAttachment attachment_;
    std::int16_t BitDepth_ = 24;
    std::int16_t Compression_ = 0;
    bool Indicator_ = true;
    TVIkScanOrientation Orientation_ = vikScanRotate0;
    TVIkScanPixelType PixelType_ = vikScanPixelRGB;
    float RectLeft_ = 0, RectTop_ = 0, RectRight_ = 0, RectBottom_ = 0;
    TVIkScanMode ScanMode_ = vikScanDOC;
    TVIkScanTransfer TransferMode_ = vikScanNative;
    TVIkScanUIMode UiMode_ = vikScanUI;
    TVIkScanUnit UnitMode_ = vikScanInch;
    std::int32_t XResolution_ = 0, YResolution_ = 0;
    bool FpuException_ = false;

    IKSCANCONNECTION Connection_ = 0;
    IKSCANSOURCE Source_ = 0;
    QStringList SourceList_;
    std::int32_t ScanResult_ = 0;
    std::uint16_t ErrorCode_ = kStatusOk;
    QStringList CapTexts_;
    IKSCANIDENTITY SourceIdentity_{};
    std::array<std::int32_t, 5> CapRange_{};
    std::int32_t DefaultSourceIndex_ = -1;
};
