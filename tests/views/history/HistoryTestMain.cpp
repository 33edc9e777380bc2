// The history chart tests run in the folder of the generated background
// pictures, as the program does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (!QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR))) {
    std::fprintf(stderr, "cannot change to the picture folder %s\n", PCZN_PICTURE_DIR);
    return 1;
  }
  return RUN_ALL_TESTS();
}
