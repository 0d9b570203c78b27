#include "AtomicOutput.h"

#include "KitCall.h"
#include "Progress.h"

#include <cstdio>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kit {

AtomicOutput::AtomicOutput(const char* target) : target_(target ? target : "") {
    if (target_.empty()) return;
    std::vector<char> name(target_.begin(), target_.end());
    for (char c : std::string(".ikXXXXXX")) name.push_back(c);
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return;
    // The new file keeps the permissions of the one it replaces, or gets the usual ones.
    struct stat existing {};
    ::fchmod(fd, ::stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    fd_ = fd;
    temp_ = name.data();
}

AtomicOutput::~AtomicOutput() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

int AtomicOutput::takeDescriptor() { return std::exchange(fd_, -1); }

bool AtomicOutput::commit() {
    if (temp_.empty()) return false;
    // A file that replaces another is on the disk before it takes the other's name, so a
    // crash leaves the old file or the new one, never a damaged one. A new name has nothing
    // to lose: waiting for the disk there would only make a long run of new files (a split
    // of hundreds of pages) as slow as the disk.
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) {
        const int fd = ::open(temp_.c_str(), O_RDONLY);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!synced) return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    temp_.clear();
    return true;
}

IKBOOL writeWholeFile(const char* path, const std::function<bool(std::FILE*)>& write, const Progress* progress) {
    AtomicOutput output(path);
    if (!output.ready()) return fail(IK_ERR_FILE_OPEN, IK_FALSE);
    const int fd = output.takeDescriptor();
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        if (fd >= 0) ::close(fd);
        return fail(IK_ERR_FILE_OPEN, IK_FALSE);
    }
    const bool written = write(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) return fail(progress && progress->stopped() ? IK_ERR_CANCELLED : IK_ERR_FILE_WRITE, IK_FALSE);
    return output.commit() ? IK_TRUE : fail(IK_ERR_FILE_WRITE, IK_FALSE);
}

}  // namespace kit
