#pragma once
// The yearly energy balance: one bar per day of the year with today's marker,
// drawn on Form4 over "b4.bmp".

// Loads the picture, shows Form4 and draws the chart from the plant data store.
// A picture that cannot be read raises EPictureError before anything is drawn.
void DrawYearBalance();
