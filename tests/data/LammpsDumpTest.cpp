// Engine dump files: the files under tests/files/lammps were written by the engine itself
// (in.dumps there). Pairs of dumps of the same run written with different columns are each
// other's oracle: scaled against absolute positions, shuffled against id order, the tilted
// cell's scaled positions against the engine's own absolute ones.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "data/DataTypeRegistry.h"
#include "data/MDLoader.h"

namespace {

struct Frame {
  int step = 0;
  std::vector<float> pos, vec;
  std::vector<int32_t> z;
  double box[9] = {}, origin[3] = {};
};

struct Loaded {
  int format = 0;
  std::vector<Frame> frames;
  std::string console;
};

Loaded Load(const std::string& path, std::vector<int32_t> typeElements = {}) {
  LoadOptions o;
  o.typeElements = std::move(typeElements);
  MDLoader m(o);
  Loaded out;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  out.format = m.Open(path, kTrajLammps);
  for (int k = 0; out.format != MDLoader::kFormatFailed; ++k) {
    if (m.SetFrame(k) != k) break;
    const ATOMS_DATA* f = m.GetCurrentFrame();
    if (!f) break;
    Frame c;
    c.step = f->step;
    c.pos.assign(f->positions.begin(), f->positions.end());
    c.vec.assign(f->vectors.begin(), f->vectors.end());
    c.z.assign(f->atomicNumbers.begin(), f->atomicNumbers.end());
    std::copy(f->box, f->box + 9, c.box);
    std::copy(f->origin, f->origin + 3, c.origin);
    out.frames.push_back(std::move(c));
  }
  out.console = testing::internal::GetCapturedStdout();
  out.console += testing::internal::GetCapturedStderr();
  return out;
}

std::string Dump(const std::string& name) { return qvtest::TestFile("lammps/" + name); }

constexpr double kCell = 3.3591923827650145;  // 2 fcc cells at reduced density 0.8442

void ExpectSamePositions(const Frame& a, const Frame& b, double tolerance) {
  ASSERT_EQ(a.pos.size(), b.pos.size());
  for (size_t i = 0; i < a.pos.size(); ++i) ASSERT_NEAR(a.pos[i], b.pos[i], tolerance) << "value " << i;
}

}  // namespace

TEST(LammpsDump, OrthogonalFramesKeepTimestepsVelocitiesAndIdOrder) {
  const Loaded plain = Load(Dump("ortho.lammpstrj"));
  ASSERT_EQ(plain.format, MDLoader::kFormatLammps);
  ASSERT_EQ(plain.frames.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    const Frame& f = plain.frames[k];
    EXPECT_EQ(f.step, 5 * k);
    EXPECT_EQ(f.pos.size(), 96u);
    EXPECT_EQ(f.vec.size(), 96u) << "vx vy vz become the per-atom vectors";
    EXPECT_DOUBLE_EQ(f.box[0], kCell);
    EXPECT_DOUBLE_EQ(f.box[4], kCell);
    EXPECT_DOUBLE_EQ(f.box[8], kCell);
    EXPECT_EQ(f.box[1] + f.box[2] + f.box[3] + f.box[5] + f.box[6] + f.box[7], 0.0);
    for (int32_t z : f.z) EXPECT_TRUE(z == 1 || z == 2) << "type numbers stand in for elements";
  }
  EXPECT_FLOAT_EQ(plain.frames[0].vec[0], -0.315854f);

  // The same run, written in processor order and with scaled positions.
  const Loaded shuffled = Load(Dump("shuffled.lammpstrj"));
  const Loaded scaled = Load(Dump("scaled.lammpstrj"));
  ASSERT_EQ(shuffled.frames.size(), 3u);
  ASSERT_EQ(scaled.frames.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    ExpectSamePositions(plain.frames[k], shuffled.frames[k], 0.0);
    EXPECT_EQ(plain.frames[k].z, shuffled.frames[k].z);
    EXPECT_EQ(plain.frames[k].vec, shuffled.frames[k].vec);
    ExpectSamePositions(plain.frames[k], scaled.frames[k], 2e-5);
  }

  // Types named through the settings key.
  const Loaded named = Load(Dump("ortho.lammpstrj"), {29, 8});
  for (size_t i = 0; i < named.frames[0].z.size(); ++i)
    EXPECT_EQ(named.frames[0].z[i], plain.frames[0].z[i] == 1 ? 29 : 8);
}

