#pragma once
// The open source an export works on: the given source handle, or a device opened by
// name (0 or "" = the default source) for the duration of the call.

#include "ScanSession.h"
#include "ik7kit.h"

#include <cstdint>
#include <optional>
#include <string>

namespace scan {

class SourceAccess {
public:
    // status() tells why no source is at hand.
    SourceAccess(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name);
    ~SourceAccess();
    SourceAccess(const SourceAccess&) = delete;
    SourceAccess& operator=(const SourceAccess&) = delete;

    explicit operator bool() const { return source_ != nullptr; }
    OpenSource& source() const { return *source_; }
    std::uint16_t status() const { return status_; }

private:
    OpenSource* source_ = nullptr;
    IKSCANSOURCE opened_ = 0;
    std::uint16_t status_ = IK_OK;
};

// The text of a global memory handle holding NUL-terminated UTF-8 (0 = empty); nothing
// when the handle is dead or holds no NUL.
std::optional<std::string> handleText(std::uint32_t handle);

// Copies `text` into a field of `size` bytes, cut on a UTF-8 boundary, NUL-terminated.
void copyField(char* field, std::size_t size, const std::string& text);

}  // namespace scan
