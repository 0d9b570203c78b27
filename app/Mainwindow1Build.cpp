// The build command: every registered file becomes one page of a multi-page TIFF, converted
// as the settings dialog says, appended to the chosen file.
#include "app/BuildReport.h"
#include "app/ConvertTables.h"
#include "app/Convertwindow1.h"
#include "app/Mainwindow1.h"
#include "app/Progresswindow1.h"
#include "app/ReleaseImage.h"
#include "Ikcommon.h"
#include "Ikeffect.h"
#include "Ikfile.h"
#include "platform/desktop/Prompts.h"
#include "platform/desktop/Shell.h"
#include "widgets/StringGrid.h"
#include "widgets/lib/SpinEdit.h"
#include "widgets/Mccbox.h"

#include <QFileInfo>

namespace {

// Holds the page image of one row and releases it through the common component, also when
// a step throws.
class PageImage {
public:
    PageImage(TVIkCommon& common, TProgressForm1* progress) : common_(common), progress_(progress) {}
    ~PageImage() { set(0); }
    PageImage(const PageImage&) = delete;
    PageImage& operator=(const PageImage&) = delete;

    IKHANDLE get() const { return image_; }
    // Shows `image` (0 for none) in the progress window and releases the image held before.
    void set(IKHANDLE image) {
        // The display lets go of the old image before it is released.
        if (progress_) progress_->ShowPage(image);
        app::releaseImage(common_, image_);
        image_ = image;
    }

private:
    TVIkCommon& common_;
    TProgressForm1* progress_;
    IKHANDLE image_ = 0;
};

}  // namespace

void TMainForm1::SpeedButton1_2Click() {
    try {
        if (!ConvertForm1 || !platform::prompts().runDialog(*ConvertForm1)) return;
        const QString output = platform::prompts().saveFile(
            QStringLiteral("マルチTIFFの保存(既存のファイルを選択するとページ追加)"),
            QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"), QStringLiteral("tif"), SaveDialog1FileName);
        if (output.isEmpty()) return;
        SaveDialog1FileName = output;
        if (QFileInfo::exists(output) &&
            !platform::prompts().confirm(output + QStringLiteral(" は既に存在します。\nページを追加しますか？")))
            return;

        if (ProgressForm1) ProgressForm1->BeginRun(output, RegisteredCount);
        app::BuildOutcome outcome;
        outcome.rows = RegisteredCount;
        for (int row = 1; row <= RegisteredCount; ++row) {
            const QString source = StringGrid1->Cell(1, row);
            if (!buildPage(source, output)) outcome.rowsWithoutPage << app::pageLabel(row) + QStringLiteral(": ") + source;
            if (ProgressForm1) ProgressForm1->PageDone(row);
        }
        if (ProgressForm1) ProgressForm1->EndRun();
        platform::beep();
        platform::prompts().message(app::buildCompletionMessage(outcome));
        // The list is offered for clearing only when the file received pages.
        if (outcome.anyPageWritten()) SpeedButton1_5Click();
    } catch (...) {
        platform::beep();
        platform::prompts().message(QStringLiteral("非対応フォーマットが含まれていました。処理を中止します。"));
        if (ProgressForm1) ProgressForm1->EndRun();
    }
}

bool TMainForm1::buildPage(const QString& source, const QString& output) {
    PageImage page(*IkCommon1, ProgressForm1);
    IkFile1->SetImgHandle(0);
    IkFile1->SetFileName(source);
    IkFile1->SetLoadPage(0);
    IkFile1->LoadFile(vikLoad);
    IkFile1->GetImagefileType();
    const int bitCount = IkFile1->BitCount();
    const int sourceType = IkFile1->ImageFileType();
    const IKHANDLE loaded = IkFile1->ImgHandle();

    IkCommon1->SetImgHandle(loaded);
    IkCommon1->GetImageType();
    const bool raster = loaded != 0 && IkCommon1->ImageKind() == vikRasterImage;
    if (raster) page.set(loaded);
    else if (loaded) IkCommon1->FreeMemory();
    if (!raster) return false;

    if (const auto dpi = app::resolutionFor(ConvertForm1->C1_04->ItemIndex(), ConvertForm1->C1_05->Value(),
                                            ConvertForm1->C1_06->Value())) {
        IkCommon1->SetImgHandle(page.get());
        IkCommon1->SetXdpi(dpi->xDpi);
        IkCommon1->SetYdpi(dpi->yDpi);
        IkCommon1->SetDpi();
    }
    if (const auto conversion = app::colorConversion(ConvertForm1->C1_02->ItemIndex(), ConvertForm1->C1_03->Value());
        conversion && bitCount != conversion->skipWhenBitCount) {
        IkEffect1->SetSrcImgHandle(page.get());
        IkEffect1->SetDestImgHandle(0);
        IkEffect1->ConvertColor(static_cast<std::int16_t>(conversion->bits), false, false,
                                static_cast<std::int16_t>(conversion->threshold));
        page.set(IkEffect1->DestImgHandle());
    }
    if (const auto angle = app::rotationAngle(ConvertForm1->C1_07->ItemIndex())) {
        IkEffect1->SetSrcImgHandle(page.get());
        IkEffect1->SetSrcMaskHandle(0);
        IkEffect1->SetDestImgHandle(0);
        IkEffect1->Rotation(*angle, false, false, false, 255, 255, 255, false);
        page.set(IkEffect1->DestImgHandle());
    }
    if (page.get() == 0) return false;
    IkFile1->SetImgHandle(page.get());
    IkFile1->SetFileName(output);
    const auto code = app::buildSaveCode(ConvertForm1->C1_01->ItemIndex(), sourceType);
    const bool saved = IkFile1->SaveFile(static_cast<TVIkSaveFile>(code));
    IkFile1->SetImgHandle(0);
    return saved;
}
