#include "output/StlWriter.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>

#include "StlMeshCheck.h"
#include "TestSupport.h"

namespace {

using stltest::CheckMesh;
using stltest::ReadStl;

const double kCube10[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};

std::string Describe(const stltest::MeshReport& r) {
  std::ostringstream s;
  s << r.triangles << " triangles, " << r.badEdges << " bad edges, " << r.degenerate
    << " degenerate, " << r.badNormals << " bad normals, " << r.inwardComponents << "/"
    << r.components << " inward components";
  return s.str();
}

// ---------------------------------------------------------------------------------------
// Sphere writer

TEST(StlSphereWriter, FileLayoutHeaderAndCount) {
  qvtest::TempDir dir;
  const std::string path = dir.File("s.stl");
  const float pos[6] = {1, 2, 3, -4, 5, 6};
  STL_Writer w(0.3, 4);
  ASSERT_EQ(w.Write(path, pos, 2), 2);
  const auto bytes = qvtest::ReadFile(path);
  ASSERT_EQ(bytes.size(), 84u + 50u * 2 * 48);
  const std::string text = "STL object file created by Quivane";
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 34), text);
  for (int i = 34; i < 80; ++i) EXPECT_EQ(bytes[i], 0) << "header byte " << i;
  uint32_t count = 0;
  std::memcpy(&count, bytes.data() + 80, 4);
  EXPECT_EQ(count, 96u);
  for (uint32_t t = 0; t < count; ++t) {
    EXPECT_EQ(bytes[84 + 50 * t + 48], 0);
    EXPECT_EQ(bytes[84 + 50 * t + 49], 0);
  }
}

TEST(StlSphereWriter, TriangleAndVertexCountsPerPolygonLevel) {
  qvtest::TempDir dir;
  const float pos[3] = {0, 0, 0};
  struct Case {
    int poly;
    size_t triangles;
    size_t vertices;
  };
  // Levels below 2 cannot close a sphere and are taken as 2.
  for (const Case c : {Case{2, 8, 6}, Case{4, 48, 26}, Case{3, 24, 14}, Case{1, 8, 6},
                       Case{0, 8, 6}, Case{-7, 8, 6}}) {
    const std::string path = dir.File("p.stl");
    STL_Writer w(0.5, c.poly);
    ASSERT_EQ(w.Write(path, pos, 1), 1) << c.poly;
    const auto f = ReadStl(path);
    ASSERT_TRUE(f.ok) << c.poly;
    const auto r = CheckMesh(f.triangles, false);
    EXPECT_EQ(r.triangles, c.triangles) << c.poly;
    EXPECT_EQ(r.vertices, c.vertices) << c.poly;
    EXPECT_TRUE(r.Closed()) << c.poly << ": " << Describe(r);
  }
}

TEST(StlSphereWriter, NormalsAreSummedVertexNormalsAndVerticesOffsetByAtom) {
  qvtest::TempDir dir;
  const std::string path = dir.File("n.stl");
  const float pos[3] = {10, 20, 30};
  STL_Writer w(2.0, 2);
  ASSERT_EQ(w.Write(path, pos, 1), 1);
  const auto f = ReadStl(path);
  ASSERT_TRUE(f.ok);
  // First triangle: north pole, then the ring vertices at phi = 0 and 90 degrees.
  const auto& t = f.triangles[0];
  EXPECT_NEAR(t.normal[0], 1, 1e-6);
  EXPECT_NEAR(t.normal[1], 1, 1e-6);
  EXPECT_NEAR(t.normal[2], 1, 1e-6);
  EXPECT_FLOAT_EQ(t.v[0][2], 32);
  EXPECT_NEAR(t.v[1][0], 12, 1e-5);
  EXPECT_NEAR(t.v[2][1], 22, 1e-5);
  // Two atoms closer than two radii stay two interpenetrating spheres.
  const float two[6] = {0, 0, 0, 1, 0, 0};
  ASSERT_EQ(w.Write(path, two, 2), 2);
  const auto r = CheckMesh(ReadStl(path).triangles, false);
  EXPECT_EQ(r.components, 2u);
  EXPECT_EQ(r.triangles, 16u);
}

