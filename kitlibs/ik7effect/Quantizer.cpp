#include "Quantizer.h"

#include "Colour.h"

#include <algorithm>
#include <array>

namespace effect {

void Quantizer::exactColour(std::uint32_t rgb) {
    if (rgb == lastColour_ || tooMany_) return;
    lastColour_ = rgb;
    if (std::find(exact_.begin(), exact_.end(), rgb) != exact_.end()) return;
    if (static_cast<int>(exact_.size()) == maxColours_) {
        tooMany_ = true;
        return;
    }
    exact_.push_back(rgb);
}

namespace {

// Pixels the 32-bit lanes can take before a sum of 255s could overflow.
constexpr std::uint32_t kLanePixels = 0xFFFFFFFFu / 255u;

}  // namespace

void Quantizer::flushLanes() {
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        const Lanes& lane = lanes_[i];
        if (!lane[0]) continue;
        Bin& bin = bins_[i];
        bin.count += lane[0];
        bin.blue += lane[1];
        bin.green += lane[2];
        bin.red += lane[3];
        lanes_[i] = Lanes{0, 0, 0, 0};
    }
    pixelsInLanes_ = 0;
}

template <int Step>
void Quantizer::addPixels(const std::uint8_t* p, std::int32_t count) {
    std::int32_t i = 0;
    // While the colours may still fit the palette, each is also kept exactly.
    for (; i < count && !tooMany_; ++i, p += Step) {
        lanes_[binOf(p[0], p[1], p[2])] += Lanes{1u, p[0], p[1], p[2]};
        exactColour((p[2] << 16) | (p[1] << 8) | p[0]);
    }
    Lanes* lanes = lanes_.data();
    for (; i < count; ++i, p += Step) lanes[binOf(p[0], p[1], p[2])] += Lanes{1u, p[0], p[1], p[2]};
}

void Quantizer::add(const std::uint8_t* pixels, std::int32_t count, int step) {
    while (count > 0) {
        if (pixelsInLanes_ == kLanePixels) flushLanes();
        const auto part = static_cast<std::int32_t>(std::min<std::uint32_t>(static_cast<std::uint32_t>(count), kLanePixels - pixelsInLanes_));
        if (step == 3) addPixels<3>(pixels, part);
        else addPixels<4>(pixels, part);
        pixelsInLanes_ += static_cast<std::uint32_t>(part);
        pixels += static_cast<std::size_t>(part) * static_cast<std::size_t>(step);
        count -= part;
    }
}

template <int Step>
void Quantizer::mapPixels(const std::uint8_t* p, std::int32_t count, std::uint8_t* indices) const {
    if (!tooMany_) {
        for (std::int32_t i = 0; i < count; ++i, p += Step) indices[i] = indexOf(p[0], p[1], p[2]);
        return;
    }
    const std::uint8_t* table = binIndex_.data();
    for (std::int32_t i = 0; i < count; ++i, p += Step) indices[i] = table[binOf(p[0], p[1], p[2])];
}

void Quantizer::map(const std::uint8_t* pixels, std::int32_t count, int step, std::uint8_t* indices) const {
    if (step == 3) mapPixels<3>(pixels, count, indices);
    else mapPixels<4>(pixels, count, indices);
}

void Quantizer::build() {
    flushLanes();
    palette_.clear();
    if (!tooMany_) {
        palette_ = exact_;
        std::sort(palette_.begin(), palette_.end());
        return;
    }
    medianCut();
    mapBins();
}

namespace {

struct Box {
    std::array<int, 3> low{0, 0, 0}, high{31, 31, 31};  // red, green, blue in 5-bit units, inclusive
    std::uint64_t pixels = 0;
};

int binAt(int r, int g, int b) { return (r << 10) | (g << 5) | b; }

}  // namespace

