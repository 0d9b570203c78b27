#include "Resample.h"

#include <algorithm>
#include <cmath>

namespace kit {
namespace {

// Rows of 8-bit values a 16-bit sum can take without overflowing (257 × 255 = 65535).
constexpr std::int32_t kMaxRunRows = 257;

}  // namespace

ResampleTaps resampleTaps(std::int32_t sourceLength, std::int32_t destinationLength, bool bilinearWhenGrowing) {
    ResampleTaps taps;
    const auto n = static_cast<std::size_t>(destinationLength);
    taps.first.resize(n);
    taps.count.resize(n);
    taps.offset.resize(n);
    const double scale = static_cast<double>(sourceLength) / destinationLength;
    std::vector<double> w;
    for (std::int32_t i = 0; i < destinationLength; ++i) {
        w.clear();
        std::int32_t first = 0;
        if (bilinearWhenGrowing && destinationLength > sourceLength) {
            const double centre = (i + 0.5) * scale - 0.5;
            const double base = std::floor(centre);
            const double frac = centre - base;
            auto j = static_cast<std::int32_t>(base);
            if (j < 0) {
                first = 0;
                w = {1.0};
            } else if (j >= sourceLength - 1) {
                first = sourceLength - 1;
                w = {1.0};
            } else {
                first = j;
                w = {1.0 - frac, frac};
            }
        } else {
            const double a = i * scale, b = std::min((i + 1) * scale, static_cast<double>(sourceLength));
            first = std::min(static_cast<std::int32_t>(std::floor(a)), sourceLength - 1);
            const auto last = std::max(first, std::min(static_cast<std::int32_t>(std::ceil(b)) - 1, sourceLength - 1));
            for (std::int32_t j = first; j <= last; ++j)
                w.push_back(std::max(0.0, std::min(b, j + 1.0) - std::max(a, static_cast<double>(j))));
        }
        double total = 0;
        for (double v : w) total += v;
        taps.first[static_cast<std::size_t>(i)] = first;
        taps.count[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(w.size());
        taps.offset[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(taps.weights.size());
        // Fixed point; the largest weight takes the rounding rest so that they sum exactly.
        std::uint32_t sum = 0;
        std::size_t largest = 0;
        for (std::size_t k = 0; k < w.size(); ++k) {
            const auto fixed = static_cast<std::uint32_t>(std::lround(w[k] / total * 65536.0));
            taps.weights.push_back(fixed);
            sum += fixed;
            if (w[k] > w[largest]) largest = k;
        }
        taps.weights[taps.offset[static_cast<std::size_t>(i)] + largest] += 65536u - sum;
    }
    return taps;
}

void resample(const std::function<const std::uint8_t*(std::int32_t)>& rows, int channels, std::int32_t sourceWidth,
              std::int32_t sourceHeight, std::int32_t width, std::int32_t height, bool bilinearWhenGrowing,
              const std::function<void(std::int32_t, const std::uint8_t*)>& store) {
    const ResampleTaps across = resampleTaps(sourceWidth, width, bilinearWhenGrowing);
    const ResampleTaps down = resampleTaps(sourceHeight, height, bilinearWhenGrowing);
    const std::size_t rowValues = static_cast<std::size_t>(sourceWidth) * channels;
    std::vector<std::uint32_t> column(rowValues);
    std::vector<std::uint16_t> vertical(rowValues);
    std::vector<std::uint16_t> run(rowValues);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * channels);
    for (std::int32_t y = 0; y < height; ++y) {
        // Vertical pass: a weighted sum of whole source rows (values × 65536).
        const auto yi = static_cast<std::size_t>(y);
        // Rows of equal weight are added up first and multiplied once: the same integers,
        // with one multiplication per run instead of one per row.
        std::fill(column.begin(), column.end(), 0u);
        const std::uint32_t* weights = &down.weights[static_cast<std::size_t>(down.offset[yi])];
        for (std::int32_t k = 0; k < down.count[yi];) {
            const std::uint32_t weight = weights[k];
            std::int32_t end = k + 1;
            while (end < down.count[yi] && end - k < kMaxRunRows && weights[end] == weight) ++end;
            std::uint32_t* acc = column.data();
            if (end - k == 1) {
                const std::uint8_t* src = rows(down.first[yi] + k);
                for (std::size_t i = 0; i < rowValues; ++i) acc[i] += src[i] * weight;
            } else {
                std::fill(run.begin(), run.end(), std::uint16_t{0});
                for (std::int32_t j = k; j < end; ++j) {
                    const std::uint8_t* src = rows(down.first[yi] + j);
                    std::uint16_t* sum = run.data();
                    for (std::size_t i = 0; i < rowValues; ++i) sum[i] = static_cast<std::uint16_t>(sum[i] + src[i]);
                }
                const std::uint16_t* sum = run.data();
                for (std::size_t i = 0; i < rowValues; ++i) acc[i] += sum[i] * weight;
            }
            k = end;
        }
        // Down to 8.8 fixed point for the horizontal pass.
        for (std::size_t i = 0; i < rowValues; ++i) vertical[i] = static_cast<std::uint16_t>(std::min<std::uint32_t>((column[i] + 128) >> 8, 65535u));
        for (std::int32_t x = 0; x < width; ++x) {
            const auto xi = static_cast<std::size_t>(x);
            const std::uint32_t* w = &across.weights[static_cast<std::size_t>(across.offset[xi])];
            for (int c = 0; c < channels; ++c) {
                std::uint64_t sum = 0;
                const std::uint16_t* src = &vertical[static_cast<std::size_t>(across.first[xi]) * channels + c];
                for (std::int32_t k = 0; k < across.count[xi]; ++k) sum += static_cast<std::uint64_t>(src[k * channels]) * w[k];
                out[xi * channels + c] = static_cast<std::uint8_t>(std::min<std::uint64_t>((sum + (1u << 23)) >> 24, 255));
            }
        }
        store(y, out.data());
    }
}

}  // namespace kit
