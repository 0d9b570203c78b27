#include "app/ViewerTab.h"

#include "app/Guard.h"
#include "app/ReleaseImage.h"
#include "app/SplitNaming.h"
#include "app/TabParts.h"
#include "app/ViewerRules.h"
#include "browse/Ikthumb.h"
#include "display/Ikdisp.h"
#include "Ikcommon.h"
#include "Ikeffect.h"
#include "Ikdllprocs.h"
#include "Ikfile.h"
#include "platform/GlobalMemory.h"
#include "platform/desktop/Prompts.h"
#include "widgets/lib/FixedRowHeight.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QToolButton>

using namespace app;

namespace {

const QString kTiffFilter = QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff");
constexpr std::uint32_t kLightYellow = 0xD5FFFF;    // red 255, green 255, blue 213
constexpr std::uint32_t kOrange = 0x75A2FF;         // red 255, green 162, blue 117
constexpr std::uint32_t kGrey = 0x808080;
constexpr int kThumbColumnWidth = 120;
// Where the navigation window opens, from the main window's top-left corner.
constexpr int kPanWindowDx = 10, kPanWindowDy = 148;

}  // namespace

TViewerTab::TViewerTab(const Commands& commands, const Kit& kit, QWidget* parent)
    : QWidget(parent), commands_(commands), kit_(kit) {
    setObjectName(QStringLiteral("TabSheet3"));
    GradBox7 = makeCaptionBar("GradBox7", QStringLiteral("ﾏﾙﾁTIFFの参照"), 7709439, 4227327);
    GradBox8 = makeButtonStrip("GradBox8");
    SpeedButton4_1 = addSpeedButton(GradBox8, "SpeedButton4_1", commands.V1, QStringLiteral("ﾌｧｲﾙ読込"), QStringLiteral("load.xpm"));
    SpeedButton4_2 = addSpeedButton(GradBox8, "SpeedButton4_2", commands.V3, QStringLiteral("ｸﾘｱ"), QStringLiteral("clear.xpm"));
    addBevel(GradBox8);
    SpeedButton4_3 = addSpeedButton(GradBox8, "SpeedButton4_3", commands.V5, QStringLiteral("左回転"), QStringLiteral("rotleft.xpm"));
    SpeedButton4_4 = addSpeedButton(GradBox8, "SpeedButton4_4", commands.V6, QStringLiteral("右回転"), QStringLiteral("rotright.xpm"));
    addBevel(GradBox8);
    SpeedButton4_5 = addSpeedButton(GradBox8, "SpeedButton4_5", commands.V8, QStringLiteral("ﾅﾋﾞｹﾞｰﾄ"), QStringLiteral("navigate.xpm"));
    addBevel(GradBox8);

    ComboBox1 = new QComboBox(GradBox8);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    QFont large = ComboBox1->font();
    large.setPixelSize(32);
    ComboBox1->setFont(large);
    ComboBox1->setFixedWidth(100);
    ComboBox1->setMaxVisibleItems(12);
    ComboBox1->setItemDelegate(new widgets::FixedRowHeight(33, ComboBox1));
    ComboBox1->setToolTip(QStringLiteral("ズーム"));
    ComboBox1->setStatusTip(QStringLiteral("ズーム"));
    ComboBox1->addItems(zoomItems());
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEnabled(false);
    GradBox8->layout()->addWidget(ComboBox1);
    endStrip(GradBox8);

    stackInto(this, {GradBox7, GradBox8}, createBody());

    connectCommand(commands.V1, this, [this] { SpeedButton4_1Click(); });
    connectCommand(commands.V3, this, [this] { SpeedButton4_2Click(); });
    connectCommand(commands.V5, this, [this] { SpeedButton4_3Click(); });
    connectCommand(commands.V6, this, [this] { SpeedButton4_4Click(); });
    connectCommand(commands.V8, this, [this] { SpeedButton4_5Click(); });
    // Only the user's choice applies a scale; settings read at start-up do not.
    connect(ComboBox1, &QComboBox::activated, this, [this] { runGuarded([this] { ComboBox1Change(); }); });
}

