#include "app/PagePreview.h"

#include "app/Guard.h"
#include "browse/Ikslide.h"
#include "platform/desktop/Prompts.h"

#include <QFile>

namespace app {

void setUpPreviewPane(TVIkSlide& slide) {
    slide.setToolTip(QStringLiteral("プレビュー"));
    slide.setStatusTip(QStringLiteral("プレビュー"));
    slide.SetAppearance(vikLowered);
    slide.SetBorderVisible(true);
    slide.SetColor(0xD5FFFF);  // red 255, green 255, blue 213
    slide.SetFileReadWay(vikSlidefile);
    slide.SetFileExt(QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;WMF;EMF;DXF;GIF"));
    slide.SetIntervalTime(1);
    slide.SetScrollDir(vikLeftToRight);
    slide.SetScrollSize(4);
    slide.SetSort(vikSortFileName);
}

bool writeSlideList(const QString& path, const QStringList& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray text;
    for (const QString& line : lines) text += line.toUtf8() + "\r\n";
    return file.write(text) == text.size() && file.flush();
}

PagePreview::PagePreview(TVIkSlide* slide, QString listPath, QObject* parent)
    : QObject(parent), slide_(slide), listPath_(std::move(listPath)) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { runGuarded([this] { show(); }); });
}

void PagePreview::request(const QStringList& lines, int index) {
    lines_ = lines;
    index_ = index;
    timer_.start();
}

void PagePreview::flush() {
    if (!timer_.isActive()) return;
    timer_.stop();
    show();
}

void PagePreview::close() {
    timer_.stop();
    slide_->Close();
}

// The slide control keeps its entries in memory once it has read the list.
void PagePreview::show() {
    if (!writeSlideList(listPath_, lines_)) {
        QFile::remove(listPath_);
        platform::prompts().message(QStringLiteral("ファイル %1 を作成できません。").arg(listPath_));
        return;
    }
    slide_->SetSlideFileName(listPath_);
    slide_->Close();
    slide_->Open();
    slide_->SetCurrentImage(index_);
    slide_->Start();
    slide_->Stop();
    QFile::remove(listPath_);
}

}  // namespace app
