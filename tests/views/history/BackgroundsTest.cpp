// The generated chart backgrounds: the sizes the charts expect, and no pixel in
// a colour that a bar's flood fill stops at, which would leave holes in bars.
#include <gtest/gtest.h>

#include <QImage>

#include "views/Colors.h"

namespace {

bool Contains(const QImage& image, TColor color) {
  const QRgb rgb = ArgbFromColor(color) & 0xFFFFFF;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == rgb) return true;
  return false;
}

TEST(ChartBackgrounds, SizesAndNoFillBorderColours) {
  const struct {
    const char* file;
    int width, height;
    TColor fillBorder;
  } pictures[] = {{"b1.bmp", 784, 397, Colors::Yellow},
                  {"b2.bmp", 752, 320, Colors::Yellow},
                  {"b3.bmp", 771, 359, Colors::Yellow},
                  {"b5.bmp", 778, 380, Colors::Blue}};
  for (const auto& p : pictures) {
    const QImage image(QString::fromLatin1(p.file));
    ASSERT_FALSE(image.isNull()) << p.file;
    EXPECT_EQ(image.size(), QSize(p.width, p.height)) << p.file;
    EXPECT_FALSE(Contains(image, p.fillBorder)) << p.file;
  }
  EXPECT_EQ(QImage(QStringLiteral("splash.bmp")).size(), QSize(792, 432));
}

}  // namespace