// The kit components may be gone by now; the page is freed through the kit directly.
TViewerTab::~TViewerTab() {
    const IKHANDLE shown = IkDisp1->ImgHandle();
    if (shown && platform::globalIsValid(shown) && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(shown);
}

QWidget* TViewerTab::createBody() {
    auto* body = new QWidget;
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    IkThumb1 = new TVIkThumb(body);
    IkThumb1->setObjectName(QStringLiteral("IkThumb1"));
    IkThumb1->setFixedWidth(kThumbColumnWidth);
    IkThumb1->SetAppearance(vikLowered);
    IkThumb1->SetColor(kGrey);
    IkThumb1->SetColCount(1);
    IkThumb1->SetRowCount(5);
    IkThumb1->SetGapSize(1);
    IkThumb1->SetEdgeSize(1);
    IkThumb1->SetImageSize(120);
    IkThumb1->SetReadMode(vikThumbRdDspMultiImg);
    // The pages after the first five are made beside the window, so page 1 shows at once.
    IkThumb1->SetMakeInBackground(true);
    IkThumb1->SetEnableMouseWheel(true);
    IkThumb1->SetButton3D(false);
    IkThumb1->SetForeColorUp(kLightYellow);
    IkThumb1->SetForeColorDown(kOrange);
    QFont thumbFont(QStringLiteral("ＭＳ Ｐ明朝"));
    thumbFont.setPixelSize(11);
    IkThumb1->setFont(thumbFont);
    IkThumb1->SetFileExt(QStringLiteral("tif;tiff"));
    IkThumb1->OnSelectFile = [this](TVIkThumb* sender, const QString& path, const QString& name, std::int16_t number,
                                    std::int16_t max, std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b) {
        runGuarded([&] { IkThumb1SelectFile(sender, path, name, number, max, l, t, r, b); });
    };

    IkDisp1 = new TVIkDisp(body);
    IkDisp1->setObjectName(QStringLiteral("IkDisp1"));
    IkDisp1->SetAppearance(vikLowered);
    IkDisp1->SetBorderVisible(true);
    IkDisp1->SetScrollBar(true);
    IkDisp1->SetScrollDrag(true);
    IkDisp1->SetColor(kLightYellow);
    IkDisp1->SetInvalidHatchPattern(false);
    IkDisp1->SetPanWindowCaption(QStringLiteral("ﾅﾋﾞｹﾞｰﾄｳｨﾝﾄﾞｳ"));
    IkDisp1->SetPanWindowCloseBox(true);
    IkDisp1->OnGetDragDropFileName = [this](TVIkDisp* sender, const QString& name, std::int16_t page) {
        runGuarded([&] { IkDisp1GetDragDropFileName(sender, name, page); });
    };

    row->addWidget(IkThumb1);
    row->addWidget(IkDisp1, 1);
    return body;
}

void TViewerTab::setViewerGroupEnabled(bool enabled) {
    for (QAction* command : {commands_.V3, commands_.V5, commands_.V6, commands_.V8}) command->setEnabled(enabled);
    ComboBox1->setEnabled(enabled);
}

// Showing no image also hides the navigation window until it is asked for again.
void TViewerTab::releaseShownImage() {
    const IKHANDLE shown = IkDisp1->ImgHandle();
    IkDisp1->SetImgHandle(0);
    releaseImage(*kit_.IkCommon1, shown);
}

void TViewerTab::SpeedButton4_1Click() {
    const QStringList chosen =
        platform::prompts().openFiles(QStringLiteral("マルチTIFFファイルを開く"), kTiffFilter, false);
    if (chosen.isEmpty()) return;
    loadFile(chosen.first());
}

void TViewerTab::DropFiles(const QStringList& paths) {
    for (const QString& path : paths)
        if (isTiffName(path)) loadFile(path);
}

// Any case of ".tif"/".tiff" is taken, as on the tab; the page a drag carries is not used.
void TViewerTab::IkDisp1GetDragDropFileName(TVIkDisp*, const QString& FileName, std::int16_t) {
    if (isTiffName(FileName)) loadFile(FileName);
}

void TViewerTab::loadFile(const QString& path) {
    OpenDialog3FileName = path;
    const FolderAndName parts = splitFolderAndName(path);
    IkThumb1->SetFilePath(parts.folder);
    IkThumb1->SetFileExt(parts.name);
    IkThumb1->GetFiles();
    IkThumb1->Display();
    setViewerGroupEnabled(true);
    selected_ = {};  // the file may have changed since it was last shown
    IkThumb1SelectFile(IkThumb1, IkThumb1->FilePath(), IkThumb1->FileExt(), 1, 0, 0, 0, 0, 0);
    if (!IkDisp1->ImgHandle())
        platform::prompts().message(QStringLiteral("ファイルを読み込めませんでした。\n") + path);
}

void TViewerTab::IkThumb1SelectFile(TVIkThumb*, const QString&, const QString&, std::int16_t ImageNumber,
                                    std::int16_t, std::int16_t, std::int16_t, std::int16_t, std::int16_t) {
    showPage(ImageNumber);
}

TViewerTab::ShownPage TViewerTab::shownAsSelected(const QString& path, int number) const {
    const QWidget* pan = IkDisp1->PanWindow();
    if (pan && pan->isVisible()) return {};
    return {path, number, IkDisp1->ImgHandle(), IkDisp1->StartX(), IkDisp1->StartY(), IkDisp1->DispScale()};
}

void TViewerTab::showPage(int imageNumber) {
    const QString path = joinFolderAndName(IkThumb1->FilePath(), IkThumb1->FileExt());
    if (IkDisp1->ImgHandle() && shownAsSelected(path, imageNumber) == selected_) return;
    releaseShownImage();
    TVIkFile& file = *kit_.IkFile1;
    file.SetFileName(path);
    file.SetLoadPage(static_cast<std::int16_t>(imageNumber - 1));
    file.LoadFile(vikLoad);
    file.GetImagefileType();
    const IKHANDLE page = file.ImgHandle();
    // The page now belongs to the display; the file component must not hand it out again.
    file.SetImgHandle(0);
    kit_.IkCommon1->SetImgHandle(page);
    kit_.IkCommon1->GetImageType();
    IkDisp1->SetImgHandle(page);
    IkDisp1->Display(vikActualSize);
    ComboBox1Change();
    selected_ = shownAsSelected(path, imageNumber);
}

void TViewerTab::ComboBox1Change() {
    if (const std::optional<double> scale = zoomScale(ComboBox1->currentIndex())) IkDisp1->SetDispScale(*scale);
}

void TViewerTab::SpeedButton4_3Click() { rotate(9000); }
void TViewerTab::SpeedButton4_4Click() { rotate(-9000); }

// A turn that gives no result keeps the page that was shown.
void TViewerTab::rotate(std::int32_t angle) {
    const IKHANDLE shown = IkDisp1->ImgHandle();
    if (!shown) return;
    TVIkEffect& effect = *kit_.IkEffect1;
    effect.SetSrcImgHandle(shown);
    effect.SetSrcMaskHandle(0);
    effect.SetDestImgHandle(0);
    effect.Rotation(angle, false, false, false, 255, 255, 255, false);
    const IKHANDLE turned = effect.DestImgHandle();
    effect.SetSrcImgHandle(0);
    effect.SetDestImgHandle(0);
    if (!turned) return;
    // The display takes the turned page at once, so a shown navigation window stays shown.
    releaseImage(*kit_.IkCommon1, shown);
    IkDisp1->SetImgHandle(turned);
    selected_ = {};  // a later handle may take the freed one's number: never compare across a turn
    ComboBox1Change();
    IkDisp1->Refresh();
}

void TViewerTab::SpeedButton4_5Click() {
    const QWidget* main = window();
    IkDisp1->SetPanWindowTop(static_cast<std::int16_t>(main->y() + kPanWindowDy));
    IkDisp1->SetPanWindowLeft(static_cast<std::int16_t>(main->x() + kPanWindowDx));
    IkDisp1->ShowPanWindow(commands_.V8->isChecked());
}

void TViewerTab::SpeedButton4_2Click() {
    OpenDialog3FileName.clear();
    IkThumb1->SetFilePath(QString());
    IkThumb1->UpdateThumbnailFile();
    IkThumb1->Clear();
    releaseShownImage();
    // Without an image the display keeps its last picture until it is painted again.
    IkDisp1->Refresh();
    setViewerGroupEnabled(false);
}

void TViewerTab::CloseStep() { releaseShownImage(); }
