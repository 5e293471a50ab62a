// Transcript tests of the analysis commands of qvtool.
#include <filesystem>

#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "TestSupport.h"

namespace {

// Runs "qvtool COMMAND FILE" with an empty settings file (independent of any setting.ini
// around) and a cut-off of 1.2, so the two hydrogens of a water (1.36 apart) are not bonded;
// options in `extra` come later and win.
int Qvtool(const std::string& command, const std::string& file, const std::string& extra, std::string* out) {
  return qvtest::RunCommand(std::string(QV_QVTOOL_PATH) + " " + command + " " + file +
                                " --settings /dev/null --cutoff 1.2 " + extra + " 2>/dev/null",
                            out);
}

}  // namespace

TEST(QvToolBonds, PrintsCountsAsTextAndJson) {
  qvtest::TempDir dir;
  const std::string f = fa2test::WriteWaters(dir.File("w.fa2"), 2);
  std::string out;
  ASSERT_EQ(Qvtool("bonds", f, "--json", &out), 0);
  EXPECT_NE(out.find("{\"bonds\":6,\"counts\":[2,1,1,2,1,1,2,1,1]}\n"), std::string::npos) << out;
  out.clear();
  ASSERT_EQ(Qvtool("bonds", f, "--frame 1 --cutoff 1.5", &out), 0);
  EXPECT_NE(out.find("bonds 9\n0 2\n1 2\n2 2\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n9 0\n"), std::string::npos) << out;
}

TEST(QvToolBonds, ListsTheHalfListWithVectors) {
  qvtest::TempDir dir;
  qvtest::Bytes b;
  fa2test::AppendFrame(b, 0, {10, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0}, {{1, 0.5f, 5, 5}, {1, 9.5f, 5, 5}});
  qvtest::WriteFile(dir.File("p.fa2"), b.data);
  std::string out;
  ASSERT_EQ(Qvtool("bonds", dir.File("p.fa2"), "--list", &out), 0);
  EXPECT_NE(out.find("bonds 1\n0 1\n1 1\n0 1 -1 0 0\n"), std::string::npos) << out;
  out.clear();
  ASSERT_EQ(Qvtool("bonds", dir.File("p.fa2"), "--list --json", &out), 0);
  EXPECT_NE(out.find("{\"bonds\":1,\"counts\":[1,1],\"entries\":[[0,1,-1,0,0]]}"), std::string::npos) << out;
  out.clear();
  ASSERT_EQ(Qvtool("bonds", dir.File("p.fa2"), "--list --set BASIC:Periodic=0", &out), 0);
  EXPECT_NE(out.find("bonds 0\n0 0\n1 0\n"), std::string::npos) << out;
}

TEST(QvToolReports, WriteTheMenuCommandsFiles) {
  qvtest::TempDir dir;
  const std::string f = fa2test::WriteWaters(dir.File("w.fa2"), 5);
  ASSERT_EQ(Qvtool("molecules", f, "--frame 1", nullptr), 0);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_mol.txt")), "3\tH2O1\n1\tH1\n");
  EXPECT_TRUE(std::filesystem::exists(dir.File("w_coord_1.txt")));
  ASSERT_EQ(Qvtool("coord", f, "--frame 3", nullptr), 0);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_coord_3.txt")).substr(0, 32), "#index, Z, coordination\n0\tO\t2\n1\t");
  ASSERT_EQ(Qvtool("coord-series", f, "--frame 2 --skip 2", nullptr), 0);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_coord.txt")),
            "#frame, num_atoms, coord0, 1, 2, 3, 4, 5, 6, more\n"
            "0\t11\t2\t6\t3\t0\t0\t0\t0\t0\n"
            "1\t13\t4\t6\t3\t0\t0\t0\t0\t0\n");
  // A skip past the end gives the selected frame's line only, never frame 0 after it.
  ASSERT_EQ(Qvtool("coord-series", f, "--frame 1 --skip 2147483647", nullptr), 0);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_coord.txt")),
            "#frame, num_atoms, coord0, 1, 2, 3, 4, 5, 6, more\n"
            "0\t10\t1\t6\t3\t0\t0\t0\t0\t0\n");
}

TEST(QvToolReports, UsageAndLoadErrors) {
  qvtest::TempDir dir;
  const std::string f = fa2test::WriteWaters(dir.File("w.fa2"), 1);
  EXPECT_EQ(Qvtool("coord-series", f, "--skip 0", nullptr), 2);
  EXPECT_EQ(Qvtool("coord-series", f, "--skip x", nullptr), 2);
  EXPECT_EQ(Qvtool("molecules", dir.File("none.fa2"), "", nullptr), 1);
  EXPECT_EQ(Qvtool("bonds", f, "--frame 7", nullptr), 1);
  // A cut-off that is not a number is refused, not read as 0 (no bonds).
  EXPECT_EQ(Qvtool("bonds", f, "--cutoff abc", nullptr), 2);
  EXPECT_EQ(Qvtool("bonds", f, "--cutoff 1.5x", nullptr), 2);
  EXPECT_EQ(Qvtool("bonds", f, "--cutoff=nan", nullptr), 2);
}

// Standard output is the product even when a shared writer fails: its console line ("error;
// open file", the bitmap-open failure) is a diagnostic and goes to standard error.
TEST(QvToolDiagnostics, WriterFailuresStayOffStandardOutput) {
  struct Case {
    std::string command, blocked, line;
  };
  for (const Case& c : {Case{"molecules", "w_mol.txt", "error; open file\n"},
                        Case{"coord", "w_coord_0.txt", "error; open file\n"},
                        Case{"render", "w0000.bmp", "bmpファイルの作成に失敗しました\n"}}) {
    qvtest::TempDir dir;
    const std::string f = fa2test::WriteWaters(dir.File("w.fa2"), 1);
    std::filesystem::create_directory(dir.File(c.blocked));  // a folder in the file's way
    const std::string run = std::string(QV_QVTOOL_PATH) + " " + c.command + " " + f + " --settings /dev/null";
    std::string out, err;
    EXPECT_EQ(qvtest::RunCommand(run + " 2>/dev/null", &out), 1) << c.command;
    EXPECT_EQ(out, "") << c.command;
    qvtest::RunCommand(run + " 2>&1 >/dev/null", &err);
    EXPECT_NE(err.find(c.line), std::string::npos) << c.command << ": " << err;
  }
}
