#include "Ikfile.h"

#include <QByteArray>
#include <QMessageBox>

using namespace Ikdllprocs;

namespace {

// The platform's path limit: a path of this many bytes or more is not a path here.
constexpr qsizetype kPathLimit = 4096;
// Dialog extension lists and transfer texts keep the library's 260-character limit.
constexpr qsizetype kTextLimit = 260;

// Exports the kit does not build: the entries stay empty, and these types say how they
// would be called.
using VectorLoadProc = IKHANDLE (*)(const char*, int32_t, int32_t, IK_PROGRESS_TAIL);
using PlainSaveProc = IKBOOL (*)(const char*, IKHANDLE, IK_PROGRESS_TAIL);

template <typename Proc>
Proc typed(IkAnyProc entry) {
    return reinterpret_cast<Proc>(entry);
}

}  // namespace


TCExif::~TCExif() { freeThumbnail(); }

void TCExif::freeThumbnail() {
    if (ownsThumbnail_ && Thumbnail != 0 && IkFreeMemory) IkFreeMemory(Thumbnail);
    Thumbnail = 0;
    ownsThumbnail_ = false;
}

bool TCExif::GetExifInfo() {
    if (!IkJpegExifInfo) {
        owner_->ErrorCode_ = kStatusUnavailable;
        return false;
    }
    freeThumbnail();
    IKEXIFINFO record{};
    const QByteArray path = owner_->FileName_.toUtf8();
    const bool ok = IkJpegExifInfo(path.constData(), &record) != 0;
    owner_->takeStatus();
    if (!ok) return false;
    Width = record.width;
    Height = record.height;
    Orientation = record.orientation;
    Xdpi = record.xdpi;
    Ydpi = record.ydpi;
    IsoSpeed = record.isoSpeed;
    ExposureTime = record.exposureTime;
    FNumber = record.fNumber;
    FocalLength = record.focalLength;
    auto text = [](const char* value) { return QString::fromUtf8(value, qsizetype(strnlen(value, IK_EXIF_TEXT))); };
    Make = text(record.make);
    Model = text(record.model);
    DateTime = text(record.dateTime);
    Software = text(record.software);
    Description = text(record.description);
    Thumbnail = record.thumbnail;
    ownsThumbnail_ = Thumbnail != 0;
    return true;
}

void TCExif::Assign(const TCExif& other) {
    if (&other == this) return;
    freeThumbnail();
    Width = other.Width;
    Height = other.Height;
    Orientation = other.Orientation;
    Xdpi = other.Xdpi;
    Ydpi = other.Ydpi;
    IsoSpeed = other.IsoSpeed;
    ExposureTime = other.ExposureTime;
    FNumber = other.FNumber;
    FocalLength = other.FocalLength;
    Make = other.Make;
    Model = other.Model;
    DateTime = other.DateTime;
    Software = other.Software;
    Description = other.Description;
    Thumbnail = other.Thumbnail;
}

TVIkFile::TVIkFile(QObject* owner) : QObject(owner), attachment_(vikGroupMain) { IkProgressSlot<TVIkFile>::release(); }

TVIkFile::~TVIkFile() {
    CloseTiffSource();
    IkProgressSlot<TVIkFile>::forget(this);
    // Exif_ frees its thumbnail, then attachment_ detaches; ImgHandle is not freed.
}

void TVIkFile::SetFileExt(const QString& text) {
    if (text.size() < kTextLimit) FileExt_ = text;
}

void TVIkFile::SetFileName(const QString& path) {
    if (path.toUtf8().size() < kPathLimit) FileName_ = path;
}

void TVIkFile::SetFilePath(const QString& path) {
    if (path.toUtf8().size() < kPathLimit) FilePath_ = path;
}

void TVIkFile::DoProgress(std::int16_t percent) {
    if (OnProgress) OnProgress(this, percent);
}
void TVIkFile::DoStartLoad(const QString& fileName) {
    if (OnStartLoad) OnStartLoad(this, fileName);
}
void TVIkFile::DoEndLoad(const QString& fileName) {
    if (OnEndLoad) OnEndLoad(this, fileName);
}
void TVIkFile::DoStartSave(const QString& fileName) {
    if (OnStartSave) OnStartSave(this, fileName);
}
void TVIkFile::DoEndSave(const QString& fileName) {
    if (OnEndSave) OnEndSave(this, fileName);
}

