#pragma once
// Writing a file so that an existing file of the same name is replaced only once the new
// one is complete: the codec writes a temporary file beside the target, which is renamed
// over the target on commit and removed otherwise.

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
    // Flushes the temporary file to disk and renames it over the target.
    bool commit();

private:
    std::string target_;
    std::string temp_;
};

}  // namespace kit
