#pragma once
// Compound-document storages and streams through libgsf, owned by RAII handles.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <gsf/gsf.h>

namespace kit {

// One reference to a libgsf object, released on destruction.
template <typename T>
class GsfRef {
public:
    GsfRef() = default;
    explicit GsfRef(T* object) : object_(object) {}
    ~GsfRef() { reset(); }
    GsfRef(GsfRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    GsfRef& operator=(GsfRef&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }
    GsfRef(const GsfRef&) = delete;
    GsfRef& operator=(const GsfRef&) = delete;
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset() {
        if (object_) g_object_unref(object_);
        object_ = nullptr;
    }

private:
    T* object_ = nullptr;
};

// libgsf's type system, set up once per process.
void ensureGsf();

// The compound document held in `bytes` (which must outlive it); empty when it is none.
GsfRef<GsfInfile> openCompoundDocument(std::span<const std::uint8_t> bytes);
// The child storage `name` of `storage`; empty when missing or a stream.
GsfRef<GsfInfile> childStorage(GsfInfile* storage, const char* name);
// The child stream `name`; empty when missing or a storage.
GsfRef<GsfInput> childStream(GsfInfile* storage, const char* name);
// A whole stream of at most `most` bytes; nothing when it is larger or cannot be read.
std::optional<std::vector<std::uint8_t>> readStream(GsfInput* stream, std::size_t most);
// `size` bytes at `offset`; false when outside the stream or unreadable.
bool readStreamPart(GsfInput* stream, std::uint64_t offset, std::size_t size, std::uint8_t* out);

}  // namespace kit
