#include <QTemporaryDir>
#include <set>

#include "HistoryTestSupport.h"
#include "views/Picture.h"
#include "views/history/ChartConventions.h"
#include "views/history/DailyChart.h"

namespace {

std::string Label(int n, const AxisThresholds& t) { return FormatAxisLabel(n, t); }

TEST(AxisLabelFormat, PadsBelowEachThreshold) {
  EXPECT_EQ(Label(999, DailyAxisThresholds), "   999");
  EXPECT_EQ(Label(1000, DailyAxisThresholds), "  1000");
  EXPECT_EQ(Label(9999, DailyAxisThresholds), "  9999");
  EXPECT_EQ(Label(12000, DailyAxisThresholds), " 12000");
  EXPECT_EQ(Label(99999, DailyAxisThresholds), " 99999");
  EXPECT_EQ(Label(120000, DailyAxisThresholds), "120000");
  EXPECT_EQ(Label(5, BarAxisThresholds), "   5");
  EXPECT_EQ(Label(10, BarAxisThresholds), "  10");
  EXPECT_EQ(Label(50, BarAxisThresholds), "  50");
  EXPECT_EQ(Label(500, BarAxisThresholds), " 500");
  EXPECT_EQ(Label(999, BarAxisThresholds), " 999");
  EXPECT_EQ(Label(5000, BarAxisThresholds), "5000");
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
  std::vector<QPoint> fills;
  for (const DrawLogEntry& e : canvas.Log())
    if (e.op == DrawLogEntry::FloodFill) {
      fills.emplace_back(e.x, e.y);
      EXPECT_EQ(e.color, Colors::Blue);
      EXPECT_EQ(e.border, Colors::Yellow);
    }
  EXPECT_EQ(fills, (std::vector<QPoint>{{110, 250}, {110, 73}, {131, 249}}));

  EXPECT_EQ(canvas.Pixel(118, 160), Colors::Blue);  // front face
  EXPECT_EQ(canvas.Pixel(125, 68), Colors::Blue);   // top face
  EXPECT_EQ(canvas.Pixel(136, 160), Colors::Blue);  // side face
  EXPECT_EQ(canvas.Pixel(107, 160), Colors::Black);
  EXPECT_EQ(canvas.Pixel(130, 160), Colors::Black);
  EXPECT_EQ(canvas.Pixel(141, 160), Colors::Black);
  EXPECT_EQ(canvas.Pixel(125, 63), Colors::Black);
  EXPECT_EQ(canvas.Pixel(150, 160), Background);
  EXPECT_EQ(Colours().count(Colors::Yellow), 0u);

  const DrawLogEntry* value = TextAt(canvas.Log(), 97, 274);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->text, "   2000");
  EXPECT_EQ(value->color, Colors::Blue);
  EXPECT_TRUE(value->transparent);
  EXPECT_EQ(canvas.FontColor(), Colors::Black);
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
  DrawFlatBar(canvas, YieldMonthBar, 104, 165);
  const auto outlines = BarOutlines(canvas.Log(), 104, 282);
  ASSERT_EQ(outlines.size(), 2u);
  EXPECT_EQ(outlines[1].points, (std::vector<QPoint>{{122, 282}, {122, 68}, {104, 68}, {104, 282}}));
  EXPECT_EQ(outlines[1].colors.front(), Colors::Black);
  const DrawLogEntry* fill = nullptr;
  for (const DrawLogEntry& e : canvas.Log())
    if (e.op == DrawLogEntry::FloodFill) fill = &e;
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(QPoint(fill->x, fill->y), QPoint(107, 70));
  EXPECT_EQ(fill->border, Colors::Blue);
  EXPECT_EQ(canvas.Pixel(113, 175), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(104, 175), Colors::Black);
  EXPECT_EQ(canvas.Pixel(122, 175), Colors::Black);
  EXPECT_EQ(canvas.Pixel(113, 68), Colors::Black);
  EXPECT_EQ(canvas.Pixel(124, 175), Background);
  EXPECT_EQ(TextAt(canvas.Log(), 94, 305)->text, "   165");

  // The year bar fills from just above its baseline and labels 19 pixels below it.
  canvas.ClearLog();
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

TEST(MonthTable, RowOfTheMonthCounter) {
  ClearPlantStore();
  const std::pair<int, int> rows[] = {{0, 0}, {1, 0}, {12, 0}, {13, 1}, {36, 2}, {37, 3}, {41, 3}, {261, 21},
                                      // outside the month slots: taken as no month counted
                                      {262, 0}, {399, 0}, {65535, 0}};
  for (auto [counter, row] : rows) {
    Block2[24] = static_cast<uint16_t>(counter);
    EXPECT_EQ(CurrentYearRow(), row) << "counter " << counter;
  }
}

TEST(MonthTable, OnlyTheCurrentMonthGetsTodaysEnergy) {
  ClearPlantStore();
  for (int m = 0; m < 12; ++m) SetMonthRun(37 + m, static_cast<uint16_t>(100 + m));
  Block2[14] = 5;
  TodayYield = 1234;
  EXPECT_EQ(MonthEnergy(3, 4), 104 + 12);
  EXPECT_EQ(MonthEnergy(3, 3), 103);
  EXPECT_EQ(MonthEnergy(3, 11), 111);
  Block2[14] = 13;
  EXPECT_EQ(MonthEnergy(3, 4), 104);
}

TEST_F(BarTest, FooterIsRegularBlackWhateverCameBefore) {
  ClearPlantStore();
  Block2[13] = 5, Block2[14] = 3, Block2[15] = 107, Block2[16] = 9, Block2[17] = 4;
  canvas.SetFontBold(true);
  canvas.SetFontColor(Colors::Red);
  canvas.SetFontHeight(28);
  DrawFooter(canvas, 300);
  const auto texts = Texts(canvas.Log());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "09:04");
  EXPECT_EQ(QPoint(texts[0].x, texts[0].y), QPoint(8, 300));
  EXPECT_EQ(texts[1].text, "05/03/07");
  EXPECT_EQ(QPoint(texts[1].x, texts[1].y), QPoint(50, 300));
  for (const DrawLogEntry& t : texts) {
    EXPECT_FALSE(t.bold);
    EXPECT_EQ(t.fontHeight, 14);
    EXPECT_EQ(t.color, Colors::Black);
    EXPECT_TRUE(t.transparent);
  }
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
