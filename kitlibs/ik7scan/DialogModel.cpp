#include "DialogModel.h"

#include "DeviceSettings.h"
#include "ScanJob.h"
#include "ScanStatus.h"

#include <sane/saneopts.h>

#include <algorithm>

namespace scan {

namespace {

scanui::Range rangeOf(const SaneOptions& options, const char* name) {
    scanui::Range range;
    const auto constraint = options.numberConstraint(name);
    const auto value = options.number(name);
    if (!constraint || !value || !options.settable(name)) return range;
    range.offered = true;
    range.minimum = constraint->minimum;
    range.maximum = constraint->maximum;
    range.step = constraint->step;
    range.values = constraint->values;
    range.value = *value;
    return range;
}

const char* const kPixelTypeLabels[] = {"白黒 (1ビット)", "グレー (8ビット)", "カラー (24ビット)"};
const char* const kAreaOptions[] = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X,
                                    SANE_NAME_SCAN_BR_Y};

}  // namespace

DialogModel::DialogModel(const OpenSource& source, const IKSCANRECORD& record, const AcquisitionCallbacks& callbacks,
                         bool closeAfterTransfer)
    : source_(source), record_(record), callbacks_(callbacks), closeAfterTransfer_(closeAfterTransfer) {
    const SaneOptions options(source.handle);
    sourceChoice_.labels = options.textChoices(SANE_NAME_SCAN_SOURCE);
    if (options.settable(SANE_NAME_SCAN_SOURCE)) {
        const std::string current = options.text(SANE_NAME_SCAN_SOURCE).value_or("");
        const auto it = std::find(sourceChoice_.labels.begin(), sourceChoice_.labels.end(), current);
        sourceChoice_.current = it == sourceChoice_.labels.end() ? 0 : int(it - sourceChoice_.labels.begin());
    } else {
        sourceChoice_.labels.clear();
    }
    pixelTypes_ = offeredPixelTypes(options);
    const auto it = std::find(pixelTypes_.begin(), pixelTypes_.end(), currentPixelType(options));
    pixelTypeIndex_ = pixelTypes_.empty() ? -1 : it == pixelTypes_.end() ? 0 : int(it - pixelTypes_.begin());
    resolution_ = rangeOf(options, options.offered(SANE_NAME_SCAN_RESOLUTION) ? SANE_NAME_SCAN_RESOLUTION
                                                                              : SANE_NAME_SCAN_X_RESOLUTION);
    for (int edge = 0; edge < 4; ++edge) area_[edge] = rangeOf(options, kAreaOptions[edge]);
    // The area is shown in millimetres; a device that counts pixels is left as it is.
    if (options.unit(SANE_NAME_SCAN_BR_X) != SANE_UNIT_MM)
        for (auto& a : area_) a.offered = false;
    brightness_ = rangeOf(options, SANE_NAME_BRIGHTNESS);
    contrast_ = rangeOf(options, SANE_NAME_CONTRAST);
}

DialogModel::~DialogModel() { acquisition_.reset(); }

scanui::Choice DialogModel::pixelType() const {
    scanui::Choice choice;
    for (int type : pixelTypes_) choice.labels.emplace_back(kPixelTypeLabels[type]);
    choice.current = pixelTypeIndex_;
    return choice;
}

scanui::Range DialogModel::area(int edge) const { return edge >= 0 && edge < 4 ? area_[edge] : scanui::Range{}; }

void DialogModel::setSource(int index) {
    if (index >= 0 && index < int(sourceChoice_.labels.size())) sourceChoice_.current = index;
}

void DialogModel::setPixelType(int index) {
    if (index >= 0 && index < int(pixelTypes_.size())) pixelTypeIndex_ = index;
}

void DialogModel::setArea(int edge, double mm) {
    if (edge >= 0 && edge < 4) area_[edge].value = mm;
}

void DialogModel::applyToDevice() {
    SaneOptions options(source_.handle);
    if (sourceChoice_.current >= 0)
        options.setText(SANE_NAME_SCAN_SOURCE, sourceChoice_.labels[std::size_t(sourceChoice_.current)]);
    if (pixelTypeIndex_ >= 0) {
        const int type = pixelTypes_[std::size_t(pixelTypeIndex_)];
        scan::setPixelType(options, type, type == kColour ? 24 : type == kGrey ? 8 : 1);
    }
    if (resolution_.offered) setDpi(options, resolution_.value, resolution_.value);
    if (area_[0].offered && area_[2].offered && area_[1].offered && area_[3].offered)
        scan::setArea(options, AreaMm{area_[0].value, area_[1].value, area_[2].value, area_[3].value});
    if (brightness_.offered) options.setNumber(SANE_NAME_BRIGHTNESS, brightness_.value);
    if (contrast_.offered) options.setNumber(SANE_NAME_CONTRAST, contrast_.value);
}

bool DialogModel::scan(Listener* listener, std::string& message) {
    if (acquisition_ && !acquisition_->finished()) {
        message = "busy";
        return false;
    }
    acquisition_.reset();
    listener_ = listener;
    applyToDevice();
    scanned_ = true;
    acquisition_ = startAcquisition(source_, record_, callbacks_, this);
    return true;
}

void DialogModel::cancel() {
    if (acquisition_ && !acquisition_->finished()) acquisition_->stop();
}

void DialogModel::acquisitionProgress(int percent) {
    if (listener_) listener_->scanProgress(percent);
}

void DialogModel::acquisitionFinished() {
    images_ += acquisition_->images();
    lastStatus_ = acquisition_->status();
    std::string message;
    if (lastStatus_ != IK_OK && lastStatus_ != IK_ERR_CANCELLED) {
        const LastFailure failure = lastFailure();
        message = failure.text.empty() ? "status " + std::to_string(lastStatus_) : failure.text;
    }
    if (listener_) listener_->scanFinished(closeAfterTransfer_ && lastStatus_ == IK_OK, message);
}

std::uint16_t DialogModel::status() const {
    if (!scanned_) return IK_ERR_CANCELLED;
    return lastStatus_;
}

}  // namespace scan
