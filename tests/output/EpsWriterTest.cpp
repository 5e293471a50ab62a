#include "output/EpsWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "TestSupport.h"

namespace {

struct Atom {
  float x, y, z;
  int number;
};

ATOMS_DATA MakeFrame(const std::vector<Atom>& atoms) {
  ATOMS_DATA f;
  f.Allocate(static_cast<int32_t>(atoms.size()));
  for (size_t i = 0; i < atoms.size(); ++i) {
    f.positions[3 * i] = atoms[i].x;
    f.positions[3 * i + 1] = atoms[i].y;
    f.positions[3 * i + 2] = atoms[i].z;
    f.atomicNumbers[i] = atoms[i].number;
  }
  return f;
}

void AddBond(ATOMS_DATA& f, int i, int j, float dx, float dy, float dz) {
  const size_t n = static_cast<size_t>(f.bonds.bondCount);
  f.bonds.entries.resize(n + 1);
  f.bonds.entries[n] = {i, j, dx, dy, dz};
  f.bonds.bondCount += 1;
}

void AddBond(ATOMS_DATA& f, int i, int j) {
  AddBond(f, i, j, f.positions[3 * j] - f.positions[3 * i],
          f.positions[3 * j + 1] - f.positions[3 * i + 1],
          f.positions[3 * j + 2] - f.positions[3 * i + 2]);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

int CountEndingWith(const std::vector<std::string>& lines, const std::string& suffix) {
  int n = 0;
  for (const auto& l : lines) {
    if (l.size() >= suffix.size() && l.compare(l.size() - suffix.size(), suffix.size(), suffix) == 0) ++n;
  }
  return n;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line, size_t from = 0) {
  for (size_t i = from; i < lines.size(); ++i) {
    if (lines[i] == line) return static_cast<int>(i);
  }
  return -1;
}

// Bond segments as (moveto line, lineto line); box edges are black and not counted.
std::vector<std::pair<std::string, std::string>> BondSegments(const std::vector<std::string>& lines) {
  std::vector<std::pair<std::string, std::string>> out;
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i].ends_with(" moveto") && lines[i + 2] == "   0.200    0.600    0.600 setrgbcolor") {
      out.emplace_back(lines[i], lines[i + 1]);
    }
  }
  return out;
}

std::string Eps(const EpsInput& in) {
  std::string out;
  EXPECT_TRUE(FormatEps(in, out));
  return out;
}

// A camera whose view half-height at distance d is exactly d / 2, so that simple world
// coordinates land on exact device coordinates.
CameraGL HalfTanCamera(double distance) {
  CameraGL c;
  double angle = std::atan(0.5);
  for (int i = 0; i < 8 && std::tan(angle) != 0.5; ++i) {
    angle = std::nextafter(angle, std::tan(angle) < 0.5 ? 1.0 : 0.0);
  }
  c.viewAngle = angle;
  c.eye = {0, -distance, 0};
  return c;
}

// The frame and its bonds seen from distance 2 through HalfTanCamera, orthographic, on a
// 200 x 200 page with discs of atom size 0.1.
EpsInput BondView(ATOMS_DATA& f) {
  EpsInput in;
  in.frame = &f;
  in.bonds = &f.bonds;
  in.camera = HalfTanCamera(2);
  in.projection = kOrthographic;
  in.width = in.height = 200;
  in.settings.atomSize = 0.1;
  return in;
}

struct GhostscriptResult {
  int status = -1;
  std::string output;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool hasBox = false;
};

GhostscriptResult RunGhostscript(const std::string& path) {
  GhostscriptResult r;
  r.status = qvtest::RunCommand(
      "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=bbox '" + path + "' 2>&1", &r.output);
  const size_t p = r.output.find("%%HiResBoundingBox:");
  if (p != std::string::npos) {
    std::istringstream in(r.output.substr(p + 19));
    r.hasBox = static_cast<bool>(in >> r.x0 >> r.y0 >> r.x1 >> r.y1);
  }
  return r;
}

void ExpectCleanRender(const std::string& path, int declaredHeight, bool contentInside) {
  const GhostscriptResult gs = RunGhostscript(path);
  EXPECT_EQ(gs.status, 0) << gs.output;
  EXPECT_EQ(gs.output.find("Error"), std::string::npos) << gs.output;
  EXPECT_TRUE(gs.hasBox) << gs.output;
  if (contentInside && gs.hasBox) {
    EXPECT_GE(gs.x0, 0);
    EXPECT_GE(gs.y0, 0);
    EXPECT_LE(gs.x1, 200);
    EXPECT_LE(gs.y1, declaredHeight);
  }
}

