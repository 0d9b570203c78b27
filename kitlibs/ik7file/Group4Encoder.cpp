#include "Group4Encoder.h"

#include "Group4Codes.h"
#include "RunTasks.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <thread>

namespace kit {

namespace {

using group4::Code;

constexpr std::size_t kMaxWidth = std::numeric_limits<std::uint32_t>::max() - 16;
constexpr std::size_t kSentinels = 3;

inline std::uint64_t loadBigEndian64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

inline void storeBigEndian32(std::uint8_t* p, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
    std::memcpy(p, &v, sizeof v);
}

// Bits into a byte vector, the first bit in a byte's high bit.
class BitSink {
public:
    // Continues after the first `bits` bits already in `bytes`.
    explicit BitSink(std::vector<std::uint8_t>& bytes, std::size_t bits = 0)
        : bytes_(bytes), pos_(bits / 8), count_(static_cast<unsigned>(bits % 8)) {
        if (count_) acc_ = bytes_[pos_] >> (8 - count_);
    }

    // Room for `more` bytes beyond what is already written.
    void reserve(std::size_t more) {
        const std::size_t need = pos_ + more + 8;
        if (bytes_.size() < need) bytes_.resize(std::max(need, bytes_.size() * 2));
    }

    // At most 32 bits; the room must have been reserved.
    void put(std::uint32_t bits, unsigned length) {
        acc_ = (acc_ << length) | bits;
        count_ += length;
        if (count_ >= 32) {
            count_ -= 32;
            storeBigEndian32(bytes_.data() + pos_, static_cast<std::uint32_t>(acc_ >> count_));
            pos_ += 4;
        }
    }
    void put(const Code& c) { put(c.bits, c.length); }

    // Appends the first `bits` bits of `from`.
    void append(const std::uint8_t* from, std::size_t bits) {
        reserve(bits / 8 + 8);
        std::size_t i = 0;
        for (; i + 32 <= bits; i += 32) {
            std::uint32_t v;
            std::memcpy(&v, from + i / 8, sizeof v);
            if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
            put(v, 32);
        }
        for (; i + 8 <= bits; i += 8) put(from[i / 8], 8);
        if (i < bits) {
            const unsigned rest = static_cast<unsigned>(bits - i);
            put(static_cast<std::uint32_t>(from[i / 8] >> (8 - rest)), rest);
        }
    }

