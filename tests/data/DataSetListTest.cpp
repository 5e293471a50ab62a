#include <gtest/gtest.h>

#include <filesystem>

#include "Fa2Frames.h"
#include "data/DataSetList.h"
#include "data/MDLoader.h"

using namespace qvtest;

namespace {

// Three frames of two atoms; atom 1 of frame k sits at (k, 10 + k, 20 + k).
std::vector<unsigned char> ThreeFrames(float edge = 10) {
  Bytes b;
  for (int k = 0; k < 3; ++k) {
    Fa2Frame(b, k, {8, 1}, {0, 0, 0, float(k), 10.0f + k, 20.0f + k}, edge);
  }
  return b.data;
}

}  // namespace

TEST(DataSetList, ExtensionsAreCaseSensitive) {
  TempDir dir;
  WriteFile(dir.File("A.FA2"), ThreeFrames());
  WriteFile(dir.File("a.fa2"), ThreeFrames());
  DataSetList list;
  EXPECT_EQ(list.OpenDataFile(dir.File("A.FA2"), {}), 1);
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(list.OpenDataFile(dir.File("a.fa2"), {}), 1);
  ASSERT_EQ(list.Size(), 1u);
  const LawData& e = list[0];
  EXPECT_EQ(e.type, kTypeMD);
  EXPECT_EQ(e.path, dir.File("a.fa2"));
  EXPECT_EQ(e.Name(), "a.fa2");
  EXPECT_EQ(e.Extension(), "fa2");
  EXPECT_EQ(e.traceCount, 0);
  EXPECT_TRUE(e.trace.empty());
  auto* loader = dynamic_cast<MDLoader*>(e.container.get());
  ASSERT_NE(loader, nullptr);
  EXPECT_TRUE(loader->Slot(0).pinned);
  ASSERT_NE(e.CurrentAtoms(), nullptr);
  EXPECT_EQ(e.CurrentAtoms()->atomCount, 2);
}

TEST(DataSetList, NothingLoadedAddsNoEntryAndNoMessage) {
  TempDir dir;
  for (const char* name : {"noext", "x.cube", "x.spk", "x.txt", "x.", "x.fa2x"}) {
    WriteFile(dir.File(name), ThreeFrames());
  }
  std::filesystem::create_directory(dir.File("d.fa2"));
  WriteFile(dir.File("d.fa2") + "/plain", ThreeFrames());
  WriteFile(dir.File("empty.fa2"), {});
  DataSetList list;
  testing::internal::CaptureStdout();
  for (const char* name : {"noext", "x.cube", "x.spk", "x.txt", "x.", "x.fa2x", "d.fa2/plain",
                           "empty.fa2"}) {
    list.OpenDataFile(dir.File(name), {});
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(list.Size(), 0u);
  for (const char* name : {"missing.fad", "d.fa2"}) {
    testing::internal::CaptureStdout();
    list.OpenDataFile(dir.File(name), {});
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "error: file cannot be opened\nファイルのオープンに失敗しました : " + dir.File(name) +
                  "\n");
    EXPECT_EQ(list.Size(), 0u);
  }
}

TEST(DataSetList, PathHelpers) {
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(qv::LongPath("sub/../x/./a.fa2"), cwd + "/x/a.fa2");
  EXPECT_EQ(qv::LongPath("/p//q/../r.fad"), "/p/r.fad");
  const LawData e = qv::MakeEntry(kTypeMD, "/d.v2/run.1.fa2", nullptr);
  EXPECT_EQ(e.nameOffset, 6u);
  EXPECT_EQ(e.Name(), "run.1.fa2");
  EXPECT_EQ(e.Extension(), "fa2");
  const LawData bare = qv::MakeEntry(kTypeMD, "file", nullptr);
  EXPECT_EQ(bare.nameOffset, 0u);
  EXPECT_EQ(bare.Extension(), "");
  EXPECT_EQ(qv::BaseName("/d.v2/run.1.fa2"), "/d.v2/run.1");
  EXPECT_EQ(qv::BaseName("/d/noext"), "/d/noext");
}

