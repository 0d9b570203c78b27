#pragma once
// Where a loaded TIFF page came from, remembered per image handle so that saving the same
// untouched page can copy its compressed data instead of encoding it again.
//
// The table is process-wide, bounded and keyed by the whole handle (slot and generation),
// so a freed handle's entry can never match a later block in the same slot; an entry only
// counts while the block's digest is unchanged.

#include "ik7kit.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kit {

// The identity of an open file: a replaced or rewritten file differs in one of these.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOfDescriptor(int fd);

struct PageOrigin {
    IKHANDLE image = 0;
    std::string path;  // absolute
    int page = 0;
    FileIdentity file;
    std::uint64_t blockDigest = 0;  // the whole packed bitmap right after loading
    std::uint64_t dataDigest = 0;   // the page's compressed strips or tiles
};

// Remembers the origin of `origin.image`, replacing an older entry for the same handle.
void rememberPageOrigin(PageOrigin origin);

// The origin of `image` when it is remembered and its block is unchanged since loading.
std::optional<PageOrigin> unchangedPageOrigin(IKHANDLE image);

// Digest of the whole block of `image`; nothing for a dead handle.
std::optional<std::uint64_t> blockDigestOf(IKHANDLE image);

}  // namespace kit