void TVIkFile::takeStatus() {
    if (IkGetErrorStatus) ErrorCode_ = IkGetErrorStatus();
}

IKPROGRESSPROC TVIkFile::setUpProgress() {
    lastPercent_ = 0;
    Cancel_ = false;
    return IkProgressSlot<TVIkFile>::claim(this, !Caption_.isEmpty() || !Message_.isEmpty() || !ButtonName_.isEmpty());
}

void TVIkFile::tearDownProgress() { IkProgressSlot<TVIkFile>::release(); }

IKHANDLE TVIkFile::loadWith(TVIkLoadFile format, IKPROGRESSPROC progress, bool& available) {
    const QByteArray name = FileName_.toUtf8(), caption = Caption_.toUtf8(), message = Message_.toUtf8(),
                     button = ButtonName_.toUtf8();
    const char* path = name.constData();
#define IK_TAIL progress, caption.constData(), message.constData(), button.constData()
    auto vector = [&](IkAnyProc entry) -> IKHANDLE {
        available = entry != nullptr;
        return available ? typed<VectorLoadProc>(entry)(path, VectorWidth_, VectorHeight_, IK_TAIL) : 0;
    };
    auto plain = [&](auto entry) -> IKHANDLE {
        available = entry != nullptr;
        return available ? entry(path, IK_TAIL) : 0;
    };
    auto paged = [&](auto entry) -> IKHANDLE {
        available = entry != nullptr;
        return available ? entry(path, LoadPage_, IK_TAIL) : 0;
    };
    switch (format) {
    case vikLoad:
        available = true;
        return IkFileLoad(path, AlphaChannel ? 32767 : LoadPage_, VectorWidth_, VectorHeight_, IK_TAIL);
    case vikLoadBMP: return plain(IkBmpFileLoad);
    case vikLoadJPEG: return plain(IkJpegFileLoad);
    case vikLoadPCX: return plain(IkPcxFileLoad);
    case vikLoadJPEG2000: return plain(IkJ2kFileLoad);
    case vikLoadGIF: return paged(IkGifFileLoad);
    case vikLoadTIFF: return paged(IkTiffFileLoad);
    case vikLoadFPX: return paged(IkFpxFileLoad);
    case vikLoadPNG:
        available = IkPngFileLoadEx != nullptr;
        return available ? IkPngFileLoadEx(path, AlphaChannel ? 2 : 1, IK_TAIL) : 0;
    case vikLoadWMF: return vector(IkWmfFileLoad);
    case vikLoadEMF: return vector(IkEmfFileLoad);
    case vikLoadDXF: return vector(IkDxfFileLoad);
    case vikLoadSVG: return vector(IkSvgFileLoad);
    case vikLoadSXFP21: return vector(IkSxfP21FileLoad);
    case vikLoadSXFSFC: return vector(IkSxfSfcFileLoad);
    }
#undef IK_TAIL
    available = false;
    return 0;
}

bool TVIkFile::LoadFile(TVIkLoadFile format) {
    ImgHandle_ = 0;
    if (!IkFileLoad) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const QString name = FileName_;
    DoStartLoad(name);
    IKPROGRESSPROC progress = setUpProgress();
    bool available = false;
    ImgHandle_ = loadWith(format, progress, available);
    if (available) takeStatus();
    else ErrorCode_ = kStatusUnavailable;
    tearDownProgress();
    DoEndLoad(name);
    return ImgHandle_ != 0;
}

bool TVIkFile::GetImagefileType() {
    if (!IkFileType) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    IKFILEINFO record{};
    const QByteArray name = FileName_.toUtf8();
    const bool ok = IkFileType(name.constData(), LoadPage_, &record) != 0;
    takeStatus();
    if (!ok) return false;
    BitCount_ = static_cast<std::int16_t>(record.bitsPerPixel);
    ValueG_ = static_cast<std::int16_t>(record.valueG);
    ValueH_ = static_cast<std::int16_t>(record.valueH);
    ImgWidth_ = record.width;
    ImgHeight_ = record.height;
    ValueJ_ = record.valueJ;
    ValueK_ = record.valueK;
    ImageFileType_ = static_cast<std::int16_t>(record.fileType);
    Interlace_ = (record.interlace & 0xFF) != 0;
    PageCount_ = static_cast<std::int16_t>(record.pageCount);
    ValueL_ = record.valueL;
    Comment_ = QString::fromUtf8(record.comment, qsizetype(strnlen(record.comment, sizeof(record.comment))));
    return true;
}