TEST(StlSphereWriter, RefusesWhatItCannotWriteWithoutCreatingAFile) {
  qvtest::TempDir dir;
  const std::string path = dir.File("x.stl");
  const float pos[3] = {0, 0, 0};
  EXPECT_EQ(STL_Writer(0.3, qv::kStlMaxAtomPoly + 1).Write(path, pos, 1), qv::kStlBadParameter);
  EXPECT_EQ(STL_Writer(0.3, 4).Write(path, pos, -1), qv::kStlBadParameter);
  // 48 triangles per atom for this many atoms do not fit the 32-bit count.
  EXPECT_EQ(STL_Writer(0.3, 4).Write(path, pos, std::numeric_limits<int>::max()), qv::kStlTooLarge);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(STL_Writer(0.3, 4).Write(dir.File("missing/x.stl"), pos, 1), qv::kStlOpenFailed);
  // No atoms: a valid empty file.
  ASSERT_EQ(STL_Writer(0.3, 4).Write(path, nullptr, 0), 0);
  EXPECT_EQ(qvtest::ReadFile(path).size(), 84u);
}

// ---------------------------------------------------------------------------------------
// Grid writer

struct GridRun {
  int result = 0;
  stltest::StlFileData file;
  stltest::MeshReport report;
};

GridRun RunGrid(const std::string& path, const std::vector<float>& pos, const double box[9],
                StlGridOptions o) {
  GridRun run;
  STL_Grid_Writer w(o);
  run.result = w.Write(path, pos.data(), static_cast<int>(pos.size() / 3), box);
  if (run.result >= 0) {
    run.file = ReadStl(path);
    run.report = CheckMesh(run.file.triangles);
    EXPECT_EQ(run.file.count, w.TriangleCount());
  }
  return run;
}

TEST(StlGridWriter, RandomConfigurationsGiveClosedOutwardSurfaces) {
  qvtest::TempDir dir;
  const std::string path = dir.File("g.stl");
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int nonEmpty = 0;
  for (int iter = 0; iter < 240; ++iter) {
    double box[9] = {4 + 6 * unit(rng), 0, 0, 0, 4 + 6 * unit(rng), 0, 0, 0, 4 + 6 * unit(rng)};
    StlGridOptions o;
    o.gridWidth = 0.6 + 0.6 * unit(rng);
    if (iter % 5 == 0) box[4 * (iter / 5 % 3)] = o.gridWidth * (1 + 2 * unit(rng));  // 1 or 2 cells
    o.atomRadius = 0.15 + 2.0 * unit(rng) * unit(rng);  // many spheres below one spacing
    o.cutoffEdgeZ = iter % 3;
    o.scale = iter % 2 ? 1.0 : 2.5;
    const int atoms = 1 + static_cast<int>(25 * unit(rng));
    std::vector<float> pos;
    for (int a = 0; a < atoms; ++a) {
      for (int c = 0; c < 3; ++c) {
        const double l = box[4 * c];
        double v = l * unit(rng);
        const double pick = unit(rng);
        if (pick < 0.2) v = 0.3 * unit(rng) - 0.15;           // near the low face
        else if (pick < 0.35) v = l + 0.3 * unit(rng) - 0.15;  // near the high face
        else if (pick < 0.4) v += (unit(rng) < 0.5 ? -3 : 2) * l;  // a periodic image
        pos.push_back(static_cast<float>(v));
      }
    }
    const auto run = RunGrid(path, pos, box, o);
    ASSERT_EQ(run.result, atoms) << iter;
    ASSERT_TRUE(run.file.ok) << iter;
    EXPECT_TRUE(run.report.Closed()) << "configuration " << iter << ": " << Describe(run.report);
    if (run.report.triangles > 0) ++nonEmpty;
  }
  EXPECT_GT(nonEmpty, 200);
}

