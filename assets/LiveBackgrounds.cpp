#include "Pictures.h"

namespace {

QImage Plain(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(PictureGrey);
  return image;
}

}  // namespace

QImage MakeYearBalanceBackground() { return Plain(793, 393); }
QImage MakeDailyValuesBackground() { return Plain(785, 505); }
