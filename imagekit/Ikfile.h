#pragma once
// TVIkFile: the non-visual component that reads images from files and writes them, one
// page at a time, through Ik7File.so. It marshals its properties into the library call,
// clamps them in their setters, relays progress and keeps the status of the last call.

#include "IkAttachment.h"
#include "IkProgressSlot.h"
#include "IkStatus.h"
#include "Ikinit.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

// The format to load.
enum TVIkLoadFile : std::uint8_t {
    vikLoad = 0,
    vikLoadBMP = 1,
    vikLoadJPEG = 2,
    vikLoadGIF = 3,
    vikLoadTIFF = 4,
    vikLoadPNG = 5,
    vikLoadFPX = 6,
    vikLoadPCX = 7,
    vikLoadWMF = 8,
    vikLoadEMF = 9,
    vikLoadDXF = 10,
    vikLoadSVG = 11,
    vikLoadJPEG2000 = 12,
    vikLoadSXFP21 = 13,
    vikLoadSXFSFC = 14,
};

// The format and variant to save.
enum TVIkSaveFile : std::uint8_t {
    vikSaveBMP = 0,
    vikSaveBMPRLE = 1,
    vikSaveJPEG = 2,
    vikSaveJPEGProgress = 3,
    vikSaveGIF = 4,
    vikSaveTIFFNoncompressed = 5,
    vikSaveTIFFCcittrle = 6,
    vikSaveTIFFGroup3_1D = 7,
    vikSaveTIFFGroup3_2D = 8,
    vikSaveTIFFGroup4 = 9,
    vikSaveTIFFPackbits = 10,
    vikSaveTIFFLZW = 11,
    vikSavePNG = 12,
    vikSaveFPXNoncompressed = 13,
    vikSaveFPXSingleColor = 14,
    vikSaveFPXJpeg = 15,
    vikSavePCX = 16,
    vikSaveWMF = 17,
    vikSaveEMF = 18,
    vikSaveDXF = 19,
    vikSaveSVG = 20,
    vikSaveJPEG2000 = 21,
    vikSaveJPEG2000Stream = 22,
    vikSaveSXFP21 = 23,
    vikSaveSXFSFC = 24,
    vikSaveTIFFJPEG = 25,
};

enum TVIkJpegSubsamp : std::uint8_t { vik411 = 0, vik422 = 1, vik444 = 2 };
enum TVIkTiffColorSpace : std::uint8_t { vikRGB = 0, vikCMYK = 1 };

class TVIkFile;

// EXIF values of the JPEG named by the owner's FileName, with its embedded thumbnail.
class TCExif {
public:
    explicit TCExif(TVIkFile* owner) : owner_(owner) {}
    ~TCExif();
    TCExif(const TCExif&) = delete;
    TCExif& operator=(const TCExif&) = delete;

    // Frees the thumbnail of the previous read and reads the owner's file; the owner's
    // ErrorCode becomes the library's status (kStatusUnavailable without IKJpegExifInfo).
    bool GetExifInfo();
    // Copies the values of another TCExif (the thumbnail handle is shared, not copied).
    void Assign(const TCExif& other);

    std::int32_t Width = 0, Height = 0, Orientation = 0, Xdpi = 0, Ydpi = 0, IsoSpeed = 0;
    double ExposureTime = 0, FNumber = 0, FocalLength = 0;
    QString Make, Model, DateTime, Software, Description;
    // Owned by this object: freed by the next read and on destruction.
    IKHANDLE Thumbnail = 0;

private:
    void freeThumbnail();
    TVIkFile* owner_;
    bool ownsThumbnail_ = false;
};

class TVIkFile : public QObject {
public:
    using TVIkProgressEvent = std::function<void(TVIkFile* sender, std::int16_t percent)>;
    using TVIkFileEvent = std::function<void(TVIkFile* sender, const QString& fileName)>;

    explicit TVIkFile(QObject* owner = nullptr);
    ~TVIkFile() override;

    // Events, fired only through the Do… methods below.
    TVIkProgressEvent OnProgress;
    TVIkFileEvent OnStartLoad, OnEndLoad, OnStartSave, OnEndSave;

