#pragma once
// The yearly chart "Jahresdaten": the energy of each year as three-dimensional
// bars over a row of year captions, drawn over "b3.bmp": on Form3 from the
// store (each plant year since commissioning, the last one with today's
// energy), or on another window from any years' data.
#include "views/history/ChartData.h"

class TForm;
class TImage;

void DrawYearlyChart();
void DrawYearlyChart(TForm& form, TImage& image, const YearlyChartData& data);
// The store's plant years as the chart draws them (TodayYield recomputed).
YearlyChartData YearlyChartFromStore();
