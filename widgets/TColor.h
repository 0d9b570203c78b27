#pragma once
// Colours as the window layouts give them: a 32-bit value 0x00BBGGRR, or a system colour
// (high bit set, low byte the system colour index).

#include <QColor>
#include <cstdint>

namespace widgets {

using TColor = std::int32_t;

constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kLime = 0x00FF00;
constexpr TColor kAqua = 0xFFFF00;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kGray = 0x808080;
constexpr TColor kGreen = 0x008000;

// System colours of the button bevels (also those of a disabled label's text).
constexpr TColor kBtnShadow = static_cast<TColor>(0x80000010);
constexpr TColor kBtnHighlight = static_cast<TColor>(0x80000014);

constexpr TColor rgbColor(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

constexpr bool isSystemColor(TColor c) { return c < 0; }

// The RGB value of a colour; system colours are read from the application's palette.
QColor toQColor(TColor c);

}  // namespace widgets
