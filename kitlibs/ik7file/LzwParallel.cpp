#include "LzwParallel.h"

#include "LzwEncoder.h"
#include "RunTasks.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

namespace kit {

namespace {

LzwStrip roomFor(std::size_t bytes, std::size_t extra = 0) {
    LzwStrip strip;
    strip.size = LzwEncoder::outputBound(bytes) + extra;
    strip.bytes.reset(new std::uint8_t[strip.size]);
    return strip;
}

// One strip as one stream; false when the room was too small.
bool encodeWhole(std::span<const std::uint8_t> input, LzwStrip& strip) {
    LzwEncoder encoder(input.data(), input.size(), 0, strip.bytes.get(), strip.size, true);
    encoder.run(input.size(), false);
    encoder.finish(true);
    strip.size = (encoder.bitCount() + 7) / 8;
    return !encoder.overflowed();
}

// ---- A strip cut into chunks ----

constexpr std::size_t kUnknown = std::numeric_limits<std::size_t>::max();
enum Owner : int { kFree, kOwn, kAbsorbed };

struct Chunk {
    std::size_t begin = 0;
    std::atomic<int> owner{kFree};
    // The byte where this chunk's table first starts afresh: its stream begins there, and
    // the chunk before it ends there.
    std::atomic<std::size_t> restart{kUnknown};
    LzwStrip out;
    std::size_t bits = 0;
    bool failed = false;
};

void publish(Chunk& chunk, std::size_t at) {
    chunk.restart.store(at, std::memory_order_release);
    chunk.restart.notify_all();
}

std::size_t awaitRestart(Chunk& chunk) {
    for (;;) {
        const std::size_t at = chunk.restart.load(std::memory_order_acquire);
        if (at != kUnknown) return at;
        chunk.restart.wait(kUnknown, std::memory_order_acquire);
    }
}

// Encodes chunk k. A chunk whose successor has not started yet takes over its bytes, so no
// chunk ever waits for one that no thread runs.
void encodeChunk(std::span<const std::uint8_t> input, std::vector<Chunk>& chunks, std::size_t k) {
    Chunk& chunk = chunks[k];
    int expected = kFree;
    if (!chunk.owner.compare_exchange_strong(expected, kOwn)) return;
    const std::size_t n = input.size();
    const std::size_t count = chunks.size();
    LzwEncoder encoder(input.data(), n, chunk.begin, chunk.out.bytes.get(), chunk.out.size, k == 0);
    bool probing = k > 0;
    std::size_t next = k + 1;
    std::size_t end = next < count ? chunks[next].begin : n;
    bool endKnown = next >= count;
    for (;;) {
        if (encoder.run(end, probing)) {
            publish(chunk, encoder.restartPoint());
            encoder.dropOutput();
            probing = false;
            continue;
        }
        if (encoder.overflowed()) {
            chunk.failed = true;
            if (probing) publish(chunk, n);
            return;
        }
        if (endKnown) break;
        int free = kFree;
        if (chunks[next].owner.compare_exchange_strong(free, kAbsorbed)) {
            ++next;
            end = next < count ? chunks[next].begin : n;
            endKnown = next >= count;
            continue;
        }
        end = awaitRestart(chunks[next]);
        endKnown = true;
    }
    if (probing) {
        // The table never started afresh: the chunk before runs on to where this one ends.
        publish(chunk, end);
        return;
    }
    encoder.finish(end == n);
    chunk.bits = encoder.bitCount();
    chunk.failed = encoder.overflowed();
}

inline std::uint64_t loadBigEndian64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

inline void storeBigEndian64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (56 - 8 * i));
}

// Writes the bytes of `dst` that lie wholly inside bits [at, at + bits), taken from the
// start of `src` (which has 8 readable bytes past its last bit).
void copyWholeBytes(std::uint8_t* dst, std::size_t at, const std::uint8_t* src, std::size_t bits) {
    const std::size_t first = (at + 7) / 8;
    const std::size_t last = (at + bits) / 8;  // exclusive
    if (first >= last) return;
    const std::size_t skip = first * 8 - at;  // source bits before dst[first]
    const unsigned shift = static_cast<unsigned>(skip % 8);
    const std::uint8_t* s = src + skip / 8;
    std::size_t j = first;
    if (shift == 0) {
        std::copy(s, s + (last - first), dst + first);
        return;
    }
    for (; j + 8 <= last; j += 8, s += 8)
        storeBigEndian64(dst + j, (loadBigEndian64(s) << shift) | (s[8] >> (8 - shift)));
    for (; j < last; ++j, ++s) dst[j] = static_cast<std::uint8_t>((s[0] << shift) | (s[1] >> (8 - shift)));
}

