#include "FastHash.h"

#include <cstring>

namespace kit {
namespace {

constexpr std::uint64_t kPrime = 0x9FB21C651E98DF25ull;

std::uint64_t rotl(std::uint64_t v, int bits) { return (v << bits) | (v >> (64 - bits)); }

// A bijective finaliser (MurmurHash3's fmix64).
std::uint64_t avalanche(std::uint64_t v) {
    v ^= v >> 33;
    v *= 0xFF51AFD7ED558CCDull;
    v ^= v >> 33;
    v *= 0xC4CEB9FE1A85EC53ull;
    v ^= v >> 33;
    return v;
}

}  // namespace

void FastHash::addBlock(const std::uint8_t* block) {
    for (int i = 0; i < 4; ++i) {
        std::uint64_t word;
        std::memcpy(&word, block + 8 * i, 8);
        lanes_[i] = rotl((lanes_[i] ^ word) * kPrime, 29);
    }
}

void FastHash::add(const void* data, std::size_t bytes) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    totalBytes_ += bytes;
    if (pendingBytes_ > 0) {
        const std::size_t take = bytes < 32 - pendingBytes_ ? bytes : 32 - pendingBytes_;
        std::memcpy(pending_ + pendingBytes_, p, take);
        pendingBytes_ += take;
        p += take;
        bytes -= take;
        if (pendingBytes_ < 32) return;
        addBlock(pending_);
        pendingBytes_ = 0;
    }
    for (; bytes >= 32; p += 32, bytes -= 32) addBlock(p);
    std::memcpy(pending_, p, bytes);
    pendingBytes_ = bytes;
}

std::uint64_t FastHash::digest() const {
    FastHash tail = *this;
    if (tail.pendingBytes_ > 0) {
        std::memset(tail.pending_ + tail.pendingBytes_, 0, 32 - tail.pendingBytes_);
        tail.addBlock(tail.pending_);
    }
    std::uint64_t h = totalBytes_ * kPrime;
    for (int i = 0; i < 4; ++i) h = rotl(h, 17) + avalanche(tail.lanes_[i]);
    return avalanche(h);
}

std::uint64_t fastHash(const void* data, std::size_t bytes) {
    FastHash hash;
    hash.add(data, bytes);
    return hash.digest();
}

}  // namespace kit
