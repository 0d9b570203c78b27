#pragma once
// The device dialog's view of an open source: the values the dialog edits, applied to the
// device when the user scans, and the acquisitions that follow.

#include "Acquisition.h"
#include "ScanSession.h"
#include "ik7scanui.h"

#include <memory>

namespace scan {

class DialogModel final : public scanui::DeviceModel, private AcquisitionObserver {
public:
    DialogModel(const OpenSource& source, const IKSCANRECORD& record, const AcquisitionCallbacks& callbacks,
                bool closeAfterTransfer);
    ~DialogModel() override;

    std::string title() const override { return source_.device.productName; }
    scanui::Choice source() const override { return sourceChoice_; }
    scanui::Choice pixelType() const override;
    scanui::Range resolution() const override { return resolution_; }
    scanui::Range area(int edge) const override;
    scanui::Range brightness() const override { return brightness_; }
    scanui::Range contrast() const override { return contrast_; }

    void setSource(int index) override;
    void setPixelType(int index) override;
    void setResolution(double dpi) override { resolution_.value = dpi; }
    void setArea(int edge, double mm) override;
    void setBrightness(double value) override { brightness_.value = value; }
    void setContrast(double value) override { contrast_.value = value; }

    bool scan(Listener* listener, std::string& message) override;
    void cancel() override;

    int images() const { return images_; }
    // The status of the dialog as a whole: the last acquisition's, or a stop when the
    // user closed it without scanning.
    std::uint16_t status() const;

private:
    void acquisitionProgress(int percent) override;
    void acquisitionFinished() override;
    void applyToDevice();

    const OpenSource& source_;
    IKSCANRECORD record_;
    AcquisitionCallbacks callbacks_;
    bool closeAfterTransfer_;

    scanui::Choice sourceChoice_;
    std::vector<int> pixelTypes_;
    int pixelTypeIndex_ = -1;
    scanui::Range resolution_, brightness_, contrast_;
    scanui::Range area_[4];

    std::unique_ptr<Acquisition> acquisition_;
    Listener* listener_ = nullptr;
    int images_ = 0;
    bool scanned_ = false;
    std::uint16_t lastStatus_ = IK_OK;
};

}  // namespace scan