TEST(StlGridWriter, GridPointsOnExactCrossingsAndDenseAmbiguousPatternsStayClosed) {
  // Radii and positions on the grid make chords end exactly on grid points; a checkerboard
  // of tiny spheres makes every face ambiguous.
  qvtest::TempDir dir;
  const std::string path = dir.File("a.stl");
  std::vector<float> checker;
  for (int k = 0; k < 6; ++k)
    for (int j = 0; j < 6; ++j)
      for (int i = 0; i < 6; ++i)
        if ((i + j + k) % 2 == 0) checker.insert(checker.end(), {float(i), float(j), float(k)});
  const double box6[9] = {6, 0, 0, 0, 6, 0, 0, 0, 6};
  for (double radius : {0.1, 0.5, 1.0, 1.2, 1.5}) {
    for (int cut : {0, 1, 2}) {
      StlGridOptions o;
      o.atomRadius = radius;
      o.cutoffEdgeZ = cut;
      const auto run = RunGrid(path, checker, box6, o);
      ASSERT_EQ(run.result, static_cast<int>(checker.size() / 3));
      EXPECT_TRUE(run.report.Closed()) << radius << " cut " << cut << ": " << Describe(run.report);
      EXPECT_GT(run.report.triangles, 0u);
    }
  }
  // Random occupancy patterns from tiny spheres on random grid points.
  std::mt19937 rng(7);
  for (int iter = 0; iter < 60; ++iter) {
    std::vector<float> pos;
    for (int k = 0; k < 6; ++k)
      for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 6; ++i)
          if (rng() % 2) pos.insert(pos.end(), {float(i), float(j), float(k)});
    StlGridOptions o;
    o.atomRadius = iter % 2 ? 0.05 : 1.0;
    o.cutoffEdgeZ = iter % 3;
    const auto run = RunGrid(path, pos, box6, o);
    EXPECT_TRUE(run.report.Closed()) << iter << ": " << Describe(run.report);
  }
}

TEST(StlGridWriter, TinyIsolatedSphereStillLeavesAClosedMark) {
  qvtest::TempDir dir;
  const std::string path = dir.File("t.stl");
  StlGridOptions o;
  o.atomRadius = 0.1;  // far below the spacing: the chords fall between two grid points
  const auto run = RunGrid(path, {4.5f, 4.05f, 3.95f, 7.3f, 2.0f, 9.05f}, kCube10, o);
  ASSERT_EQ(run.result, 2);
  EXPECT_TRUE(run.report.Closed()) << Describe(run.report);
  EXPECT_EQ(run.report.components, 2u);
  EXPECT_GT(run.report.volume, 0);
  // A sphere that meets no grid line at all has nothing to mark.
  EXPECT_EQ(RunGrid(path, {4.5f, 4.5f, 4.5f}, kCube10, o).report.triangles, 0u);
}

TEST(StlGridWriter, CloseAtomsMergeFarAtomsStaySeparate) {
  qvtest::TempDir dir;
  const std::string path = dir.File("m.stl");
  StlGridOptions o;
  o.atomRadius = 1.5;
  o.gridWidth = 0.5;
  const auto merged = RunGrid(path, {4, 5, 5, 6, 5, 5}, kCube10, o);
  EXPECT_TRUE(merged.report.Closed()) << Describe(merged.report);
  EXPECT_EQ(merged.report.components, 1u);
  const auto apart = RunGrid(path, {2.5f, 5, 5, 7.5f, 5, 5}, kCube10, o);
  EXPECT_TRUE(apart.report.Closed()) << Describe(apart.report);
  EXPECT_EQ(apart.report.components, 2u);
}

TEST(StlGridWriter, AtomCrossingTheLowXFaceMarksPointsNearTheHighFace) {
  qvtest::TempDir dir;
  const std::string path = dir.File("x.stl");
  StlGridOptions o;
  o.atomRadius = 1.0;
  const auto run = RunGrid(path, {0.2f, 5, 5}, kCube10, o);
  ASSERT_TRUE(run.report.Closed()) << Describe(run.report);
  // The sphere is cut by the block's faces x = 0 and x = a.x: one cap on each plane.
  bool capAtLow = false, capAtHigh = false;
  for (const auto& t : run.file.triangles) {
    capAtLow |= t.v[0][0] == 0 && t.v[1][0] == 0 && t.v[2][0] == 0;
    capAtHigh |= t.v[0][0] == 10 && t.v[1][0] == 10 && t.v[2][0] == 10;
  }
  EXPECT_TRUE(capAtLow);
  EXPECT_TRUE(capAtHigh);
  EXPECT_EQ(run.report.min[0], 0);
  EXPECT_EQ(run.report.max[0], 10);
  EXPECT_EQ(run.report.components, 2u);
  // Positions given as periodic images give the same surface.
  const auto image = RunGrid(path, {20.2f, -5, 15}, kCube10, o);
  EXPECT_EQ(image.report.triangles, run.report.triangles);
}

