#include "rendering/Coloring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {

using qv::Rgba;

constexpr double kP = 160.1;

// A frame whose atom i has atomic number z[i] and pressure p[i] (no vectors when p is empty).
ATOMS_DATA Frame(std::initializer_list<int> z, std::initializer_list<float> p = {}) {
  ATOMS_DATA f;
  f.Allocate(static_cast<int32_t>(z.size()), true, false, p.size() != 0);
  int i = 0;
  for (int v : z) f.atomicNumbers[i++] = v;
  for (size_t k = 0; k < f.positions.size(); ++k) f.positions[k] = 0;
  i = 0;
  for (float v : p) {
    f.vectors[3 * i] = v;
    f.vectors[3 * i + 1] = f.vectors[3 * i + 2] = 0;
    ++i;
  }
  return f;
}

TEST(PressureRamp, EdgesOfTheScale) {
  EXPECT_EQ(qv::PressureColor(kP, kP), (Rgba{255, 0, 0, 96}));
  EXPECT_EQ(qv::PressureColor(10 * kP, kP), (Rgba{255, 0, 0, 96}));
  EXPECT_EQ(qv::PressureColor(-0.001, kP), (Rgba{0, 0, 128, 96}));
  EXPECT_EQ(qv::PressureColor(0, kP), (Rgba{0, 0, 128, 96}));  // stop 0
  EXPECT_EQ(qv::PressureColor(0.4 * kP, kP), (Rgba{0, 140, 120, 96}));  // stop 4 exactly
  // Between stop 9 (255, 60, 0) and stop 10 (0, 0, 0): half way, truncated toward zero.
  const Rgba c = qv::PressureColor(0.95 * kP, kP);
  EXPECT_EQ(c, (Rgba{128, 30, 0, 96}));
  EXPECT_LT(c.r, 255);
  EXPECT_LT(c.g, 60);
  // Between stop 2 (76, 0, 211) and stop 3 (0, 0, 230): decreasing red truncates toward zero.
  EXPECT_EQ(qv::PressureColor(0.25 * kP, kP), (Rgba{38, 0, 220, 96}));
}

TEST(PressureRamp, RatiosThatAreNoNumberStayDefined) {
  EXPECT_EQ(qv::PressureColor(0, 0), (Rgba{0, 0, 128, 96}));
  EXPECT_EQ(qv::PressureColor(NAN, kP), (Rgba{0, 0, 128, 96}));
  EXPECT_EQ(qv::PressureColor(1, 0), (Rgba{255, 0, 0, 96}));
  EXPECT_EQ(qv::PressureColor(-1, 0), (Rgba{0, 0, 128, 96}));
}

TEST(PressureColors, WrittenPackedBesideTheBondCountsGrowingTheArray) {
  const qv::ColorTables t;
  ATOMS_DATA f = Frame({8, 1}, {static_cast<float>(kP), -5.0f});
  f.bonds.counts.assign({2, 1});
  f.bonds.pressureColors.assign({7});
  qv::PressureColors(f, f.bonds, kP, t);
  ASSERT_EQ(f.bonds.pressureColors.size(), 2u);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(f.bonds.pressureColors.data());
  EXPECT_EQ(bytes[0], 255);  // r, g, b, a in memory order
  EXPECT_EQ(bytes[3], 96);
  EXPECT_EQ(qv::UnpackColor(f.bonds.pressureColors[1]), (Rgba{0, 0, 128, 96}));
  EXPECT_EQ(f.bonds.counts[0], 2);  // the bond counts survive for reports and mode 1

  std::vector<Rgba> out;
  qv::AtomColors(f, &f.bonds, qv::kColorByBondCount, t, kP, out);
  EXPECT_EQ(out[0], t.bondCount[2]);
  qv::AtomColors(f, &f.bonds, qv::kColorByPressure, t, kP, out);
  EXPECT_EQ(out[0], (Rgba{255, 0, 0, 96}));
}

TEST(PressureColors, FrameWithoutVectorsGetsElementColours) {
  qv::ColorTables t;
  ATOMS_DATA f = Frame({8, -1});
  qv::PressureColors(f, f.bonds, kP, t);
  EXPECT_EQ(qv::UnpackColor(f.bonds.pressureColors[0]), t.element[8]);
  EXPECT_EQ(qv::UnpackColor(f.bonds.pressureColors[1]), t.element[0]);
}

TEST(AtomColors, ModesZeroToThree) {
  qv::ColorTables t;
  t.element[0] = Rgba{1, 2, 3, 4};
  ATOMS_DATA f = Frame({8, -1, 119, 26}, {0, 0, 0, static_cast<float>(kP)});
  std::vector<Rgba> out;
  qv::AtomColors(f, nullptr, qv::kColorByElement, t, kP, out);
  EXPECT_EQ(out, (std::vector<Rgba>{t.element[8], t.element[0], t.element[0], t.element[26]}));
  std::vector<Rgba> height;
  qv::AtomColors(f, nullptr, qv::kColorByHeight, t, kP, height);
  EXPECT_EQ(height, out);

  f.bonds.counts.assign({20, 6, 9, 0});
  qv::AtomColors(f, &f.bonds, qv::kColorByBondCount, t, kP, out);
  EXPECT_EQ(out[0], t.bondCount[14]);
  EXPECT_EQ(out[1].a, 0);
  EXPECT_EQ(out[2].a, 0);
  EXPECT_EQ(out[3], t.bondCount[0]);

  // Pressure colours not stored yet: computed from the frame, the same as once stored.
  qv::AtomColors(f, &f.bonds, qv::kColorByPressure, t, kP, out);
  EXPECT_EQ(out[3], (Rgba{255, 0, 0, 96}));
  qv::PressureColors(f, f.bonds, kP, t);
  std::vector<Rgba> stored;
  qv::AtomColors(f, &f.bonds, qv::kColorByPressure, t, kP, stored);
  EXPECT_EQ(stored, out);

  ATOMS_DATA bare;
  bare.Allocate(2, false);
  qv::AtomColors(bare, nullptr, qv::kColorByElement, t, kP, out);
  EXPECT_EQ(out, (std::vector<Rgba>{t.element[0], t.element[0]}));
}

TEST(HeightRamp, LowMapsToFirstEntryHighToLast) {
  double box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 40};
  qv::HeightRamp r = qv::MakeHeightRamp(box, 0, 0);
  EXPECT_FLOAT_EQ(r.low, 0);
  EXPECT_FLOAT_EQ(r.span, 40);
  EXPECT_FLOAT_EQ(r.intervals, 8);
  EXPECT_EQ(qv::HeightColor(0, r), r.table[0]);
  EXPECT_EQ(qv::HeightColor(40, r), r.table[8]);
  EXPECT_EQ(qv::HeightColor(-5, r), r.table[0]);
  EXPECT_FLOAT_EQ(qv::HeightColor(2.5, r)[1], 7.5f / 255.0f);  // half way to entry 1

  r = qv::MakeHeightRamp(box, 30, 5);
  EXPECT_FLOAT_EQ(r.low, 25);
  EXPECT_FLOAT_EQ(r.span, 10);
  double flat[9] = {};
  EXPECT_EQ(qv::HeightColor(3, qv::MakeHeightRamp(flat, 0, 0)), r.table[0]);
}

TEST(BoxLineColor, ComplementOfTheBackground) {
  EXPECT_EQ(qv::BoxLineColor({0, 0, 0, 0}), (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_EQ(qv::BoxLineColor({1, 0.25f, 0, 1}), (std::array<float, 4>{0, 0.75f, 1, 1}));
}

}  // namespace
