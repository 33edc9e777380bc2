#pragma once
// The monthly chart "Monatsdaten": the energy of each month of the current
// plant year as twelve three-dimensional bars, today's energy added to the
// current month, drawn on Form12 over "b2.bmp".
void DrawMonthlyChart();