    // Texts of the library's own progress window.
    const QString& ButtonName() const { return ButtonName_; }
    void SetButtonName(const QString& text) { ButtonName_ = text; }
    const QString& Caption() const { return Caption_; }
    void SetCaption(const QString& text) { Caption_ = text; }
    const QString& Message() const { return Message_; }
    void SetMessage(const QString& text) { Message_ = text; }
    const QString& Comment() const { return Comment_; }
    void SetComment(const QString& text) { Comment_ = text; }
    // Ignored when 260 characters or more.
    const QString& FileExt() const { return FileExt_; }
    void SetFileExt(const QString& text);
    // Ignored when the path takes 4096 bytes or more (the platform's path limit).
    const QString& FileName() const { return FileName_; }
    void SetFileName(const QString& path);
    const QString& FilePath() const { return FilePath_; }
    void SetFilePath(const QString& path);
    bool GifAnime() const { return GifAnime_; }
    void SetGifAnime(bool value) { GifAnime_ = value; }
    std::int16_t GifAnimeDelay() const { return GifAnimeDelay_; }
    void SetGifAnimeDelay(std::int16_t value) { GifAnimeDelay_ = value < 0 ? 0 : value; }
    bool Interlace() const { return Interlace_; }
    void SetInterlace(bool value) { Interlace_ = value; }
    std::int16_t JpegQuality() const { return JpegQuality_; }
    void SetJpegQuality(std::int16_t value) { JpegQuality_ = clampByte(value, 100); }
    TVIkJpegSubsamp JpegSubsamp() const { return JpegSubsamp_; }
    void SetJpegSubsamp(TVIkJpegSubsamp value) { JpegSubsamp_ = value; }
    std::int16_t LoadPage() const { return LoadPage_; }
    void SetLoadPage(std::int16_t value) { LoadPage_ = value < 0 ? 0 : value; }
    std::int16_t PalRed() const { return PalRed_; }
    void SetPalRed(std::int16_t value) { PalRed_ = clampByte(value, 255); }
    std::int16_t PalGreen() const { return PalGreen_; }
    void SetPalGreen(std::int16_t value) { PalGreen_ = clampByte(value, 255); }
    std::int16_t PalBlue() const { return PalBlue_; }
    void SetPalBlue(std::int16_t value) { PalBlue_ = clampByte(value, 255); }
    bool Preview() const { return Preview_; }
    void SetPreview(bool value) { Preview_ = value; }
    bool TiffAppend() const { return TiffAppend_; }
    void SetTiffAppend(bool value) { TiffAppend_ = value; }
    TVIkTiffColorSpace TiffColorSpace() const { return TiffColorSpace_; }
    void SetTiffColorSpace(TVIkTiffColorSpace value) { TiffColorSpace_ = value; }
    bool TiffSaveOneStrip() const { return TiffSaveOneStrip_; }
    void SetTiffSaveOneStrip(bool value) { TiffSaveOneStrip_ = value; }
    bool Transparent() const { return Transparent_; }
    void SetTransparent(bool value) { Transparent_ = value; }
    std::int32_t VectorWidth() const { return VectorWidth_; }
    void SetVectorWidth(std::int32_t value) { VectorWidth_ = value < 0 ? 0 : value; }
    std::int32_t VectorHeight() const { return VectorHeight_; }
    void SetVectorHeight(std::int32_t value) { VectorHeight_ = value < 0 ? 0 : value; }

    // Public members.
    IKHANDLE ImgHandle() const { return ImgHandle_; }
    void SetImgHandle(IKHANDLE image) { ImgHandle_ = image; }
    std::uint16_t ErrorCode() const { return ErrorCode_; }
    std::int16_t BitCount() const { return BitCount_; }
    std::int32_t ImgWidth() const { return ImgWidth_; }
    std::int32_t ImgHeight() const { return ImgHeight_; }
    std::int16_t ImageFileType() const { return ImageFileType_; }
    std::int16_t PageCount() const { return PageCount_; }
    std::int16_t ValueG() const { return ValueG_; }
    std::int16_t ValueH() const { return ValueH_; }
    std::int32_t ValueJ() const { return ValueJ_; }
    std::int32_t ValueK() const { return ValueK_; }
    std::int32_t ValueL() const { return ValueL_; }
    bool Cancel() const { return Cancel_; }
    void SetCancel(bool value) { Cancel_ = value; }
    TCExif& Exif() { return Exif_; }
    void SetExif(const TCExif& other) { Exif_.Assign(other); }
    bool AlphaChannel = false;
    bool J2kFlag = true;
    std::int32_t J2kParam1 = 0;
    std::int32_t J2kParam2 = 0;
    std::int16_t SaveDlgType = 0;