TEST(StlGridWriter, CutoffLayersShiftAndCloseTheBlock) {
  qvtest::TempDir dir;
  const std::string path = dir.File("c.stl");
  StlGridOptions o;
  o.atomRadius = 100;  // fills the box
  o.scale = 2.0;
  const double box[9] = {5, 0, 0, 0, 4, 0, 0, 0, 8};
  for (int cut : {0, 1, 2}) {
    o.cutoffEdgeZ = cut;
    const auto run = RunGrid(path, {1, 1, 1}, box, o);
    ASSERT_TRUE(run.report.Closed()) << cut << ": " << Describe(run.report);
    EXPECT_EQ(run.report.min[2], 0) << cut;
    EXPECT_FLOAT_EQ(run.report.max[2], (8 - 2 * cut) * 2.0f) << cut;
    EXPECT_FLOAT_EQ(run.report.max[0], 10);
    EXPECT_FLOAT_EQ(run.report.max[1], 8);
    EXPECT_NEAR(run.report.volume, 10 * 8 * (8 - 2 * cut) * 2.0, 1e-3) << cut;
  }
  // A sphere in the middle: the cut removes its poles and closes the cut with caps.
  o.atomRadius = 3.0;
  o.cutoffEdgeZ = 2;
  const auto run = RunGrid(path, {2.5f, 2, 4}, box, o);
  ASSERT_TRUE(run.report.Closed()) << Describe(run.report);
  EXPECT_EQ(run.report.min[2], 0);
  EXPECT_FLOAT_EQ(run.report.max[2], 8);
  // Cutting every layer leaves nothing.
  for (int all : {4, 5, std::numeric_limits<int>::max()}) {
    o.cutoffEdgeZ = all;
    const auto none = RunGrid(path, {2.5f, 2, 4}, box, o);
    EXPECT_EQ(none.result, 1);
    EXPECT_EQ(none.file.bytes, 84u) << all;
  }
  // A negative cut-off is taken as none.
  o.cutoffEdgeZ = 0;
  const auto none = RunGrid(path, {2.5f, 2, 4}, box, o);
  o.cutoffEdgeZ = -3;
  const auto neg = RunGrid(path, {2.5f, 2, 4}, box, o);
  EXPECT_TRUE(neg.report.Closed());
  EXPECT_EQ(neg.file.triangles.size(), none.file.triangles.size());
  EXPECT_EQ(neg.report.max[2], none.report.max[2]);
}

TEST(StlGridWriter, DegenerateBoxesAndPositionsGiveEmptyOrPartialSurfaces) {
  qvtest::TempDir dir;
  const std::string path = dir.File("d.stl");
  StlGridOptions o;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& box : std::vector<std::array<double, 9>>{
           {0, 0, 0, 0, 0, 0, 0, 0, 0},
           {-10, 0, 0, 0, 10, 0, 0, 0, 10},
           {10, 0, 0, 0, nan, 0, 0, 0, 10},
           {0.5, 0, 0, 0, 10, 0, 0, 0, 10}}) {  // narrower than one spacing
    const auto run = RunGrid(path, {1, 1, 1}, box.data(), o);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.file.bytes, 84u);
  }
  const float fnan = std::numeric_limits<float>::quiet_NaN();
  const float finf = std::numeric_limits<float>::infinity();
  o.atomRadius = 1.0;
  const auto run = RunGrid(path, {fnan, 1, 1, 5, 5, 5, finf, 2, 2, 1e30f, -1e30f, 3}, kCube10, o);
  EXPECT_EQ(run.result, 4);
  EXPECT_TRUE(run.report.Closed()) << Describe(run.report);
  EXPECT_GE(run.report.components, 1u);
}

