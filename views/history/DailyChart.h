#pragma once
// The daily chart "Tagesdaten": power and global irradiance of three days side
// by side, 6:00 to 20:00 in quarter-hour samples, one panel per day, drawn over
// "b1.bmp": on Form1 from the store (the day before yesterday, yesterday and
// today), or on another window from any three days' data.
#include "views/history/ChartData.h"

class TForm;
class TImage;

// Draws the whole chart of the store on Form1. Resets the today slot
// (Word::Block3::TodaySlot) to 0 when it is above 2.
void DrawDailyChart();
// Draws the whole chart of the data on the window's picture.
void DrawDailyChart(TForm& form, TImage& image, const DailyChartData& data);
// The store's three days as the chart draws them (a today slot above 2 read as 0).
DailyChartData DailyChartFromStore();
// The number of days (28..31) of the month before the controller's month.
int DaysInPreviousMonth();
