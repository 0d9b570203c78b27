#pragma once
// Movable global memory blocks addressed by 32-bit handles.
//
// A handle encodes a slot index and the slot's generation, scrambled with a key drawn at
// start-up. Freeing a block advances its slot's generation, so a freed handle, a handle
// from another run of the program or an invented number fails every call instead of
// reaching someone else's memory. All functions are thread-safe and O(1).

#include <cstddef>
#include <cstdint>

namespace platform {

using GlobalHandle = std::uint32_t;

// Flags reported by globalFlags: the low byte is the lock count.
inline constexpr std::uint32_t kGlobalLockCountMask = 0x00FF;
inline constexpr std::uint32_t kGlobalInvalidHandle = 0x8000;

// The largest block: an image's size must fit the 32-bit size fields of its header.
inline constexpr std::size_t kGlobalMaxBytes = 0xFFFFFFFFu;

// A new block of `bytes` bytes (1 … kGlobalMaxBytes), zero-filled when `zeroed`; 0 on failure.
GlobalHandle globalAlloc(std::size_t bytes, bool zeroed);

// The block's memory, with its lock count raised by one; nullptr for a dead handle.
void* globalLock(GlobalHandle handle);

// Lowers the lock count; true while the block stays locked (Windows semantics),
// false once the count is 0 or for a dead handle.
bool globalUnlock(GlobalHandle handle);

// Size in bytes, 0 for a dead handle.
std::size_t globalSize(GlobalHandle handle);

// Lock count in the low byte (saturated at 255), or kGlobalInvalidHandle for a dead handle.
std::uint32_t globalFlags(GlobalHandle handle);

// Whether the handle names a live block.
bool globalIsValid(GlobalHandle handle);

// Releases the block, locked or not; false for a dead handle.
bool globalFree(GlobalHandle handle);

// Returns the memory of freed large blocks kept for reuse to the system.
void globalReleaseCache();

// Number of live blocks (for leak checks in tests).
std::size_t globalLiveCount();

// Locks a block for the lifetime of the guard.
class GlobalLock {
public:
    explicit GlobalLock(GlobalHandle handle) : handle_(handle), data_(globalLock(handle)) {}
    ~GlobalLock() {
        if (data_) globalUnlock(handle_);
    }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    void* data() const { return data_; }
    template <typename T>
    T* as() const { return static_cast<T*>(data_); }
    std::size_t size() const { return data_ ? globalSize(handle_) : 0; }

private:
    GlobalHandle handle_;
    void* data_;
};

// Owns a handle and frees it on destruction unless released.
class GlobalBlock {
public:
    GlobalBlock() = default;
    explicit GlobalBlock(GlobalHandle handle) : handle_(handle) {}
    ~GlobalBlock() { reset(); }
    GlobalBlock(GlobalBlock&& other) noexcept : handle_(other.release()) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    GlobalHandle get() const { return handle_; }
    GlobalHandle release() {
        const GlobalHandle h = handle_;
        handle_ = 0;
        return h;
    }
    void reset() {
        if (handle_) globalFree(handle_);
        handle_ = 0;
    }

private:
    GlobalHandle handle_ = 0;
};

}  // namespace platform
