#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "views/Canvas.h"
#include "views/Picture.h"

namespace {

class CanvasTest : public ::testing::Test {
protected:
  void SetUp() override {
    image = QImage(60, 40, QImage::Format_RGB32);
    image.fill(0xFFC0C0C0);
    canvas.SetImage(&image);
    canvas.EnableLog(true);
  }
  QImage image;
  Canvas canvas;
};

TEST_F(CanvasTest, ColoursConvertFromBgr) {
  EXPECT_EQ(ArgbFromColor(Colors::Red), 0xFFFF0000u);
  EXPECT_EQ(ArgbFromColor(Colors::Blue), 0xFF0000FFu);
  EXPECT_EQ(ArgbFromColor(0x00336699), 0xFF996633u);
  EXPECT_EQ(ColorFromArgb(0xFF996633u), 0x00336699u);
  EXPECT_NE(ArgbFromColor(Colors::DesktopBackground), ArgbFromColor(Colors::Black));
}

TEST_F(CanvasTest, LineExcludesItsEndPoint) {
  canvas.SetPenColor(Colors::Red);
  canvas.MoveTo(2, 5);
  canvas.LineTo(10, 5);
  EXPECT_EQ(canvas.Pixel(2, 5), Colors::Red);
  EXPECT_EQ(canvas.Pixel(9, 5), Colors::Red);
  EXPECT_NE(canvas.Pixel(10, 5), Colors::Red);
  canvas.LineTo(10, 20);  // continues from the end point, which the next line draws
  EXPECT_EQ(canvas.Pixel(10, 5), Colors::Red);
  ASSERT_EQ(canvas.Log().size(), 3u);
  EXPECT_EQ(canvas.Log()[2].op, DrawLogEntry::LineTo);
  EXPECT_EQ(canvas.Log()[2].x2, 10);  // from
  EXPECT_EQ(canvas.Log()[2].y2, 5);
}

// Lines from far outside the picture (bars of absurd data) draw only what
// lies inside it, with the same end-point rule.
TEST_F(CanvasTest, StraightLinesFromFarOutsideDrawTheirVisiblePart) {
  canvas.SetPenColor(Colors::Red);
  canvas.MoveTo(5, 10'000'000);
  canvas.LineTo(5, 3);
  EXPECT_EQ(canvas.Pixel(5, 39), Colors::Red);
  EXPECT_EQ(canvas.Pixel(5, 4), Colors::Red);
  EXPECT_NE(canvas.Pixel(5, 3), Colors::Red);
  canvas.MoveTo(-10'000'000, 7);
  canvas.LineTo(6, 7);
  EXPECT_EQ(canvas.Pixel(0, 7), Colors::Red);
  EXPECT_EQ(canvas.Pixel(5, 7), Colors::Red);
  EXPECT_NE(canvas.Pixel(6, 7), Colors::Red);
  canvas.MoveTo(70, 20);  // right of the picture: nothing to draw
  canvas.LineTo(70, -5);
  EXPECT_NE(canvas.Pixel(59, 10), Colors::Red);
}

TEST_F(CanvasTest, FloodFillStopsAtTheBorderColour) {
  // A closed yellow outline, filled blue inside; outside stays untouched.
  canvas.SetPenColor(Colors::Yellow);
  canvas.MoveTo(10, 10);
  canvas.LineTo(30, 10);
  canvas.LineTo(30, 25);
  canvas.LineTo(10, 25);
  canvas.LineTo(10, 10);
  canvas.SetBrushColor(Colors::Blue);
  canvas.FloodFill(15, 15, Colors::Yellow);
  EXPECT_EQ(canvas.Pixel(11, 11), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(29, 24), Colors::Blue);
  EXPECT_EQ(canvas.Pixel(31, 26), 0xC0C0C0u);
  EXPECT_EQ(canvas.Pixel(9, 15), 0xC0C0C0u);
  EXPECT_EQ(canvas.Pixel(10, 15), Colors::Yellow);
  // Starting on the border fills nothing.
  canvas.SetBrushColor(Colors::Red);
  canvas.FloodFill(10, 15, Colors::Yellow);
  EXPECT_EQ(canvas.Pixel(11, 11), Colors::Blue);
}

TEST_F(CanvasTest, RectangleOutlineAndFill) {
  canvas.SetPenColor(Colors::Black);
  canvas.SetBrushColor(Colors::Red);
  canvas.Rectangle(20, 30, 5, 10);  // corners in any order
  EXPECT_EQ(canvas.Pixel(5, 10), Colors::Black);
  EXPECT_EQ(canvas.Pixel(19, 29), Colors::Black);
  EXPECT_EQ(canvas.Pixel(20, 29), 0xC0C0C0u);
  EXPECT_EQ(canvas.Pixel(10, 20), Colors::Red);
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.SetBrushColor(Colors::Blue);
  canvas.Rectangle(5, 10, 20, 30);
  EXPECT_EQ(canvas.Pixel(10, 20), Colors::Red);
}

TEST_F(CanvasTest, TextIsLoggedWithItsFontAndDrawnWithoutAntialiasing) {
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.SetFontName("Arial");
  canvas.SetFontHeight(24);
  canvas.SetFontColor(Colors::Blue);
  canvas.SetFontBold(true);
  canvas.TextOut(2, 2, "M\xE4r");
  ASSERT_EQ(canvas.Log().size(), 1u);
  const DrawLogEntry& e = canvas.Log()[0];
  EXPECT_EQ(e.text, "M\xE4r");
  EXPECT_EQ(e.fontHeight, 24);
  EXPECT_TRUE(e.bold);
  EXPECT_TRUE(e.transparent);
  int blue = 0, other = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const TColor c = canvas.Pixel(x, y);
      if (c == Colors::Blue) ++blue;
      else if (c != 0xC0C0C0u) ++other;
    }
  EXPECT_GT(blue, 20);
  EXPECT_EQ(other, 0);  // no blended pixels
}

TEST(FontCells, CellHeightIsAscentPlusDescent) {
  for (int h : {14, 18, 24, 28}) {
    const int size = PixelSizeForCellHeight("Arial", h, false);
    QFont font("Arial");
    font.setPixelSize(size);
    const QFontMetrics m(font);
    EXPECT_LE(m.ascent() + m.descent(), h);
    EXPECT_GE(m.ascent() + m.descent(), h - 2) << h;
  }
}

TEST(PictureControl, MissingFileRaisesAndKeepsThePicture) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  QImage bmp(30, 20, QImage::Format_RGB32);
  bmp.fill(0xFF808080);
  ASSERT_TRUE(bmp.save("b9.bmp", "BMP"));
  TImage picture(nullptr, 0, 0, 30, 20);
  picture.LoadFromFile("b9.bmp");
  picture.GetCanvas().SetPenColor(Colors::Red);
  picture.GetCanvas().MoveTo(0, 0);
  picture.GetCanvas().LineTo(5, 0);
  EXPECT_THROW(picture.LoadFromFile("missing.bmp"), EPictureError);
  EXPECT_EQ(picture.GetCanvas().Pixel(1, 0), Colors::Red);
  try {
    picture.LoadFromFile("missing.bmp");
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("missing.bmp"), std::string::npos);
  }
  // A new load starts from the file and a fresh canvas state.
  picture.LoadFromFile("b9.bmp");
  EXPECT_EQ(picture.GetCanvas().Pixel(1, 0), 0x808080u);
  EXPECT_EQ(picture.GetCanvas().PenColor(), Colors::Black);
  QDir::setCurrent(previous);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
