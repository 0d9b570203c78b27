#pragma once
// libjpeg reports through these handlers: messages are dropped and a fatal error jumps
// back to the caller's setjmp instead of ending the process.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace kit {

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] inline void jpegFatal(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }
inline void jpegSilent(j_common_ptr) {}
inline void jpegSilentLevel(j_common_ptr, int) {}

inline jpeg_error_mgr* quietJpegErrors(JpegErrors& errors) {
    jpeg_error_mgr* base = jpeg_std_error(&errors.base);
    base->error_exit = jpegFatal;
    base->output_message = jpegSilent;
    base->emit_message = jpegSilentLevel;
    return base;
}

// Warnings that mean the picture lost data (the file ends early, a scan's coded data runs
// into a marker) become fatal; others, such as stray bytes before a marker, stay silent.
inline void jpegDamageFatal(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) jpegFatal(info);
}

// quietJpegErrors for decoding pixels: damaged data fails the decode.
inline jpeg_error_mgr* strictJpegErrors(JpegErrors& errors) {
    jpeg_error_mgr* base = quietJpegErrors(errors);
    base->emit_message = jpegDamageFatal;
    return base;
}

}  // namespace kit
