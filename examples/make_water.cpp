// Writes examples/water.fa2: 64 rigid water molecules in a periodic 12.4 Å cubic box,
// 10 frames of small thermal motion; four molecules drift across box faces and are
// wrapped back by their oxygen. Build with `cmake --build build --target make_water`,
// run as `./build/examples/make_water examples/water.fa2`.
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "data/fa2/FA2_Writer.h"

namespace {

constexpr int kSide = 4;  // molecules per box edge
constexpr int kMolecules = kSide * kSide * kSide;
constexpr float kBox = 12.4f;
constexpr float kOH = 0.96f;
constexpr float kHalfAngle = 104.5f / 2 * 3.14159265f / 180;
constexpr int kFrames = 10;

struct Vec {
  float x, y, z;
};

Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Unit(Vec a) {
  const float l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return {a.x / l, a.y / l, a.z / l};
}
float Wrap(float v) { return v - kBox * std::floor(v / kBox); }

}  // namespace

int main(int argc, char** argv) {
  const char* out = argc > 1 ? argv[1] : "water.fa2";
  std::mt19937 rng(20261208);
  std::normal_distribution<float> thermal(0.0f, 0.08f);
  std::normal_distribution<float> gauss(0.0f, 1.0f);

  std::vector<Vec> centre(kMolecules), drift(kMolecules, Vec{0, 0, 0}), axis(kMolecules),
      normal(kMolecules);
  const float spacing = kBox / kSide;
  for (int m = 0; m < kMolecules; ++m) {
    const int i = m % kSide, j = (m / kSide) % kSide, k = m / (kSide * kSide);
    centre[m] = {(i + 0.5f) * spacing, (j + 0.5f) * spacing, (k + 0.5f) * spacing};
    axis[m] = Unit({gauss(rng), gauss(rng), gauss(rng)});
    normal[m] = Unit(Cross(axis[m], Unit({gauss(rng), gauss(rng), gauss(rng)})));
  }
  // Molecules in the outer layer drifting outwards cross a face within a few frames.
  drift[0] = {-0.35f, 0, 0};
  drift[kSide - 1] = {0.35f, 0, 0};
  drift[kSide * (kSide - 1)] = {0, 0.35f, 0};
  drift[kMolecules - 1] = {0, 0, 0.4f};

  FA2_Writer writer;
  if (writer.Open(out) != 0) {
    std::fprintf(stderr, "cannot create %s\n", out);
    return 1;
  }
  std::vector<int32_t> numbers(3 * kMolecules);
  std::vector<float> xyz(9 * kMolecules);
  for (int f = 0; f < kFrames; ++f) {
    for (int m = 0; m < kMolecules; ++m) {
      if (f > 0) {
        centre[m].x += drift[m].x + thermal(rng);
        centre[m].y += drift[m].y + thermal(rng);
        centre[m].z += drift[m].z + thermal(rng);
        // A little rotation: tilt the axis and keep the normal perpendicular to it.
        axis[m] = Unit({axis[m].x + 0.1f * gauss(rng), axis[m].y + 0.1f * gauss(rng),
                        axis[m].z + 0.1f * gauss(rng)});
        normal[m] = Unit(Cross(Cross(axis[m], normal[m]), axis[m]));
      }
      const Vec o = {Wrap(centre[m].x), Wrap(centre[m].y), Wrap(centre[m].z)};
      const float c = std::cos(kHalfAngle) * kOH, s = std::sin(kHalfAngle) * kOH;
      const Vec a = axis[m], n = normal[m];
      const Vec h1 = {o.x + c * a.x + s * n.x, o.y + c * a.y + s * n.y, o.z + c * a.z + s * n.z};
      const Vec h2 = {o.x + c * a.x - s * n.x, o.y + c * a.y - s * n.y, o.z + c * a.z - s * n.z};
      const Vec atoms[3] = {o, h1, h2};
      for (int t = 0; t < 3; ++t) {
        numbers[3 * m + t] = t == 0 ? 8 : 1;
        xyz[9 * m + 3 * t] = atoms[t].x;
        xyz[9 * m + 3 * t + 1] = atoms[t].y;
        xyz[9 * m + 3 * t + 2] = atoms[t].z;
      }
    }
    FA2_Frame frame;
    frame.atomCount = 3 * kMolecules;
    frame.hasBox = true;
    const float box[12] = {kBox, 0, 0, 0, kBox, 0, 0, 0, kBox, 0, 0, 0};
    std::copy(box, box + 12, frame.box);
    frame.atomicNumbers = numbers.data();
    frame.positions.xyz = xyz.data();
    if (writer.WriteFrame(frame) < 0) {
      std::fprintf(stderr, "cannot write %s\n", out);
      return 1;
    }
  }
  return writer.Close() ? 0 : 1;
}
