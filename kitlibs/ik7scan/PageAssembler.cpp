#include "PageAssembler.h"

#include "DibBlock.h"
#include "FrameRows.h"
#include "platform/KitStatus.h"

#include <algorithm>

namespace scan {

namespace {

bool separatePlane(int format) { return format >= 2 && format <= 4; }

std::uint64_t neededBytesPerLine(const FrameFormat& f) {
    const std::uint64_t samples = std::uint64_t(f.pixelsPerLine) * (f.format == 1 ? 3 : 1);
    return (samples * std::uint64_t(f.depth) + 7) / 8;
}

}  // namespace

bool PageAssembler::failWith(std::uint16_t status) {
    status_ = status;
    return false;
}

bool PageAssembler::beginFrame(const FrameFormat& frame) {
    if (complete_ || inFrame_) return failWith(IK_ERR_ARGUMENT);
    const bool known = frame.format >= 0 && frame.format <= 4;
    const bool depthOk = frame.depth == 8 || frame.depth == 16 || (frame.depth == 1 && frame.format == 0);
    if (!known || !depthOk || frame.pixelsPerLine <= 0 || frame.bytesPerLine <= 0 ||
        std::uint64_t(frame.bytesPerLine) < neededBytesPerLine(frame) || frame.lines < -1 || frame.lines == 0)
        return failWith(IK_ERR_FORMAT);
    if (frames_ == 0) {
        first_ = frame;
        width_ = frame.pixelsPerLine;
    } else {
        // Later frames of a three-pass page: single colours of the first frame's geometry.
        if (!separatePlane(first_.format) || !separatePlane(frame.format) || frame.depth != first_.depth ||
            frame.pixelsPerLine != first_.pixelsPerLine || frame.bytesPerLine != first_.bytesPerLine ||
            planeDone_[frame.format - 2])
            return failWith(IK_ERR_FORMAT);
    }
    if (frame.lines > 0) {
        const std::uint64_t pixels = std::uint64_t(frame.pixelsPerLine) * std::uint64_t(frame.lines);
        const std::uint64_t bytes = std::uint64_t(frame.bytesPerLine) * std::uint64_t(frame.lines);
        if (pixels > kMostPagePixels || bytes * (separatePlane(frame.format) ? 3 : 1) > kMostPageBytes)
            return failWith(IK_ERR_MEMORY);
        plane(frame.format).reserve(static_cast<std::size_t>(bytes));
    }
    plane(frame.format).clear();
    current_ = frame;
    inFrame_ = true;
    return true;
}

bool PageAssembler::append(const std::uint8_t* data, std::size_t size) {
    if (!inFrame_) return failWith(IK_ERR_ARGUMENT);
    std::vector<std::uint8_t>& target = plane(current_.format);
    std::uint64_t total = 0;
    for (const auto& p : planes_) total += p.size();
    const std::uint64_t bytesAfter = total + size;
    const std::uint64_t linesAfter = (target.size() + size) / std::uint64_t(current_.bytesPerLine);
    if (bytesAfter > kMostPageBytes || linesAfter * std::uint64_t(width_) > kMostPagePixels)
        return failWith(IK_ERR_MEMORY);
    try {
        target.insert(target.end(), data, data + size);
    } catch (const std::bad_alloc&) {
        return failWith(IK_ERR_MEMORY);
    }
    return true;
}

bool PageAssembler::endFrame() {
    if (!inFrame_) return failWith(IK_ERR_ARGUMENT);
    inFrame_ = false;
    ++frames_;
    if (separatePlane(current_.format)) {
        planeDone_[current_.format - 2] = true;
        complete_ = planeDone_[0] && planeDone_[1] && planeDone_[2];
    } else {
        complete_ = true;
    }
    // A backend that marks the last frame early leaves the missing planes black.
    if (current_.lastFrame && !complete_) {
        complete_ = true;
    }
    return complete_;
}

int PageAssembler::rows() const {
    const std::size_t bpl = static_cast<std::size_t>(first_.bytesPerLine);
    if (bpl == 0) return 0;
    std::size_t rows = 0;
    if (!separatePlane(first_.format)) {
        rows = planes_[0].size() / bpl;
    } else {
        // The shortest plane that came decides; a plane that never came does not.
        bool any = false;
        rows = SIZE_MAX;
        for (int i = 0; i < 3; ++i) {
            if (!planeDone_[i]) continue;
            rows = std::min(rows, planes_[i].size() / bpl);
            any = true;
        }
        if (!any) rows = 0;
    }
    if (first_.lines > 0) rows = std::min<std::size_t>(rows, std::size_t(first_.lines));
    return static_cast<int>(rows);
}

int PageAssembler::bitsPerPixel() const {
    if (first_.format == 0) return first_.depth == 1 ? 1 : 8;
    return 24;
}

int PageAssembler::percent() const {
    if (frames_ == 0 && !inFrame_) return 0;
    if (first_.lines <= 0) return complete_ ? 100 : 0;
    const std::uint64_t frameBytes = std::uint64_t(first_.bytesPerLine) * std::uint64_t(first_.lines);
    const std::uint64_t framesTotal = separatePlane(first_.format) ? 3 : 1;
    std::uint64_t got = 0;
    for (const auto& p : planes_) got += std::min<std::uint64_t>(p.size(), frameBytes);
    return static_cast<int>(std::min<std::uint64_t>(100, got * 100 / (frameBytes * framesTotal)));
}

IKHANDLE PageAssembler::makeDib(double xDpi, double yDpi) {
    if (!complete_) {
        status_ = IK_ERR_ARGUMENT;
        return 0;
    }
    const int height = rows();
    if (height <= 0) {
        status_ = IK_ERR_FORMAT;
        return 0;
    }
    const int bits = bitsPerPixel();
    const IKHANDLE image = bits == 8   ? kit::allocateGreyDib(width_, height, false)
                           : bits == 1 ? kit::allocateDib(width_, height, 1, 2, false)
                                       : kit::allocateDib(width_, height, 24, 0, false);
    if (!image) {
        status_ = platform::kitStatus() ? platform::kitStatus() : std::uint16_t{IK_ERR_MEMORY};
        return 0;
    }
    kit::DibView view(image);
    view.header().biXPelsPerMeter = xDpi > 0 ? platform::dpiToPelsPerMeter(xDpi) : 0;
    view.header().biYPelsPerMeter = yDpi > 0 ? platform::dpiToPelsPerMeter(yDpi) : 0;
    if (bits == 1) {
        view.colours()[0] = platform::RgbQuad{0, 0, 0, 0};
        view.colours()[1] = platform::RgbQuad{255, 255, 255, 0};
    }
    const std::size_t bpl = static_cast<std::size_t>(first_.bytesPerLine);
    const std::size_t stride = view.stride();
    const std::size_t used = kit::packedRowBytes(std::size_t(width_), bits);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* target = view.row(y);
        const std::size_t offset = std::size_t(y) * bpl;
        if (separatePlane(first_.format)) {
            // A plane that never came stays black.
            std::array<const std::uint8_t*, 3> rows{};
            std::vector<std::uint8_t> black;
            for (int i = 0; i < 3; ++i) {
                if (planeDone_[i] && planes_[i].size() >= offset + bpl) {
                    rows[i] = planes_[i].data() + offset;
                } else {
                    if (black.empty()) black.assign(bpl, 0);
                    rows[i] = black.data();
                }
            }
            planesRow(rows[0], rows[1], rows[2], target, std::size_t(width_), first_.depth);
        } else if (bits == 1) {
            lineArtRow(planes_[0].data() + offset, target, std::size_t(width_));
        } else if (bits == 8) {
            greyRow(planes_[0].data() + offset, target, std::size_t(width_), first_.depth);
        } else {
            rgbRow(planes_[0].data() + offset, target, std::size_t(width_), first_.depth);
        }
        std::fill(target + used, target + stride, std::uint8_t{0});
    }
    return image;
}

}  // namespace scan
