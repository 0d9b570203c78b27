#include "PageOrigin.h"

#include "FastHash.h"
#include "platform/GlobalMemory.h"

#include <deque>
#include <mutex>

#include <sys/stat.h>

namespace kit {
namespace {

// Enough for every page a job keeps loaded at once.
constexpr std::size_t kMostOrigins = 16;

std::mutex originsMutex;
std::deque<PageOrigin>& origins() {
    static std::deque<PageOrigin> table;
    return table;
}

}  // namespace

std::optional<FileIdentity> identityOfDescriptor(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size),  info.st_mtim.tv_sec,
                        info.st_mtim.tv_nsec,                     info.st_ctim.tv_sec,
                        info.st_ctim.tv_nsec};
}

std::optional<std::uint64_t> blockDigestOf(IKHANDLE image) {
    const platform::GlobalLock lock(image);
    if (!lock) return std::nullopt;
    return fastHash(lock.data(), lock.size());
}

void rememberPageOrigin(PageOrigin origin) {
    const std::lock_guard<std::mutex> guard(originsMutex);
    std::deque<PageOrigin>& table = origins();
    std::erase_if(table, [&](const PageOrigin& o) { return o.image == origin.image; });
    if (table.size() >= kMostOrigins) table.pop_front();
    table.push_back(std::move(origin));
}

std::optional<PageOrigin> unchangedPageOrigin(IKHANDLE image) {
    std::optional<PageOrigin> found;
    {
        const std::lock_guard<std::mutex> guard(originsMutex);
        for (const PageOrigin& o : origins())
            if (o.image == image) found = o;
    }
    if (!found) return std::nullopt;
    const std::optional<std::uint64_t> digest = blockDigestOf(image);
    if (!digest || *digest != found->blockDigest) return std::nullopt;
    return found;
}

}  // namespace kit
