#pragma once
// The source's own dialog: source, mode, resolution, area, brightness and contrast as the
// device offers them, Scan and Close, and while a page is read a progress bar and Cancel.

#include "ik7scanui.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

class DeviceDialog final : public QDialog, private scanui::DeviceModel::Listener {
public:
    DeviceDialog(scanui::DeviceModel& model, bool closeAfterTransfer, QWidget* parent);

    // Japanese names of the usual SANE sources; others are shown as the device names them.
    static QString sourceLabel(const std::string& source);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void scanProgress(int percent) override;
    void scanFinished(bool closeDialog, const std::string& message) override;
    void startScan();
    void setScanning(bool scanning);
    // The line under the progress bar; hidden when empty.
    void showMessage(const QString& text);

    scanui::DeviceModel& model_;
    QComboBox* source_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* resolutionList_ = nullptr;
    QSpinBox* resolution_ = nullptr;
    QDoubleSpinBox* area_[4] = {};
    QSpinBox* brightness_ = nullptr;
    QSpinBox* contrast_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* scan_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
    bool scanning_ = false;
    bool closeWanted_ = false;
};