    bool LoadFile(TVIkLoadFile format);
    bool GetImagefileType();
    bool SaveFile(TVIkSaveFile format);
    // Copies page LoadPage of the TIFF FileName into the TIFF `target` as it is stored (no
    // decoding, no second encoding), with Comment as its description, or with the page's own
    // description when `ownDescription`; with `append` after
    // the last page of an existing target. Fires the save events with `target`. A page that
    // cannot be copied as stored leaves the target untouched with ErrorCode 3 (IK_ERR_FORMAT):
    // load and save it instead.
    bool CopyTiffPage(const QString& target, bool append, bool ownDescription = false);
    // Keeps the TIFF FileName open for the CopyTiffPage calls that follow with that FileName:
    // they copy from this one opening, and the page after the one copied last is found by
    // reading one more directory. False, with ErrorCode, when the file cannot be opened as a
    // TIFF (the copies then open it each time). Kept until CloseTiffSource or destruction.
    bool KeepTiffSourceOpen();
    void CloseTiffSource();

    // The file dialogs and transfers are not built: each reports 14 (or 5 for a text of
    // 260 characters or more).
    bool OpenFileDlg();
    bool SaveFileDlg();
    bool FTPGetFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t n);
    bool FTPPutFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t n);
    bool HTTPGetFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t n);
    bool HTTPPutFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t n);
    bool FTPDeleteFile(const QString& a, const QString& b, const QString& c, const QString& d);
    bool FTPRenameFile(const QString& a, const QString& b, const QString& c, const QString& d, const QString& e);
    // Shows the kit's version window.
    void About();

protected:
    virtual void DoProgress(std::int16_t percent);
    virtual void DoStartLoad(const QString& fileName);
    virtual void DoEndLoad(const QString& fileName);
    virtual void DoStartSave(const QString& fileName);
    virtual void DoEndSave(const QString& fileName);

private:
    friend class TCExif;
    friend class IkProgressSlot<TVIkFile>;
    static std::int16_t clampByte(std::int16_t value, std::int16_t most) {
        return value < 0 ? 0 : value > most ? most : value;
    }
    static IKBOOL flagOf(bool value) { return value ? IK_TRUE : IK_FALSE; }
    // The progress function handed to the library while this component holds the slot.
    IKPROGRESSPROC setUpProgress();
    static void tearDownProgress();
    void takeStatus();
    bool transfer(const QString* texts, int count);
    IKHANDLE loadWith(TVIkLoadFile format, IKPROGRESSPROC progress, bool& available);
    IKBOOL saveWith(TVIkSaveFile format, IKPROGRESSPROC progress, bool& available);

    IkAttachment attachment_;
    QString ButtonName_, Caption_, Message_, Comment_;
    QString FileExt_ = QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
    QString FileName_, FilePath_;
    bool GifAnime_ = false;
    std::int16_t GifAnimeDelay_ = 0;
    bool Interlace_ = false;
    std::int16_t JpegQuality_ = 0;
    TVIkJpegSubsamp JpegSubsamp_ = vik411;
    std::int16_t LoadPage_ = 0;
    std::int16_t PalRed_ = 0, PalGreen_ = 0, PalBlue_ = 0;
    bool Preview_ = false;
    bool TiffAppend_ = false;
    TVIkTiffColorSpace TiffColorSpace_ = vikRGB;
    bool TiffSaveOneStrip_ = false;
    bool Transparent_ = false;
    std::int32_t VectorWidth_ = 0, VectorHeight_ = 0;

    IKHANDLE ImgHandle_ = 0;
    std::uint16_t ErrorCode_ = kStatusOk;
    std::int16_t BitCount_ = 0, ValueG_ = 0, ValueH_ = 0;
    std::int32_t ImgWidth_ = 0, ImgHeight_ = 0, ValueJ_ = 0, ValueK_ = 0, ValueL_ = 0;
    std::int16_t ImageFileType_ = 0, PageCount_ = 0;
    bool Cancel_ = false;
    std::int16_t lastPercent_ = 0;
    TCExif Exif_{this};
    // The TIFF kept open for page copies and its name; closed before the kit detaches.
    IKTIFFSOURCE KeptSource_ = nullptr;
    QString KeptSourceName_;

    // The class's single progress owner slot.
};
