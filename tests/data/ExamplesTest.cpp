// The bundled example files load as the same three frames of four water molecules.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "data/md3/MD3Load.h"
#include "data/text/TextFrames.h"

TEST(Examples, EveryTextFormatGivesTheSameWater) {
  const std::string dir = std::string(QV_SOURCE_DIR) + "/examples/";
  const float box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  qv::FrameList md3;
  testing::internal::CaptureStdout();
  ASSERT_EQ(qv::LoadMd3Frames(dir + "water.md3", md3), 0);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(md3.size(), 3u);
  EXPECT_EQ(md3[2]->box[8], 6.0);  // carried from the first frame
  for (const char* name : {"water.xyz", "water.md2", "water.pdb"}) {
    qv::FrameList frames;
    int largest = 0;
    testing::internal::CaptureStdout();
    qv::LoadTextFrames(dir + name, *qv::TextFormatOfPath(name), box, frames, largest);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(frames.size(), 3u) << name;
    EXPECT_EQ(largest, 12);
    for (size_t k = 0; k < 3; ++k) {
      ASSERT_EQ(frames[k]->atomCount, 12) << name;
      for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(frames[k]->atomicNumbers[i], md3[k]->atomicNumbers[i]) << name << " " << i;
        for (int c = 0; c < 3; ++c) {
          EXPECT_NEAR(frames[k]->positions[3 * i + c], md3[k]->positions[3 * i + c], 1e-3)
              << name;
        }
      }
    }
  }
}
