// Transcript tests of qvtool on polygon models (the seed files of the fuzz corpus).
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace qvtest;

namespace {

std::string Tool(const std::string& args) { return std::string(QV_QVTOOL_PATH) + " " + args; }
std::string Seed(const char* name) { return std::string(QV_SOURCE_DIR) + "/tests/fuzz/corpus/" + name; }

}  // namespace

TEST(QvToolPolygon, InfoJsonAfterTheAxisSwap) {
  TempDir dir;
  // The character model's quad lies in its z = 0 plane, (0, 2, 0) is its top corner; the
  // dispatch exchanges y and z.
  const std::string path = dir.File("quad.pmd");
  WriteFile(path, ReadFile(Seed("pmd/quad")));
  std::string out;
  ASSERT_EQ(RunCommand(Tool("info " + path + " --json --frame 1"), &out), 0);
  EXPECT_EQ(out,
            "{\"type\":5,\"frames\":3,\"vertices\":4,\"triangles\":2,\"materials\":2,"
            "\"bbox_min\":[0,0,0],\"bbox_max\":[1,0,2],\"box\":[2,0,0,0,0,0,0,0,4],"
            "\"origin\":[-1,0,-2],\"frame\":{\"index\":1,\"materials_drawn\":1}}\n");
  std::string dump;
  ASSERT_EQ(RunCommand(Tool("dump " + path), &dump), 0);
  EXPECT_EQ(dump.substr(0, dump.find('\n', dump.find('\n') + 1) + 1),
            "0 0 0 0 0 -1 0 0 0\n1 1 0 0 0 -1 0 0 0\n");
}

TEST(QvToolPolygon, RefusedModelsLoadNothing) {
  TempDir dir;
  const std::string path = dir.File("cut.pmx");
  std::vector<unsigned char> bytes = ReadFile(Seed("pmx/quad"));
  bytes.resize(bytes.size() / 2);
  WriteFile(path, bytes);
  std::string out;
  EXPECT_EQ(RunCommand(Tool("info " + path + " --json") + " 2>&1", &out), 1);
  EXPECT_NE(out.find("error"), std::string::npos) << out;
}
