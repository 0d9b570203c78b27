#include "TiffChain.h"

#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kit {
namespace {

class Reader {
public:
    Reader(int fd, bool bigEndian) : fd_(fd), big_(bigEndian) {}
    bool read(std::uint64_t offset, unsigned bytes, std::uint64_t& value) const {
        std::uint8_t raw[8];
        if (::pread(fd_, raw, bytes, static_cast<off_t>(offset)) != static_cast<ssize_t>(bytes)) return false;
        value = 0;
        for (unsigned i = 0; i < bytes; ++i) value |= std::uint64_t(raw[big_ ? i : bytes - 1 - i]) << (8 * (bytes - 1 - i));
        return true;
    }

private:
    int fd_;
    bool big_;
};

// A cap on the chain length, as libtiff has one.
constexpr std::size_t kMostDirectories = 1u << 20;

}  // namespace

std::optional<TiffAppendPoint> findAppendPoint(const char* path) {
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) return std::nullopt;
    std::optional<TiffAppendPoint> result;
    struct stat info {};
    std::uint8_t header[4];
    if (::fstat(fd, &info) == 0 && ::pread(fd, header, 4, 0) == 4 &&
        ((header[0] == 'I' && header[1] == 'I') || (header[0] == 'M' && header[1] == 'M'))) {
        const Reader reader(fd, header[0] == 'M');
        std::uint64_t version = 0;
        reader.read(2, 2, version);
        const bool big = version == 43;
        const unsigned offsetBytes = big ? 8 : 4, countBytes = big ? 8 : 2, entryBytes = big ? 20 : 12;
        std::uint64_t link = big ? 8 : 4;
        std::uint64_t next = 0;
        std::set<std::uint64_t> seen;
        bool ok = (version == 42 || version == 43) && reader.read(link, offsetBytes, next);
        while (ok && next != 0) {
            if (!seen.insert(next).second || seen.size() > kMostDirectories) ok = false;
            std::uint64_t count = 0;
            if (!ok || !reader.read(next, countBytes, count) || count > 0xFFFF) {
                ok = false;
                break;
            }
            link = next + countBytes + count * entryBytes;
            ok = reader.read(link, offsetBytes, next);
        }
        if (ok && !seen.empty())
            result = TiffAppendPoint{static_cast<std::uint64_t>(info.st_size), link, offsetBytes};
    }
    ::close(fd);
    return result;
}

bool undoAppend(const char* path, const TiffAppendPoint& point) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0) return false;
    const std::uint8_t zeros[8] = {};
    const bool ok = ::ftruncate(fd, static_cast<off_t>(point.fileLength)) == 0 &&
                    ::pwrite(fd, zeros, point.linkBytes, static_cast<off_t>(point.linkOffset)) ==
                        static_cast<ssize_t>(point.linkBytes) &&
                    ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace kit
