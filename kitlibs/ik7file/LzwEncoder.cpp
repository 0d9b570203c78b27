#include "LzwEncoder.h"

#include <cstring>

namespace kit {

namespace {

constexpr std::uint32_t kFirstFree = 258;
// The table starts afresh when this code would be the next one, as TIFF writers do.
constexpr std::uint32_t kFull = 4094;
constexpr unsigned kMinWidth = 9;
constexpr std::size_t kCheckGap = 10000;

// Output bits per input byte, as 24.8 fixed point: a smaller value than at the last
// checkpoint means the table no longer pays, and it starts afresh.
std::int64_t compressionRatio(std::size_t inBytes, std::int64_t outBits) {
    const auto in = static_cast<std::int64_t>(inBytes);
    if (in > 0x007fffff) {
        const std::int64_t scaled = outBits >> 8;
        return scaled == 0 ? 0x7fffffff : in / scaled;
    }
    return outBits > 0 ? (in << 8) / outBits : 0x7fffffff;
}

inline void storeBigEndian64(std::uint8_t* p, std::uint64_t v) {
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

}  // namespace

std::size_t LzwEncoder::outputBound(std::size_t bytes) {
    // At most one code per byte, one restart per 1000 codes (a full table or a checkpoint),
    // a few codes at either end; 12 bits each.
    const std::size_t codes = bytes + bytes / 1000 + 8;
    return codes / 2 * 3 + 3 + 16;
}

LzwEncoder::LzwEncoder(const std::uint8_t* data, std::size_t size, std::size_t from, std::uint8_t* out,
                       std::size_t capacity, bool clearFirst)
    : data_(data), size_(size), pos_(from), inBase_(from), out_(out), capacity_(capacity) {
    std::memset(table_, 0, sizeof table_);
    if (clearFirst) put(kClear, width_);
    hasString_ = pos_ < size_;
    if (hasString_) ent_ = data_[pos_++];
}

// Codes gather in the low bits of `acc_`; after each code its whole bytes are stored with
// one 8-byte store (the bytes past them are overwritten later), fewer than 8 bits stay.
void LzwEncoder::put(std::uint32_t code, unsigned width) {
    acc_ = (acc_ << width) | code;
    accBits_ += width;
    if (outPos_ + 8 > capacity_) {
        overflowed_ = true;
        return;
    }
    storeBigEndian64(out_ + outPos_, acc_ << (64 - accBits_));
    outPos_ += accBits_ / 8;
    accBits_ %= 8;
}

void LzwEncoder::restartTable() {
    std::memset(table_, 0, sizeof table_);
    ratio_ = 0;
    inBase_ = pos_;
    outBase_ = bitsWritten();
    freeEnt_ = kFirstFree;
    put(kClear, width_);
    width_ = kMinWidth;
    maxCode_ = (1u << kMinWidth) - 1;
}

bool LzwEncoder::run(std::size_t end, bool stopAtRestart) {
    if (end > size_) end = size_;
    // The hot state lives in locals: stores through the output pointer could alias members.
    const std::uint8_t* const data = data_;
    std::uint32_t* const table = table_;
    std::uint8_t* const out = out_;
    const std::size_t room = capacity_ >= 8 ? capacity_ - 8 : 0;
    std::size_t pos = pos_;
    std::uint32_t ent = ent_;
    std::uint32_t freeEnt = freeEnt_;
    std::uint32_t maxCode = maxCode_;
    unsigned width = width_;
    std::uint64_t acc = acc_;
    unsigned accBits = accBits_;
    std::size_t outPos = outPos_;
    // The next ratio checkpoint as a position in the input.
    std::size_t checkAt = inBase_ + checkpoint_;
    bool restarted = false;

    auto save = [&] {
        pos_ = pos;
        ent_ = ent;
        freeEnt_ = freeEnt;
        maxCode_ = maxCode;
        width_ = width;
        acc_ = acc;
        accBits_ = accBits;
        outPos_ = outPos;
    };
    // Takes the state back after a restart of the table.
    auto reload = [&] {
        freeEnt = freeEnt_;
        maxCode = maxCode_;
        width = width_;
        acc = acc_;
        accBits = accBits_;
        outPos = outPos_;
        checkAt = inBase_ + checkpoint_;
        restarted = true;
    };

    while (pos < end) {
        const std::uint32_t c = data[pos++];
        const std::uint32_t key = (ent << 8) | c;
        // The byte's share of the slot is mixed apart from the prefix code, so that the path
        // from one found code to the next lookup is a shift and an exclusive or; codes stay
        // below 4096, so both shares stay below kSlots.
        std::uint32_t slot = (ent << 2) ^ ((c * 0x9E3779B1u) >> (32 - kSlotBits));
        for (;;) {
            const std::uint32_t entry = table[slot];
            if (entry == 0) break;
            if ((entry >> 12) == key) {
                ent = entry & 0xfff;
                goto found;
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        // A new string: write the code of the known one and remember the longer one.
        if (outPos > room) {
            overflowed_ = true;
            save();
            return false;
        }
        acc = (acc << width) | ent;
        accBits += width;
        storeBigEndian64(out + outPos, acc << (64 - accBits));
        outPos += accBits / 8;
        accBits %= 8;
        ent = c;
        table[slot] = (key << 12) | freeEnt;
        ++freeEnt;
        if (freeEnt == kFull) {
            save();
            restartTable();
            if (overflowed_) return false;
            reload();
        } else if (freeEnt > maxCode) {
            ++width;
            maxCode = (1u << width) - 1;
        } else if (pos >= checkAt) {
            checkpoint_ = pos - inBase_ + kCheckGap;
            save();
            const std::int64_t ratio = compressionRatio(pos - inBase_, bitsWritten() - outBase_);
            if (ratio <= ratio_) {
                restartTable();
                if (overflowed_) return false;
                reload();
            } else {
                ratio_ = ratio;
                checkAt = inBase_ + checkpoint_;
            }
        }
        if (restarted && stopAtRestart) {
            save();
            restartPoint_ = pos - 1;
            return true;
        }
        restarted = false;
    found:;
    }
    save();
    return false;
}

void LzwEncoder::dropOutput() {
    // The ratio counts the output since the last restart; keep that count as it was.
    outBase_ -= bitsWritten();
    outPos_ = 0;
    acc_ = 0;
    accBits_ = 0;
}

void LzwEncoder::finish(bool endOfInformation) {
    if (hasString_) put(ent_, width_);
    // The reader adds one more entry on this code and widens its codes by the same rule.
    const std::uint32_t next = freeEnt_ + 1;
    if (!hasString_) {
        put(endOfInformation ? kEndOfInformation : kClear, width_);
    } else if (next == kFull) {
        put(kClear, width_);
        if (endOfInformation) put(kEndOfInformation, kMinWidth);
    } else {
        if (next > maxCode_) ++width_;
        put(endOfInformation ? kEndOfInformation : kClear, width_);
    }
    bitCount_ = static_cast<std::size_t>(bitsWritten());
    const std::size_t tail = accBits_ ? 1 : 0;
    if (overflowed_ || outPos_ + tail + 8 > capacity_) {
        overflowed_ = true;
        return;
    }
    if (tail) out_[outPos_] = static_cast<std::uint8_t>(acc_ << (8 - accBits_));
    std::memset(out_ + outPos_ + tail, 0, 8);
}

}  // namespace kit