TEST(DataSetList, ViewBounds) {
  DataSetList list;
  double size = -7, centre[3] = {-7, -7, -7};
  EXPECT_FALSE(list.GetViewBounds(size, centre));
  EXPECT_EQ(size, -7);
  EXPECT_EQ(centre[0], -7);

  TempDir dir;
  Bytes b;
  FadOneAtom(b, 0x02, 0);
  FadRecord<float>(b, {10, 20, 30});
  WriteFile(dir.File("b.fad"), b.data);
  list.OpenDataFile(dir.File("b.fad"), {});
  ASSERT_EQ(list.Size(), 1u);
  ASSERT_TRUE(list.GetViewBounds(size, centre));
  EXPECT_EQ(size, 60);
  EXPECT_EQ(centre[0], 0);
  EXPECT_EQ(centre[1], 0);
  EXPECT_EQ(centre[2], 0);

  DataSetList other;
  other.Append(qv::MakeEntry(9, "/x.zzz", nullptr));  // a type code outside 1..7
  ASSERT_TRUE(other.GetViewBounds(size, centre));
  EXPECT_EQ(size, 20);
  EXPECT_EQ(centre[1], 5);
}

// pdb frames carry no box: the view is fitted to the atoms rather than to a zero box, which
// would put the eye on the target.
TEST(DataSetList, ViewBoundsOfABoxlessFrameFrameTheAtoms) {
  TempDir dir;
  WriteText(dir.File("m.pdb"),
            "MODEL 1\n"
            "ATOM 1 O HOH 1.0 2.0 3.0\n"
            "ATOM 2 H HOH 5.0 2.0 4.0\n"
            "ENDMDL\n");
  DataSetList list;
  list.OpenDataFile(dir.File("m.pdb"), {});
  ASSERT_EQ(list.Size(), 1u);
  double size = 0, centre[3] = {0, 0, 0};
  ASSERT_TRUE(list.GetViewBounds(size, centre));
  EXPECT_DOUBLE_EQ(size, 8);  // twice the widest extent (x: 1..5)
  EXPECT_DOUBLE_EQ(centre[0], 3);
  EXPECT_DOUBLE_EQ(centre[1], 2);
  EXPECT_DOUBLE_EQ(centre[2], 3.5);
}

TEST(DataSetList, SetFrameAllRecordsTheTraceOncePerFrame) {
  TempDir dir;
  WriteFile(dir.File("a.fa2"), ThreeFrames());
  Bytes longer;
  for (int k = 0; k < 5; ++k) Fa2Frame(longer, k, {1}, {0, 0, 0}, 10);
  WriteFile(dir.File("b.fa2"), longer.data);
  DataSetList list;
  list.OpenDataFile(dir.File("a.fa2"), {});
  list.OpenDataFile(dir.File("b.fa2"), {});
  ASSERT_EQ(list.Size(), 2u);
  LawData& a = list[0];

  std::vector<std::pair<std::string, int>> calls;
  auto record = [&](LawData& e, ATOMS_DATA& f) { calls.emplace_back(std::string(e.Name()), f.index); };

  EXPECT_EQ(list.SetFrameAll(4, 1, record), 4);  // the largest index reached
  EXPECT_EQ(a.MD()->GetFrameIndex(), 2);
  ASSERT_EQ(a.trace.count(2), 1u);
  EXPECT_EQ(a.trace[2], (std::array<float, 3>{2, 12, 22}));
  EXPECT_EQ(a.traceCount, 1);
  // Atom 1 is beyond the one-atom frames of b: counted, not traced.
  EXPECT_TRUE(list[1].trace.empty());
  EXPECT_EQ(list[1].traceCount, 1);
  EXPECT_EQ(calls, (std::vector<std::pair<std::string, int>>{{"a.fa2", 2}, {"b.fa2", 4}}));

  // No change, no record.
  EXPECT_EQ(list.SetFrameAll(4, 1, record), 4);
  EXPECT_EQ(a.traceCount, 1);
  EXPECT_EQ(calls.size(), 2u);

  // A frame already in the table keeps its first position; the count still rises.
  a.trace[0] = {99, 99, 99};
  EXPECT_EQ(list.SetFrameAll(-3, 1, record), 0);
  EXPECT_EQ(a.trace[0], (std::array<float, 3>{99, 99, 99}));
  EXPECT_EQ(a.traceCount, 2);

  // No traced atom: the count rises, the table does not grow.
  EXPECT_EQ(list.SetFrameAll(1, -1), 1);
  EXPECT_EQ(a.traceCount, 3);
  EXPECT_EQ(a.trace.count(1), 0u);
  EXPECT_EQ(a.trace.size(), 2u);
}
