#pragma once
// Colours as the drawings give them: 0x00BBGGRR values. System colours carry
// 0xFF in the high byte and their index in the low byte.
#include <cstdint>

using TColor = uint32_t;

namespace Colors {
constexpr TColor Black = 0x000000;
constexpr TColor Gray = 0x808080;
constexpr TColor Red = 0x0000FF;
constexpr TColor Blue = 0xFF0000;
constexpr TColor Yellow = 0x00FFFF;
constexpr TColor White = 0xFFFFFF;
// System colour 1, the desktop background.
constexpr TColor DesktopBackground = 0xFF000001;
}  // namespace Colors

// The one conversion from a colour value to 0xAARRGGBB.
uint32_t ArgbFromColor(TColor color);
// The colour value of a 0xAARRGGBB pixel (alpha dropped).
TColor ColorFromArgb(uint32_t argb);
