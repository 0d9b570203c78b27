#include "DeviceDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {

QSpinBox* levelSpin(const scanui::Range& range, const char* name, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(int(std::floor(range.minimum)), int(std::ceil(range.maximum)));
    spin->setValue(int(std::lround(range.value)));
    return spin;
}

}  // namespace

QString DeviceDialog::sourceLabel(const std::string& source) {
    const QString s = QString::fromStdString(source);
    if (s.compare(QLatin1String("Flatbed"), Qt::CaseInsensitive) == 0) return QStringLiteral("フラットベッド");
    if (s.contains(QLatin1String("Duplex"), Qt::CaseInsensitive)) return QStringLiteral("自動原稿送り装置 (両面)");
    if (s.contains(QLatin1String("Feeder"), Qt::CaseInsensitive) || s.contains(QLatin1String("ADF")))
        return QStringLiteral("自動原稿送り装置");
    return s;
}

DeviceDialog::DeviceDialog(scanui::DeviceModel& model, bool closeAfterTransfer, QWidget* parent)
    : QDialog(parent), model_(model) {
    (void)closeAfterTransfer;
    setObjectName(QStringLiteral("ScanSourceDialog"));
    setWindowTitle(QString::fromStdString(model.title()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    const scanui::Choice source = model.source();
    if (source.current >= 0) {
        source_ = new QComboBox(this);
        source_->setObjectName(QStringLiteral("sourceCombo"));
        for (const std::string& s : source.labels) source_->addItem(sourceLabel(s));
        source_->setCurrentIndex(source.current);
        form->addRow(QStringLiteral("読み取り元:"), source_);
    }
    const scanui::Choice mode = model.pixelType();
    if (mode.current >= 0) {
        mode_ = new QComboBox(this);
        mode_->setObjectName(QStringLiteral("modeCombo"));
        for (const std::string& s : mode.labels) mode_->addItem(QString::fromStdString(s));
        mode_->setCurrentIndex(mode.current);
        form->addRow(QStringLiteral("モード:"), mode_);
    }
    const scanui::Range resolution = model.resolution();
    if (resolution.offered && !resolution.values.empty()) {
        resolutionList_ = new QComboBox(this);
        resolutionList_->setObjectName(QStringLiteral("resolutionCombo"));
        for (double v : resolution.values) {
            resolutionList_->addItem(QString::number(v), v);
            if (v == resolution.value) resolutionList_->setCurrentIndex(resolutionList_->count() - 1);
        }
        form->addRow(QStringLiteral("解像度 (dpi):"), resolutionList_);
    } else if (resolution.offered) {
        resolution_ = new QSpinBox(this);
        resolution_->setObjectName(QStringLiteral("resolutionSpin"));
        resolution_->setRange(int(std::ceil(resolution.minimum)), int(std::floor(resolution.maximum)));
        resolution_->setValue(int(std::lround(resolution.value)));
        resolution_->setSuffix(QStringLiteral(" dpi"));
        form->addRow(QStringLiteral("解像度:"), resolution_);
    }
    bool areaOffered = true;
    for (int edge = 0; edge < 4; ++edge) areaOffered = areaOffered && model.area(edge).offered;
    if (areaOffered) {
        auto* box = new QGroupBox(QStringLiteral("読み取り範囲 (mm)"), this);
        auto* grid = new QGridLayout(box);
        const char* names[] = {"areaLeftSpin", "areaTopSpin", "areaRightSpin", "areaBottomSpin"};
        const QString labels[] = {QStringLiteral("左:"), QStringLiteral("上:"), QStringLiteral("右:"),
                                  QStringLiteral("下:")};
        for (int edge = 0; edge < 4; ++edge) {
            const scanui::Range a = model.area(edge);
            area_[edge] = new QDoubleSpinBox(box);
            area_[edge]->setObjectName(QString::fromLatin1(names[edge]));
            area_[edge]->setDecimals(1);
            area_[edge]->setRange(a.minimum, a.maximum);
            area_[edge]->setValue(a.value);
            // Room for four digits and a decimal beside the arrows, so values never touch the edge.
            area_[edge]->setMinimumWidth(area_[edge]->fontMetrics().horizontalAdvance(QStringLiteral("0000.0")) + 40);
            grid->addWidget(new QLabel(labels[edge], box), edge / 2, (edge % 2) * 2);
            grid->addWidget(area_[edge], edge / 2, (edge % 2) * 2 + 1);
        }
        layout->addWidget(box);
    }
    const auto levels = new QFormLayout;
    if (const scanui::Range b = model.brightness(); b.offered) {
        brightness_ = levelSpin(b, "brightnessSpin", this);
        levels->addRow(QStringLiteral("明るさ:"), brightness_);
    }
    if (const scanui::Range c = model.contrast(); c.offered) {
        contrast_ = levelSpin(c, "contrastSpin", this);
        levels->addRow(QStringLiteral("コントラスト:"), contrast_);
    }
    layout->addLayout(levels);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progressBar"));
    progress_->setRange(0, 100);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("messageLabel"));
    message_->setWordWrap(true);
    layout->addWidget(progress_);
    layout->addWidget(message_);

    auto* buttons = new QHBoxLayout;
    scan_ = new QPushButton(QStringLiteral("スキャン"), this);
    scan_->setObjectName(QStringLiteral("scanButton"));
    scan_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    close_ = new QPushButton(QStringLiteral("閉じる"), this);
    close_->setObjectName(QStringLiteral("closeButton"));
    buttons->addStretch();
    buttons->addWidget(scan_);
    buttons->addWidget(cancel_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(scan_, &QPushButton::clicked, this, [this] { startScan(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.cancel(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
    message_->hide();
    setScanning(false);
}

void DeviceDialog::setScanning(bool scanning) {
    scanning_ = scanning;
    progress_->setVisible(scanning);
    cancel_->setVisible(scanning);
    cancel_->setEnabled(scanning);
    scan_->setEnabled(!scanning);
    for (QWidget* w : std::initializer_list<QWidget*>{source_, mode_, resolutionList_, resolution_, brightness_,
                                                      contrast_, area_[0], area_[1], area_[2], area_[3]})
        if (w) w->setEnabled(!scanning);
    // The dialog fits what is shown: no empty band once the progress bar is hidden again.
    adjustSize();
}

void DeviceDialog::showMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
    adjustSize();
}

void DeviceDialog::startScan() {
    if (scanning_) return;
    if (source_) model_.setSource(source_->currentIndex());
    if (mode_) model_.setPixelType(mode_->currentIndex());
    if (resolutionList_) model_.setResolution(resolutionList_->currentData().toDouble());
    if (resolution_) model_.setResolution(resolution_->value());
    for (int edge = 0; edge < 4; ++edge)
        if (area_[edge]) model_.setArea(edge, area_[edge]->value());
    if (brightness_) model_.setBrightness(brightness_->value());
    if (contrast_) model_.setContrast(contrast_->value());
    showMessage(QString());
    progress_->setValue(0);
    setScanning(true);
    std::string message;
    if (!model_.scan(this, message)) {
        setScanning(false);
        showMessage(QString::fromStdString(message));
    }
}

void DeviceDialog::scanProgress(int percent) { progress_->setValue(percent); }

void DeviceDialog::scanFinished(bool closeDialog, const std::string& message) {
    setScanning(false);
    if (!message.empty()) showMessage(QStringLiteral("スキャンできませんでした: ") + QString::fromStdString(message));
    if (closeDialog || closeWanted_) done(closeDialog ? QDialog::Accepted : QDialog::Rejected);
}

void DeviceDialog::reject() {
    // Closing while a page is read stops the device first; the dialog closes when it has.
    if (scanning_) {
        closeWanted_ = true;
        model_.cancel();
        return;
    }
    QDialog::reject();
}

void DeviceDialog::closeEvent(QCloseEvent* event) {
    if (scanning_) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}
