#include "app/Progresswindow1.h"

#include "app/PagePicture.h"
#include "app/RunInputGate.h"
#include "display/Ikdisp.h"
#include "widgets/Dxfprogressbar.h"
#include "widgets/Gradbox.h"
#include "widgets/Shadolbl.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <utility>

using namespace widgets;

namespace {

// Field labels: white 12-pixel text with a black shadow one pixel right and below, no highlight.
TShadowLabel* addLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                       TAlignment alignment = TAlignment::taLeftJustify) {
    auto* label = new TShadowLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetFontColor(kWhite);
    label->Shadow().SetColor(kBlack);
    label->Highlight().SetVisible(false);
    label->SetLayout(TTextLayout::tlCenter);
    label->SetAlignment(alignment);
    label->SetCaption(caption);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

TProgressForm1::TProgressForm1(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ProgressForm1"));
    setWindowTitle(QStringLiteral("処理中..."));
    setModal(false);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(468, 98);

    GradBox2 = new TGradBox(this);
    GradBox2->setObjectName(QStringLiteral("GradBox2"));
    GradBox2->SetTopColor(kSilver);
    GradBox2->SetLastColor(kWhite);
    GradBox2->setGeometry(8, 4, 452, 90);
    auto* bevel = new QFrame(this);
    bevel->setFrameStyle(QFrame::Box | QFrame::Raised);
    bevel->setLineWidth(1);
    bevel->setGeometry(GradBox2->geometry());

    Label1 = addLabel(this, "Label1", QStringLiteral("ファイル名 :"), QRect(24, 15, 62, 16));
    Label4 = addLabel(this, "Label4", QString(), QRect(88, 15, 252, 16));
    Label4->SetEllipsis(TEllipsis::elPath);
    Label2 = addLabel(this, "Label2", QStringLiteral("ページ数 :"), QRect(24, 39, 56, 16));
    Label5 = addLabel(this, "Label5", QStringLiteral("0"), QRect(80, 39, 94, 16), TAlignment::taRightJustify);
    ShadowLabel1 = addLabel(this, "ShadowLabel1", QStringLiteral("総ページ数 :"), QRect(188, 39, 70, 16));
    Label6 = addLabel(this, "Label6", QStringLiteral("0"), QRect(258, 39, 80, 16), TAlignment::taRightJustify);

    ProgressBar1 = new TdxfProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    // The bar leaves room on its right for the stop button, which ends under the total.
    ProgressBar1->setGeometry(31, 66, 228, 16);
    ProgressBar1->SetOrientation(TdxfPBOrientation::orHorizontal);
    ProgressBar1->SetStyle(TdxfPBStyle::sExRectangles);
    ProgressBar1->SetBevelOuter(TdxfBevelOuter::bvLowered);
    ProgressBar1->SetBarBevelOuter(TdxfBevelOuter::bvLowered);
    ProgressBar1->SetBeginColor(rgbColor(0, 0, 128));
    ProgressBar1->SetEndColor(kWhite);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetMax(10);
    ProgressBar1->SetPosition(0);
    ProgressBar1->SetStep(1);
    ProgressBar1->SetShowTextStyle(TdxfShowTextStyle::stsPercent);
    ProgressBar1->SetShowText(false);

    DispBevel = new QFrame(this);
    DispBevel->setObjectName(QStringLiteral("DispBevel"));
    DispBevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    DispBevel->setGeometry(349, 11, 102, 77);

    IkDisp1 = new TVIkDisp(this);
    IkDisp1->setObjectName(QStringLiteral("IkDisp1"));
    IkDisp1->setGeometry(351, 13, 98, 73);
    IkDisp1->SetAppearance(vikLowered);
    IkDisp1->SetBorderVisible(false);
    IkDisp1->SetInvalidHatchPattern(false);
    IkDisp1->SetColor(0x8000000F);  // button face
    IkDisp1->SetDispScale(1.0);

    StopButton = new QPushButton(QStringLiteral("中止"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setGeometry(268, 63, 70, 22);
    // Enter must not stop a run by accident: only a click, Space on the button, or Esc.
    StopButton->setAutoDefault(false);
    StopButton->setEnabled(false);
    connect(StopButton, &QPushButton::clicked, this, [this] { RequestStop(); });

    // A finished picture is shown at the next turn of the event loop.
    picture_ = std::make_unique<app::PagePicture>(
        [this] { QMetaObject::invokeMethod(this, [this] { takePicture(); }, Qt::QueuedConnection); });
}

TProgressForm1::~TProgressForm1() {
    // The worker stops while the display still keeps the kit attached.
    picture_.reset();
    releasePicture();
}

void TProgressForm1::BeginRun(const QString& fileName, int total) {
    running_ = true;
    stopRequested_ = false;
    StopButton->setEnabled(true);
    Label4->SetCaption(fileName);
    Label5->SetCaption(QStringLiteral("0"));
    Label6->SetCaption(QString::number(total));
    ProgressBar1->SetMax(total);
    ProgressBar1->SetPosition(0);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    RepaintNow();
}

// Pages done quickly one after another are painted together: a turn at most every tick.
void TProgressForm1::PageDone(int number) {
    Label5->SetCaption(QString::number(number));
    ProgressBar1->SetPosition(number);
    Tick();
}

void TProgressForm1::EndRun() {
    running_ = false;
    picture_->drop();
    releasePicture();
    StopButton->setEnabled(false);
    close();
    for (const QPointer<QWindow>& window : std::exchange(closeAfterRun_, {}))
        if (window) QMetaObject::invokeMethod(window, [window] { window->close(); }, Qt::QueuedConnection);
}

void TProgressForm1::RequestStop() {
    if (!running_) return;
    stopRequested_ = true;
    // Asked once is enough; BeginRun enables it again.
    StopButton->setEnabled(false);
}

bool TProgressForm1::PicturePending() const { return picture_->pending(); }

void TProgressForm1::Tick() {
    if (!running_) return;
    if (!lastTurn_.isValid() || lastTurn_.elapsed() >= kTickIntervalMs) RepaintNow();
}

void TProgressForm1::RepaintNow() {
    takePicture();
    {
        const app::RunInputGate gate(StopButton, [this] { RequestStop(); }, [this](QWindow* window) {
            if (!closeAfterRun_.contains(window)) closeAfterRun_ << window;
        });
        QApplication::processEvents(QEventLoop::AllEvents);
    }
    repaint();
    lastTurn_.start();
}

void TProgressForm1::keyPressEvent(QKeyEvent* event) {
    // Esc asks to stop; it never closes the window, which the user cannot close.
    if (event->key() == Qt::Key_Escape) {
        RequestStop();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TProgressForm1::ShowPage(std::uint32_t image) {
    // The job's image is newer than any picture still being decoded.
    picture_->drop();
    IkDisp1->SetImgHandle(image);
    if (image) IkDisp1->Display(vikScale);
    IkDisp1->Refresh();
    // The display lets go of the decoded picture before it is freed.
    if (ownPicture_ != image) releasePicture();
    // The run keeps the event loop busy, so the picture is put on the screen now.
    IkDisp1->repaint();
}

void TProgressForm1::ShowPageOf(const QString& path, int page) {
    const int inset = Ikutils::borderInset(IkDisp1->BorderVisible(), IkDisp1->Appearance());
    picture_->request(path, page, QSize(IkDisp1->width() - 2 * inset, IkDisp1->height() - 2 * inset));
}

void TProgressForm1::takePicture() {
    const std::uint32_t picture = picture_->take();
    if (!picture) return;
    IkDisp1->SetImgHandle(picture);
    IkDisp1->Display(vikScale);
    IkDisp1->Refresh();
    app::freePicture(ownPicture_);
    ownPicture_ = picture;
}

void TProgressForm1::releasePicture() {
    if (!ownPicture_) return;
    if (IkDisp1->ImgHandle() == ownPicture_) {
        IkDisp1->SetImgHandle(0);
        IkDisp1->Refresh();
    }
    app::freePicture(ownPicture_);
    ownPicture_ = 0;
}
