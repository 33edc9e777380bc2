#pragma once
// Shared set-up of the history chart tests: the four chart windows as the
// program-wide forms, a cleared store and readers of the canvas draw log.
#include <gtest/gtest.h>

#include <QPoint>
#include <string>
#include <vector>

#include "store/PlantStore.h"
#include "views/Canvas.h"
#include "views/history/ChartForms.h"

class ChartTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  TForm1 form1{nullptr};
  TForm12 form12{nullptr};
  TForm3 form3{nullptr};
  TForm5 form5{nullptr};
};

// Sets Block3[38] and derives the chart scales from it.
void SetPlantSize(int tenthsOfKwp);
// Today's yield in 0.01 kWh, put into meter 1's word.
void SetTodayYield(int hundredthsOfKwh);

// The text entries of a log.
std::vector<DrawLogEntry> Texts(const std::vector<DrawLogEntry>& log);
// The text drawn at (x, y), or nullptr.
const DrawLogEntry* TextAt(const std::vector<DrawLogEntry>& log, int x, int y);

// A move followed by its lines: the start and the end point of every line.
struct Polyline {
  QPoint start;
  std::vector<QPoint> points;
  std::vector<TColor> colors;
};
// Every polyline of the log that starts at one of the given points, in log order.
std::vector<Polyline> PolylinesFrom(const std::vector<DrawLogEntry>& log, const std::vector<QPoint>& starts);

// The outline of a bar as drawn: every MoveTo at (left, baseline) with the lines after it.
std::vector<Polyline> BarOutlines(const std::vector<DrawLogEntry>& log, int left, int baseline);