const double kCube[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};

}  // namespace

TEST(EpsNumbers, FormatMatchesPrintf) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> wide(-1e6, 1e6), narrow(-2, 2);
  std::vector<double> values = {0.0, -0.0, 0.0625, -0.0625, 0.0005, -0.0004, 999.9995,
                                1e-9, 12345678.9, -1234.5, 360.0, 0.2, 1e30};
  for (int i = 0; i < 20000; ++i) values.push_back(i % 2 ? wide(rng) : narrow(rng));
  // Rounding ties of the third decimal and their nearest neighbours on both sides.
  std::uniform_int_distribution<long long> thousandths(-100000000, 100000000);
  for (int i = 0; i < 5000; ++i) {
    const double tie = (static_cast<double>(thousandths(rng)) + 0.5) / 1000;
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 1e300));
    values.push_back(std::nextafter(tie, -1e300));
    values.push_back(tie + 1e-12);
  }
  for (double v : values) {
    char expected[512];
    std::snprintf(expected, sizeof expected, "%8.3lf", v);
    std::string got;
    AppendEpsNumber(got, v);
    ASSERT_EQ(got, expected) << v;
  }
}

TEST(EpsHeader, LayoutAndBoundingBox) {
  ATOMS_DATA f = MakeFrame({});
  EpsInput in;
  in.frame = &f;
  const auto lines = Lines(Eps(in));
  const std::vector<std::string> header = {
      "%!PS-Adobe-3.0 EPSF-3.0", "%%Creator: outEPS ver.0", "%%Title: gh1",
      "%%DocumentFonts: (atend)", "%%BoundingBox: 0 0 200 150", "%%Orientation: Portrait",
      "%%EndComments", "/mydict 120 dict def", "mydict begin", "", "gsave"};
  const std::vector<std::string> trailer = {"stroke", "grestore", "end",
                                            "showpage", "%%Trailer", "%%EOF"};
  ASSERT_GE(lines.size(), header.size() + trailer.size());
  for (size_t i = 0; i < header.size(); ++i) EXPECT_EQ(lines[i], header[i]);
  for (size_t i = 0; i < trailer.size(); ++i) {
    EXPECT_EQ(lines[lines.size() - trailer.size() + i], trailer[i]);
  }

  for (auto [w, h, expected] : {std::tuple{641, 480, "149"}, {480, 640, "266"}, {1, 1, "200"}}) {
    in.width = w;
    in.height = h;
    EXPECT_EQ(Lines(Eps(in))[4], std::string("%%BoundingBox: 0 0 200 ") + expected);
  }
  in.width = 0;
  std::string out = "x";
  EXPECT_FALSE(FormatEps(in, out));
  EXPECT_TRUE(out.empty());
}

TEST(EpsAtoms, DiscAtTheViewCentre) {
  ATOMS_DATA f = MakeFrame({{0, 0, 0, 8}});
  EpsInput in;
  in.frame = &f;
  in.camera.eye = {0, -10, 0};  // w = 10 at the target
  const auto lines = Lines(Eps(in));
  const int disc = IndexOf(lines, "gsave", 11 + 1 + 18);
  ASSERT_GT(disc, 0);
  EXPECT_EQ(lines[disc - 1], "   2.000 setlinewidth");
  const std::vector<std::string> expected = {
      "gsave",
      "newpath",
      " 100.000   75.000   10.000    0.000  360.000 arc",
      "closepath",
      "   1.000    0.000    0.000 setrgbcolor",
      "fill",
      "newpath",
      " 100.000   75.000   10.000    0.000  360.000 arc",
      "closepath",
      "   0.000    0.000    0.000 setrgbcolor",
      "stroke",
      "grestore",
      "   5.000 setlinewidth"};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[disc + i], expected[i]) << i;
}

TEST(EpsAtoms, OrthographicSizeIgnoresDepth) {
  ATOMS_DATA f = MakeFrame({{0, 0, 0, 1}, {1, 30, 1, 1}, {-1, -20, 0, 1}});
  EpsInput in;
  in.frame = &f;
  in.projection = kOrthographic;
  const auto lines = Lines(Eps(in));
  EXPECT_EQ(CountEndingWith(lines, " 100.000    0.000  360.000 arc"), 6);
  EXPECT_EQ(CountEndingWith(lines, "  20.000 setlinewidth"), 3);
}