void Quantizer::medianCut() {
    auto shrink = [&](Box& box) {
        std::array<int, 3> lo{31, 31, 31}, hi{0, 0, 0};
        box.pixels = 0;
        for (int r = box.low[0]; r <= box.high[0]; ++r)
            for (int g = box.low[1]; g <= box.high[1]; ++g)
                for (int b = box.low[2]; b <= box.high[2]; ++b) {
                    const std::uint32_t n = bins_[binAt(r, g, b)].count;
                    if (!n) continue;
                    box.pixels += n;
                    const int v[3] = {r, g, b};
                    for (int c = 0; c < 3; ++c) {
                        lo[c] = std::min(lo[c], v[c]);
                        hi[c] = std::max(hi[c], v[c]);
                    }
                }
        if (box.pixels) {
            box.low = lo;
            box.high = hi;
        }
    };
    std::vector<Box> boxes(1);
    shrink(boxes[0]);
    while (static_cast<int>(boxes.size()) < maxColours_) {
        // Split the box with the most pixels that still has room, weighted by its longest side.
        int pick = -1;
        std::uint64_t best = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const Box& box = boxes[i];
            const int side = std::max({box.high[0] - box.low[0], box.high[1] - box.low[1], box.high[2] - box.low[2]});
            if (side == 0) continue;
            const std::uint64_t score = box.pixels * static_cast<std::uint64_t>(side);
            if (score > best) {
                best = score;
                pick = static_cast<int>(i);
            }
        }
        if (pick < 0) break;
        Box box = boxes[static_cast<std::size_t>(pick)];
        int axis = 0;
        for (int c = 1; c < 3; ++c)
            if (box.high[c] - box.low[c] > box.high[axis] - box.low[axis]) axis = c;
        // Pixels per slice along the axis, then the median slice.
        std::vector<std::uint64_t> slices(32, 0);
        for (int r = box.low[0]; r <= box.high[0]; ++r)
            for (int g = box.low[1]; g <= box.high[1]; ++g)
                for (int b = box.low[2]; b <= box.high[2]; ++b) {
                    const int v[3] = {r, g, b};
                    slices[static_cast<std::size_t>(v[axis])] += bins_[binAt(r, g, b)].count;
                }
        std::uint64_t running = 0;
        int cut = box.low[axis];
        for (int s = box.low[axis]; s < box.high[axis]; ++s) {
            running += slices[static_cast<std::size_t>(s)];
            cut = s;
            if (running * 2 >= box.pixels) break;
        }
        Box lower = box, upper = box;
        lower.high[axis] = cut;
        upper.low[axis] = cut + 1;
        shrink(lower);
        shrink(upper);
        boxes[static_cast<std::size_t>(pick)] = lower;
        if (upper.pixels) boxes.push_back(upper);
    }
    for (const Box& box : boxes) {
        std::uint64_t n = 0, r = 0, g = 0, b = 0;
        for (int ri = box.low[0]; ri <= box.high[0]; ++ri)
            for (int gi = box.low[1]; gi <= box.high[1]; ++gi)
                for (int bi = box.low[2]; bi <= box.high[2]; ++bi) {
                    const Bin& bin = bins_[binAt(ri, gi, bi)];
                    n += bin.count;
                    r += bin.red;
                    g += bin.green;
                    b += bin.blue;
                }
        if (!n) continue;
        palette_.push_back(static_cast<std::uint32_t>(((r + n / 2) / n) << 16 | ((g + n / 2) / n) << 8 | ((b + n / 2) / n)));
    }
}

void Quantizer::mapBins() {
    // Each used bin takes the palette entry nearest the mean of its own pixels.
    binIndex_.assign(bins_.size(), 0);
    for (std::size_t i = 0; i < bins_.size(); ++i) {
        const Bin& bin = bins_[i];
        if (!bin.count) continue;
        const auto mean = [&](std::uint64_t sum) { return static_cast<std::uint8_t>(sum / bin.count); };
        binIndex_[i] = static_cast<std::uint8_t>(kit::nearestEntry(palette_, mean(bin.red), mean(bin.green), mean(bin.blue)));
    }
}

std::uint8_t Quantizer::indexOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
    if (!tooMany_) {
        const std::uint32_t rgb = (red << 16) | (green << 8) | blue;
        const auto it = std::lower_bound(palette_.begin(), palette_.end(), rgb);
        return static_cast<std::uint8_t>(it - palette_.begin());
    }
    return binIndex_[binOf(blue, green, red)];
}

}  // namespace effect
