// Transcript tests of qvtool on scattering paths, scalar fields and site-and-path files.
#include <filesystem>

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

class QvToolAux : public ::testing::Test {
 protected:
  int Run(const std::string& args, std::string* out) {
    return qvtest::RunCommand(std::string(QV_QVTOOL_PATH) + " " + args +
                                  " --settings /dev/null 2>/dev/null",
                              out);
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir.File(name);
    qvtest::WriteText(path, text);
    return path;
  }
  qvtest::TempDir dir;
};

const char kPaths[] =
    "BOX 8 0 0 0 4 0 0 0 4 1 0 0\n0 0 0 0\n1 1 1 3\n2 2 2 1\n\n5 5 5 2\n\n9 9 9\n";

TEST_F(QvToolAux, ScatteringInfoAndDumpOfTheChosenStep) {
  const std::string path = Write("a.traj", kPaths);
  std::string out;
  ASSERT_EQ(Run("info " + path + " --json --frame 2", &out), 0);
  EXPECT_EQ(out,
            "{\"type\":2,\"frames\":3,\"paths\":2,\"points\":5,\"steps\":3,"
            "\"box\":[8,0,0,0,4,0,0,0,4],\"origin\":[1,0,0],"
            "\"frame\":{\"index\":2,\"visible_paths\":2,\"visible_points\":2}}\n");
  out.clear();
  ASSERT_EQ(Run("dump " + path + " --frame 2", &out), 0);
  EXPECT_EQ(out, "0 0 0 0 0\n1 5 5 5 2\n");
  EXPECT_EQ(Run("dump " + path + " --frame 3", nullptr), 1) << "the last step shown is 2";
}

TEST_F(QvToolAux, FieldInfoListsEveryFrameAndDumpsTheChosenOne) {
  qvtest::Bytes b;
  for (char c : std::string("BINFIELD")) b.Put(c);
  b.Zeros(8);
  b.Put(int64_t{1}).Put(int64_t{1}).Put(int64_t{2}).Put(0.5).Put(1.0).Put(1.5);
  b.Put(0.55).Put(-2.0);
  b.Put(int64_t{2}).Put(int64_t{1}).Put(int64_t{1}).Put(1.0).Put(1.0).Put(1.0);
  b.Put(1.0).Put(0.05);
  const std::string path = dir.File("f.bif");
  qvtest::WriteFile(path, b.data);
  std::string out;
  ASSERT_EQ(Run("info " + path + " --json --frame 1", &out), 0);
  EXPECT_EQ(out,
            "{\"type\":3,\"frames\":2,\"grid\":[2,1,1],\"box\":[2,0,0,0,1,0,0,0,1],"
            "\"origin\":[0,0,0],\"value_min\":0.05,\"value_max\":1,\"frame_list\":["
            "{\"index\":0,\"grid\":[1,1,2],\"box\":[0.5,0,0,0,1,0,0,0,3],\"origin\":[0,0,0]},"
            "{\"index\":1,\"grid\":[2,1,1],\"box\":[2,0,0,0,1,0,0,0,1],\"origin\":[0,0,0]}]}\n");
  out.clear();
  ASSERT_EQ(Run("dump " + path, &out), 0);
  EXPECT_EQ(out, "0 0 215 30 52\n1 0 0 0 0\n");
}

TEST_F(QvToolAux, SpkIsATrajectoryForInfoAndBonds) {
  const std::string path = Write("s.spk",
                                 "2 2\nt\nBOX 10 0 0 0 10 0 0 0 10 0 0 0\nSITE 1 5 5\nSITE 9 5 5\n"
                                 "PATH 0 1 0 0\nPATH 1 -1 0 0\n");
  std::string out;
  ASSERT_EQ(Run("info " + path + " --json", &out), 0);
  EXPECT_EQ(out,
            "{\"type\":1,\"frames\":1,\"frame_list\":[{\"index\":0,\"atoms\":2,"
            "\"box\":[10,0,0,0,10,0,0,0,10],\"origin\":[0,0,0],\"elements\":{\"0\":2}}]}\n");
  out.clear();
  ASSERT_EQ(Run("bonds " + path + " --list", &out), 0);
  EXPECT_NE(out.find("0 1 -2 0 0\n"), std::string::npos) << out;
}

// Each kind renders headless in each back end the settings can choose.
TEST_F(QvToolAux, RenderDrawsEveryKindInBothBackEnds) {
  const std::string files[] = {
      Write("r.traj", "BOX 4 0 0 0 4 0 0 0 4 0 0 0\n0 2 2\n4 2 2\n\n"),
      Write("r.cube", "c\nc\n 0 0 0 0\n 2 2 0 0\n 1 0 4 0\n 1 0 0 4\n1 0\n"),
      Write("r.spk", "1 0\nt\nBOX 4 0 0 0 4 0 0 0 4 0 0 0\nSITE 2 2 2\n")};
  for (const std::string& f : files) {
    for (const char* gpu : {"0", "1"}) {
      const std::string bmp = dir.File("out.bmp");
      std::remove(bmp.c_str());
      const std::string command = "render " + f + " --size 32x32 -o " + bmp + " --set GPUDriver:DirectX11=" + gpu;
      if (f.ends_with(".cube") && gpu == std::string("1")) {
        // The shader back end writes no bitmap while a scalar field comes first, and says so.
        EXPECT_EQ(Run(command, nullptr), 1);
        EXPECT_FALSE(std::filesystem::exists(bmp));
        continue;
      }
      ASSERT_EQ(Run("render " + f + " --size 32x32 -o " + bmp + " --set GPUDriver:DirectX11=" +
                        gpu + " --set VISUAL:Box=0 --set VISUAL:AtomRadius=1",
                    nullptr),
                0)
          << f << " " << gpu;
      const std::vector<unsigned char> b = qvtest::ReadFile(bmp);
      ASSERT_EQ(b.size(), 54u + 32 * 32 * 3) << f;
      int lit = 0;
      for (size_t i = 54; i < b.size(); ++i) lit += b[i] > 40;
      EXPECT_GT(lit, 10) << f << " with DirectX11=" << gpu;
    }
  }
}

}  // namespace