TEST(StlGridWriter, RefusesBadSettingsAndOversizedGridsWithoutAFile) {
  qvtest::TempDir dir;
  const std::string path = dir.File("r.stl");
  const float pos[3] = {1, 1, 1};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double width : {0.0, -1.0, nan}) {
    StlGridOptions o;
    o.gridWidth = width;
    EXPECT_EQ(STL_Grid_Writer(o).Write(path, pos, 1, kCube10), qv::kStlBadParameter) << width;
  }
  for (double scale : {0.0, -2.0, nan}) {
    StlGridOptions o;
    o.scale = scale;
    EXPECT_EQ(STL_Grid_Writer(o).Write(path, pos, 1, kCube10), qv::kStlBadParameter) << scale;
  }
  for (double radius : {0.0, -1.0, nan, std::numeric_limits<double>::infinity()}) {
    StlGridOptions o;
    o.atomRadius = radius;
    EXPECT_EQ(STL_Grid_Writer(o).Write(path, pos, 1, kCube10), qv::kStlBadParameter) << radius;
    EXPECT_EQ(STL_Writer(radius, 4).Write(path, pos, 1), qv::kStlBadParameter) << radius;
  }
  StlGridOptions o;
  o.gridWidth = 1e-6;  // 10^21 points
  EXPECT_EQ(STL_Grid_Writer(o).Write(path, pos, 1, kCube10), qv::kStlTooLarge);
  o.gridWidth = 1.0;  // every axis within its bound, the product not
  const double wide[9] = {4000, 0, 0, 0, 4000, 0, 0, 0, 4};
  EXPECT_EQ(STL_Grid_Writer(o).Write(path, pos, 1, wide), qv::kStlTooLarge);
  const double huge[9] = {1e300, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(STL_Grid_Writer(o).Write(path, pos, 1, huge), qv::kStlTooLarge);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(STL_Grid_Writer(o).Write(dir.File("no/dir.stl"), pos, 1, kCube10), qv::kStlOpenFailed);
}

// Runs fn in a child whose files may not grow beyond 2000 bytes; returns fn's result.
int WithSmallFileLimit(int (*fn)(const std::string&), const std::string& path) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2000, 2000};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(-fn(path));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? -WEXITSTATUS(status) : 1;
}

TEST(StlWriters, FailedWritesAreReportedAndLeaveNoPartialFile) {
  qvtest::TempDir dir;
  const std::string path = dir.File("full.stl");
  EXPECT_EQ(WithSmallFileLimit(
                [](const std::string& p) {
                  const float pos[3] = {1, 2, 3};
                  return STL_Writer(0.3, 8).Write(p, pos, 1);  // 224 triangles
                },
                path),
            qv::kStlWriteFailed);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(WithSmallFileLimit(
                [](const std::string& p) {
                  const float pos[3] = {5, 5, 5};
                  StlGridOptions o;
                  o.atomRadius = 2.5;
                  return STL_Grid_Writer(o).Write(p, pos, 1, kCube10);
                },
                path),
            qv::kStlWriteFailed);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(StlGridWriter, OutsideMeshCheckerFindsNothingToRepair) {
  qvtest::TempDir dir;
  const std::string path = dir.File("admesh.stl");
  StlGridOptions o;
  o.atomRadius = 1.3;
  o.gridWidth = 0.7;
  o.cutoffEdgeZ = 1;
  std::vector<float> pos;
  std::mt19937 rng(99);
  std::uniform_real_distribution<float> u(-0.5f, 10.5f);
  for (int a = 0; a < 30; ++a) pos.insert(pos.end(), {u(rng), u(rng), u(rng)});
  const auto run = RunGrid(path, pos, kCube10, o);
  ASSERT_TRUE(run.report.Closed()) << Describe(run.report);
  std::string out;
  ASSERT_EQ(qvtest::RunCommand("admesh --exact '" + path + "'", &out), 0) << out;
  auto value = [&out](const std::string& label) {
    const size_t p = out.find(label);
    if (p == std::string::npos) return -1L;
    size_t q = out.find(':', p);
    return std::strtol(out.c_str() + q + 1, nullptr, 10);
  };
  EXPECT_EQ(value("Number of facets"), static_cast<long>(run.report.triangles)) << out;
  EXPECT_EQ(value("Degenerate facets"), 0) << out;
  EXPECT_EQ(value("Edges fixed"), 0) << out;
  EXPECT_EQ(value("Facets removed"), 0) << out;
  EXPECT_EQ(value("Facets added"), 0) << out;
  EXPECT_EQ(value("Facets reversed"), 0) << out;
  EXPECT_EQ(value("Backwards edges"), 0) << out;
  EXPECT_EQ(value("Normals fixed"), 0) << out;
  EXPECT_EQ(value("Total disconnected facets"), 0) << out;
  const size_t v = out.find("Volume");
  ASSERT_NE(v, std::string::npos) << out;
  EXPECT_NEAR(std::strtod(out.c_str() + out.find(':', v) + 1, nullptr), run.report.volume,
              1e-3 * run.report.volume)
      << out;
}

}  // namespace
