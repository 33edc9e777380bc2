#pragma once
// The yearly chart "Jahresdaten": the energy of each plant year since
// commissioning as three-dimensional bars, the last one for the current year
// with today's energy, drawn on Form3 over "b3.bmp".
void DrawYearlyChart();
