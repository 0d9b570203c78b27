#include "PropertySet.h"

#include "ByteReader.h"

#include <cstring>

namespace kit {

namespace {

// Byte order mark, format version, OS version, class id, section count.
constexpr std::size_t kHeaderBytes = 28;
constexpr std::size_t kSectionEntryBytes = 20;

}  // namespace

// Appends by resizing and copying (push_back and insert trip GCC 12's bounds warnings here).
void append(std::vector<std::uint8_t>& out, const void* bytes, std::size_t size) {
    const std::size_t at = out.size();
    out.resize(at + size);
    if (size) std::memcpy(out.data() + at, bytes, size);
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 24)};
    append(out, bytes, 4);
}

std::optional<PropertySection> PropertySection::read(std::span<const std::uint8_t> bytes) {
    const ByteReader in(bytes.data(), bytes.size());
    if (!in.has(0, kHeaderBytes + kSectionEntryBytes) || in.u16(0) != 0xFFFE || in.u32(24) == 0) return std::nullopt;
    const std::size_t section = in.u32(kHeaderBytes + 16);
    if (!in.has(section, 8)) return std::nullopt;
    const std::size_t size = in.u32(section);
    if (size < 8 || !in.has(section, size)) return std::nullopt;
    const ByteReader body = in.part(section, size);
    const std::size_t count = body.u32(4);
    // Each pair takes 8 bytes; a count the section cannot hold is damage.
    if (count > (size - 8) / 8) return std::nullopt;
    PropertySection out;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t id = body.u32(8 + 8 * i);
        const std::size_t at = body.u32(12 + 8 * i);
        if (!body.has(at, 4)) return std::nullopt;
        out.values_[id] = Value{body.u32(at), bytes.subspan(section + at + 4, size - at - 4)};
    }
    return out;
}

std::optional<std::uint32_t> PropertySection::u32(std::uint32_t id) const {
    const auto it = values_.find(id);
    if (it == values_.end()) return std::nullopt;
    const ByteReader in(it->second.data.data(), it->second.data.size());
    if (it->second.type == kVtI2 && in.has(0, 2)) return in.u16(0);
    if ((it->second.type == kVtI4 || it->second.type == kVtUi4) && in.has(0, 4)) return in.u32(0);
    return std::nullopt;
}

std::optional<float> PropertySection::r4(std::uint32_t id) const {
    const auto it = values_.find(id);
    if (it == values_.end() || it->second.type != kVtR4 || it->second.data.size() < 4) return std::nullopt;
    const std::uint32_t raw = ByteReader(it->second.data.data(), 4).u32(0);
    float value;
    std::memcpy(&value, &raw, sizeof(value));
    return value;
}

std::optional<std::vector<std::uint32_t>> PropertySection::vectorU32(std::uint32_t id, std::size_t most) const {
    const auto it = values_.find(id);
    if (it == values_.end() || it->second.type != kVtVectorUi4) return std::nullopt;
    const ByteReader in(it->second.data.data(), it->second.data.size());
    const std::size_t count = in.u32(0);
    if (!in.has(0, 4) || count > most || !in.has(4, 4 * count)) return std::nullopt;
    std::vector<std::uint32_t> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = in.u32(4 + 4 * i);
    return out;
}

std::optional<std::span<const std::uint8_t>> PropertySection::blob(std::uint32_t id) const {
    const auto it = values_.find(id);
    if (it == values_.end() || (it->second.type != kVtBlob && it->second.type != kVtLpstr)) return std::nullopt;
    const std::span<const std::uint8_t> data = it->second.data;
    const ByteReader in(data.data(), data.size());
    if (!in.has(0, 4)) return std::nullopt;
    const std::size_t length = in.u32(0);
    if (!in.has(4, length)) return std::nullopt;
    return data.subspan(4, length);
}

std::optional<std::string> PropertySection::text(std::uint32_t id) const {
    const auto it = values_.find(id);
    if (it == values_.end() || it->second.type != kVtLpstr) return std::nullopt;
    const auto bytes = blob(id);
    if (!bytes) return std::nullopt;
    std::string out(bytes->begin(), bytes->end());
    if (const auto end = out.find('\0'); end != std::string::npos) out.resize(end);
    return out;
}

std::vector<std::uint32_t> PropertySection::ids() const {
    std::vector<std::uint32_t> out;
    for (const auto& [id, value] : values_) out.push_back(id);
    return out;
}

void PropertySetWriter::add(std::uint32_t id, std::uint32_t type, std::vector<std::uint8_t> payload) {
    std::vector<std::uint8_t> value;
    putU32(value, type);
    append(value, payload.data(), payload.size());
    value.resize((value.size() + 3) / 4 * 4, 0);
    values_[id] = std::move(value);
}

void PropertySetWriter::addU32(std::uint32_t id, std::uint32_t value) {
    std::vector<std::uint8_t> payload;
    putU32(payload, value);
    add(id, kVtUi4, std::move(payload));
}

void PropertySetWriter::addI2(std::uint32_t id, std::int16_t value) {
    add(id, kVtI2, {std::uint8_t(value), std::uint8_t(std::uint16_t(value) >> 8)});
}

void PropertySetWriter::addR4(std::uint32_t id, float value) {
    std::uint32_t raw;
    std::memcpy(&raw, &value, sizeof(raw));
    std::vector<std::uint8_t> payload;
    putU32(payload, raw);
    add(id, kVtR4, std::move(payload));
}

void PropertySetWriter::addText(std::uint32_t id, const std::string& text) {
    std::vector<std::uint8_t> payload;
    putU32(payload, static_cast<std::uint32_t>(text.size() + 1));
    append(payload, text.c_str(), text.size() + 1);
    add(id, kVtLpstr, std::move(payload));
}

void PropertySetWriter::addBlob(std::uint32_t id, std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> payload;
    putU32(payload, static_cast<std::uint32_t>(bytes.size()));
    append(payload, bytes.data(), bytes.size());
    add(id, kVtBlob, std::move(payload));
}

void PropertySetWriter::addVectorU32(std::uint32_t id, std::span<const std::uint32_t> values) {
    std::vector<std::uint8_t> payload;
    putU32(payload, static_cast<std::uint32_t>(values.size()));
    for (const std::uint32_t v : values) putU32(payload, v);
    add(id, kVtVectorUi4, std::move(payload));
}

std::vector<std::uint8_t> PropertySetWriter::bytes(const ClassId& clsid, const ClassId& fmtid) const {
    static const std::uint8_t start[] = {0xFE, 0xFF, 0, 0, 3, 0, 0, 0};  // little-endian, format 0, 32-bit OS
    std::vector<std::uint8_t> out;
    append(out, start, sizeof(start));
    append(out, clsid.data(), clsid.size());
    putU32(out, 1);
    append(out, fmtid.data(), fmtid.size());
    putU32(out, static_cast<std::uint32_t>(kHeaderBytes + kSectionEntryBytes));
    std::size_t size = 8 + 8 * values_.size();
    for (const auto& [id, value] : values_) size += value.size();
    putU32(out, static_cast<std::uint32_t>(size));
    putU32(out, static_cast<std::uint32_t>(values_.size()));
    std::size_t at = 8 + 8 * values_.size();
    for (const auto& [id, value] : values_) {
        putU32(out, id);
        putU32(out, static_cast<std::uint32_t>(at));
        at += value.size();
    }
    for (const auto& [id, value] : values_) append(out, value.data(), value.size());
    return out;
}

}  // namespace kit
