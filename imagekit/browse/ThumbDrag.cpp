#include "browse/ThumbDrag.h"

#include "browse/IkFileNames.h"

#include <QEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

QMimeData* ThumbDragData(const std::vector<TIKSORTDATA>& entries) {
    QList<QUrl> urls;
    for (const TIKSORTDATA& e : entries)
        if (e.Selected) urls.append(QUrl::fromLocalFile(IkBrowse::joinPath(e.PathName, e.FileName)));
    if (urls.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setData(QString::fromLatin1(kThumbPageMimeType), QByteArray::number(ThumbDragPage(entries)));
    return data;
}

int ThumbDragPage(const std::vector<TIKSORTDATA>& entries) {
    for (const TIKSORTDATA& e : entries)
        if (e.Selected) return e.Page;
    return 0;
}

bool isPageTitle(const QString& title) {
    return title == QLatin1String("RoduvIzi7") || title == QLatin1String("DedizAdi7D") ||
           title == QLatin1String("RaruvOza6");
}

QString Ik6PageTitle(const QString& name, int page) {
    return page <= 0 ? name : name + QString::asprintf("%05d", page);
}

void SetWindowText_Ik6Page(QWidget* window, const QString& name, int page) {
    if (window) window->setWindowTitle(Ik6PageTitle(name, page));
}

bool ThumbPageHandOver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Drop && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (isPageTitle(widget->windowTitle())) SetWindowText_Ik6Page(widget, widget->windowTitle(), page_);
    }
    return false;
}
