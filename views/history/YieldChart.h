#pragma once
// The plant yield chart "Ertrag der Anlage": the specific yield (kWh per kWp)
// of each month of the current plant year as flat bars on a scale of 165, and
// their sum as one bar on a scale of 1200, drawn on Form5 over "b5.bmp".
void DrawYieldChart();
