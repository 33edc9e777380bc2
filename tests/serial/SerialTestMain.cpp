// The serial tests run their ports' handlers on the main thread, in a plain
// loop of their own (no event loop, no Qt).
#include <gtest/gtest.h>

#include "SerialTestSupport.h"

int main(int argc, char** argv) {
  InstallPlainMainLoop();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
