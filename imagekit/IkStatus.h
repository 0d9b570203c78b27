#pragma once
// The statuses a kit component reports in its ErrorCode. After a library call the
// component passes the library's status on unchanged (IK_* of ik7kit.h); the names below
// are the statuses a component sets itself, before or instead of a call.

#include "ik7kit.h"

#include <cstdint>

inline constexpr std::uint16_t kStatusOk = IK_OK;
// An argument out of range, a slot not in use, or an image already in a slot.
inline constexpr std::uint16_t kStatusBadArgument = IK_ERR_ARGUMENT;
// The display control could not allocate its drawing surface.
inline constexpr std::uint16_t kStatusNoMemory = IK_ERR_MEMORY;
// A display mode the control does not implement (fit to width, fit to height).
inline constexpr std::uint16_t kStatusUnsupportedMode = 4;
// No image handle was given.
inline constexpr std::uint16_t kStatusNoImage = 7;
// The library function is not loaded: its library is missing or lacks the export.
inline constexpr std::uint16_t kStatusUnavailable = 14;
