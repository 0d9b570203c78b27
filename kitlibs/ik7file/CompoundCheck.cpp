#include "CompoundCheck.h"

#include "ByteReader.h"

#include <vector>

namespace kit {
namespace {

constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kEntryBytes = 128;
constexpr std::uint32_t kNoStream = 0xFFFFFFFFu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kHeaderFatSlots = 109;

class Document {
public:
    explicit Document(std::span<const std::uint8_t> bytes) : in_(bytes.data(), bytes.size()) {}

    bool readHeader() {
        static const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (!in_.has(0, kHeaderBytes)) return false;
        for (std::size_t i = 0; i < sizeof(signature); ++i)
            if (in_.u8(i) != signature[i]) return false;
        const std::uint16_t shift = in_.u16(30);
        if ((shift != 9 && shift != 12) || in_.u16(32) != 6 || in_.u32(56) != 4096) return false;
        sectorBytes_ = std::size_t{1} << shift;
        // Sector n starts at (n + 1) × sector size: the header fills sector -1.
        sectors_ = in_.size() / sectorBytes_ - 1;
        const std::uint64_t fatSectors = in_.u32(44);
        if (fatSectors == 0 || fatSectors > sectors_) return false;
        // The FAT's sectors: 109 in the header, the rest in a chain of DIFAT sectors whose
        // last slot links the next one.
        std::uint32_t difat = in_.u32(68);
        for (std::size_t i = 0; i < kHeaderFatSlots && fat_.size() < fatSectors; ++i)
            if (!addFatSector(in_.u32(76 + 4 * i))) return false;
        const std::size_t perDifat = sectorBytes_ / 4 - 1;
        for (std::uint64_t steps = 0; fat_.size() < fatSectors; ++steps) {
            if (difat >= sectors_ || steps > sectors_) return false;
            const std::size_t at = offsetOf(difat);
            for (std::size_t i = 0; i < perDifat && fat_.size() < fatSectors; ++i)
                if (!addFatSector(in_.u32(at + 4 * i))) return false;
            difat = in_.u32(at + 4 * perDifat);
        }
        return true;
    }

    // The directory's sectors in order; false when the chain leaves the file, loops or
    // holds more entries than the limit.
    bool directorySectors(std::vector<std::uint32_t>& out) const {
        const std::size_t most = kMostCompoundEntries * kEntryBytes / sectorBytes_ + 1;
        for (std::uint32_t sector = in_.u32(48); sector != kEndOfChain;) {
            if (sector >= sectors_ || out.size() >= most) return false;
            out.push_back(sector);
            sector = next(sector);
        }
        return !out.empty();
    }

    std::size_t offsetOf(std::uint32_t sector) const { return (std::size_t{sector} + 1) * sectorBytes_; }
    std::size_t sectorBytes() const { return sectorBytes_; }
    const ByteReader& in() const { return in_; }

private:
    bool addFatSector(std::uint32_t sector) {
        if (sector >= sectors_) return false;
        fat_.push_back(sector);
        return true;
    }
    // The FAT entry of `sector`: the next sector of its chain.
    std::uint32_t next(std::uint32_t sector) const {
        const std::size_t perSector = sectorBytes_ / 4;
        const std::size_t which = sector / perSector;
        if (which >= fat_.size()) return kNoStream;
        return in_.u32(offsetOf(fat_[which]) + 4 * (sector % perSector));
    }

    ByteReader in_;
    std::size_t sectorBytes_ = 512;
    std::uint64_t sectors_ = 0;
    std::vector<std::uint32_t> fat_;
};

}  // namespace

bool compoundStructureSound(std::span<const std::uint8_t> bytes) {
    Document document(bytes);
    std::vector<std::uint32_t> sectors;
    if (!document.readHeader() || !document.directorySectors(sectors)) return false;
    const std::size_t perSector = document.sectorBytes() / kEntryBytes;
    const std::size_t count = sectors.size() * perSector;
    const auto entryAt = [&](std::uint32_t id) { return document.offsetOf(sectors[id / perSector]) + (id % perSector) * kEntryBytes; };
    const ByteReader& in = document.in();
    // The root: a root storage without siblings.
    if (in.u8(entryAt(0) + 66) != 5 || in.u32(entryAt(0) + 68) != kNoStream || in.u32(entryAt(0) + 72) != kNoStream)
        return false;
    std::vector<bool> seen(count, false);
    seen[0] = true;
    std::vector<std::uint32_t> pending = {in.u32(entryAt(0) + 76)};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream) continue;
        if (id >= count || seen[id]) return false;
        seen[id] = true;
        const std::size_t at = entryAt(id);
        const std::uint8_t type = in.u8(at + 66);
        if (type != 1 && type != 2) return false;
        // A stream larger than the whole file (the size's high word is left out: version 3
        // writers may leave anything there, and no file here exceeds 4 GiB).
        if (type == 2 && in.u32(at + 120) > in.size()) return false;
        const std::uint32_t child = in.u32(at + 76);
        if (type == 2 && child != kNoStream) return false;
        pending.push_back(in.u32(at + 68));
        pending.push_back(in.u32(at + 72));
        pending.push_back(child);
    }
    return true;
}

}  // namespace kit
