#pragma once
// The serialized property sets of compound documents: one section of (id, typed value)
// pairs, read with every offset and size checked, and written from a list of values.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kit {

using ClassId = std::array<std::uint8_t, 16>;

// Value types of the properties the kit reads and writes.
enum : std::uint32_t {
    kVtI2 = 2,
    kVtI4 = 3,
    kVtR4 = 4,
    kVtUi4 = 0x13,
    kVtLpstr = 0x1E,
    kVtBlob = 0x41,
    kVtVectorUi4 = 0x1013,
};

// The first section of a property set; values are views into the bytes it was read from.
class PropertySection {
public:
    // Nothing when the bytes are not a property set or its first section lies outside them.
    static std::optional<PropertySection> read(std::span<const std::uint8_t> bytes);

    bool has(std::uint32_t id) const { return values_.count(id) != 0; }
    // A 4-byte integer (VT_I4 or VT_UI4), a 2-byte one (VT_I2), a float (VT_R4).
    std::optional<std::uint32_t> u32(std::uint32_t id) const;
    std::optional<float> r4(std::uint32_t id) const;
    // The values of a VT_VECTOR of VT_UI4, at most `most` of them (more is damage).
    std::optional<std::vector<std::uint32_t>> vectorU32(std::uint32_t id, std::size_t most) const;
    // The bytes of a VT_BLOB, the text of a VT_LPSTR (without its NUL).
    std::optional<std::span<const std::uint8_t>> blob(std::uint32_t id) const;
    std::optional<std::string> text(std::uint32_t id) const;
    // The ids present, in increasing order.
    std::vector<std::uint32_t> ids() const;

private:
    struct Value {
        std::uint32_t type;
        std::span<const std::uint8_t> data;  // after the type word, to the section's end
    };
    std::map<std::uint32_t, Value> values_;
};

// Builds one property set of a single section.
class PropertySetWriter {
public:
    void addU32(std::uint32_t id, std::uint32_t value);
    void addI2(std::uint32_t id, std::int16_t value);
    void addR4(std::uint32_t id, float value);
    void addText(std::uint32_t id, const std::string& text);
    void addBlob(std::uint32_t id, std::span<const std::uint8_t> bytes);
    void addVectorU32(std::uint32_t id, std::span<const std::uint32_t> values);
    // The stream: header with `clsid`, one section of format `fmtid`.
    std::vector<std::uint8_t> bytes(const ClassId& clsid, const ClassId& fmtid) const;

private:
    void add(std::uint32_t id, std::uint32_t type, std::vector<std::uint8_t> payload);
    std::map<std::uint32_t, std::vector<std::uint8_t>> values_;  // type word and payload, padded
};

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value);
void append(std::vector<std::uint8_t>& out, const void* bytes, std::size_t size);

}  // namespace kit
