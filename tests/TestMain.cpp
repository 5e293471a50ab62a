// The tests' entry point. The program's data-type table is filled by the application's
// registration call; tests below the application layer start with the trajectory rows, so
// that files open as they do in the program.
#include <gtest/gtest.h>

#include "data/DataTypeRegistry.h"

int main(int argc, char** argv) {
  qv::RegisterTrajectoryTypes(DataTypeRegistry::Instance());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
