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
    // Renames the temporary file to the target, flushing it to disk first when it replaces
    // an existing file.
    bool commit();

private:
    std::string target_;
    std::string temp_;
};

class Progress;

// Writes a new file at `path` through AtomicOutput: `write` fills the open stream and answers
// whether it succeeded. On failure the status is a cancel when `progress` was stopped, an open
// or write error otherwise, and an existing file at `path` stays as it was.
IKBOOL writeWholeFile(const char* path, const std::function<bool(std::FILE*)>& write,
                      const Progress* progress = nullptr);

}  // namespace kit
