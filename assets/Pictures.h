#pragma once
// The background pictures of the views, drawn from code at build time.
#include <QImage>

// Shared look: the grey the pictures are painted on.
constexpr QRgb PictureGrey = 0xFFD4D0C8;

QImage MakeDailyChartBackground();    // b1.bmp, 784 x 397
QImage MakeMonthlyChartBackground();  // b2.bmp, 752 x 320
QImage MakeYearlyChartBackground();   // b3.bmp, 771 x 359
QImage MakeYieldChartBackground();    // b5.bmp, 778 x 380
QImage MakeYearBalanceBackground();   // b4.bmp, 793 x 393
QImage MakeDailyValuesBackground();   // b6.bmp, 785 x 505
QImage MakeSplashPicture();           // splash.bmp, 792 x 432
