#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"

namespace {

// Two frames of a water molecule and a carbon atom, in the default 10 x 10 x 10 box.
const char* kXyz =
    "4\nframe one\nO 5 5 5\nH 5.9 5 5.3\nH 4.2 5.1 5.4\nC 1 2 3\n"
    "4\nframe two\nO 5 5.5 5\nH 5.9 5.5 5.3\nH 4.2 5.6 5.4\nC 1 2 3\n";

std::string Quoted(const std::string& path) {
  std::string q(1, '\'');
  q += path;
  q += '\'';
  return q;
}

struct ToolRun {
  int status;
  std::string out;
};

ToolRun Qvtool(const qvtest::TempDir& dir, const std::string& args) {
  ToolRun r;
  r.status = qvtest::RunCommand(
      std::string(QV_QVTOOL_PATH) + " eps " + args + " --settings /dev/null 2>&1", &r.out);
  return r;
}

std::string Ghostscript(const std::string& path, int* status) {
  std::string out;
  *status =
      qvtest::RunCommand("gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=bbox '" + path + "' 2>&1", &out);
  return out;
}

}  // namespace

TEST(QvtoolEps, WritesBesideTheFileWithTheFittedCamera) {
  qvtest::TempDir dir;
  const std::string data = dir.File("water.xyz");
  qvtest::WriteText(data, kXyz);
  const ToolRun r = Qvtool(dir, Quoted(data));
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string eps = dir.File("water0.eps");
  EXPECT_EQ(r.out, "2 frame loaded\n" + eps + "\n");  // the loader reports its frames
  const std::string text = qvtest::ReadText(eps);
  EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 EPSF-3.0\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n%%BoundingBox: 0 0 200 150\r\n"), std::string::npos);
  // Fitted to the 10-unit box from -y: its far face is 25 from the eye.
  EXPECT_NE(text.find("\r\ngsave\r\n   2.000 setlinewidth\r\n"), std::string::npos);
  int gs = -1;
  const std::string bbox = Ghostscript(eps, &gs);
  EXPECT_EQ(gs, 0) << bbox;
  EXPECT_EQ(bbox.find("Error"), std::string::npos) << bbox;
}

TEST(QvtoolEps, FrameSizeAndProjection) {
  qvtest::TempDir dir;
  const std::string data = dir.File("water.xyz");
  qvtest::WriteText(data, kXyz);
  const ToolRun r = Qvtool(dir, Quoted(data) + " --frame 1 --size 800x400 --ortho");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string text = qvtest::ReadText(dir.File("water1.eps"));
  EXPECT_NE(text.find("\r\n%%BoundingBox: 0 0 200 100\r\n"), std::string::npos);
  EXPECT_NE(text.find(" 100.000    0.000  360.000 arc\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("water0.eps")));
}

TEST(QvtoolEps, BadArguments) {
  qvtest::TempDir dir;
  const std::string data = dir.File("water.xyz");
  qvtest::WriteText(data, kXyz);
  for (const char* size :
       {"640", "0x480", "640x", "x480", "axb", "640x480x2", "200000x1", "-5x4"}) {
    const ToolRun r = Qvtool(dir, Quoted(data) + " --size " + size);
    EXPECT_EQ(r.status, 2) << size << ": " << r.out;
  }
  EXPECT_EQ(Qvtool(dir, Quoted(dir.File("missing.xyz"))).status, 1);
  EXPECT_EQ(Qvtool(dir, Quoted(data) + " --frame 7").status, 1);
  EXPECT_EQ(Qvtool(dir, "").status, 2);
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_NE(e.path().extension(), ".eps") << e.path();
  }
}