TEST(LammpsDump, UnwrappedPositionsWithForcesAndSectionsBeforeTheTimestep) {
  // This dump starts each frame with UNITS and TIME sections.
  const Loaded unwrapped = Load(Dump("unwrapped.dump"));
  const Loaded plain = Load(Dump("ortho.lammpstrj"));
  ASSERT_EQ(unwrapped.frames.size(), 3u) << unwrapped.console;
  for (int k = 0; k < 3; ++k) {
    const Frame& u = unwrapped.frames[k];
    EXPECT_EQ(u.step, 5 * k);
    EXPECT_EQ(u.vec.size(), 96u) << "fx fy fz become the per-atom vectors";
    // Unwrapped and wrapped positions differ by whole box lengths.
    for (size_t i = 0; i < u.pos.size(); ++i) {
      const double shift = (u.pos[i] - plain.frames[k].pos[i]) / kCell;
      EXPECT_NEAR(shift, std::round(shift), 1e-4) << "value " << i;
    }
  }
}

TEST(LammpsDump, TiltedCellIsReducedToItsEdgeVectors) {
  const Loaded scaled = Load(Dump("triclinic.lammpstrj"));
  const Loaded absolute = Load(Dump("triclinic_xyz.lammpstrj"));
  ASSERT_EQ(scaled.frames.size(), 2u);
  ASSERT_EQ(absolute.frames.size(), 2u);
  // Edge vectors of the prism 0 2 0 2 0 2 tilted 0.5 0.3 0.2 lattice units.
  const double lattice = kCell / 2;
  const double expected[9] = {kCell, 0, 0, 0.5 * lattice, kCell, 0, 0.3 * lattice, 0.2 * lattice, kCell};
  for (int k = 0; k < 2; ++k) {
    for (int e = 0; e < 9; ++e) EXPECT_NEAR(scaled.frames[k].box[e], expected[e], 1e-9) << e;
    for (int e = 0; e < 3; ++e) EXPECT_NEAR(scaled.frames[k].origin[e], 0.0, 1e-12);
    ExpectSamePositions(scaled.frames[k], absolute.frames[k], 2e-5);
    for (int32_t z : scaled.frames[k].z) EXPECT_TRUE(z == 29 || z == 8) << "the element column wins";
  }
}

TEST(LammpsDump, AChangingAtomCountIsKept) {
  const Loaded shrinking = Load(Dump("shrinking.lammpstrj"));
  ASSERT_EQ(shrinking.frames.size(), 4u);
  EXPECT_EQ(shrinking.frames[2].pos.size(), 96u);
  EXPECT_LT(shrinking.frames[3].pos.size(), 96u);
  EXPECT_GT(shrinking.frames[3].pos.size(), 0u);
  EXPECT_EQ(shrinking.frames[3].step, 15);
}

TEST(LammpsDump, IdsThatAreNotOneToNStillGiveIdOrder) {
  // Ids with gaps, from 0, and repeated (kept in file order) all take the slower way.
  qvtest::TempDir dir;
  const std::string path = dir.File("ids.lammpstrj");
  std::string text;
  const char* const frames[] = {"30 1 3 0 0\n10 1 1 0 0\n20 1 2 0 0\n", "2 1 3 0 0\n0 1 1 0 0\n1 1 2 0 0\n",
                                "2 1 2 0 0\n1 1 1 0 0\n2 1 3 0 0\n", "3 1 3 0 0\n1 1 1 0 0\n2 1 2 0 0\n"};
  for (const char* atoms : frames) {
    text += "ITEM: TIMESTEP\n0\nITEM: NUMBER OF ATOMS\n3\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
            "ITEM: ATOMS id type x y z\n";
    text += atoms;
  }
  std::ofstream(path, std::ios::binary) << text;
  const Loaded l = Load(path);
  ASSERT_EQ(l.frames.size(), 4u) << l.console;
  for (const Frame& f : l.frames) {
    ASSERT_EQ(f.pos.size(), 9u);
    EXPECT_EQ(f.pos[0], 1.0f);
    EXPECT_EQ(f.pos[3], 2.0f);
    EXPECT_EQ(f.pos[6], 3.0f);
  }
}

