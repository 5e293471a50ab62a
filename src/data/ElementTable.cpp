#include "data/ElementTable.h"

#include <algorithm>

namespace qv {
namespace {

constexpr const char* kSymbols[kElementSymbolCount] = {
    "E",  "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si",
    "P",  "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu",
    "Zn", "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru",
    "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr",
    "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",
    "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac",
    "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr"};

// Symbols are one or two ASCII characters: a direct table beats searching the list for
// every atom line of a million-atom frame.
struct SymbolIndex {
  std::array<int8_t, 128 * 128> z;
  SymbolIndex() {
    z.fill(-1);
    for (int i = 0; i < kElementSymbolCount; ++i) {
      const char* s = kSymbols[i];
      z[static_cast<unsigned char>(s[0]) * 128 + static_cast<unsigned char>(s[1])] = static_cast<int8_t>(i);
    }
  }
};

}  // namespace

const char* ElementSymbol(int atomicNumber) {
  if (atomicNumber < 0 || atomicNumber >= kElementSymbolCount) return nullptr;
  return kSymbols[atomicNumber];
}

const char* ElementSymbolOrUnknown(int atomicNumber) {
  const char* s = ElementSymbol(atomicNumber);
  return s ? s : "X";
}

int AtomicNumberOf(std::string_view symbol) {
  static const SymbolIndex index;
  if (symbol.empty() || symbol.size() > 2) return -1;
  const auto c0 = static_cast<unsigned char>(symbol[0]);
  const auto c1 = symbol.size() == 2 ? static_cast<unsigned char>(symbol[1]) : 0;
  // A second character of NUL would alias the one-character symbol.
  if (c0 >= 128 || c1 >= 128 || (c1 == 0 && symbol.size() == 2)) return -1;
  return index.z[c0 * 128 + c1];
}

ColorTables::ColorTables() {
  element.fill(Rgba{255, 20, 151, 255});
  const struct {
    int z;
    Rgba c;
  } kElementDefaults[] = {
      {0, {51, 205, 205, 255}},  {1, {255, 255, 255, 255}}, {2, {80, 240, 240, 255}},
      {6, {51, 205, 205, 255}},  {7, {143, 143, 255, 255}}, {8, {255, 0, 0, 255}},
      {10, {0, 191, 255, 255}},  {11, {0, 0, 255, 255}},    {15, {255, 128, 0, 255}},
      {16, {255, 255, 51, 255}}, {17, {0, 255, 0, 255}},    {18, {0, 100, 255, 255}},
      {20, {51, 77, 77, 255}},   {21, {255, 255, 255, 255}}, {22, {255, 240, 30, 255}},
      {30, {255, 240, 30, 255}}, {36, {255, 255, 51, 255}}, {56, {255, 255, 51, 255}},
  };
  for (const auto& d : kElementDefaults) element[d.z] = d.c;

  bondCount = {{
      {0, 255, 255, 255},
      {0, 128, 255, 255},
      {255, 220, 0, 255},
      {0, 255, 192, 255},
      {255, 0, 0, 255},
      {255, 20, 151, 255},
      {0, 0, 255, 0},
      {0, 0, 255, 0},
      {255, 20, 151, 0},
      {0, 255, 0, 0},
      {255, 255, 0, 255},
      {255, 255, 0, 255},
      {255, 255, 0, 255},
      {255, 255, 0, 255},
      {255, 255, 0, 255},
  }};
}

Rgba ColorTables::Element(int atomicNumber) const {
  if (atomicNumber < 0 || atomicNumber >= kElementColorCount) return element[0];
  return element[atomicNumber];
}

Rgba ColorTables::BondCount(int count) const {
  return bondCount[std::clamp(count, 0, kBondCountColorCount - 1)];
}

}  // namespace qv
