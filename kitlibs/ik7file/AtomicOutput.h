#pragma once
// Writing a file so that an existing file of the same name is replaced only once the new
// one is complete: the codec writes a temporary file beside the target, which is renamed
// over the target on commit and removed otherwise.

#include "ik7kit.h"

#include <cstdio>
#include <functional>
#include <string>

namespace kit {

class AtomicOutput {
public:
    explicit AtomicOutput(const char* target);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // False when the temporary file could not be created (folder missing or read-only).
    bool ready() const { return !temp_.empty(); }
    // The path the codec writes to.
    const char* path() const { return temp_.c_str(); }
    // The temporary file, open for writing at its start; the caller closes it. Writing
    // through it instead of opening the path again spares the file an emptying, after which
    // the system would push it to the disk when it is closed. -1 once taken.
    int takeDescriptor();
    // Renames the temporary file to the target, flushing it to disk first when it replaces
    // an existing file.
    bool commit();

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
};

class Progress;

// Writes a new file at `path` through AtomicOutput: `write` fills the open stream and answers
// whether it succeeded. On failure the status is a cancel when `progress` was stopped, an open
// or write error otherwise, and an existing file at `path` stays as it was.
IKBOOL writeWholeFile(const char* path, const std::function<bool(std::FILE*)>& write,
                      const Progress* progress = nullptr);

}  // namespace kit