IKBOOL TVIkFile::saveWith(TVIkSaveFile format, IKPROGRESSPROC progress, bool& available) {
    const QByteArray name = FileName_.toUtf8(), comment = Comment_.toUtf8(), caption = Caption_.toUtf8(),
                     message = Message_.toUtf8(), button = ButtonName_.toUtf8();
    const char* path = name.constData();
    const char* c = comment.constData();
    const IKHANDLE image = ImgHandle_;
#define IK_TAIL progress, caption.constData(), message.constData(), button.constData()
    auto tiff = [&](int compression, int32_t colourSpaceOrQuality) -> IKBOOL {
        available = IkTiffFileSave != nullptr;
        return available ? IkTiffFileSave(path, image, compression, colourSpaceOrQuality, flagOf(TiffAppend_), c,
                                          flagOf(TiffSaveOneStrip_), IK_TAIL)
                         : IK_FALSE;
    };
    auto plain = [&](IkAnyProc entry) -> IKBOOL {
        available = entry != nullptr;
        return available ? typed<PlainSaveProc>(entry)(path, image, IK_TAIL) : IK_FALSE;
    };
    auto fpx = [&](int32_t mode, int32_t quality) -> IKBOOL {
        available = IkFpxFileSave != nullptr;
        return available ? IkFpxFileSave(path, image, mode, quality, c, IK_TAIL) : IK_FALSE;
    };
    auto jpeg = [&](int32_t progressive) -> IKBOOL {
        available = IkJpegFileSave != nullptr;
        return available ? IkJpegFileSave(path, image, progressive, JpegQuality_, JpegSubsamp_, c, IK_TAIL) : IK_FALSE;
    };
    auto j2k = [&](bool stream) -> IKBOOL {
        available = IkJ2kFileSave != nullptr;
        return available ? IkJ2kFileSave(path, image, flagOf(stream), flagOf(J2kFlag), J2kParam1, J2kParam2, 0, 0, 0,
                                         0, 0, 0, 0, c, IK_TAIL)
                         : IK_FALSE;
    };
    const auto red = static_cast<uint8_t>(PalRed_), green = static_cast<uint8_t>(PalGreen_),
               blue = static_cast<uint8_t>(PalBlue_);
    switch (format) {
    case vikSaveBMP:
    case vikSaveBMPRLE:
        available = true;
        return IkBmpFileSave(path, image, flagOf(format == vikSaveBMPRLE), IK_TAIL);
    case vikSaveJPEG: return jpeg(0);
    case vikSaveJPEGProgress: return jpeg(1);
    case vikSaveGIF:
        available = IkGifFileSave != nullptr;
        return available ? IkGifFileSave(path, image, flagOf(Interlace_), flagOf(Transparent_), red, green, blue,
                                         flagOf(GifAnime_), GifAnimeDelay_, c, IK_TAIL)
                         : IK_FALSE;
    case vikSaveTIFFNoncompressed:
    case vikSaveTIFFCcittrle:
    case vikSaveTIFFGroup3_1D:
    case vikSaveTIFFGroup3_2D:
    case vikSaveTIFFGroup4:
    case vikSaveTIFFPackbits:
    case vikSaveTIFFLZW: return tiff(format - vikSaveTIFFNoncompressed, static_cast<uint8_t>(TiffColorSpace_));
    case vikSaveTIFFJPEG: return tiff(7, JpegQuality_);
    case vikSavePNG:
        available = IkPngFileSaveEx != nullptr;
        return available ? IkPngFileSaveEx(path, image, flagOf(Interlace_), flagOf(Transparent_), red, green, blue,
                                           flagOf(AlphaChannel), c, IK_TAIL)
                         : IK_FALSE;
    case vikSaveFPXNoncompressed: return fpx(0, 0);
    case vikSaveFPXSingleColor: return fpx(1, 0);
    case vikSaveFPXJpeg: return fpx(2, JpegQuality_);
    case vikSavePCX:
        available = IkPcxFileSave != nullptr;
        return available ? IkPcxFileSave(path, image, IK_TAIL) : IK_FALSE;
    case vikSaveWMF: return plain(IkWmfFileSave);
    case vikSaveEMF: return plain(IkEmfFileSave);
    case vikSaveDXF: return plain(IkDxfFileSave);
    case vikSaveSVG: return plain(IkSvgFileSave);
    case vikSaveSXFP21: return plain(IkSxfP21FileSave);
    case vikSaveSXFSFC: return plain(IkSxfSfcFileSave);
    case vikSaveJPEG2000: return j2k(false);
    case vikSaveJPEG2000Stream: return j2k(true);
    }
#undef IK_TAIL
    available = false;
    return IK_FALSE;
}

