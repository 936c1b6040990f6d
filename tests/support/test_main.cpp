// Test main for the groups that use the engine: the engine runs offscreen unless
// the caller chose a platform, and is started once for the whole process.
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "runtime/userint.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifdef VANTREL_DEFAULT_BIN
  setenv("VANTREL_BIN", VANTREL_DEFAULT_BIN, 0);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  if (!InitRuntime(argc, argv)) {
    std::fprintf(stderr, "the engine could not start\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
