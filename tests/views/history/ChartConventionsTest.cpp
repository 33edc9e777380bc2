#include <QTemporaryDir>
#include <set>

#include "HistoryTestSupport.h"
#include "views/Picture.h"
#include "views/history/ChartConventions.h"
#include "views/history/DailyChart.h"

namespace {

TEST(AxisLabelFormat, PadsBelowEachThreshold) {
  const std::pair<int, const char*> daily[] = {
      {999, "   999"}, {1000, "  1000"}, {12000, " 12000"}, {120000, "120000"}};
  for (auto [n, text] : daily) EXPECT_EQ(std::string(FormatAxisLabel(n, DailyAxisThresholds)), text);
  const std::pair<int, const char*> bars[] = {{5, "   5"}, {10, "  10"}, {99, "  99"}, {500, " 500"}, {5000, "5000"}};
  for (auto [n, text] : bars) EXPECT_EQ(std::string(FormatAxisLabel(n, BarAxisThresholds)), text);
}

// A bar drawn on a plain grey picture.
class BarTest : public ::testing::Test {
protected:
  static constexpr TColor Background = 0xC0C0C0;
  void SetUp() override {
    image = QImage(760, 320, QImage::Format_RGB32);
    image.fill(ArgbFromColor(Background));
    canvas.SetImage(&image);
    canvas.EnableLog(true);
  }
  // Every colour left on the picture.
  std::set<TColor> Colours() const {
    std::set<TColor> colours;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) colours.insert(canvas.Pixel(x, y));
    return colours;
  }
  QImage image;
  Canvas canvas;
};

TEST_F(BarTest, Box3DOutlinesInYellowFillsBlueAndEndsBlack) {
  MonthChartMax = 2000;
  DrawBox3D(canvas, MonthlyBar(), 107, 2000);
  const std::vector<QPoint> corners = {{130, 251}, {130, 74}, {107, 74}, {107, 251}, {107, 74}, {118, 63},
                                       {141, 63},  {130, 74}, {141, 63}, {141, 240}, {130, 251}};
  const auto outlines = BarOutlines(canvas.Log(), 107, 251);
  ASSERT_EQ(outlines.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(outlines[i].points, corners);
    for (TColor c : outlines[i].colors) EXPECT_EQ(c, i == 0 ? Colors::Yellow : Colors::Black);
  }
  EXPECT_EQ(canvas.Pixel(118, 160), Colors::Blue);  // front face
  EXPECT_EQ(canvas.Pixel(125, 68), Colors::Blue);   // top face
  EXPECT_EQ(canvas.Pixel(136, 160), Colors::Blue);  // side face
  for (QPoint edge : {QPoint(107, 160), QPoint(130, 160), QPoint(141, 160), QPoint(125, 63)})
    EXPECT_EQ(canvas.Pixel(edge.x(), edge.y()), Colors::Black);
  EXPECT_EQ(canvas.Pixel(150, 160), Background);
  EXPECT_EQ(Colours().count(Colors::Yellow), 0u);

  const DrawLogEntry* value = TextAt(canvas.Log(), 97, 274);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->text, "   2000");
  EXPECT_EQ(value->color, Colors::Blue);
}

TEST_F(BarTest, LowBoxesNeverFloodThePicture) {
  // Heights of 0 to 14 pixels for both geometries: the fills stay inside the bar.
  MonthChartMax = 177;
  YearChartMax = 184;
  for (const BarGeometry& g : {MonthlyBar(), YearlyBar()}) {
    for (int h = 0; h <= 14; ++h) {
      SetUp();
      DrawBox3D(canvas, g, 300, h);
      const auto colours = Colours();
      EXPECT_EQ(colours.count(Colors::Yellow), 0u) << "height " << h;
      EXPECT_EQ(canvas.Pixel(10, 10), Background) << "height " << h;
      EXPECT_EQ(canvas.Pixel(300 - 5, g.baseline - 2), Background) << "height " << h;
      EXPECT_EQ(canvas.Pixel(300 + 3, g.baseline + 3), Background) << "height " << h;
    }
  }
}