TEST(LammpsDump, BrokenFramesEndTheLoadWithTheirNameAndKeepWhatCameBefore) {
  qvtest::TempDir dir;
  const std::string good =
      "ITEM: TIMESTEP\n100\nITEM: NUMBER OF ATOMS\n2\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
      "ITEM: ATOMS id type x y z\n2 1 1 1 1\n1 2 2 2 2\n";
  struct Case {
    const char* name;
    std::string second;  // the frame after a good one
    const char* message;
  };
  const Case cases[] = {
      {"truncated atoms", "ITEM: TIMESTEP\n200\nITEM: NUMBER OF ATOMS\n2\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
                          "ITEM: ATOMS id type x y z\n1 1 1 1 1\n",
       "timestep 200"},
      {"huge count", "ITEM: TIMESTEP\n300\nITEM: NUMBER OF ATOMS\n2000000000\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
                     "ITEM: ATOMS id type x y z\n1 1 1 1 1\n",
       "claims 2000000000 atoms"},
      {"no positions", "ITEM: TIMESTEP\n400\nITEM: NUMBER OF ATOMS\n1\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
                       "ITEM: ATOMS id type q\n1 1 0.5\n",
       "no position columns"},
      {"bad coordinate", "ITEM: TIMESTEP\n500\nITEM: NUMBER OF ATOMS\n1\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
                         "ITEM: ATOMS id type x y z\n1 1 1 abc 1\n",
       "'abc' is not a coordinate"},
      {"id not an integer", "ITEM: TIMESTEP\n550\nITEM: NUMBER OF ATOMS\n1\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
                            "ITEM: ATOMS id type x y z\n1x 1 1 1 1\n",
       "atom line 1 of the frame of timestep 550 at offset 130 has no integer id"},
      {"garbage", "hello\n", "expected an 'ITEM:' line"},
      {"atoms first", "ITEM: TIMESTEP\n600\nITEM: ATOMS id type x y z\n1 1 1 1 1\n", "before its timestep"},
      {"long line", "ITEM: TIMESTEP\n700\nITEM: NUMBER OF ATOMS\n2\nITEM: BOX BOUNDS pp pp pp\n0 10\n0 10\n0 10\n"
                    "ITEM: ATOMS id type x y z\n1 1 1 1 1\n2 1 1 1 1" + std::string(size_t{1} << 20, ' ') + "\n",
       "atom line 2 of the frame of timestep 700 at offset 130 is longer than 1 MiB"},
      {"bad lines windows apart", [] {
         // Atom lines are parsed window by window on several threads: the first bad line in
         // the file is the one named, not a later one that a faster thread met first.
         std::string s = "ITEM: TIMESTEP\n800\nITEM: NUMBER OF ATOMS\n400000\nITEM: BOX BOUNDS pp pp pp\n"
                         "0 10\n0 10\n0 10\nITEM: ATOMS id type x y z\n";
         for (int i = 1; i <= 400000; ++i) {
           s += std::to_string(i) + (i == 350000 || i == 390000 ? " 1 1.000000 bad 1.000000\n"
                                                                : " 1 1.000000 2.000000 3.000000\n");
         }
         return s;
       }(), "atom line 350000 of the frame of timestep 800"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File("broken.lammpstrj");
    std::ofstream(path, std::ios::binary) << good << c.second;
    const Loaded l = Load(path);
    ASSERT_EQ(l.frames.size(), 1u) << c.name;
    EXPECT_EQ(l.frames[0].step, 100) << c.name;
    // Atoms come back in id order: id 1 sits at (2, 2, 2).
    EXPECT_EQ(l.frames[0].pos[0], 2.0f) << c.name;
    EXPECT_EQ(l.frames[0].z[0], 2) << c.name;
    EXPECT_NE(l.console.find(c.message), std::string::npos) << c.name << ": " << l.console;
  }
}
