#include "Pictures.h"

namespace {

QImage Plain(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(PictureGrey);
  return image;
}

}  // namespace

QImage MakeDailyChartBackground() { return Plain(784, 397); }
QImage MakeMonthlyChartBackground() { return Plain(752, 320); }
QImage MakeYearlyChartBackground() { return Plain(771, 359); }
QImage MakeYieldChartBackground() { return Plain(778, 380); }
QImage MakeSplashPicture() { return Plain(792, 432); }
