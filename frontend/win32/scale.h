// The windows are laid out in pixels at 96 dots per inch; on other screens every position, size,
// font and picture grows by the system's DPI so that the layout keeps its proportions.
#pragma once

#include <windows.h>

namespace win32 {

struct Scale {
  int dpi = 96;

  int operator()(int pixels_at_96) const { return MulDiv(pixels_at_96, dpi, 96); }
  // A font's height for CreateFont, from its size in hundredths of a point.
  int FontHeight(int centipoints) const { return -MulDiv(centipoints, dpi, 7200); }
};

// The DPI of the screen, as a DPI-aware program sees it.
Scale SystemScale();

}  // namespace win32