    // Writes the bits still held, the last byte filled with zero bits; the number of bits.
    std::size_t finish() {
        const std::size_t bits = pos_ * 8 + count_;
        while (count_ >= 8) {
            count_ -= 8;
            bytes_[pos_++] = static_cast<std::uint8_t>(acc_ >> count_);
        }
        if (count_) bytes_[pos_++] = static_cast<std::uint8_t>(acc_ << (8 - count_));
        count_ = 0;
        bytes_.resize(pos_);
        return bits;
    }

private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t pos_;
    unsigned count_;  // bits held in acc_, right-aligned
    std::uint64_t acc_ = 0;
};

// The changing elements of a row: the pixels that differ from the one before (white before
// the first), then three times the width. `out` has room for width + 3; the count of changes.
std::size_t findChanges(const std::uint8_t* row, std::size_t width, std::uint32_t* out) {
    std::size_t n = 0;
    std::uint64_t previous = 0;  // the last pixel so far, in the low bit
    auto collect = [&](std::uint64_t word, std::size_t x, std::uint64_t valid) {
        std::uint64_t changes = (word ^ ((word >> 1) | (previous << 63))) & valid;
        previous = word & 1;
        while (changes) {
            const int lead = std::countl_zero(changes);
            out[n++] = static_cast<std::uint32_t>(x + static_cast<std::size_t>(lead));
            changes &= ~(std::uint64_t(1) << 63 >> lead);
        }
    };
    const std::size_t words = width / 64;
    for (std::size_t w = 0; w < words; ++w) collect(loadBigEndian64(row + w * 8), w * 64, ~std::uint64_t(0));
    if (const std::size_t rest = width % 64) {
        std::uint8_t tail[8] = {};
        std::memcpy(tail, row + words * 8, (rest + 7) / 8);
        collect(loadBigEndian64(tail), words * 64, ~std::uint64_t(0) << (64 - rest));
    }
    for (std::size_t i = 0; i < kSentinels; ++i) out[n + i] = static_cast<std::uint32_t>(width);
    return n;
}

// A run length: make-up codes of 2560 while the run is longer than 2623, one more make-up
// code from 64 on, then the terminating code.
inline void putRun(BitSink& sink, std::uint32_t run, bool black) {
    const auto& makeUp = black ? group4::kBlackMakeUp : group4::kWhiteMakeUp;
    const auto& terminating = black ? group4::kBlackTerminating : group4::kWhiteTerminating;
    while (run >= 2624) {
        sink.put(makeUp[39]);
        run -= 2560;
    }
    if (run >= 64) {
        sink.put(makeUp[run / 64 - 1]);
        run %= 64;
    }
    sink.put(terminating[run]);
}

// Codes one row from its changing elements `a` against those of the row above, `b`.
void codeRow(BitSink& sink, const std::uint32_t* a, const std::uint32_t* b, std::uint32_t width) {
    std::uint32_t a0 = 0;
    bool black = false;   // the colour at a0
    std::size_t ia = 0;   // a[ia] is a1, the first change of this row after a0
    std::size_t ib = 0;   // b[ib] is b1
    std::size_t kb = 0;   // the first change of the row above after a0
    for (;;) {
        const std::uint32_t a1 = a[ia], b1 = b[ib], b2 = b[ib + 1];
        if (b2 < a1) {
            sink.put(group4::kPass);
            a0 = b2;
        } else {
            const std::int64_t d = std::int64_t(b1) - std::int64_t(a1);
            if (d >= -3 && d <= 3) {
                sink.put(group4::kVertical[static_cast<std::size_t>(d + 3)]);
                a0 = a1;
                black = !black;
                ++ia;
            } else {
                const std::uint32_t a2 = a[ia + 1];
                sink.put(group4::kHorizontal);
                putRun(sink, a1 - a0, black);
                putRun(sink, a2 - a1, !black);
                a0 = a2;
                ia += 2;
            }
        }
        if (a0 >= width) break;
        // b1: the first change after a0 to the colour opposite a0's (even changes turn black).
        while (b[kb] <= a0) ++kb;
        ib = kb + ((kb & 1) != (black ? 1u : 0u) ? 1 : 0);
    }
}

// Bytes enough for a row with these counts of changes: each mode consumes a change of this
// row or two of the row above, and costs at most a horizontal code with two runs.
std::size_t rowBound(std::size_t changes, std::size_t above, std::size_t width) {
    return ((changes + above + 3) * 54 + 12 * (width / 2560 + 2)) / 8 + 8;
}

struct Coded {
    std::vector<std::uint8_t> bytes;
    std::size_t bits = 0;
};

// Codes rows [y0, y1), the first against row y0 - 1 (a white row for the first of all).
void codeRows(const BilevelRows& rows, std::size_t y0, std::size_t y1, Coded& coded) {
    const auto width = static_cast<std::uint32_t>(rows.width);
    std::vector<std::uint32_t> current(rows.width + kSentinels), above(rows.width + kSentinels);
    std::size_t aboveCount = 0;
    if (y0 > 0)
        aboveCount = findChanges(rows.data + (y0 - 1) * rows.stride, rows.width, above.data());
    else
        std::fill(above.begin(), above.begin() + kSentinels, width);
    coded.bytes.clear();
    BitSink sink(coded.bytes);
    sink.reserve((y1 - y0) * 4);
    for (std::size_t y = y0; y < y1; ++y) {
        const std::size_t count = findChanges(rows.data + y * rows.stride, rows.width, current.data());
        sink.reserve(rowBound(count, aboveCount, rows.width));
        codeRow(sink, current.data(), above.data(), width);
        std::swap(current, above);
        aboveCount = count;
    }
    coded.bits = sink.finish();
}

unsigned threadCount(const Group4Settings& settings) {
    return std::max(1u, settings.threads ? settings.threads : std::thread::hardware_concurrency());
}

// Joins runs of rows coded in order into one stream in `out`, ended by EOFB.
void joinRuns(std::vector<Coded>& runs, std::vector<std::uint8_t>& out) {
    out = std::move(runs[0].bytes);
    BitSink sink(out, runs[0].bits);
    for (std::size_t k = 1; k < runs.size(); ++k) sink.append(runs[k].bytes.data(), runs[k].bits);
    sink.reserve(8);
    sink.put(group4::kEndOfLine);
    sink.put(group4::kEndOfLine);
    sink.finish();
}

}  // namespace

bool group4Codable(const BilevelRows& rows) {
    if (!rows.data || rows.width == 0 || rows.height == 0 || rows.width > kMaxWidth) return false;
    if (rows.height > 1 && rows.stride < (rows.width + 7) / 8) return false;
    return rows.stride == 0 || rows.height <= std::numeric_limits<std::size_t>::max() / rows.stride;
}

bool group4Encode(const BilevelRows& rows, std::vector<std::uint8_t>& out, const Group4Settings& settings) {
    out.clear();
    if (!group4Codable(rows)) return false;
    const unsigned threads = threadCount(settings);
    const std::size_t minRows = std::max<std::size_t>(settings.minRows, 1);
    const std::size_t count =
        threads == 1 ? 1 : std::clamp<std::size_t>(rows.height / minRows, 1, std::size_t(threads) * 4);
    std::vector<Coded> runs(count);
    std::atomic<bool> failed{false};
    runTasks(count, threads, [&](std::size_t k) {
        // No exception may leave a pool thread.
        try {
            codeRows(rows, rows.height * k / count, rows.height * (k + 1) / count, runs[k]);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    });
    if (failed) return false;
    joinRuns(runs, out);
    return true;
}

bool group4EncodeStrips(const std::vector<BilevelRows>& strips, std::vector<std::vector<std::uint8_t>>& out,
                        const Group4Settings& settings) {
    out.clear();
    if (!std::all_of(strips.begin(), strips.end(), group4Codable)) return false;
    out.resize(strips.size());
    Group4Settings alone = settings;
    alone.threads = 1;
    std::atomic<bool> failed{false};
    runTasks(strips.size(), threadCount(settings), [&](std::size_t i) {
        try {
            if (!group4Encode(strips[i], out[i], alone)) failed = true;
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    });
    if (failed) out.clear();
    return !failed;
}

}  // namespace kit