bool TVIkFile::SaveFile(TVIkSaveFile format) {
    if (!IkBmpFileSave) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const QString name = FileName_;
    DoStartSave(name);
    IKPROGRESSPROC progress = setUpProgress();
    bool available = false;
    const bool ok = saveWith(format, progress, available) != 0;
    if (available) takeStatus();
    else ErrorCode_ = kStatusUnavailable;
    tearDownProgress();
    DoEndSave(name);
    return ok;
}

bool TVIkFile::CopyTiffPage(const QString& target, bool append, bool ownDescription) {
    if (!IkTiffPageCopy) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    DoStartSave(target);
    IKPROGRESSPROC progress = setUpProgress();
    const QByteArray source = FileName_.toUtf8(), out = target.toUtf8(), comment = Comment_.toUtf8(),
                     caption = Caption_.toUtf8(), message = Message_.toUtf8(), button = ButtonName_.toUtf8();
    const char* description = ownDescription ? nullptr : comment.constData();
    const bool kept = KeptSource_ && KeptSourceName_ == FileName_ && IkTiffSourcePageCopy;
    const bool ok = (kept ? IkTiffSourcePageCopy(KeptSource_, LoadPage_, out.constData(), flagOf(append), description,
                                                 progress, caption.constData(), message.constData(),
                                                 button.constData())
                          : IkTiffPageCopy(source.constData(), LoadPage_, out.constData(), flagOf(append), description,
                                           progress, caption.constData(), message.constData(),
                                           button.constData())) != 0;
    takeStatus();
    tearDownProgress();
    DoEndSave(target);
    return ok;
}

bool TVIkFile::KeepTiffSourceOpen() {
    CloseTiffSource();
    if (!IkTiffSourceOpen) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    KeptSource_ = IkTiffSourceOpen(FileName_.toUtf8().constData());
    takeStatus();
    if (KeptSource_) KeptSourceName_ = FileName_;
    return KeptSource_ != nullptr;
}

void TVIkFile::CloseTiffSource() {
    if (KeptSource_ && IkTiffSourceClose) IkTiffSourceClose(KeptSource_);
    KeptSource_ = nullptr;
    KeptSourceName_.clear();
}

bool TVIkFile::OpenFileDlg() {
    if (!IkOpenFileDlg) ErrorCode_ = kStatusUnavailable;
    return false;
}

bool TVIkFile::SaveFileDlg() {
    if (!IkSaveFileDlgEx) ErrorCode_ = kStatusUnavailable;
    return false;
}

bool TVIkFile::transfer(const QString* texts, int count) {
    for (int i = 0; i < count; ++i)
        if (texts[i].size() >= kTextLimit) {
            ErrorCode_ = kStatusBadArgument;
            return false;
        }
    ErrorCode_ = kStatusUnavailable;
    return false;
}

bool TVIkFile::FTPGetFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t) {
    const QString texts[] = {a, b, c, d};
    return transfer(texts, 4);
}
bool TVIkFile::FTPPutFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t) {
    const QString texts[] = {a, b, c, d};
    return transfer(texts, 4);
}
bool TVIkFile::HTTPGetFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t) {
    const QString texts[] = {a, b, c, d};
    return transfer(texts, 4);
}
bool TVIkFile::HTTPPutFile(const QString& a, const QString& b, const QString& c, const QString& d, std::int32_t) {
    const QString texts[] = {a, b, c, d};
    return transfer(texts, 4);
}
bool TVIkFile::FTPDeleteFile(const QString& a, const QString& b, const QString& c, const QString& d) {
    const QString texts[] = {a, b, c, d};
    return transfer(texts, 4);
}
bool TVIkFile::FTPRenameFile(const QString& a, const QString& b, const QString& c, const QString& d,
                             const QString& e) {
    const QString texts[] = {a, b, c, d, e};
    return transfer(texts, 5);
}

void TVIkFile::About() {
    QMessageBox::about(nullptr, QStringLiteral("RoduvIzi7"), Ikinit::versionReport());
}
