#pragma once
// The monthly chart "Monatsdaten": the energy of each month of a year as
// twelve three-dimensional bars, drawn over "b2.bmp": on Form12 from the store
// (the current plant year, today's energy added to the current month), or on
// another window from any year's data.
#include "views/history/ChartData.h"

class TForm;
class TImage;

void DrawMonthlyChart();
void DrawMonthlyChart(TForm& form, TImage& image, const MonthlyChartData& data);
// The store's current year as the chart draws it (TodayYield recomputed).
MonthlyChartData MonthlyChartFromStore();
