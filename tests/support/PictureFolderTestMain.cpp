// The main of the Qt test programs that draw with the background pictures:
// they run offscreen in the folder the build puts the pictures in, as the
// program runs in its own.
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