TEST(EpsAtoms, ViewEdgeIsInsideJustBeyondIsNot) {
  // Orthographic, half-width and half-height 1: world x and z are device coordinates.
  EpsInput in;
  in.camera = HalfTanCamera(2);
  ASSERT_EQ(in.camera.TanViewAngle(), 0.5);
  in.projection = kOrthographic;
  in.width = in.height = 200;
  const float beyond = std::nextafter(1.0f, 2.0f);
  for (auto [x, z, drawn] : {std::tuple{1.0f, 0.0f, true}, {-1.0f, 1.0f, true},
                             {0.0f, -1.0f, true}, {beyond, 0.0f, false},
                             {0.0f, -beyond, false}}) {
    ATOMS_DATA f = MakeFrame({{x, 0, z, 6}});
    in.frame = &f;
    EXPECT_EQ(CountEndingWith(Lines(Eps(in)), " arc"), drawn ? 2 : 0) << x << " " << z;
  }
}

TEST(EpsAtoms, PaintedFromFarToNear) {
  // Index 0 is nearer to the eye than index 1.
  ATOMS_DATA f = MakeFrame({{0, -10, 0, 1}, {0, 10, 0, 8}, {0.5, 0, 0, 6}});
  EpsInput in;
  in.frame = &f;
  const auto lines = Lines(Eps(in));
  const int red = IndexOf(lines, "   1.000    0.000    0.000 setrgbcolor");
  const int grey = IndexOf(lines, "   0.470    0.470    0.470 setrgbcolor");
  const int white = IndexOf(lines, "   1.000    1.000    1.000 setrgbcolor");
  ASSERT_GE(red, 0);
  EXPECT_LT(red, grey);
  EXPECT_LT(grey, white);
}

TEST(EpsAtoms, BehindTheEyeIsNotDrawn) {
  // Straight behind the eye the division by a negative w would put it at the centre.
  ATOMS_DATA f = MakeFrame({{0, -60, 0, 8}, {0, -50, 0, 8}, {0, 0, 0, 1}});
  EpsInput in;
  in.frame = &f;
  const std::string text = Eps(in);
  EXPECT_EQ(CountEndingWith(Lines(text), " arc"), 2);
  EXPECT_EQ(text.find("   1.000    0.000    0.000 setrgbcolor"), std::string::npos);
}

TEST(EpsBox, EmptyFrameStillGetsTheWholeBox) {
  ATOMS_DATA f = MakeFrame({});
  EpsInput in;
  in.frame = &f;
  std::copy(kCube, kCube + 9, in.box);
  in.camera.FitToData(kCube, in.origin);
  const auto lines = Lines(Eps(in));
  EXPECT_EQ(lines.size(), 11u + 1 + 3 * 6 + 1 + 9 * 6 + 6);
  EXPECT_EQ(CountEndingWith(lines, " moveto"), 12);
  // The far face is at depth 25 from the eye: width 0.5 / 25 * 100 before and after atoms.
  EXPECT_EQ(lines[11], "   2.000 setlinewidth");
  EXPECT_EQ(lines[11 + 1 + 18], "   2.000 setlinewidth");
  // Four corners share the largest depth; the first of them (corner 2) owns the back edges.
  const auto m = qv::cam::Multiply(in.camera.ProjectionGL(kPerspective, 640, 480),
                                   in.camera.ViewMatrixGL());
  const auto c = qv::cam::Transform(m, {0, 10, 0});
  std::string expected;
  AppendEpsNumber(expected, (c[0] / c[3] + 1) * 100);
  expected += ' ';
  AppendEpsNumber(expected, (c[1] / c[3] + 1) * 75);
  EXPECT_EQ(lines[13], expected + " moveto");
  EXPECT_EQ(lines[19], expected + " moveto");
  EXPECT_EQ(lines[25], expected + " moveto");
}

