#pragma once
// What the four history charts share: the axis numbers, the two bar
// operations with their geometries, the footer with the controller's clock,
// the month table arithmetic and the canvas preparation of every drawing.
#include <cstdint>

#include "views/AxisLabel.h"
#include "views/history/ChartData.h"

class Canvas;
class TForm;
class TImage;

// Where a flat bar's flood fill starts: two pixels below its top edge, or one
// pixel above its baseline.
enum class FlatBarFill { BelowTop, AboveBaseline };

// The constants of one kind of bar. depthX, depthY and backWidth are used by
// three-dimensional bars only, flatFill by flat bars only.
struct BarGeometry {
  int baseline;        // y of the bar's foot
  int width;           // width of the front face
  int scaleNumerator;  // height in pixels of a bar whose value equals scale
  uint32_t scale;
  int depthX, depthY;  // offset of the back face against the front
  int backWidth;
  int labelDy;  // from the baseline down to the value label
  FlatBarFill flatFill;
};

BarGeometry MonthlyBar(uint32_t monthChartMax);
BarGeometry YearlyBar(uint32_t yearChartMax);
BarGeometry MonthlyBar();  // scale MonthChartMax
BarGeometry YearlyBar();   // scale YearChartMax
constexpr BarGeometry YieldMonthBar{282, 18, 214, 165, 0, 0, 0, 23, FlatBarFill::BelowTop};
constexpr BarGeometry YieldYearBar{282, 18, 214, 1200, 0, 0, 0, 19, FlatBarFill::AboveBaseline};

// A three-dimensional blue bar with black edges whose front face starts at x =
// left, with its value below it in blue.
void DrawBox3D(Canvas& canvas, const BarGeometry& g, int left, int value);
// The same for a flat bar.
void DrawFlatBar(Canvas& canvas, const BarGeometry& g, int left, int value);

// The controller's clock in the store as the footer shows it.
ChartFooter StoreFooter();
// The footer's time at (8, y) and date at (50, y): height 14, regular, black.
void DrawFooter(Canvas& canvas, int y, const ChartFooter& footer);

// The month table. The month counter names the current month's MonthRun slot;
// its row is r = (counter - 1) / 12 (0 for a counter of 0 or one outside the
// month slots).
int CurrentYearRow();
// Month m (0..11) of row r in whole kWh; the controller's current month gets
// TodayYield / 100 added, so TodayYield must be computed first.
int MonthEnergy(int row, int m);

// The German month abbreviations in code page 1252, January first.
const char* MonthName(int m);

enum class ChartPitch { Default, Fixed };
// The start of every drawing: reloads the picture file (relative to the working
// directory; EPictureError before anything is drawn when it cannot be read),
// shows the window and sets font colour black, height 14, the pitch, brush style
// clear and the font "Arial". Returns the picture's canvas.
Canvas& PrepareChart(TForm& form, TImage& image, const char* pictureFile, ChartPitch pitch);
