#include "platform/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <vector>

namespace platform {
namespace {

// 20 bits of slot index (a million live blocks), 12 bits of generation.
constexpr unsigned kSlotBits = 20;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr std::uint32_t kGenerationMask = (1u << (32 - kSlotBits)) - 1;

struct Slot {
    void* data = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;
    std::uint32_t generation = 0;
    std::uint32_t locks = 0;
    bool live = false;
};

class Table {
public:
    Table() {
        std::random_device device;
        key_ = device();
        if (key_ == 0) key_ = 0x5A3C9E71u;
    }

    GlobalHandle add(void* data, std::size_t size, std::size_t capacity) {
        std::lock_guard guard(mutex_);
        std::uint32_t index;
        if (!free_.empty()) {
            // The slot freed longest ago is reused first, so a stale handle stays
            // detectable for as long as possible.
            index = free_.front();
            free_.pop_front();
        } else {
            if (slots_.size() > kSlotMask) return 0;
            index = static_cast<std::uint32_t>(slots_.size());
            slots_.emplace_back();
        }
        Slot& slot = slots_[index];
        slot.generation = (slot.generation + 1) & kGenerationMask;
        if (encode(index, slot.generation) == 0) slot.generation = (slot.generation + 1) & kGenerationMask;
        slot.data = data;
        slot.size = size;
        slot.capacity = capacity;
        slot.locks = 0;
        slot.live = true;
        ++live_;
        return encode(index, slot.generation);
    }

    void* lock(GlobalHandle handle) {
        std::lock_guard guard(mutex_);
        Slot* slot = find(handle);
        if (!slot) return nullptr;
        ++slot->locks;
        return slot->data;
    }

    bool unlock(GlobalHandle handle) {
        std::lock_guard guard(mutex_);
        Slot* slot = find(handle);
        if (!slot || slot->locks == 0) return false;
        return --slot->locks > 0;
    }

    std::size_t size(GlobalHandle handle) {
        std::lock_guard guard(mutex_);
        const Slot* slot = find(handle);
        return slot ? slot->size : 0;
    }

    std::uint32_t flags(GlobalHandle handle) {
        std::lock_guard guard(mutex_);
        const Slot* slot = find(handle);
        if (!slot) return kGlobalInvalidHandle;
        return slot->locks > kGlobalLockCountMask ? kGlobalLockCountMask : slot->locks;
    }

    bool valid(GlobalHandle handle) {
        std::lock_guard guard(mutex_);
        return find(handle) != nullptr;
    }

    // Takes the block out of the table; the caller releases the memory outside the lock.
    void* remove(GlobalHandle handle, std::size_t& capacity) {
        std::lock_guard guard(mutex_);
        Slot* slot = find(handle);
        if (!slot) return nullptr;
        void* data = slot->data;
        capacity = slot->capacity;
        *slot = Slot{nullptr, 0, 0, slot->generation, 0, false};
        free_.push_back(handle_index(handle));
        --live_;
        return data;
    }

    std::size_t liveCount() {
        std::lock_guard guard(mutex_);
        return live_;
    }

private:
    GlobalHandle encode(std::uint32_t index, std::uint32_t generation) const {
        return ((generation << kSlotBits) | index) ^ key_;
    }
    std::uint32_t handle_index(GlobalHandle handle) const { return (handle ^ key_) & kSlotMask; }

    Slot* find(GlobalHandle handle) {
        if (handle == 0) return nullptr;
        const std::uint32_t raw = handle ^ key_;
        const std::uint32_t index = raw & kSlotMask;
        if (index >= slots_.size()) return nullptr;
        Slot& slot = slots_[index];
        if (!slot.live || slot.generation != (raw >> kSlotBits)) return nullptr;
        return &slot;
    }

    std::mutex mutex_;
    std::vector<Slot> slots_;
    std::deque<std::uint32_t> free_;
    std::size_t live_ = 0;
    std::uint32_t key_ = 0;
};

Table& table() {
    static Table instance;
    return instance;
}

// Large freed blocks kept for the next allocation of about their size. A page image is
// freed and another of the same size made over and over (load, convert, free); taking
// fresh memory from the system each time costs a page fault per 4 KiB, far more than
// the copy that fills it. Off under AddressSanitizer, which must see every free.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCacheBlocks = false;
#else
constexpr bool kCacheBlocks = true;
#endif

class BlockCache {
public:
    static constexpr std::size_t kMinBytes = std::size_t{1} << 20;
    static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;
    static constexpr std::size_t kMaxBlocks = 4;

    // A kept block of at least `bytes` and at most a quarter more; nullptr when none fits.
    void* take(std::size_t bytes, std::size_t& capacity) {
        if (!kCacheBlocks || bytes < kMinBytes) return nullptr;
        std::lock_guard guard(mutex_);
        std::size_t best = entries_.size();
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const std::size_t c = entries_[i].capacity;
            if (c >= bytes && c - bytes <= bytes / 4 && (best == entries_.size() || c < entries_[best].capacity))
                best = i;
        }
        if (best == entries_.size()) return nullptr;
        void* data = entries_[best].data;
        capacity = entries_[best].capacity;
        total_ -= capacity;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(best));
        return data;
    }

    // Keeps the block, or frees it; the oldest kept blocks make room.
    void give(void* data, std::size_t capacity) {
        if (!kCacheBlocks || capacity < kMinBytes || capacity > kMaxBytes) {
            std::free(data);
            return;
        }
        std::vector<void*> evicted;
        {
            std::lock_guard guard(mutex_);
            while (!entries_.empty() && (entries_.size() >= kMaxBlocks || total_ + capacity > kMaxBytes)) {
                evicted.push_back(entries_.front().data);
                total_ -= entries_.front().capacity;
                entries_.erase(entries_.begin());
            }
            entries_.push_back({data, capacity});
            total_ += capacity;
        }
        for (void* block : evicted) std::free(block);
    }

    void release() {
        std::vector<Entry> entries;
        {
            std::lock_guard guard(mutex_);
            entries.swap(entries_);
            total_ = 0;
        }
        for (const Entry& e : entries) std::free(e.data);
    }

private:
    struct Entry {
        void* data;
        std::size_t capacity;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
    std::size_t total_ = 0;
};

BlockCache& cache() {
    static BlockCache instance;
    return instance;
}

}  // namespace

GlobalHandle globalAlloc(std::size_t bytes, bool zeroed) {
    if (bytes == 0 || bytes > kGlobalMaxBytes) return 0;
    std::size_t capacity = bytes;
    void* data = cache().take(bytes, capacity);
    if (data) {
        if (zeroed) std::memset(data, 0, bytes);
    } else {
        capacity = bytes;
        data = zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
    }
    if (!data) return 0;
    const GlobalHandle handle = table().add(data, bytes, capacity);
    if (!handle) cache().give(data, capacity);
    return handle;
}

void* globalLock(GlobalHandle handle) { return table().lock(handle); }

bool globalUnlock(GlobalHandle handle) { return table().unlock(handle); }

std::size_t globalSize(GlobalHandle handle) { return table().size(handle); }

std::uint32_t globalFlags(GlobalHandle handle) { return table().flags(handle); }

bool globalIsValid(GlobalHandle handle) { return table().valid(handle); }

bool globalFree(GlobalHandle handle) {
    std::size_t capacity = 0;
    void* data = table().remove(handle, capacity);
    if (!data) return false;
    cache().give(data, capacity);
    return true;
}

void globalReleaseCache() { cache().release(); }

std::size_t globalLiveCount() { return table().liveCount(); }

}  // namespace platform
