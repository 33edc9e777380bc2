#pragma once
// Times the drawing of a view: the draw routine (which reloads the view's
// background picture) and the repaint of its window that shows the result.
#include "tools/render/TimeSummary.h"
#include "tools/render/ViewWindows.h"

struct DrawTimes {
  double FirstMs = 0;      // the first drawing, routine and repaint, not in the figures below
  TimeSummary Routine;     // the draw routine alone, picture reload included (ms)
  TimeSummary Total;       // routine and window repaint (ms)
  double ProcessorMs = 0;  // mean processor time of routine and repaint, which a busy machine does not inflate
  TimeSummary Reload;      // the picture reload alone (ms); Count 0 for the list
};

// Draws the view `runs` times after one first drawing and times each.
// Exceptions of the draw routine (a missing picture) pass through.
DrawTimes TimeView(const View& view, int runs);
