#include "rendering/Coloring.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv {
namespace {

struct Stop {
  int r, g, b;
};
constexpr Stop kPressureStops[11] = {
    {0, 0, 128},  {38, 0, 106},  {76, 0, 211},   {0, 0, 230},   {0, 140, 120}, {0, 180, 60},
    {60, 250, 0}, {120, 180, 0}, {180, 120, 0},  {255, 60, 0},  {0, 0, 0},
};

constexpr int kHeightTable[9][3] = {
    {0, 0, 144},     {0, 15, 255},   {0, 144, 255}, {15, 255, 238}, {144, 255, 112},
    {255, 238, 0},   {255, 112, 0},  {238, 0, 0},   {127, 0, 0},
};

uint8_t Lerp8(int from, int to, double f) {
  return static_cast<uint8_t>(from + static_cast<int>((to - from) * f));
}

size_t AtomTotal(const ATOMS_DATA& frame) {
  return frame.atomCount > 0 ? static_cast<size_t>(frame.atomCount) : 0;
}

Rgba ElementColorOf(const ATOMS_DATA& frame, size_t i, const ColorTables& tables) {
  return i < frame.atomicNumbers.size() ? tables.Element(frame.atomicNumbers[i])
                                        : tables.element[0];
}

// The pressure colour of atom i, or its element colour when the frame has no pressure.
Rgba PressureColorOf(const ATOMS_DATA& frame, size_t i, double maxPressure,
                     const ColorTables& tables) {
  if (3 * i < frame.vectors.size()) return PressureColor(frame.vectors[3 * i], maxPressure);
  return ElementColorOf(frame, i, tables);
}

}  // namespace

int32_t PackColor(Rgba c) {
  const uint8_t bytes[4] = {c.r, c.g, c.b, c.a};
  int32_t w;
  std::memcpy(&w, bytes, 4);
  return w;
}

Rgba UnpackColor(int32_t word) {
  uint8_t bytes[4];
  std::memcpy(bytes, &word, 4);
  return Rgba{bytes[0], bytes[1], bytes[2], bytes[3]};
}

Rgba PressureColor(double pressure, double maxPressure) {
  const double scaled = 10.0 * (pressure / maxPressure);
  // Negative ratios, and ratios that are no number, sit below the scale.
  if (!(scaled >= 0.0)) return Rgba{0, 0, 128, kPressureAlpha};
  if (scaled >= 10.0) return Rgba{255, 0, 0, kPressureAlpha};
  const int n = static_cast<int>(scaled);
  const double f = scaled - n;
  const Stop& a = kPressureStops[n];
  const Stop& b = kPressureStops[n + 1];
  return Rgba{Lerp8(a.r, b.r, f), Lerp8(a.g, b.g, f), Lerp8(a.b, b.b, f), kPressureAlpha};
}

void PressureColors(ATOMS_DATA& frame, BOND_INFO& bonds, double maxPressure,
                    const ColorTables& tables) {
  ++bonds.revision;
  const size_t n = AtomTotal(frame);
  if (bonds.pressureColors.size() < n) bonds.pressureColors.resize(n);
  for (size_t i = 0; i < n; ++i) {
    bonds.pressureColors[i] = PackColor(PressureColorOf(frame, i, maxPressure, tables));
  }
}

void AtomColors(const ATOMS_DATA& frame, const BOND_INFO* bonds, int mode,
                const ColorTables& tables, double maxPressure, std::vector<Rgba>& out) {
  const size_t n = AtomTotal(frame);
  out.resize(n);
  switch (mode) {
    case kColorByBondCount:
      for (size_t i = 0; i < n; ++i) {
        const int count = bonds && i < bonds->counts.size() ? bonds->counts[i] : 0;
        out[i] = tables.BondCount(count);
      }
      return;
    case kColorByPressure:
      if (bonds && bonds->pressureColors.size() >= n) {
        for (size_t i = 0; i < n; ++i) out[i] = UnpackColor(bonds->pressureColors[i]);
      } else {
        for (size_t i = 0; i < n; ++i) out[i] = PressureColorOf(frame, i, maxPressure, tables);
      }
      return;
    default:
      for (size_t i = 0; i < n; ++i) out[i] = ElementColorOf(frame, i, tables);
      return;
  }
}

HeightRamp MakeHeightRamp(const double box[9], double center, double range) {
  const double cz = box[8];
  const double c = center > 0 ? center : 0.5 * cz;
  const double r = range > 0 ? range : 0.5 * cz;
  HeightRamp ramp;
  ramp.low = static_cast<float>(c - r);
  ramp.span = static_cast<float>(2.0 * r);
  for (int i = 0; i < 9; ++i) {
    ramp.table[i] = {kHeightTable[i][0] / 255.0f, kHeightTable[i][1] / 255.0f,
                     kHeightTable[i][2] / 255.0f, 1.0f};
  }
  return ramp;
}

std::array<float, 4> HeightColor(double z, const HeightRamp& ramp) {
  if (!(ramp.span > 0)) return ramp.table[0];
  double x = (z - ramp.low) / ramp.span * ramp.intervals;
  if (!(x > 0)) return ramp.table[0];
  if (x >= 8.0) return ramp.table[8];
  const int i = static_cast<int>(x);
  const float f = static_cast<float>(x - i);
  std::array<float, 4> c;
  for (int k = 0; k < 4; ++k) c[k] = ramp.table[i][k] + (ramp.table[i + 1][k] - ramp.table[i][k]) * f;
  return c;
}

std::array<float, 4> BoxLineColor(const std::array<float, 4>& background) {
  return {1.0f - background[0], 1.0f - background[1], 1.0f - background[2], 1.0f};
}

}  // namespace qv
