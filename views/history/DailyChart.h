#pragma once
// The daily chart "Tagesdaten": power and global irradiance of the day before
// yesterday, yesterday and today, 6:00 to 20:00 in quarter-hour samples, one
// panel per day, drawn on Form1 over "b1.bmp".

// Draws the whole chart. Resets the today slot (Word::Block3::TodaySlot) to 0
// when it is above 2.
void DrawDailyChart();
// The three date captions under the panels.
void DrawDayDates();
// The number of days (28..31) of the month before the controller's month.
int DaysInPreviousMonth();