// The bits of `src` (placed at bit `at`) that fall into dst byte `index`.
std::uint8_t bitsInByte(std::size_t index, std::size_t at, const std::uint8_t* src, std::size_t bits) {
    const std::size_t from = std::max(index * 8, at);
    const std::size_t to = std::min(index * 8 + 8, at + bits);
    std::uint8_t value = 0;
    for (std::size_t p = from; p < to; ++p) {
        const std::size_t q = p - at;
        if ((src[q / 8] >> (7 - q % 8)) & 1) value = static_cast<std::uint8_t>(value | (0x80 >> (p % 8)));
    }
    return value;
}

// Joins the chunks' streams into one strip in the first chunk's room, where that chunk
// already is: whole bytes on every thread, then the bytes that two chunks share. False when
// the room is too small (not expected: it has room for every chunk's closing codes).
bool joinChunks(std::vector<Chunk>& chunks, unsigned threads, LzwStrip& strip) {
    std::vector<std::size_t> at(chunks.size() + 1, 0);
    for (std::size_t k = 0; k < chunks.size(); ++k) at[k + 1] = at[k] + chunks[k].bits;
    const std::size_t size = (at.back() + 7) / 8;
    // The shared bytes, read before anything is written over the first chunk's spare room.
    std::vector<std::pair<std::size_t, std::uint8_t>> shared;
    auto share = [&](std::size_t k, std::size_t index) {
        const std::uint8_t bits = bitsInByte(index, at[k], chunks[k].out.bytes.get(), chunks[k].bits);
        if (!shared.empty() && shared.back().first == index)
            shared.back().second = static_cast<std::uint8_t>(shared.back().second | bits);
        else
            shared.emplace_back(index, bits);
    };
    for (std::size_t k = 0; k < chunks.size(); ++k) {
        if (chunks[k].bits == 0) continue;
        const std::size_t begin = at[k], end = at[k + 1];
        if (begin % 8) share(k, begin / 8);
        if (end % 8 && (begin % 8 == 0 || end / 8 != begin / 8)) share(k, end / 8);
    }
    if (size + 8 > chunks[0].out.size) return false;
    strip.bytes = std::move(chunks[0].out.bytes);
    strip.size = size;
    std::uint8_t* const dst = strip.bytes.get();
    runTasks(chunks.size() - 1, threads, [&](std::size_t i) {
        copyWholeBytes(dst, at[i + 1], chunks[i + 1].out.bytes.get(), chunks[i + 1].bits);
    });
    for (const auto& [index, bits] : shared) dst[index] = bits;
    return true;
}

// A large strip as chunks encoded side by side; false when the room was too small.
bool encodeChunked(std::span<const std::uint8_t> input, std::size_t count, unsigned threads, LzwStrip& strip) {
    std::vector<Chunk> chunks(count);
    const std::size_t n = input.size();
    for (std::size_t k = 0; k < count; ++k) {
        chunks[k].begin = n / count * k;
        // The first chunk's room takes the joined strip: three more codes for every chunk.
        chunks[k].out = roomFor(n - chunks[k].begin, k == 0 ? 6 * count : 0);
    }
    runTasks(count, threads, [&](std::size_t k) { encodeChunk(input, chunks, k); });
    for (const Chunk& chunk : chunks)
        if (chunk.failed) return false;
    return joinChunks(chunks, threads, strip);
}

}  // namespace

bool lzwEncodeStrips(const std::vector<std::span<const std::uint8_t>>& inputs, std::vector<LzwStrip>& strips,
                     const LzwSettings& settings) {
    const unsigned threads = std::max(1u, settings.threads ? settings.threads : std::thread::hardware_concurrency());
    const std::size_t minChunk = std::max<std::size_t>(settings.minChunk, 1);
    strips.clear();
    strips.resize(inputs.size());
    std::size_t largest = 0;
    for (const auto& input : inputs) largest = std::max(largest, input.size());
    const unsigned chunks = settings.chunks ? settings.chunks : threads;
    if (inputs.size() < std::size_t(threads) * 2 && largest / minChunk >= 2 && chunks > 1) {
        // Few strips, and large: each one on every thread in turn.
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::size_t count = std::clamp<std::size_t>(inputs[i].size() / minChunk, 1, chunks);
            if (!encodeChunked(inputs[i], count, threads, strips[i])) return false;
        }
        return true;
    }
    // Many strips: runs of them (about a quarter of a chunk each) side by side.
    std::vector<std::size_t> groupStart{0};
    std::size_t groupBytes = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        strips[i] = roomFor(inputs[i].size());
        groupBytes += inputs[i].size();
        if (groupBytes >= minChunk / 4 && i + 1 < inputs.size()) {
            groupStart.push_back(i + 1);
            groupBytes = 0;
        }
    }
    groupStart.push_back(inputs.size());
    std::atomic<bool> failed{false};
    runTasks(groupStart.size() - 1, threads, [&](std::size_t g) {
        for (std::size_t i = groupStart[g]; i < groupStart[g + 1]; ++i)
            if (!encodeWhole(inputs[i], strips[i])) failed = true;
    });
    return !failed;
}

}  // namespace kit
