// The bridge's tests with a real broker draw the daily values page offscreen
// to compare it with what the bridge published, in the folder of its picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (!QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR))) {
    std::fprintf(stderr, "cannot enter the picture folder %s\n", PCZN_PICTURE_DIR);
    return 1;
  }
  return RUN_ALL_TESTS();
}