TEST_F(BarTest, ZeroBoxIsABlueParallelogram) {
  MonthChartMax = 2000;
  DrawBox3D(canvas, MonthlyBar(), 107, 0);
  EXPECT_EQ(canvas.Pixel(122, 246), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(107, 251), Colors::Black);
  EXPECT_EQ(canvas.Pixel(118, 240), Colors::Black);
  EXPECT_EQ(canvas.Pixel(122, 252), Background);
  EXPECT_EQ(TextAt(canvas.Log(), 97, 274)->text, "   0");
}

TEST_F(BarTest, FlatBarsFillBlueInsideBlackEdges) {
  DrawFlatBar(canvas, YieldMonthBar, 104, 165);  // full scale: 282 up to 68
  EXPECT_EQ(canvas.Pixel(113, 175), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(113, 70), Colors::Blue);
  for (QPoint edge : {QPoint(104, 175), QPoint(122, 175), QPoint(113, 68), QPoint(113, 282)})
    EXPECT_EQ(canvas.Pixel(edge.x(), edge.y()), Colors::Black);
  EXPECT_EQ(canvas.Pixel(113, 66), Background);
  EXPECT_EQ(canvas.Pixel(124, 175), Background);
  EXPECT_EQ(TextAt(canvas.Log(), 94, 305)->text, "   165");

  // The year bar fills from just above its baseline and labels 19 pixels below it.
  DrawFlatBar(canvas, YieldYearBar, 704, 950);
  EXPECT_EQ(BarOutlines(canvas.Log(), 704, 282)[1].points[1], QPoint(722, 113));  // 169 pixels
  EXPECT_EQ(canvas.Pixel(713, 200), Colors::Blue);
  EXPECT_EQ(TextAt(canvas.Log(), 694, 301)->text, "   950");
}

TEST_F(BarTest, FlatBarAboveThePictureIsStillFilled) {
  DrawFlatBar(canvas, YieldMonthBar, 104, 300);  // 389 pixels, the top lies above the picture
  EXPECT_EQ(canvas.Pixel(113, 5), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(113, 250), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(130, 250), Background);
}

TEST(MonthTable, RowsAndTodaysEnergy) {
  ClearPlantStore();
  // Counters outside the month slots count as no month counted.
  const std::pair<int, int> rows[] = {{0, 0}, {12, 0}, {13, 1}, {36, 2}, {37, 3}, {261, 21}, {262, 0}, {65535, 0}};
  for (auto [counter, row] : rows) {
    Block2[24] = static_cast<uint16_t>(counter);
    EXPECT_EQ(CurrentYearRow(), row) << "counter " << counter;
  }
  for (int m = 0; m < 12; ++m) SetMonthRun(37 + m, static_cast<uint16_t>(100 + m));
  Block2[14] = 5;
  TodayYield = 1234;
  EXPECT_EQ(MonthEnergy(3, 4), 104 + 12);
  EXPECT_EQ(MonthEnergy(3, 3), 103);
  Block2[14] = 13;
  EXPECT_EQ(MonthEnergy(3, 4), 104);
  // Row 21 ends with slot 261: October to December would be meter yields.
  for (int index = 253; index <= 264; ++index) SetMonthRun(index, 500);
  EXPECT_EQ(MonthEnergy(21, 8), 500);
  EXPECT_EQ(MonthEnergy(21, 9), 0);
  EXPECT_EQ(MonthEnergy(21, 11), 0);
}

// A missing picture stops the drawing before anything is drawn or changed.
class MissingPictureTest : public ChartTest {};

TEST_F(MissingPictureTest, RaisesAndKeepsPictureAndStore) {
  DrawDailyChart();
  const QImage before = form1.Image1->Picture().copy();
  QTemporaryDir empty;
  const QString pictures = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(empty.path()));
  Block3[24] = 5;
  form1.Image1->GetCanvas().ClearLog();
  EXPECT_THROW(DrawDailyChart(), EPictureError);
  QDir::setCurrent(pictures);
  EXPECT_EQ(Block3[24], 5);
  EXPECT_TRUE(form1.Image1->GetCanvas().Log().empty());
  EXPECT_EQ(form1.Image1->Picture(), before);
}

}  // namespace
