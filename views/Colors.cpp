#include "Colors.h"

namespace {

// The desktop background is a steel blue, as on the systems the program came from.
constexpr uint32_t DesktopBackgroundArgb = 0xFF3A6EA5;

}  // namespace

uint32_t ArgbFromColor(TColor color) {
  if ((color >> 24) == 0xFF) {
    if ((color & 0xFF) == 1) return DesktopBackgroundArgb;
    return 0xFF000000;  // other system colours are not used by the drawings
  }
  const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  return 0xFF000000u | r << 16 | g << 8 | b;
}

TColor ColorFromArgb(uint32_t argb) {
  const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  return b << 16 | g << 8 | r;
}