TEST(EpsBox, BackEdgesBeforeAtomsFrontEdgesAfter) {
  ATOMS_DATA f = MakeFrame({{5, 5, 5, 8}});
  EpsInput in;
  in.frame = &f;
  std::copy(kCube, kCube + 9, in.box);
  in.camera.FitToData(kCube, in.origin);
  const auto lines = Lines(Eps(in));
  int arc = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].ends_with(" arc")) {
      arc = static_cast<int>(i);
      break;
    }
  }
  int before = 0, after = 0;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (lines[i].ends_with(" moveto")) (i < arc ? before : after) += 1;
  }
  EXPECT_EQ(before, 3);
  EXPECT_EQ(after, 9);
}

TEST(EpsBonds, LineFromHalfTheRadiusToTheNeighbour) {
  // Orthographic with half-width 1 and a 200 x 200 figure: device x = world x.
  ATOMS_DATA f = MakeFrame({{0, 0, 0, 8}, {0.5f, 0, 0, 1}});
  AddBond(f, 0, 1);
  EpsInput in = BondView(f);  // half radius 0.05
  const std::string text = Eps(in);
  const std::string fromO =
      "gsave\r\n 105.000  100.000 moveto\r\n 150.000  100.000 lineto\r\n"
      "   0.200    0.600    0.600 setrgbcolor\r\nstroke\r\ngrestore\r\n";
  const std::string fromH =
      "gsave\r\n 145.000  100.000 moveto\r\n 100.000  100.000 lineto\r\n"
      "   0.200    0.600    0.600 setrgbcolor\r\nstroke\r\ngrestore\r\n";
  EXPECT_NE(text.find(fromO), std::string::npos) << text;
  EXPECT_NE(text.find(fromH), std::string::npos) << text;
  // Bond lines follow their atom's disc with the bond width (0.5 / 1 * 100).
  EXPECT_NE(text.find("grestore\r\n  50.000 setlinewidth\r\n" + fromO), std::string::npos);

  in.bonds = nullptr;
  EXPECT_TRUE(BondSegments(Lines(Eps(in))).empty());
}

TEST(EpsBonds, PeriodicBondsPointAtTheImage) {
  ATOMS_DATA f = MakeFrame({{0.8f, 0, 0, 8}, {-0.8f, 0, 0, 8}});
  AddBond(f, 0, 1, 0.4f, 0, 0);  // to the image of atom 1 at x = 1.2 (box length 2)
  EpsInput in = BondView(f);
  const auto bonds = BondSegments(Lines(Eps(in)));
  ASSERT_EQ(bonds.size(), 2u);
  // Painted in index order at equal depth from the far end: atom 1 first.
  EXPECT_EQ(bonds[1].first, " 185.000  100.000 moveto");
  EXPECT_EQ(bonds[1].second, " 220.000  100.000 lineto");
  EXPECT_EQ(bonds[0].first, "  15.000  100.000 moveto");
  EXPECT_EQ(bonds[0].second, " -20.000  100.000 lineto");
}

TEST(EpsBonds, AtMostTwelveFromEachAtom) {
  std::vector<Atom> atoms = {{0, 0, 0, 6}};
  for (int k = 0; k < 14; ++k) {
    const double a = 2 * 3.14159265358979 * k / 14;
    atoms.push_back({static_cast<float>(0.5 * std::cos(a)), 0, static_cast<float>(0.5 * std::sin(a)), 1});
  }
  ATOMS_DATA f = MakeFrame(atoms);
  for (int k = 1; k <= 14; ++k) AddBond(f, 0, k);
  EpsInput in = BondView(f);
  const auto bonds = BondSegments(Lines(Eps(in)));
  // Every neighbour draws its line to the centre; the centre draws twelve of its fourteen.
  EXPECT_EQ(bonds.size(), 14u + 12u);
  EXPECT_EQ(std::count_if(bonds.begin(), bonds.end(),
                          [](const auto& b) { return b.second == " 100.000  100.000 lineto"; }),
            14);
}

TEST(EpsBonds, BrokenBondRecordsAreIgnored) {
  ATOMS_DATA f = MakeFrame({{0, 0, 0, 8}, {0.5f, 0, 0, 1}});
  AddBond(f, 0, 7, 1, 0, 0);
  AddBond(f, -1, 1, 1, 0, 0);
  AddBond(f, 0, 1);
  f.bonds.bondCount = 50;  // more than the entries hold
  EpsInput in;
  in.frame = &f;
  in.bonds = &f.bonds;
  in.projection = kOrthographic;
  EXPECT_EQ(BondSegments(Lines(Eps(in))).size(), 2u);
}

