#pragma once
// Colours of atoms, the height ramp handed to the shader back end, and the background and
// box colours. Pure maths over the frame record: no graphics API here.
#include <array>
#include <cstdint>
#include <vector>

#include "data/AtomsData.h"
#include "data/ElementTable.h"
#include "shell/settings/DisplayOptions.h"

namespace qv {

constexpr uint8_t kPressureAlpha = 96;

// A colour word as stored in a per-atom int32 array: bytes r, g, b, a in memory order.
int32_t PackColor(Rgba c);
Rgba UnpackColor(int32_t word);

// The pressure ramp for pressure p and scale maxPressure, alpha 96. p / maxPressure below 0
// gives (0, 0, 128); 1 and above gives (255, 0, 0). A ratio that is no number (0 / 0, or a
// NaN pressure) gives (0, 0, 128) as well.
Rgba PressureColor(double pressure, double maxPressure);

// Writes one packed pressure colour per atom into bonds.pressureColors (grown to the atom
// count when shorter). A frame that carries no per-atom vectors has no pressure: its atoms
// get their element colours (alpha as in the table), so switching to pressure never makes
// such a frame vanish.
void PressureColors(ATOMS_DATA& frame, BOND_INFO& bonds, double maxPressure,
                    const ColorTables& tables);

// One colour per atom of the frame for the colour mode, into out (resized to the atom
// count):
//  0 element table by atomic number (entry 0 for a frame without atomic numbers, and for
//    numbers outside 0..118);
//  1 bond-count table by the counts in bonds (an atom without a count counts 0 bonds);
//  2 the stored pressure colours; when bonds holds none for every atom, the same colours
//    computed here from the frame;
//  3 and anything else: as 0 (the fixed-function back end has no height colouring).
void AtomColors(const ATOMS_DATA& frame, const BOND_INFO* bonds, int mode,
                const ColorTables& tables, double maxPressure, std::vector<Rgba>& out);

// What the shader back end needs to colour spheres by height in mode 3.
struct HeightRamp {
  float low = 0;
  float span = 0;  // high - low; 0 for a frame whose box has no height (see HeightColor)
  float intervals = 8.0f;
  std::array<std::array<float, 4>, 9> table{};  // r, g, b, a in 0..1
};

// From the third box vector's z (box[8]) and the VISUAL "ColorHeightCenter" and
// "ColorHeightRange" settings (each used only when greater than 0, else half of c.z).
HeightRamp MakeHeightRamp(const double box[9], double center, double range);

// The colour at height z: low maps to the first entry, high to the last, linear in
// between, clamped outside. With a span of 0 every height gets the first entry.
std::array<float, 4> HeightColor(double z, const HeightRamp& ramp);

// Box lines are drawn in the complement of the background, fully opaque.
std::array<float, 4> BoxLineColor(const std::array<float, 4>& background);

}  // namespace qv