TEST(EpsFile, NameLineEndsAndFailures) {
  EXPECT_EQ(EpsFileName("/data/run", 12), "/data/run12.eps");
  qvtest::TempDir dir;
  ATOMS_DATA f = MakeFrame({{0, 0, 0, 8}});
  EpsInput in;
  in.frame = &f;
  const std::string path = dir.File("a0.eps");
  ASSERT_EQ(WriteEps(path, in), kEpsOk);
  const std::string bytes = qvtest::ReadText(path);
  std::string expected;
  FormatEps(in, expected);
  EXPECT_EQ(bytes, expected);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
    }
  }

  const std::string missing = dir.File("no/such/dir/a0.eps");
  EXPECT_EQ(WriteEps(missing, in), kEpsCannotCreate);
  in.height = 0;
  EXPECT_EQ(WriteEps(dir.File("b0.eps"), in), kEpsEmptyView);
  EXPECT_FALSE(std::filesystem::exists(dir.File("b0.eps")));
}

TEST(EpsGhostscript, RendersCleanlyWithTheDeclaredBoundingBox) {
  qvtest::TempDir dir;
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> pos(0.5f, 9.5f);
  std::vector<Atom> atoms;
  for (int i = 0; i < 300; ++i) atoms.push_back({pos(rng), pos(rng), pos(rng), i % 23});
  ATOMS_DATA f = MakeFrame(atoms);
  for (int i = 0; i + 1 < 300; i += 2) AddBond(f, i, i + 1);
  AddBond(f, 0, 5, -10 + f.positions[15] - f.positions[0], 0, 0);  // across a face

  EpsInput in;
  in.frame = &f;
  in.bonds = &f.bonds;
  std::copy(kCube, kCube + 9, in.box);
  in.camera.FitToData(kCube, in.origin);
  for (int mode : {kPerspective, kOrthographic}) {
    for (auto [w, h] : {std::pair{640, 480}, {300, 900}}) {
      in.projection = mode;
      in.width = w;
      in.height = h;
      const std::string path = dir.File("fit" + std::to_string(mode) + "_" + std::to_string(w) + ".eps");
      ASSERT_EQ(WriteEps(path, in), kEpsOk);
      SCOPED_TRACE(path);
      // The tall window shows only part of the box, and orthographic discs are 100 points
      // wide: only the fitted perspective view keeps everything inside the figure.
      ExpectCleanRender(path, h * 200 / w, mode == kPerspective && w == 640);
    }
  }

  // An empty frame.
  ATOMS_DATA empty = MakeFrame({});
  in.frame = &empty;
  in.projection = kPerspective;
  in.width = 640;
  in.height = 480;
  ASSERT_EQ(WriteEps(dir.File("empty.eps"), in), kEpsOk);
  ExpectCleanRender(dir.File("empty.eps"), 150, true);
}

TEST(EpsGhostscript, CameraInsideTheBoxAndAtomsAtTheEye) {
  // Box edges pass behind the eye, atoms sit on and just in front of the eye, bonds reach
  // behind it: everything printed must stay within what an interpreter can draw.
  std::vector<Atom> atoms = {{5, 5.001f, 5, 8}, {5, 5, 5, 8}, {5.2f, 5.3f, 5, 1},
                             {5, 4, 5, 1},      {1, 9, 1, 6}, {9, 9, 9, 6}};
  ATOMS_DATA f = MakeFrame(atoms);
  AddBond(f, 0, 3);
  AddBond(f, 2, 3);
  AddBond(f, 2, 0);
  AddBond(f, 4, 5);
  EpsInput in;
  in.frame = &f;
  in.bonds = &f.bonds;
  std::copy(kCube, kCube + 9, in.box);
  in.camera.eye = {5, 5, 5};
  in.camera.target = {5, 6, 5};
  qvtest::TempDir dir;
  const std::string path = dir.File("inside.eps");
  ASSERT_EQ(WriteEps(path, in), kEpsOk);
  const std::string text = qvtest::ReadText(path);
  for (const auto& line : Lines(text)) {
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      char* end = nullptr;
      const double v = std::strtod(word.c_str(), &end);
      if (end != word.c_str() && *end == '\0') {
        EXPECT_LT(std::fabs(v), 1e5) << line;
      }
    }
  }
  // The box is seen from inside: some edges are drawn.
  EXPECT_GT(CountEndingWith(Lines(text), " lineto"), 0);
  ExpectCleanRender(path, 150, false);
}
